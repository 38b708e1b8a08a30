// The online address search without the network: the request addresses, the reading of the
// answers (damaged ones raise a French message, never crash) and the turns one second apart,
// inside one process and between processes sharing the lock file.
#include "geocodeur/limiteur.h"
#include "geocodeur/nominatim.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orlavine::geocodeur {
namespace {

using namespace std::chrono_literals;

std::string Message(const auto& f) {
    try {
        f();
    } catch (const ErreurNominatim& e) {
        return e.what();
    }
    return {};
}

TEST(Nominatim, RequestsEncodeTheTextAndKeepToTheServiceForm) {
    EXPECT_EQ(EncodePourcent("Saint-Étienne, Loire & co/1+1 ~x_y."),
              "Saint-%C3%89tienne%2C%20Loire%20%26%20co%2F1%2B1%20~x_y.");
    EXPECT_EQ(RequeteRecherche("https://nominatim.example.org/", "Anvers ; Belgique", 5),
              "https://nominatim.example.org/search?q=Anvers%20%3B%20Belgique&format=jsonv2&limit=5"
              "&accept-language=fr");
    EXPECT_EQ(RequeteInverse("http://127.0.0.1:8080", 48.85904, -2.5),
              "http://127.0.0.1:8080/reverse?lat=48.8590400&lon=-2.5000000&format=jsonv2"
              "&accept-language=fr");

    // What cannot be sent is refused with a French message naming the service.
    EXPECT_NE(
        Message([] { RequeteRecherche("ftp://serveur", "Paris"); }).find("adresse du service"),
        std::string::npos);
    EXPECT_NE(Message([] { RequeteRecherche("", "Paris"); }), "");
    EXPECT_NE(Message([] { RequeteRecherche("https://s", "  "); }).find("sans texte"),
              std::string::npos);
    EXPECT_NE(Message([] { RequeteRecherche("https://s", "Paris", 0); }), "");
    EXPECT_NE(Message([] { RequeteInverse("https://s", 91.0, 0.0); }).find("hors limites"),
              std::string::npos);
    EXPECT_NE(Message([] { RequeteInverse("https://s", 0.0, std::nan("")); }), "");
}

TEST(Nominatim, AnswersAreReadAndDamagedOnesRaiseAFrenchMessage) {
    const auto lieux = LitReponseRecherche(
        R"([{"place_id":1,"lat":"45.4401467","lon":"4.3873058","display_name":"Saint-Étienne, Loire, France"},
            {"lat":"45.0","lon":"4.0","display_name":"Autre"}])",
        "req");
    ASSERT_EQ(lieux.size(), 2u);
    EXPECT_DOUBLE_EQ(lieux[0].Latitude, 45.4401467);
    EXPECT_DOUBLE_EQ(lieux[0].Longitude, 4.3873058);
    EXPECT_EQ(lieux[0].Libelle, "Saint-Étienne, Loire, France");
    EXPECT_TRUE(LitReponseRecherche("[]", "req").empty());

    const auto inverse =
        LitReponseInverse(R"({"lat":"48.8","lon":"2.3","display_name":"Paris"})", "r");
    ASSERT_TRUE(inverse);
    EXPECT_EQ(inverse->Libelle, "Paris");
    EXPECT_FALSE(LitReponseInverse(R"({"error":"Unable to geocode"})", "r"));

    for (const char* abime : {"<html>Too many requests</html>", "", "[", "{}", "[1]",
                              R"([{"lon":"2.3"}])", R"([{"lat":"4x","lon":"2.3"}])",
                              R"([{"lat":"95","lon":"2.3"}])", R"([{"lat":null,"lon":"2.3"}])",
                              R"({"error":{"code":400,"message":"Nothing to search for."}})"}) {
        const std::string m = Message([&] { LitReponseRecherche(abime, "https://s/search?q=x"); });
        EXPECT_NE(m.find("\"https://s/search?q=x\" : "), std::string::npos) << abime << " -> " << m;
    }
    EXPECT_NE(Message([] { LitReponseInverse("[]", "r"); }), "");
    EXPECT_NE(
        Message([] { LitReponseInverse(R"({"error":"Bad request"})", "r"); }).find("Bad request"),
        std::string::npos);
}

TEST(Nominatim, TurnsAreOneSecondApartInTheProcessAndAcrossProcesses) {
    TLimiteurDebit seul;
    EXPECT_EQ(seul.Reserve(), 0ms);
    EXPECT_GE(seul.Reserve(), 990ms);
    EXPECT_GE(seul.Reserve(), 1990ms); // asked together: each waits for the one before

    const auto fichier =
        std::filesystem::temp_directory_path() / ("orlavine-verrou-" + std::to_string(::getpid()));
    std::filesystem::remove(fichier);
    TLimiteurDebit premier;
    ASSERT_TRUE(premier.FixeFichierVerrou(fichier));
    EXPECT_EQ(premier.Reserve(), 0ms);
    // Another process takes its turn through the same file: after the first one.
    const pid_t enfant = ::fork();
    if (enfant == 0) {
        TLimiteurDebit autre;
        const bool ok = autre.FixeFichierVerrou(fichier) && autre.Reserve() >= 990ms;
        ::_exit(ok ? 0 : 1);
    }
    int statut = -1;
    ASSERT_EQ(::waitpid(enfant, &statut, 0), enfant);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
    // And this process then comes after both.
    EXPECT_GE(premier.Reserve(), 1900ms);
    EXPECT_FALSE(premier.FixeFichierVerrou("/dossier/absent/verrou"));
    std::filesystem::remove(fichier);
}

} // namespace
} // namespace orlavine::geocodeur
