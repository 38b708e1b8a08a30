#include "monde/dessin.h"

#include "atlas/carte_france.h"

#include <algorithm>
#include <cmath>

namespace orlavine::monde {

namespace {

// Shapes are clipped to the output grown by this many pixels, so that clipped edges and
// pen widths stay out of sight.
constexpr double MargeDecoupe = 8.0;
constexpr int MargeCadre = 6; // pixels between the overlays and the output's edges

// The nearest whole pixel (halves away from zero), held within 32 bits; inline, where
// std::lround is a library call on every point.
inline std::int32_t Pixel(double v) {
    v = std::clamp(v, -2e9, 2e9);
    return static_cast<std::int32_t>(v >= 0.0 ? v + 0.5 : v - 0.5);
}

// One Sutherland-Hodgman pass: keeps the side of the line where `dedans` holds.
template <class Dedans, class Coupe>
void Passe(std::vector<double>& x, std::vector<double>& y, std::vector<double>& ox,
           std::vector<double>& oy, Dedans dedans, Coupe coupe) {
    ox.clear();
    oy.clear();
    const std::size_t n = x.size();
    if (n == 0) return;
    std::size_t j = n - 1;
    for (std::size_t i = 0; i < n; j = i++) {
        const bool di = dedans(x[i], y[i]), dj = dedans(x[j], y[j]);
        if (di != dj) {
            double cx, cy;
            coupe(x[j], y[j], x[i], y[i], cx, cy);
            ox.push_back(cx);
            oy.push_back(cy);
        }
        if (di) {
            ox.push_back(x[i]);
            oy.push_back(y[i]);
        }
    }
    x.swap(ox);
    y.swap(oy);
}

void DecoupePolygone(std::vector<double>& x, std::vector<double>& y, std::vector<double>& tx,
                     std::vector<double>& ty, double x0, double y0, double x1, double y1) {
    const auto coupeX = [](double limite) {
        return [limite](double ax, double ay, double bx, double by, double& cx, double& cy) {
            cx = limite;
            cy = ay + (by - ay) * (limite - ax) / (bx - ax);
        };
    };
    const auto coupeY = [](double limite) {
        return [limite](double ax, double ay, double bx, double by, double& cx, double& cy) {
            cy = limite;
            cx = ax + (bx - ax) * (limite - ay) / (by - ay);
        };
    };
    Passe(
        x, y, tx, ty, [x0](double px, double) { return px >= x0; }, coupeX(x0));
    Passe(
        x, y, tx, ty, [x1](double px, double) { return px <= x1; }, coupeX(x1));
    Passe(
        x, y, tx, ty, [y0](double, double py) { return py >= y0; }, coupeY(y0));
    Passe(
        x, y, tx, ty, [y1](double, double py) { return py <= y1; }, coupeY(y1));
}

// Rounded pixels without consecutive repeats.
void VersPoints(const std::vector<double>& x, const std::vector<double>& y,
                std::vector<TPoint>& points) {
    points.clear();
    for (std::size_t i = 0; i < x.size(); ++i) {
        const TPoint p{Pixel(x[i]), Pixel(y[i])};
        if (points.empty() || !(points.back() == p)) points.push_back(p);
    }
    while (points.size() > 1 && points.front() == points.back())
        points.pop_back();
}

// The Mercator box of a view, and the transform to pixels.
struct TRepere {
    double Cx, Cy, S, DemiL, DemiH;
    double XMin, XMax, YMin, YMax; // Mercator degrees seen, with the clipping margin

    explicit TRepere(const TVueMonde& v)
        : Cx(v.Centre.Longitude), Cy(MercatorY(v.Centre.Latitude)), S(v.PixelsParDegre),
          DemiL(v.Largeur / 2.0), DemiH(v.Hauteur / 2.0) {
        XMin = Cx - (DemiL + MargeDecoupe) / S;
        XMax = Cx + (DemiL + MargeDecoupe) / S;
        YMin = Cy - (DemiH + MargeDecoupe) / S;
        YMax = Cy + (DemiH + MargeDecoupe) / S;
    }
    double X(double mx) const { return DemiL + (mx - Cx) * S; }
    double Y(double my) const { return DemiH - (my - Cy) * S; }
    bool Voit(const TBoite& b, double decalage) const {
        return b.XMax + decalage >= XMin && b.XMin + decalage <= XMax && b.YMax >= YMin &&
               b.YMin <= YMax;
    }
    bool Contient(const TBoite& b, double decalage) const {
        return b.XMin + decalage >= XMin && b.XMax + decalage <= XMax && b.YMin >= YMin &&
               b.YMax <= YMax;
    }
};

// The copies of the world (longitude shifts) that the view reaches.
std::vector<double> Decalages(const TRepere& r) {
    std::vector<double> d;
    for (double o : {-360.0, 0.0, 360.0})
        if (r.XMax >= -180.0 + o && r.XMin <= 180.0 + o) d.push_back(o);
    return d;
}

// The copy of a point (longitude +-360) nearest to the view's centre.
TPointGeo CopieProche(TPointGeo p, const TVueMonde& v) {
    if (std::isfinite(p.Longitude))
        p.Longitude = v.Centre.Longitude + std::remainder(p.Longitude - v.Centre.Longitude, 360.0);
    return p;
}

AnsiString Nombre(long n) {
    return std::to_string(n);
}

} // namespace

AnsiString TexteAttribution() {
    return "Donn\xE9"
           "es : Natural Earth, GeoNames, IGN, INSEE";
}

Niveau NiveauPourEchelle(double n) {
    if (n < SeuilDetail10M) return Niveau::Monde10M;
    if (n < SeuilDetail50M) return Niveau::Monde50M;
    return Niveau::Monde110M;
}

int RangMinimalPourEchelle(double n) {
    if (n <= SeuilCommunes) return RangCommune;
    if (n <= SeuilSousPrefectures) return RangSousPrefecture;
    if (n <= SeuilPrefectures) return RangPrefecture;
    return RangCapitale + 1;
}

TBarreEchelle ChoisitBarreEchelle(double metresParPixel, int pixelsMax) {
    TBarreEchelle b;
    if (!(metresParPixel > 0.0) || !std::isfinite(metresParPixel) || pixelsMax <= 0) return b;
    const double maxMetres = metresParPixel * pixelsMax;
    double puissance = std::pow(10.0, std::floor(std::log10(maxMetres)));
    double longueur = puissance;
    for (double f : {5.0, 2.0, 1.0})
        if (f * puissance <= maxMetres) {
            longueur = f * puissance;
            break;
        }
    b.Metres = longueur;
    b.Pixels = static_cast<int>(std::lround(longueur / metresParPixel));
    b.Libelle = longueur >= 1000.0 ? Nombre(std::lround(longueur / 1000.0)) + " km"
                                   : Nombre(std::lround(longueur)) + " m";
    return b;
}

TCarteMonde::TCarteMonde(const TDonneesMonde* donnees, const TCarteFrance* atlas)
    : donnees_(donnees), atlas_(atlas) {
    departements_.Genre = GenreCouche::Frontieres;
    departements_.Grille = {1e-5, 1e-5, 0.0, 0.0};
    if (atlas_ == nullptr) return;
    std::vector<std::int32_t> x, y;
    for (const TDepartement& d : atlas_->Departements) {
        if (d.Contour.Points.size() < 3) continue;
        x.clear();
        y.clear();
        for (const TPoint& p : d.Contour.Points) {
            const TPointGeo g = GeoDepuisUnitesAtlas(p.x, p.y);
            x.push_back(static_cast<std::int32_t>(std::lround(g.Longitude * 1e5)));
            y.push_back(static_cast<std::int32_t>(std::lround(g.Latitude * 1e5)));
        }
        x.push_back(x.front()); // closed, drawn as a line
        y.push_back(y.front());
        departements_.AjoutePartie(x, y);
    }
    departements_.Prepare();

    const auto& cs = atlas_->Communes;
    communes_.reserve(cs.size());
    libelles_.resize(cs.size());
    for (std::size_t i = 0; i < cs.size(); ++i) {
        communes_.push_back({cs[i].Longitude, static_cast<float>(MercatorY(cs[i].Latitude)),
                             static_cast<std::int32_t>(i), cs[i].Rang});
        libelles_[i] = atlas_->NomOfficiel(static_cast<int>(i));
    }
    std::stable_sort(
        communes_.begin(), communes_.end(),
        [](const TCommuneMonde& a, const TCommuneMonde& b) { return a.Rang > b.Rang; });
    largeurs_.assign(cs.size(), -1);
}

void TCarteMonde::DessineSurfaces(ISurfaceDessin& s, const TCoucheMonde& c, const TVueMonde& v,
                                  int& nombre) {
    const TRepere r(v);
    const double x0 = -MargeDecoupe, y0 = -MargeDecoupe;
    const double x1 = v.Largeur + MargeDecoupe, y1 = v.Hauteur + MargeDecoupe;
    for (double o : Decalages(r)) {
        for (std::size_t p = 0; p < c.NombreParties(); ++p) {
            const TBoite& b = c.Boites[p];
            if (!r.Voit(b, o)) continue;
            // Too small to show: under a pixel both ways.
            if ((b.XMax - b.XMin) * r.S < 0.75 && (b.YMax - b.YMin) * r.S < 0.75) continue;
            px_.clear();
            py_.clear();
            double dx = 1e300, dy = 1e300;
            for (std::uint32_t i = c.Debuts[p]; i < c.Debuts[p + 1]; ++i) {
                // Whole pixels: runs of points inside one pixel become one point.
                const double x = Pixel(r.X(c.MercX[i] + o));
                const double y = Pixel(r.Y(c.MercY[i]));
                if (x == dx && y == dy) continue;
                px_.push_back(x);
                py_.push_back(y);
                dx = x;
                dy = y;
            }
            if (!r.Contient(b, o)) DecoupePolygone(px_, py_, cx_, cy_, x0, y0, x1, y1);
            VersPoints(px_, py_, points_);
            if (points_.size() < 3) continue;
            s.Polygone(points_.data(), points_.size());
            ++nombre;
        }
    }
}

void TCarteMonde::DessineLignes(ISurfaceDessin& s, const TCoucheMonde& c, const TVueMonde& v,
                                int& nombre) {
    const TRepere r(v);
    const double x0 = -MargeDecoupe, y0 = -MargeDecoupe;
    const double x1 = v.Largeur + MargeDecoupe, y1 = v.Hauteur + MargeDecoupe;
    const auto tracer = [&] {
        if (points_.size() >= 2) {
            s.Polyligne(points_.data(), points_.size());
            ++nombre;
        }
        points_.clear();
    };
    for (double o : Decalages(r)) {
        for (std::size_t p = 0; p < c.NombreParties(); ++p) {
            if (!r.Voit(c.Boites[p], o)) continue;
            points_.clear();
            // Runs of segments that meet the output; the others are left out.
            double ax = r.X(c.MercX[c.Debuts[p]] + o), ay = r.Y(c.MercY[c.Debuts[p]]);
            for (std::uint32_t i = c.Debuts[p] + 1; i < c.Debuts[p + 1]; ++i) {
                const double bx = r.X(c.MercX[i] + o), by = r.Y(c.MercY[i]);
                const bool visible = std::max(ax, bx) >= x0 && std::min(ax, bx) <= x1 &&
                                     std::max(ay, by) >= y0 && std::min(ay, by) <= y1;
                if (visible) {
                    const TPoint pa{Pixel(ax), Pixel(ay)};
                    const TPoint pb{Pixel(bx), Pixel(by)};
                    if (points_.empty()) points_.push_back(pa);
                    if (!(points_.back() == pb)) points_.push_back(pb);
                } else {
                    tracer();
                }
                ax = bx;
                ay = by;
            }
            tracer();
        }
    }
}

namespace {

// Which parts of the output are taken, in cells of 2 x 2 pixels: labels keep off the
// overlays, the points and one another.
class TOccupation {
public:
    TOccupation(int largeur, int hauteur)
        : l_((largeur + Cote - 1) / Cote), h_((hauteur + Cote - 1) / Cote),
          cases_(static_cast<std::size_t>(l_) * static_cast<std::size_t>(h_), 0) {}
    bool Libre(const TRect& r) const {
        bool libre = true;
        Parcourt(r, [&](std::uint8_t& c) { libre = libre && c == 0; });
        return libre;
    }
    void Prend(const TRect& r) {
        Parcourt(r, [](std::uint8_t& c) { c = 1; });
    }

private:
    static constexpr int Cote = 2;
    template <class F>
    void Parcourt(const TRect& r, F f) const {
        const int x0 = std::max(0, r.left / Cote), x1 = std::min(l_ - 1, (r.right - 1) / Cote);
        const int y0 = std::max(0, r.top / Cote), y1 = std::min(h_ - 1, (r.bottom - 1) / Cote);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                f(cases_[static_cast<std::size_t>(y) * static_cast<std::size_t>(l_) +
                         static_cast<std::size_t>(x)]);
    }
    int l_, h_;
    mutable std::vector<std::uint8_t> cases_;
};

} // namespace

void TCarteMonde::FixeVilles(const TVillesMonde* villes) {
    villes_ = villes;
    largeursVilles_.assign(villes_ != nullptr ? villes_->Nombre() : 0, -1);
}

namespace {

// The rank of the communes a class of towns goes with: same symbol, same priority for the
// labels.
int RangPourClasse(int classe) {
    switch (classe) {
    case ClasseCapitale:
        return RangCapitale;
    case ClasseMetropole:
        return RangCapitaleRegion;
    case ClasseGrandeVille:
        return RangPrefecture;
    case ClasseVilleMoyenne:
        return RangSousPrefecture;
    case ClasseBourg:
        return RangVille;
    default:
        return RangCommune;
    }
}

} // namespace

void TCarteMonde::DessineLieux(ISurfaceDessin& s, const TVueMonde& v, double denominateur,
                               std::vector<TRect>& occupe, TBilanDessinMonde& bilan) {
    const int rangMin = RangMinimalPourEchelle(denominateur);
    int classeMin = NombreClassesVille;
    if (villes_ != nullptr)
        while (classeMin > 0 &&
               DenominateurMaxClasse(static_cast<ClasseVille>(classeMin - 1)) >= denominateur)
            --classeMin;
    const bool communes = rangMin <= RangCapitale && !communes_.empty();
    const bool villes = classeMin < NombreClassesVille && villes_ != nullptr;
    if (!communes && !villes) return;
    const TRepere r(v);
    // The label widths depend on the font: measured once per font.
    const int cle = s.EtendueTexte("Saint-Quentin-en-Yvelines").cx * 1000 + s.PointsParPouce();
    if (cle != cleMesures_) {
        std::fill(largeurs_.begin(), largeurs_.end(), -1);
        std::fill(largeursVilles_.begin(), largeursVilles_.end(), -1);
        cleMesures_ = cle;
    }
    const int hauteur = s.HauteurTexte("Ag");
    const int ppp = std::max(1, s.PointsParPouce());
    const auto taille = [ppp](int px96) { return std::max(1, (px96 * ppp + 48) / 96); };

    // The labels are placed first, largest ranks first so that they get the room; then the
    // points are drawn, largest ranks last so that they stay on top, and the labels over
    // them. Towns abroad take the rank of the communes they are like, and share the room
    // with them.
    struct TPlace {
        int Rang;
        TPoint Centre;
        TRect Symbole;
        const AnsiString* Libelle;
        int* Largeur; // measured width of the label, -1 unknown
        bool Ville;
        std::uint32_t Population; // towns only
        TRect Texte{};
        bool AvecLibelle = false;
    };
    std::vector<TPlace> places;
    TOccupation occupation(v.Largeur, v.Hauteur);
    for (const TRect& o : occupe)
        occupation.Prend(o);
    const auto ajoute = [&](double x, double y, int rang, const AnsiString* libelle, int* largeur,
                            bool ville, std::uint32_t population) {
        if (x < 0 || y < 0 || x >= v.Largeur || y >= v.Hauteur) return;
        const TPoint p{Pixel(x), Pixel(y)};
        const int demi = taille(rang >= RangPrefecture       ? 4
                                : rang >= RangSousPrefecture ? 3
                                : rang >= RangVille          ? 2
                                                             : 1);
        const TRect symbole{p.x - demi, p.y - demi, p.x + demi + 1, p.y + demi + 1};
        places.push_back({rang, p, symbole, libelle, largeur, ville, population});
    };
    if (communes)
        for (const TCommuneMonde& c : communes_) {
            if (c.Rang < rangMin) break; // sorted by decreasing rank
            const auto i = static_cast<std::size_t>(c.Index);
            ajoute(r.X(c.X), r.Y(c.Y), c.Rang, &libelles_[i], &largeurs_[i], false, 0);
        }
    if (villes) {
        const std::size_t debutVilles = places.size();
        for (double o : Decalages(r)) {
            trouvees_.clear();
            villes_->Cherche(r.XMin, r.XMax, r.YMin, r.YMax, o, classeMin, trouvees_);
            for (std::uint32_t k : trouvees_) {
                const TVillesMonde::TVille& t = villes_->Ville(k);
                ajoute(r.X(t.X + o), r.Y(t.Y), RangPourClasse(t.Classe), &villes_->Nom(t.Index),
                       &largeursVilles_[t.Index], true, t.Population);
            }
        }
        // The cells come in the order of the plane: by rank, then by population (the larger
        // towns get the room for their labels), each town after the communes of its rank.
        std::stable_sort(places.begin() + static_cast<std::ptrdiff_t>(debutVilles), places.end(),
                         [&](const TPlace& a, const TPlace& b) {
                             if (a.Rang != b.Rang) return a.Rang > b.Rang;
                             return a.Population > b.Population;
                         });
        // Merged with the communes, already by rank, when both are in view.
        if (debutVilles > 0 && debutVilles < places.size())
            std::inplace_merge(
                places.begin(), places.begin() + static_cast<std::ptrdiff_t>(debutVilles),
                places.end(), [](const TPlace& a, const TPlace& b) { return a.Rang > b.Rang; });
    }
    // Far out, a town abroad whose name finds no room is left out: a field of nameless
    // squares over a foreign country tells the reader nothing. Its point then takes room
    // only with its label. Closer in, every point shows, as the communes do.
    const bool tousLesPoints = denominateur <= SeuilCommunes;
    const auto pointSeul = [&](const TPlace& p) { return !p.Ville || tousLesPoints; };
    // Rank after rank: the labels of a rank keep off the points of that rank and above, and
    // the smaller points come in only once the larger towns are labelled.
    std::size_t marques = 0;
    const int pas = taille(8);
    for (TPlace& place : places) {
        for (; marques < places.size() && places[marques].Rang >= place.Rang; ++marques)
            if (pointSeul(places[marques])) occupation.Prend(places[marques].Symbole);
        if (place.Libelle->empty()) continue;
        // The label goes right of the point, else left, else not at all.
        if (*place.Largeur < 0) *place.Largeur = s.EtendueTexte(*place.Libelle).cx;
        const int l = *place.Largeur;
        const TRect droite{place.Symbole.right + 1, place.Centre.y - hauteur / 2,
                           place.Symbole.right + 1 + l, place.Centre.y - hauteur / 2 + hauteur};
        const TRect gauche{place.Symbole.left - 1 - l, droite.top, place.Symbole.left - 1,
                           droite.bottom};
        // Beside the point, else a little further off (past the marker, say).
        for (const TRect& t : {droite, gauche, droite + TPoint{pas, 0}, gauche - TPoint{pas, 0}}) {
            if (t.left < 0 || t.right > v.Largeur || t.top < 0 || t.bottom > v.Hauteur) continue;
            // Shrunk by a pixel: the text's leading may touch its neighbours.
            if (!occupation.Libre(Grow(t, 0, -2))) continue;
            if (!pointSeul(place)) {
                if (!occupation.Libre(place.Symbole)) continue;
                occupation.Prend(place.Symbole);
            }
            place.Texte = t;
            place.AvecLibelle = true;
            occupation.Prend(Grow(t, 2, 0));
            occupe.push_back(t);
            break;
        }
    }

    // Points under the labels.
    s.FixeStylePlume(StylePlume::Solide);
    s.FixeLargeurPlume(1);
    s.FixeStyleBrosse(StyleBrosse::Solide);
    s.FixeCouleurBrosse(CouleurCommune);
    for (auto it = places.rbegin(); it != places.rend(); ++it) {
        if (!pointSeul(*it) && !it->AvecLibelle) continue;
        const bool grand = it->Rang >= RangVille;
        s.FixeStylePlume(grand ? StylePlume::Solide : StylePlume::Aucun);
        s.FixeCouleurPlume(Rvb(255, 255, 255));
        // Prefectures are squares; the smallest points too, where a 3-pixel square and a
        // disk look alike and the square is much cheaper to fill.
        if (it->Rang >= RangPrefecture || it->Symbole.Largeur() <= 3)
            s.Rectangle(it->Symbole);
        else
            s.Ellipse(it->Symbole);
        ++(it->Ville ? bilan.Villes : bilan.Communes);
    }

    s.FixeSouligne(false);
    for (const TPlace& place : places) {
        if (!place.AvecLibelle) continue;
        s.FixeGras(place.Rang >= RangPrefecture);
        s.TexteA(place.Texte.left, place.Texte.top, *place.Libelle);
        ++bilan.Libelles;
    }
    s.FixeGras(false);
}

TBilanDessinMonde TCarteMonde::Dessine(ISurfaceDessin& s, const TVueMonde& v,
                                       const TOptionsDessinMonde& options) {
    TBilanDessinMonde bilan = DessineFond(s, v, options);
    DessineSurcouches(s, v, options, bilan);
    return bilan;
}

TBilanDessinMonde TCarteMonde::DessineFond(ISurfaceDessin& s, const TVueMonde& v,
                                           const TOptionsDessinMonde& options) {
    TBilanDessinMonde bilan;
    const double n = v.DenominateurEchelle();
    bilan.Detail = NiveauPourEchelle(n);
    const int ppp = std::max(1, s.PointsParPouce());
    const auto taille = [ppp](int px96) { return std::max(1, (px96 * ppp + 48) / 96); };

    // Sea.
    s.FixeStylePlume(StylePlume::Aucun);
    s.FixeStyleBrosse(StyleBrosse::Solide);
    s.FixeCouleurBrosse(CouleurMer);
    s.Rectangle({0, 0, v.Largeur, v.Hauteur});

    if (donnees_ != nullptr) {
        // Land, its outline being the coastline.
        if (const TCoucheMonde* c = donnees_->CoucheAuPlusPres(GenreCouche::Terres, bilan.Detail)) {
            s.FixeStylePlume(StylePlume::Solide);
            s.FixeLargeurPlume(1);
            s.FixeCouleurPlume(CouleurCote);
            s.FixeCouleurBrosse(CouleurTerre);
            DessineSurfaces(s, *c, v, bilan.PartiesTerres);
        }
        if (options.Lacs)
            if (const TCoucheMonde* c =
                    donnees_->CoucheAuPlusPres(GenreCouche::Lacs, bilan.Detail)) {
                int k = 0;
                s.FixeCouleurBrosse(CouleurMer);
                DessineSurfaces(s, *c, v, k);
            }
        if (options.Fleuves && bilan.Detail != Niveau::Monde110M)
            if (const TCoucheMonde* c =
                    donnees_->CoucheAuPlusPres(GenreCouche::Fleuves, bilan.Detail)) {
                int k = 0;
                s.FixeCouleurPlume(CouleurFleuve);
                DessineLignes(s, *c, v, k);
            }
    }
    if (n < SeuilDepartements && departements_.NombreParties() > 0) {
        s.FixeStylePlume(StylePlume::Solide);
        s.FixeLargeurPlume(1);
        s.FixeCouleurPlume(CouleurDepartement);
        DessineLignes(s, departements_, v, bilan.Departements);
    }
    if (donnees_ != nullptr)
        if (const TCoucheMonde* c =
                donnees_->CoucheAuPlusPres(GenreCouche::Frontieres, bilan.Detail)) {
            s.FixeStylePlume(StylePlume::Solide);
            s.FixeLargeurPlume(bilan.Detail == Niveau::Monde110M ? 1 : 2);
            s.FixeCouleurPlume(CouleurFrontiere);
            DessineLignes(s, *c, v, bilan.Frontieres);
        }

    // The overlays' frames, reserved before the labels so that no label runs under them.
    const int hauteurTexte = s.HauteurTexte("Ag");
    bilan.Attribution = TexteAttribution();
    if (!options.AttributionEnLigne.empty()) bilan.Attribution += ", " + options.AttributionEnLigne;
    const int largeurAttribution = s.EtendueTexte(bilan.Attribution).cx;
    bilan.RectAttribution = {v.Largeur - MargeCadre - largeurAttribution - 8,
                             v.Hauteur - MargeCadre - hauteurTexte - 4, v.Largeur - MargeCadre,
                             v.Hauteur - MargeCadre};
    bilan.Barre = ChoisitBarreEchelle(
        [&] {
            // Ground length of a pixel where the bar is drawn, not at the centre: Mercator
            // stretches with latitude.
            TVueMonde ici = v;
            ici.Centre = v.VersGeo(MargeCadre + 60.0, v.Hauteur - MargeCadre - 10.0);
            return ici.MetresParPixel();
        }(),
        taille(120));
    const int largeurLibelle = s.EtendueTexte(bilan.Barre.Libelle).cx;
    bilan.RectBarre = {MargeCadre, v.Hauteur - MargeCadre - hauteurTexte - taille(6) - 8,
                       MargeCadre + std::max(bilan.Barre.Pixels, largeurLibelle) + 8,
                       v.Hauteur - MargeCadre};
    std::vector<TRect> occupe{Grow(bilan.RectAttribution, 2, 2), Grow(bilan.RectBarre, 2, 2)};
    if (options.Marqueur) {
        // The marker is drawn over the map: no label under it.
        const TPointEcran m = v.VersEcran(CopieProche(options.PositionMarqueur, v));
        if (std::abs(m.X) < 1e6 && std::abs(m.Y) < 1e6) {
            const int x = static_cast<int>(std::lround(m.X)),
                      y = static_cast<int>(std::lround(m.Y));
            const int r = taille(10);
            occupe.push_back({x - r, y - r, x + r + 1, y + r + 1});
        }
    }

    if (options.Communes) DessineLieux(s, v, n, occupe, bilan);
    return bilan;
}

void TCarteMonde::DessineSurcouches(ISurfaceDessin& s, const TVueMonde& v,
                                    const TOptionsDessinMonde& options, TBilanDessinMonde& bilan) {
    const int ppp = std::max(1, s.PointsParPouce());
    const auto taille = [ppp](int px96) { return std::max(1, (px96 * ppp + 48) / 96); };

    // Marker: a red disk ringed with white, with a dark centre.
    if (options.Marqueur) {
        const TPointEcran m = v.VersEcran(CopieProche(options.PositionMarqueur, v));
        if (m.X > -20 && m.Y > -20 && m.X < v.Largeur + 20 && m.Y < v.Hauteur + 20) {
            const int x = static_cast<int>(std::lround(m.X)),
                      y = static_cast<int>(std::lround(m.Y));
            const int r = taille(8), c = taille(2);
            s.FixeStylePlume(StylePlume::Solide);
            s.FixeLargeurPlume(taille(2));
            s.FixeCouleurPlume(Rvb(255, 255, 255));
            s.FixeCouleurBrosse(CouleurMarqueur);
            s.FixeStyleBrosse(StyleBrosse::Solide);
            s.Ellipse({x - r, y - r, x + r + 1, y + r + 1});
            s.FixeStylePlume(StylePlume::Aucun);
            s.FixeCouleurBrosse(Rvb(60, 0, 0));
            s.Ellipse({x - c, y - c, x + c + 1, y + c + 1});
            bilan.MarqueurDessine = true;
        }
    }

    // Scale bar: a white frame, the caption, then the bar in two halves.
    s.FixeStylePlume(StylePlume::Aucun);
    s.FixeStyleBrosse(StyleBrosse::Solide);
    s.FixeCouleurBrosse(Rvb(255, 255, 255));
    s.Rectangle(bilan.RectBarre);
    s.FixeGras(false);
    s.FixeSouligne(false);
    s.TexteA(bilan.RectBarre.left + 4, bilan.RectBarre.top + 2, bilan.Barre.Libelle);
    const int hb = taille(6);
    const int xb = bilan.RectBarre.left + 4, yb = bilan.RectBarre.bottom - 4 - hb;
    const int moitie = bilan.Barre.Pixels / 2;
    s.FixeStylePlume(StylePlume::Solide);
    s.FixeLargeurPlume(1);
    s.FixeCouleurPlume(Rvb(0, 0, 0));
    s.FixeCouleurBrosse(Rvb(0, 0, 0));
    s.Rectangle({xb, yb, xb + moitie, yb + hb});
    s.FixeCouleurBrosse(Rvb(255, 255, 255));
    s.Rectangle({xb + moitie, yb, xb + bilan.Barre.Pixels, yb + hb});

    // Attribution, last, so that nothing covers it.
    s.FixeStylePlume(StylePlume::Aucun);
    s.FixeCouleurBrosse(Rvb(255, 255, 255));
    s.Rectangle(bilan.RectAttribution);
    s.TexteA(bilan.RectAttribution.left + 4, bilan.RectAttribution.top + 2, bilan.Attribution);
}

} // namespace orlavine::monde
