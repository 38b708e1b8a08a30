// The map of the whole tree without a toolkit: disk sizes, state colours (those of the KML
// export), framing, labels that never overlap, and the disks found under a point.
#include "genealogie/services.h"
#include "geoloc/carte_arbre.h"
#include "geoloc/export_lieux.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace orlavine::geoloc {
namespace {

// Measures texts as a fixed-width font (6 pixels a character, 12 high) and records the shapes.
class SurfaceEssai final : public ISurfaceDessin {
public:
    void FixeLargeurPlume(int) override {}
    void FixeCouleurPlume(TColor) override {}
    void FixeStylePlume(StylePlume) override {}
    void FixeCouleurBrosse(TColor c) override { brosse = c; }
    void FixeStyleBrosse(StyleBrosse) override {}
    void FixeGras(bool) override {}
    void FixeSouligne(bool) override {}
    void Ellipse(const TRect& r) override { ellipses.push_back({r, brosse}); }
    void Rectangle(const TRect&) override {}
    void Polygone(const TPoint*, std::size_t) override {}
    void TexteA(int, int, const AnsiString& t) override { textes.push_back(t); }
    TTailleTexte EtendueTexte(const AnsiString& t) override {
        return {static_cast<int>(t.size()) * 6, 12};
    }
    int HauteurTexte(const AnsiString&) override { return 12; }
    int PointsParPouce() const override { return 96; }

    struct Forme {
        TRect Rect;
        TColor Couleur;
    };
    TColor brosse = 0;
    std::vector<Forme> ellipses;
    std::vector<AnsiString> textes;
};

TLieuExporte Lieu(std::string texte, double lat, double lon, long evenements,
                  int etat = EtatValide) {
    TLieuExporte l;
    l.Texte = std::move(texte);
    l.Latitude = lat;
    l.Longitude = lon;
    l.Evenements = evenements;
    l.Etat = etat;
    return l;
}

TEST(CarteArbre, DiskAreaGrowsWithTheNumberOfEvents) {
    // Between the minimum and the cap the area is proportional to the events.
    const struct {
        long Evenements;
        double Rayon96;
    } cas[] = {
        {0, RayonMinDisque},                     // no event: the smallest disk
        {1, RayonMinDisque},                     // 2.2 is under the minimum
        {4, 2 * FacteurDisque},                  // 4.4
        {25, 5 * FacteurDisque},                 // 11
        {100, 10 * FacteurDisque},               // 22
        {180, FacteurDisque * std::sqrt(180.0)}, // just under the cap
        {1000, RayonMaxDisque},                  // capped
        {1000000, RayonMaxDisque},               // capped
    };
    for (const auto& c : cas) {
        EXPECT_DOUBLE_EQ(RayonDisque(c.Evenements), c.Rayon96) << c.Evenements;
        // Twice the resolution, twice the radius.
        EXPECT_DOUBLE_EQ(RayonDisque(c.Evenements, 192), 2 * c.Rayon96) << c.Evenements;
    }
    const long proportionnels[] = {4, 9, 25, 50, 100, 180};
    for (const long a : proportionnels)
        for (const long b : proportionnels) {
            const double ra = RayonDisque(a), rb = RayonDisque(b);
            EXPECT_NEAR(ra * ra / (rb * rb), static_cast<double>(a) / b, 1e-9) << a << " " << b;
        }
}

// aabbggrr of the KML style of a state, from the export itself.
TColor CouleurKml(int etat) {
    const std::string kml = EcritKml({}, "essai");
    const std::string style = "<Style id=\"etat" + std::to_string(etat) + "\"><IconStyle><color>";
    const std::size_t p = kml.find(style);
    if (p == std::string::npos) return 0xffffffff;
    const unsigned long v = std::stoul(kml.substr(p + style.size(), 8), nullptr, 16);
    return Rvb(static_cast<std::uint8_t>(v & 0xff), static_cast<std::uint8_t>((v >> 8) & 0xff),
               static_cast<std::uint8_t>((v >> 16) & 0xff));
}

TEST(CarteArbre, EachStateHasItsColourAndName) {
    const struct {
        int Etat;
        EtatCarte Carte;
        const char* Nom;
    } cas[] = {
        {EtatValide, EtatCarte::Valide, "Validés"},
        {EtatLocalise, EtatCarte::Localise, "Localisés"},
        {EtatPlaceALaMain, EtatCarte::Localise, "Localisés"},
        {EtatAdresseTrouvee, EtatCarte::Localise, "Localisés"},
        {EtatLocaliseLu, EtatCarte::Fichier, "Lus dans le fichier"},
        {EtatCommunePays, EtatCarte::AVerifier, "À vérifier"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(EtatSurCarte(c.Etat), c.Carte) << c.Etat;
        EXPECT_EQ(NomEtatCarte(c.Carte), c.Nom) << c.Etat;
    }
    // The colours of the validated, read, to-check and plainly located states are the KML's.
    for (const int etat : {EtatValide, EtatLocaliseLu, EtatCommunePays, EtatLocalise})
        EXPECT_EQ(CouleurEtatCarte(EtatSurCarte(etat)), CouleurKml(etat)) << etat;
    // Four colours that tell the states apart.
    for (int a = 0; a < NombreEtatsCarte; ++a)
        for (int b = a + 1; b < NombreEtatsCarte; ++b)
            EXPECT_NE(CouleurEtatCarte(static_cast<EtatCarte>(a)),
                      CouleurEtatCarte(static_cast<EtatCarte>(b)));

    // Each disk is drawn in its state's colour.
    const TCarteArbre carte({Lieu("Saint-Malo", 48.65, -2.0, 5, EtatValide),
                             Lieu("Brest", 48.39, -4.49, 5, EtatLocaliseLu),
                             Lieu("Lyon", 45.76, 4.84, 5, EtatCommunePays),
                             Lieu("Mayence", 49.99, 8.27, 5, EtatAdresseTrouvee)});
    SurfaceEssai s;
    const TMiseEnPageArbre page = carte.MetEnPage(carte.Cadre(1000, 700, false), s);
    ASSERT_EQ(page.Disques.size(), 4u);
    carte.Dessine(s, page);
    for (std::size_t i = 0; i < page.Disques.size(); ++i)
        EXPECT_EQ(s.ellipses[i].Couleur,
                  CouleurEtatCarte(EtatSurCarte(carte.Lieux()[page.Disques[i].Lieu].Etat)));
    // The legend counts the places of each state, French numbers.
    EXPECT_EQ(carte.ParEtat()[static_cast<int>(EtatCarte::Localise)], 1);
    EXPECT_EQ(EntierFrancais(1234567), "1\xC2\xA0"
                                       "234\xC2\xA0"
                                       "567");
    EXPECT_EQ(EntierFrancais(999), "999");
    EXPECT_EQ(EntierFrancais(1000, false), "1\xA0"
                                           "000");
}

bool DansLaVue(const monde::TVueMonde& v, const TLieuExporte& l) {
    const monde::TPointEcran p = v.VersEcran({l.Latitude, l.Longitude});
    return p.X >= 0 && p.Y >= 0 && p.X <= v.Largeur && p.Y <= v.Hauteur;
}

TEST(CarteArbre, FramesEveryPlaceOrFranceAlone) {
    const std::vector<TLieuExporte> france = {
        Lieu("Brest", 48.39, -4.49, 3),  Lieu("Strasbourg", 48.57, 7.75, 3),
        Lieu("Lille", 50.63, 3.06, 3),   Lieu("Perpignan", 42.70, 2.90, 3),
        Lieu("Ajaccio", 41.93, 8.74, 3),
    };
    std::vector<TLieuExporte> tous = france;
    tous.push_back(Lieu("Québec, Canada", 46.81, -71.21, 3));
    tous.push_back(Lieu("Hobart, Australie", -42.88, 147.33, 3));
    const TCarteArbre carte(tous);
    const struct {
        int Largeur, Hauteur;
    } tailles[] = {{1000, 700}, {1024, 600}, {400, 800}, {2400, 1200}};
    for (const auto& t : tailles) {
        const monde::TVueMonde v = carte.Cadre(t.Largeur, t.Hauteur, false);
        EXPECT_EQ(v.Largeur, t.Largeur);
        for (const TLieuExporte& l : tous)
            EXPECT_TRUE(DansLaVue(v, l)) << l.Texte << " " << t.Largeur;
        const monde::TVueMonde f = carte.Cadre(t.Largeur, t.Hauteur, true);
        for (const TLieuExporte& l : france)
            EXPECT_TRUE(DansLaVue(f, l)) << l.Texte << " " << t.Largeur;
        for (const std::size_t i : {std::size_t{5}, std::size_t{6}})
            EXPECT_FALSE(DansLaVue(f, tous[i])) << tous[i].Texte << " " << t.Largeur;
        // France alone is a closer view than the whole tree.
        EXPECT_GT(f.PixelsParDegre, v.PixelsParDegre * 4);
        // The places are clear of the legend's corner and of the picture's edges.
        for (const TLieuExporte& l : france) {
            const monde::TPointEcran p = f.VersEcran({l.Latitude, l.Longitude});
            EXPECT_GT(p.X, std::min(t.Largeur / 4, 170)) << l.Texte;
        }
    }
    // A single place, or none: a region, or France.
    const TCarteArbre seul({Lieu("Saint-Malo", 48.65, -2.0, 3)});
    const monde::TVueMonde v = seul.Cadre(1000, 700, false);
    EXPECT_TRUE(DansLaVue(v, seul.Lieux()[0]));
    EXPECT_GT(v.DenominateurEchelle(), 100000.0);
    const monde::TVueMonde vide = TCarteArbre({}).Cadre(1000, 700, false);
    EXPECT_DOUBLE_EQ(vide.PixelsParDegre, TCarteArbre({}).Cadre(1000, 700, true).PixelsParDegre);
}

TEST(CarteArbre, LabelsNeverOverlapAndGoToTheBusiestPlaces) {
    // Crowded trees: thousands of places around Brittany, a few very busy ones.
    std::mt19937 alea(19);
    std::uniform_real_distribution<double> lat(47.0, 49.5), lon(-5.0, -0.5);
    std::uniform_int_distribution<long> evts(0, 40);
    for (const int n : {30, 300, 3000}) {
        std::vector<TLieuExporte> lieux;
        for (int i = 0; i < n; ++i)
            lieux.push_back(Lieu("Lieu " + std::to_string(i) + ", Bretagne, France", lat(alea),
                                 lon(alea), evts(alea)));
        lieux.push_back(Lieu("Rennes, 35000", 48.11, -1.68, 500));
        const TCarteArbre carte(lieux);
        SurfaceEssai s;
        const std::vector<TRect> reserves = {{0, 650, 200, 700}, {700, 680, 1000, 700}};
        const TMiseEnPageArbre page = carte.MetEnPage(carte.Cadre(1000, 700, false), s, reserves);
        ASSERT_FALSE(page.Etiquettes.empty()) << n;
        EXPECT_LE(page.Etiquettes.size(), 60u);
        // The busiest place is labelled, by the first part of its text.
        EXPECT_EQ(page.Etiquettes.front().Texte, "Rennes");
        EXPECT_EQ(carte.Lieux()[page.Etiquettes.front().Lieu].Evenements, 500);
        for (std::size_t a = 0; a < page.Etiquettes.size(); ++a) {
            const TRect& ra = page.Etiquettes[a].Cadre;
            EXPECT_TRUE(ra.left >= 0 && ra.top >= 0 && ra.right <= 1000 && ra.bottom <= 700);
            EXPECT_FALSE(Intersecte(ra, page.Legende)) << n;
            for (const TRect& r : reserves)
                EXPECT_FALSE(Intersecte(ra, r)) << n;
            for (std::size_t b = a + 1; b < page.Etiquettes.size(); ++b)
                EXPECT_FALSE(Intersecte(ra, page.Etiquettes[b].Cadre))
                    << n << " : " << page.Etiquettes[a].Texte << " / " << page.Etiquettes[b].Texte;
        }
        // Labels by decreasing events: a label's place has at least as many as the next's.
        for (std::size_t a = 1; a < page.Etiquettes.size(); ++a)
            EXPECT_GE(carte.Lieux()[page.Etiquettes[a - 1].Lieu].Evenements,
                      carte.Lieux()[page.Etiquettes[a].Lieu].Evenements);
        // What is drawn is what was placed: every label's text, once.
        carte.Dessine(s, page);
        for (const TEtiquetteCarte& e : page.Etiquettes)
            EXPECT_EQ(std::count(s.textes.begin(), s.textes.end(), e.Texte), 1) << e.Texte;
    }
    // A label with no room is dropped: two places at one point, one label.
    const TCarteArbre deux({Lieu("Alpha", 48.0, -2.0, 9), Lieu("Beta", 48.0, -2.0, 8),
                            Lieu("Gamma", 48.0, -2.0, 7), Lieu("Delta", 48.0, -2.0, 6),
                            Lieu("Epsilon", 48.0, -2.0, 5)});
    SurfaceEssai s;
    const TMiseEnPageArbre page = deux.MetEnPage(deux.Cadre(1000, 700, false), s);
    EXPECT_EQ(page.Etiquettes.size(), 4u); // right, left, above, below; the fifth has no room
    for (const TEtiquetteCarte& e : page.Etiquettes)
        EXPECT_NE(e.Texte, "Epsilon");
}

TEST(CarteArbre, LabelIsTheLieuDitOrTheFirstPartOfTheText) {
    const struct {
        const char* Texte;
        const char* LieuDit;
        const char* Libelle;
    } cas[] = {
        {"Saint-Malo, 35400, Ille-et-Vilaine, Bretagne, France", "", "Saint-Malo"},
        {" , Paris, 75001", "", "Paris"},
        {"Cancale", " La Houle ", "La Houle"},
        {"", "", ""},
        {", , ,", "", ""},
    };
    for (const auto& c : cas) {
        TLieuExporte l;
        l.Texte = c.Texte;
        l.LieuDit = c.LieuDit;
        EXPECT_EQ(TCarteArbre::Libelle(l), c.Libelle) << c.Texte;
    }
}

TEST(CarteArbre, APointFindsTheDisksUnderItTopmostFirst) {
    // A busy town with a small lieu-dit at its centre, another town beside it.
    const TCarteArbre carte({Lieu("Ville", 48.0, -2.0, 400), Lieu("Lieu-dit", 48.0, -2.0, 1),
                             Lieu("Voisine", 48.0, -1.9, 16)});
    SurfaceEssai s;
    const TMiseEnPageArbre page = carte.MetEnPage(carte.Cadre(1000, 700, false), s);
    ASSERT_EQ(page.Disques.size(), 3u);
    // Drawing order: the largest first.
    EXPECT_EQ(page.Disques.front().Lieu, 0u);
    const TDisqueCarte& ville = page.Disques[0];
    const TDisqueCarte& voisine = page.Disques[1];
    ASSERT_EQ(voisine.Lieu, 2u);
    const struct {
        double X, Y;
        std::vector<std::uint32_t> Attendus;
    } cas[] = {
        {ville.X, ville.Y, {1, 0}},                     // the small one is on top
        {ville.X, ville.Y - ville.Rayon + 2, {0}},      // the town's edge
        {ville.X, ville.Y - ville.Rayon - 3, {}},       // just outside
        {voisine.X, voisine.Y, {2}},                    // the other town
        {voisine.X + voisine.Rayon + 3, voisine.Y, {}}, // beside it
    };
    for (const auto& c : cas)
        EXPECT_EQ(carte.LieuxSous(page, c.X, c.Y), c.Attendus) << c.X << " " << c.Y;
    // Out of the view: no disk, nothing found there.
    monde::TVueMonde loin = page.Vue;
    loin.Centre = {10.0, 100.0};
    const TMiseEnPageArbre vide = carte.MetEnPage(loin, s);
    EXPECT_TRUE(vide.Disques.empty());
    EXPECT_TRUE(carte.LieuxSous(vide, ville.X, ville.Y).empty());
}

TEST(CarteArbre, ADiskWhollyUnderOthersIsNotDrawnButStillFound) {
    // Two places of the same size at one point, a third beside them, a big one under a
    // ring of small ones that leave it showing.
    std::vector<TLieuExporte> lieux = {Lieu("Dessous", 48.0, -2.0, 9),
                                       Lieu("Dessus", 48.0, -2.0, 9), Lieu("Beside", 48.0, -1.5, 9),
                                       Lieu("Grand", 46.0, 2.0, 400)};
    for (int i = 0; i < 8; ++i)
        lieux.push_back(Lieu("Petit", 46.0 + 0.2 * std::sin(i), 2.0 + 0.2 * std::cos(i), 1));
    const TCarteArbre carte(lieux);
    SurfaceEssai s;
    const TMiseEnPageArbre page = carte.MetEnPage(carte.Cadre(1000, 700, false), s);
    std::map<std::string, bool> visible;
    for (const TDisqueCarte& d : page.Disques)
        visible[carte.Lieux()[d.Lieu].Texte] = d.Visible;
    EXPECT_FALSE(visible["Dessous"]);
    EXPECT_TRUE(visible["Dessus"]);
    EXPECT_TRUE(visible["Beside"]);
    EXPECT_TRUE(visible["Grand"]);
    const TBilanCarteArbre b = carte.Dessine(s, page);
    EXPECT_EQ(b.Disques, 12);
    EXPECT_EQ(b.Dessines, 11);
    EXPECT_EQ(s.ellipses.size(), 11u + 7u); // and the legend's
    // A click there lists both, the one on top first.
    const auto dessus = std::find_if(page.Disques.begin(), page.Disques.end(), [&](const auto& d) {
        return carte.Lieux()[d.Lieu].Texte == "Dessus";
    });
    EXPECT_EQ(carte.LieuxSous(page, dessus->X, dessus->Y), (std::vector<std::uint32_t>{1, 0}));
}

TEST(CarteArbre, SaysHowManyPlacesAreOnTheMap) {
    std::vector<TLieuExporte> lieux(1234, Lieu("Rennes", 48.11, -1.68, 1));
    EXPECT_EQ(PhraseCarteArbre(TCarteArbre(lieux, 56)), "1\xC2\xA0"
                                                        "234 lieux sur la carte, 56 sans position");
    EXPECT_EQ(PhraseCarteArbre(TCarteArbre({Lieu("Rennes", 48.11, -1.68, 1)}, 0)),
              "1 lieu sur la carte, 0 sans position");
    EXPECT_EQ(NomEvenement("BIRT"), "naissance");
    EXPECT_EQ(NomEvenement("_MILT"), "_MILT");
}

} // namespace
} // namespace orlavine::geoloc
