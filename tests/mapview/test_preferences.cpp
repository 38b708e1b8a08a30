// Map preferences: the "pref-graph.ini" file and the preferences window.
#include "host/erreur.h"
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

TEST_F(Preferences, FenetreChargeAppliqueEtEnregistre) {
    Ecrit("[Graph]\nPositionLegende=3\nAnimation15s=1\nR100=0\n");
    {
        TFrmPrefCarte frm(nullptr, chemin);
        EXPECT_EQ(FrmPrefCarte, &frm);
        // All three fields true: only the last radio button shows as on.
        EXPECT_TRUE(frm.Capital && frm.Prefecture && frm.SsPrefecture);
        EXPECT_TRUE(frm.cbAffSsPrefec->isChecked());
        EXPECT_FALSE(frm.cbAffCapitale->isChecked());
        EXPECT_TRUE(frm.cbAnimation15s->isChecked());
        EXPECT_FALSE(frm.cbR100->isChecked());
        EXPECT_EQ(frm.cbPositionLegende->currentIndex(), 3);
        EXPECT_EQ(frm.GetPositionLegende(), 7);

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

// Values out of range show as their defaults in the controls and are saved as such.
TEST_F(Preferences, FenetreRepareLesValeursHorsLimites) {
    Ecrit("[Graph]\nPositionLegende=77\nCoulCentral=-1\nR5=0\n");
    const TPreferencesCarte d;
    {
        TFrmPrefCarte frm(nullptr, chemin);
        EXPECT_EQ(frm.cbPositionLegende->currentIndex(), d.PositionLegende);
        EXPECT_EQ(frm.GetPositionLegende(), 8);
        EXPECT_EQ(frm.cbcCentral->CouleurPersonnelle(), d.CoulCentral);
        EXPECT_FALSE(frm.cbR5->isChecked());
    }
    const std::string texte = test::LitFichier(chemin);
    EXPECT_TRUE(test::Contient(texte, "\nPositionLegende=1\n"));
    EXPECT_TRUE(test::Contient(texte, "\nCoulCentral=5987327\n"));
    EXPECT_TRUE(test::Contient(texte, "\nR5=0\n"));
}

// A save that fails raises at once, and at destruction goes to SignaleErreur.
TEST_F(Preferences, EchecDEnregistrementSignale) {
    test::EcritFichier(dossier.Chemin() / "occupe", "un fichier");
    const auto impossible = dossier.Chemin() / "occupe" / "pref-graph.ini";
    std::vector<std::string> signales;
    {
        TFrmPrefCarte frm(nullptr, impossible);
        EXPECT_THROW(frm.SauvePreferences(), Erreur);
        frm.SignaleErreur = [&](const std::string& m) { signales.push_back(m); };
    }
    ASSERT_EQ(signales.size(), 1u);
    EXPECT_TRUE(test::Contient(signales[0], impossible.string()));
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
