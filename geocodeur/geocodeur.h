// The offline geocoder: from a place text to positions, and from a position to a place.
//
// France comes from the atlas's communes (read at run time, never copied), the rest of the
// world from "monde.dat" (GeoNames cities500 with French names of countries and provinces).
// A text is read as the place texts of the database are written: pieces separated by ";"
// (or by "," when there is no ";"), the town first, then postal or INSEE codes, department,
// region or province and country in any order; pieces before the town (lieu-dit, street)
// are skipped. Whatever the text names besides the town binds the answer: a namesake in
// another department, province or country is never given. No answer is better than a
// wrong one.
#pragma once

#include "geocodeur/monde.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {
class TCarteFrance;
}

namespace orlavine::geocodeur {

inline constexpr const char* SourceAtlas = "atlas";
inline constexpr const char* SourceGeoNames = "GeoNames";
// To show wherever places of the world file are shown.
inline constexpr const char* AttributionGeoNames =
    "Lieux du monde : © GeoNames (geonames.org), licence CC BY 4.0";

// Score of a name found as written, and as an alternate name or exonym.
inline constexpr int ScoreNom = 100;
inline constexpr int ScoreNomAlternatif = 90;
// Added for each other piece of the text that the candidate agrees with.
inline constexpr int ScoreIndice = 20;
// Added when a code of the text is the commune's own INSEE or postal code.
inline constexpr int ScoreCodeExact = 10;
// Added to French communes when the text names no place above the town.
inline constexpr int ScoreFranceParDefaut = 5;

// Reverse search: the farthest a commune of the atlas, or a place elsewhere, may be.
inline constexpr double DistanceMaxAtlasKm = 30.0;
inline constexpr double DistanceMaxMondeKm = 60.0;

// At most this many candidates per search.
inline constexpr std::size_t NombreMaxCandidats = 20;

struct TCandidat {
    double Latitude = 0.0;          // degrees
    double Longitude = 0.0;         // degrees
    std::string Libelle;            // UTF-8: "Le Havre, Seine-Maritime (76351), France"
    std::string Source;             // SourceAtlas or SourceGeoNames
    int Score = 0;                  // equal scores: the text does not tell the candidates apart
    std::string CodePays;           // ISO 3166-1 alpha-2 ("FR" for the atlas)
    std::string CodeInsee;          // atlas communes only
    std::int32_t IndexCommune = -1; // index in TCarteFrance::Communes, or -1
    std::int32_t IndexLieu = -1;    // index in the world places, or -1
    double DistanceKm = 0.0;        // reverse search only
};

class TGeocodeur {
public:
    // Reads the world file (raises ErreurGeocodeur when it is missing or damaged). `carte`
    // may be null (no French communes); it must outlive the geocoder.
    TGeocodeur(const TCarteFrance* carte, const std::filesystem::path& fichierMonde);
    TGeocodeur(const TCarteFrance* carte, TMonde monde);
    ~TGeocodeur();
    TGeocodeur(const TGeocodeur&) = delete;
    TGeocodeur& operator=(const TGeocodeur&) = delete;

    // Candidates best first (at most NombreMaxCandidats); empty when nothing is found.
    std::vector<TCandidat> Recherche(std::string_view texte) const;
    // The nearest commune of the atlas or place of the world within its distance limit.
    std::optional<TCandidat> RechercheInverse(double latitude, double longitude) const;

    const TMonde& Monde() const;
    // The atlas it reads France from (null: none).
    const TCarteFrance* Carte() const;

    struct Interne;

private:
    std::unique_ptr<Interne> d_;
};

// Distance in km on the sphere (radius 6371 km).
double DistanceKm(double lat1, double lon1, double lat2, double lon2);

} // namespace orlavine::geocodeur
