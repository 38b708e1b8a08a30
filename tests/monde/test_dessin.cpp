// The world drawing through a recording surface: the attribution and the scale bar at every
// scale, the level of detail by scale, shapes clipped to the output, the world's copies
// across the 180th meridian, and the communes and the towns of the world with labels that
// never overlap.
#include "atlas/carte_france.h"
#include "monde/dessin.h"
#include "tests/commun/atlas_essai.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace orlavine::monde {
namespace {

class SurfaceEnregistreuse : public ISurfaceDessin {
public:
    struct Texte {
        int X, Y;
        AnsiString Chaine;
    };
    std::vector<std::vector<TPoint>> Polygones, Lignes;
    std::vector<TRect> Rectangles, Ellipses;
    std::vector<Texte> Textes;
    TColor Brosse = 0;
    std::vector<TColor> BrossesPolygones;

    void FixeLargeurPlume(int) override {}
    void FixeCouleurPlume(TColor) override {}
    void FixeStylePlume(StylePlume) override {}
    void FixeCouleurBrosse(TColor c) override { Brosse = c; }
    void FixeStyleBrosse(StyleBrosse) override {}
    void FixeGras(bool) override {}
    void FixeSouligne(bool) override {}
    void Ellipse(const TRect& r) override { Ellipses.push_back(r); }
    void Rectangle(const TRect& r) override { Rectangles.push_back(r); }
    void Polygone(const TPoint* p, std::size_t n) override {
        Polygones.emplace_back(p, p + n);
        BrossesPolygones.push_back(Brosse);
    }
    void Polyligne(const TPoint* p, std::size_t n) override { Lignes.emplace_back(p, p + n); }
    void TexteA(int x, int y, const AnsiString& t) override { Textes.push_back({x, y, t}); }
    // 6 pixels per character, 12 high.
    TTailleTexte EtendueTexte(const AnsiString& t) override {
        return {static_cast<int>(t.size()) * 6, 12};
    }
    int HauteurTexte(const AnsiString&) override { return 12; }
    int PointsParPouce() const override { return 96; }
};

// A land ring around the world between 60° S and 70° N, crossing the 180th meridian once
// on each side, and a small island at 46° N 2° E.
TDonneesMonde MondeEssai() {
    TDonneesMonde d;
    for (int n = 0; n < NombreNiveaux; ++n) {
        TCoucheMonde t;
        t.Genre = GenreCouche::Terres;
        t.Detail = static_cast<Niveau>(n);
        t.Grille = {0.01, 0.01, 0.0, 0.0};
        std::vector<std::int32_t> x, y;
        for (int lon = -200; lon <= 200; lon += 10) {
            x.push_back(lon * 100);
            y.push_back(7000);
        }
        for (int lon = 200; lon >= -200; lon -= 10) {
            x.push_back(lon * 100);
            y.push_back(-6000);
        }
        t.AjoutePartie(x, y);
        t.AjoutePartie(std::vector<std::int32_t>{150, 250, 250, 150},
                       std::vector<std::int32_t>{4550, 4550, 4650, 4650});
        t.Prepare();
        d.Couches.push_back(t);
        TCoucheMonde f;
        f.Genre = GenreCouche::Frontieres;
        f.Detail = t.Detail;
        f.Grille = t.Grille;
        f.AjoutePartie(std::vector<std::int32_t>{0, 500, 1000},
                       std::vector<std::int32_t>{4000, 4500, 5000});
        f.Prepare();
        d.Couches.push_back(f);
    }
    return d;
}

TVueMonde Vue(double lat, double lon, double echelle) {
    TVueMonde v;
    v.Centre = {lat, lon};
    v.Largeur = 1000;
    v.Hauteur = 700;
    v.FixeDenominateurEchelle(echelle);
    return v;
}

// Labels (every text but the two overlays) never overlap one another nor the overlays.
void AttendLibellesSepares(const SurfaceEnregistreuse& s, const TBilanDessinMonde& b) {
    std::vector<TRect> libelles;
    for (const auto& t : s.Textes)
        if (t.Chaine != b.Attribution && t.Chaine != b.Barre.Libelle)
            libelles.push_back({t.X, t.Y, t.X + static_cast<int>(t.Chaine.size()) * 6, t.Y + 12});
    for (std::size_t i = 0; i < libelles.size(); ++i) {
        EXPECT_FALSE(Intersecte(libelles[i], b.RectAttribution));
        EXPECT_FALSE(Intersecte(libelles[i], b.RectBarre));
        for (std::size_t j = i + 1; j < libelles.size(); ++j)
            ASSERT_FALSE(Intersecte(libelles[i], libelles[j])) << i << " " << j;
    }
}

bool Ecrit(const SurfaceEnregistreuse& s, const AnsiString& texte) {
    return std::any_of(s.Textes.begin(), s.Textes.end(),
                       [&](const auto& t) { return t.Chaine == texte; });
}

TEST(DessinMonde, AttributionAndScaleBarAtEveryScaleEvenWithoutData) {
    const TDonneesMonde d = MondeEssai();
    for (const TDonneesMonde* donnees : {&d, static_cast<const TDonneesMonde*>(nullptr)}) {
        TCarteMonde carte(donnees);
        for (double n : {2e8, 3e7, 5e6, 1e6, 5e4}) {
            SurfaceEnregistreuse s;
            const TBilanDessinMonde b = carte.Dessine(s, Vue(46.0, 2.0, n), {});
            ASSERT_FALSE(s.Textes.empty());
            // The attribution is the last thing drawn, inside the output.
            EXPECT_EQ(s.Textes.back().Chaine, TexteAttribution());
            EXPECT_EQ(s.Rectangles.back(), b.RectAttribution);
            EXPECT_GE(b.RectAttribution.left, 0);
            EXPECT_LE(b.RectAttribution.right, 1000);
            EXPECT_LE(b.RectAttribution.bottom, 700);
            // The scale bar: its caption, and a length of the round kind.
            EXPECT_TRUE(std::any_of(s.Textes.begin(), s.Textes.end(),
                                    [&](const auto& t) { return t.Chaine == b.Barre.Libelle; }));
            EXPECT_GT(b.Barre.Pixels, 40);
            EXPECT_LE(b.Barre.Pixels, 120);
        }
    }
    EXPECT_NE(TexteAttribution().find("Natural Earth"), std::string::npos);
    for (const char* source : {"GeoNames", "IGN", "INSEE"})
        EXPECT_NE(TexteAttribution().find(source), std::string::npos);
}

TEST(DessinMonde, ScaleBarLengths) {
    struct {
        double MetresParPixel;
        double Metres;
        int Pixels;
        const char* Libelle;
    } cas[] = {{264.5833, 20000, 76, "20 km"},
               {1000.0, 100000, 100, "100 km"},
               {4.0, 200, 50, "200 m"},
               {40000.0, 2000000, 50, "2000 km"},
               {0.5, 50, 100, "50 m"}};
    for (const auto& c : cas) {
        const TBarreEchelle b = ChoisitBarreEchelle(c.MetresParPixel, 120);
        EXPECT_DOUBLE_EQ(b.Metres, c.Metres) << c.MetresParPixel;
        EXPECT_EQ(b.Pixels, c.Pixels) << c.MetresParPixel;
        EXPECT_EQ(b.Libelle, c.Libelle);
    }
    EXPECT_EQ(ChoisitBarreEchelle(0.0, 120).Pixels, 0);
    EXPECT_EQ(ChoisitBarreEchelle(std::nan(""), 120).Pixels, 0);
}

TEST(DessinMonde, LevelOfDetailAndOverlaysFollowTheScale) {
    EXPECT_EQ(NiveauPourEchelle(1.5e8), Niveau::Monde110M);
    EXPECT_EQ(NiveauPourEchelle(SeuilDetail50M * 1.01), Niveau::Monde110M);
    EXPECT_EQ(NiveauPourEchelle(SeuilDetail50M * 0.99), Niveau::Monde50M);
    EXPECT_EQ(NiveauPourEchelle(SeuilDetail10M * 0.99), Niveau::Monde10M);
    EXPECT_EQ(NiveauPourEchelle(1e6), Niveau::Monde10M);
    EXPECT_GT(RangMinimalPourEchelle(3e7), RangCapitale);
    EXPECT_EQ(RangMinimalPourEchelle(1e7), RangPrefecture);
    EXPECT_EQ(RangMinimalPourEchelle(3e6), RangSousPrefecture);
    EXPECT_EQ(RangMinimalPourEchelle(1e6), RangCommune);

    const TDonneesMonde d = MondeEssai();
    TCarteMonde carte(&d);
    for (double n : {1e8, 8e6, 1e6}) {
        SurfaceEnregistreuse s;
        const TBilanDessinMonde b = carte.Dessine(s, Vue(46.0, 2.0, n), {});
        EXPECT_EQ(b.Detail, NiveauPourEchelle(n));
        EXPECT_GE(b.PartiesTerres, 1);
    }
}

TEST(DessinMonde, ShapesAreClippedToTheOutputAndTheWorldRepeatsAcross180) {
    const TDonneesMonde d = MondeEssai();
    TCarteMonde carte(&d);
    // Zoomed in on the big ring: every point drawn stays near the output.
    SurfaceEnregistreuse s;
    carte.Dessine(s, Vue(20.0, 40.0, 1e6), {});
    ASSERT_FALSE(s.Polygones.empty());
    for (const auto& p : s.Polygones)
        for (const TPoint& q : p) {
            EXPECT_GE(q.x, -10);
            EXPECT_LE(q.x, 1010);
            EXPECT_GE(q.y, -10);
            EXPECT_LE(q.y, 710);
        }
    // A view centred on the 180th meridian at world scale sees the ring on both sides: the
    // land reaches both edges of the output.
    SurfaceEnregistreuse w;
    TVueMonde v = Vue(0.0, 180.0, 1e8);
    v.PixelsParDegre = 2.0;
    const TBilanDessinMonde b = carte.Dessine(w, v, {});
    EXPECT_GE(b.PartiesTerres, 2);
    int gauche = 1000, droite = 0;
    for (std::size_t i = 0; i < w.Polygones.size(); ++i)
        if (w.BrossesPolygones[i] == TCarteMonde::CouleurTerre)
            for (const TPoint& q : w.Polygones[i]) {
                gauche = std::min(gauche, q.x);
                droite = std::max(droite, q.x);
            }
    EXPECT_LE(gauche, 0);
    EXPECT_GE(droite, 1000);
}

TEST(DessinMonde, CommunesAndDepartmentsWhenZoomedInWithLabelsApart) {
    const auto atlas = essai::AtlasEssai();
    const TDonneesMonde d = MondeEssai();
    TCarteMonde carte(&d, atlas.get());
    const TCommune& versailles =
        atlas->Communes[static_cast<std::size_t>(essai::IndexCode(atlas->Communes, "78646"))];

    SurfaceEnregistreuse loin;
    const TBilanDessinMonde b0 =
        carte.Dessine(loin, Vue(versailles.Latitude, versailles.Longitude, 1e8), {});
    EXPECT_EQ(b0.Communes, 0);
    EXPECT_EQ(b0.Departements, 0);

    SurfaceEnregistreuse s;
    TOptionsDessinMonde o;
    o.Marqueur = true;
    o.PositionMarqueur = {versailles.Latitude, versailles.Longitude};
    const TBilanDessinMonde b =
        carte.Dessine(s, Vue(versailles.Latitude, versailles.Longitude, 3e5), o);
    EXPECT_GT(b.Communes, 3);
    EXPECT_GT(b.Libelles, 0);
    EXPECT_GT(b.Departements, 0);
    EXPECT_TRUE(b.MarqueurDessine);
    EXPECT_TRUE(std::any_of(s.Textes.begin(), s.Textes.end(),
                            [](const auto& t) { return t.Chaine == "Versailles"; }));
    AttendLibellesSepares(s, b);
}

TEST(DessinMonde, TownsOfTheWorldByScaleSharingTheRoomWithTheCommunes) {
    const auto atlas = essai::AtlasEssai();
    const TDonneesMonde d = MondeEssai();
    const TCommune& versailles =
        atlas->Communes[static_cast<std::size_t>(essai::IndexCode(atlas->Communes, "78646"))];
    const double lat = versailles.Latitude, lon = versailles.Longitude;
    // A capital, a big town and a village far off; a dense field of villages and towns
    // around Versailles, among the communes.
    std::vector<TVilleMonde> liste{{50.85, 4.35, "Bruxelles", 1'019'022, 2},
                                   {50.0, 8.27, "Mayence", 217'123, 1},
                                   {49.9, 8.0, "Petit", 600, 0},
                                   {-33.9, 151.2, "Sydney", 4'600'000, 1},
                                   {0.0, 0.0, "", 900, 0}};
    for (int i = 0; i < 400; ++i)
        liste.push_back({lat - 0.3 + 0.03 * (i % 20), lon - 0.4 + 0.04 * (i / 20),
                         "Lieu" + std::to_string(i), static_cast<std::uint32_t>(600 + i * 40),
                         static_cast<std::uint8_t>(i % 7 == 0)});
    const TVillesMonde villes(liste);
    EXPECT_EQ(villes.Nombre(), liste.size());

    TCarteMonde sans(&d, atlas.get());
    TCarteMonde carte(&d, atlas.get());
    carte.FixeVilles(&villes);
    const auto dessine = [](TCarteMonde& c, SurfaceEnregistreuse& s, TVueMonde v) {
        return c.Dessine(s, v, {});
    };

    // The whole world: nothing; a continent: the capital; a country: the big town too;
    // closer in: the villages.
    SurfaceEnregistreuse monde, europe, pays, region;
    EXPECT_EQ(dessine(carte, monde, Vue(48, 5, 2e8)).Villes, 0);
    EXPECT_EQ(dessine(carte, europe, Vue(48, 5, 4e7)).Villes, 1);
    EXPECT_TRUE(Ecrit(europe, "Bruxelles"));
    const TBilanDessinMonde bp = dessine(carte, pays, Vue(50, 6, 8e6));
    EXPECT_TRUE(Ecrit(pays, "Mayence"));
    EXPECT_FALSE(Ecrit(pays, "Petit"));
    SurfaceEnregistreuse pres;
    dessine(carte, pres, Vue(49.95, 8.1, 5e5));
    EXPECT_TRUE(Ecrit(pres, "Petit"));
    EXPECT_TRUE(Ecrit(pres, "Mayence"));
    // Across the 180th meridian, on the world's copy east of it.
    SurfaceEnregistreuse pacifique;
    EXPECT_EQ(dessine(carte, pacifique, Vue(-33.9, 151.2 - 360.0, 8e6)).Villes, 1);

    // Among the communes: every point drawn, labels of both apart from one another.
    const TBilanDessinMonde b = dessine(carte, region, Vue(lat, lon, 5e5));
    EXPECT_EQ(b.Villes, 400);
    EXPECT_GT(b.Communes, 3);
    EXPECT_TRUE(Ecrit(region, "Versailles")) << "the prefecture before the villages";
    EXPECT_TRUE(std::any_of(region.Textes.begin(), region.Textes.end(),
                            [](const auto& t) { return t.Chaine.starts_with("Lieu"); }));
    AttendLibellesSepares(region, b);
    AttendLibellesSepares(pays, bp);

    // Without towns, or with the place names turned off, the map is as before.
    SurfaceEnregistreuse s1, s2, s3;
    const TBilanDessinMonde b1 = dessine(sans, s1, Vue(lat, lon, 5e5));
    EXPECT_EQ(b1.Villes, 0);
    EXPECT_EQ(b1.Communes, b.Communes);
    carte.FixeVilles(nullptr);
    const TBilanDessinMonde b2 = dessine(carte, s2, Vue(lat, lon, 5e5));
    EXPECT_EQ(b2.Libelles, b1.Libelles);
    EXPECT_EQ(s2.Textes.size(), s1.Textes.size());
    carte.FixeVilles(&villes);
    TOptionsDessinMonde sansNoms;
    sansNoms.Communes = false;
    EXPECT_EQ(carte.Dessine(s3, Vue(lat, lon, 5e5), sansNoms).Villes, 0);
}

TEST(DessinMonde, ClassesOfTownsFollowPopulationAndRank) {
    EXPECT_EQ(ClassePourVille(300, 2), ClasseCapitale);
    EXPECT_EQ(ClassePourVille(1'500'000, 0), ClasseMetropole);
    EXPECT_EQ(ClassePourVille(120'000, 1), ClasseGrandeVille);
    EXPECT_EQ(ClassePourVille(120'000, 0), ClasseVilleMoyenne);
    EXPECT_EQ(ClassePourVille(25'000, 1), ClasseVilleMoyenne);
    EXPECT_EQ(ClassePourVille(25'000, 0), ClasseBourg);
    EXPECT_EQ(ClassePourVille(4'999, 1), ClasseVillage);
    for (int c = 1; c < NombreClassesVille; ++c)
        EXPECT_GT(DenominateurMaxClasse(static_cast<ClasseVille>(c)),
                  DenominateurMaxClasse(static_cast<ClasseVille>(c - 1)));
}

} // namespace
} // namespace orlavine::monde
