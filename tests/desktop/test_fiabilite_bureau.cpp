// The desktop program facing what users meet: a French locale (the export writes points), a
// damaged base (refused with a French message, never remembered, never an abort), and a place
// opened without the lieu-dit it is always used with (nothing created).
#include "base_bureau.h"
#include "genealogie/base.h"
#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/locale_francaise.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace orlavine {
namespace {

// A tree of `n` people, each born in a town of their own; the last town, Blois, only ever
// with its lieu-dit « Château ».
std::string Arbre(int n) {
    std::string t = "0 HEAD\n1 GEDC\n2 VERS 5.5.1\n1 CHAR UTF-8\n1 PLAC\n"
                    "2 FORM Lieu-dit, Commune, Code postal, Département, Région, Pays\n";
    for (int i = 1; i <= n; ++i)
        t += "0 @I" + std::to_string(i) + "@ INDI\n1 NAME Jean /Essai" + std::to_string(i) +
             "/\n1 BIRT\n2 PLAC , Ville" + std::to_string(i) + ", , , , France\n3 MAP\n" +
             "4 LATI N46." + std::to_string(100000 + i) + "\n4 LONG E1.5\n";
    t += "0 @I0@ INDI\n1 BIRT\n2 PLAC Château, Blois, 41000, Loir-et-Cher, Centre, France\n"
         "0 TRLR\n";
    return t;
}

std::string Octets(const QString& chemin) {
    std::ifstream f(chemin.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Overwrites 8 KB in the middle of the file with noise, its header kept.
void Endommage(const QString& chemin) {
    std::string octets = Octets(chemin);
    ASSERT_GT(octets.size(), 3u * 8192u);
    std::mt19937 alea(18);
    const std::size_t milieu = octets.size() / 2 - 4096;
    for (std::size_t i = 0; i < 8192; ++i)
        octets[milieu + i] = static_cast<char>(alea() & 0xFF);
    std::ofstream(chemin.toStdString(), std::ios::binary | std::ios::trunc) << octets;
}

struct Resultat {
    int Code = -1;
    QString Erreurs;
};

Resultat Lance(const QTemporaryDir& dossier, const QStringList& arguments) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", dossier.path());
    env.insert("XDG_DATA_HOME", dossier.filePath("donnees"));
    env.insert("XDG_CONFIG_HOME", dossier.filePath("config"));
    env.insert("XDG_CACHE_HOME", dossier.filePath("cache"));
    p.setProcessEnvironment(env);
    p.start(ORLAVINE_PROGRAMME, arguments);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 128 + p.exitCode(),
            QString::fromUtf8(p.readAllStandardError())};
}

class FiabiliteBureau : public ::testing::Test {
protected:
    void SetUp() override {
        essai::EcritAtlasEssai(Chemin("atlas").toStdString());
        std::ofstream(Chemin("arbre.ged").toStdString(), std::ios::binary) << Arbre(300);
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

TEST_F(FiabiliteBureau, ExportUnderAFrenchLocaleWritesDecimalPoints) {
    auto b = Nouveau();
    ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false));
    ASSERT_NE(b->Base(), nullptr);
    b->Base()->AjouteGeolocalisation(
        {301, "Château", 47.586092, 1.335947, 4, "", Provenance::Main, DateMaintenant()});
    ORLAVINE_SOUS_LOCALE_FRANCAISE(locale);
    ASSERT_TRUE(b->Exporte(Chemin("sortie.ged"))) << messages_.toStdString();
    const std::string sortie = Octets(Chemin("sortie.ged"));
    EXPECT_NE(sortie.find("3 MAP\n4 LATI N47.586092\n4 LONG E1.335947\n"), std::string::npos)
        << sortie.substr(sortie.size() - 300);
    EXPECT_EQ(sortie.find("N47,"), std::string::npos);
}

TEST_F(FiabiliteBureau, ADamagedBaseIsRefusedAndNotRemembered) {
    {
        auto b = Nouveau();
        ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("saine.sqlite"), false));
        ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("abimee.sqlite"), false));
    }
    Endommage(Chemin("abimee.sqlite"));
    OuvreParametres()->setValue(QStringLiteral("Base/Derniere"),
                                QFileInfo(Chemin("saine.sqlite")).absoluteFilePath());
    auto b = Nouveau();
    b->OuvreDerniere();
    ASSERT_NE(b->Base(), nullptr);
    messages_.clear();
    EXPECT_FALSE(b->Ouvre(Chemin("abimee.sqlite")));
    EXPECT_EQ(erreurs_, 1);
    EXPECT_TRUE(messages_.contains(QStringLiteral("abimee.sqlite"))) << messages_.toStdString();
    EXPECT_TRUE(messages_.contains(QStringLiteral("endommagée"))) << messages_.toStdString();
    // The base open before stays open, and stays the one to open next time.
    ASSERT_NE(b->Base(), nullptr);
    EXPECT_EQ(QFileInfo(QString::fromStdString(b->Base()->Chemin().string())).fileName(),
              QStringLiteral("saine.sqlite"));
    EXPECT_EQ(OuvreParametres()->value(QStringLiteral("Base/Derniere")).toString(),
              QFileInfo(Chemin("saine.sqlite")).absoluteFilePath());

    // The program on the damaged base: a French message and exit 1, never an abort nor Qt's
    // English complaint about an exception.
    const QString abimee = Chemin("abimee.sqlite");
    const QString image = Chemin("capture.png");
    for (const QStringList& arguments :
         {QStringList{"--base", abimee, "--lieu", "5", "--capture", image},
          QStringList{"--base", abimee, "--outil-lieux", "--capture", image}}) {
        const Resultat r = Lance(dossier_, arguments);
        const std::string quoi = arguments.join(' ').toStdString();
        EXPECT_EQ(r.Code, 1) << quoi << "\n" << r.Erreurs.toStdString();
        EXPECT_TRUE(r.Erreurs.contains(QStringLiteral("endommagée"))) << r.Erreurs.toStdString();
        EXPECT_FALSE(r.Erreurs.contains(QStringLiteral("terminate"))) << r.Erreurs.toStdString();
        EXPECT_FALSE(r.Erreurs.contains(QStringLiteral("exception"))) << r.Erreurs.toStdString();
    }
}

// Blois is only ever used with its lieu-dit: opening it without one stores nothing and says
// which lieux-dits the place has.
TEST_F(FiabiliteBureau, OpeningAPlaceCreatesNoEntry) {
    {
        auto b = Nouveau();
        ASSERT_TRUE(b->Importe(Chemin("arbre.ged"), Chemin("b.sqlite"), false));
    }
    int blois = 0;
    std::size_t lignes = 0;
    {
        TBaseGenealogie base(Chemin("b.sqlite").toStdString());
        for (const TLieu& l : base.Lieux())
            if (l.Commune == "Blois") blois = l.Id;
        lignes = base.Geolocalisations().size();
    }
    ASSERT_NE(blois, 0);
    const Resultat r = Lance(dossier_, {"--base", Chemin("b.sqlite"), "--lieu",
                                        QString::number(blois), "--capture", Chemin("c.png")});
    EXPECT_EQ(r.Code, 1) << r.Erreurs.toStdString();
    EXPECT_TRUE(r.Erreurs.contains(QStringLiteral("Château"))) << r.Erreurs.toStdString();
    TBaseGenealogie base(Chemin("b.sqlite").toStdString());
    EXPECT_FALSE(base.Geolocalisation(blois, ""));
    EXPECT_EQ(base.Geolocalisations().size(), lignes);
}

} // namespace
} // namespace orlavine
