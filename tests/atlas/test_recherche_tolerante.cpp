// The search that forgives: strict first, then the saints, the articles, the star; postal
// codes after INSEE codes.
#include "atlas/recherche.h"
#include "atlas/saisie.h"
#include "tests/commun/outils.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace orlavine {
namespace {

using test::Commune;
using V = std::vector<std::string>;

TCommune AvecPostal(TCommune c, const std::string& postal) {
    c.CodePostal = postal;
    return c;
}

TCarteFrance Atlas() {
    std::vector<TCommune> communes{
        AvecPostal(Commune("AIX-EN-PROVENCE", "13001"), "13090"),
        AvecPostal(Commune("EPINE", "51231"), "51460"),
        AvecPostal(Commune("FORST-MARC", "67001"), "67100"),
        AvecPostal(Commune("HAVRE", "76351", 49.49f, 0.1f, 6, "LE"), "76600"),
        AvecPostal(Commune("L'EPINE-AUX-BOIS", "02280"), "02330"),
        AvecPostal(Commune("LES-ANDELYS", "27016"), "27700"),
        AvecPostal(Commune("LES-SABLES-D'OLONNE", "85194"), "85100"),
        AvecPostal(Commune("MARSEILLE", "13055"), "13001"),
        AvecPostal(Commune("PARIS", "75056"), "75001"),
        AvecPostal(Commune("PONT-DES-ANDELYS", "27999"), "27700"),
        AvecPostal(Commune("SAINT-ETIENNE", "42218"), "42000"),
        AvecPostal(Commune("SAINT-ETIENNE-DU-ROUVRAY", "76575"), "76800"),
        AvecPostal(Commune("SAINT-MARC", "29001"), "29200"),
        AvecPostal(Commune("SAINTE-FOY", "85214"), "85150"),
        AvecPostal(Commune("STRASBOURG", "67482"), "67000"),
        AvecPostal(Commune("VILLERS-SAINT-PAUL", "60684"), "60870"),
    };
    std::sort(communes.begin(), communes.end(),
              [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    return TCarteFrance({}, std::move(communes), test::NomsDepartements());
}

V Noms(const TCarteFrance& carte, const std::vector<std::uint16_t>& indexes) {
    V noms;
    for (auto i : indexes)
        noms.push_back(carte.Communes[i].Nom);
    return noms;
}

V Saisie(const TCarteFrance& carte, const std::string& tape, TEtapeRecherche* etape = nullptr) {
    const TResultatRecherche r = RechercheSaisie(carte, tape);
    if (etape) *etape = r.Etape;
    return Noms(carte, r.Communes);
}

TEST(RechercheTolerante, AbreviationsDeSaint) {
    const std::pair<std::string, std::string> cas[] = {
        {"ST-ETIENNE", "SAINT-ETIENNE"},
        {"STE-FOY", "SAINTE-FOY"},
        {"ST.-MALO", "SAINT-MALO"},
        {"STE.FOY", "SAINTE-FOY"},
        {"ST.ETIENNE", "SAINT-ETIENNE"},
        {"VILLERS-ST-PAUL", "VILLERS-SAINT-PAUL"},
        {"ST", "SAINT"},
        {"*ST-JEAN ", "*SAINT-JEAN "},
        {"L'ST-X", "L'SAINT-X"},
        {"STRASBOURG", "STRASBOURG"},
        {"FAUST-MARC", "FAUST-MARC"},
        {"ESTE", "ESTE"},
        {"STEENVOORDE", "STEENVOORDE"},
        {"ST-STE", "SAINT-SAINTE"},
    };
    for (const auto& [avant, apres] : cas)
        EXPECT_EQ(DevelopperSaints(avant), apres) << avant;
    EXPECT_EQ(SansArticle("LES-ANDELYS"), "ANDELYS");
    EXPECT_EQ(SansArticle("L'EPINE"), "EPINE");
    EXPECT_EQ(SansArticle("LE-HAVRE"), "HAVRE");
    EXPECT_EQ(SansArticle("LA-ROCHE"), "ROCHE");
    EXPECT_EQ(SansArticle("LESCAR"), "LESCAR");
}

// Each attempt answers only when all the earlier ones found nothing, even where a later
// one would find more.
TEST(RechercheTolerante, OrdreDesEssais) {
    const auto carte = Atlas();
    TEtapeRecherche etape{};
    // Saints first: the star search would also find FORST-MARC.
    EXPECT_EQ(Saisie(carte, "St Marc", &etape), (V{"SAINT-MARC"}));
    EXPECT_EQ(etape, TEtapeRecherche::Saints);
    EXPECT_EQ(Saisie(carte, "st. etienne", &etape),
              (V{"SAINT-ETIENNE", "SAINT-ETIENNE-DU-ROUVRAY"}));
    EXPECT_EQ(Saisie(carte, "Ste Foy"), (V{"SAINTE-FOY"}));
    EXPECT_EQ(Saisie(carte, "Villers St Paul"), (V{"VILLERS-SAINT-PAUL"}));
    // Then the names without their article: the star search would add PONT-DES-ANDELYS.
    EXPECT_EQ(Saisie(carte, "andelys", &etape), (V{"LES-ANDELYS"}));
    EXPECT_EQ(etape, TEtapeRecherche::SansArticle);
    EXPECT_EQ(Saisie(carte, "Sables d'Olonne"), (V{"LES-SABLES-D'OLONNE"}));
    EXPECT_EQ(Saisie(carte, "Les Havre"), (V{"HAVRE"})); // the typed article goes too
    // Then anywhere in the name.
    EXPECT_EQ(Saisie(carte, "delys", &etape), (V{"LES-ANDELYS", "PONT-DES-ANDELYS"}));
    EXPECT_EQ(etape, TEtapeRecherche::Etoile);
    EXPECT_EQ(Saisie(carte, "aux bois "), (V{"L'EPINE-AUX-BOIS"})); // final space dropped
    // Nothing anywhere.
    EXPECT_TRUE(Saisie(carte, "introuvable", &etape).empty());
    EXPECT_EQ(etape, TEtapeRecherche::Aucune);
    EXPECT_TRUE(Saisie(carte, "   ").empty());
    EXPECT_TRUE(Saisie(carte, "z").empty()); // too short for every attempt
    EXPECT_TRUE(Saisie(carte, "*z").empty());
}

// Whatever the strict search finds is the whole answer, in its order.
TEST(RechercheTolerante, StricteInchangeeQuandElleTrouve) {
    const auto carte = Atlas();
    V textes{"EPINE", "AN",    "SAINT-", "SAINT-ETIENNE ", "ST",    "*ANDELYS", "*ANDELYS ", "*AN",
             "LES-",  "HAVRE", "P",      "*-SUR-",         "PARIS*"};
    for (const auto& c : carte.Communes)
        for (std::size_t n = 2; n <= c.Nom.size(); n += 3)
            textes.push_back(c.Nom.substr(0, n));
    for (const auto& texte : textes) {
        std::vector<std::uint16_t> stricte;
        carte.RechercheCommunes(stricte, texte, -1, -1, SaisieNom);
        if (stricte.empty()) continue;
        const TResultatRecherche r = RechercheTolerante(carte, texte, SaisieNom);
        EXPECT_EQ(r.Communes, stricte) << texte;
        EXPECT_EQ(r.Etape, TEtapeRecherche::Stricte) << texte;
    }
    // "EPINE" finds EPINE alone, not L'EPINE-AUX-BOIS.
    EXPECT_EQ(Saisie(carte, "epine"), (V{"EPINE"}));
}

// The attempt without articles gives, in table order, exactly the names whose name less
// its article begins with the text less its article.
TEST(RechercheTolerante, SansArticleCommeLeBalayage) {
    std::mt19937 alea(99);
    const V articles{"", "", "", "LES-", "L'", "LE-", "LA-", "LESC", "LA"};
    const V syllabes{"BA", "LE", "S-", "AN", "DE", "L'", "LYS", "-", "A"};
    std::vector<TCommune> communes;
    for (int i = 0; i < 5000; ++i) {
        std::string nom = articles[alea() % articles.size()];
        for (int k = 0; k < 1 + static_cast<int>(alea() % 4); ++k)
            nom += syllabes[alea() % syllabes.size()];
        communes.push_back(Commune(nom, std::to_string(10000 + i)));
    }
    std::sort(communes.begin(), communes.end(),
              [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    const TCarteFrance carte({}, std::move(communes), {});
    int essais = 0;
    for (int k = 0; k < 400; ++k) {
        std::string texte = articles[alea() % articles.size()];
        for (int n = 0; n < 1 + static_cast<int>(alea() % 3); ++n)
            texte += syllabes[alea() % syllabes.size()];
        std::vector<std::uint16_t> stricte;
        carte.RechercheCommunes(stricte, texte, -1, -1, SaisieNom);
        if (!stricte.empty() || DevelopperSaints(texte) != texte) continue;
        std::vector<std::uint16_t> attendus;
        const std::string_view cherche = SansArticle(texte);
        for (std::size_t i = 0; i < carte.Communes.size(); ++i)
            if (cherche.size() >= 2 &&
                SansArticle(carte.Communes[i].Nom).substr(0, cherche.size()) == cherche)
                attendus.push_back(static_cast<std::uint16_t>(i));
        const TResultatRecherche r = RechercheTolerante(carte, texte, SaisieNom);
        if (attendus.empty()) {
            EXPECT_NE(r.Etape, TEtapeRecherche::SansArticle) << texte;
            continue;
        }
        ++essais;
        EXPECT_EQ(r.Etape, TEtapeRecherche::SansArticle) << texte;
        EXPECT_EQ(r.Communes, attendus) << texte;
    }
    EXPECT_GT(essais, 20);
}

TEST(RechercheTolerante, CodesPostauxApresLesCodesInsee) {
    const auto carte = Atlas();
    const TResultatRecherche r = RechercheSaisie(carte, "13001");
    EXPECT_EQ(Noms(carte, r.Communes), (V{"AIX-EN-PROVENCE", "MARSEILLE"}));
    EXPECT_EQ(r.NombreInsee, 1u);
    EXPECT_EQ(r.Etape, TEtapeRecherche::Code);
    EXPECT_EQ(Saisie(carte, "75001"), (V{"PARIS"}));
    EXPECT_EQ(Saisie(carte, "75001 Paris"), (V{"PARIS"}));
    EXPECT_EQ(Saisie(carte, "75"), (V{"PARIS"})); // found once, by its INSEE code
    EXPECT_EQ(Saisie(carte, "2770"), (V{"LES-ANDELYS", "PONT-DES-ANDELYS"}));
    EXPECT_EQ(Saisie(carte, "13"), (V{"AIX-EN-PROVENCE", "MARSEILLE"}));
    EXPECT_EQ(Saisie(carte, "85"), (V{"LES-SABLES-D'OLONNE", "SAINTE-FOY"}));
    EXPECT_TRUE(Saisie(carte, "99999").empty());
    // A code finds no name by the forgiving attempts.
    EXPECT_TRUE(Saisie(carte, "2A004").empty());
}

TEST(RechercheTolerante, AtlasLivre) {
    const TCarteFrance carte(ORLAVINE_ATLAS_BUNDLED);
    auto codes = [&](const std::string& tape) {
        V r;
        for (auto i : RechercheSaisie(carte, Utf8VersCp1252(tape)).Communes)
            r.push_back(carte.Communes[i].CodeInsee);
        return r;
    };
    auto contient = [](const V& v, const std::string& code) {
        return std::find(v.begin(), v.end(), code) != v.end();
    };
    const V aix = codes("13001");
    ASSERT_GE(aix.size(), 2u);
    EXPECT_EQ(aix[0], "13001");
    EXPECT_TRUE(contient(aix, "13055"));
    EXPECT_TRUE(contient(codes("75001"), "75056"));
    EXPECT_TRUE(contient(codes("ANDELYS"), "27016"));
    EXPECT_TRUE(contient(codes("Sables d'Olonne"), "85194"));
    const V etienne = codes("St Étienne");
    ASSERT_FALSE(etienne.empty());
    EXPECT_EQ(etienne[0], "42218");
}

} // namespace
} // namespace orlavine
