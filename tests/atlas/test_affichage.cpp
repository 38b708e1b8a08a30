// The communes drawn around the chosen towns, as the window and the map command build them.
#include "atlas/affichage.h"
#include "tests/commun/atlas_essai.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

std::vector<AnsiString> Codes(const TCarteFrance& carte) {
    std::vector<AnsiString> codes;
    for (const auto& e : carte.CommunesAffichees)
        codes.push_back(carte.Communes[static_cast<std::size_t>(e.IndexCommune)].CodeInsee);
    return codes;
}

const TCommuneAffiche* Entree(const TCarteFrance& carte, const AnsiString& code) {
    for (const auto& e : carte.CommunesAffichees)
        if (carte.Communes[static_cast<std::size_t>(e.IndexCommune)].CodeInsee == code) return &e;
    return nullptr;
}

// Around Versailles the capital shows with the regional capitals, 18 km away.
TEST(CommunesAffichees, LaCapitaleAutourDeVersailles) {
    const auto carte = essai::AtlasEssai();
    TPreferencesCarte prefs;
    prefs.Prefecture = prefs.SsPrefecture = false; // "Capitales de région" only
    carte->Preferences = &prefs;
    TVillesChoisies villes;
    villes.Ville1 = essai::IndexCode(carte->Communes, "78646");
    villes.RayonKm = 5;
    ComposeCommunesAffichees(*carte, villes);
    EXPECT_EQ(Codes(*carte), (std::vector<AnsiString>{"78646", "75056"}));
    const TCommuneAffiche* paris = Entree(*carte, "75056");
    ASSERT_NE(paris, nullptr);
    EXPECT_EQ(paris->Complement, ", 18 km de VERSAILLES");
    EXPECT_FALSE(paris->Clignotant);
    EXPECT_TRUE(carte->CommunesAffichees[0].Clignotant);
    // Nothing ranked is shown when no rank is asked for.
    prefs.Capital = false;
    ComposeCommunesAffichees(*carte, villes);
    EXPECT_EQ(Codes(*carte), (std::vector<AnsiString>{"78646"}));
}

TEST(CommunesAffichees, UneVilleSesVoisinesEtLesVillesDeRang) {
    const auto carte = essai::AtlasEssai();
    TVillesChoisies villes;
    villes.Ville1 = essai::IndexCode(carte->Communes, "78646");
    villes.RayonKm = 5;
    carte->AfficherVoisines = false;
    ComposeCommunesAffichees(*carte, villes);
    // The neighbours are looked up for the list even when the map does not show them.
    EXPECT_FALSE(carte->CommunesVoisines.empty());
    const auto sansVoisines = carte->CommunesAffichees.size();
    carte->AfficherVoisines = true;
    ComposeCommunesAffichees(*carte, villes);
    EXPECT_EQ(carte->CommunesAffichees.size(), sansVoisines + carte->CommunesVoisines.size());
    const TCommune& premiere = carte->Communes[carte->CommunesVoisines[0].IndexCommune];
    const TCommuneAffiche* e = Entree(*carte, premiere.CodeInsee);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Complement, " - " + std::to_string(carte->CommunesVoisines[0].Distance) + " km");
    EXPECT_EQ(carte->IndexCommuneCentree, 0);
    EXPECT_TRUE(carte->TexteInfo.empty());
}

TEST(CommunesAffichees, DeuxVilles) {
    const auto carte = essai::AtlasEssai();
    carte->AfficherVoisines = false;
    TVillesChoisies villes;
    villes.Ville1 = essai::IndexCode(carte->Communes, "78646"); // VERSAILLES
    villes.Ville2 = essai::IndexCode(carte->Communes, "76351"); // LE HAVRE
    villes.UneVille = false;
    villes.Ville2Active = true;
    ComposeCommunesAffichees(*carte, villes);
    const int d = TCarteFrance::DistanceCommunes(carte->Communes[villes.Ville1],
                                                 carte->Communes[villes.Ville2]);
    const AnsiString km = std::to_string(d) + " km de ";
    EXPECT_EQ(carte->TexteInfo, "VERSAILLES, Pr\xE9"
                                "fecture : Yvelines, " +
                                    km + "LE HAVRE");
    ASSERT_GE(carte->CommunesAffichees.size(), 2u);
    EXPECT_TRUE(carte->CommunesAffichees[1].Clignotant);
    EXPECT_EQ(carte->IndexCommuneCentree, 1);
    // Ranked towns within 100 km of either town: Paris near Versailles.
    EXPECT_NE(Entree(*carte, "75056"), nullptr);
    // A second town not chosen yet: only the first is drawn, nothing is measured.
    villes.Ville2 = -1;
    ComposeCommunesAffichees(*carte, villes);
    EXPECT_TRUE(carte->TexteInfo.empty());
    EXPECT_EQ(carte->CommunesAffichees[0].IndexCommune, villes.Ville1);
}

} // namespace
} // namespace orlavine
