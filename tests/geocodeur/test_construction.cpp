// geocodeur-build on small hand-written sources: what goes into the world file, and a damaged
// source named with its line.
#ifdef ORLAVINE_AVEC_CONSTRUCTEUR

#include "geocodeur/cle.h"
#include "geocodeur/geocodeur.h"
#include "tests/commun/outils.h"
#include "tools/geocodeur-build/construction.h"

#include <gtest/gtest.h>

namespace orlavine::geocodeurbuild {
namespace {

using geocodeur::ErreurGeocodeur;
using test::Contient;
using test::MessageDe;

std::string Ligne(const std::string& nom, const std::string& alternatifs, const char* lat,
                  const char* lon, const char* code, const char* pays, const char* admin1,
                  const char* population) {
    return "1\t" + nom + "\t" + nom + "\t" + alternatifs + "\t" + lat + "\t" + lon + "\tP\t" +
           code + "\t" + pays + "\t\t" + admin1 + "\t\t\t\t" + population +
           "\t\t10\tEurope/Paris\t2020-01-01\n";
}

class Construction : public ::testing::Test {
protected:
    void SetUp() override {
        const auto& d = dossier_.Chemin();
        std::string pays = R"({"locale":"fr","countries":{)";
        std::string paysEn = R"({"locale":"en","countries":{)";
        // Every country our aliases name must exist.
        const char* isos[] = {"BE", "CA", "CH", "DE", "DZ", "ES", "FR", "GB", "GP", "IT",
                              "LU", "MA", "MC", "NL", "PL", "RU", "AT", "TN", "US"};
        for (const char* iso : isos) {
            pays +=
                std::string(pays.back() == '{' ? "" : ",") + "\"" + iso + "\":\"Pays " + iso + "\"";
            paysEn += std::string(paysEn.back() == '{' ? "" : ",") + "\"" + iso + "\":[\"Country " +
                      iso + "\",\"C" + iso + "\"]";
        }
        test::EcritFichier(d / CheminPaysFr, pays + "}}");
        test::EcritFichier(d / CheminPaysEn, paysEn + "}}");
        // Every province our aliases name must exist too.
        const std::map<std::string, std::vector<std::string>> provinces = {
            {"GB", {"ENG", "SCT", "WLS", "NIR"}},
            {"US", {"LA"}},
            {"BE", {"WAL", "VLG", "BRU"}},
            {"NL", {"05"}},
            {"CA", {"10"}},
            {"DE", {"02", "07", "08", "09"}},
            {"IT", {"12", "14"}},
            {"ES", {"56"}}};
        for (const auto& [iso, codes] : provinces) {
            std::string liste = "[";
            for (const auto& c : codes)
                liste += std::string(liste.size() > 1 ? "," : "") + R"({"name":"Canton de P)" + c +
                         R"(","admin":")" + c + "\"}";
            test::EcritFichier(d / CheminProvinces / iso / "fr.json", liste + "]");
        }
        test::EcritFichier(d / CheminDepartements,
                           R"([{"code":"76","nom":"Seine-Maritime","region":"28"},)"
                           R"({"code":"971","nom":"Guadeloupe","region":"01"},)"
                           R"({"code":"989","nom":"Clipperton","region":"989"}])");
        test::EcritFichier(d / CheminRegions, R"([{"code":"28","nom":"Normandie"},)"
                                              R"({"code":"01","nom":"Guadeloupe"}])");
        geonames_ = Ligne("Rouen", "Rouan", "49.44313", "1.09932", "PPLA", "FR", "28", "110000") +
                    Ligne("Mainz", "Mayence,Magonza,\xD0\x9C\xD0\xB0\xD0\xB9\xD0\xBD\xD1\x86",
                          "49.98419", "8.2791", "PPLA", "DE", "08", "217118") +
                    Ligne("Kleinstadt", "Petiteville", "50.0", "8.0", "PPL", "DE", "08", "900") +
                    Ligne("Sainte-Rose", "", "16.33238", "-61.69793", "PPL", "GP", "GP", "20192");
        for (const AliasLieu& e : Exonymes())
            if (std::string(e.cible) != "Mainz")
                geonames_ += Ligne(e.cible, "", "10.0", "10.0", "PPL", e.iso, "", "1000");
    }
    void EcritGeoNames(const std::string& texte) {
        test::EcritFichier(dossier_.Chemin() / CheminGeoNames, texte);
    }

    test::DossierTemporaire dossier_;
    std::string geonames_;
};

TEST_F(Construction, WhatGoesIntoTheWorldFile) {
    EcritGeoNames(geonames_);
    RapportConstruction rapport;
    const auto d = ConstruitMonde(dossier_.Chemin(), &rapport);
    EXPECT_TRUE(rapport.exonymesIntrouvables.empty());
    const geocodeur::TMonde m(geocodeur::EcritMonde(d), "m.dat");
    // Metropolitan France is the atlas's: Rouen is not in the world file.
    EXPECT_TRUE(m.Cibles("ROUEN").empty());
    EXPECT_TRUE(m.Cibles("ROUAN").empty());
    // Latin alternate names of a town of 15,000 inhabitants or more, other scripts left out.
    ASSERT_EQ(m.Cibles("MAINZ").size(), 1u);
    const std::uint32_t mainz = m.Cibles("MAINZ")[0];
    EXPECT_EQ(mainz % 2, 0u);
    EXPECT_EQ(m.Cibles("MAGONZA"), std::vector<std::uint32_t>{mainz + 1});
    // Our exonym counts as the name itself.
    EXPECT_EQ(m.Cibles("MAYENCE"), std::vector<std::uint32_t>{mainz});
    EXPECT_EQ(m.Lieux[mainz / 2].Latitude, 4998419);
    EXPECT_EQ(m.Provinces[m.Lieux[mainz / 2].Province].Code, "08");
    for (const auto& k : m.ToutesLesCles())
        EXPECT_TRUE(geocodeur::CleLatine(k.Cle)) << k.Cle;
    // A small place keeps only its own name.
    EXPECT_FALSE(m.Cibles("KLEINSTADT").empty());
    EXPECT_TRUE(m.Cibles("PETITEVILLE").empty());
    // Overseas departments know the country of their places; Clipperton has none.
    ASSERT_EQ(m.Departements.size(), 2u);
    EXPECT_EQ(m.Departements[1].Code, "971");
    EXPECT_EQ(m.Departements[1].Pays, "GP");
    // Province keys without their "Canton de"; English country names as keys.
    const auto& allemagne = m.Pays[m.Lieux[mainz / 2].Pays];
    EXPECT_EQ(allemagne.Nom, "Pays DE");
    EXPECT_NE(std::find(allemagne.Cles.begin(), allemagne.Cles.end(), "COUNTRY DE"),
              allemagne.Cles.end());
    const auto& rhenanie = m.Provinces[m.Lieux[mainz / 2].Province];
    EXPECT_NE(std::find(rhenanie.Cles.begin(), rhenanie.Cles.end(), "P08"), rhenanie.Cles.end());
    EXPECT_NE(std::find(rhenanie.Cles.begin(), rhenanie.Cles.end(), "RHENANIE"),
              rhenanie.Cles.end());

    // The same sources, the same bytes.
    EXPECT_EQ(geocodeur::EcritMonde(ConstruitMonde(dossier_.Chemin())), geocodeur::EcritMonde(d));
}

TEST_F(Construction, DamagedSourcesAreNamedWithTheirLine) {
    EcritGeoNames(geonames_ + "2\tTronque\t50.0\n");
    const auto lignes = std::count(geonames_.begin(), geonames_.end(), '\n');
    const std::string m = MessageDe<ErreurGeocodeur>([&] { ConstruitMonde(dossier_.Chemin()); });
    EXPECT_TRUE(Contient(m, "cities500.txt\", ligne " + std::to_string(lignes + 1)));
    EcritGeoNames(Ligne("Nulle", "", "91.5", "0", "PPL", "DE", "08", "1"));
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { ConstruitMonde(dossier_.Chemin()); }),
                         "coordonn\xC3\xA9"
                         "es illisibles"));
    EcritGeoNames(geonames_);
    test::EcritFichier(dossier_.Chemin() / CheminRegions, "[{");
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { ConstruitMonde(dossier_.Chemin()); }),
                         "regions.json"));
    std::filesystem::remove(dossier_.Chemin() / CheminPaysFr);
    EXPECT_TRUE(Contient(MessageDe<ErreurGeocodeur>([&] { ConstruitMonde(dossier_.Chemin()); }),
                         "fetch-sources.sh"));
}

} // namespace
} // namespace orlavine::geocodeurbuild

#endif
