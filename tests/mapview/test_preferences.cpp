// Map preferences: the "pref-graph.ini" file and the preferences window.
#include "mapview/combo_couleur.h"
#include "mapview/frm_pref_carte.h"
#include "tests/commun/outils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

class Preferences : public ::testing::Test {
protected:
    test::DossierTemporaire dossier;
    const std::filesystem::path chemin = dossier.Chemin() / "pref-graph.ini";
    void Ecrit(const std::string& texte) { test::EcritFichier(chemin, texte); }
};

TEST_F(Preferences, DefautsValeursInconnuesEtCoins) {
    EXPECT_EQ(LitPreferencesCarte(chemin), TPreferencesCarte{}); // no file
    Ecrit("[Graph]\nR3=0\nR5=abc\nR8=2\nCoul100km=255\nCoulCentral=x\nPositionLegende=9\n");
    const TPreferencesCarte p = LitPreferencesCarte(chemin);
    EXPECT_FALSE(p.R3);
    EXPECT_TRUE(p.R5); // not a number: the default
    EXPECT_TRUE(p.R8); // any non-zero number
    EXPECT_EQ(p.Coul100km, 255u);
    EXPECT_EQ(p.CoulCentral, TPreferencesCarte{}.CoulCentral);
    EXPECT_EQ(p.PositionLegende, 9);
    const int coins[] = {0, 8, 6, 7, 5};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(CoinLegende(i), coins[i]);
    EXPECT_EQ(CoinLegende(9), 6);
    EXPECT_EQ(CoinLegende(-1), 6);
}

TEST_F(Preferences, EnregistrementExactementLesDixSeptCles) {
    Ecrit("[Autre]\nX=1\n[Graph]\nInconnue=3\nR3=1\n");
    TPreferencesCarte p;
    p.R20 = false;
    p.Coul100km = 0x00FF00;
    p.PositionLegende = 4;
    ASSERT_TRUE(EcritPreferencesCarte(chemin, p));
    EXPECT_EQ(test::LitFichier(chemin),
              "[Graph]\nCapital=1\nPrefecture=1\nSs-Prefecture=1\nR3=1\nR5=1\nR8=1\n"
              "R10=1\nR12=1\nR20=0\nR50=1\nR100=1\nDisqueDegrade=1\nCoul100km=65280\n"
              "CoulCentral=5987327\nAnimation15s=0\nFondLegende=15793151\n"
              "PositionLegende=4\n");
    EXPECT_EQ(LitPreferencesCarte(chemin), p);
}

TEST_F(Preferences, FenetreChargeAppliqueEtEnregistre) {
    Ecrit("[Graph]\nPositionLegende=9\nAnimation15s=1\nR100=0\n");
    {
        TFrmPrefCarte frm(nullptr, chemin);
        EXPECT_EQ(FrmPrefCarte, &frm);
        // All three fields true: only the last radio button shows as on.
        EXPECT_TRUE(frm.Capital && frm.Prefecture && frm.SsPrefecture);
        EXPECT_TRUE(frm.cbAffSsPrefec->isChecked());
        EXPECT_FALSE(frm.cbAffCapitale->isChecked());
        EXPECT_TRUE(frm.cbAnimation15s->isChecked());
        EXPECT_FALSE(frm.cbR100->isChecked());
        EXPECT_EQ(frm.cbPositionLegende->currentIndex(), -1);
        EXPECT_EQ(frm.GetPositionLegende(), 6);

        // A change is announced, reaches the fields only through bbOkClick.
        QSignalSpy annonce(&frm, &TFrmPrefCarte::OnChange);
        frm.cbR3->setChecked(false);
        frm.cbPositionLegende->setCurrentIndex(4);
        EXPECT_GE(annonce.count(), 2);
        EXPECT_TRUE(frm.R3);
        frm.cbcCentral->FixeCouleurPersonnelle(0x123456);
        frm.bbOkClick();
        EXPECT_FALSE(frm.R3);
        EXPECT_FALSE(frm.Capital);
        EXPECT_TRUE(frm.SsPrefecture);
        EXPECT_EQ(frm.CoulCentral, 0x123456u);
        EXPECT_EQ(frm.GetPositionLegende(), 5);
    }
    // Destroyed: saved, and the global is cleared.
    EXPECT_EQ(FrmPrefCarte, nullptr);
    const TPreferencesCarte relu = LitPreferencesCarte(chemin);
    EXPECT_FALSE(relu.R3);
    EXPECT_FALSE(relu.R100);
    EXPECT_EQ(relu.PositionLegende, 4);
    EXPECT_EQ(relu.CoulCentral, 0x123456u);
}

TEST(ComboCouleur, CouleurStandardOuPersonnelle) {
    TComboBoxColor c;
    c.FixeCouleurPersonnelle(0x0000FF);
    EXPECT_EQ(c.CouleurPersonnelle(), 0x0000FFu);
    EXPECT_NE(c.currentIndex(), 0); // a standard colour
    c.FixeCouleurPersonnelle(0x123456);
    EXPECT_EQ(c.CouleurPersonnelle(), 0x123456u);
    EXPECT_EQ(c.currentIndex(), 0); // the user-defined entry
}

} // namespace
} // namespace orlavine
