// Address and reverse search on the small world and atlas of monde_essai: homonyms told apart,
// namesakes refused, the texts the place normalisation writes, overseas France.
#include "geocodeur/geocodeur.h"
#include "monde_essai.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orlavine::geocodeur {
namespace {

class Recherche : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        carte_ = essai::AtlasEssai().release();
        geocodeur_ = new TGeocodeur(carte_, TMonde(EcritMonde(essai::MondeEssai()), "essai.dat"));
    }
    static void TearDownTestSuite() {
        delete geocodeur_;
        delete carte_;
    }

    // "INSEE" for communes, "CC:name" for places abroad, in the order given.
    static std::vector<std::string> Codes(const std::string& texte) {
        std::vector<std::string> codes;
        for (const TCandidat& c : geocodeur_->Recherche(texte))
            codes.push_back(c.IndexCommune >= 0
                                ? c.CodeInsee
                                : c.CodePays + ":" + c.Libelle.substr(0, c.Libelle.find(',')));
        return codes;
    }
    using V = std::vector<std::string>;

    static TCarteFrance* carte_;
    static TGeocodeur* geocodeur_;
};
TCarteFrance* Recherche::carte_ = nullptr;
TGeocodeur* Recherche::geocodeur_ = nullptr;

TEST_F(Recherche, HomonymsStayAmbiguousUntilTheTextTellsThemApart) {
    const auto tous = geocodeur_->Recherche("Saint-Martin");
    ASSERT_EQ(tous.size(), 4u);
    // The three communes tie: nothing in the text chooses between them.
    EXPECT_EQ(tous[0].Score, tous[1].Score);
    EXPECT_EQ(tous[1].Score, tous[2].Score);
    EXPECT_GT(tous[2].Score, tous[3].Score);
    EXPECT_EQ(tous[3].CodePays, "BE");

    EXPECT_EQ(Codes("Saint-Martin ; 76"), V{"76601"});
    EXPECT_EQ(Codes("Saint-Martin, 9"), V{"09270"});
    EXPECT_EQ(Codes("Saint-Martin ; 2a"), V{"2A300"});
    EXPECT_EQ(Codes("Saint-Martin ; 20"), V{"2A300"});    // Corsica before 1976
    EXPECT_EQ(Codes("Saint-Martin ; 09100"), V{"09270"}); // postal code
    EXPECT_EQ(Codes("Saint-Martin ; 20100"), V{"2A300"}); // 20: either Corsica
    EXPECT_EQ(Codes("Saint-Martin ; 2A300"), V{"2A300"}); // INSEE code
    EXPECT_EQ(Codes("Saint-Martin ; 76999"), V{"76601"}); // another code of the department
    EXPECT_EQ(Codes("Saint-Martin ; Seine-Maritime"), V{"76601"});
    EXPECT_EQ(Codes("Saint-Martin ; ARIEGE ; FRANCE"), V{"09270"});
    EXPECT_EQ(Codes("Saint-Martin ; Normandie"), V{"76601"});
    EXPECT_EQ(Codes("St Martin (Midi-Pyrénées)"), V{"09270"});
    EXPECT_EQ(Codes("Saint-Martin ; Corse ; France"), V{"2A300"});
    EXPECT_EQ(Codes("Saint-Martin ; France"), (V{"09270", "2A300", "76601"}));
    // The exact code weighs more than the department alone.
    const auto exact = geocodeur_->Recherche("Valence ; 26000");
    const auto departement = geocodeur_->Recherche("Valence ; 26999");
    ASSERT_EQ(exact.size(), 1u);
    ASSERT_EQ(departement.size(), 1u);
    EXPECT_GT(exact[0].Score, departement[0].Score);
}

TEST_F(Recherche, EveryPostalCodeOfACommuneIsItsOwn) {
    auto score = [](const std::string& texte) {
        const auto r = geocodeur_->Recherche(texte);
        return r.empty() ? -1 : r.front().Score;
    };
    EXPECT_EQ(Codes("Saint-Martin ; 76450"), V{"76601"});
    EXPECT_EQ(score("Saint-Martin ; 76450"), score("Saint-Martin ; 76680"));
    EXPECT_EQ(score("Saint-Martin ; 76450"), score("Saint-Martin ; 76999") + ScoreCodeExact);
    EXPECT_EQ(Codes("Paris ; 75008"), V{"75056"});
    EXPECT_EQ(score("Paris ; 75008"), score("Paris ; 75001"));
    EXPECT_EQ(Codes("75008"), V{"75056"});
    EXPECT_EQ(Codes("76450"), V{"76601"});
}

TEST_F(Recherche, NeverANamesakeOutsideWhatTheTextNames) {
    EXPECT_EQ(Codes("Paris ; Belgique"), V{});
    EXPECT_EQ(Codes("Paris, Texas"), V{"US:Paris"});
    EXPECT_EQ(Codes("Paris, Texas, USA"), V{"US:Paris"});
    EXPECT_EQ(Codes("Paris, Louisiane"), V{});
    EXPECT_EQ(Codes("Paris, Texas, Belgique"), V{});
    EXPECT_EQ(Codes("Paris ; 75"), V{"75056"});
    EXPECT_EQ(Codes("Saint-Martin ; Belgique"), V{"BE:Saint-Martin"});
    EXPECT_EQ(Codes("Saint-Martin ; Wallonie ; Belgique"), V{"BE:Saint-Martin"});
    EXPECT_EQ(Codes("Saint-Martin ; Flandre"), V{});
    EXPECT_EQ(Codes("Saint-Martin ; Louisiane"), V{});
    // A department or code speaks of France: the Belgian namesake is not offered.
    EXPECT_EQ(Codes("Saint-Martin ; 75"), V{});
    EXPECT_EQ(Codes("Saint-Martin ; 75001"), V{});
    // Neither is a commune replaced by its neighbours of the same code.
    EXPECT_EQ(Codes("Inconnue ; 76600 ; France"), V{});
    EXPECT_EQ(Codes("Valence ; Espagne"), V{"ES:Valencia"});
    EXPECT_EQ(Codes("Valence ; Dr\xC3\xB4me"), V{"26362"});
}

TEST_F(Recherche, FranceFirstWhenTheTextNamesNoCountry) {
    const auto valence = Codes("Valence");
    EXPECT_EQ(valence, (V{"26362", "82186", "ES:Valencia"}));
    // Exonyms and alternate names reach the place; its own name beats a namesake's alternate.
    EXPECT_EQ(Codes("Anvers"), V{"BE:Antwerpen"});
    EXPECT_EQ(Codes("Londres"), (V{"ES:Londres", "GB:London"}));
    EXPECT_EQ(Codes("Londres ; Angleterre"), V{"GB:London"});
    EXPECT_EQ(Codes("Londres Angleterre"), V{"GB:London"});
    EXPECT_EQ(Codes("Valence Espagne"), V{"ES:Valencia"});
    EXPECT_EQ(Codes("Valence Belgique"), V{});
}

TEST_F(Recherche, ReadsTheTextsOfTheDatabase) {
    // The place normalisation's forms, with lieu-dit, postal code, region and country.
    EXPECT_EQ(Codes(" ; Paris ; France"), V{"75056"});
    EXPECT_EQ(Codes("15 rue picot ; Le Havre; 76600 ; Normandie ; France"), V{"76351"});
    EXPECT_EQ(Codes("Le Havre; Seine-Maritime ; France"), V{"76351"});
    EXPECT_EQ(Codes("LE HAVRE ; ; ; FRANCE"), V{"76351"});
    EXPECT_EQ(Codes("Havre (Le)"), V{"76351"});
    EXPECT_EQ(Codes("Le Havre (76)"), V{"76351"});
    // The address line of a letter, code before or after the town.
    EXPECT_EQ(Codes("12 rue de Paris, 76600 Le Havre"), V{"76351"});
    EXPECT_EQ(Codes("12 rue de Rivoli, 75001 Paris"), V{"75056"});
    EXPECT_EQ(Codes("rue de Rivoli ; Paris ; France"), V{"75056"});
    // A town that was tried and refused is not replaced by the region after it.
    EXPECT_EQ(Codes("Saint-Martin ; Paris ; France"), V{});
    EXPECT_EQ(Codes("Saint-Martin 09100"), V{"09270"});
    EXPECT_EQ(Codes("20100 Saint-Martin ; France"), V{"2A300"});
    EXPECT_EQ(Codes("75001 Saint-Martin"), V{});
    // Exported GEDCOM layouts.
    EXPECT_EQ(Codes("Valence,26000,26,,,"), V{"26362"});
    EXPECT_EQ(Codes("Valence, 82400, Tarn-et-Garonne, Midi-Pyrénées, France, "), V{"82186"});
    EXPECT_EQ(Codes("[Le Bourg] - Valence, Tarn-et-Garonne"), V{"82186"});
    EXPECT_EQ(Codes("Valence, 82, , , , Le Moulin"), V{"82186"});
    // A code alone names its commune.
    EXPECT_EQ(Codes("76351"), V{"76351"});
    EXPECT_EQ(Codes("76600"), V{"76351"});
    EXPECT_EQ(Codes(""), V{});
    EXPECT_EQ(Codes(" ; ; "), V{});
    EXPECT_EQ(Codes("Introuvable"), V{});
}

TEST_F(Recherche, OverlongTextsAreReadOnlyAsFarAsAPlaceTextGoes) {
    std::string long_ = "Le Havre";
    for (int i = 0; i < 20000; ++i)
        long_ += " ; x";
    EXPECT_EQ(Codes(long_), V{"76351"});
    std::string mots;
    for (int i = 0; i < 20000; ++i)
        mots += "mot ";
    EXPECT_EQ(Codes(mots), V{});
    // Cut within a character: no broken UTF-8 reaches the keys.
    EXPECT_EQ(Codes(std::string(1023, 'a') + "Ã©" + "; Paris"), V{});
}

TEST_F(Recherche, OverseasFranceIsFrance) {
    EXPECT_EQ(Codes("Sainte-Rose ; Guadeloupe"), V{"GP:Sainte-Rose"});
    EXPECT_EQ(Codes("Sainte-Rose ; 971"), V{"GP:Sainte-Rose"});
    EXPECT_EQ(Codes("Sainte-Rose ; 97115 ; France"), V{"GP:Sainte-Rose"});
    EXPECT_EQ(Codes("Sainte-Rose ; FRANCE"), V{"GP:Sainte-Rose"});
    EXPECT_EQ(Codes("Sainte-Rose ; 97400"), V{}); // La Réunion's codes
    EXPECT_EQ(Codes("Sainte-Rose ; 76"), V{});
    EXPECT_EQ(Codes("Sainte-Rose ; Belgique"), V{});
}

TEST_F(Recherche, CandidatesCarryPositionLabelAndSource) {
    const auto havre = geocodeur_->Recherche("Le Havre");
    ASSERT_EQ(havre.size(), 1u);
    EXPECT_NEAR(havre[0].Latitude, 49.4938, 1e-4);
    EXPECT_NEAR(havre[0].Longitude, 0.1077, 1e-4);
    EXPECT_EQ(havre[0].Libelle, "Le Havre, Seine-Maritime (76351), France");
    EXPECT_EQ(havre[0].Source, SourceAtlas);
    EXPECT_EQ(havre[0].IndexCommune, 0);
    const auto anvers = geocodeur_->Recherche("Anvers");
    ASSERT_EQ(anvers.size(), 1u);
    EXPECT_EQ(anvers[0].Libelle, "Antwerpen, R\xC3\xA9gion flamande, Belgique");
    EXPECT_EQ(anvers[0].Source, SourceGeoNames);
    EXPECT_NEAR(anvers[0].Latitude, 51.22047, 1e-5);
    EXPECT_EQ(anvers[0].Score, ScoreNomAlternatif);
}

TEST_F(Recherche, ReverseSearchFindsTheNearestWithinItsLimit) {
    const auto havre = geocodeur_->RechercheInverse(49.50, 0.12);
    ASSERT_TRUE(havre);
    EXPECT_EQ(havre->CodeInsee, "76351");
    EXPECT_LT(havre->DistanceKm, 2.0);
    const auto londres = geocodeur_->RechercheInverse(51.6, -0.2);
    ASSERT_TRUE(londres);
    EXPECT_EQ(londres->CodePays, "GB");
    // Across the 180th meridian: the place at -179.95 is 11 km away, the one at 179.95
    // farther.
    const auto fidji = geocodeur_->RechercheInverse(-17.68, -179.99);
    ASSERT_TRUE(fidji);
    EXPECT_EQ(fidji->Libelle, "Vunisea Ouest, Fidji");
    const auto fidji2 = geocodeur_->RechercheInverse(-17.68, 179.99);
    ASSERT_TRUE(fidji2);
    EXPECT_EQ(fidji2->Libelle, "Levuka Est, Fidji");
    // Nothing within reach: the middle of the Atlantic, the poles, nonsense.
    EXPECT_FALSE(geocodeur_->RechercheInverse(40.0, -40.0));
    EXPECT_FALSE(geocodeur_->RechercheInverse(90.0, 0.0));
    EXPECT_FALSE(geocodeur_->RechercheInverse(-90.0, 180.0));
    EXPECT_FALSE(geocodeur_->RechercheInverse(91.0, 0.0));
    EXPECT_FALSE(geocodeur_->RechercheInverse(0.0, 181.0));
    EXPECT_FALSE(geocodeur_->RechercheInverse(std::nan(""), 0.0));
    // A commune 35 km away is beyond the atlas's limit.
    EXPECT_FALSE(geocodeur_->RechercheInverse(44.9256 + 35.0 / 111.2, 4.8920));
    // A commune just beyond its limit does not hide a place abroad within its own.
    const auto punta = geocodeur_->RechercheInverse(41.70 + 31.0 / 111.2, 8.90);
    ASSERT_TRUE(punta);
    EXPECT_EQ(punta->Libelle, "Punta Nord, Espagne");
    EXPECT_NEAR(punta->DistanceKm, 40.0, 0.5);
}

TEST(GeocodeurSansAtlas, TheWorldAlone) {
    const TGeocodeur g(nullptr, TMonde(EcritMonde(essai::MondeEssai()), "essai.dat"));
    const auto valence = g.Recherche("Valence");
    ASSERT_EQ(valence.size(), 1u);
    EXPECT_EQ(valence[0].CodePays, "ES");
    EXPECT_TRUE(g.Recherche("76351").empty());
    EXPECT_FALSE(g.RechercheInverse(49.50, 0.12));
}

} // namespace
} // namespace orlavine::geocodeur
