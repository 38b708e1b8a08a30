#include "atlas/carte_france.h"
#include "fixture.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

using test::Commune;

TCommune Point(float lat, float lon) {
    return Commune("P", "01001", lat, lon);
}

TEST(Distance, ValeursDeReference) {
    EXPECT_EQ(TCarteFrance::DistanceCommunes(Point(0, 0), Point(0, 180)), 20038);
    EXPECT_EQ(TCarteFrance::DistanceCommunes(Point(0, 0), Point(90, 0)), 10019);
    EXPECT_EQ(TCarteFrance::DistanceCommunes(Point(90, 0), Point(0, 0)), 10019);
    EXPECT_EQ(TCarteFrance::DistanceCommunes(Point(48.8566f, 2.3522f), Point(48.8566f, 2.3522f)),
              0);
    // Paris - Marseille, town halls: about 661 km on the sphere.
    const int pm =
        TCarteFrance::DistanceCommunes(Point(48.8566f, 2.3522f), Point(43.2965f, 5.3698f));
    EXPECT_NEAR(pm, 661, 1);
}

TEST(Distance, SymetriqueEtPetitePourDesPointsVoisins) {
    const auto a = Point(45.0f, 3.0f);
    const auto b = Point(45.0f, 3.05f);
    const int d = TCarteFrance::DistanceCommunes(a, b);
    EXPECT_GT(d, 0);
    EXPECT_LT(d, 10);
    EXPECT_EQ(d, TCarteFrance::DistanceCommunes(b, a));
    for (float lat = -80; lat <= 80; lat += 7.3f)
        for (float lon = -170; lon <= 170; lon += 23.1f)
            ASSERT_EQ(
                TCarteFrance::DistanceCommunes(Point(lat, lon), Point(-lat * 0.5f, lon + 40)),
                TCarteFrance::DistanceCommunes(Point(-lat * 0.5f, lon + 40), Point(lat, lon)));
}

TEST(Distance, AntipodesSansValeurIndefinie) {
    const int d = TCarteFrance::DistanceCommunes(Point(45, 10), Point(-45, -170));
    EXPECT_NEAR(d, 20038, 2);
}

TCarteFrance AtlasAvecVoisins() {
    auto a = Commune("A", "01001");
    a.Voisins = {1, 2, 3};
    a.DistancesVoisins = {0, 12, 255};
    return TCarteFrance({},
                        {a, Commune("B", "01002"), Commune("C", "01003"), Commune("D", "01004")},
                        test::NomsDepartements());
}

TEST(Voisins, RayonEtOrdreStocke) {
    auto carte = AtlasAvecVoisins();
    auto indexes = [&] {
        std::vector<int> r;
        for (const auto& v : carte.CommunesVoisines)
            r.push_back(v.IndexCommune);
        return r;
    };
    carte.RechercheVoisines(0, 0);
    EXPECT_EQ(indexes(), std::vector<int>{1});
    carte.RechercheVoisines(0, 12);
    EXPECT_EQ(indexes(), (std::vector<int>{1, 2}));
    EXPECT_EQ(carte.CommunesVoisines[1].Distance, 12);
    carte.RechercheVoisines(0, 300);
    EXPECT_EQ(indexes(), (std::vector<int>{1, 2, 3}));
    carte.RechercheVoisines(1, 300);
    EXPECT_TRUE(carte.CommunesVoisines.empty());
    carte.RechercheVoisines(57, 10); // not a commune: nothing, no crash
    EXPECT_TRUE(carte.CommunesVoisines.empty());

    carte.RechercheVoisines(0, 20);
    TLigneVoisine ligne;
    carte.RemplitLigneVoisine(1, ligne);
    EXPECT_EQ(ligne.Code, "01003");
    EXPECT_EQ(ligne.Nom, "C");
    EXPECT_EQ(ligne.Distance, "12 km");
}

// A latitude north of (45, 3) at exactly `km` from it.
float LatitudeA(int km) {
    const auto centre = Point(45.0f, 3.0f);
    for (float lat = 45.0f; lat < 47.0f; lat += 0.0005f)
        if (TCarteFrance::DistanceCommunes(centre, Point(lat, 3.0f)) == km) return lat;
    return 0;
}

TEST(CommunesDeRang, CentKilometresInclus) {
    auto ville = Commune("VILLE", "01001", 45.0f, 3.0f);
    auto a100 = Commune("PREF-A", "21001", LatitudeA(100), 3.0f, 7);
    auto a101 = Commune("PREF-B", "21002", LatitudeA(101), 3.0f, 7);
    auto sousPref = Commune("SOUS-PREF", "21003", 45.1f, 3.0f, 6);
    auto capitale = Commune("CAPITALE", "75056", 45.1f, 3.0f, 9);
    TCarteFrance carte({}, {ville, a100, a101, sousPref, capitale}, test::NomsDepartements());
    carte.AjouteCommuneAffichee(0, "", true, true);
    carte.AjouteCommunesDeRang(0, -1);
    std::vector<int> indexes;
    for (const auto& e : carte.CommunesAffichees)
        indexes.push_back(e.IndexCommune);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 3})); // rank 9 is never added here
    EXPECT_EQ(carte.CommunesAffichees[1].Complement, ", Pr\xE9"
                                                     "fecture : C\xF4te-d'Or, 100 km de VILLE");

    TPreferencesCarte prefs;
    prefs.SsPrefecture = false;
    prefs.Capital = false;
    carte.Preferences = &prefs;
    carte.AjouteCommuneAffichee(0, "", true, true);
    carte.AjouteCommunesDeRang(0, -1);
    EXPECT_EQ(carte.CommunesAffichees.size(), 2u);
    prefs.Prefecture = false;
    carte.AjouteCommuneAffichee(0, "", true, true);
    carte.AjouteCommunesDeRang(0, -1);
    EXPECT_EQ(carte.CommunesAffichees.size(), 1u);
}

TEST(CommunesDeRang, TexteDesDistances) {
    auto ville1 = Commune("HAVRE", "76351", 49.49f, 0.1f, 6, "LE");
    auto ville2 = Commune("ROUEN", "76540", 49.44f, 1.1f, 7);
    auto simple = Commune("SIMPLE", "76001");
    TCarteFrance carte({}, {ville1, ville2, simple}, test::NomsDepartements());
    EXPECT_EQ(carte.TexteDistances(2, 0, 1, 0, 0), "");
    EXPECT_EQ(carte.TexteDistances(1, 0, 1, 12, 40),
              ", Pr\xE9"
              "fecture : Seine-Maritime, 12 km de LE HAVRE, 40 km de ROUEN");
    EXPECT_EQ(carte.TexteDistances(2, 0, -1, 7, -1), ", 7 km de LE HAVRE");
}

TEST(CommunesAffichees, PasDeDoublonNiDIndexInvalide) {
    auto carte = AtlasAvecVoisins();
    carte.AjouteCommuneAffichee(1, " - 3 km", false, false);
    carte.AjouteCommuneAffichee(1, "autre", true, false);
    carte.AjouteCommuneAffichee(-1, "", false, false);
    carte.AjouteCommuneAffichee(99, "", false, false);
    ASSERT_EQ(carte.CommunesAffichees.size(), 1u);
    EXPECT_EQ(carte.CommunesAffichees[0].Complement, " - 3 km");
    EXPECT_FALSE(carte.CommunesAffichees[0].Clignotant);
    EXPECT_EQ(carte.CommunesAffichees[0].Libelle, "B");
    carte.AjouteCommuneAffichee(2, "", false, true);
    ASSERT_EQ(carte.CommunesAffichees.size(), 1u);
    EXPECT_EQ(carte.CommunesAffichees[0].IndexCommune, 2);
    carte.ViderCommunesAffichees();
    EXPECT_TRUE(carte.CommunesAffichees.empty());
}

TEST(Survol, BoiteDeOnzePixels) {
    auto carte = AtlasAvecVoisins();
    EXPECT_EQ(carte.TexteSurvol(0, 0), "");
    EXPECT_EQ(carte.CodeCommuneSous(0, 0), "");
    carte.AjouteCommuneAffichee(1, " - 3 km", false, false);
    carte.AjouteCommuneAffichee(2, "", false, false);
    carte.CommunesAffichees[0].Position = {100, 100};
    carte.CommunesAffichees[1].Position = {103, 100};
    EXPECT_EQ(carte.TexteSurvol(105, 105), "01002 - B - 3 km");
    EXPECT_EQ(carte.CodeCommuneSous(95, 95), "01002");
    EXPECT_EQ(carte.CodeCommuneSous(101, 100), "01002"); // the earlier entry wins
    EXPECT_EQ(carte.CodeCommuneSous(107, 100), "01003");
    EXPECT_EQ(carte.CodeCommuneSous(109, 100), "");
    EXPECT_EQ(carte.CodeCommuneSous(100, 106), "");
    carte.CommunesAffichees[0].SymboleVisible = false; // hidden symbols are still hit
    EXPECT_EQ(carte.CodeCommuneSous(100, 100), "01002");
}

TEST(Survol, PointDansPolygoneEnroulementNonNul) {
    const std::vector<TPoint> carre{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(IsInPoly(carre.data(), 4, {5, 5}));
    EXPECT_FALSE(IsInPoly(carre.data(), 4, {15, 5}));
    EXPECT_FALSE(IsInPoly(carre.data(), 4, {-1, -1}));
    // A five-pointed star drawn in one stroke: its centre is wound twice, still inside.
    const std::vector<TPoint> etoile{{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    EXPECT_TRUE(IsInPoly(etoile.data(), 5, {50, 50}));
    EXPECT_TRUE(IsInPoly(etoile.data(), 5, {50, 20}));
    EXPECT_FALSE(IsInPoly(etoile.data(), 5, {5, 80}));
    EXPECT_FALSE(IsInPoly(etoile.data(), 2, {50, 50}));
    EXPECT_FALSE(IsInPoly(nullptr, 5, {50, 50}));
    const std::vector<TPoint> geant{{-2000000000, -2000000000},
                                    {2000000000, -2000000000},
                                    {2000000000, 2000000000},
                                    {-2000000000, 2000000000}};
    EXPECT_TRUE(IsInPoly(geant.data(), 4, {0, 0}));
}

} // namespace
} // namespace orlavine
