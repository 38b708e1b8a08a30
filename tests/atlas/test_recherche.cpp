#include "atlas/carte_france.h"
#include "atlas/saisie.h"
#include "tests/commun/outils.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace orlavine {
namespace {

using test::Commune;

std::vector<TCommune> Trie(std::vector<TCommune> communes) {
    std::sort(communes.begin(), communes.end(),
              [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    return communes;
}

TCarteFrance PetitAtlas() {
    return TCarteFrance(
        {},
        Trie({Commune("AJACCIO", "2A004", 41.9f, 8.7f, 7),
              Commune("BASTIA", "2B033", 42.7f, 9.45f, 7),
              Commune("DUNKERQUE", "59183", 51.03f, 2.37f, 6), Commune("DUNES", "82050"),
              Commune("HAVRE", "76351", 49.49f, 0.1f, 6, "LE"),
              Commune("PARIS", "75056", 48.86f, 2.35f, 9),
              Commune("ROCHELLE", "17300", 46.16f, -1.15f, 7, "LA"),
              Commune("SAINT-AMAND-LES-EAUX", "59526"), Commune("SAINT-JEAN-SUR-MER", "99001"),
              Commune("SAINTE-MARIE", "97418"), Commune("VERDUN", "55545"),
              Commune("VERDUN-SUR-GARONNE", "82190"), Commune("CHATEAU-DUN-DUN", "28088"),
              Commune("PONT DE VAUX", "01305"), Commune("VILLENEUVE-D'ASCQ", "59009")}),
        test::NomsDepartements());
}

std::vector<std::string> Noms(const TCarteFrance& carte, const std::string& texte,
                              int mode = SaisieNom) {
    std::vector<std::uint16_t> resultats{999};
    carte.RechercheCommunes(resultats, texte, -1, -1, mode);
    std::vector<std::string> noms;
    for (auto i : resultats)
        noms.push_back(carte.Communes[i].Nom);
    return noms;
}

using V = std::vector<std::string>;

TEST(Recherche, ModesParNomEtParCode) {
    const auto carte = PetitAtlas();
    EXPECT_EQ(Noms(carte, "DUN"), (V{"DUNES", "DUNKERQUE"}));
    EXPECT_EQ(Noms(carte, "SAINT-"), (V{"SAINT-AMAND-LES-EAUX", "SAINT-JEAN-SUR-MER"}));
    EXPECT_EQ(Noms(carte, "*DUN"),
              (V{"CHATEAU-DUN-DUN", "DUNES", "DUNKERQUE", "VERDUN", "VERDUN-SUR-GARONNE"}));
    EXPECT_EQ(Noms(carte, "*DUN "), (V{"VERDUN"})); // first occurrence must end the name
    EXPECT_EQ(Noms(carte, "*DUN*"), Noms(carte, "*DUN"));
    EXPECT_EQ(Noms(carte, "HAVRE "), (V{"HAVRE"}));
    EXPECT_TRUE(Noms(carte, "D").empty());
    EXPECT_TRUE(Noms(carte, "7").empty());
    EXPECT_TRUE(Noms(carte, "*A").empty());
    EXPECT_TRUE(Noms(carte, "*").empty());
    EXPECT_TRUE(Noms(carte, "").empty());
    EXPECT_TRUE(Noms(carte, "dun").empty());
    EXPECT_EQ(Noms(carte, "*AS").size(), 2u); // BASTIA, VILLENEUVE-D'ASCQ
    // Codes.
    EXPECT_EQ(Noms(carte, "59", SaisieCode),
              (V{"DUNKERQUE", "SAINT-AMAND-LES-EAUX", "VILLENEUVE-D'ASCQ"}));
    EXPECT_EQ(Noms(carte, "20", SaisieCode), (V{"AJACCIO", "BASTIA"}));
    EXPECT_EQ(Noms(carte, "2A", SaisieCode), (V{"AJACCIO"}));
    EXPECT_EQ(Noms(carte, "20004", SaisieCode), (V{"AJACCIO"}));
    EXPECT_EQ(Noms(carte, "20033", SaisieCode), (V{"BASTIA"}));
    EXPECT_TRUE(Noms(carte, "20034", SaisieCode).empty());
    EXPECT_TRUE(Noms(carte, "20", SaisieNom).empty());
}

TEST(Recherche, BornesDeLaPlageEtTableNonTriee) {
    const auto carte = PetitAtlas();
    std::vector<std::uint16_t> r;
    carte.RechercheCommunes(r, "DUN", 3, 0, SaisieNom); // DUNES is not among the first three
    EXPECT_TRUE(std::all_of(r.begin(), r.end(), [](auto i) { return i < 3; }));
    carte.RechercheCommunes(r, "DUN", 1000, -50, SaisieNom);
    EXPECT_EQ(r.size(), 2u);
    // A hand-made table out of order is still searched completely.
    const TCarteFrance desordre(
        {}, {Commune("ZEBRE", "1"), Commune("ABC", "2"), Commune("ZEN", "3")}, {});
    EXPECT_EQ(Noms(desordre, "ZE"), (V{"ZEBRE", "ZEN"}));
}

// The binary-search start must give the list of the plain scan, in the same order.
TEST(Recherche, DepartDichotomiqueIdentiqueAuBalayage) {
    std::mt19937 alea(1234);
    const std::vector<std::string> debuts{"SAINT-", "SAINTE-", "LE-",   "LES-", "VILLE",
                                          "MONT",   "",        "BOURG", "LA-"};
    const std::vector<std::string> syllabes{"BA",  "BE", "LON", "VIL",   "LE", "MONT", "AN",
                                            "SUR", "-",  "DUN", "ROCHE", "Y",  "'",    "\xC9"};
    std::vector<TCommune> communes;
    for (int i = 0; i < 20000; ++i) {
        std::string nom = debuts[alea() % debuts.size()];
        const int n = 1 + static_cast<int>(alea() % 4);
        for (int k = 0; k < n; ++k)
            nom += syllabes[alea() % syllabes.size()];
        communes.push_back(Commune(nom, std::to_string(1000 + i)));
    }
    const TCarteFrance carte({}, Trie(communes), {});
    std::vector<std::string> requetes{"SAINT-", "SAINTE", "BA",       "VIL", "LE-BA",      "ZZ",
                                      "AA",     "MONTY",  "\xC9\xC9", "-'",  "SAINT-BALON"};
    for (int i = 0; i < 300; ++i)
        requetes.push_back(carte.Communes[alea() % 20000].Nom.substr(0, 2 + alea() % 5));
    for (const auto& texte : requetes) {
        std::vector<std::uint16_t> rapide, lineaire;
        carte.RechercheCommunes(rapide, texte, -1, -1, SaisieNom);
        carte.RechercheCommunesLineaire(lineaire, texte, -1, -1, SaisieNom);
        ASSERT_EQ(rapide, lineaire) << texte;
        carte.RechercheCommunes(rapide, texte, 15000, 4000, SaisieNom);
        carte.RechercheCommunesLineaire(lineaire, texte, 15000, 4000, SaisieNom);
        ASSERT_EQ(rapide, lineaire) << texte;
    }
}

TEST(Noms, CompletsLibellesEtDepartements) {
    const auto carte = PetitAtlas();
    auto index = [&](const std::string& nom) {
        for (std::size_t i = 0; i < carte.Communes.size(); ++i)
            if (carte.Communes[i].Nom == nom) return static_cast<int>(i);
        return -1;
    };
    EXPECT_EQ(carte.NomCompletIndex(index("HAVRE")), "LE HAVRE");
    EXPECT_EQ(carte.NomCompletIndex(index("PARIS")), "PARIS");
    EXPECT_EQ(carte.NomCompletIndex(-1), "");
    EXPECT_EQ(carte.NomOfficiel(index("HAVRE")), "Le Havre");
    EXPECT_EQ(carte.NomOfficiel(index("SAINT-JEAN-SUR-MER")), "Saint-Jean-sur-Mer");
    EXPECT_EQ(carte.NomOfficiel(index("PONT DE VAUX")), "Pont de Vaux");
    EXPECT_EQ(carte.NomOfficiel(index("SAINT-AMAND-LES-EAUX")), "Saint-Amand-les-Eaux");
    EXPECT_EQ(carte.NomOfficiel(index("VILLENEUVE-D'ASCQ")), "Villeneuve-d'Ascq");
    const std::pair<const char*, AnsiString> departements[] = {{"2B033", "Corse"},
                                                               {"76351", "Seine-Maritime"},
                                                               {"21231", "C\xF4te-d'Or"},
                                                               {"92022", "Hauts-de-Seine"},
                                                               {"71001", "Sa\xF4ne-et-Loire"},
                                                               {"97418", ""},
                                                               {"00100", ""},
                                                               {"X1", ""},
                                                               {"7", ""}};
    for (const auto& [code, nom] : departements)
        EXPECT_EQ(carte.NomDepartement(code), nom) << code;
}

TEST(Saisie, AnalyseDuTexteTape) {
    struct Cas {
        std::string tape;
        int mode;
        std::string analyse;
    };
    const std::vector<Cas> cas{{"  le havre ", SaisieNom, "HAVRE "},
                               {"La Rochelle", SaisieNom, "ROCHELLE"},
                               {"Les Andelys", SaisieNom, "LES-ANDELYS"},
                               {"saint  jean   de luz", SaisieNom, "SAINT-JEAN-DE-LUZ"},
                               {Utf8VersCp1252("Château-Thierry"), SaisieNom, "CHATEAU-THIERRY"},
                               {"*dun ", SaisieNom, "*DUN "},
                               {"75", SaisieCode, "75"},
                               {"2a004", SaisieCode, "2A004"},
                               {"2A", SaisieCode, "2A"},
                               {"2B", SaisieCode, "2B"},
                               {"2B12", SaisieCode, "2B12"},
                               {"2AB", SaisieNom, "2AB"},
                               {"750012", SaisieCode, "750012"},
                               {"75001 Paris", SaisieCode, "75001"},
                               {"75001 PARIS", SaisieCode, "75001"},
                               {"7", SaisieNom, "7"},
                               {"1", SaisieNom, "1"},
                               {"7 ", SaisieNom, "7 "},
                               {"saint   malo", SaisieNom, "SAINT-MALO"},
                               {"   ", SaisieVide, ""},
                               {"", SaisieVide, ""}};
    for (const auto& c : cas) {
        std::string texte = c.tape;
        EXPECT_EQ(AnalyserSaisie(texte), c.mode) << "«" << c.tape << "»";
        if (c.mode != SaisieVide) {
            EXPECT_EQ(texte, c.analyse) << "«" << c.tape << "»";
        }
    }
    // The same analysed text for two spellings: the communes page runs no second search.
    std::string a = "le havre", b = "LE HAVRE";
    EXPECT_EQ(AnalyserSaisie(a), AnalyserSaisie(b));
    EXPECT_EQ(a, b);
}

} // namespace
} // namespace orlavine
