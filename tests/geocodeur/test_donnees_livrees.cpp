// The bundled world file with the bundled atlas: what French genealogists write abroad and
// overseas, homonyms of the real atlas, the reverse search on real places, and the rebuild of
// the file from the cached sources byte for byte.
#include "atlas/carte_france.h"
#include "geocodeur/geocodeur.h"
#include "tests/commun/outils.h"

#ifdef ORLAVINE_AVEC_CONSTRUCTEUR
#include "tools/geocodeur-build/construction.h"
#endif

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace orlavine::geocodeur {
namespace {

namespace fs = std::filesystem;

class DonneesLivrees : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        carte_ = new TCarteFrance(ORLAVINE_ATLAS_BUNDLED);
        geocodeur_ = new TGeocodeur(carte_, fs::path(ORLAVINE_MONDE_BUNDLED));
    }
    static void TearDownTestSuite() {
        delete geocodeur_;
        delete carte_;
    }

    // The first candidate: its country and the start of its label.
    static std::string Premier(const std::string& texte) {
        const auto c = geocodeur_->Recherche(texte);
        if (c.empty()) return "";
        return c[0].CodePays + ":" + c[0].Libelle.substr(0, c[0].Libelle.find(','));
    }
    static std::set<std::string> Pays(const std::string& texte) {
        std::set<std::string> pays;
        for (const TCandidat& c : geocodeur_->Recherche(texte))
            pays.insert(c.CodePays);
        return pays;
    }

    static TCarteFrance* carte_;
    static TGeocodeur* geocodeur_;
};
TCarteFrance* DonneesLivrees::carte_ = nullptr;
TGeocodeur* DonneesLivrees::geocodeur_ = nullptr;

TEST_F(DonneesLivrees, ExonymsAndOurAliases) {
    EXPECT_EQ(Premier("Anvers"), "BE:Antwerpen");
    EXPECT_EQ(Premier("Mayence"), "DE:Mainz");
    EXPECT_EQ(Premier("Aix-la-Chapelle"), "DE:Aachen");
    EXPECT_EQ(Premier("Londres"), "GB:London");
    EXPECT_EQ(Premier("Barcelone"), "ES:Barcelona");
    EXPECT_EQ(Premier("Londres ; Angleterre"), "GB:London");
    EXPECT_EQ(Premier("Edimbourg, Ecosse"), "GB:Edinburgh");
    EXPECT_EQ(Premier("Mayence ; Allemagne"), "DE:Mainz");
    EXPECT_EQ(Premier("Li\xC3\xA8ge ; Belgique"), "BE:Li\xC3\xA8ge");
    EXPECT_EQ(Premier("La Nouvelle-Orl\xC3\xA9"
                      "ans ; Louisiane ; \xC3\x89tats-Unis"),
              "US:New Orleans");
    EXPECT_EQ(Premier("Qu\xC3\xA9"
                      "bec, Canada"),
              "CA:Qu\xC3\xA9"
              "bec");
    EXPECT_EQ(Premier("Gen\xC3\xA8ve ; Suisse"), "CH:Gen\xC3\xA8ve");
    EXPECT_EQ(Premier("Alger ; ALGERIE"), "DZ:Algiers");
    // Belgian provinces stand for their region.
    EXPECT_EQ(Premier("Arlon ; Luxembourg ; Belgique"), "BE:Arlon");
    EXPECT_EQ(Premier("Huy, LiÃ¨ge, Belgique"), "BE:Huy");
    EXPECT_EQ(Premier("Luxembourg ; Belgique"), "");
}

TEST_F(DonneesLivrees, NamesakesInAnotherCountryAreRefused) {
    // Paris, Texas exists; Paris in Belgium does not.
    EXPECT_EQ(Pays("Paris ; Belgique"), std::set<std::string>{});
    EXPECT_EQ(Pays("Paris, Texas"), std::set<std::string>{"US"});
    EXPECT_EQ(Pays("Londres ; Espagne"), std::set<std::string>{});
    EXPECT_EQ(Pays("Anvers ; Allemagne"), std::set<std::string>{});
    // A department number keeps the search in France.
    EXPECT_EQ(Pays("Paris ; 75"), std::set<std::string>{"FR"});
    EXPECT_EQ(Premier("Paris"), "FR:Paris");
}

TEST_F(DonneesLivrees, FrenchHomonymsOfTheAtlas) {
    // Valence (Drôme) and Valence (Tarn-et-Garonne).
    const auto valence = geocodeur_->Recherche("Valence");
    ASSERT_GE(valence.size(), 2u);
    EXPECT_EQ(valence[0].Score, valence[1].Score);
    EXPECT_EQ(valence[0].CodeInsee, "26362");
    EXPECT_EQ(valence[1].CodeInsee, "82186");
    const auto tarn = geocodeur_->Recherche("Valence ; 82400 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
                                            "es ; France");
    ASSERT_EQ(tarn.size(), 1u);
    EXPECT_EQ(tarn[0].CodeInsee, "82186");
    EXPECT_EQ(Premier("Lassigny, 60350, Oise, Picardie, France, "), "FR:Lassigny");
    EXPECT_EQ(Premier("Bellegarde en Forez,42210,42,,,"), "FR:Bellegarde-en-Forez");
    EXPECT_EQ(Premier("VERSAILLES ; YVELINES ; FRANCE"), "FR:Versailles");
}

TEST_F(DonneesLivrees, FormerAreasBindToEveryDepartmentTheyCovered) {
    // The world file's former departments and provinces are those the reading of fields uses:
    // Seine-et-Oise covered Saint-Cloud (92), the Orléanais Dourdan (91), Champagne Sens (89).
    const struct {
        const char* texte;
        const char* insee;
    } cas[] = {
        {"Saint-Germain-en-Laye, Seine-et-Oise", "78551"},
        {"Saint-Cloud, Seine-et-Oise", "92064"},
        {"Dourdan, Orl\xC3\xA9"
         "anais",
         "91200"},
        {"Sens ; Champagne ; France", "89387"},
        {"Metz, Alsace-Lorraine", "57463"},
        {"Colmar ; Alsace-Lorraine", "68066"},
    };
    for (const auto& c : cas) {
        const auto candidats = geocodeur_->Recherche(c.texte);
        if (candidats.empty()) {
            ADD_FAILURE() << c.texte << " : introuvable";
            continue;
        }
        EXPECT_EQ(candidats[0].CodeInsee, c.insee) << c.texte;
        for (const TCandidat& k : candidats)
            EXPECT_EQ(k.CodeInsee.substr(0, 2), std::string(c.insee).substr(0, 2)) << c.texte;
    }
    // A town outside the area is refused, not replaced by a namesake.
    EXPECT_EQ(Premier("Dourdan, Alsace-Lorraine"), "");
}

TEST_F(DonneesLivrees, OverseasFrance) {
    EXPECT_EQ(Premier("Pointe-\xC3\xA0-Pitre ; Guadeloupe"), "GP:Pointe-\xC3\xA0-Pitre");
    EXPECT_EQ(Premier("Saint-Denis ; La R\xC3\xA9union"), "RE:Saint-Denis");
    EXPECT_EQ(Premier("Saint-Denis ; 97400 ; France"), "RE:Saint-Denis");
    EXPECT_EQ(Premier("Saint-Pierre ; Saint-Pierre-et-Miquelon"), "PM:Saint-Pierre");
    EXPECT_EQ(Premier("Fort-de-France (972)"), "MQ:Fort-de-France");
    EXPECT_EQ(Premier("Cayenne ; Guyane"), "GF:Cayenne");
    EXPECT_EQ(Premier("Saint-Denis ; Guadeloupe"), "");
}

TEST_F(DonneesLivrees, ReverseSearch) {
    const auto versailles = geocodeur_->RechercheInverse(48.8049, 2.1204);
    ASSERT_TRUE(versailles);
    EXPECT_EQ(versailles->CodeInsee, "78646");
    EXPECT_LT(versailles->DistanceKm, 2.0);
    const auto anvers = geocodeur_->RechercheInverse(51.2194, 4.4025);
    ASSERT_TRUE(anvers);
    EXPECT_EQ(anvers->CodePays, "BE");
    EXPECT_FALSE(geocodeur_->RechercheInverse(45.0, -30.0)); // the Atlantic
}

fs::path DossierSources() {
    if (const char* s = std::getenv("ORLAVINE_SOURCES"); s && *s) return s;
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x)
        return fs::path(x) / "orlavine" / "sources";
    const char* h = std::getenv("HOME");
    return h && *h ? fs::path(h) / ".cache" / "orlavine" / "sources" : fs::path();
}

TEST(MondeReconstruit, CachedSourcesGiveTheBundledBytes) {
#ifndef ORLAVINE_AVEC_CONSTRUCTEUR
    GTEST_SKIP() << "constructeur non compilé (ORLAVINE_TOOLS=OFF)";
#else
    using namespace geocodeurbuild;
    const fs::path d = DossierSources();
    for (const char* chemin : {CheminGeoNames, CheminPaysFr, CheminPaysEn, CheminDepartements,
                               CheminRegions, CheminProvinces})
        if (d.empty() || !fs::exists(d / chemin))
            GTEST_SKIP() << "sources absentes du cache " << d
                         << " (lancer scripts/fetch-sources.sh, qui demande npm)";
    RapportConstruction rapport;
    const auto octets = EcritMonde(ConstruitMonde(d, &rapport));
    EXPECT_TRUE(rapport.exonymesIntrouvables.empty());
    EXPECT_GT(rapport.lieux, 180000u);
    EXPECT_TRUE(std::string(octets.begin(), octets.end()) ==
                test::LitFichier(ORLAVINE_MONDE_BUNDLED))
        << "monde.dat livré différent de la reconstruction (scripts/build-geocodeur.sh)";
#endif
}

} // namespace
} // namespace orlavine::geocodeur
