#include "a_propos.h"
#include "base_bureau.h"
#include "genealogie/base.h"
#include "geocodage_bureau.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "mapview/geocodage_en_ligne.h"
#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/serveur_http.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

const char* const Arbre = "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n"
                          "2 PLAC Versailles, 78646, Yvelines, France\n"
                          "3 MAP\n4 LATI N48.8049\n4 LONG E2.1204\n0 TRLR\n";

std::string Octets(const QString& chemin) {
    std::ifstream f(chemin.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

class Bureau : public ::testing::Test {
protected:
    void SetUp() override {
        essai::EcritAtlasEssai(Chemin("atlas").toStdString());
        std::ofstream(Chemin("arbre.ged").toStdString(), std::ios::binary) << Arbre;
        std::ofstream(Chemin("faux.ged").toStdString(), std::ios::binary) << "rien\n";
        OuvreParametres()->remove(QStringLiteral("Base/Derniere"));
    }
    QString Chemin(const QString& nom) const { return dossier_.filePath(nom); }
    std::unique_ptr<BaseBureau> Nouveau() {
        auto b = std::make_unique<BaseBureau>(&fenetre_, Chemin("atlas").toStdString());
        b->AfficheMessage = [this](const QString& m, bool erreur) {
            messages_ += m + QStringLiteral("\n");
            erreurs_ += erreur ? 1 : 0;
        };
        return b;
    }
    QTemporaryDir dossier_;
    QWidget fenetre_;
    QString messages_;
    int erreurs_ = 0;
};

TEST_F(Bureau, ImportOpensAndRemembersTheBase) {
    auto b = Nouveau();
    QString ouverte;
    b->BaseOuverte = [&](const QString& c) { ouverte = c; };
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false))
        << messages_.toStdString();
    ASSERT_NE(b->Base(), nullptr);
    EXPECT_EQ(ouverte, Chemin("b.sqlite"));
    EXPECT_TRUE(messages_.contains(QStringLiteral("Individus : 1"))) << messages_.toStdString();
    EXPECT_TRUE(messages_.contains(QStringLiteral("Coordonnées lues : 1")));
    EXPECT_EQ(erreurs_, 0);
    EXPECT_EQ(OuvreParametres()->value(QStringLiteral("Base/Derniere")).toString(),
              QFileInfo(Chemin("b.sqlite")).absoluteFilePath());

    auto suivant = Nouveau();
    suivant->OuvreDerniere();
    ASSERT_NE(suivant->Base(), nullptr);
    EXPECT_EQ(suivant->Base()->Comptes().Lieux, 1);

    // Removed since: forgotten without a word.
    suivant.reset();
    b.reset();
    QFile::remove(Chemin("b.sqlite"));
    auto plusTard = Nouveau();
    plusTard->OuvreDerniere();
    EXPECT_EQ(plusTard->Base(), nullptr);
    EXPECT_FALSE(OuvreParametres()->contains(QStringLiteral("Base/Derniere")));
    EXPECT_EQ(erreurs_, 0);
}

// A file cut short: the import's summary says it may be truncated and shows the warning.
TEST_F(Bureau, ATruncatedFileIsSaidSo) {
    std::string coupe = Arbre;
    coupe.resize(coupe.find("0 TRLR"));
    std::ofstream(Chemin("coupe.ged").toStdString(), std::ios::binary) << coupe;
    auto b = Nouveau();
    ASSERT_TRUE(b->Importe(Chemin("coupe.ged"), Chemin("c.sqlite"), false));
    EXPECT_TRUE(messages_.contains(QStringLiteral("Avertissements : 1")));
    EXPECT_TRUE(messages_.contains(QStringLiteral("le fichier est peut-être tronqué")))
        << messages_.toStdString();
    EXPECT_TRUE(messages_.contains(QStringLiteral("Ligne 8 : le fichier ne finit pas par")))
        << messages_.toStdString();
}

// The About box fits a 1024 x 600 screen, its « OK » in sight: the credits scroll.
TEST(APropos, FitsASmallScreenAndScrolls) {
    const auto boite = BoiteAPropos(nullptr);
    boite->show();
    QApplication::processEvents();
    EXPECT_LE(boite->height(), 560);
    EXPECT_LE(boite->width(), 1024);
    auto* texte = boite->findChild<QTextBrowser*>();
    ASSERT_NE(texte, nullptr);
    EXPECT_TRUE(texte->toPlainText().contains(QStringLiteral("GeoNames")));
}

TEST_F(Bureau, FailuresKeepTheOpenBase) {
    auto b = Nouveau();
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false));
    const std::string avant = Octets(Chemin("b.sqlite"));

    // Replacing the open base by a file that is no GEDCOM: refused, the base opened again.
    messages_.clear();
    EXPECT_FALSE(b->Importe(Chemin("faux.ged"), Chemin("b.sqlite"), true));
    EXPECT_TRUE(messages_.contains(QStringLiteral("faux.ged"))) << messages_.toStdString();
    ASSERT_NE(b->Base(), nullptr);
    EXPECT_EQ(b->Base()->Comptes().Lieux, 1);

    // Not a base: message, the previous base stays open.
    messages_.clear();
    EXPECT_FALSE(b->Ouvre(Chemin("arbre.ged")));
    EXPECT_TRUE(messages_.contains(QStringLiteral("arbre.ged")));
    ASSERT_NE(b->Base(), nullptr);

    // Export: the same bytes; into a missing folder, a message and no file.
    EXPECT_TRUE(b->Exporte(Chemin("sortie.ged")));
    EXPECT_EQ(Octets(Chemin("sortie.ged")), Arbre);
    messages_.clear();
    EXPECT_FALSE(b->Exporte(Chemin("absent/sortie.ged")));
    EXPECT_TRUE(messages_.contains(QStringLiteral("sortie.ged")));
    b.reset();
    EXPECT_EQ(Octets(Chemin("b.sqlite")), avant);
}

// The online search's answers go to the base open at the time, and nowhere without one.
TEST_F(Bureau, OnlineAnswersAreKeptInTheOpenBaseOnly) {
    auto b = Nouveau();
    TCacheGeocodageBureau cache(*b);
    cache.Ecrit("https://s/search?q=Versailles", "[]"); // no base: not kept, no error
    EXPECT_FALSE(cache.Lit("https://s/search?q=Versailles"));
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false))
        << messages_.toStdString();
    cache.Ecrit("https://s/search?q=Versailles", "[]");
    EXPECT_EQ(cache.Lit("https://s/search?q=Versailles").value_or("absent"), "[]");
    // Imported again, the base is a new one: its answers start empty.
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("c.sqlite"), false));
    EXPECT_FALSE(cache.Lit("https://s/search?q=Versailles"));
}

// The menu's place tool: only with a base, one window, gone with the base it works on.
TEST_F(Bureau, PlaceToolFromTheMenuFollowsTheOpenBase) {
    auto b = Nouveau();
    QMenu* menu = b->Menu();
    QAction* action = b->ActionOutilLieux();
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("Outil de géolocalisation des lieux…"));
    EXPECT_TRUE(menu->actions().contains(action));
    EXPECT_FALSE(action->isEnabled());
    b->OuvreOutilLieux(); // no base: nothing
    EXPECT_EQ(b->OutilLieux(), nullptr);

    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false));
    EXPECT_TRUE(action->isEnabled());
    fenetre_.show();
    action->trigger();
    TFormToolLocation* outil = b->OutilLieux();
    ASSERT_NE(outil, nullptr) << messages_.toStdString();
    EXPECT_TRUE(outil->isVisible());
    EXPECT_TRUE(outil->isWindow());
    EXPECT_EQ(outil->windowTitle(), QStringLiteral("Outil de géolocalisation des lieux"));
    // The list of the open base loads once the window shows: the GEDCOM's located place.
    ASSERT_TRUE(QTest::qWaitFor([outil] { return outil->ListeChargee(); }, 30000));
    ASSERT_EQ(outil->ListPlaces().size(), 1u);
    EXPECT_EQ(outil->ListDisplayPlaces->count(), 1);

    // Closed then asked again: the same window, its list kept.
    outil->btQuit->click();
    EXPECT_FALSE(outil->isVisible());
    action->trigger();
    EXPECT_EQ(b->OutilLieux(), outil);
    EXPECT_TRUE(outil->isVisible());
    EXPECT_EQ(outil->ListDisplayPlaces->count(), 1);

    // Another base: the tool on the previous one is closed, and made again on the new one.
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("c.sqlite"), false));
    EXPECT_EQ(b->OutilLieux(), nullptr);
    EXPECT_TRUE(action->isEnabled());
    b->OuvreOutilLieux();
    ASSERT_NE(b->OutilLieux(), nullptr);
    b.reset(); // the window goes before the base it works on
    EXPECT_EQ(erreurs_, 0) << messages_.toStdString();
}

// Turned on in the settings, the place tool's « Tout géolocaliser » asks the online service
// (here on 127.0.0.1) for the place the offline geocoder does not know, and stores it as an
// online answer.
TEST_F(Bureau, PlaceToolAsksTheOnlineServiceWhenTurnedOn) {
    struct Service : test::ServeurHttpEssai {
        QByteArray Repond(const Requete&) override {
            return Reponse("200 OK", {}, R"([{"lat":"46.5","lon":"2.5","display_name":"X"}])");
        }
    } serveur;
    EcritParametresGeocodageEnLigne(*OuvreParametres(), {true, serveur.Adresse()});
    std::ofstream(Chemin("loin.ged").toStdString(), std::ios::binary)
        << "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n2 PLAC Nullepart, , , Utopie\n0 TRLR\n";

    auto b = Nouveau();
    ASSERT_TRUE(b->Importe(Chemin("loin.ged"), Chemin("b.sqlite"), false));
    fenetre_.show();
    b->OuvreOutilLieux();
    TFormToolLocation* outil = b->OutilLieux();
    ASSERT_NE(outil, nullptr) << messages_.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([outil] { return outil->ListeChargee(); }, 30000));
    outil->RBNotLocate->click();
    outil->BtReInitClick();
    EcritParametresGeocodageEnLigne(*OuvreParametres(), {});

    ASSERT_EQ(serveur.Requetes.size(), 1);
    EXPECT_TRUE(serveur.Requetes[0].Chemin.contains(QStringLiteral("Nullepart")));
    const TLieu lieu = b->Base()->Lieux().at(0);
    const auto g = b->Base()->Geolocalisation(lieu.Id, "");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Origine, Provenance::GeocodeurEnLigne);
    EXPECT_DOUBLE_EQ(g->Longitude, 2.5);
    b.reset();
    EXPECT_EQ(erreurs_, 0) << messages_.toStdString();
}

} // namespace
} // namespace orlavine
