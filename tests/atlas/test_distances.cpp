#include "atlas/carte_france.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

using test::Commune;

int Distance(float lat1, float lon1, float lat2, float lon2) {
    return TCarteFrance::DistanceCommunes(Commune("P", "01001", lat1, lon1),
                                          Commune("Q", "01002", lat2, lon2));
}

TEST(Distance, ValeursDeReferenceEtSymetrie) {
    EXPECT_EQ(Distance(0, 0, 0, 180), 20038);
    EXPECT_EQ(Distance(0, 0, 90, 0), 10019);
    EXPECT_EQ(Distance(90, 0, 0, 0), 10019);
    EXPECT_EQ(Distance(48.8566f, 2.3522f, 48.8566f, 2.3522f), 0);
    // Paris - Marseille, town halls: about 661 km on the sphere.
    EXPECT_NEAR(Distance(48.8566f, 2.3522f, 43.2965f, 5.3698f), 661, 1);
    EXPECT_NEAR(Distance(45, 10, -45, -170), 20038, 2); // antipodes: no undefined value
    const int proche = Distance(45.0f, 3.0f, 45.0f, 3.05f);
    EXPECT_GT(proche, 0);
    EXPECT_LT(proche, 10);
    for (float lat = -80; lat <= 80; lat += 7.3f)
        for (float lon = -170; lon <= 170; lon += 23.1f)
            ASSERT_EQ(Distance(lat, lon, -lat * 0.5f, lon + 40),
                      Distance(-lat * 0.5f, lon + 40, lat, lon));
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
    auto indexes = [&](int commune, int rayon) {
        carte.RechercheVoisines(commune, rayon);
        std::vector<int> r;
        for (const auto& v : carte.CommunesVoisines)
            r.push_back(v.IndexCommune);
        return r;
    };
    EXPECT_EQ(indexes(0, 0), std::vector<int>{1});
    EXPECT_EQ(indexes(0, 300), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(indexes(1, 300).empty());
    EXPECT_TRUE(indexes(57, 10).empty()); // not a commune: nothing, no crash
    EXPECT_EQ(indexes(0, 12), (std::vector<int>{1, 2}));
    EXPECT_EQ(carte.CommunesVoisines[1].Distance, 12);
    TLigneVoisine ligne;
    carte.RemplitLigneVoisine(1, ligne);
    EXPECT_EQ(ligne.Code, "01003");
    EXPECT_EQ(ligne.Nom, "C");
    EXPECT_EQ(ligne.Distance, "12 km");
}

// A latitude north of (45, 3) at exactly `km` from it.
float LatitudeA(int km) {
    for (float lat = 45.0f; lat < 47.0f; lat += 0.0005f)
        if (Distance(45.0f, 3.0f, lat, 3.0f) == km) return lat;
    return 0;
}

TEST(CommunesDeRang, CentKilometresInclusEtPreferences) {
    auto ville = Commune("VILLE", "01001", 45.0f, 3.0f);
    auto a100 = Commune("PREF-A", "21001", LatitudeA(100), 3.0f, 7);
    auto a101 = Commune("PREF-B", "21002", LatitudeA(101), 3.0f, 7);
    auto sousPref = Commune("SOUS-PREF", "21003", 45.1f, 3.0f, 6);
    auto capitale = Commune("CAPITALE", "75056", 45.1f, 3.0f, 9);
    // The capital comes wherever the regional capitals do.
    TCarteFrance carte({}, {ville, a100, a101, sousPref, capitale}, test::NomsDepartements());
    TPreferencesCarte prefs;
    auto affichees = [&] {
        carte.AjouteCommuneAffichee(0, "", true, true);
        carte.AjouteCommunesDeRang(0, -1);
        std::vector<int> indexes;
        for (const auto& e : carte.CommunesAffichees)
            indexes.push_back(e.IndexCommune);
        return indexes;
    };
    EXPECT_EQ(affichees(), (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(carte.CommunesAffichees[1].Complement, ", Pr\xE9"
                                                     "fecture : C\xF4te-d'Or, 100 km de VILLE");
    prefs.SsPrefecture = false;
    prefs.Capital = false;
    carte.Preferences = &prefs;
    EXPECT_EQ(affichees(), (std::vector<int>{0, 1, 4}));
    prefs.Prefecture = false;
    prefs.Capital = true;
    EXPECT_EQ(affichees(), (std::vector<int>{0, 4}));
    prefs.Capital = false;
    EXPECT_EQ(affichees(), (std::vector<int>{0}));
}

TEST(CommunesDeRang, TexteDesDistances) {
    TCarteFrance carte({},
                       {Commune("HAVRE", "76351", 49.49f, 0.1f, 6, "LE"),
                        Commune("ROUEN", "76540", 49.44f, 1.1f, 7), Commune("SIMPLE", "76001")},
                       test::NomsDepartements());
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
    carte.AjouteCommuneAffichee(2, "", false, true); // emptied first
    ASSERT_EQ(carte.CommunesAffichees.size(), 1u);
    EXPECT_EQ(carte.CommunesAffichees[0].IndexCommune, 2);
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
    const std::pair<TPoint, const char*> cas[] = {{{95, 95}, "01002"},
                                                  {{101, 100}, "01002"}, // the earlier entry wins
                                                  {{107, 100}, "01003"},
                                                  {{109, 100}, ""},
                                                  {{100, 106}, ""}};
    for (const auto& [p, code] : cas)
        EXPECT_EQ(carte.CodeCommuneSous(p.x, p.y), code) << p.x << "," << p.y;
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
    const int g = 2000000000;
    const std::vector<TPoint> geant{{-g, -g}, {g, -g}, {g, g}, {-g, g}};
    EXPECT_TRUE(IsInPoly(geant.data(), 4, {0, 0}));
}

} // namespace
} // namespace orlavine
