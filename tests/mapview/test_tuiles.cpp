// The online tiles, against a tile server on 127.0.0.1 only: off by default, the program named
// in every request, only the view's tiles asked for and two at a time, the disk cache used
// while fresh and revalidated once stale, failures not asked again, the credit shown.
#include "atlas/carte_france.h"
#include "mapview/tuiles.h"
#include "mapview/web_osmaps.h"
#include "tests/commun/serveur_http.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

// A tile server: every path answers a magenta 256 x 256 PNG, or 404 for paths under
// /absent/, with the freshness it is told; conditional requests get 304.
class ServeurTuiles : public test::ServeurHttpEssai {
public:
    ServeurTuiles() {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255));
        QBuffer tampon(&png_);
        tampon.open(QIODevice::WriteOnly);
        image.save(&tampon, "PNG");
    }
    QString Adresse() const {
        return ServeurHttpEssai::Adresse() + QStringLiteral("/{z}/{x}/{y}.png");
    }
    int MaxAge = 3600;

private:
    QByteArray Repond(const Requete& r) override {
        // MaxAge 0: already expired when served.
        const QByteArray fraicheur =
            MaxAge > 0 ? "Cache-Control: max-age=" + QByteArray::number(MaxAge) + "\r\n"
                       : QByteArray("Expires: Sat, 01 Jan 2000 00:00:00 GMT\r\n");
        if (r.Chemin.startsWith(QStringLiteral("/absent/")))
            return Reponse("404 Not Found", {}, {});
        if (r.Conditionnelle) return Reponse("304 Not Modified", fraicheur + "ETag: \"t\"\r\n", {});
        return Reponse("200 OK",
                       "Content-Type: image/png\r\n" + fraicheur +
                           "ETag: \"t\"\r\nLast-Modified: Sun, 06 Dec 2026 10:00:00 GMT\r\n",
                       png_);
    }

    QByteArray png_;
};

// 512 x 512 pixels on level 2 of the pyramid (tiles of 256 pixels): four tiles.
monde::TVueMonde VueQuatreTuiles() {
    monde::TVueMonde v;
    v.Centre = {0.0, 0.0};
    v.PixelsParDegre = 4.0 * 256.0 / 360.0;
    v.Largeur = 512;
    v.Hauteur = 512;
    return v;
}

// Paints until the whole view is covered or nothing more is coming.
QImage Peint(TCoucheTuiles& couche, const monde::TVueMonde& v) {
    QImage image(v.Largeur, v.Hauteur, QImage::Format_RGB32);
    for (int i = 0; i < 200; ++i) {
        image.fill(Qt::white);
        QPainter p(&image);
        couche.Dessine(p, v);
        p.end();
        if (couche.EnAttente() == 0 && image.pixelColor(0, 0) != QColor(Qt::white) &&
            image.pixelColor(v.Largeur - 1, v.Hauteur - 1) != QColor(Qt::white))
            break;
        if (couche.EnAttente() == 0 && i > 0) break;
        QTest::qWait(20);
    }
    return image;
}

TEST(Tuiles, OffByDefaultAndSettingsKeepTheAddress) {
    const TParametresTuiles defaut;
    EXPECT_FALSE(defaut.Actif);
    EXPECT_EQ(defaut.Adresse, QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
    QTemporaryDir dossier;
    QSettings reglages(dossier.filePath(QStringLiteral("r.ini")), QSettings::IniFormat);
    EXPECT_FALSE(LitParametresTuiles(reglages, {}).Actif);
    TParametresTuiles p;
    p.Actif = true;
    p.Adresse = QStringLiteral("https://tuiles.example/{z}/{x}/{y}.png");
    EcritParametresTuiles(reglages, p);
    const TParametresTuiles relu = LitParametresTuiles(reglages, QStringLiteral("/cache"));
    EXPECT_TRUE(relu.Actif);
    EXPECT_EQ(relu.Adresse, p.Adresse);
    EXPECT_EQ(relu.DossierCache, QStringLiteral("/cache"));

    // A map left as it is asks nothing of the network and credits no tile server.
    ServeurTuiles serveur;
    TWebOSMaps carte;
    carte.resize(400, 300);
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    carte.DessineSur(painter, 400, 300);
    QTest::qWait(50);
    EXPECT_EQ(carte.Tuiles().RequetesEnvoyees(), 0);
    EXPECT_TRUE(serveur.Requetes.isEmpty());
    EXPECT_EQ(carte.DernierDessin().Attribution.find("OpenStreetMap"), std::string::npos);
}

TEST(Tuiles, OnlyTheViewsTilesTwoAtATimeNamingTheProgram) {
    ServeurTuiles serveur;
    QTemporaryDir cache;
    TCoucheTuiles couche;
    couche.FixeParametres({true, serveur.Adresse(), cache.path()});
    const monde::TVueMonde v = VueQuatreTuiles();
    const QImage image = Peint(couche, v);
    ASSERT_EQ(serveur.Requetes.size(), 4);
    QStringList chemins;
    for (const auto& r : serveur.Requetes) {
        chemins << r.Chemin;
        EXPECT_EQ(r.UserAgent, UserAgentOrlavine().toLatin1());
    }
    chemins.sort();
    EXPECT_EQ(chemins, (QStringList{"/2/1/1.png", "/2/1/2.png", "/2/2/1.png", "/2/2/2.png"}));
    EXPECT_LE(serveur.MaxSimultanees, 2);
    EXPECT_TRUE(UserAgentOrlavine().startsWith(QStringLiteral("Orlavine/")));
    EXPECT_EQ(image.pixelColor(256, 256), QColor(255, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 511), QColor(255, 0, 255));

    // Moved by half a tile: only the new column is asked for, nothing around the view.
    monde::TVueMonde v2 = v;
    v2.Deplace(-128.0, 0.0);
    Peint(couche, v2);
    QStringList nouvelles;
    for (qsizetype i = 4; i < serveur.Requetes.size(); ++i)
        nouvelles << serveur.Requetes[i].Chemin;
    nouvelles.sort();
    EXPECT_EQ(nouvelles, (QStringList{"/2/3/1.png", "/2/3/2.png"}));
}

TEST(Tuiles, DiskCacheServesFreshTilesAndRevalidatesStaleOnes) {
    ServeurTuiles serveur;
    QTemporaryDir cache;
    const monde::TVueMonde v = VueQuatreTuiles();
    {
        TCoucheTuiles premiere;
        premiere.FixeParametres({true, serveur.Adresse(), cache.path()});
        Peint(premiere, v);
    }
    ASSERT_EQ(serveur.Requetes.size(), 4);
    {
        // Fresh for an hour: a new layer (nothing in memory) gets them from the disk.
        TCoucheTuiles seconde;
        seconde.FixeParametres({true, serveur.Adresse(), cache.path()});
        const QImage image = Peint(seconde, v);
        EXPECT_EQ(serveur.Requetes.size(), 4);
        EXPECT_EQ(image.pixelColor(256, 256), QColor(255, 0, 255));
    }

    ServeurTuiles perissable;
    perissable.MaxAge = 0;
    QTemporaryDir cache2;
    {
        TCoucheTuiles premiere;
        premiere.FixeParametres({true, perissable.Adresse(), cache2.path()});
        Peint(premiere, v);
    }
    ASSERT_EQ(perissable.Requetes.size(), 4);
    TCoucheTuiles seconde;
    seconde.FixeParametres({true, perissable.Adresse(), cache2.path()});
    const QImage image = Peint(seconde, v);
    ASSERT_EQ(perissable.Requetes.size(), 8);
    for (qsizetype i = 4; i < 8; ++i)
        EXPECT_TRUE(perissable.Requetes[i].Conditionnelle);
    EXPECT_EQ(image.pixelColor(256, 256), QColor(255, 0, 255)); // 304: the cached tile
}

TEST(Tuiles, RefusedTilesAreNotAskedAgainAndTheMapCreditsTheTiles) {
    ServeurTuiles serveur;
    TCoucheTuiles couche;
    QString adresse = serveur.Adresse();
    adresse.replace(QStringLiteral("/{z}"), QStringLiteral("/absent/{z}"));
    couche.FixeParametres({true, adresse, {}});
    const monde::TVueMonde v = VueQuatreTuiles();
    Peint(couche, v);
    EXPECT_EQ(serveur.Requetes.size(), 4);
    Peint(couche, v);
    EXPECT_EQ(serveur.Requetes.size(), 4);

    TWebOSMaps carte;
    carte.resize(400, 300);
    carte.FixeParametresTuiles({true, serveur.Adresse(), {}});
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    carte.DessineSur(painter, 400, 300);
    EXPECT_NE(carte.DernierDessin().Attribution.find("OpenStreetMap"), std::string::npos);
    EXPECT_NE(carte.DernierDessin().Attribution.find("Natural Earth"), std::string::npos);
}

// Tiles on but no server answering: the offline communes, their dots and their names stay on
// the map; once every tile of the view has come, the tiles' own names replace them.
TEST(Tuiles, UnreachableServerLeavesTheOfflineNamesDrawn) {
    std::unique_ptr<TCarteFrance> atlas;
    try {
        atlas = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
    } catch (const Erreur&) {
        GTEST_SKIP() << "atlas livré absent";
    }
    const auto dessine = [](TWebOSMaps& carte) {
        QImage image(800, 600, QImage::Format_RGB32);
        QPainter p(&image);
        carte.DessineSur(p, 800, 600);
    };
    const auto attendTuiles = [&](TWebOSMaps& carte) {
        for (int i = 0; i < 100; ++i) {
            dessine(carte);
            if (carte.Tuiles().EnAttente() == 0) break;
            QTest::qWait(20);
        }
        dessine(carte);
    };
    TWebOSMaps carte;
    carte.FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    carte.FixeAtlas(atlas.get());
    carte.resize(800, 600);
    carte.Launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Pret(); }, 5000));
    carte.ArcGisMapCenterAt(48.8566, 2.3522);
    carte.FixeEchelle(1e6);
    // Port 1 of the local machine: the connection is refused.
    carte.FixeParametresTuiles({true, QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png"), {}});
    dessine(carte); // the tiles are asked for, none is there yet
    EXPECT_GT(carte.DernierDessin().Communes, 300);
    attendTuiles(carte);
    EXPECT_GT(carte.Tuiles().RequetesEnvoyees(), 0);
    EXPECT_GT(carte.DernierDessin().Communes, 300);
    EXPECT_GT(carte.DernierDessin().Libelles, 20);

    ServeurTuiles serveur;
    carte.FixeParametresTuiles({true, serveur.Adresse(), {}});
    attendTuiles(carte);
    EXPECT_TRUE(carte.Tuiles().Couvre(carte.Vue()));
    EXPECT_EQ(carte.DernierDessin().Communes, 0);
}

TEST(Tuiles, ViewAcrossThe180thMeridianWrapsColumns) {
    monde::TVueMonde v = VueQuatreTuiles();
    v.Centre.Longitude = 180.0;
    const QList<TTuile> t = TuilesVisibles(v);
    ASSERT_EQ(t.size(), 4);
    for (const TTuile& u : t) {
        EXPECT_EQ(u.Z, 2);
        EXPECT_TRUE(u.X == 3 || u.X == 0) << u.X;
    }
    v.PixelsParDegre = 1e9; // beyond the pyramid: its last level
    EXPECT_EQ(NiveauTuiles(v), 19);
}

} // namespace
} // namespace orlavine
