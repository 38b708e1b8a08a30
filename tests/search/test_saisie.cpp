// Typed text analysis as the communes page uses it, keyboard navigation of the result list
// and the texts of the page.
#include "atlas/saisie.h"
#include "search/phrases.h"

#include <gtest/gtest.h>

using namespace orlavine;

namespace {

std::pair<int, AnsiString> Analyse(AnsiString texte) {
    const int mode = AnalyserSaisie(texte);
    return {mode, texte};
}

} // namespace

TEST(AnalyserSaisie, ExamplesOfTheCommunesPage) {
    using R = std::pair<int, AnsiString>;
    EXPECT_EQ(Analyse("  le havre "), (R{SaisieNom, "HAVRE "}));
    EXPECT_EQ(Analyse("La Rochelle"), (R{SaisieNom, "ROCHELLE"}));
    EXPECT_EQ(Analyse("Les Andelys"), (R{SaisieNom, "LES-ANDELYS"}));
    EXPECT_EQ(Analyse("75"), (R{SaisieCode, "75"}));
    EXPECT_EQ(Analyse("2a004"), (R{SaisieCode, "2A004"}));
    EXPECT_EQ(Analyse("2A"), (R{SaisieCode, "2A"}));
    EXPECT_EQ(Analyse("2B"), (R{SaisieCode, "2B"}));
    EXPECT_EQ(Analyse("2B12"), (R{SaisieCode, "2B12"}));
    EXPECT_EQ(Analyse("2AB").first, SaisieNom);
    EXPECT_EQ(Analyse("750012"), (R{SaisieCode, "750012"}));
    EXPECT_EQ(Analyse("75001 Paris"), (R{SaisieCode, "75001"}));
    EXPECT_EQ(Analyse("75001 PARIS"), (R{SaisieCode, "75001"}));
    EXPECT_EQ(Analyse("7"), (R{SaisieNom, "7"}));
    EXPECT_EQ(Analyse("1"), (R{SaisieNom, "1"}));
    EXPECT_EQ(Analyse("   ").first, SaisieVide);
    EXPECT_EQ(Analyse("").first, SaisieVide);
    EXPECT_EQ(Analyse("saint   malo"), (R{SaisieNom, "SAINT-MALO"}));
    // The same analysed text for two spellings: the page runs no second search.
    EXPECT_EQ(Analyse("le havre"), Analyse("LE HAVRE"));
}

TEST(Navigation, SixKeysAtBothEndsOfTheList) {
    using N = TNavigation;
    auto nav = [](int touche, int i, int n) { return Navigation(touche, i, n); };
    EXPECT_EQ(nav(ToucheHaut, 0, 5)->Index, 0); // stays on the first entry
    EXPECT_EQ(nav(ToucheHaut, 3, 5)->Index, 2);
    EXPECT_EQ(nav(ToucheBas, 4, 5)->Index, 4); // stays on the last entry
    EXPECT_EQ(nav(ToucheBas, 0, 5)->Index, 1);
    EXPECT_EQ(nav(TouchePageHaut, 9, 50)->Index, 0);
    EXPECT_EQ(nav(TouchePageHaut, 10, 50)->Index, 0);
    EXPECT_EQ(nav(TouchePageHaut, 25, 50)->Index, 15);
    EXPECT_EQ(nav(TouchePageBas, 0, 5)->Index, 4);  // fewer than 10 below: the last
    EXPECT_EQ(nav(TouchePageBas, 0, 10)->Index, 9); // exactly 10 from here: still the last
    EXPECT_EQ(nav(TouchePageBas, 0, 11)->Index, 10);
    EXPECT_EQ(nav(TouchePageBas, 30, 50)->Index, 40);
    EXPECT_EQ(nav(ToucheDebut, 30, 50)->Index, 0);
    EXPECT_EQ(nav(ToucheFin, 3, 50)->Index, 49);
    // Home and End also reach the edit; the others stop there.
    EXPECT_FALSE(nav(ToucheDebut, 3, 5)->Consommee);
    EXPECT_FALSE(nav(ToucheFin, 3, 5)->Consommee);
    EXPECT_TRUE(nav(ToucheBas, 3, 5)->Consommee);
    EXPECT_TRUE(nav(TouchePageHaut, 3, 5)->Consommee);
    // An empty list or another key: nothing to do.
    EXPECT_FALSE(nav(ToucheBas, 0, 0).has_value());
    EXPECT_FALSE(nav(65, 0, 5).has_value());
    (void)N{};
}

TEST(Phrases, TextsOfThePage) {
    EXPECT_EQ(TexteRayon(9), "S\xE9lection : 9 km");
    EXPECT_EQ(TexteVillePourLieu("Paris ; 75001; Ile de France ; France"), "Paris");
    EXPECT_EQ(TexteVillePourLieu("Versailles"), "Versailles");
    EXPECT_EQ(TexteVillePourLieu(" ; rien"), "");
    EXPECT_EQ(TexteVillePourLieu(""), "");
    EXPECT_EQ(PhraseComVois("LE CHESNAY", "3 km", "VERSAILLES"),
              "Le Chesnay est \xE0 3 km de Versailles.");
    EXPECT_EQ(TexteVilleVoisine({"78158", "LE CHESNAY", "3 km"}), "78158 LE CHESNAY");
}
