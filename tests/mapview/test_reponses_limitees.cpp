// Services that misbehave, on 127.0.0.x only: a redirect to another server, a huge answer
// (announced or not), an endless one, a server that trickles, a slow one. Each of the program's
// online clients (the bulk runs' sender, the map's address search, the map tiles) keeps to
// its bounds against each, and keeps nothing it refused. The bounds are made small here so
// that every case ends within a few seconds; each server is bounded too, so that a client that
// does not keep to its bounds still ends (and fails).
#include "app/cli/base.h"
#include "genealogie/base.h"
#include "geocodeur/limiteur.h"
#include "host/cache_textes.h"
#include "mapview/attente.h"
#include "mapview/geocodage_en_ligne.h"
#include "mapview/http_synchrone.h"
#include "mapview/tuiles.h"
#include "tests/commun/serveur_http.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QNetworkDiskCache>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

using Envoi = test::ServeurHttpEssai::Envoi;

const QByteArray Lieu = R"([{"lat":"46.5","lon":"2.5","display_name":"Nulle Part, Cher, France"}])";

// A service whose every answer is what `Comportement` says (by default one place at once).
class Service : public test::ServeurHttpEssai {
public:
    using ServeurHttpEssai::ServeurHttpEssai;
    std::function<Envoi(const Requete&)> Comportement;

private:
    QByteArray Repond(const Requete&) override {
        return Reponse("200 OK", "Content-Type: application/json\r\n", Lieu);
    }
    Envoi RepondEnvoi(const Requete& r) override {
        return Comportement ? Comportement(r) : EnUneFois(Repond(r));
    }
};

Envoi Redirection(const QString& vers) {
    return test::ServeurHttpEssai::EnUneFois(
        test::ServeurHttpEssai::Reponse("302 Found", "Location: " + vers.toUtf8() + "\r\n", {}));
}

// Small bounds: 100 000 bytes, 0.8 s of silence, 1.5 s in all.
const TLimitesReponse Limites{100000, std::chrono::milliseconds(800),
                              std::chrono::milliseconds(1500)};

struct Cas {
    const char* Nom;
    // What the service does, given the addresses of two other servers (another loopback host,
    // another port of the same host).
    std::function<Envoi(const QString& autreHote, const QString& autrePort)> Comportement;
    bool Accepte;
    const char* Raison; // in the refusal's message
};

const Cas Tous[] = {
    {"redirection vers un autre hôte",
     [](const QString& h, const QString&) { return Redirection(h + "/search?q=x"); }, false,
     "redirection"},
    {"redirection vers un autre port",
     [](const QString&, const QString& p) { return Redirection(p + "/search?q=x"); }, false,
     "redirection"},
    {"redirection sur le même service",
     [](const QString&, const QString&) { return Redirection(QStringLiteral("/ailleurs?q=x")); },
     true, ""},
    {"réponse énorme annoncée",
     [](const QString&, const QString&) {
         return test::ServeurHttpEssai::Enorme(Lieu, 300000, true);
     },
     false, "trop grande"},
    {"réponse énorme sans longueur",
     [](const QString&, const QString&) {
         return test::ServeurHttpEssai::Enorme(Lieu, 300000, false);
     },
     false, "trop grande"},
    {"réponse sans fin",
     [](const QString&, const QString&) { return test::ServeurHttpEssai::SansFin(64 << 20); },
     false, "trop grande"},
    {"un octet toutes les 100 ms",
     [](const QString&, const QString&) { return test::ServeurHttpEssai::Goutte(Lieu, 40, 100); },
     false, "délai"},
    {"lent mais à temps",
     [](const QString&, const QString&) {
         Envoi e =
             test::ServeurHttpEssai::EnUneFois(test::ServeurHttpEssai::Reponse("200 OK", {}, Lieu));
         e.AttenteMs = 300;
         return e;
     },
     true, ""},
    {"muet",
     [](const QString&, const QString&) {
         Envoi e =
             test::ServeurHttpEssai::EnUneFois(test::ServeurHttpEssai::Reponse("200 OK", {}, Lieu));
         e.AttenteMs = 6000;
         return e;
     },
     false, "à temps"},
};

// The servers of one case: the service, and the two a redirect away would reach.
struct Banc {
    Service service;
    Service autreHote{QHostAddress(QStringLiteral("127.0.0.2"))};
    Service autrePort;
    explicit Banc(const Cas& c) {
        const QString h = autreHote.Ecoute() ? autreHote.Adresse() : autrePort.Adresse();
        const QString p = autrePort.Adresse();
        service.Comportement = [c, h, p](const test::ServeurHttpEssai::Requete& r) {
            // The redirect's own target on the service answers at once.
            if (r.Chemin.startsWith(QStringLiteral("/ailleurs")))
                return test::ServeurHttpEssai::EnUneFois(
                    test::ServeurHttpEssai::Reponse("200 OK", {}, Lieu));
            return c.Comportement(h, p);
        };
    }
    int Ailleurs() const {
        return static_cast<int>(autreHote.Requetes.size() + autrePort.Requetes.size());
    }
};

// The bulk runs' sender: the answer, or a French refusal naming why; nothing sent elsewhere, and
// an endless answer cut off long before its end.
TEST(ReponsesLimitees, TheBulkSenderKeepsToItsBounds) {
    for (const Cas& c : Tous) {
        SCOPED_TRACE(c.Nom);
        Banc banc(c);
        TTransportHttpQt transport(Limites);
        const std::string adresse = banc.service.Adresse().toStdString() + "/search?q=x";
        try {
            const std::string corps = transport.Obtient(adresse);
            EXPECT_TRUE(c.Accepte) << "accepté : " << corps.size() << " octets";
            EXPECT_TRUE(corps == Lieu.toStdString()) << corps.size() << " octets";
        } catch (const geocodeur::ErreurReseau& e) {
            EXPECT_FALSE(c.Accepte) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.Raison), std::string::npos) << e.what();
        }
        EXPECT_EQ(banc.Ailleurs(), 0);
        EXPECT_LT(banc.service.OctetsEnvoyes, 16 << 20);
    }
}

// The map's address search: a refused answer is answered offline, said, and never kept.
TEST(ReponsesLimitees, TheMapSearchKeepsToItsBoundsAndKeepsNothingItRefused) {
    for (const Cas& c : Tous) {
        SCOPED_TRACE(c.Nom);
        Banc banc(c);
        TCacheTextesMemoire cache;
        geocodeur::TLimiteurDebit limiteur(std::chrono::milliseconds(0));
        TGeocodageEnLigne g(nullptr);
        g.FixeParametres({true, banc.service.Adresse()});
        g.FixeCache(&cache);
        g.FixeLimiteur(&limiteur);
        g.FixeLimites(Limites);
        bool recue = false, enLigne = false;
        g.ChercheAdresseDiffere("Nulle Part", [&](std::optional<monde::TPointGeo>, bool e) {
            recue = true;
            enLigne = e;
        });
        for (int i = 0; i < 500 && !recue; ++i)
            QTest::qWait(20);
        ASSERT_TRUE(recue);
        EXPECT_EQ(enLigne, c.Accepte) << g.DerniereErreur().toStdString();
        EXPECT_EQ(cache.Taille(), c.Accepte ? 1u : 0u);
        if (!c.Accepte) {
            EXPECT_TRUE(g.DerniereErreur().contains(QString::fromUtf8(c.Raison)))
                << g.DerniereErreur().toStdString();
        }
        EXPECT_EQ(banc.Ailleurs(), 0);
        EXPECT_LT(banc.service.OctetsEnvoyes, 16 << 20);
    }
}

QByteArray Png() {
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QByteArray png;
    QBuffer tampon(&png);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "PNG");
    return png;
}

// The tiles: a tile refused is not painted, not fetched from elsewhere, and not in the disk
// cache; a tile within the bounds is.
TEST(ReponsesLimitees, TheTilesKeepToTheirBoundsAndTheDiskCacheKeepsNothingRefused) {
    const QByteArray png = Png();
    const QByteArray frais = "Content-Type: image/png\r\nCache-Control: max-age=3600\r\n";
    const QByteArray entetes = "HTTP/1.1 200 OK\r\n" + frais + "Connection: close\r\n";
    struct CasTuile {
        const char* Nom;
        std::function<Envoi(const QString&)> Comportement;
        bool Accepte;
    };
    const CasTuile cas[] = {
        {"redirection vers un autre serveur",
         [](const QString& ailleurs) { return Redirection(ailleurs + "/2/1/1.png"); }, false},
        {"tuile énorme annoncée",
         [&](const QString&) {
             return Envoi{entetes + "Content-Length: " + QByteArray::number(png.size() + 400000) +
                              "\r\n\r\n" + png,
                          QByteArray(100000, '\0'),
                          4,
                          0,
                          0,
                          {}};
         },
         false},
        {"tuile énorme sans longueur",
         [&](const QString&) {
             return Envoi{entetes + "\r\n" + png, QByteArray(100000, '\0'), 4, 0, 0, {}};
         },
         false},
        {"tuile au goutte-à-goutte",
         [&](const QString&) {
             return Envoi{entetes + "Content-Length: " + QByteArray::number(png.size() + 40) +
                              "\r\n\r\n" + png,
                          QByteArray(1, '\0'),
                          40,
                          100,
                          0,
                          {}};
         },
         false},
        {"tuile ordinaire",
         [&](const QString&) {
             return test::ServeurHttpEssai::EnUneFois(
                 test::ServeurHttpEssai::Reponse("200 OK", frais, png));
         },
         true},
    };
    for (const CasTuile& c : cas) {
        SCOPED_TRACE(c.Nom);
        Service serveur, ailleurs;
        const QString autre = ailleurs.Adresse();
        serveur.Comportement = [&c, autre](const test::ServeurHttpEssai::Requete&) {
            return c.Comportement(autre);
        };
        QTemporaryDir dossier;
        TParametresTuiles p;
        p.Actif = true;
        p.Adresse = serveur.Adresse() + QStringLiteral("/{z}/{x}/{y}.png");
        p.DossierCache = dossier.path();
        p.Limites = Limites;
        {
            TCoucheTuiles couche;
            couche.FixeParametres(p);
            // One tile: level 0, 256 x 256 pixels.
            monde::TVueMonde v;
            v.PixelsParDegre = 256.0 / 360.0;
            v.Largeur = v.Hauteur = 256;
            QImage image(256, 256, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter peintre(&image);
                couche.Dessine(peintre, v);
            }
            for (int i = 0; i < 400 && couche.EnAttente() > 0; ++i)
                QTest::qWait(20);
            EXPECT_EQ(couche.EnAttente(), 0);
            image.fill(Qt::white);
            {
                QPainter peintre(&image);
                EXPECT_EQ(couche.Dessine(peintre, v), c.Accepte);
            }
            EXPECT_EQ(couche.RequetesEnvoyees(), 1); // a refused tile is not asked again
        }
        EXPECT_TRUE(ailleurs.Requetes.isEmpty());
        QNetworkDiskCache disque;
        disque.setCacheDirectory(dossier.path());
        EXPECT_EQ(disque.metaData(QUrl(serveur.Adresse() + QStringLiteral("/0/0/0.png"))).isValid(),
                  c.Accepte);
    }
}

// `orlavine-cli base geolocaliser --en-ligne` against a service that answers a valid but huge
// answer (3 MiB of spaces around one place): refused, never kept, the base stays small; the
// run goes on offline.
TEST(ReponsesLimitees, AHugeAnswerNeverGrowsTheBase) {
    Service serveur;
    serveur.Comportement = [](const test::ServeurHttpEssai::Requete&) {
        return test::ServeurHttpEssai::Enorme(Lieu, 3 << 20, false);
    };
    QTemporaryDir dossier;
    const std::string base = dossier.filePath(QStringLiteral("b.sqlite")).toStdString();
    cli::TEnLigneCli enLigne;
    enLigne.Transport = [](std::ostream&) { return std::make_unique<TTransportHttpQt>(); };
    enLigne.Attente = [](std::chrono::milliseconds d) { AttendEnTraitantEvenements(d); };
    std::ostringstream out, err;
    ASSERT_EQ(cli::CommandeBase({"base", "importer", ORLAVINE_FIXTURES_GEOLOC "/arbre-geoloc.ged",
                                 "--base", base},
                                ORLAVINE_ATLAS_LIVRE, out, err, &enLigne),
              0)
        << err.str();
    const auto avant = std::filesystem::file_size(base);
    ASSERT_EQ(cli::CommandeBase({"base", "geolocaliser", "--base", base, "--en-ligne", "--service",
                                 serveur.Adresse().toStdString()},
                                ORLAVINE_ATLAS_LIVRE, out, err, &enLigne),
              0)
        << err.str();
    EXPECT_EQ(serveur.Requetes.size(), 1);
    EXPECT_NE(err.str().find("trop grande"), std::string::npos) << err.str();
    EXPECT_LT(std::filesystem::file_size(base), avant + (256 << 10));
    TBaseGenealogie b(base);
    if (b.Connexion().Entier("SELECT 1 FROM sqlite_master WHERE name = 'cache_geocodage'")) {
        EXPECT_EQ(b.Connexion().Entier("SELECT count(*) FROM cache_geocodage"), 0);
    }
}

} // namespace
} // namespace orlavine
