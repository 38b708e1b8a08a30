// The online address search, against a service on 127.0.0.1 only: off by default, the form of
// the requests and the program named in them, requests a second apart, kept answers not asked
// again, damaged answers and an unreachable service answered by the offline search, and the
// map crediting OpenStreetMap for online answers.
#include "app/cli/base.h"
#include "genealogie/base.h"
#include "geocodeur/limiteur.h"
#include "geocodeur/nominatim.h"
#include "host/cache_textes.h"
#include "mapview/attente.h"
#include "mapview/geocodage_en_ligne.h"
#include "mapview/http_synchrone.h"
#include "mapview/web_osmaps.h"
#include "tests/commun/serveur_http.h"

#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

// A service of the Nominatim kind: /search answers one place, /reverse its name, unless told
// to answer something else.
class ServeurGeocodage : public test::ServeurHttpEssai {
public:
    QByteArray Corps =
        R"([{"lat":"45.4401467","lon":"4.3873058","display_name":"Saint-Étienne, Loire"}])";
    QByteArray CorpsInverse =
        R"({"lat":"45.44","lon":"4.38","display_name":"Saint-Étienne, Loire, France"})";
    QByteArray Statut = "200 OK";

private:
    QByteArray Repond(const Requete& r) override {
        return Reponse(Statut, "Content-Type: application/json; charset=utf-8\r\n",
                       r.Chemin.startsWith(QStringLiteral("/reverse")) ? CorpsInverse : Corps);
    }
};

// The offline search: always the same point, and a text for every position.
class HorsLigne : public IGeocodage {
public:
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string&) override {
        ++Appels;
        return monde::TPointGeo{1.0, 2.0};
    }
    std::string ChercheLieu(double, double) override {
        ++Appels;
        return "hors ligne";
    }
    int Appels = 0;
};

struct Reponse {
    std::optional<monde::TPointGeo> Point;
    bool EnLigne = false;
    bool Recue = false;
};

Reponse Cherche(TGeocodageEnLigne& g, const std::string& adresse) {
    Reponse r;
    g.ChercheAdresseDiffere(adresse, [&r](std::optional<monde::TPointGeo> p, bool enLigne) {
        r = {p, enLigne, true};
    });
    for (int i = 0; i < 300 && !r.Recue; ++i)
        QTest::qWait(20);
    return r;
}

TEST(GeocodageEnLigne, OffByDefaultAndSettingsKeepTheService) {
    const TParametresGeocodageEnLigne defaut;
    EXPECT_FALSE(defaut.Actif);
    EXPECT_EQ(defaut.Adresse, QStringLiteral("https://nominatim.openstreetmap.org"));
    QTemporaryDir dossier;
    QSettings reglages(dossier.filePath(QStringLiteral("r.ini")), QSettings::IniFormat);
    EXPECT_EQ(LitParametresGeocodageEnLigne(reglages), defaut);
    EcritParametresGeocodageEnLigne(reglages, {true, QStringLiteral("http://127.0.0.1:1")});
    EXPECT_EQ(LitParametresGeocodageEnLigne(reglages),
              (TParametresGeocodageEnLigne{true, QStringLiteral("http://127.0.0.1:1")}));

    // Not turned on: the offline search answers and nothing is sent.
    ServeurGeocodage serveur;
    HorsLigne horsLigne;
    TGeocodageEnLigne g(&horsLigne);
    TParametresGeocodageEnLigne p;
    p.Adresse = serveur.Adresse();
    g.FixeParametres(p);
    const Reponse r = Cherche(g, "Saint-Étienne");
    EXPECT_FALSE(r.EnLigne);
    EXPECT_EQ(horsLigne.Appels, 1);
    QTest::qWait(50);
    EXPECT_EQ(g.RequetesEnvoyees(), 0);
    EXPECT_TRUE(serveur.Requetes.isEmpty());
}

TEST(GeocodageEnLigne, RequestsNameTheProgramComeASecondApartAndKeptAnswersAreNotAskedAgain) {
    ServeurGeocodage serveur;
    HorsLigne horsLigne;
    TCacheTextesMemoire cache;
    geocodeur::TLimiteurDebit limiteur;
    TGeocodageEnLigne g(&horsLigne);
    g.FixeParametres({true, serveur.Adresse() + QStringLiteral("/")});
    g.FixeCache(&cache);
    g.FixeLimiteur(&limiteur);

    // Two searches asked together.
    Reponse a, b;
    g.ChercheAdresseDiffere("Saint-Étienne, Loire", [&a](auto p, bool e) { a = {p, e, true}; });
    g.ChercheAdresseDiffere("Anvers", [&b](auto p, bool e) { b = {p, e, true}; });
    for (int i = 0; i < 300 && !(a.Recue && b.Recue); ++i)
        QTest::qWait(20);
    ASSERT_TRUE(a.Recue && b.Recue);
    ASSERT_TRUE(a.Point);
    EXPECT_TRUE(a.EnLigne);
    EXPECT_DOUBLE_EQ(a.Point->Latitude, 45.4401467);
    EXPECT_DOUBLE_EQ(a.Point->Longitude, 4.3873058);
    EXPECT_EQ(horsLigne.Appels, 0);

    ASSERT_EQ(serveur.Requetes.size(), 2);
    EXPECT_EQ(serveur.Requetes[0].Chemin,
              QStringLiteral("/search?q=Saint-%C3%89tienne%2C%20Loire&format=jsonv2&limit=1"
                             "&accept-language=fr"));
    for (const auto& r : serveur.Requetes)
        EXPECT_TRUE(r.UserAgent.startsWith("Orlavine/")) << r.UserAgent.toStdString();
    EXPECT_GE(serveur.Requetes[1].Heure - serveur.Requetes[0].Heure,
              std::chrono::milliseconds(950));

    // Asked again: the kept answer, nothing sent, still credited online.
    EXPECT_EQ(cache.Taille(), 2u);
    const Reponse encore = Cherche(g, "Saint-Étienne, Loire");
    EXPECT_TRUE(encore.EnLigne);
    EXPECT_TRUE(encore.Point);
    EXPECT_EQ(serveur.Requetes.size(), 2);
    EXPECT_EQ(g.RequetesEnvoyees(), 2);
    // The synchronous search uses the kept answer too, never the network.
    const auto direct = g.ChercheAdresse("Saint-Étienne, Loire");
    ASSERT_TRUE(direct);
    EXPECT_DOUBLE_EQ(direct->Latitude, 45.4401467);

    // The reverse search: its own request form, the place's name.
    std::string lieu;
    bool enLigne = false;
    g.ChercheLieuDiffere(45.44, 4.38, [&](std::string t, bool e) {
        lieu = t;
        enLigne = e;
    });
    for (int i = 0; i < 300 && lieu.empty(); ++i)
        QTest::qWait(20);
    EXPECT_EQ(lieu, "Saint-Étienne, Loire, France");
    EXPECT_TRUE(enLigne);
    ASSERT_EQ(serveur.Requetes.size(), 3);
    EXPECT_EQ(
        serveur.Requetes[2].Chemin,
        QStringLiteral("/reverse?lat=45.4400000&lon=4.3800000&format=jsonv2&accept-language=fr"));
}

TEST(GeocodageEnLigne, DamagedAnswersAndAnUnreachableServiceFallBackOfflineWithAMessage) {
    ServeurGeocodage serveur;
    serveur.Corps = "<html>Service indisponible</html>";
    HorsLigne horsLigne;
    TCacheTextesMemoire cache;
    geocodeur::TLimiteurDebit limiteur;
    TGeocodageEnLigne g(&horsLigne);
    g.FixeParametres({true, serveur.Adresse()});
    g.FixeCache(&cache);
    g.FixeLimiteur(&limiteur);
    Reponse r = Cherche(g, "Paris");
    ASSERT_TRUE(r.Recue);
    EXPECT_FALSE(r.EnLigne);
    ASSERT_TRUE(r.Point);
    EXPECT_DOUBLE_EQ(r.Point->Latitude, 1.0); // the offline answer
    EXPECT_TRUE(g.DerniereErreur().contains(QStringLiteral("illisible")))
        << g.DerniereErreur().toStdString();
    EXPECT_EQ(cache.Taille(), 0u); // a damaged answer is not kept

    // Nobody listens at that address any more.
    quint16 port = 0;
    {
        QTcpServer ferme;
        ferme.listen(QHostAddress::LocalHost, 0);
        port = ferme.serverPort();
    }
    g.FixeParametres({true, QStringLiteral("http://127.0.0.1:%1").arg(port)});
    r = Cherche(g, "Lyon");
    ASSERT_TRUE(r.Recue);
    EXPECT_FALSE(r.EnLigne);
    EXPECT_TRUE(r.Point);
    EXPECT_TRUE(g.DerniereErreur().contains(QStringLiteral("injoignable")))
        << g.DerniereErreur().toStdString();
    EXPECT_EQ(horsLigne.Appels, 2);

    // A service address that is not one: refused before anything is sent.
    g.FixeParametres({true, QStringLiteral("nominatim")});
    r = Cherche(g, "Lyon");
    EXPECT_FALSE(r.EnLigne);
    EXPECT_TRUE(g.DerniereErreur().contains(QStringLiteral("adresse du service")));
}

TEST(GeocodageEnLigne, TheMapCreditsOpenStreetMapWhileItShowsAnOnlineAnswer) {
    ServeurGeocodage serveur;
    HorsLigne horsLigne;
    geocodeur::TLimiteurDebit limiteur;
    TGeocodageEnLigne g(&horsLigne);
    g.FixeParametres({true, serveur.Adresse()});
    g.FixeLimiteur(&limiteur);
    TWebOSMaps carte;
    carte.resize(400, 300);
    carte.FixeGeocodage(&g);
    carte.Launch();
    QTest::qWait(0);
    QSignalSpy reponses(&carte, &TWebOSMaps::OnMapResultSearchAddress);
    carte.ArcGisMapSearchAdress(QStringLiteral("Saint-Étienne"));
    EXPECT_TRUE(reponses.isEmpty()); // never inside the call
    ASSERT_TRUE(reponses.wait(5000));
    EXPECT_DOUBLE_EQ(reponses[0][1].toDouble(), 45.4401467);
    EXPECT_TRUE(carte.CreditEnLigne());
    QImage image(400, 300, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        carte.DessineSur(painter, 400, 300);
    }
    EXPECT_NE(carte.DernierDessin().Attribution.find("OpenStreetMap"), std::string::npos);

    // An offline answer: the credit goes.
    g.FixeParametres({false, serveur.Adresse()});
    carte.ArcGisMapSearchAdress(QStringLiteral("Paris"));
    ASSERT_TRUE(reponses.wait(5000));
    EXPECT_FALSE(carte.CreditEnLigne());
    {
        QPainter painter(&image);
        carte.DessineSur(painter, 400, 300);
    }
    EXPECT_EQ(carte.DernierDessin().Attribution.find("OpenStreetMap"), std::string::npos);
}

// A kept answer comes at once while an online one waits for its turn: the map still answers in
// the order asked, which the page relies on to pair each answer with its place.
TEST(GeocodageEnLigne, TheMapAnswersInTheOrderAskedWhateverOrderAnswersComeIn) {
    ServeurGeocodage serveur;
    HorsLigne horsLigne;
    TCacheTextesMemoire cache;
    geocodeur::TLimiteurDebit limiteur;
    limiteur.Reserve(); // the next request waits a second
    TGeocodageEnLigne g(&horsLigne);
    g.FixeParametres({true, serveur.Adresse()});
    g.FixeCache(&cache);
    g.FixeLimiteur(&limiteur);
    cache.Ecrit(geocodeur::RequeteRecherche(serveur.Adresse().toStdString(), "Brest"),
                R"([{"lat":"48.39","lon":"-4.49","display_name":"Brest"}])");
    TWebOSMaps carte;
    carte.FixeGeocodage(&g);
    QSignalSpy reponses(&carte, &TWebOSMaps::OnMapResultSearchAddress);
    carte.ArcGisMapSearchAdress(QStringLiteral("Saint-Étienne")); // online, in a second
    carte.ArcGisMapSearchAdress(QStringLiteral("Brest"));         // kept: ready at once
    carte.ArcGisMapSearchAdress(QString());                       // nothing to search
    for (int i = 0; i < 300 && reponses.size() < 3; ++i)
        QTest::qWait(20);
    ASSERT_EQ(reponses.size(), 3);
    EXPECT_DOUBLE_EQ(reponses[0][1].toDouble(), 45.4401467);
    EXPECT_DOUBLE_EQ(reponses[1][1].toDouble(), 48.39);
    EXPECT_DOUBLE_EQ(reponses[2][1].toDouble(), 0.0);
    EXPECT_EQ(serveur.Requetes.size(), 1);
}

// The bulk runs' requests, sent and waited for on the thread: the answer's body, the program
// named, and a French error naming the cause for a service in error or gone.
TEST(TransportHttpQt, AnswersErrorsAndAServiceThatIsGone) {
    ServeurGeocodage serveur;
    TTransportHttpQt transport;
    const std::string adresse = serveur.Adresse().toStdString() + "/search?q=x";
    EXPECT_EQ(transport.Obtient(adresse), serveur.Corps.toStdString());
    ASSERT_EQ(serveur.Requetes.size(), 1);
    EXPECT_TRUE(serveur.Requetes[0].UserAgent.startsWith("Orlavine/"));

    serveur.Statut = "503 Service Unavailable";
    try {
        transport.Obtient(adresse);
        ADD_FAILURE() << "une erreur 503 prise pour une réponse";
    } catch (const geocodeur::ErreurReseau& e) {
        EXPECT_NE(std::string(e.what()).find("HTTP 503"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("search?q=x"), std::string::npos);
    }
    QTcpServer ferme;
    ferme.listen(QHostAddress::LocalHost, 0);
    const quint16 port = ferme.serverPort();
    ferme.close();
    try {
        transport.Obtient("http://127.0.0.1:" + std::to_string(port) + "/search?q=x");
        ADD_FAILURE() << "un service arrêté a répondu";
    } catch (const geocodeur::ErreurReseau& e) {
        EXPECT_NE(std::string(e.what()).find("connexion refusée"), std::string::npos) << e.what();
    }
}

// `orlavine-cli base geolocaliser --en-ligne` on the bundled atlas and geocoder, against the
// local service: only the place the offline geocoder does not know is asked, the answer is
// stored with its provenance and credited, and a second run asks nothing.
TEST(TransportHttpQt, TheCommandLineRunAsksTheServiceForWhatTheOfflineGeocoderDoesNotKnow) {
    ServeurGeocodage serveur;
    serveur.Corps = R"([{"lat":"46.5","lon":"2.5","display_name":"Nulle Part, Cher, France"}])";
    QTemporaryDir dossier;
    const std::string base = dossier.filePath(QStringLiteral("b.sqlite")).toStdString();
    cli::TEnLigneCli enLigne;
    enLigne.Transport = [](std::ostream&) { return std::make_unique<TTransportHttpQt>(); };
    enLigne.Attente = [](std::chrono::milliseconds d) { AttendEnTraitantEvenements(d); };
    std::ostringstream out, err;
    auto lance = [&](std::vector<std::string> args) {
        out.str("");
        err.str("");
        return cli::CommandeBase(args, ORLAVINE_ATLAS_LIVRE, out, err, &enLigne);
    };
    ASSERT_EQ(
        lance({"base", "importer", ORLAVINE_FIXTURES_GEOLOC "/arbre-geoloc.ged", "--base", base}),
        0)
        << err.str();
    const std::vector<std::string> run = {"base",
                                          "geolocaliser",
                                          "--base",
                                          base,
                                          "--en-ligne",
                                          "--service",
                                          serveur.Adresse().toStdString()};
    ASSERT_EQ(lance(run), 0) << err.str();
    ASSERT_EQ(serveur.Requetes.size(), 1);
    EXPECT_TRUE(serveur.Requetes[0].Chemin.contains(QStringLiteral("Nullepart")));
    EXPECT_NE(out.str().find("requêtes en ligne : 1"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("contributeurs d'OpenStreetMap"), std::string::npos);
    {
        TBaseGenealogie b(base);
        bool trouve = false;
        for (const TLieu& l : b.Lieux())
            if (l.Commune == "Nullepart") {
                const auto g = b.Geolocalisation(l.Id, "");
                ASSERT_TRUE(g);
                EXPECT_EQ(g->Origine, Provenance::GeocodeurEnLigne);
                EXPECT_DOUBLE_EQ(g->Latitude, 46.5);
                trouve = true;
            }
        EXPECT_TRUE(trouve);
    }
    // Undone, then run again: the answer kept in the base, no request.
    ASSERT_EQ(lance({"base", "annuler-geolocalisation", "--base", base}), 0);
    ASSERT_EQ(lance(run), 0) << err.str();
    EXPECT_EQ(serveur.Requetes.size(), 1);
    EXPECT_NE(out.str().find("réponses déjà gardées : 1"), std::string::npos) << out.str();
}

} // namespace
} // namespace orlavine
