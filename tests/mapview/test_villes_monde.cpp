// The towns of the world map from the gazetteer: France and the overseas countries the atlas
// holds left out, names in French where we have them, in Windows-1252 or the place left
// out; pictures of the bundled map
// around Mainz, Brussels and over Europe with them.
#include "atlas/carte_france.h"
#include "geocodeur/monde.h"
#include "mapview/villes_monde.h"
#include "mapview/web_osmaps.h"
#include "tests/commun/atlas_essai.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

namespace fs = std::filesystem;

geocodeur::TMonde Gazetier() {
    geocodeur::DonneesMonde d;
    d.Pays = {{"FR", "France", {}},
              {"DE", "Allemagne", {}},
              {"GP", "Guadeloupe", {}},
              {"RU", "Russie", {}}};
    d.Departements = {{"78", "Yvelines", "FR", {}}, {"971", "Guadeloupe", "GP", {}}};
    const auto lieu = [&](double lat, double lon, std::uint16_t pays, std::uint32_t pop,
                          std::uint8_t genre, const char* nom) {
        geocodeur::TLieu l;
        l.Latitude = static_cast<std::int32_t>(lat * 1e5);
        l.Longitude = static_cast<std::int32_t>(lon * 1e5);
        l.Pays = pays;
        l.Population = pop;
        l.Genre = genre;
        l.Nom = geocodeur::AjouteNom(d.Noms, nom);
        d.Lieux.push_back(l);
    };
    lieu(48.8, 2.1, 0, 85'000, 1, "Versailles");
    lieu(50.93, 6.95, 1, 963'395, 1, "K\xC3\xB6ln");
    lieu(16.24, -61.53, 2, 15'000, 0, "Pointe-\xC3\xA0-Pitre");
    lieu(55.75, 37.62, 3, 10'000'000, 2, "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
    lieu(59.93, 30.31, 3, 5'000'000, 1, "Saint Petersburg");
    lieu(47.8, 9.6, 1, 1'200, 0, "Br\xC3\xA4unlingen");
    lieu(50.0, 7.0, 1, 900, 0, "K\xC3\xB6ln"); // a namesake: the larger one takes the name
    return geocodeur::TMonde(geocodeur::EcritMonde(d), "essai.dat");
}

TEST(VillesMonde, FranceLeftOutNamesInWindows1252) {
    const geocodeur::TMonde m = Gazetier();
    const auto atlas = essai::AtlasEssai();
    const std::vector<monde::TVilleMonde> v = VillesDuMonde(m, atlas.get());
    std::vector<AnsiString> noms;
    for (const auto& t : v)
        noms.push_back(t.Nom);
    // Guadeloupe stays: the atlas draws metropolitan France only. Moscow's Cyrillic name
    // cannot be written.
    EXPECT_EQ(noms, (std::vector<AnsiString>{"Cologne", "Pointe-\xE0-Pitre", "Saint Petersburg",
                                             "Br\xE4unlingen", "K\xF6ln"}));
    EXPECT_NEAR(v[0].Latitude, 50.93, 1e-5);
    EXPECT_NEAR(v[0].Longitude, 6.95, 1e-5);
    EXPECT_EQ(v[0].Population, 963'395u);
    EXPECT_EQ(v[0].Importance, 1);
    EXPECT_EQ(VillesDuMonde(m, nullptr).size(), 5u) << "France left out even without an atlas";
}

// Pictures of the bundled map with the gazetteer's towns, under <build>/captures.
TEST(VillesMonde, ImagesMainzBrusselsEurope) {
    std::unique_ptr<TCarteFrance> atlas;
    std::optional<geocodeur::TMonde> gazetier;
    try {
        atlas = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
        gazetier.emplace(geocodeur::TMonde::Charge(ORLAVINE_GEOCODEUR_LIVRE));
    } catch (const Erreur&) {
        GTEST_SKIP() << "données livrées absentes";
    }
    if (!fs::exists(ORLAVINE_MONDE_LIVRE)) GTEST_SKIP() << "carte du monde absente";
    TWebOSMaps carte;
    carte.FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    carte.FixeAtlas(atlas.get());
    carte.FixeVilles(VillesMondePartagees(*gazetier, atlas.get()));
    carte.resize(1000, 700);
    carte.Launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Pret(); }, 5000));
    fs::create_directories(ORLAVINE_CAPTURES);
    const auto rend = [&](double lat, double lon, double echelle, const char* nom) {
        carte.ArcGisMapCenterAt(lat, lon);
        carte.FixeEchelle(echelle);
        QImage image(1000, 700, QImage::Format_RGB32);
        QPainter p(&image);
        carte.DessineSur(p, 1000, 700);
        p.end();
        image.save(QString::fromStdString((fs::path(ORLAVINE_CAPTURES) / nom).string()));
        return carte.DernierDessin();
    };
    const monde::TBilanDessinMonde mainz = rend(49.9929, 8.2473, 1e6, "villes-mainz.png");
    EXPECT_GT(mainz.Villes, 50);
    EXPECT_GT(mainz.Communes, 50) << "Alsace and Lorraine in the corner";
    EXPECT_GT(mainz.Libelles, 30);
    const monde::TBilanDessinMonde bruxelles = rend(50.8503, 4.3517, 5e5, "villes-bruxelles.png");
    EXPECT_GT(bruxelles.Villes, 50);
    const monde::TBilanDessinMonde europe = rend(50.0, 10.0, 1e7, "villes-europe.png");
    EXPECT_GT(europe.Villes, 20);
    const monde::TBilanDessinMonde montreal = rend(45.5088, -73.5878, 1e6, "villes-montreal.png");
    EXPECT_GT(montreal.Villes, 10);
    // On the border: the communes on one side, the towns on the other.
    const monde::TBilanDessinMonde rhin = rend(48.5734, 7.7521, 1e6, "villes-strasbourg.png");
    EXPECT_GT(rhin.Villes, 50);
    EXPECT_GT(rhin.Communes, 300);
    const monde::TBilanDessinMonde paris = rend(48.8566, 2.3522, 1e6, "villes-paris.png");
    EXPECT_EQ(paris.Villes, 0) << "France's places come from the atlas";
}

} // namespace
} // namespace orlavine
