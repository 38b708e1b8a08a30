// The desktop program opened on a place of a base: the capture waits for the search and the
// map, the place's position is stored; an unknown place changes nothing.
#include "genealogie/base.h"
#include "tests/genealogie/essai_base.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace orlavine;

namespace {

struct Resultat {
    int Code = -1;
    QString Erreurs;
};

Resultat Lance(const test::DossierTemporaire& dossier, const QStringList& arguments) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    const QString racine = QString::fromStdString(dossier().string());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", racine + "/donnees");
    env.insert("XDG_CONFIG_HOME", racine + "/config");
    p.setProcessEnvironment(env);
    p.start(ORLAVINE_PROGRAMME, arguments);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(LieuMonde, CaptureAfterTheSearchAndThePositionStored) {
    test::DossierTemporaire dossier;
    const auto chemin = dossier / "arbre.sqlite";
    CreeBase(test::ContenuSimple(), chemin);
    int paris = 0, brest = 0;
    {
        TBaseGenealogie base(chemin);
        const auto lieux = base.Lieux();
        for (std::size_t i = 0; i < lieux.size(); ++i) {
            if (lieux[i].Commune == "Paris") paris = static_cast<int>(i) + 1;
            if (lieux[i].Commune == "Brest") brest = static_cast<int>(i) + 1;
        }
    }
    ASSERT_NE(paris, 0);
    const QString base = QString::fromStdString(chemin.string());
    const QString image = QString::fromStdString((dossier / "paris.png").string());

    // Paris is a commune of the atlas: its position comes at once, state 6.
    const auto r =
        Lance(dossier, {"--base", base, "--lieu", QString::number(paris), "--capture", image});
    ASSERT_EQ(r.Code, 0) << r.Erreurs.toStdString();
    EXPECT_FALSE(QImage(image).isNull());
    {
        TBaseGenealogie lue(chemin);
        const auto g = lue.Geolocalisation(paris, "");
        ASSERT_TRUE(g);
        EXPECT_EQ(g->Etat, 6);
        EXPECT_NEAR(g->Latitude, 48.86, 0.05);
        EXPECT_NEAR(g->Longitude, 2.35, 0.05);
    }

    // With a lieu-dit the commune is not taken from the atlas: the geocoder answers later,
    // state 5 once it has answered.
    const auto r2 = Lance(dossier, {"--base", base, "--lieu", QString::number(paris), "--lieu-dit",
                                    "Montmartre", "--capture", image});
    ASSERT_EQ(r2.Code, 0) << r2.Erreurs.toStdString();
    {
        TBaseGenealogie lue(chemin);
        const auto g = lue.Geolocalisation(paris, "Montmartre");
        ASSERT_TRUE(g);
        EXPECT_EQ(g->Etat, 5);
        EXPECT_NEAR(g->Latitude, 48.86, 0.1);
    }

    // A position read from the GEDCOM file (state 2) is shown, not searched again.
    ASSERT_EQ(Lance(dossier, {"--base", base, "--lieu", QString::number(brest), "--lieu-dit",
                              "Recouvrance", "--capture", image})
                  .Code,
              0);
    {
        TBaseGenealogie lue(chemin);
        const auto g = lue.Geolocalisation(brest, "Recouvrance");
        ASSERT_TRUE(g);
        EXPECT_EQ(g->Etat, 2);
        EXPECT_NEAR(g->Latitude, 48.38, 0.01);
    }

    // An unknown place: a French message, exit 1, the base unchanged.
    QFile f(base);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray avant = f.readAll();
    f.close();
    const auto r3 = Lance(dossier, {"--base", base, "--lieu", "999", "--capture", image});
    EXPECT_EQ(r3.Code, 1);
    EXPECT_TRUE(r3.Erreurs.contains("n'a pas de lieu 999")) << r3.Erreurs.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), avant);
    EXPECT_EQ(Lance(dossier, {"--base", base, "--lieu", "0"}).Code, 2);
}
