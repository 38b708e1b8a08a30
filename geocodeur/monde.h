// The geocoder's data file "monde.dat": the places of the world outside metropolitan France
// (GeoNames cities500), their countries and provinces with French names, the departments
// and regions of France, and the index of search keys. Reader and writer side by side.
//
// Layout (little-endian). A header: the 8 bytes "ORLGEO01", the format version (u32), 0
// (u32), the size of the body (u64) and its FNV-1a 64-bit checksum (u64). The body: five
// tables, each a u32 count followed by its records, then the names of the places, then the
// key index. Texts are UTF-8, each a u16 length and its bytes. The key index is sorted by
// key, written in blocks of 16 keys, each key sharing a prefix with the one before it
// (u8 shared length, u8 rest length, rest bytes) and followed by its places (a varint
// count, then varints: place index x 2, + 1 for an alternate name).
// The reader checks every length, index, the order of the keys and the checksum: a damaged
// file raises ErreurGeocodeur naming the file and the record, and hands on nothing.
#pragma once

#include "host/erreur.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geocodeur {

// The geocoder's data file is missing or damaged (French message naming the file).
class ErreurGeocodeur : public Erreur {
public:
    using Erreur::Erreur;
};

inline constexpr const char* NomFichierMonde = "monde.dat";
inline constexpr std::uint32_t VersionFormat = 1;
inline constexpr std::uint16_t AucuneProvince = 0xFFFF;
inline constexpr std::size_t ClesParBloc = 16;
inline constexpr std::size_t LongueurMaxCle = 255;

struct TPays {
    std::string Iso; // ISO 3166-1 alpha-2
    std::string Nom; // French
    std::vector<std::string> Cles;
    friend bool operator==(const TPays&, const TPays&) = default;
};

// A first-level division of a country: GeoNames' admin1 code, its French name.
struct TProvince {
    std::uint16_t Pays = 0;
    std::string Code;
    std::string Nom;
    std::vector<std::string> Cles;
    friend bool operator==(const TProvince&, const TProvince&) = default;
};

// A department of France (metropolitan and overseas).
struct TDepartementFr {
    std::string Code; // "01" ... "95", "2A", "2B", "971" ...
    std::string Nom;  // "Seine-Maritime"
    std::string Pays; // ISO code of its places in GeoNames: "FR", "GP", "RE" ...
    std::vector<std::string> Cles;
    friend bool operator==(const TDepartementFr&, const TDepartementFr&) = default;
};

// A region of France, current or former, or an old province: the departments it covers.
struct TRegionFr {
    std::string Nom;
    std::vector<std::string> Departements;
    std::vector<std::string> Cles;
    friend bool operator==(const TRegionFr&, const TRegionFr&) = default;
};

// A place of GeoNames, as stored.
struct TLieu {
    std::int32_t Latitude = 0;  // 1e-5 degree
    std::int32_t Longitude = 0; // 1e-5 degree
    std::uint32_t Nom = 0;      // offset of its name in the names block
    std::uint16_t Pays = 0;
    std::uint16_t Province = AucuneProvince;
    std::uint32_t Population = 0;
    std::uint8_t Genre = 0; // 0 place, 1 seat of a division, 2 capital
    friend bool operator==(const TLieu&, const TLieu&) = default;
};
inline constexpr std::size_t TailleLieu = 4 + 4 + 4 + 2 + 2 + 4 + 1;

// One key and the places it names (index x 2, + 1 for an alternate name).
struct TCleLieux {
    std::string Cle;
    std::vector<std::uint32_t> Cibles;
    friend bool operator==(const TCleLieux&, const TCleLieux&) = default;
};

// Everything the writer writes. Cles sorted by key bytes, unique, each key non-empty and at
// most LongueurMaxCle bytes; Noms holds the names (u8 length + bytes) that TLieu::Nom points to.
struct DonneesMonde {
    std::vector<TPays> Pays;
    std::vector<TProvince> Provinces;
    std::vector<TDepartementFr> Departements;
    std::vector<TRegionFr> Regions;
    std::vector<TLieu> Lieux;
    std::vector<std::uint8_t> Noms;
    std::vector<TCleLieux> Cles;
};

// Appends a name to the names block and returns its offset (names over 255 bytes are cut at
// a character boundary).
std::uint32_t AjouteNom(std::vector<std::uint8_t>& noms, std::string_view nom);

std::vector<std::uint8_t> EcritMonde(const DonneesMonde& donnees);

// The read file: the small tables as values, the places and the key index kept as bytes.
class TMonde {
public:
    // Checks and reads `octets`; `fichier` names the file in messages.
    TMonde(std::vector<std::uint8_t> octets, std::string fichier);
    // Reads the file; a missing file raises ErreurGeocodeur too.
    static TMonde Charge(const std::filesystem::path& chemin);

    std::vector<TPays> Pays;
    std::vector<TProvince> Provinces;
    std::vector<TDepartementFr> Departements;
    std::vector<TRegionFr> Regions;
    std::vector<TLieu> Lieux;

    std::string_view NomLieu(std::size_t i) const;
    std::size_t NombreCles() const { return nombreCles_; }
    // The targets (index x 2, + 1 for an alternate name) of a key; empty when absent.
    std::vector<std::uint32_t> Cibles(std::string_view cle) const;
    // Every key with its targets, in order (for tests and the fuzz harness).
    std::vector<TCleLieux> ToutesLesCles() const;
    // The names block, as read.
    std::span<const std::uint8_t> Noms() const;

private:
    std::vector<std::uint8_t> octets_;
    std::string fichier_;
    std::size_t debutNoms_ = 0, tailleNoms_ = 0;
    std::size_t debutIndex_ = 0, tailleIndex_ = 0;
    std::vector<std::uint32_t> blocs_; // offset of each block within the index
    std::size_t nombreCles_ = 0;
};

} // namespace orlavine::geocodeur
