// The lists of the communes page: the Shell sort of the results, its reversal rule, the
// neighbour list comparison, keyboard navigation and the texts of the page.
#include "atlas/saisie.h"
#include "search/phrases.h"
#include "search/tri.h"
#include "tests/commun/outils.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace orlavine;

namespace {

std::vector<TCommune> CommunesAleatoires(std::size_t n, unsigned graine) {
    std::mt19937 gen(graine);
    // Few distinct keys so that equal keys are common; prefixes of one another and bytes
    // above 127 (compared unsigned) included.
    const char* noms[] = {"SAINT-MALO",       "SAINT-DENIS", "SAINTE-MAXIME", "SA",        "SAINT",
                          "SAINT-\xC9TIENNE", "ABBEVILLE",   "ZUYDCOOTE",     "SAINT-MALO"};
    std::uniform_int_distribution<int> choix(0, 8);
    std::uniform_int_distribution<int> code(1000, 1040);
    std::vector<TCommune> communes(n);
    for (auto& c : communes) {
        c.Nom = noms[choix(gen)];
        c.CodeInsee = std::to_string(code(gen));
    }
    return communes;
}

std::vector<AnsiString> Cles(const std::vector<std::uint16_t>& r,
                             const std::vector<TCommune>& communes, int colonne) {
    std::vector<AnsiString> cles;
    for (auto i : r)
        cles.push_back(colonne == ColonneCode ? communes[i].CodeInsee : communes[i].Nom);
    return cles;
}

} // namespace

TEST(Trier, ShellSortGivesTheKeyOrderOfAStableSort) {
    for (std::size_t n : {0u, 1u, 2u, 9u, 10u, 40u, 200u, 5000u}) {
        for (int colonne : {ColonneCode, ColonneLibelle}) {
            const auto communes = CommunesAleatoires(n, static_cast<unsigned>(n) + 7);
            std::vector<std::uint16_t> r(n);
            for (std::size_t k = 0; k < n; ++k)
                r[k] = static_cast<std::uint16_t>((k * 7919) % n);
            auto attendu = r;
            std::stable_sort(attendu.begin(), attendu.end(), [&](auto a, auto b) {
                return Cles({a}, communes, colonne)[0] < Cles({b}, communes, colonne)[0];
            });
            auto obtenu = r;
            Trier(obtenu, communes, TEtatTri{colonne, 0});
            EXPECT_EQ(Cles(obtenu, communes, colonne), Cles(attendu, communes, colonne))
                << "n=" << n << " colonne=" << colonne;
            auto tries = obtenu, source = r;
            std::sort(tries.begin(), tries.end());
            std::sort(source.begin(), source.end());
            EXPECT_EQ(tries, source) << "the sort is a permutation";
        }
    }
}

TEST(Trier, ReversedStateOnlyReversesWithoutComparing) {
    std::vector<TCommune> communes(5);
    const char* noms[] = {"B", "A", "E", "C", "D"};
    for (int i = 0; i < 5; ++i)
        communes[i].Nom = noms[i];
    std::vector<std::uint16_t> r{0, 1, 2, 3, 4}; // table order, not sorted
    Trier(r, communes, TEtatTri{ColonneLibelle, 1});
    EXPECT_EQ(r, (std::vector<std::uint16_t>{4, 3, 2, 1, 0}));
    std::vector<std::uint16_t> impair{0, 1, 2};
    Trier(impair, communes, TEtatTri{ColonneCode, 1});
    EXPECT_EQ(impair, (std::vector<std::uint16_t>{2, 1, 0}));
}

TEST(Trier, ColumnClicksToggleOnlyTheSameColumn) {
    TEtatTri etat; // fresh result list: Libellé, first direction
    ActualiserTri(etat, ColonneLibelle);
    EXPECT_EQ(etat, (TEtatTri{ColonneLibelle, 1}));
    ActualiserTri(etat, ColonneCode);
    EXPECT_EQ(etat, (TEtatTri{ColonneCode, 0}));
    ActualiserTri(etat, ColonneCode);
    EXPECT_EQ(etat, (TEtatTri{ColonneCode, 1}));
    ActualiserTri(etat, ColonneCode);
    EXPECT_EQ(etat, (TEtatTri{ColonneCode, 0}));
}

TEST(ComparerVoisines, StateZeroDescendsAndStateOneAscends) {
    const TLigneVoisine a{"78158", "Le Chesnay", "3 km"};
    const TLigneVoisine b{"78686", "viroflay", "12 km"};
    EXPECT_GT(ComparerVoisines(a, b, {ColonneCode, 0}), 0);
    EXPECT_LT(ComparerVoisines(a, b, {ColonneCode, 1}), 0);
    // Case of ASCII letters does not count: "Le Chesnay" < "viroflay".
    EXPECT_GT(ComparerVoisines(a, b, {ColonneLibelle, 0}), 0);
    EXPECT_LT(ComparerVoisines(a, b, {ColonneLibelle, 1}), 0);
    // Distances compare as numbers, not as text ("3 km" < "12 km").
    EXPECT_GT(ComparerVoisines(a, b, {ColonneDistance, 0}), 0);
    EXPECT_LT(ComparerVoisines(a, b, {ColonneDistance, 1}), 0);
    EXPECT_EQ(ComparerVoisines(a, a, {ColonneDistance, 0}), 0);
    EXPECT_EQ(ComparerVoisines({"1", "PARIS", ""}, {"1", "paris", ""}, {ColonneLibelle, 1}), 0);
}

TEST(ComparerVoisines, DistanceTextIsReadBackSafely) {
    EXPECT_EQ(DistanceLigne("0 km"), 0);
    EXPECT_EQ(DistanceLigne("255 km"), 255);
    EXPECT_EQ(DistanceLigne("256 km"), 0); // taken as an 8-bit value
    EXPECT_EQ(DistanceLigne("km"), 0);
    EXPECT_EQ(DistanceLigne("abc km"), 0);
    EXPECT_EQ(DistanceLigne(""), 0);
}

TEST(Navigation, SixKeysAtBothEndsOfTheList) {
    struct Cas {
        int touche, index, taille, attendu;
    };
    // Up and Down stop at the ends; Page Down goes 10 lower, but to the last entry when
    // no more than 10 are left below.
    const Cas cas[] = {
        {ToucheHaut, 0, 5, 0},        {ToucheHaut, 3, 5, 2},       {ToucheBas, 4, 5, 4},
        {ToucheBas, 0, 5, 1},         {TouchePageHaut, 9, 50, 0},  {TouchePageHaut, 10, 50, 0},
        {TouchePageHaut, 25, 50, 15}, {TouchePageBas, 0, 5, 4},    {TouchePageBas, 0, 10, 9},
        {TouchePageBas, 0, 11, 10},   {TouchePageBas, 30, 50, 40}, {ToucheDebut, 30, 50, 0},
        {ToucheFin, 3, 50, 49}};
    for (const Cas& c : cas) {
        const auto n = Navigation(c.touche, c.index, c.taille);
        ASSERT_TRUE(n.has_value());
        EXPECT_EQ(n->Index, c.attendu) << c.touche << " " << c.index << "/" << c.taille;
        // Home and End also reach the edit; the others stop there.
        EXPECT_EQ(n->Consommee, c.touche != ToucheDebut && c.touche != ToucheFin);
    }
    // An empty list or another key: nothing to do.
    EXPECT_FALSE(Navigation(ToucheBas, 0, 0).has_value());
    EXPECT_FALSE(Navigation(65, 0, 5).has_value());
}

TEST(Phrases, TextsOfThePage) {
    EXPECT_EQ(TexteVillePourLieu("Paris ; 75001; Ile de France ; France"), "Paris");
    EXPECT_EQ(TexteVillePourLieu("Versailles"), "Versailles");
    EXPECT_EQ(TexteVillePourLieu(" ; rien"), "");
    EXPECT_EQ(TexteVillePourLieu(""), "");
    EXPECT_EQ(PhraseComVois("LE CHESNAY", "3 km", "VERSAILLES"),
              "Le Chesnay est \xE0 3 km de Versailles.");
}

TEST(Phrases, ADelegatedCommuneFoundByItsNameSaysWhatItIs) {
    auto commune = [](const char* nom, const char* code, const char* postal) {
        TCommune c;
        c.Nom = nom;
        c.CodeInsee = code;
        c.CodePostal = postal;
        c.Latitude = 48.0f;
        c.Longitude = -4.5f;
        return c;
    };
    // AUDIERNE, ESQUIBIEN (delegated, no postal code of its own), PONT-CROIX.
    TCarteFrance carte({},
                       {commune("AUDIERNE", "29003", "29770"), commune("ESQUIBIEN", "29049", ""),
                        commune("PONT-CROIX", "29218", "29790")},
                       test::NomsDepartements(), {{1, TNatureCommune::Deleguee, 0}});
    std::vector<std::uint16_t> r;
    carte.RechercheCommunes(r, "ESQUI", -1, -1, SaisieNom);
    ASSERT_EQ(r, std::vector<std::uint16_t>{1});
    carte.CommunesVoisines = {{{0}, 2}};
    EXPECT_EQ(PhraseCommuneSel(carte, r[0], 9),
              "Esquibien, commune d\xE9l\xE9gu\xE9"
              "e d'Audierne, code INSEE : 29049, du d\xE9partement Departement 29, est "
              "entour\xE9"
              "e de 1 communes \xE0 moins de 9 km.");
    // A current commune keeps the sentence it had.
    EXPECT_EQ(PhraseCommuneSel(carte, 0, 9),
              "Audierne, code INSEE : 29003, code Postal : 29770, du d\xE9partement Departement "
              "29, est entour\xE9"
              "e de 1 communes \xE0 moins de 9 km.");
}
