// The place tool's destructive actions on the geolocation fixture: each one is undone by
// « Annuler la dernière géolocalisation », a confirmation answered with Enter destroys
// nothing, and « Tout re-géolocaliser » keeps the file's, the user's and the lieux-dits'
// positions.
#include "genealogie/base_gedcom.h"
#include "geoloc/ihm/frm_outil_lieux.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orlavine;
namespace fs = std::filesystem;

namespace {

class OutilLieuxAnnulation : public ::testing::Test {
protected:
    void SetUp() override {
        std::string modele = (fs::temp_directory_path() / "orlavine-annul-XXXXXX").string();
        dossier = ::mkdtemp(modele.data());
        DefinitRepAppData((dossier / "donnees").string());
        ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-geoloc.ged", dossier / "a.sqlite");
        base = std::make_unique<TBaseGenealogie>(dossier / "a.sqlite");
        gestion = std::make_unique<TGestFichier>(*base);
        gestion->FicPays.DefinitRecherche([](std::string_view ville, std::string_view,
                                             std::string_view) -> std::optional<CommunePays> {
            if (ville == "Lassigny") return CommunePays{"60310", 49.5856, 2.8575};
            if (ville == "Paris") return CommunePays{"75018", 48.8925, 2.3444};
            if (ville == "Lyon") return CommunePays{"69001", 45.7675, 4.8343};
            return std::nullopt;
        });
        services = std::make_unique<geoloc::TServicesLieuxBase>(*gestion);
        TParametresOutilLieux p;
        p.FichierMonde = ORLAVINE_MONDE_LIVRE;
        fenetre = std::make_unique<TFormToolLocation>(*gestion, *services, nullptr, p);
        dialogueReel = fenetre->MyMessageDlg;
        fenetre->MyMessageDlg = [this](QMessageBox::Icon, const QString& texte,
                                       QMessageBox::StandardButtons) {
            messages.push_back(texte);
            return QMessageBox::Yes;
        };
        fenetre->InitListPlaces();
        for (const TLieu& l : base->Lieux())
            ids[l.Commune] = l.Id;
    }
    void TearDown() override {
        fenetre.reset();
        gestion.reset();
        base.reset();
        DefinitRepAppData({});
        std::error_code ec;
        fs::remove_all(dossier, ec);
    }
    int Ligne(std::string_view commune, std::string_view lieuDit = "") {
        for (int r = 0; r < fenetre->ListDisplayPlaces->count(); ++r) {
            const SGeoChps& e = *fenetre->ListPlaces()[fenetre->GetItemIndexListPlaces(r)];
            if (gestion->FicDupli.Lieu(e.IdPlace)->Commune == commune && e.LieuDit == lieuDit)
                return r;
        }
        return -1;
    }
    std::optional<TGeolocalisation> Geo(const std::string& commune, std::string_view lieuDit = "") {
        return base->Geolocalisation(ids[commune], lieuDit);
    }

    fs::path dossier;
    std::unique_ptr<TBaseGenealogie> base;
    std::unique_ptr<TGestFichier> gestion;
    std::unique_ptr<geoloc::TServicesLieuxBase> services;
    std::unique_ptr<TFormToolLocation> fenetre;
    decltype(TFormToolLocation::MyMessageDlg) dialogueReel;
    std::vector<QString> messages;
    std::map<std::string, int> ids;
};

} // namespace

// Enter on the question keeps everything; « Oui », then « Annuler », gives every position back
// as it was (provenance and date too), for each destructive action.
TEST_F(OutilLieuxAnnulation, EveryDestructiveActionIsUndoneAndEnterDestroysNothing) {
    const auto lyon = Geo("Lyon");
    ASSERT_TRUE(lyon);
    ASSERT_EQ(lyon->Origine, Provenance::Gedcom);
    fenetre->RBLocate->click();
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 1);

    // The real question box, answered with Enter.
    fenetre->MyMessageDlg = dialogueReel;
    QString defaut;
    QTimer::singleShot(0, [&] {
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(boite, nullptr);
        if (boite->defaultButton()) defaut = boite->defaultButton()->text();
        QTest::keyClick(boite, Qt::Key_Return);
    });
    fenetre->BtDeleteAll->click();
    EXPECT_TRUE(Geo("Lyon")) << "Enter deleted every position (default button: "
                             << defaut.toStdString() << ")";
    fenetre->MyMessageDlg = [this](QMessageBox::Icon, const QString& texte,
                                   QMessageBox::StandardButtons) {
        messages.push_back(texte);
        return QMessageBox::Yes;
    };

    auto memeQueLyon = [&](const char* etape) {
        const auto g = Geo("Lyon");
        ASSERT_TRUE(g) << etape;
        EXPECT_EQ(g->Latitude, lyon->Latitude) << etape;
        EXPECT_EQ(g->Longitude, lyon->Longitude) << etape;
        EXPECT_EQ(g->Etat, lyon->Etat) << etape;
        EXPECT_EQ(g->Origine, Provenance::Gedcom) << etape;
        EXPECT_EQ(g->Date, lyon->Date) << etape;
    };

    // « Supprimer toutes les localisations », then undo.
    fenetre->BtDeleteAll->click();
    EXPECT_FALSE(Geo("Lyon"));
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 0);
    fenetre->BtAnnuler->click();
    memeQueLyon("supprimer tout");
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 1);

    // One place's position deleted, then undone.
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne("Lyon"));
    fenetre->BtDeleteCurrent->click();
    EXPECT_FALSE(Geo("Lyon"));
    fenetre->BtAnnuler->click();
    memeQueLyon("supprimer un lieu");

    // A hand placement over the file's position, then undone.
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne("Lyon"));
    fenetre->ListDisplayPlacesClick();
    fenetre->WebOSMapsMapClick(45.5, 4.5);
    fenetre->BtLocate->click();
    ASSERT_TRUE(Geo("Lyon"));
    EXPECT_EQ(Geo("Lyon")->Etat, EtatPlaceALaMain);
    fenetre->BtAnnuler->click();
    memeQueLyon("placer à la main");
    EXPECT_TRUE(messages.back().startsWith("1 lieu(x) remis")) << messages.back().toStdString();
}

// « Tout re-géolocaliser » on « Localisés »: the file's position (Lyon), the hand-placed one
// (Lassigny) and the lieu-dit placed more precisely than its commune (Montmartre) stay.
TEST_F(OutilLieuxAnnulation, RelocateAllKeepsTheFilesTheUsersAndTheLieuxDitsPositions) {
    base->AjouteGeolocalisation({ids["Lassigny"], "", 49.61, 2.91, EtatPlaceALaMain, "",
                                 Provenance::Main, DateMaintenant()});
    base->AjouteGeolocalisation({ids["Paris"], "Montmartre", 48.8867, 2.3431, EtatAdresseTrouvee,
                                 "", Provenance::Geocodeur, DateMaintenant()});
    fenetre->InitListPlaces();
    fenetre->RBLocate->click();
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 3);
    fenetre->BtReInit->click();
    EXPECT_DOUBLE_EQ(Geo("Lyon")->Latitude, 45.76);
    EXPECT_EQ(Geo("Lyon")->Origine, Provenance::Gedcom);
    EXPECT_DOUBLE_EQ(Geo("Lassigny")->Latitude, 49.61);
    EXPECT_EQ(Geo("Lassigny")->Etat, EtatPlaceALaMain);
    EXPECT_DOUBLE_EQ(Geo("Paris", "Montmartre")->Latitude, 48.8867);
    EXPECT_EQ(fenetre->DernierBilan().PositionsGardees, 3);

    // The box ticked: the file's and the user's positions are replaced, the lieu-dit's kept.
    EXPECT_TRUE(fenetre->CBRemplacerPositions->isVisibleTo(fenetre.get()));
    fenetre->CBRemplacerPositions->setChecked(true);
    fenetre->BtReInit->click();
    EXPECT_DOUBLE_EQ(Geo("Lyon")->Latitude, 45.7675);
    EXPECT_EQ(Geo("Lyon")->Origine, Provenance::Atlas);
    EXPECT_DOUBLE_EQ(Geo("Lassigny")->Latitude, 49.5856);
    EXPECT_DOUBLE_EQ(Geo("Paris", "Montmartre")->Latitude, 48.8867);
    // The box under its button, on a 1024 × 600 screen.
    fenetre->resize(1024, 600);
    fenetre->show();
    QApplication::processEvents();
    fs::create_directories(ORLAVINE_CAPTURES);
    EXPECT_TRUE(fenetre->grab().save(
        QString::fromStdString(std::string(ORLAVINE_CAPTURES) + "/outil-lieux-remplacer.png")));
    // Only « Localisés » offers it.
    fenetre->RBNotLocate->click();
    EXPECT_FALSE(fenetre->CBRemplacerPositions->isVisibleTo(fenetre.get()));
}

// A base that fails under the open window (here a table gone): the handler's error is said in
// a message, the program goes on.
TEST_F(OutilLieuxAnnulation, AnErrorUnderTheWindowIsShownRatherThanAborting) {
    base->Connexion().Execute("DROP TABLE evenements");
    fenetre->TimerInit->start(0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.empty(); }, 10000));
    EXPECT_TRUE(messages.back().startsWith("L'opération n'a pas pu aboutir"))
        << messages.back().toStdString();
    EXPECT_TRUE(fenetre->PanelLeftList->isEnabled());
}
