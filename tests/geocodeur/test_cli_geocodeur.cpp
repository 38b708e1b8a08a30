// orlavine-cli geocoder and normaliser: the place found (or the candidates) one a line, then
// the reason; exit codes 0 / 1 / 2.
#include "app/cli/commandes.h"
#include "geocodeur/monde.h"
#include "monde_essai.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

class CliGeocodeur : public ::testing::Test {
protected:
    int Lance(std::vector<std::string> args) {
        sortie_.str("");
        erreurs_.str("");
        return cli::Principal(args, ORLAVINE_ATLAS_BUNDLED, sortie_, erreurs_);
    }
    std::ostringstream sortie_, erreurs_;
};

TEST_F(CliGeocodeur, CandidatesOneALineBestFirst) {
    ASSERT_EQ(Lance({"--tsv", "geocoder", "Londres ; Angleterre"}), 0);
    EXPECT_EQ(sortie_.str(),
              "51.508530\t-0.125740\tLondon, Angleterre, Royaume-Uni\tGeoNames\tlocalise\n");
    ASSERT_EQ(Lance({"geocoder", "Versailles", "--geocodeur", ORLAVINE_MONDE_BUNDLED}), 0);
    EXPECT_TRUE(test::Contient(sortie_.str(), "48.8"));
    EXPECT_TRUE(test::Contient(sortie_.str(), "  Versailles, Yvelines (78646), France  (atlas)\n"));
    // Nothing found: the reason only, success; never the Paris of another country.
    EXPECT_EQ(Lance({"geocoder", "Paris ; Belgique"}), 0);
    EXPECT_TRUE(test::Contient(sortie_.str(), "Non localisé : "));
    EXPECT_FALSE(test::Contient(sortie_.str(), "(atlas)"));
    EXPECT_EQ(erreurs_.str(), "");
}

TEST_F(CliGeocodeur, MissingOrDamagedFileExitsOne) {
    test::DossierTemporaire dossier;
    const auto chemin = (dossier.Chemin() / "monde.dat").string();
    EXPECT_EQ(Lance({"geocoder", "Paris", "--geocodeur", chemin}), 1);
    EXPECT_TRUE(test::Contient(erreurs_.str(), "\"monde.dat\""));
    EXPECT_TRUE(test::Contient(erreurs_.str(), "non existant"));
    auto octets = geocodeur::EcritMonde(geocodeur::essai::MondeEssai());
    octets.resize(octets.size() - 3);
    dossier.Ecrit("monde.dat", octets);
    EXPECT_EQ(Lance({"geocoder", "Paris", "--geocodeur", chemin}), 1);
    EXPECT_TRUE(test::Contient(erreurs_.str(), "endommag\xC3\xA9"));
    EXPECT_EQ(sortie_.str(), "");
    // A missing atlas too.
    EXPECT_EQ(Lance({"geocoder", "Paris", "--atlas", dossier.Chemin().string()}), 1);
}

TEST_F(CliGeocodeur, UsageErrorsExitTwo) {
    EXPECT_EQ(Lance({"geocoder"}), 2);
    EXPECT_TRUE(test::Contient(erreurs_.str(), "geocoder TEXTE"));
    EXPECT_EQ(Lance({"geocoder", "a", "b"}), 2);
    EXPECT_EQ(Lance({"geocoder", "Paris", "--geocodeur"}), 2);
    EXPECT_EQ(Lance({"normaliser", "Paris", "--rayon", "3"}), 2);
    // The atlas commands still answer as before.
    EXPECT_EQ(Lance({"info", "--tsv"}), 0);
    EXPECT_TRUE(test::Contient(sortie_.str(), "communes\t"));
    EXPECT_EQ(Lance({"inconnue"}), 2);
}

TEST_F(CliGeocodeur, NormaliserPrintsTheTextWithoutPostalCodes) {
    ASSERT_EQ(Lance({"normaliser", "Lassigny;60350;Oise;France"}), 0);
    EXPECT_EQ(sortie_.str(), " ; Lassigny ; Oise ; France\n");
    ASSERT_EQ(Lance({"normaliser", "75001"}), 0);
    EXPECT_EQ(sortie_.str(), "75001\n");
}

} // namespace
} // namespace orlavine
