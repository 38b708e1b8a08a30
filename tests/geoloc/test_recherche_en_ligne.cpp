// The online search of the bulk runs, with a scripted transport (no network): the offline
// geocoder answers first, kept answers are not asked again, every request waits for its turn,
// a damaged kept answer is replaced, and a service that fails leaves the rest of the run
// offline.
#include "geocodeur/service_en_ligne.h"
#include "geoloc/recherche_en_ligne.h"
#include "host/cache_textes.h"

#include <gtest/gtest.h>

using namespace orlavine;
using namespace orlavine::geoloc;
using geocodeur::TLimiteurDebit;

namespace {

// Answers every request with `Reponse`, or fails as told; notes the addresses asked.
class TransportEssai : public geocodeur::ITransportHttp {
public:
    std::string Obtient(const std::string& adresse) override {
        Adresses.push_back(adresse);
        if (Injoignable) throw geocodeur::ErreurReseau(adresse, 0, "connexion refusée");
        return Reponse;
    }
    std::string Reponse = R"([{"lat":"49.99","lon":"8.25","display_name":"Mainz, Deutschland"}])";
    bool Injoignable = false;
    std::vector<std::string> Adresses;
};

// Knows Valence (twice) and nothing else.
class HorsLigneEssai : public IRechercheAdresse {
public:
    std::vector<TCandidatAdresse> Recherche(std::string_view texte) override {
        if (texte.find("Valence") == std::string_view::npos) return {};
        return {{44.93, 4.89, "Valence, Drôme", 120}, {44.11, 0.89, "Valence, Tarn", 120}};
    }
    Provenance Origine() const override { return Provenance::Geocodeur; }
};

struct Essai {
    Essai()
        : service(
              serveur, transport, cache, limiteur,
              [this](TLimiteurDebit::Duree d) { attentes.push_back(d); },
              [this](const std::string& m) { avertissements.push_back(m); }) {}

    std::string serveur = "http://127.0.0.1:9";
    TransportEssai transport;
    TCacheTextesMemoire cache;
    TLimiteurDebit limiteur{std::chrono::seconds(1)};
    std::vector<TLimiteurDebit::Duree> attentes;
    std::vector<std::string> avertissements;
    geocodeur::TServiceNominatim service;
};

} // namespace

TEST(RechercheEnLigne, OfflineFirstThenOnceOnlineAndKeptAnswersAreNotAskedAgain) {
    std::vector<TLimiteurDebit::Duree> attentes;
    TransportEssai transport;
    TCacheTextesMemoire cache;
    TLimiteurDebit limiteur{std::chrono::seconds(1)};
    geocodeur::TServiceNominatim service("http://127.0.0.1:9/", transport, cache, limiteur,
                                         [&](TLimiteurDebit::Duree d) { attentes.push_back(d); });
    HorsLigneEssai horsLigne;
    std::vector<std::string> journal;
    TRechercheEnLigne recherche(service, &horsLigne,
                                [&](const std::string& m) { journal.push_back(m); });

    // What the offline geocoder knows is never asked online, ambiguous or not: the run then
    // refuses it as it does offline.
    EXPECT_EQ(recherche.Recherche("Valence").size(), 2u);
    EXPECT_EQ(recherche.Origine(), Provenance::Geocodeur);
    EXPECT_TRUE(transport.Adresses.empty());

    // The rest is asked online, the map's request (first place only), and taken as online.
    const auto mayence = recherche.Recherche("Mayence ; Allemagne");
    ASSERT_EQ(mayence.size(), 1u);
    EXPECT_DOUBLE_EQ(mayence[0].Latitude, 49.99);
    EXPECT_EQ(mayence[0].Libelle, "Mainz, Deutschland");
    EXPECT_EQ(recherche.Origine(), Provenance::GeocodeurEnLigne);
    ASSERT_EQ(transport.Adresses.size(), 1u);
    EXPECT_EQ(transport.Adresses[0], "http://127.0.0.1:9/search?q=Mayence%20%3B%20Allemagne"
                                     "&format=jsonv2&limit=1&accept-language=fr");

    // Asked again: the kept answer, no request.
    EXPECT_EQ(recherche.Recherche("Mayence ; Allemagne").size(), 1u);
    EXPECT_EQ(transport.Adresses.size(), 1u);
    EXPECT_EQ(service.ReponsesGardees(), 1);

    // A second text waits for its turn, a second after the first request.
    transport.Reponse = "[]";
    EXPECT_TRUE(recherche.Recherche("Nullepart").empty());
    EXPECT_EQ(transport.Adresses.size(), 2u);
    ASSERT_EQ(attentes.size(), 1u);
    EXPECT_GT(attentes[0].count(), 500);
    EXPECT_LE(attentes[0].count(), 1000);
    // Nothing found is kept too: not asked again.
    EXPECT_TRUE(recherche.Recherche("Nullepart").empty());
    EXPECT_EQ(transport.Adresses.size(), 2u);
    EXPECT_EQ(recherche.ReponsesEnLigne(), 2);
    EXPECT_TRUE(journal.empty());
}

TEST(RechercheEnLigne, BadAnswersDamagedKeptAnswersAndAServiceThatFails) {
    Essai e;
    HorsLigneEssai horsLigne;
    std::vector<std::string> journal;
    TRechercheEnLigne recherche(e.service, &horsLigne,
                                [&](const std::string& m) { journal.push_back(m); });
    const std::string requete = geocodeur::RequeteRecherche(e.serveur, "Mayence");

    // A damaged kept answer is asked again and replaced by the new one.
    e.cache.Ecrit(requete, "<html>");
    EXPECT_EQ(recherche.Recherche("Mayence").size(), 1u);
    EXPECT_EQ(e.transport.Adresses.size(), 1u);
    EXPECT_EQ(*e.cache.Lit(requete), e.transport.Reponse);
    ASSERT_EQ(e.avertissements.size(), 1u);
    EXPECT_NE(e.avertissements[0].find("demandée à nouveau"), std::string::npos);

    // An answer that cannot be read: this text is not located, nothing is kept, the
    // service is still asked for the next one.
    e.transport.Reponse = R"({"error":"Unable to geocode"})";
    EXPECT_TRUE(recherche.Recherche("Ailleurs").empty());
    EXPECT_FALSE(e.cache.Lit(geocodeur::RequeteRecherche(e.serveur, "Ailleurs")));
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_NE(journal[0].find("sans réponse lisible"), std::string::npos);
    EXPECT_TRUE(recherche.ServiceDisponible());

    // A service that cannot be reached: said once, then the rest of the run is offline.
    e.transport.Injoignable = true;
    EXPECT_TRUE(recherche.Recherche("Autre part").empty());
    EXPECT_FALSE(recherche.ServiceDisponible());
    const std::size_t demandes = e.transport.Adresses.size();
    EXPECT_TRUE(recherche.Recherche("Encore ailleurs").empty());
    EXPECT_EQ(recherche.Recherche("Valence").size(), 2u); // offline still answers
    EXPECT_EQ(e.transport.Adresses.size(), demandes);
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_NE(journal[1].find("connexion refusée"), std::string::npos);
    EXPECT_NE(journal[1].find("se fait hors ligne"), std::string::npos);
}
