// The world map page, the browser page and the ask-location dialog in the window: captions,
// states shown, the dialog's remembered box and placement, the relocation question.
#include "mapview/ansi_qt.h"
#include "mapview/geocodage.h"
#include "mapview/web_osmaps.h"
#include "search/form_ask_location.h"
#include "search/form_ihm2.h"
#include "search/page_navigateur.h"
#include "search/parametres.h"
#include "tests/commun/graphique_essai.h"
#include "tests/search/atlas_fenetre.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

using namespace orlavine;
using essai::Attendre;

namespace {

struct HoteEssai : geoloc::IHotePageMonde {
    std::vector<std::string> Journal;
    std::string TexteLieu(int id) const override {
        return id == 4 ? "Saint-Amadou, 09120, Ariège, France" : std::string();
    }
    // Knows one commune, as the atlas would.
    std::string NormalizeAddress(double& lon, double& lat, std::string_view adresse, int,
                                 std::string_view) const override {
        if (adresse.starts_with("Brest")) {
            lat = 48.3904;
            lon = -4.4861;
        }
        return std::string(adresse);
    }
    void AddLog(const std::string& l) override { Journal.push_back(l); }
};

// A geocoder that knows one town.
struct GeocodageEssai : IGeocodage {
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) override {
        if (adresse.find("Saint-Amadou") != std::string::npos)
            return monde::TPointGeo{43.1108, 1.7144};
        return std::nullopt;
    }
    std::string ChercheLieu(double, double) override { return "Saint-Amadou, Ariège, France"; }
    std::vector<TCandidatCarte> Homonymes(const std::string& adresse) override {
        if (adresse != "Valence") return {};
        return {{{44.93, 4.89}, "Valence, Drôme"}, {{44.11, 0.89}, "Valence, Tarn"}};
    }
    std::string ServiceInjoignable() const override { return Injoignable; }
    std::string Injoignable;
};

SGeoChps Lieu(int etat, std::string lieuDit = {}) {
    SGeoChps l;
    l.IdPlace = 4;
    l.LieuDit = std::move(lieuDit);
    l.Etat = etat;
    l.Latitude = 43.1;
    l.Longitude = 1.7;
    return l;
}

class PageMondeFenetre : public ::testing::Test {
protected:
    void SetUp() override {
        essai::EffaceParametres();
        f = std::make_unique<TFormIhm2>();
        f->AfficheMessage = [this](const QString& m) { messages << m; };
        f->FixeServicesLieux(&hote);
        f->OnLocalisationSauvee = [this](SGeoChps* l) { sauves.push_back(*l); };
        f->show();
    }
    // Shows the place in state `etat` on the world map page; with `geocodage`, once the map
    // control is ready and answers through it.
    void Ouvre(int etat, IGeocodage* geocodage = nullptr, std::string lieuDit = {}) {
        if (geocodage) {
            f->WebOSMaps->FixeGeocodage(geocodage);
            ASSERT_TRUE(Attendre([&] { return f->WebOSMaps->Pret(); }));
        }
        lieu = Lieu(etat, std::move(lieuDit));
        f->SetSGeoChps(&lieu);
        f->ShowMapWorld({});
    }

    HoteEssai hote;
    SGeoChps lieu;
    std::unique_ptr<TFormIhm2> f;
    QStringList messages;
    std::vector<SGeoChps> sauves;
};

} // namespace

TEST_F(PageMondeFenetre, CaptionsAndTheStateOfAValidatedPlace) {
    EXPECT_EQ(f->AdvOfficePagerMain->tabText(0), "Localiser sur la carte");
    EXPECT_EQ(f->AdvOfficePagerMain->tabText(2), "OpenStreetMap"); // what it shows
    EXPECT_EQ(f->GroupBox1->title(), "Adresse d'origine :  ");
    EXPECT_EQ(f->GroupBox2->title(), "Adresse actuelle : ");
    EXPECT_EQ(f->GroupBox3->title(), "Adresse validée : ");
    EXPECT_EQ(f->BtRelocate->text(), "Relocaliser l'adresse");
    EXPECT_EQ(f->BtLocatePerso->text(), "Choisir cette localisation");
    EXPECT_EQ(f->Label3->text(), "Vous avez vérifié la localisation de l'adresse, vous pouvez "
                                 "maintenant la marquer comme \"Validée\"");
    EXPECT_EQ(f->Label2->text(), "La localisation est imprécise ? Cliquez sur la carte à "
                                 "l'endroit exact puis cliquez sur le bouton \"Choisir cette "
                                 "localisation\"");
    EXPECT_FALSE(f->PanelSearchPlace->isVisible()); // no place yet

    Ouvre(EtatValide);
    EXPECT_EQ(f->AdvOfficePagerMain->currentWidget(), f->PageMapWorld);
    EXPECT_TRUE(f->PanelSearchPlace->isVisible());
    EXPECT_EQ(f->lbPlace->text(), "Saint-Amadou, 09120, Ariège, France");
    EXPECT_TRUE(f->LabelValidate->isVisible());
    EXPECT_FALSE(f->btValidate->isVisible());
    EXPECT_TRUE(f->LbLatLong->text().startsWith("Lat : 43"));
    EXPECT_TRUE(f->TimerMapLoaded->isActive());
    EXPECT_EQ(f->LieuTexte, VersAnsi(QStringLiteral("Saint-Amadou, 09120, Ariège, France")));
}

TEST_F(PageMondeFenetre, ThePanelFollowsTheBrowserPageWhichSaysWhyItIsEmpty) {
    Ouvre(EtatAdresseTrouvee);
    f->AdvOfficePagerMain->setCurrentWidget(f->PageMapGoogle);
    EXPECT_EQ(f->PanelSearchPlace->parentWidget(), f->PageMapGoogle);
    EXPECT_TRUE(f->PanelSearchPlace->isVisible());
    QString raison;
    if (!CanUseCef4(raison)) {
        EXPECT_EQ(f->Navigateur, nullptr);
        ASSERT_NE(f->LabelSansNavigateur, nullptr);
        EXPECT_TRUE(f->LabelSansNavigateur->text().contains("sans navigateur intégré"));
        // The same map is offered in the user's browser, on the place's position.
        EXPECT_TRUE(f->LabelSansNavigateur->text().contains(
            "https://www.openstreetmap.org/?mlat=43.1&amp;mlon=1.7"));
    }
    f->AdvOfficePagerMain->setCurrentWidget(f->PageMapWorld);
    EXPECT_EQ(f->PanelSearchPlace->parentWidget(), f->PageMapWorld);
    EXPECT_TRUE(f->PanelSearchPlace->isVisible());

    // The communes page hides the panel.
    f->ShowCommuneFrance("Paris ; 75001");
    EXPECT_FALSE(f->PanelSearchPlace->isVisible());
}

TEST_F(PageMondeFenetre, RelocatingAPlaceWithALieuDitAsksFirst) {
    Ouvre(EtatAdresseTrouvee, nullptr, "Le Moulin");
    QString question;
    f->DemandeRelocalisation = [&](const QString& q) {
        question = q;
        return geoloc::TReponseRelocalisation{geoloc::ReponseAnnuler, true};
    };
    f->BtRelocate->click();
    EXPECT_EQ(question, "Souhaitez-vous relocaliser l'adresse : Lieu : Saint-Amadou, 09120, "
                        "Ariège, France. Lieu-dit : Le Moulin ? ");
    EXPECT_FALSE(f->Monde->RelocalisationEnCours);
    EXPECT_TRUE(hote.Journal.empty());
}

TEST_F(PageMondeFenetre, TheMapControlAnswersThroughThePage) {
    GeocodageEssai geocodage;
    Ouvre(EtatHorsTable, &geocodage);
    EXPECT_EQ(f->LbLatLong->text(), "Cette adresse n'a pas encore été localisée.");
    f->TimerMapLoadedTimer(); // the map is ready: the place is searched
    ASSERT_TRUE(Attendre([&] { return !sauves.empty(); }));
    EXPECT_EQ(sauves[0].Etat, EtatAdresseTrouvee);
    // The page says what was found and by what, and the box shows what was searched.
    EXPECT_TRUE(f->LbEtatRecherche->isVisible());
    EXPECT_TRUE(f->LbEtatRecherche->text().startsWith("Trouvé par le géocodeur hors ligne"))
        << f->LbEtatRecherche->text().toStdString();
    EXPECT_EQ(f->cbAddress->currentText(), "Saint-Amadou, 09120, Ariège, France");
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 43.1108);
    EXPECT_TRUE(f->WebOSMaps->MarqueurVisible());
    EXPECT_DOUBLE_EQ(f->WebOSMaps->Marqueur().Latitude, 43.1108);

    // A click: the position at once, the address of the point once the map answers.
    emit f->WebOSMaps->OnMapClick(f->WebOSMaps, 43.2, 1.8, 10, 10);
    EXPECT_EQ(f->LbLatLong->text(), "Lat : 43,2 , Long : 1,8"); // French, whatever the locale
    ASSERT_TRUE(Attendre([&] { return f->cbAddress->count() == 2; }));
    EXPECT_EQ(f->cbAddress->currentIndex(), 1);
    EXPECT_EQ(f->cbAddress->currentText(), "Saint-Amadou, Ariège, France");
    f->BtLocatePerso->click();
    ASSERT_EQ(sauves.size(), 2u);
    EXPECT_EQ(sauves[1].Etat, EtatPlaceALaMain);
    EXPECT_DOUBLE_EQ(sauves[1].Latitude, 43.2);
    EXPECT_EQ(sauves[1].AdresseRech, "Saint-Amadou, Ariège, France");
    f->btValidate->click();
    EXPECT_TRUE(f->LabelValidate->isVisible());
    EXPECT_FALSE(f->btValidate->isVisible());
}

// After a visit to the browser page, a search moves the map and its marker where the
// position shown is, and « Choisir cette localisation » stores that position.
TEST_F(PageMondeFenetre, ASearchAfterATabSwitchMovesTheMapAndIsWhatChoisirStores) {
    GeocodageEssai geocodage;
    Ouvre(EtatAdresseTrouvee, &geocodage);
    f->TimerMapLoadedTimer();
    EXPECT_DOUBLE_EQ(f->WebOSMaps->Marqueur().Latitude, 43.1);
    f->AdvOfficePagerMain->setCurrentWidget(f->PageMapGoogle);
    f->AdvOfficePagerMain->setCurrentWidget(f->PageMapWorld);
    f->cbAddress->setEditText(QStringLiteral("Brest, Finistère"));
    f->BtSearch->click();
    EXPECT_TRUE(f->LbLatLong->text().startsWith("Lat : 48,3904"));
    EXPECT_TRUE(f->LbEtatRecherche->text().contains("atlas des communes"));
    // Whenever the page's wait for the map ends, the map stays on what the page shows.
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(f->WebOSMaps->Marqueur().Latitude, 48.3904, 1e-9);
        EXPECT_NEAR(f->WebOSMaps->Vue().Centre.Longitude, -4.4861, 1e-6);
        f->TimerMapLoadedTimer();
    }
    f->BtLocatePerso->click();
    ASSERT_FALSE(sauves.empty());
    EXPECT_NEAR(sauves.back().Latitude, 48.3904, 1e-9);
    EXPECT_NEAR(sauves.back().Longitude, -4.4861, 1e-9);

    // A picture of the page as the user sees it then, on the bundled world map.
    f->WebOSMaps->FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    f->WebOSMaps->Refresh();
    if (Attendre([&] { return f->WebOSMaps->Erreur().isEmpty(); })) {
        f->resize(1024, 560);
        f->WebOSMaps->FixeEchelle(2e6);
        QApplication::processEvents();
        QDir().mkpath(QStringLiteral(ORLAVINE_CAPTURES));
        f->grab().save(QStringLiteral(ORLAVINE_CAPTURES "/page-monde-apres-recherche.png"));
    }
}

// A search that finds nothing says so in the window and leaves the position as it was.
TEST_F(PageMondeFenetre, ASearchThatFindsNothingSaysSo) {
    GeocodageEssai geocodage;
    Ouvre(EtatAdresseTrouvee, &geocodage);
    f->cbAddress->setEditText(QStringLiteral("Nullepart-sur-Rien"));
    f->BtSearch->click();
    ASSERT_TRUE(Attendre([&] { return f->LbEtatRecherche->text().startsWith("Aucun"); }))
        << f->LbEtatRecherche->text().toStdString();
    EXPECT_TRUE(f->LbEtatRecherche->text().contains("Nullepart-sur-Rien"));
    EXPECT_TRUE(f->LbLatLong->text().startsWith("Lat : 43,1"));
}

// « Valence » names several places: the page says so and offers them; the one picked is
// shown and is what « Choisir » stores. A service that could not be reached is said too.
TEST_F(PageMondeFenetre, AnAmbiguousSearchOffersItsNamesakesToPickFrom) {
    GeocodageEssai geocodage;
    Ouvre(EtatAdresseTrouvee, &geocodage);
    EXPECT_FALSE(f->cbCandidats->isVisible());
    f->cbAddress->setEditText(QStringLiteral("Valence"));
    f->BtSearch->click();
    ASSERT_TRUE(Attendre([&] { return f->cbCandidats->isVisible(); }));
    EXPECT_TRUE(f->LbEtatRecherche->text().startsWith(
        "Plusieurs lieux correspondent aussi bien à « Valence » : aucun n'a été retenu"))
        << f->LbEtatRecherche->text().toStdString();
    ASSERT_EQ(f->cbCandidats->count(), 2);
    EXPECT_EQ(f->cbCandidats->itemText(1), "Valence, Tarn (Lat : 44,11 , Long : 0,89)");
    EXPECT_TRUE(f->LbLatLong->text().startsWith("Lat : 43,1")); // nothing taken yet
    emit f->cbCandidats->activated(1);
    EXPECT_EQ(f->LbLatLong->text(), "Lat : 44,11 , Long : 0,89");
    EXPECT_DOUBLE_EQ(f->WebOSMaps->Marqueur().Latitude, 44.11);
    f->BtLocatePerso->click();
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 44.11);

    geocodage.Injoignable = "connexion refusée";
    f->cbAddress->setEditText(QStringLiteral("Nullepart"));
    f->BtSearch->click();
    ASSERT_TRUE(Attendre([&] { return f->LbEtatRecherche->text().contains("joint"); }));
    EXPECT_EQ(f->LbEtatRecherche->text(),
              "Le service de recherche en ligne n'a pas pu être joint (connexion refusée) et rien "
              "n'a été trouvé hors ligne pour « Nullepart ».");
    EXPECT_FALSE(f->cbCandidats->isVisible());
}

// Un-validating a validated place by a click on the map and « Choisir » asks first; the
// question's default button is « Non », and « Non » keeps the place as it was.
TEST_F(PageMondeFenetre, UnvalidatingAValidatedPlaceAsksFirst) {
    Ouvre(EtatValide);
    emit f->WebOSMaps->OnMapClick(f->WebOSMaps, 43.3, 1.9, 10, 10);
    bool nonParDefaut = false;
    QString question;
    // A timer of this test only: were no box to come, it would not press a later test's.
    QTimer reponse;
    reponse.setSingleShot(true);
    QObject::connect(&reponse, &QTimer::timeout, [&] {
        auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(boite, nullptr);
        question = boite->text();
        nonParDefaut = boite->defaultButton() == boite->button(QMessageBox::No);
        QTest::keyClick(boite, Qt::Key_Return);
    });
    reponse.start(0);
    f->BtLocatePerso->click();
    EXPECT_TRUE(question.contains("validé")) << question.toStdString();
    EXPECT_TRUE(nonParDefaut);
    EXPECT_TRUE(sauves.empty());
    EXPECT_TRUE(f->LabelValidate->isVisible());

    f->DemandeConfirmation = [](const QString&) { return true; };
    f->BtLocatePerso->click();
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatPlaceALaMain);
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 43.3);
}

TEST(FormAskLocation, AnswersAndTheRememberedBoxAndPlacement) {
    essai::EffaceParametres();
    {
        TFormAskLocation boite;
        EXPECT_EQ(boite.windowTitle(), "Confirmation");
        EXPECT_EQ(boite.CBLieuDit->text(), "Ignorer le lieu-dit dans la localisation automatique");
        EXPECT_EQ(boite.BtYes->text(), "Oui");
        EXPECT_EQ(boite.BtNo->text(), "Non");
        EXPECT_EQ(boite.BtCancel->text(), "Annuler");
        EXPECT_EQ(boite.Answer, -1);
        EXPECT_TRUE(boite.UseLieuDit());
        // A long question wraps inside the label's area.
        boite.SetMessage(QString("Souhaitez-vous relocaliser l'adresse : ").repeated(3));
        boite.show();
        EXPECT_EQ(boite.Label->width(), 310);
        EXPECT_LE(boite.Label->height(), 54);
        EXPECT_TRUE(boite.Label->wordWrap());
        boite.CBLieuDit->setChecked(true);
        boite.move(120, 90);
        boite.BtYes->click();
        EXPECT_EQ(boite.Answer, 1);
        EXPECT_FALSE(boite.UseLieuDit());
        EXPECT_FALSE(boite.isVisible());
    }
    {
        // The next question opens with the box checked, where the last one was.
        TFormAskLocation boite;
        EXPECT_EQ(OuvreParametres()
                      ->value(TFormAskLocation::GroupeStockage() + "/CBLieuDit.Checked")
                      .toString(),
                  "TRUE");
        boite.show();
        EXPECT_TRUE(boite.CBLieuDit->isChecked());
        EXPECT_EQ(boite.Answer, -1);
        EXPECT_EQ(boite.pos(), QPoint(120, 90));
        boite.CBLieuDit->setChecked(false);
        // Closed by the title bar: no answer.
        boite.reject();
        EXPECT_EQ(boite.Answer, -1);
    }
    {
        TFormAskLocation boite;
        boite.FormShow(); // its logic, without showing it
        EXPECT_FALSE(boite.CBLieuDit->isChecked());
        boite.BtYesClick(boite.BtNo);
        EXPECT_EQ(boite.Answer, 2);
        boite.BtYesClick(boite.BtCancel);
        EXPECT_EQ(boite.Answer, 3);
    }
    {
        // Words other programs store for true are read too.
        OuvreParametres()->setValue(TFormAskLocation::GroupeStockage() + "/CBLieuDit.Checked", "y");
        TFormAskLocation boite;
        boite.FormShow();
        EXPECT_TRUE(boite.CBLieuDit->isChecked());
    }
}

// « Enregistrer la carte… » over the page's map writes the view by the extension chosen.
TEST_F(PageMondeFenetre, TheMapIsSavedFromItsButton) {
    f->WebOSMaps->FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    f->WebOSMaps->Refresh();
    ASSERT_TRUE(Attendre([&] { return f->WebOSMaps->Pret(); }));
    const SGeoChps lieu = Lieu(EtatValide);
    f->SetSGeoChps(&lieu);
    f->ShowMapWorld({});
    QToolButton* bouton = f->WebOSMaps->BoutonEnregistrer();
    ASSERT_NE(bouton, nullptr);
    EXPECT_TRUE(bouton->isVisible());
    EXPECT_EQ(bouton->toolTip(), "Enregistrer la carte…");
    const QString dossier = QDir::temp().filePath(
        QStringLiteral("orlavine-page-monde-%1").arg(QCoreApplication::applicationPid()));
    QDir(dossier).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(dossier));
    QStringList offerts;
    for (const char* nom : {"carte.svg", "carte.pdf", "carte.png"}) {
        f->WebOSMaps->DemandeFichierCarte = [&](const QString& offert) {
            offerts << offert;
            return QDir(dossier).filePath(QString::fromUtf8(nom));
        };
        bouton->click();
        EXPECT_TRUE(QFileInfo(QDir(dossier).filePath(QString::fromUtf8(nom))).size() > 0) << nom;
    }
    ASSERT_EQ(offerts.size(), 3);
    EXPECT_TRUE(offerts[0].endsWith("/carte.png"));
    EXPECT_EQ(offerts[1], QDir(dossier).filePath("carte.svg")); // the last file again
    // The drawing keeps its credits as text.
    const std::vector<QString> textes = test::TextesSvg(QDir(dossier).filePath("carte.svg"));
    EXPECT_TRUE(std::any_of(textes.begin(), textes.end(),
                            [](const QString& t) { return t.startsWith("Données : "); }));
    EXPECT_EQ(QImage(QDir(dossier).filePath("carte.png")).size(), f->WebOSMaps->size());
    QDir(dossier).removeRecursively();
}
