#include "geoloc/carte_arbre.h"

#include "genealogie/services.h"
#include "host/chaines.h"
#include "monde/dessin.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orlavine::geoloc {

namespace {

// Sizes given at 96 dots per inch, on a surface of `ppp`.
int Taille(int px96, int ppp) {
    return std::max(1, (px96 * ppp + 48) / 96);
}

// The outline of a disk: its fill darkened.
TColor Contour(TColor c) {
    const auto f = [](std::uint8_t v) { return static_cast<std::uint8_t>(v * 55 / 100); };
    return Rvb(f(Rouge(c)), f(Vert(c)), f(Bleu(c)));
}

TRect RectDisque(float x, float y, float r) {
    const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    const int ri = std::max(1, static_cast<int>(std::lround(r)));
    return {cx - ri, cy - ri, cx + ri + 1, cy + ri + 1};
}

// A label too long for a map is cut, with an ellipsis (Windows-1252 0x85).
AnsiString Coupe(AnsiString texte) {
    constexpr std::size_t Max = 32;
    if (texte.size() > Max) {
        texte.resize(Max - 1);
        texte += '\x85';
    }
    return texte;
}

// Set bits of a word (without relying on the processor's instruction).
int Bits(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ULL);
    v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
    v = (v + (v >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return static_cast<int>((v * 0x0101010101010101ULL) >> 56);
}

// Marks the disks that do not show: from the top of the pile down, a disk shows when enough
// of its pixels are still uncovered (`seuil`, or all of them for a disk smaller than that),
// and then covers its pixels. A disk left out thus leaves fewer than `seuil` pixels of the
// map beneath instead of its colour: tens of thousands of places crowded on a country are
// drawn as the few thousand that show, which the drawing's time depends on.
void MarqueVisibles(std::vector<TDisqueCarte>& disques, int largeur, int hauteur, int seuil) {
    if (largeur <= 0 || hauteur <= 0) return;
    const std::size_t mots = (static_cast<std::size_t>(largeur) + 63) / 64;
    std::vector<std::uint64_t> couvert(mots * static_cast<std::size_t>(hauteur), 0);
    // Half-width of each row of a disk of radius ri, from its centre row (rounded as
    // RectDisque), and its number of pixels; made once per radius.
    std::vector<std::vector<int>> demis;
    std::vector<int> aires;
    const auto rangees = [&](int ri) -> const std::vector<int>& {
        if (static_cast<std::size_t>(ri) >= demis.size()) {
            demis.resize(static_cast<std::size_t>(ri) + 1);
            aires.resize(static_cast<std::size_t>(ri) + 1);
        }
        std::vector<int>& d = demis[static_cast<std::size_t>(ri)];
        if (d.empty()) {
            int aire = 0;
            for (int dy = 0; dy <= ri; ++dy) {
                d.push_back(static_cast<int>(std::sqrt(static_cast<double>(ri * ri - dy * dy))));
                aire += (dy == 0 ? 1 : 2) * (2 * d.back() + 1);
            }
            aires[static_cast<std::size_t>(ri)] = aire;
        }
        return d;
    };
    // The bits of columns a to b within word `mot`.
    const auto masque = [](int a, int b, int mot) {
        const int de = std::max(a, mot * 64) - mot * 64,
                  jusque = std::min(b, mot * 64 + 63) - mot * 64;
        const std::uint64_t bas =
            jusque == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (jusque + 1)) - 1;
        return bas & ~((std::uint64_t{1} << de) - 1);
    };
    for (auto d = disques.rbegin(); d != disques.rend(); ++d) {
        const int cx = static_cast<int>(std::lround(d->X)),
                  cy = static_cast<int>(std::lround(d->Y));
        const int ri = std::max(1, static_cast<int>(std::lround(d->Rayon)));
        const std::vector<int>& demi = rangees(ri);
        const int voulu = std::min(seuil, aires[static_cast<std::size_t>(ri)]);
        // Counts the uncovered pixels, then, when enough, covers them.
        int libres = 0;
        for (int passe = 0; passe < 2; ++passe) {
            for (int dy = -ri; dy <= ri && (passe == 1 || libres < voulu); ++dy) {
                const int y = cy + dy;
                if (y < 0 || y >= hauteur) continue;
                const int h = demi[static_cast<std::size_t>(std::abs(dy))];
                const int a = std::max(0, cx - h), b = std::min(largeur - 1, cx + h);
                std::uint64_t* ligne = couvert.data() + static_cast<std::size_t>(y) * mots;
                for (int m = a / 64; m <= b / 64 && a <= b; ++m) {
                    if (passe == 0)
                        libres += Bits(~ligne[m] & masque(a, b, m));
                    else
                        ligne[m] |= masque(a, b, m);
                }
            }
            d->Visible = libres >= voulu;
            if (!d->Visible) break;
        }
    }
}

constexpr EtatCarte EtatsLegende[NombreEtatsCarte] = {EtatCarte::Valide, EtatCarte::Localise,
                                                      EtatCarte::Fichier, EtatCarte::AVerifier};
// The sizes of disk shown in the legend.
constexpr long EvenementsLegende[] = {1, 10, 100};

// The legend's contents for one surface: its lines (Windows-1252) and its frame at (x, y).
struct TLegende {
    AnsiString Titre;
    AnsiString Lignes[NombreEtatsCarte];
    AnsiString Tailles;
    int Hauteur = 0, Largeur = 0, HauteurLigne = 0, Marge = 0, RayonPastille = 0, RangeeTailles = 0;
};

TLegende ComposeLegende(ISurfaceDessin& s, const std::array<long, NombreEtatsCarte>& parEtat) {
    const int ppp = s.PointsParPouce();
    TLegende l;
    l.Titre = Utf8VersCp1252("Lieux de l'arbre");
    for (int i = 0; i < NombreEtatsCarte; ++i)
        l.Lignes[i] = Utf8VersCp1252(std::string(NomEtatCarte(EtatsLegende[i])) + " (" +
                                     EntierFrancais(parEtat[static_cast<std::size_t>(i)]) + ")");
    l.Tailles = Utf8VersCp1252("Surface : nombre d'événements");
    l.Marge = Taille(6, ppp);
    l.RayonPastille = Taille(5, ppp);
    const int h = s.HauteurTexte("Ag");
    l.HauteurLigne = std::max(h, 2 * l.RayonPastille + 2);
    s.FixeGras(true);
    int largeur = s.EtendueTexte(l.Titre).cx;
    s.FixeGras(false);
    for (const AnsiString& t : l.Lignes)
        largeur = std::max(largeur, 2 * l.RayonPastille + l.Marge + s.EtendueTexte(t).cx);
    largeur = std::max(largeur, s.EtendueTexte(l.Tailles).cx);
    // The row of sample disks: each disk and its number.
    int rangee = 0;
    for (const long n : EvenementsLegende)
        rangee += 2 * static_cast<int>(std::lround(RayonDisque(n, ppp))) + Taille(3, ppp) +
                  s.EtendueTexte(std::to_string(n)).cx + l.Marge;
    largeur = std::max(largeur, rangee);
    l.RangeeTailles = 2 * static_cast<int>(std::lround(RayonDisque(100, ppp))) + 2;
    l.Largeur = largeur + 2 * l.Marge;
    l.Hauteur = l.Marge + h + Taille(4, ppp) + NombreEtatsCarte * (l.HauteurLigne + 2) +
                Taille(4, ppp) + h + l.RangeeTailles + l.Marge;
    return l;
}

} // namespace

EtatCarte EtatSurCarte(int etat) {
    switch (etat) {
    case EtatValide:
        return EtatCarte::Valide;
    case EtatLocaliseLu:
        return EtatCarte::Fichier;
    case EtatCommunePays:
        return EtatCarte::AVerifier;
    default:
        return EtatCarte::Localise;
    }
}

std::string_view NomEtatCarte(EtatCarte etat) {
    switch (etat) {
    case EtatCarte::Valide:
        return "Validés";
    case EtatCarte::Localise:
        return "Localisés";
    case EtatCarte::Fichier:
        return "Lus dans le fichier";
    case EtatCarte::AVerifier:
        return "À vérifier";
    }
    return "Localisés";
}

std::string_view NomEtatCarteSingulier(EtatCarte etat) {
    switch (etat) {
    case EtatCarte::Valide:
        return "Validé";
    case EtatCarte::Localise:
        return "Localisé";
    case EtatCarte::Fichier:
        return "Lu dans le fichier";
    case EtatCarte::AVerifier:
        return "À vérifier";
    }
    return "Localisé";
}

TColor CouleurEtatCarte(EtatCarte etat) {
    // The KML styles' colours (export_lieux.cpp), there written aabbggrr.
    switch (etat) {
    case EtatCarte::Valide:
        return Rvb(0x2e, 0x9e, 0x2e); // green
    case EtatCarte::Localise:
        return Rvb(0x14, 0x64, 0xc8); // blue
    case EtatCarte::Fichier:
        return Rvb(0xf0, 0x8c, 0x1f); // orange
    case EtatCarte::AVerifier:
        return Rvb(0xf0, 0xc8, 0x28); // yellow
    }
    return Rvb(0x14, 0x64, 0xc8);
}

std::string_view NomProvenanceFrancais(Provenance p) {
    switch (p) {
    case Provenance::Gedcom:
        return "fichier GEDCOM";
    case Provenance::Atlas:
        return "atlas des communes";
    case Provenance::Geocodeur:
        return "géocodeur hors ligne";
    case Provenance::GeocodeurEnLigne:
        return "géocodeur en ligne";
    case Provenance::Main:
        return "placé à la main";
    }
    return "placé à la main";
}

std::string NomEvenement(std::string_view etiquette) {
    static constexpr std::pair<std::string_view, std::string_view> Noms[] = {
        {"ADOP", "adoption"},
        {"BAPM", "baptême"},
        {"BIRT", "naissance"},
        {"BURI", "inhumation"},
        {"CENS", "recensement"},
        {"CHR", "baptême"},
        {"CONF", "confirmation"},
        {"CREM", "crémation"},
        {"DEAT", "décès"},
        {"DIV", "divorce"},
        {"EDUC", "études"},
        {"EMIG", "émigration"},
        {"ENGA", "fiançailles"},
        {"EVEN", "événement"},
        {"FCOM", "première communion"},
        {"GRAD", "diplôme"},
        {"IMMI", "immigration"},
        {"MARB", "bans"},
        {"MARC", "contrat de mariage"},
        {"MARR", "mariage"},
        {"NATU", "naturalisation"},
        {"OCCU", "profession"},
        {"ORDN", "ordination"},
        {"PROB", "homologation du testament"},
        {"RESI", "résidence"},
        {"RETI", "retraite"},
        {"WILL", "testament"},
    };
    for (const auto& [tag, nom] : Noms)
        if (tag == etiquette) return std::string(nom);
    return std::string(etiquette);
}

std::string EntierFrancais(long n, bool utf8) {
    const std::string chiffres = std::to_string(n < 0 ? -n : n);
    const std::string espace = utf8 ? "\xC2\xA0" : "\xA0";
    std::string s = n < 0 ? "-" : "";
    for (std::size_t i = 0; i < chiffres.size(); ++i) {
        if (i > 0 && (chiffres.size() - i) % 3 == 0) s += espace;
        s += chiffres[i];
    }
    return s;
}

double RayonDisque(long evenements, int ppp) {
    const double r96 =
        std::clamp(FacteurDisque * std::sqrt(static_cast<double>(std::max<long>(0, evenements))),
                   RayonMinDisque, RayonMaxDisque);
    return r96 * std::max(1, ppp) / 96.0;
}

// ---- The places -----------------------------------------------------------------------------

TCarteArbre::TCarteArbre(std::vector<TLieuExporte> lieux, long sansPosition)
    : lieux_(std::move(lieux)), sansPosition_(sansPosition) {
    const std::size_t n = lieux_.size();
    etats_.resize(n);
    libelles_.resize(n);
    ordre_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TLieuExporte& l = lieux_[i];
        etats_[i] = EtatSurCarte(l.Etat);
        ++parEtat_[static_cast<std::size_t>(etats_[i])];
        libelles_[i] = Coupe(Utf8VersCp1252(Libelle(l)));
        ordre_[i] = {l.Longitude, monde::MercatorY(l.Latitude), RayonDisque(l.Evenements),
                     static_cast<std::uint32_t>(i)};
    }
    // Disks of one size in the order of the places: the states mixed as they come, none
    // drawn over all the others.
    std::stable_sort(ordre_.begin(), ordre_.end(),
                     [this](const TPointCarte& a, const TPointCarte& b) {
                         return lieux_[a.Lieu].Evenements > lieux_[b.Lieu].Evenements;
                     });
}

TCarteArbre TCarteArbre::Lit(TBaseGenealogie& base) {
    long sansPosition = 0;
    std::vector<TLieuExporte> lieux = LieuxLocalises(base, &sansPosition);
    return TCarteArbre(std::move(lieux), sansPosition);
}

std::string TCarteArbre::Libelle(const TLieuExporte& lieu) {
    const std::string_view dit = SansBlancs(lieu.LieuDit);
    if (!dit.empty()) return std::string(dit);
    std::string_view texte = lieu.Texte;
    while (!texte.empty()) {
        const std::size_t virgule = texte.find(',');
        const std::string_view partie = SansBlancs(texte.substr(0, virgule));
        if (!partie.empty()) return std::string(partie);
        if (virgule == std::string_view::npos) break;
        texte.remove_prefix(virgule + 1);
    }
    return {};
}

monde::TVueMonde TCarteArbre::Cadre(int largeur, int hauteur, bool franceSeule) const {
    largeur = std::max(1, largeur);
    hauteur = std::max(1, hauteur);
    double sud = FranceSud, nord = FranceNord, ouest = FranceOuest, est = FranceEst;
    if (!franceSeule && !lieux_.empty()) {
        sud = ouest = 1e9;
        nord = est = -1e9;
        for (const TLieuExporte& l : lieux_) {
            sud = std::min(sud, l.Latitude);
            nord = std::max(nord, l.Latitude);
            ouest = std::min(ouest, l.Longitude);
            est = std::max(est, l.Longitude);
        }
        // Never closer than a region about 100 km across.
        constexpr double Minimum = 1.0;
        if (est - ouest < Minimum) {
            const double c = (est + ouest) / 2.0;
            ouest = c - Minimum / 2.0;
            est = c + Minimum / 2.0;
        }
        if (nord - sud < Minimum * 0.7) {
            const double c = (nord + sud) / 2.0;
            sud = std::max(-monde::LatitudeMaxMercator, c - Minimum * 0.35);
            nord = std::min(monde::LatitudeMaxMercator, c + Minimum * 0.35);
        }
    }
    // Room around the places for the largest disk and a label, on the left for the legend,
    // at the bottom for the scale bar and the credits.
    const int marge = std::min(40, std::max(0, std::min(largeur, hauteur) / 10));
    const int gauche = std::min(largeur / 4, 170);
    const int bas = std::min(hauteur / 8, 30);
    const int l = std::max(1, largeur - gauche - 2 * marge);
    const int h = std::max(1, hauteur - bas - 2 * marge);
    monde::TVueMonde v = monde::VueEnglobante(sud, ouest, nord, est, l, h);
    // The same centre and scale on the whole picture, the frame's middle moved to the middle
    // of the free area.
    v.Largeur = largeur;
    v.Hauteur = hauteur;
    v.Deplace((gauche + marge + l / 2.0) - largeur / 2.0, (marge + h / 2.0) - hauteur / 2.0);
    return v;
}

TMiseEnPageArbre TCarteArbre::MetEnPage(const monde::TVueMonde& vue, ISurfaceDessin& mesure,
                                        const std::vector<TRect>& reserves,
                                        int etiquettesMax) const {
    TMiseEnPageArbre page;
    page.Vue = vue;
    page.Ppp = std::max(1, mesure.PointsParPouce());
    const int ppp = page.Ppp;

    // Disks in the view, in drawing order.
    const double cx = vue.Centre.Longitude, cy = monde::MercatorY(vue.Centre.Latitude);
    const double k = vue.PixelsParDegre;
    const double demiL = vue.Largeur / 2.0, demiH = vue.Hauteur / 2.0;
    const double echelle = ppp / 96.0;
    page.Disques.reserve(ordre_.size());
    for (const TPointCarte& p : ordre_) {
        const double x = demiL + (p.X - cx) * k;
        const double y = demiH - (p.Y - cy) * k;
        const double r = p.Rayon96 * echelle;
        if (x + r < 0 || y + r < 0 || x - r > vue.Largeur || y - r > vue.Hauteur) continue;
        page.Disques.push_back(
            {p.Lieu, static_cast<float>(x), static_cast<float>(y), static_cast<float>(r)});
    }

    MarqueVisibles(page.Disques, vue.Largeur, vue.Hauteur,
                   std::max(1, PixelsVisiblesMin * ppp * ppp / (96 * 96)));

    // The legend, top left.
    const TLegende legende = ComposeLegende(mesure, parEtat_);
    const int m = Taille(8, ppp);
    page.Legende = {m, m, m + legende.Largeur, m + legende.Hauteur};

    // Labels: the places with the most events first.
    if (etiquettesMax < 0) etiquettesMax = std::clamp(vue.Largeur * vue.Hauteur / 16000, 6, 60);
    std::vector<TRect> occupe = reserves;
    occupe.push_back(Grow(page.Legende, 2, 2));
    const TRect vueEntiere{0, 0, vue.Largeur, vue.Hauteur};
    const int hauteurTexte = mesure.HauteurTexte("Ag");
    const int bord = Taille(3, ppp), ecart = Taille(2, ppp);
    constexpr std::size_t Essais = 600;
    std::size_t essais = 0;
    for (const TDisqueCarte& d : page.Disques) {
        if (static_cast<int>(page.Etiquettes.size()) >= etiquettesMax || essais >= Essais) break;
        if (lieux_[d.Lieu].Evenements <= 0) break; // drawing order: none further has any
        const AnsiString& texte = libelles_[d.Lieu];
        if (texte.empty()) continue;
        ++essais;
        const int w = mesure.EtendueTexte(texte).cx + 2 * bord;
        const int h = hauteurTexte + 2;
        const TRect disque = RectDisque(d.X, d.Y, d.Rayon);
        const int x = static_cast<int>(std::lround(d.X)), y = static_cast<int>(std::lround(d.Y));
        const int r = disque.right - 1 - x;
        const TRect candidats[] = {
            {x + r + ecart, y - h / 2, x + r + ecart + w, y - h / 2 + h},         // right
            {x - r - ecart - w, y - h / 2, x - r - ecart, y - h / 2 + h},         // left
            {x - w / 2, y - r - ecart - h, x - w / 2 + w, y - r - ecart},         // above
            {x - w / 2, y + r + ecart + 1, x - w / 2 + w, y + r + ecart + 1 + h}, // below
        };
        for (const TRect& c : candidats) {
            if (c.left < 0 || c.top < 0 || c.right > vueEntiere.right ||
                c.bottom > vueEntiere.bottom)
                continue;
            if (std::any_of(occupe.begin(), occupe.end(),
                            [&c](const TRect& o) { return Intersecte(c, o); }))
                continue;
            page.Etiquettes.push_back({d.Lieu, c, texte});
            occupe.push_back(c);
            occupe.push_back(disque);
            break;
        }
    }
    return page;
}

TBilanCarteArbre TCarteArbre::Dessine(ISurfaceDessin& s, const TMiseEnPageArbre& page) const {
    TBilanCarteArbre bilan;
    const int ppp = page.Ppp;

    // Disks, each state's tools set when it changes.
    s.FixeStylePlume(StylePlume::Solide);
    s.FixeLargeurPlume(1);
    s.FixeStyleBrosse(StyleBrosse::Solide);
    bool avecContour = true;
    const float rayonContour = static_cast<float>(RayonContourMin * ppp / 96.0);
    int courant = -1;
    for (const TDisqueCarte& d : page.Disques) {
        if (!d.Visible) continue;
        ++bilan.Dessines;
        const auto e = static_cast<int>(etats_[d.Lieu]);
        if (e != courant) {
            courant = e;
            const TColor c = CouleurEtatCarte(etats_[d.Lieu]);
            s.FixeCouleurBrosse(c);
            s.FixeCouleurPlume(Contour(c));
        }
        // The smallest disks go without an outline: drawn twice as fast, and too small for
        // one to tell much.
        const bool contour = d.Rayon >= rayonContour;
        if (contour != avecContour) {
            avecContour = contour;
            s.FixeStylePlume(contour ? StylePlume::Solide : StylePlume::Aucun);
        }
        s.Ellipse(RectDisque(d.X, d.Y, d.Rayon));
    }
    bilan.Disques = static_cast<long>(page.Disques.size());

    // Labels: black text in a white box.
    const int bord = Taille(3, ppp);
    s.FixeGras(false);
    s.FixeSouligne(false);
    s.FixeCouleurPlume(Rvb(120, 120, 120));
    s.FixeCouleurBrosse(Rvb(255, 255, 255));
    for (const TEtiquetteCarte& e : page.Etiquettes) {
        s.FixeStylePlume(StylePlume::Solide);
        s.Rectangle(e.Cadre);
        s.TexteA(e.Cadre.left + bord, e.Cadre.top + 1, e.Texte);
    }
    bilan.Etiquettes = static_cast<long>(page.Etiquettes.size());

    // Legend: the title, a disk and the count of each state, the sizes of disk.
    const TLegende l = ComposeLegende(s, parEtat_);
    const TRect& r = page.Legende;
    s.FixeStylePlume(StylePlume::Solide);
    s.FixeCouleurPlume(Rvb(120, 120, 120));
    s.FixeCouleurBrosse(Rvb(255, 255, 255));
    s.Rectangle(r);
    const int h = s.HauteurTexte("Ag");
    int y = r.top + l.Marge;
    s.FixeGras(true);
    s.TexteA(r.left + l.Marge, y, l.Titre);
    s.FixeGras(false);
    y += h + Taille(4, ppp);
    for (int i = 0; i < NombreEtatsCarte; ++i) {
        const TColor c = CouleurEtatCarte(EtatsLegende[i]);
        const int cy = y + l.HauteurLigne / 2, cx = r.left + l.Marge + l.RayonPastille;
        s.FixeCouleurBrosse(c);
        s.FixeCouleurPlume(Contour(c));
        s.Ellipse({cx - l.RayonPastille, cy - l.RayonPastille, cx + l.RayonPastille + 1,
                   cy + l.RayonPastille + 1});
        s.TexteA(cx + l.RayonPastille + l.Marge, cy - h / 2, l.Lignes[i]);
        y += l.HauteurLigne + 2;
    }
    y += Taille(4, ppp);
    s.TexteA(r.left + l.Marge, y, l.Tailles);
    y += h;
    const int cy = y + l.RangeeTailles / 2;
    int x = r.left + l.Marge;
    const TColor gris = Rvb(150, 150, 150);
    for (const long n : EvenementsLegende) {
        const float rayon = static_cast<float>(RayonDisque(n, ppp));
        const TRect disque =
            RectDisque(static_cast<float>(x) + rayon, static_cast<float>(cy), rayon);
        s.FixeCouleurBrosse(gris);
        s.FixeCouleurPlume(Contour(gris));
        s.Ellipse(disque);
        const AnsiString nombre = std::to_string(n);
        s.TexteA(disque.right + Taille(3, ppp), cy - h / 2, nombre);
        x = disque.right + Taille(3, ppp) + s.EtendueTexte(nombre).cx + l.Marge;
    }
    return bilan;
}

std::vector<std::uint32_t> TCarteArbre::LieuxSous(const TMiseEnPageArbre& page, double x,
                                                  double y) const {
    std::vector<std::uint32_t> sous;
    for (auto d = page.Disques.rbegin(); d != page.Disques.rend(); ++d) {
        const double dx = x - d->X, dy = y - d->Y, r = d->Rayon + 0.5;
        if (dx * dx + dy * dy <= r * r) sous.push_back(d->Lieu);
    }
    return sous;
}

TMiseEnPageArbre DessineCarteArbre(ISurfaceDessin& s, const TCarteArbre& carte,
                                   const monde::TVueMonde& vue, monde::TCarteMonde* fond,
                                   TBilanCarteArbre* bilan) {
    // The world without its communes and towns: the places carry the names here.
    monde::TOptionsDessinMonde options;
    options.Communes = false;
    monde::TBilanDessinMonde bilanFond;
    std::vector<TRect> reserves;
    if (fond != nullptr) {
        bilanFond = fond->DessineFond(s, vue, options);
        reserves = {Grow(bilanFond.RectBarre, 2, 2), Grow(bilanFond.RectAttribution, 2, 2)};
    } else {
        s.FixeStylePlume(StylePlume::Aucun);
        s.FixeStyleBrosse(StyleBrosse::Solide);
        s.FixeCouleurBrosse(monde::TCarteMonde::CouleurMer);
        s.Rectangle({0, 0, vue.Largeur, vue.Hauteur});
    }
    TMiseEnPageArbre page = carte.MetEnPage(vue, s, reserves);
    const TBilanCarteArbre b = carte.Dessine(s, page);
    if (bilan) *bilan = b;
    if (fond != nullptr) fond->DessineSurcouches(s, vue, options, bilanFond);
    return page;
}

std::string PhraseCarteArbre(const TCarteArbre& carte) {
    const long n = static_cast<long>(carte.Lieux().size());
    return EntierFrancais(n) + (n > 1 ? " lieux" : " lieu") + " sur la carte, " +
           EntierFrancais(carte.SansPosition()) + " sans position";
}

} // namespace orlavine::geoloc
