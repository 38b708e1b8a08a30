// The map preferences file "pref-graph.ini": defaults, repair of values out of range,
// exact rewriting, and a failed write reported.
#include "atlas/preferences.h"
#include "host/erreur.h"
#include "tests/commun/outils.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

class FichierPreferences : public ::testing::Test {
protected:
    test::DossierTemporaire dossier;
    const std::filesystem::path chemin = dossier.Chemin() / "pref-graph.ini";
    void Ecrit(const std::string& texte) { test::EcritFichier(chemin, texte); }
};

TEST_F(FichierPreferences, DefautsEtValeursInconnues) {
    EXPECT_EQ(LitPreferencesCarte(chemin), TPreferencesCarte{}); // no file
    Ecrit("[Graph]\nR3=0\nR5=abc\nR8=2\nCoul100km=255\nCoulCentral=x\nPositionLegende=4\n");
    const TPreferencesCarte p = LitPreferencesCarte(chemin);
    EXPECT_FALSE(p.R3);
    EXPECT_TRUE(p.R5); // not a number: the default
    EXPECT_TRUE(p.R8); // any non-zero number
    EXPECT_EQ(p.Coul100km, 255u);
    EXPECT_EQ(p.CoulCentral, TPreferencesCarte{}.CoulCentral);
    EXPECT_EQ(p.PositionLegende, 4);
    const int coins[] = {0, 8, 6, 7, 5};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(CoinLegende(i), coins[i]);
    EXPECT_EQ(CoinLegende(9), 6);
    EXPECT_EQ(CoinLegende(-1), 6);
}

// A value out of range reads as its default, and is written back as that default.
TEST_F(FichierPreferences, ValeursHorsLimitesReparees) {
    Ecrit("[Graph]\nPositionLegende=77\nCoulCentral=-1\nCoul100km=16777216\n"
          "FondLegende=16777215\nR3=0\n");
    const TPreferencesCarte d;
    TPreferencesCarte p = LitPreferencesCarte(chemin);
    EXPECT_EQ(p.PositionLegende, d.PositionLegende);
    EXPECT_EQ(p.CoulCentral, d.CoulCentral);
    EXPECT_EQ(p.Coul100km, d.Coul100km);
    EXPECT_EQ(p.FondLegende, 0xFFFFFFu); // white is a colour
    EXPECT_FALSE(p.R3);
    EcritPreferencesCarte(chemin, p);
    EXPECT_TRUE(test::Contient(test::LitFichier(chemin), "\nCoulCentral=5987327\n"));
    EXPECT_TRUE(test::Contient(test::LitFichier(chemin), "\nPositionLegende=1\n"));
    for (int position : {-1, 5, 1000}) {
        Ecrit("[Graph]\nPositionLegende=" + std::to_string(position) + "\n");
        EXPECT_EQ(LitPreferencesCarte(chemin).PositionLegende, 1) << position;
    }
    // Values set in memory out of range are written as the defaults too.
    p.PositionLegende = -1;
    p.Coul100km = 0xFF000000u;
    EcritPreferencesCarte(chemin, p);
    EXPECT_EQ(LitPreferencesCarte(chemin), PreferencesReparees(p));
    EXPECT_EQ(PreferencesReparees(p).PositionLegende, 1);
    EXPECT_EQ(PreferencesReparees(p).Coul100km, d.Coul100km);
}

TEST_F(FichierPreferences, EnregistrementExactementLesDixSeptCles) {
    Ecrit("[Autre]\nX=1\n[Graph]\nInconnue=3\nR3=1\n");
    TPreferencesCarte p;
    p.R20 = false;
    p.Coul100km = 0x00FF00;
    p.PositionLegende = 4;
    EcritPreferencesCarte(chemin, p);
    EXPECT_EQ(test::LitFichier(chemin),
              "[Graph]\nCapital=1\nPrefecture=1\nSs-Prefecture=1\nR3=1\nR5=1\nR8=1\n"
              "R10=1\nR12=1\nR20=0\nR50=1\nR100=1\nDisqueDegrade=1\nCoul100km=65280\n"
              "CoulCentral=5987327\nAnimation15s=0\nFondLegende=15793151\n"
              "PositionLegende=4\n");
    EXPECT_EQ(LitPreferencesCarte(chemin), p);
}

// A file that cannot be written raises the error naming it; nothing is lost.
TEST_F(FichierPreferences, EchecDEcritureSignale) {
    test::EcritFichier(dossier.Chemin() / "dossier", "un fichier, pas un dossier");
    const auto impossible = dossier.Chemin() / "dossier" / "pref-graph.ini";
    const std::string message =
        test::MessageDe<Erreur>([&] { EcritPreferencesCarte(impossible, TPreferencesCarte{}); });
    EXPECT_TRUE(test::Contient(message, "\"" + impossible.string() + "\" : "));
    EXPECT_TRUE(test::Contient(message, "impossible d'enregistrer les préférences"));
}

TEST(CheminPreferences, DossierDesDonneesDeLApplication) {
    const char* avant = std::getenv("XDG_DATA_HOME");
    const std::string ancien = avant ? avant : "";
    setenv("XDG_DATA_HOME", "/tmp/essai-xdg", 1);
    EXPECT_EQ(CheminPrefGraphDefaut(), "/tmp/essai-xdg/Orlavine/pref-graph.ini");
    if (avant)
        setenv("XDG_DATA_HOME", ancien.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace orlavine
