// The main window on a small atlas: typed search, lists, keys, selection and neighbours,
// two towns, persisted towns, preferences and export.
#include "atlas/fichiers.h"
#include "atlas/recherche.h"
#include "mapview/ansi_qt.h"
#include "mapview/frm_pref_carte.h"
#include "search/export_texte.h"
#include "search/form_ihm2.h"
#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"
#include "tests/search/atlas_fenetre.h"

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace orlavine;

namespace {

const QString CleVille1 = "Software/Talvek/Orlavine/LastPlace1";
const QString CleVille2 = "Software/Talvek/Orlavine/LastPlace2";

using essai::Attendre;

QStringList Colonne(const QTreeWidget* l, int c) {
    QStringList r;
    for (int k = 0; k < l->topLevelItemCount(); ++k)
        r << l->topLevelItem(k)->text(c);
    return r;
}

int Selection(const QTreeWidget* l) {
    const auto s = l->selectedItems();
    return s.isEmpty() ? -1 : l->indexOfTopLevelItem(s.first());
}

class Fenetre : public essai::AtlasFenetre {
protected:
    void SetUp() override {
        essai::EffaceParametres();
        f = Nouvelle(Atlas());
    }

    std::unique_ptr<TFormIhm2> Nouvelle(const std::filesystem::path& atlas) {
        auto fenetre = std::make_unique<TFormIhm2>();
        fenetre->DossierAtlas = atlas;
        fenetre->AfficheMessage = [this](const QString& m) { messages << m; };
        fenetre->OuvreDocument = [this](const QString& c) {
            ouverts << c;
            return ouvrable;
        };
        fenetre->show();
        fenetre->InitCommuneFrance();
        return fenetre;
    }

    // Types a text in an edit and runs the timed search at once.
    void Cherche(QLineEdit* edit, const QString& texte) {
        edit->setText(texte);
        f->tiSaisieTimer();
    }
    QStringList Noms() const { return Colonne(f->lvCom, 1); }
    int Index(const char* code) const { return essai::IndexCode(f->Carte->Communes, code); }

    std::unique_ptr<TFormIhm2> f;
    QStringList messages;
    QStringList ouverts;
    bool ouvrable = true; // whether something opens the exported file
};

} // namespace

TEST_F(Fenetre, StartsEmptyWithTheAtlasLoaded) {
    ASSERT_TRUE(f->Carte);
    EXPECT_NE(f->FrmFrance, nullptr);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(f->zeVille1->text().isEmpty()); // first run: no last town
    EXPECT_EQ(f->EditActif, f->zeVille1);
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), -1);
    EXPECT_FALSE(f->ActionImpression->isEnabled());      // no first town, nothing to export
    EXPECT_TRUE(OuvreParametres()->contains(CleVille1)); // the first run creates the key
}

TEST_F(Fenetre, TypingThenWaitingFiresOneSearch) {
    QSignalSpy remplissages(f.get(), &TFormIhm2::ListeAffichee);
    f->zeVille1->setText("ver");
    f->zeVille1->setText("vers");
    f->zeVille1->setText("versa");
    EXPECT_TRUE(f->tiSaisie->isActive());
    EXPECT_EQ(remplissages.count(), 0);
    ASSERT_TRUE(Attendre([&] { return remplissages.count() >= 1; }));
    QTest::qWait(1200);
    EXPECT_EQ(remplissages.count(), 1);
    EXPECT_EQ(Noms(), QStringList{"VERSAILLES"});
    EXPECT_EQ(f->SaisieVille1, "versa");
    EXPECT_FALSE(f->tiSaisie->isActive());
}

TEST_F(Fenetre, NameCodeAndPostalSearches) {
    Cherche(f->zeVille1, "  le havre ");
    EXPECT_EQ(Colonne(f->lvCom, 0), QStringList{"76351"});
    EXPECT_EQ(Noms(), QStringList{"LE HAVRE"});
    EXPECT_EQ(f->SaisieVille1, "  le havre ");
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), Index("76351"));
    Cherche(f->zeVille1, "78");
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 12);
    EXPECT_EQ(Noms()[0], "BAILLY"); // sorted by name
    // What each text finds is the shared search's (TheListIsWhatTheSharedSearchFinds, and the
    // atlas's own tests); an unknown code empties the list.
    Cherche(f->zeVille1, "99999");
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 0);

    // The same analysed text runs no new search; an empty text clears the lists.
    Cherche(f->zeVille1, "versailles");
    QSignalSpy remplissages(f.get(), &TFormIhm2::ListeAffichee);
    Cherche(f->zeVille1, "VERSAILLES");
    EXPECT_EQ(remplissages.count(), 0);
    Cherche(f->zeVille1, "   ");
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 0);
    EXPECT_EQ(f->lvComVois->topLevelItemCount(), 0);
    // Typing the previous text again into the emptied edit searches it again.
    Cherche(f->zeVille1, "versailles");
    EXPECT_EQ(Noms(), QStringList{"VERSAILLES"});
    Cherche(f->zeVille1, "");
    f->lvComColumnClick(0); // does not bring back the earlier rows
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 0);
}

TEST_F(Fenetre, NavigationKeysInTheEdit) {
    Cherche(f->zeVille1, "78");
    ASSERT_EQ(f->lvCom->topLevelItemCount(), 12);
    EXPECT_EQ(Selection(f->lvCom), 0);
    auto touche = [&](Qt::Key k) {
        QTest::keyClick(f->zeVille1, k);
        return Selection(f->lvCom);
    };
    // Each key moves the selection (the steps at the ends are the Navigation tests').
    EXPECT_EQ(touche(Qt::Key_Down), 1);
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), f->ResultatsRecherche[1]);
    EXPECT_EQ(touche(Qt::Key_PageDown), 11); // 10 below: the last
    EXPECT_EQ(touche(Qt::Key_PageUp), 1);
    EXPECT_EQ(touche(Qt::Key_Up), 0);
    // Home and End also move the caret of the edit.
    f->zeVille1->setCursorPosition(1);
    EXPECT_EQ(touche(Qt::Key_End), 11);
    EXPECT_EQ(f->zeVille1->cursorPosition(), 2);
    EXPECT_EQ(touche(Qt::Key_Home), 0);
    EXPECT_EQ(f->zeVille1->cursorPosition(), 0);
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), f->ResultatsRecherche[0]);
}

TEST_F(Fenetre, AKeyStopsALongFillAndTheNextSearchRebuildsIt) {
    // The key press waits in the queue: the fill delivers it after its first row.
    QCoreApplication::postEvent(f->zeVille1,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier));
    Cherche(f->zeVille1, "78");
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 1);
    EXPECT_EQ(Selection(f->lvCom), 0);
    EXPECT_EQ(f->ResultatsRecherche.size(), 12u);
    f->tiSaisieTimer(); // same text
    EXPECT_EQ(f->lvCom->topLevelItemCount(), 12);

    // A search started during a fill takes over: no row of the older one is added after it.
    Cherche(f->zeVille1, "");
    QTimer::singleShot(0, f.get(), [this] { Cherche(f->zeVille1, "paris"); });
    Cherche(f->zeVille1, "78");
    EXPECT_EQ(Noms(), QStringList{"PARIS"});
}

TEST_F(Fenetre, SortingByColumnClicks) {
    Cherche(f->zeVille1, "78");
    std::vector<AnsiString> cles; // the sort key: the name without its article
    for (auto i : f->ResultatsRecherche)
        cles.push_back(f->Carte->Communes[i].Nom);
    EXPECT_TRUE(std::is_sorted(cles.begin(), cles.end()));
    QStringList inverse = Noms();
    std::reverse(inverse.begin(), inverse.end());
    f->lvComColumnClick(1); // same column: reversed
    EXPECT_EQ(Noms(), inverse);
    f->lvComColumnClick(0);
    QStringList codes = Colonne(f->lvCom, 0);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    EXPECT_EQ(codes.size(), 12);
    Cherche(f->zeVille1, "SAINT"); // a new search keeps the sort state
    codes = Colonne(f->lvCom, 0);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));

    // Neighbours: the first click on Code INSEE sorts ascending; the first click on
    // Distance puts the farthest first, the second the nearest first.
    Cherche(f->zeVille1, "versailles");
    f->lvComVoisColumnClick(0);
    codes = Colonne(f->lvComVois, 0);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    auto distances = [&] {
        f->lvComVoisColumnClick(2);
        std::vector<int> d;
        for (const QString& t : Colonne(f->lvComVois, 2))
            d.push_back(t.section(' ', 0, 0).toInt());
        return d;
    };
    auto d = distances();
    ASSERT_GT(d.size(), 2u);
    EXPECT_TRUE(std::is_sorted(d.rbegin(), d.rend()));
    d = distances();
    EXPECT_TRUE(std::is_sorted(d.begin(), d.end()));
}

TEST_F(Fenetre, ADelegatedCommuneIsFoundByItsNameAndSaysWhatItIs) {
    // The same atlas, with Viroflay made a delegated commune of Versailles.
    QTemporaryDir autre;
    const std::filesystem::path dossier = autre.path().toStdString();
    essai::EcritAtlasEssai(dossier);
    const auto communes = essai::CommunesEssai();
    const auto viroflay = static_cast<std::uint16_t>(essai::IndexCode(communes, "78686"));
    const auto versailles = static_cast<std::uint16_t>(essai::IndexCode(communes, "78646"));
    EcritFichierAtomique(
        dossier / NomFichierCommunesLiees,
        EcritCommunesLiees({{viroflay, TNatureCommune::Deleguee, versailles}}, communes.size()));
    f = Nouvelle(dossier);
    Cherche(f->zeVille1, "viroflay");
    EXPECT_EQ(Noms(), QStringList{"VIROFLAY"});
    ASSERT_EQ(TFormIhm2::Tag(f->zaVilleSel1), viroflay);
    EXPECT_TRUE(VersAnsi(f->laInfo->text())
                    .starts_with("Viroflay, commune d\xE9l\xE9gu\xE9"
                                 "e de Versailles, code INSEE : 78686, code Postal : 78220, du "
                                 "d\xE9partement Yvelines, est entour\xE9"
                                 "e de "))
        << f->laInfo->text().toStdString();
    // On the map it is drawn as an ordinary commune.
    ASSERT_FALSE(f->Carte->CommunesAffichees.empty());
    EXPECT_EQ(f->Carte->CommunesAffichees[0].IndexCommune, viroflay);
    EXPECT_EQ(f->Carte->CommunesAffichees[0].Forme, 2);
}

TEST_F(Fenetre, NeighboursAndSentencesAtRadiusNineAndZero) {
    Cherche(f->zeVille1, "versailles");
    const int v = Index("78646");
    ASSERT_EQ(TFormIhm2::Tag(f->zaVilleSel1), v);
    EXPECT_EQ(f->zaVilleSel1->text(), ""); // one-town mode: no caption
    EXPECT_EQ(f->tbRayon->value(), 9);
    // The list is the atlas's neighbours within the radius (checked in the atlas's tests).
    const int n = f->lvComVois->topLevelItemCount();
    ASSERT_GT(n, 0);
    EXPECT_EQ(static_cast<std::size_t>(n), f->Carte->CommunesVoisines.size());
    const AnsiString debut = "Versailles, code INSEE : 78646, code Postal : 78000, du "
                             "d\xE9partement Yvelines, est entour\xE9"
                             "e de ";
    EXPECT_EQ(VersAnsi(f->laInfo->text()),
              debut + std::to_string(n) + " communes \xE0 moins de 9 km.");
    EXPECT_TRUE(f->ActionImpression->isEnabled());
    // The map shows the town first, blinking, then the ranked towns around it.
    ASSERT_FALSE(f->Carte->CommunesAffichees.empty());
    EXPECT_EQ(f->Carte->CommunesAffichees[0].IndexCommune, v);
    EXPECT_TRUE(f->Carte->CommunesAffichees[0].Clignotant);

    // Selecting a neighbour tells its distance.
    const auto chesnay = f->lvComVois->findItems("LE CHESNAY", Qt::MatchExactly, 1);
    ASSERT_EQ(chesnay.size(), 1);
    const QTreeWidgetItem* e = chesnay[0];
    f->lvComVois->setCurrentItem(chesnay[0]);
    EXPECT_EQ(f->laInfo->text(), "Le Chesnay est à " + e->text(2) + " de Versailles.");

    f->tbRayon->setValue(0);
    EXPECT_EQ(f->laRayon->text(), "Sélection : 0 km");
    EXPECT_EQ(f->lvComVois->topLevelItemCount(), 0);
    EXPECT_EQ(VersAnsi(f->laInfo->text()), debut + "0 communes \xE0 moins de 0 km.");

    // With an empty result list the radius only rewrites its label.
    Cherche(f->zeVille1, "");
    f->tbRayon->setValue(5);
    EXPECT_EQ(f->laRayon->text(), "Sélection : 5 km");
    EXPECT_EQ(f->lvComVois->topLevelItemCount(), 0);
}

TEST_F(Fenetre, TwoTownsAndTheirDistance) {
    Cherche(f->zeVille1, "versailles");
    f->sbChoix2Villes->click();
    EXPECT_FALSE(f->ModeUneVille);
    EXPECT_FALSE(f->PanelSaisieCom2->isHidden());
    EXPECT_FALSE(f->pcMain->isTabVisible(f->pcMain->indexOf(f->tsVilles)));
    EXPECT_EQ(f->pcMain->currentWidget(), f->tsCarteGeo);
    EXPECT_EQ(f->EditActif, f->zeVille2);
    EXPECT_EQ(f->zaVilleSel1->text(), "VERSAILLES"); // named in two-town mode
    f->AffichageCommunes();                          // only the first town chosen: no distance
    EXPECT_EQ(f->Carte->TexteInfo, "");

    Cherche(f->zeVille2, "paris");
    const int v = Index("78646"), p = Index("75056");
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel2), p);
    EXPECT_EQ(f->zaVilleSel2->text(), "PARIS");
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), v);
    EXPECT_EQ(f->Carte->TexteInfo, "VERSAILLES, Pr\xE9"
                                   "fecture : Yvelines, 18 km de PARIS");
    ASSERT_GE(f->Carte->CommunesAffichees.size(), 2u);
    EXPECT_EQ(f->Carte->CommunesAffichees[1].IndexCommune, p);
    EXPECT_EQ(f->Carte->IndexCommuneCentree, 1); // the second town, being chosen

    f->sbChoix2Villes->click();
    EXPECT_TRUE(f->ModeUneVille);
    EXPECT_TRUE(f->PanelSaisieCom2->isHidden());
    EXPECT_EQ(f->zaVilleSel1->text(), "");
    EXPECT_TRUE(f->pcMain->isTabVisible(f->pcMain->indexOf(f->tsVilles)));
    EXPECT_EQ(f->EditActif, f->zeVille1);
}

TEST_F(Fenetre, DoubleClickOnANeighbourMakesItTheFirstTown) {
    Cherche(f->zeVille1, "versailles");
    const auto trouves = f->lvComVois->findItems("78158", Qt::MatchExactly, 0);
    ASSERT_EQ(trouves.size(), 1);
    f->EditActif = f->zeVille2; // even while the second edit is the active one
    f->lvComVois->setCurrentItem(trouves[0]);
    f->lvComVoisDblClick();
    EXPECT_EQ(f->zeVille1->text(), "78158 LE CHESNAY");
    EXPECT_TRUE(f->tiSaisie->isActive());
    f->tiSaisieTimer();
    EXPECT_EQ(Noms(), QStringList{"LE CHESNAY"});
    EXPECT_EQ(TFormIhm2::Tag(f->zaVilleSel1), Index("78158"));
}

TEST_F(Fenetre, LastTownsComeBackAtTheNextStart) {
    Cherche(f->zeVille1, "Ch\xC3\xA2teau");
    Cherche(f->zeVille1, "versailles");
    f->sbChoix2Villes->click();
    Cherche(f->zeVille2, "  le havre");
    f->close();
    f.reset();
    {
        auto reglages = OuvreParametres();
        EXPECT_EQ(reglages->value(CleVille1).toString(), "versailles");
        EXPECT_EQ(reglages->value(CleVille2).toString(), "  le havre");
        EXPECT_TRUE(reglages->contains("Software/Talvek/Communes/Position"));
    }
    f = Nouvelle(Atlas());
    EXPECT_EQ(f->zeVille1->text(), "versailles");
    EXPECT_EQ(f->zeVille2->text(), "  le havre");
    EXPECT_EQ(f->SaisieVille1, "versailles");
    EXPECT_TRUE(f->tiSaisie->isActive()); // searched again after the delay
}

TEST_F(Fenetre, AFailedLoadShowsTheMessageAndLosesNothing) {
    OuvreParametres()->setValue(CleVille1, "Versailles");
    QTemporaryDir vide;
    messages.clear();
    auto g = Nouvelle(vide.path().toStdString());
    EXPECT_FALSE(g->Carte);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("non existant")) << messages[0].toStdString();
    EXPECT_EQ(g->FrmFrance, nullptr);
    // Still usable: typing searches nothing; opening the page again tries the atlas again.
    g->zeVille1->setText("paris");
    g->tiSaisieTimer();
    EXPECT_EQ(g->lvCom->topLevelItemCount(), 0);
    g->ShowCommuneFrance("Paris ; 75001");
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(g->zeVille1->text(), "Paris");
    g->close();
    EXPECT_EQ(OuvreParametres()->value(CleVille1).toString(), "Versailles");
}

TEST_F(Fenetre, EntryPointsAndPages) {
    f->ShowCommuneFrance("Paris ; 75001; Ile de France ; France");
    EXPECT_EQ(f->zeVille1->text(), "Paris");
    EXPECT_EQ(f->AdvOfficePagerMain->currentWidget(), f->PageMapFrance);
    f->ShowMapWorld("");
    EXPECT_EQ(f->AdvOfficePagerMain->currentWidget(), f->PageMapWorld);
    f->zeVille1->setText("Lyon");
    f->AdvOfficePagerMain->setCurrentWidget(f->PageMapFrance);
    EXPECT_EQ(f->zeVille1->text(), "Lyon"); // a town already typed stays
    f->ShowCommuneFrance("Versailles");
    EXPECT_EQ(f->zeVille1->text(), "Versailles");
}

TEST_F(Fenetre, PreferencesAreAppliedOnceAfterABurstOfChanges) {
    ASSERT_NE(FrmPrefCarte, nullptr);
    EXPECT_EQ(FrmPrefCarte->parentWidget(), f->PanReference);
    Cherche(f->zeVille1, "versailles");
    QSignalSpy applications(f.get(), &TFormIhm2::PreferencesAppliquees);
    FrmPrefCarte->cbR3->setChecked(false);
    FrmPrefCarte->cbR5->setChecked(false);
    FrmPrefCarte->cbR8->setChecked(false);
    EXPECT_TRUE(f->TimerPreference->isActive());
    EXPECT_TRUE(FrmPrefCarte->R3); // not applied yet
    ASSERT_TRUE(Attendre([&] { return applications.count() >= 1; }));
    QTest::qWait(1000);
    EXPECT_EQ(applications.count(), 1);
    EXPECT_FALSE(FrmPrefCarte->R3);
    EXPECT_FALSE(FrmPrefCarte->R8);
}

TEST_F(Fenetre, ExportToFileClipboardAndMail) {
    AnsiString sujet, corps;
    int courriels = 0;
    f->EnvoieCourriel = [&](const AnsiString& a, const AnsiString& s, const AnsiString& c,
                            const AnsiString& p) {
        EXPECT_EQ(a + p, "");
        sujet = s;
        corps = c;
        ++courriels;
    };
    Cherche(f->zeVille1, "versailles");
    auto texte = [&](bool compact) {
        return ProduitTexteExport(VersAnsi(f->laInfo->text()), "VERSAILLES", f->LignesVoisines(),
                                  compact);
    };
    ASSERT_FALSE(f->LignesVoisines().empty());
    f->ActionImpression->trigger();
    ASSERT_EQ(ouverts.size(), 1);
    EXPECT_EQ(ouverts[0], CheminExportVoisines());
    QFile fichier(ouverts[0]);
    ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
    const QByteArray octets = fichier.readAll();
    EXPECT_EQ(std::string(octets.constData(), static_cast<std::size_t>(octets.size())),
              texte(false)); // Windows-1252, no byte order mark, CR LF
    f->ActionCopierPressePapier->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), VersQString(texte(false)));
    f->ActionEnvoiMail->trigger();
    EXPECT_EQ(courriels, 1);
    EXPECT_EQ(sujet, "Villes voisines");
    EXPECT_EQ(corps, texte(true));

    // The rows go out in the order shown.
    const auto avant = f->LignesVoisines();
    f->lvComVoisColumnClick(2);
    ASSERT_NE(f->LignesVoisines().front().Code, avant.front().Code);
    f->ActionCopierPressePapier->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), VersQString(texte(false)));
}

// A search that finds nothing leaves no town selected: the exports are off and neither
// the file, nor the clipboard, nor a mail is touched. A file nothing can open is named.
TEST_F(Fenetre, ExportsNeedASelectedTownAndSayWhereTheFileIs) {
    int courriels = 0;
    f->EnvoieCourriel = [&](const AnsiString&, const AnsiString&, const AnsiString&,
                            const AnsiString&) { ++courriels; };
    Cherche(f->zeVille1, "versailles");
    for (QAction* a : {f->ActionImpression, f->ActionCopierPressePapier, f->ActionEnvoiMail})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

    // Nothing opens the file: the message says where it is.
    ouvrable = false;
    f->ActionImpression->trigger();
    ASSERT_EQ(ouverts.size(), 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(CheminExportVoisines())))
        << messages[0].toStdString();
    QFile fichier(CheminExportVoisines());
    ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
    const QByteArray avant = fichier.readAll();
    fichier.close();
    EXPECT_TRUE(avant.contains("VERSAILLES"));

    Cherche(f->zeVille1, "paradoxe"); // finds nothing
    ASSERT_EQ(f->lvCom->topLevelItemCount(), 0);
    for (QAction* a : {f->ActionImpression, f->ActionCopierPressePapier, f->ActionEnvoiMail})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    QGuiApplication::clipboard()->setText("avant");
    f->ActionImpressionExecute(); // even called directly, nothing happens
    f->ActionCopierPressePapierExecute();
    f->ActionEnvoyerMailExecute();
    EXPECT_EQ(ouverts.size(), 1);
    EXPECT_EQ(courriels, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "avant");
    ASSERT_TRUE(fichier.open(QIODevice::ReadOnly));
    EXPECT_EQ(fichier.readAll(), avant); // the previous file is kept

    Cherche(f->zeVille1, "versailles");
    EXPECT_TRUE(f->ActionImpression->isEnabled());
}

TEST_F(Fenetre, TheMapFallsBackToDefaultPreferencesWhenTheirWindowGoesFirst) {
    Cherche(f->zeVille1, "versailles");
    ASSERT_NE(FrmPrefCarte, nullptr);
    delete FrmPrefCarte;
    EXPECT_EQ(f->Carte->Preferences, nullptr);
    Cherche(f->zeVille1, "paris"); // draws the map again
    EXPECT_EQ(Noms(), QStringList{"PARIS"});
}

// The window's list holds what the shared search path finds (the command line prints the
// same communes), only sorted by the list's column.
TEST_F(Fenetre, TheListIsWhatTheSharedSearchFinds) {
    for (const char* texte : {"78", "78150", "78000", "78646 Versailles", "saint", "St Malo",
                              "andelys", "germain", "*EN-", "*MAL", "20", "v", "introuvable"}) {
        Cherche(f->zeVille1, QString::fromUtf8(texte));
        std::vector<std::uint16_t> attendus =
            RechercheSaisie(*f->Carte, VersAnsi(QString::fromUtf8(texte))).Communes;
        std::vector<std::uint16_t> obtenus = f->ResultatsRecherche;
        std::sort(attendus.begin(), attendus.end());
        std::sort(obtenus.begin(), obtenus.end());
        EXPECT_EQ(obtenus, attendus) << texte;
        EXPECT_EQ(f->lvCom->topLevelItemCount(), static_cast<int>(attendus.size())) << texte;
    }
}

// A preferences file that cannot be written is reported when the window closes.
TEST_F(Fenetre, AFailedPreferencesSaveIsShownAtClose) {
    ASSERT_NE(FrmPrefCarte, nullptr);
    const std::filesystem::path chemin = FrmPrefCarte->CheminIni();
    std::filesystem::remove(chemin);
    std::filesystem::create_directories(chemin); // a folder where the file should go
    FrmPrefCarte->SignaleErreur = [](const std::string&) {};
    f->close();
    std::filesystem::remove_all(chemin);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromStdString(chemin.string())));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("impossible d'enregistrer les préférences")));
}
