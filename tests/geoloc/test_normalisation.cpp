// The search text of an address or a place: postal codes dropped from free text, the parts of
// a place joined, the country file asked only for a French commune.
#include "geoloc/normalisation.h"

#include <gtest/gtest.h>
#include <map>

namespace orlavine::geoloc {
namespace {

TEST(DeleteCodePostal, OneSeparatorChosenForTheWholeText) {
    // None of the three separators: unchanged, postal code included.
    EXPECT_EQ(DeleteCodePostal("75001"), "75001");
    EXPECT_EQ(DeleteCodePostal("Paris"), "Paris");
    EXPECT_EQ(DeleteCodePostal(""), "");
    // Semicolons win over commas, which stay inside the pieces.
    EXPECT_EQ(DeleteCodePostal("Paris;75001;France"), " ; Paris ; France");
    EXPECT_EQ(DeleteCodePostal("Paris;7500;France"), " ; Paris ; 7500 ; France");
    EXPECT_EQ(DeleteCodePostal("12 rue X, Paris;75001"), " ; 12 rue X, Paris");
    // Commas: the piece " 75001 Paris" is not a number and keeps its code.
    EXPECT_EQ(DeleteCodePostal("12 rue X, 75001 Paris"), " ; 12 rue X ;  75001 Paris");
    EXPECT_EQ(DeleteCodePostal("Lassigny, 60350, Oise"), " ; Lassigny ;  Oise");
    // Spaces alone.
    EXPECT_EQ(DeleteCodePostal("Lassigny 60350 Oise"), " ; Lassigny ; Oise");
}

TEST(DeleteCodePostal, WhatCountsAsAPostalCode) {
    // 7 characters that trim to a number.
    EXPECT_EQ(DeleteCodePostal("Paris; 75001 ;France"), " ; Paris ; France");
    // Sign, 6 digits, leading zeros: dropped. 11 digits do not fit 32 bits: kept.
    EXPECT_EQ(DeleteCodePostal("A;-75001;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;+75001;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;750011;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;00001;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;2147483647;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;2147483648;B"), " ; A ; 2147483648 ; B");
    EXPECT_EQ(DeleteCodePostal("A;12345678901;B"), " ; A ; 12345678901 ; B");
    // The length counts the blanks: a short number padded to 5 characters goes too.
    EXPECT_EQ(DeleteCodePostal("A; 123 ;B"), " ; A ; B");
    EXPECT_EQ(DeleteCodePostal("A;123;B"), " ; A ; 123 ; B");
    // Hexadecimal, decimals, Corsican codes and blanks are not postal codes.
    EXPECT_EQ(DeleteCodePostal("A;0x1F2;B"), " ; A ; 0x1F2 ; B");
    EXPECT_EQ(DeleteCodePostal("A;750.1;B"), " ; A ; 750.1 ; B");
    EXPECT_EQ(DeleteCodePostal("A;2A004;B"), " ; A ; 2A004 ; B");
    EXPECT_EQ(DeleteCodePostal("A;     ;B"), " ; A ;       ; B");
}

TEST(DeleteCodePostal, EmptyPiecesAndEnds) {
    // Pieces are not trimmed; adjacent and final separators give empty pieces.
    EXPECT_EQ(DeleteCodePostal("A;;B;"), " ; A ;  ; B ; ");
    EXPECT_EQ(DeleteCodePostal(";"), " ;  ; ");
    EXPECT_EQ(DeleteCodePostal(" Paris ; France "), " ;  Paris  ;  France ");
    // Every piece a postal code: empty.
    EXPECT_EQ(DeleteCodePostal("75001;13001"), "");
    EXPECT_EQ(DeleteCodePostal("75001 13001"), "");
    // A quote is an ordinary character.
    EXPECT_EQ(DeleteCodePostal("\"Paris;Lyon\";75001"), " ; \"Paris ; Lyon\"");
    // UTF-8 passes through untouched.
    EXPECT_EQ(DeleteCodePostal("Saint-\xC3\x89tienne;42000"), " ; Saint-\xC3\x89tienne");
}

// The host's places file, default country and country file, with a record of every call.
class ServicesEssai : public IServicesLieux {
public:
    std::map<int, TPartiesLieu> lieux;
    std::string paysParDefaut;
    // Communes of the country file: town -> (postal code, longitude, latitude).
    std::map<std::string, std::tuple<std::string, double, double>> communes;
    mutable std::vector<int> lus;
    mutable std::vector<std::string> demandes;

    TPartiesLieu PartiesLieu(int idLieu) const override {
        lus.push_back(idLieu);
        const auto l = lieux.find(idLieu);
        return l == lieux.end() ? TPartiesLieu{} : l->second;
    }
    std::string PaysParDefaut() const override { return paysParDefaut; }
    std::string GetCPByCom(const std::string& ville, const std::string& code,
                           const std::string& codePays, double& longitude,
                           double& latitude) const override {
        demandes.push_back(ville + "|" + code + "|" + codePays);
        const auto c = communes.find(ville);
        if (c == communes.end()) return "";
        longitude = std::get<1>(c->second);
        latitude = std::get<2>(c->second);
        return std::get<0>(c->second);
    }
};

class NormalisationLieu : public ::testing::Test {
protected:
    void SetUp() override {
        s.lieux[1] = {"Saint-Amadou",
                      "Midi-Pyr\xC3\xA9n\xC3\xA9"
                      "es",
                      "France", "09270"};
        s.lieux[2] = {"Saint-Amadou",
                      "Midi-Pyr\xC3\xA9n\xC3\xA9"
                      "es",
                      "", "09270"};
        s.lieux[3] = {"Anvers", "Flandre", "Belgique", "2000"};
        s.lieux[4] = {"Paris", "", "france", "75056"};
        s.lieux[5] = {"Inconnue", "Bretagne", "France", "29999"};
        s.communes["Saint-Amadou"] = {"09120", 1.7, 43.1};
    }
    ServicesEssai s;
    double lon = 0, lat = 0;
};

TEST_F(NormalisationLieu, FrenchCommuneTakesPostalCodeAndPosition) {
    EXPECT_EQ(NormalizePlace(s, 1, "15 rue picot", lon, lat),
              "15 rue picot ; Saint-Amadou; 09120 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
              "es ; France");
    EXPECT_EQ(s.demandes, std::vector<std::string>{"Saint-Amadou|09270|Fr"});
    EXPECT_DOUBLE_EQ(lon, 1.7);
    EXPECT_DOUBLE_EQ(lat, 43.1);
    lon = lat = 0;
    EXPECT_EQ(NormalizePlace(s, 1, "", lon, lat), "Saint-Amadou; 09120 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
                                                  "es ; France");
}

TEST_F(NormalisationLieu, CommuneMissingFromTheCountryFile) {
    // The code becomes empty, the coordinates stay at zero.
    EXPECT_EQ(NormalizePlace(s, 5, "", lon, lat), "Inconnue; Bretagne ; France");
    EXPECT_EQ(lon, 0.0);
    EXPECT_EQ(lat, 0.0);
}

TEST_F(NormalisationLieu, OtherCountriesKeepTheirCode) {
    EXPECT_EQ(NormalizePlace(s, 3, "", lon, lat), "Anvers; 2000 ; Flandre ; Belgique");
    // "france" in lower case is not France: no lookup.
    EXPECT_EQ(NormalizePlace(s, 4, "", lon, lat), "Paris; 75056 ;  ; france");
    EXPECT_TRUE(s.demandes.empty());
    EXPECT_EQ(lon, 0.0);
    EXPECT_EQ(lat, 0.0);
}

TEST_F(NormalisationLieu, EmptyCountryTakesTheDefault) {
    s.paysParDefaut = "Belgique";
    EXPECT_EQ(NormalizePlace(s, 2, "", lon, lat), "Saint-Amadou; 09270 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
                                                  "es ; Belgique");
    EXPECT_TRUE(s.demandes.empty());
    EXPECT_EQ(lon, 0.0);
    // No default either: France, and then the lookup.
    s.paysParDefaut = "";
    EXPECT_EQ(NormalizePlace(s, 2, "", lon, lat), "Saint-Amadou; 09120 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
                                                  "es ; France");
    EXPECT_DOUBLE_EQ(lat, 43.1);
}

TEST_F(NormalisationLieu, PlaceZeroAndUnknownPlaces) {
    // Place 0 reads no record: the default country alone, after the lookup of an empty town.
    s.paysParDefaut = "Suisse";
    EXPECT_EQ(NormalizePlace(s, 0, "", lon, lat), ";  ; Suisse");
    EXPECT_TRUE(s.lus.empty());
    s.paysParDefaut = "";
    EXPECT_EQ(NormalizePlace(s, 0, "Le Bourg", lon, lat), "Le Bourg ; ;  ; France");
    EXPECT_EQ(s.demandes, std::vector<std::string>{"||Fr"});
    // A place the file does not hold: empty parts, separators and the default country.
    EXPECT_EQ(NormalizePlace(s, 999, "", lon, lat), ";  ; France");
    EXPECT_EQ(s.lus, std::vector<int>{999});
    EXPECT_EQ(lon, 0.0);
}

TEST_F(NormalisationLieu, NormalizeAddressChoosesByPlaceId) {
    // -1: the address as free text; the lieu-dit is ignored and the coordinates untouched,
    // even for an address naming a commune of the country file.
    lon = 5.5;
    lat = 45.5;
    EXPECT_EQ(NormalizeAddress(s, lon, lat, "Saint-Amadou;09120;France", -1, "Le Bourg"),
              " ; Saint-Amadou ; France");
    EXPECT_EQ(lon, 5.5);
    EXPECT_EQ(lat, 45.5);
    EXPECT_TRUE(s.lus.empty());
    EXPECT_TRUE(s.demandes.empty());
    // Any other id: the place, and the address is ignored.
    lon = lat = 0;
    EXPECT_EQ(NormalizeAddress(s, lon, lat, "ignored;75001", 1, "Le Bourg"),
              "Le Bourg ; Saint-Amadou; 09120 ; Midi-Pyr\xC3\xA9n\xC3\xA9"
              "es ; France");
    EXPECT_DOUBLE_EQ(lon, 1.7);
    EXPECT_EQ(NormalizeAddress(s, lon, lat, "x", 0, ""), ";  ; France");
}

} // namespace
} // namespace orlavine::geoloc
