// The place tool window offscreen: the list's rows, the filters and the actions, on a base
// imported from the geolocation fixture with a scripted country file and address search.
#include "genealogie/base_gedcom.h"
#include "genealogie/journal_geo.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "geoloc/ihm/recherche_carte.h"
#include "mapview/geocodage.h"
#include "mapview/web_osmaps.h"
#include "tests/commun/outils.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orlavine;
namespace fs = std::filesystem;

namespace {

class RechercheEssai : public geoloc::IRechercheAdresse {
public:
    std::function<void()> PendantLaRecherche; // called at each search (inside a run)
    std::vector<geoloc::TCandidatAdresse> Recherche(std::string_view texte) override {
        if (PendantLaRecherche) PendantLaRecherche();
        if (texte.find("Valence") != std::string_view::npos)
            return {{44.93, 4.89, "Valence, Drôme", 120}, {44.11, 0.89, "Valence, Tarn", 120}};
        if (texte.find("Mayence") != std::string_view::npos)
            return {{49.99, 8.25, "Mayence, Allemagne", 140}};
        return {};
    }
    Provenance Origine() const override { return Provenance::Geocodeur; }
};

class OutilLieux : public ::testing::Test {
protected:
    void SetUp() override {
        std::string modele = (fs::temp_directory_path() / "orlavine-outil-XXXXXX").string();
        dossier = ::mkdtemp(modele.data());
        DefinitRepAppData((dossier / "donnees").string());
        ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-geoloc.ged", dossier / "a.sqlite");
        base = std::make_unique<TBaseGenealogie>(dossier / "a.sqlite");
        gestion = std::make_unique<TGestFichier>(*base);
        gestion->FicPays.DefinitRecherche([](std::string_view ville, std::string_view,
                                             std::string_view) -> std::optional<CommunePays> {
            if (ville == "Lassigny") return CommunePays{"60310", 49.5856, 2.8575};
            if (ville == "Paris") return CommunePays{"75018", 48.8925, 2.3444};
            return std::nullopt;
        });
        services = std::make_unique<geoloc::TServicesLieuxBase>(*gestion);
        TParametresOutilLieux p;
        p.FichierMonde = ORLAVINE_MONDE_LIVRE;
        fenetre = std::make_unique<TFormToolLocation>(*gestion, *services, &recherche, p);
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
    void Filtre(QRadioButton* rb) { rb->click(); }
    QString Balisage(int ligne) {
        return fenetre->ListDisplayPlaces->item(ligne)
            ->data(TDelegueLigneHtml::RoleBalisage)
            .toString();
    }
    int Ligne(std::string_view commune, std::string_view lieuDit = "") {
        for (int r = 0; r < fenetre->ListDisplayPlaces->count(); ++r) {
            const SGeoChps& e = *fenetre->ListPlaces()[fenetre->GetItemIndexListPlaces(r)];
            if (gestion->FicDupli.Lieu(e.IdPlace)->Commune == commune && e.LieuDit == lieuDit)
                return r;
        }
        return -1;
    }

    fs::path dossier;
    std::unique_ptr<TBaseGenealogie> base;
    std::unique_ptr<TGestFichier> gestion;
    std::unique_ptr<geoloc::TServicesLieuxBase> services;
    RechercheEssai recherche;
    std::unique_ptr<TFormToolLocation> fenetre;
    std::vector<QString> messages;
};

} // namespace

TEST_F(OutilLieux, RowsCarryTheirIndexAlternateTheirBackgroundAndHideTheMarker) {
    Filtre(fenetre->RBNotLocate);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 6);
    EXPECT_TRUE(Balisage(0).startsWith("<body bgcolor=\"#E6E6FA\">"));
    EXPECT_TRUE(Balisage(1).startsWith("<body bgcolor=\"#FFFFFF\">"));
    EXPECT_TRUE(Balisage(2).startsWith("<body bgcolor=\"#E6E6FA\">"));
    const int montmartre = Ligne("Paris", "Montmartre");
    ASSERT_GE(montmartre, 0);
    const int index = fenetre->GetItemIndexListPlaces(montmartre);
    EXPECT_TRUE(Balisage(montmartre)
                    .endsWith("Paris, 75018, Seine, Île-de-France, France.<b> Lieu-dit : "
                              "</b>Montmartre<idPlace= " +
                              QString::number(index) + ",/><br>&nbsp;"))
        << Balisage(montmartre).toStdString();
    EXPECT_EQ(fenetre->GetItemIndexShowList(index), montmartre);
    const QString vu = TDelegueLigneHtml::TexteAffiche(Balisage(montmartre));
    EXPECT_FALSE(vu.contains("idPlace"));
    EXPECT_FALSE(vu.contains("bgcolor"));
    EXPECT_EQ(fenetre->GetItemIndexListPlaces(99), -1);
    // Rows sorted by their text: Lassigny before Lyon... before Valence.
    EXPECT_LT(Ligne("Lassigny"), Ligne("Valence"));
    // Buttons per filter.
    EXPECT_EQ(fenetre->BtReInit->text(), "Tout géolocaliser");
    EXPECT_TRUE(fenetre->BtDeleteAll->isHidden());
    EXPECT_TRUE(fenetre->BtCheckPlace->isHidden());
    Filtre(fenetre->RBPlaceCheck);
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 0);
    EXPECT_TRUE(fenetre->BtReInit->isHidden());
    EXPECT_FALSE(fenetre->BtDeleteCurrent->isHidden());
    Filtre(fenetre->RBLocate);
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 1); // Lyon, read from the file
    EXPECT_EQ(fenetre->BtReInit->text(), "Tout re-géolocaliser");
    EXPECT_TRUE(fenetre->BulleLigne(0).contains("fichier GEDCOM"));
}

TEST_F(OutilLieux, LocateAllThenUndoFromTheWindow) {
    Filtre(fenetre->RBNotLocate);
    fenetre->BtReInit->click();
    // Left: the ambiguous Valence and Nullepart.
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 2);
    EXPECT_EQ(fenetre->DernierBilan().Ambigues, 1);
    EXPECT_EQ(fenetre->ListDisplayPlaces->currentRow(), 0);
    Filtre(fenetre->RBLocate);
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 5);
    EXPECT_TRUE(fenetre->BulleLigne(Ligne("Mayence")).contains("géocodeur hors ligne"));
    fenetre->BtAnnuler->click();
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().startsWith("4 lieu(x) remis")) << messages.back().toStdString();
}

TEST_F(OutilLieux, LocateOneValidateAndDelete) {
    Filtre(fenetre->RBNotLocate);
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne("Lassigny"));
    fenetre->BtLocateAuto->click();
    // Located from "Non localisés": the window shows the located ones, that entry selected.
    EXPECT_EQ(fenetre->FilterList(), FilterLocate);
    EXPECT_TRUE(fenetre->RBLocate->isChecked());
    EXPECT_EQ(fenetre->ListDisplayPlaces->currentRow(), Ligne("Lassigny"));
    EXPECT_EQ(base->Geolocalisation(1, "")->Etat, EtatCommunePays);

    // An ambiguous place: a message naming the candidates, nothing stored.
    Filtre(fenetre->RBNotLocate);
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne("Valence"));
    fenetre->BtLocateAuto->click();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().contains("Valence, Tarn"));
    EXPECT_EQ(fenetre->FilterList(), FilterNotLocate);

    // Validating the last row of "Localisés" selects the new last row.
    Filtre(fenetre->RBLocate);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 2); // Lassigny, Lyon
    fenetre->ListDisplayPlaces->setCurrentRow(1);
    fenetre->BtCheckPlace->click();
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 1);
    EXPECT_EQ(fenetre->ListDisplayPlaces->currentRow(), 0);
    Filtre(fenetre->RBPlaceCheck);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 1);

    // Deleting: back to state 3, out of "Validés".
    fenetre->ListDisplayPlaces->setCurrentRow(0);
    fenetre->BtDeleteCurrent->click();
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 0);
    EXPECT_TRUE(messages.back().startsWith("Êtes-vous sûr de vouloir supprimer de la base"));
}

// The notice shown on validating sits on the map and goes when its timer ends, driven here by
// the timer's own expiry event rather than by three seconds of waiting.
TEST_F(OutilLieux, ValidationNoticeGoesWhenItsTimerEnds) {
    fenetre->show();
    Filtre(fenetre->RBLocate);
    ASSERT_GT(fenetre->ListDisplayPlaces->count(), 0);
    // Loaded from the base: the tooltip asks it where the position came from.
    EXPECT_TRUE(fenetre->BulleLigne(Ligne("Lyon")).contains(QStringLiteral("fichier GEDCOM")))
        << fenetre->BulleLigne(Ligne("Lyon")).toStdString();
    EXPECT_FALSE(fenetre->AdvPanel->isVisible());
    EXPECT_FALSE(fenetre->TimerAff->isActive());
    fenetre->ListDisplayPlaces->setCurrentRow(0);
    fenetre->BtCheckPlace->click();
    ASSERT_TRUE(fenetre->AdvPanel->isVisible());
    EXPECT_TRUE(fenetre->AdvPanel->text().contains(QStringLiteral("L'adresse sélectionnée a été "
                                                                  "validée")));
    EXPECT_TRUE(fenetre->WebOSMaps->rect().contains(fenetre->AdvPanel->geometry()))
        << "the notice lies outside the map";
    ASSERT_TRUE(fenetre->TimerAff->isActive());
    EXPECT_EQ(fenetre->TimerAff->interval(), 3000);
    EXPECT_TRUE(fenetre->TimerAff->isSingleShot());
    EXPECT_GT(fenetre->TimerAff->remainingTime(), 2000);
    // Events handled before the end leave it shown.
    QCoreApplication::processEvents();
    EXPECT_TRUE(fenetre->AdvPanel->isVisible());

    // The expiry, as the event loop delivers it: hidden, the timer stopped.
    QTimerEvent expiration(fenetre->TimerAff->timerId());
    QCoreApplication::sendEvent(fenetre->TimerAff, &expiration);
    EXPECT_FALSE(fenetre->AdvPanel->isVisible());
    EXPECT_FALSE(fenetre->TimerAff->isActive());
    // The list moved on meanwhile: the validated place is under "Validés".
    Filtre(fenetre->RBPlaceCheck);
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 1);
    EXPECT_FALSE(fenetre->AdvPanel->isVisible());
}

TEST_F(OutilLieux, PlaceByHandThenDeleteAllOfAFilter) {
    Filtre(fenetre->RBNotLocate);
    // No row chosen, then no point on the map: two warnings, nothing stored.
    fenetre->ListDisplayPlaces->setCurrentRow(-1);
    fenetre->BtLocate->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.back().startsWith("Vous devez commencer"));
    fenetre->ListDisplayPlaces->setCurrentRow(Ligne("Nullepart"));
    fenetre->ListDisplayPlacesClick();
    fenetre->BtLocate->click();
    EXPECT_TRUE(messages.back().startsWith("Vous n'avez pas encore choisi de"));
    // A click on the map, then the button: state 4, "Localisés" shown with it selected.
    fenetre->WebOSMapsMapClick(12.5, -7.25);
    fenetre->BtLocate->click();
    EXPECT_TRUE(messages.back().contains("Lieu : Nullepart"));
    EXPECT_EQ(fenetre->FilterList(), FilterLocate);
    EXPECT_EQ(fenetre->ListDisplayPlaces->currentRow(), Ligne("Nullepart"));
    EXPECT_TRUE(fenetre->BulleLigne(Ligne("Nullepart")).contains("placé à la main"));

    // Validate it, then delete all "Validés": the question names them, the list reloads.
    fenetre->BtCheckPlace->click();
    Filtre(fenetre->RBPlaceCheck);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 1);
    fenetre->BtDeleteAll->click();
    EXPECT_EQ(messages.back(),
              "Êtes-vous sûr de vouloir supprimer la géolocalisation de tous vos lieux validés ?");
    EXPECT_EQ(fenetre->ListDisplayPlaces->count(), 0);
    Filtre(fenetre->RBNotLocate);
    EXPECT_GE(Ligne("Nullepart"), 0);
    EXPECT_EQ(base->Geolocalisations().size(), 1u); // Lyon only
}

// The tooltip gives the position the French way, as every position on screen.
TEST_F(OutilLieux, TooltipPositionIsWrittenTheFrenchWay) {
    Filtre(fenetre->RBLocate);
    EXPECT_TRUE(fenetre->BulleLigne(Ligne("Lyon")).startsWith("Lat : 45,76 , Long : 4,83"))
        << fenetre->BulleLigne(Ligne("Lyon")).toStdString();
}

// The selection, the map and the validation are one: arrow keys and type-ahead move the map
// as clicks do; a place with no position takes the marker off; validating while the map
// shows a clicked point instead of the place's position is refused.
TEST_F(OutilLieux, KeysAndTypeAheadMoveTheMapAndValidationActsOnWhatItShows) {
    fenetre->show();
    Filtre(fenetre->RBNotLocate);
    fenetre->BtReInit->click();
    Filtre(fenetre->RBLocate);
    QListWidget* liste = fenetre->ListDisplayPlaces;
    ASSERT_EQ(liste->count(), 5);
    const auto position = [&](int ligne) {
        const SGeoChps& e = *fenetre->ListPlaces()[fenetre->GetItemIndexListPlaces(ligne)];
        return std::pair(e.Latitude, e.Longitude);
    };
    const auto marqueur = [&] {
        return std::pair(fenetre->WebOSMaps->Marqueur().Latitude,
                         fenetre->WebOSMaps->Marqueur().Longitude);
    };
    liste->setFocus();
    liste->setCurrentRow(0);
    EXPECT_EQ(marqueur(), position(0));
    QTest::keyClick(liste, Qt::Key_Down);
    ASSERT_EQ(liste->currentRow(), 1);
    EXPECT_EQ(marqueur(), position(1));
    QTest::keyClicks(liste, "May");
    ASSERT_EQ(liste->currentRow(), Ligne("Mayence"));
    EXPECT_EQ(marqueur(), std::pair(49.99, 8.25));

    // A click elsewhere on the map: « Valider » would validate a position not shown.
    fenetre->WebOSMapsMapClick(10.0, 10.0);
    messages.clear();
    fenetre->BtCheckPlace->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.back().startsWith("La carte montre le point que vous avez cliqué"));
    EXPECT_NE(base->Geolocalisation(
                      fenetre->ListPlaces()[fenetre->GetItemIndexListPlaces(liste->currentRow())]
                          ->IdPlace,
                      "")
                  ->Etat,
              EtatValide);
    // Selected again: the map is back on the place, which can be validated.
    QTest::keyClick(liste, Qt::Key_Up);
    QTest::keyClick(liste, Qt::Key_Down);
    EXPECT_EQ(marqueur(), std::pair(49.99, 8.25));
    fenetre->BtCheckPlace->click();
    EXPECT_EQ(messages.size(), 1u);

    // A place with no position: no marker left on the previous place.
    Filtre(fenetre->RBNotLocate);
    QTest::keyClick(liste, Qt::Key_Home);
    EXPECT_FALSE(fenetre->WebOSMaps->MarqueurVisible());
}

// After a bulk run the window shows its summary: counts, the ambiguous places with their
// candidates (a click shows one on the map), those not found, and the undo button.
TEST_F(OutilLieux, ABulkRunEndsWithItsSummaryInTheWindow) {
    fenetre->show();
    Filtre(fenetre->RBNotLocate);
    fenetre->BtReInit->click();
    ASSERT_NE(fenetre->DlgBilan, nullptr);
    EXPECT_TRUE(fenetre->DlgBilan->isVisible());
    const QString texte = fenetre->LbBilan->text();
    EXPECT_TRUE(texte.contains("Terminé")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("6 lieu(x) traité(s) : 4 localisé(s), 2 non localisé(s) (dont 1 "
                               "ambigu(s))"))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains("à la position de leur commune (atlas) : 3"));
    EXPECT_TRUE(texte.contains("trouvés par la recherche d'adresse : 1"));
    QTreeWidget* arbre = fenetre->ArbreBilan;
    ASSERT_EQ(arbre->topLevelItemCount(), 2);
    QTreeWidgetItem* ambigus = arbre->topLevelItem(0);
    EXPECT_TRUE(ambigus->text(0).startsWith("Ambigus : 1"));
    ASSERT_EQ(ambigus->childCount(), 1);
    EXPECT_TRUE(ambigus->child(0)->text(0).contains("Valence"));
    ASSERT_EQ(ambigus->child(0)->childCount(), 2);
    QTreeWidgetItem* tarn = ambigus->child(0)->child(1);
    EXPECT_EQ(tarn->text(0), "Valence, Tarn (Lat : 44,11 , Long : 0,89)");
    arbre->setCurrentItem(tarn);
    EXPECT_DOUBLE_EQ(fenetre->WebOSMaps->Marqueur().Latitude, 44.11);
    QTreeWidgetItem* absents = arbre->topLevelItem(1);
    EXPECT_TRUE(absents->text(0).startsWith("Non trouvés : 1"));
    ASSERT_EQ(absents->childCount(), 1);
    EXPECT_TRUE(absents->child(0)->text(0).contains("Nullepart"));

    ASSERT_TRUE(fenetre->BtBilanAnnuler->isEnabled());
    fenetre->BtBilanAnnuler->click();
    EXPECT_FALSE(fenetre->DlgBilan->isVisible());
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().startsWith("4 lieu(x) remis")) << messages.back().toStdString();
    fs::create_directories(ORLAVINE_CAPTURES);
    fenetre->BtReInit->click();
    fenetre->DlgBilan->grab().save(
        QString::fromStdString(std::string(ORLAVINE_CAPTURES) + "/outil-lieux-bilan.png"));
}

// The progress panel leaves the map and the buttons where they were, says what it does, and
// once stopped says where it stopped, the bar short of its end.
TEST_F(OutilLieux, ProgressKeepsTheLayoutAndSaysWhereItStopped) {
    fenetre->resize(1000, 560);
    fenetre->show();
    Filtre(fenetre->RBNotLocate);
    QApplication::processEvents();
    const QRect bouton = fenetre->BtLocateAuto->geometry();
    bool vu = false;
    recherche.PendantLaRecherche = [&] {
        if (vu) return;
        vu = true;
        QApplication::processEvents();
        EXPECT_TRUE(fenetre->PanelWait->isVisible());
        EXPECT_TRUE(fenetre->WebOSMaps->isVisible());
        EXPECT_EQ(fenetre->BtLocateAuto->geometry(), bouton);
        EXPECT_TRUE(fenetre->Label2->text().startsWith("Tout géolocaliser"))
            << fenetre->Label2->text().toStdString();
        EXPECT_FALSE(fenetre->Label2->text().contains("Chargement"));
        fenetre->BtCancel->click();
    };
    fenetre->BtReInit->click();
    ASSERT_TRUE(vu);
    const long faits = fenetre->DernierBilan().Traitees;
    EXPECT_TRUE(fenetre->DernierBilan().Interrompu);
    ASSERT_LT(faits, 6);
    const QString arret = QStringLiteral("Arrêté à %1 sur 6.").arg(faits);
    EXPECT_EQ(fenetre->Label2->text(), arret);
    EXPECT_EQ(fenetre->ProgressBar->value(), faits);
    EXPECT_EQ(fenetre->ProgressBar->maximum(), 6);
    EXPECT_TRUE(fenetre->LbBilan->text().contains(arret));
    EXPECT_FALSE(fenetre->PanelWait->isVisible());
    EXPECT_TRUE(fenetre->WebOSMaps->isVisible());
}

// The window fits a 1024 x 600 screen: its minimum size, and « Fermer » and « Supprimer… »
// inside it at that size.
TEST_F(OutilLieux, FitsASmallScreen) {
    EXPECT_LE(fenetre->minimumSizeHint().width(), 1024);
    EXPECT_LE(fenetre->minimumSizeHint().height(), 560);
    fenetre->resize(1024, 560);
    fenetre->show();
    Filtre(fenetre->RBLocate);
    QApplication::processEvents();
    for (QPushButton* b : {fenetre->btQuit, fenetre->BtDeleteCurrent, fenetre->BtDeleteAll,
                           fenetre->BtCheckPlace, fenetre->BtLocate}) {
        const QRect r(b->mapTo(fenetre.get(), QPoint(0, 0)), b->size());
        EXPECT_TRUE(fenetre->rect().contains(r)) << b->text().toStdString();
    }
    fs::create_directories(ORLAVINE_CAPTURES);
    fenetre->ListDisplayPlaces->setCurrentRow(0);
    QApplication::processEvents();
    EXPECT_TRUE(fenetre->grab().save(
        QString::fromStdString(std::string(ORLAVINE_CAPTURES) + "/outil-lieux-1024x600.png")));
}

// The window's export and `orlavine-cli base exporter` are one operation: the same bytes.
TEST_F(OutilLieux, ExportsTheSameFilesAsTheCommandLine) {
    Filtre(fenetre->RBNotLocate);
    fenetre->BtReInit->click();
    Filtre(fenetre->RBLocate);
    ASSERT_EQ(fenetre->ListDisplayPlaces->count(), 5);
    QStringList offerts;
    for (const char* extension : {"kml", "geojson"}) {
        SCOPED_TRACE(extension);
        const fs::path fenetreSortie = dossier / (std::string("fenetre.") + extension);
        const fs::path cliSortie = dossier / (std::string("cli.") + extension);
        fenetre->DemandeFichierExport = [&](const QString& offert) {
            offerts << offert;
            return QString::fromStdString(fenetreSortie.string());
        };
        messages.clear();
        fenetre->BtExporter->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], QStringLiteral("5 lieux exportés dans %1 (%2).")
                                   .arg(QString::fromStdString(fenetreSortie.filename().string()),
                                        extension[0] == 'k' ? "KML" : "GeoJSON"));
        QProcess cli;
        cli.start(QStringLiteral(ORLAVINE_CLI),
                  {"--atlas", ORLAVINE_ATLAS_LIVRE, "base", "exporter", "--base",
                   QString::fromStdString((dossier / "a.sqlite").string()), "--format", extension,
                   QString::fromStdString(cliSortie.string())});
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        const std::string attendu = test::LitFichier(cliSortie);
        EXPECT_NE(attendu.find("Mayence"), std::string::npos);
        EXPECT_EQ(test::LitFichier(fenetreSortie), attendu);
    }
    fenetre->DemandeFichierExport = [&](const QString& offert) {
        offerts << offert;
        return QString();
    };
    messages.clear();
    fenetre->BtExporter->click(); // cancelled: nothing said, nothing written
    EXPECT_TRUE(messages.empty());
    // First offered beside the base under the imported file's name, then the last one again.
    ASSERT_EQ(offerts.size(), 3);
    EXPECT_EQ(offerts[0].toStdString(), (dossier / "arbre-geoloc-lieux.kml").string());
    EXPECT_EQ(offerts[1].toStdString(), (dossier / "fenetre.kml").string());
    EXPECT_EQ(offerts[2].toStdString(), (dossier / "fenetre.geojson").string());
}

// A folder that cannot be written: a French message naming the file, nothing left behind, the
// previous file as it was.
TEST_F(OutilLieux, AnExportThatCannotBeWrittenSaysWhyAndLeavesNoFile) {
    fs::create_directory(dossier / "sorties");
    {
        std::ofstream(dossier / "sorties" / "lieux.kml") << "ancien";
        std::ofstream(dossier / "fichier") << "pas un dossier";
    }
    struct Cas {
        fs::path Sortie;
        const char* Raison;
    };
    std::vector<Cas> cas = {
        {dossier / "absent" / "lieux.kml", "dossier inexistant"},
        {dossier / "fichier" / "lieux.geojson", "n'est pas un dossier"},
        {dossier / "sorties" / "lieux.kmz", ".kml (KML) ou par .geojson (GeoJSON)"},
    };
    // Root writes anywhere: the protected folder only tells for another user.
    if (::geteuid() != 0) {
        fs::permissions(dossier / "sorties", fs::perms::owner_write, fs::perm_options::remove);
        cas.push_back({dossier / "sorties" / "lieux.kml", "accès refusé"});
    }
    const auto contenu = [](const fs::path& d) {
        std::vector<std::string> noms;
        for (const auto& e : fs::recursive_directory_iterator(d))
            noms.push_back(e.path().string());
        std::sort(noms.begin(), noms.end());
        return noms;
    };
    const std::vector<std::string> avant = contenu(dossier);
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.Sortie.string());
        messages.clear();
        fenetre->DemandeFichierExport = [&](const QString&) {
            return QString::fromStdString(c.Sortie.string());
        };
        fenetre->BtExporter->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith("Les lieux n'ont pas été exportés"))
            << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QString::fromStdString(c.Sortie.filename().string())));
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.Raison))) << messages[0].toStdString();
        EXPECT_EQ(contenu(dossier), avant);
    }
    EXPECT_EQ(test::LitFichier(dossier / "sorties" / "lieux.kml"), "ancien");
    fs::permissions(dossier / "sorties", fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(OutilLieux, Capture) {
    fenetre->show();
    Filtre(fenetre->RBNotLocate);
    fenetre->ListDisplayPlaces->setCurrentRow(0);
    QApplication::processEvents();
    fs::create_directories(ORLAVINE_CAPTURES);
    const QString chemin =
        QString::fromStdString(std::string(ORLAVINE_CAPTURES) + "/outil-lieux.png");
    EXPECT_TRUE(fenetre->grab().save(chemin));
}

TEST_F(OutilLieux, ABaseReplacedUnderTheWindowIsNotWrittenAndTheUserIsTold) {
    // Replaced by a program that ignores the lock (a copy, a file manager).
    ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-geoloc.ged", dossier / "autre.sqlite");
    fs::rename(dossier / "autre.sqlite", dossier / "a.sqlite");
    Filtre(fenetre->RBLocate);
    ASSERT_GT(fenetre->ListDisplayPlaces->count(), 0);
    fenetre->ListDisplayPlaces->setCurrentRow(0);
    for (QPushButton* b : {fenetre->BtCheckPlace, fenetre->BtDeleteCurrent}) {
        SCOPED_TRACE(b->text().toStdString());
        messages.clear();
        b->click();
        ASSERT_FALSE(messages.empty());
        EXPECT_TRUE(messages.back().contains(QStringLiteral("la base a été remplacée")))
            << messages.back().toStdString();
    }
    TBaseGenealogie nouvelle(dossier / "a.sqlite");
    for (const TGeolocalisation& g : nouvelle.Geolocalisations())
        EXPECT_EQ(g.Origine, Provenance::Gedcom);
}

TEST_F(OutilLieux, AReadOnlyBaseIsViewedWithEveryWriteDisabled) {
    fenetre.reset();
    services.reset();
    gestion.reset();
    base = std::make_unique<TBaseGenealogie>(dossier / "a.sqlite", true);
    gestion = std::make_unique<TGestFichier>(*base);
    services = std::make_unique<geoloc::TServicesLieuxBase>(*gestion);
    TParametresOutilLieux p;
    p.FichierMonde = ORLAVINE_MONDE_LIVRE;
    fenetre = std::make_unique<TFormToolLocation>(*gestion, *services, &recherche, p);
    fenetre->InitListPlaces();
    fenetre->show();
    Filtre(fenetre->RBLocate);
    EXPECT_GT(fenetre->ListDisplayPlaces->count(), 0);
    for (QPushButton* b :
         {fenetre->BtReInit, fenetre->BtDeleteAll, fenetre->BtAnnuler, fenetre->BtLocateAuto,
          fenetre->BtLocate, fenetre->BtCheckPlace, fenetre->BtDeleteCurrent}) {
        SCOPED_TRACE(b->text().toStdString());
        EXPECT_FALSE(b->isEnabled());
    }
    EXPECT_TRUE(fenetre->btQuit->isEnabled());
    EXPECT_TRUE(fenetre->BtExporter->isEnabled()); // exporting reads the base only
    EXPECT_TRUE(fenetre->LabelLectureSeule->isVisible());
    EXPECT_TRUE(fenetre->LabelLectureSeule->text().startsWith(
        QStringLiteral("Base ouverte en lecture seule : ")));
    fenetre->resize(1024, 600); // the sentence stays whole on a small screen
    QApplication::processEvents();
    fs::create_directories(ORLAVINE_CAPTURES);
    EXPECT_TRUE(fenetre->grab().save(
        QString::fromStdString(std::string(ORLAVINE_CAPTURES) + "/outil-lieux-lecture-seule.png")));
}

namespace {
// The map's search: a point for "Mayence"; asks a nested search of its own when told to.
class GeocodageEssai : public IGeocodage {
public:
    std::function<void()> PendantLaRecherche;
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) override {
        if (PendantLaRecherche) PendantLaRecherche();
        if (adresse.find("Mayence") != std::string::npos) return monde::TPointGeo{49.99, 8.25};
        return std::nullopt;
    }
    std::string ChercheLieu(double, double) override { return {}; }
};
} // namespace

TEST(RechercheCarte, TakesTheMapsAnswerRefusesNestedSearchesAndLateAnswers) {
    TWebOSMaps carte;
    GeocodageEssai geocodage;
    carte.FixeGeocodage(&geocodage);
    TRechercheCarte recherche(&carte, Provenance::GeocodeurEnLigne, 2000);
    const auto r = recherche.Recherche("Mayence ; Allemagne");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].Latitude, 49.99);
    EXPECT_FALSE(recherche.EnAttente());
    // Nothing found: the map answers 0, 0, which is no answer.
    EXPECT_TRUE(recherche.Recherche("Nullepart").empty());
    // A search asked while one waits is refused, the first one still gets its answer.
    std::vector<geoloc::TCandidatAdresse> imbriquee{{1, 1, "x", 0}};
    bool fait = false;
    geocodage.PendantLaRecherche = [&] {
        if (fait) return;
        fait = true;
        imbriquee = recherche.Recherche("Mayence");
    };
    EXPECT_EQ(recherche.Recherche("Mayence").size(), 1u);
    EXPECT_TRUE(imbriquee.empty());
    geocodage.PendantLaRecherche = nullptr;
    // A search given up (no time to wait) does not lend its late answer to the next one.
    TRechercheCarte impatiente(&carte, Provenance::GeocodeurEnLigne, 0);
    impatiente.Recherche("Mayence");
    EXPECT_TRUE(impatiente.Recherche("Nullepart").empty());
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
