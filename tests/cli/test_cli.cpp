#include "app/cli/commandes.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

using test::Commune;

class LigneDeCommande : public ::testing::Test {
protected:
    void SetUp() override {
        auto havre = Commune("HAVRE", "76351", 49.4938f, 0.1077f, 6, "LE");
        auto harfleur = Commune("HARFLEUR", "76341", 49.5066f, 0.1981f, 0);
        auto ajaccio = Commune("AJACCIO", "2A004", 41.9192f, 8.7386f, 7);
        auto bastia = Commune("BASTIA", "2B033", 42.6973f, 9.4509f, 7);
        auto seigneville = Commune("SEIGNEVILLE", "80001", 50.1f, 1.7f, 0);
        auto lonville = Commune("LONGUEVILLE", "62001", 50.4f, 1.9f, 4);
        // Sorted by name: AJACCIO BASTIA HARFLEUR HAVRE LONGUEVILLE SEIGNEVILLE.
        havre.Voisins = {2};
        havre.DistancesVoisins = {7};
        harfleur.Voisins = {3};
        harfleur.DistancesVoisins = {7};
        dossier_.EcritAtlas({ajaccio, bastia, harfleur, havre, lonville, seigneville});
    }

    int Lance(std::vector<std::string> args) {
        sortie_.str("");
        erreurs_.str("");
        return cli::Principal(args, dossier_.Chemin().string(), sortie_, erreurs_);
    }

    test::DossierTemporaire dossier_;
    std::ostringstream sortie_;
    std::ostringstream erreurs_;
};

TEST_F(LigneDeCommande, RechercheCommeLaFenetre) {
    EXPECT_EQ(Lance({"--tsv", "recherche", "  le havre "}), 0);
    EXPECT_EQ(sortie_.str(), "76351\tLE HAVRE\tSeine-Maritime\tSous-Pr\xC3\xA9"
                             "fecture\n");
    EXPECT_EQ(Lance({"recherche", "*VILLE ", "--tsv"}), 0);
    EXPECT_EQ(sortie_.str(), "62001\tLONGUEVILLE\tDepartement 62\tVille\n"
                             "80001\tSEIGNEVILLE\tDepartement 80\t\n");
    EXPECT_EQ(Lance({"--tsv", "recherche", "20004"}), 0);
    EXPECT_EQ(sortie_.str(), "2A004\tAJACCIO\tCorse\tPr\xC3\xA9"
                             "fecture\n");
    EXPECT_EQ(Lance({"--tsv", "recherche", "2b"}), 0);
    EXPECT_EQ(sortie_.str(), "2B033\tBASTIA\tCorse\tPr\xC3\xA9"
                             "fecture\n");
    EXPECT_EQ(Lance({"recherche", "ha"}), 0);
    EXPECT_EQ(sortie_.str(), "76341  HARFLEUR (Seine-Maritime)\n"
                             "76351  LE HAVRE (Seine-Maritime), Sous-Pr\xC3\xA9"
                             "fecture\n");
    // A name not found as typed: anywhere in the name, as the window does.
    EXPECT_EQ(Lance({"--tsv", "recherche", "ville"}), 0);
    EXPECT_EQ(sortie_.str(), "62001\tLONGUEVILLE\tDepartement 62\tVille\n"
                             "80001\tSEIGNEVILLE\tDepartement 80\t\n");
    EXPECT_EQ(Lance({"--tsv", "distance", "fleur", "Les Havre"}), 0);
    EXPECT_EQ(sortie_.str(), "76341\tHARFLEUR\t76351\tLE HAVRE\t7\n");
    EXPECT_EQ(Lance({"recherche", "introuvable"}), 0);
    EXPECT_EQ(sortie_.str(), "");
    EXPECT_EQ(erreurs_.str(), "");
}

TEST_F(LigneDeCommande, VoisinsDistanceInfo) {
    EXPECT_EQ(Lance({"--tsv", "voisins", "havre", "--rayon", "7"}), 0);
    EXPECT_EQ(sortie_.str(), "76341\tHARFLEUR\tSeine-Maritime\t\t7\n");
    EXPECT_EQ(Lance({"--tsv", "voisins", "havre", "--rayon", "6"}), 0);
    EXPECT_EQ(sortie_.str(), "");
    EXPECT_EQ(Lance({"--tsv", "distance", "le havre", "harfleur"}), 0);
    EXPECT_EQ(sortie_.str(), "76351\tLE HAVRE\t76341\tHARFLEUR\t7\n");
    EXPECT_EQ(Lance({"--tsv", "info"}), 0);
    EXPECT_EQ(sortie_.str(), "communes\t6\ndepartements\t95\ncontours\t203\n"
                             "contours_traces\t0\npoints_contours\t0\n");
}

TEST_F(LigneDeCommande, UneCommuneDelegueeTrouveeParSonNomDitCeQuElleEst) {
    // SAINT-MACAIRE shares the code of SEVREMOINE, of which it is a delegated commune, and
    // ANCIENNE is a former commune of LE HAVRE.
    auto ancienne = Commune("ANCIENNE", "76999", 49.5f, 0.12f);
    auto macaire = Commune("SAINT-MACAIRE", "49301", 47.1f, -1.0f);
    macaire.CodePostal.clear();
    auto sevremoine = Commune("SEVREMOINE", "49301", 47.1f, -1.0f, 4);
    dossier_.EcritAtlas(
        {ancienne, Commune("HAVRE", "76351", 49.49f, 0.1f, 6, "LE"), macaire, sevremoine});
    dossier_.Ecrit(NomFichierCommunesLiees,
                   EcritCommunesLiees(
                       {{0, TNatureCommune::Ancienne, 1}, {2, TNatureCommune::Deleguee, 3}}, 4));
    EXPECT_EQ(Lance({"recherche", "saint-mac"}), 0);
    EXPECT_EQ(sortie_.str(), "49301  SAINT-MACAIRE (Departement 49), commune d\xC3\xA9l\xC3\xA9gu"
                             "\xC3\xA9"
                             "e de Sevremoine\n");
    EXPECT_EQ(Lance({"--tsv", "recherche", "ancienne"}), 0);
    EXPECT_EQ(sortie_.str(), "76999\tANCIENNE\tSeine-Maritime\t\tancienne commune, rattach\xC3\xA9"
                             "e au Havre\n");
    // Its code gives the current commune first, then the delegated one.
    EXPECT_EQ(Lance({"--tsv", "recherche", "49301"}), 0);
    EXPECT_EQ(sortie_.str(), "49301\tSEVREMOINE\tDepartement 49\tVille\n"
                             "49301\tSAINT-MACAIRE\tDepartement 49\t\tcommune d\xC3\xA9l\xC3\xA9gu"
                             "\xC3\xA9"
                             "e de Sevremoine\n");
}

TEST_F(LigneDeCommande, ErreursDUsageEtDeDonnees) {
    EXPECT_EQ(Lance({}), 2);
    EXPECT_EQ(Lance({"cherche", "x"}), 2);
    EXPECT_NE(erreurs_.str().find("commande inconnue"), std::string::npos);
    EXPECT_EQ(Lance({"voisins", "havre"}), 2);
    EXPECT_EQ(Lance({"voisins", "havre", "--rayon", "-3"}), 2);
    EXPECT_EQ(Lance({"voisins", "havre", "--rayon", "douze"}), 2);
    EXPECT_EQ(Lance({"distance", "havre"}), 2);
    EXPECT_EQ(Lance({"--bavard", "info"}), 2);
    EXPECT_EQ(Lance({"--aide"}), 0);
    EXPECT_NE(sortie_.str().find("Usage"), std::string::npos);

    EXPECT_EQ(Lance({"--atlas", "/nulle/part", "info"}), 1);
    EXPECT_NE(erreurs_.str().find("Fichier \"pointdepii.dat\" non existant"), std::string::npos);
    std::vector<std::uint8_t> tronque{3, 0, 0, 0, 1, 2, 3};
    dossier_.Ecrit("cc.dat", tronque);
    EXPECT_EQ(Lance({"info"}), 1);
    EXPECT_NE(erreurs_.str().find("Fichier \"cc.dat\" endommag\xC3\xA9"), std::string::npos);
}

} // namespace
} // namespace orlavine
