// The place tool's « À vérifier » view offscreen, on a base whose file gave Rennes' position to
// Redon (validated by the user) and 1.17° E to Saint-Lô: both listed with their expected
// position, Saint-Lô's taken and undone, Redon's never changed; and a row's tooltip names the
// nearest commune as it is written.
#include "atlas/carte_france.h"
#include "genealogie/base_gedcom.h"
#include "geocodeur/geocodeur.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "geoloc/services_base.h"
#include "mapview/web_osmaps.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <tuple>
#include <unistd.h>

using namespace orlavine;
namespace fs = std::filesystem;

namespace {

constexpr const char* Arbre = "0 HEAD\n1 GEDC\n2 VERS 5.5.1\n1 CHAR UTF-8\n1 PLAC\n"
                              "2 FORM Lieudit, Commune, Code_INSEE, Département, Région, Pays\n"
                              "0 @I1@ INDI\n1 BIRT\n"
                              "2 PLAC , Redon, 35236, Ille-et-Vilaine, Bretagne, France\n"
                              "3 MAP\n4 LATI N48.1147\n4 LONG W1.6794\n"
                              "0 @I2@ INDI\n1 BIRT\n"
                              "2 PLAC , Saint-Lô, 50502, Manche, Normandie, France\n"
                              "3 MAP\n4 LATI N49.1158\n4 LONG E1.17\n"
                              "0 @I3@ INDI\n1 BIRT\n"
                              "2 PLAC , Évreux, 27229, Eure, Normandie, France\n"
                              "3 MAP\n4 LATI N49.0199\n4 LONG E1.1415\n"
                              "0 TRLR\n";

class OutilVerification : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        carte_ = new TCarteFrance(ORLAVINE_ATLAS_LIVRE);
        geocodeur_ = new geocodeur::TGeocodeur(carte_, ORLAVINE_GEOCODEUR_LIVRE);
    }
    static void TearDownTestSuite() {
        delete geocodeur_;
        delete carte_;
    }
    void SetUp() override {
        std::string modele = (fs::temp_directory_path() / "orlavine-verif-XXXXXX").string();
        dossier = ::mkdtemp(modele.data());
        DefinitRepAppData((dossier / "donnees").string());
        std::ofstream(dossier / "a.ged") << Arbre;
        ImporteGedcom(dossier / "a.ged", dossier / "a.sqlite");
        base = std::make_unique<TBaseGenealogie>(dossier / "a.sqlite");
        gestion = std::make_unique<TGestFichier>(*base);
        services = std::make_unique<geoloc::TServicesLieuxBase>(*gestion);
        recherche = std::make_unique<geoloc::TRechercheGeocodeur>(*geocodeur_);
        TParametresOutilLieux p;
        p.FichierMonde = ORLAVINE_MONDE_LIVRE;
        p.Atlas = carte_;
        fenetre = std::make_unique<TFormToolLocation>(*gestion, *services, recherche.get(), p);
        fenetre->MyMessageDlg = [this](QMessageBox::Icon, const QString& texte,
                                       QMessageBox::StandardButtons) {
            messages.push_back(texte);
            return QMessageBox::Yes;
        };
        fenetre->InitListPlaces();
    }
    void TearDown() override {
        fenetre.reset();
        gestion.reset();
        base.reset();
        DefinitRepAppData({});
        std::error_code ec;
        fs::remove_all(dossier, ec);
    }
    int IdPlace(std::string_view commune) {
        for (const auto& e : fenetre->ListPlaces())
            if (gestion->FicDupli.Lieu(e->IdPlace)->Commune == commune) return e->IdPlace;
        return -1;
    }
    int Ligne(int idPlace) {
        for (int r = 0; r < static_cast<int>(fenetre->AVerifier().size()); ++r)
            if (fenetre->AVerifier()[static_cast<std::size_t>(r)].IdPlace == idPlace) return r;
        return -1;
    }

    static TCarteFrance* carte_;
    static geocodeur::TGeocodeur* geocodeur_;
    fs::path dossier;
    std::unique_ptr<TBaseGenealogie> base;
    std::unique_ptr<TGestFichier> gestion;
    std::unique_ptr<geoloc::TServicesLieuxBase> services;
    std::unique_ptr<geoloc::TRechercheGeocodeur> recherche;
    std::unique_ptr<TFormToolLocation> fenetre;
    std::vector<QString> messages;
};
TCarteFrance* OutilVerification::carte_ = nullptr;
geocodeur::TGeocodeur* OutilVerification::geocodeur_ = nullptr;

} // namespace

TEST_F(OutilVerification, FarPositionsAreListedTakenAndUndoneValidatedOnesNeverChange) {
    const int redon = IdPlace("Redon"), saintLo = IdPlace("Saint-Lô");
    ASSERT_GE(redon, 0);
    ASSERT_GE(saintLo, 0);
    {
        SGeoChps valide(redon, "", 48.1147f, -1.6794f, EtatValide);
        gestion->ModuleBDD.UpdateCoordGeo(&valide);
    }
    fenetre->InitListPlaces();
    ASSERT_FALSE(fenetre->RBAVerifier->isHidden());
    fenetre->RBAVerifier->click();
    EXPECT_FALSE(fenetre->BtPrendreAttendue->isHidden());
    EXPECT_TRUE(fenetre->BtReInit->isHidden());
    // Évreux lies where its text says: not listed.
    ASSERT_EQ(fenetre->AVerifier().size(), 2u);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 2);
    const int lr = Ligne(redon), ls = Ligne(saintLo);
    ASSERT_GE(lr, 0);
    ASSERT_GE(ls, 0);
    const QString balisage =
        fenetre->ListDisplayPlaces->item(ls)->data(TDelegueLigneHtml::RoleBalisage).toString();
    EXPECT_TRUE(balisage.contains("Attendu à")) << balisage.toStdString();
    EXPECT_TRUE(fenetre->BulleLigne(ls).contains("Raison : hors de son département"))
        << fenetre->BulleLigne(ls).toStdString();
    EXPECT_TRUE(balisage.contains("Saint-Lô")) << balisage.toStdString();
    EXPECT_TRUE(fenetre->ListDisplayPlaces->item(lr)
                    ->data(TDelegueLigneHtml::RoleBalisage)
                    .toString()
                    .contains("Validé"));

    // A row shows its expected position on the map.
    fenetre->ListDisplayPlaces->setCurrentRow(ls);
    fenetre->ListDisplayPlacesClick();
    EXPECT_NEAR(fenetre->WebOSMaps->Marqueur().Longitude,
                fenetre->AVerifier()[static_cast<std::size_t>(ls)].LongitudeAttendue, 1e-6);

    // Pictures of the view, at the window's size and at 1024 x 600.
    fenetre->show();
    fs::create_directories(ORLAVINE_CAPTURES);
    for (const auto& [largeur, hauteur, nom] :
         {std::tuple{1209, 598, "outil-a-verifier.png"},
          std::tuple{1024, 600, "outil-a-verifier-1024.png"}}) {
        fenetre->resize(largeur, hauteur);
        QApplication::processEvents();
        EXPECT_TRUE(fenetre->grab().save(
            QString::fromStdString((fs::path(ORLAVINE_CAPTURES) / nom).string())));
    }

    // The validated one is never changed.
    fenetre->ListDisplayPlaces->setCurrentRow(lr);
    fenetre->BtPrendreAttendue->click();
    EXPECT_EQ(base->Geolocalisation(redon, "")->Etat, EtatValide);
    EXPECT_NEAR(base->Geolocalisation(redon, "")->Longitude, -1.6794, 1e-3);
    EXPECT_EQ(fenetre->AVerifier().size(), 2u);

    // Saint-Lô takes its expected position, as one lot of the journal.
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne(saintLo));
    fenetre->BtPrendreAttendue->click();
    EXPECT_NEAR(base->Geolocalisation(saintLo, "")->Longitude, -1.09, 0.05);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().contains("a pris la position attendue"))
        << messages.back().toStdString();
    EXPECT_EQ(fenetre->AVerifier().size(), 1u); // Redon, validated, stays listed
    EXPECT_TRUE(fenetre->RBAVerifier->isChecked());

    // Undone like a bulk run: the view comes back with Saint-Lô.
    fenetre->BtAnnuler->click();
    EXPECT_NEAR(base->Geolocalisation(saintLo, "")->Longitude, 1.17, 1e-3);
    EXPECT_EQ(fenetre->AVerifier().size(), 2u);
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 2);

    // Back to a filter: its own buttons.
    fenetre->RBLocate->click();
    EXPECT_TRUE(fenetre->BtPrendreAttendue->isHidden());
    EXPECT_FALSE(fenetre->BtReInit->isHidden());
}

TEST_F(OutilVerification, TheTooltipNamesTheNearestCommuneAsItIsWritten) {
    fenetre->RBLocate->click();
    int evreux = -1;
    for (int r = 0; r < fenetre->ListDisplayPlaces->count(); ++r)
        if (fenetre->ListDisplayPlaces->item(r)->text().contains(QStringLiteral("Évreux")))
            evreux = r;
    ASSERT_GE(evreux, 0);
    const QString bulle = fenetre->BulleLigne(evreux);
    EXPECT_TRUE(bulle.contains(QStringLiteral("Lat : 49,0199"))) << bulle.toStdString();
    EXPECT_TRUE(bulle.contains(QStringLiteral("Commune la plus proche : Évreux (Eure)")))
        << bulle.toStdString();
}
