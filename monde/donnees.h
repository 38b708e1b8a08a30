// The world file "monde.bin": Natural Earth land, country borders, lakes and rivers at three
// levels of detail, with its reader and its writer side by side.
//
// Layout (little-endian):
//   "ORLMONDE"  8 bytes
//   u32         version (1)
//   u32         number of layers
//   per layer:  u8 kind, u8 level, u16 zero,
//               f64 x step, f64 y step, f64 x origin, f64 y origin  (degrees per grid unit,
//                   degrees of grid 0: longitude = x origin + x * x step, the same for y),
//               u32 number of parts, u32 number of points, u32 payload bytes,
//               payload: per part, a varint point count then each point as two zigzag
//                   varints (x, y), the first from (0, 0), the others from the point before.
//   u32         CRC-32 of every byte before it.
// Polygon layers (land, lakes) hold closed rings, the last point not repeated; line layers
// (borders, rivers) hold open polylines. A ring that crosses the 180th meridian runs on past
// it (longitudes up to +-540) instead of jumping across the plane.
#pragma once

#include "host/erreur.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orlavine::monde {

inline constexpr const char* NomFichierMonde = "monde.bin";
inline constexpr std::uint32_t VersionFichierMonde = 1;

// A damaged or missing world file. The message is French and names the file and the layer
// or part at fault.
class ErreurMonde : public Erreur {
public:
    explicit ErreurMonde(const std::string& message) : Erreur(message) {}
};

enum class GenreCouche : std::uint8_t {
    Terres = 1,     // land polygons: their outline is the coastline
    Frontieres = 2, // land borders between countries
    Lacs = 3,       // lake polygons
    Fleuves = 4,    // river centre lines
};
bool EstSurfacique(GenreCouche genre);

// Level of detail: the Natural Earth scale the layer comes from.
enum class Niveau : std::uint8_t {
    Monde110M = 0, // 1:110 000 000
    Monde50M = 1,  // 1:50 000 000
    Monde10M = 2,  // 1:10 000 000
};
inline constexpr int NombreNiveaux = 3;

struct TGrille {
    double PasX = 1.0;     // degrees of longitude per grid unit
    double PasY = 1.0;     // degrees of latitude per grid unit
    double OrigineX = 0.0; // longitude of grid x = 0
    double OrigineY = 0.0; // latitude of grid y = 0
    friend bool operator==(const TGrille&, const TGrille&) = default;
};

// Bounds of one part in the Mercator plane (degrees, y northwards).
struct TBoite {
    float XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

struct TCoucheMonde {
    GenreCouche Genre = GenreCouche::Terres;
    Niveau Detail = Niveau::Monde110M;
    TGrille Grille;
    // Grid coordinates of every point, part after part.
    std::vector<std::int32_t> X, Y;
    // Index in X and Y of the first point of each part, and X.size() last.
    std::vector<std::uint32_t> Debuts{0};

    // Derived by Prepare(): the points in the Mercator plane and each part's bounds.
    std::vector<float> MercX, MercY;
    std::vector<TBoite> Boites;

    std::size_t NombreParties() const { return Debuts.size() - 1; }
    // Appends one part.
    void AjoutePartie(std::span<const std::int32_t> x, std::span<const std::int32_t> y);
    void Prepare();

    // Stored content only (the derived arrays follow from it).
    friend bool operator==(const TCoucheMonde& a, const TCoucheMonde& b) {
        return a.Genre == b.Genre && a.Detail == b.Detail && a.Grille == b.Grille && a.X == b.X &&
               a.Y == b.Y && a.Debuts == b.Debuts;
    }
};

struct TDonneesMonde {
    std::vector<TCoucheMonde> Couches;

    // The layer of that kind at that level, or null.
    const TCoucheMonde* Couche(GenreCouche genre, Niveau niveau) const;
    // The layer of that kind at the finest level not above `niveau`, or null.
    const TCoucheMonde* CoucheAuPlusPres(GenreCouche genre, Niveau niveau) const;
    std::size_t NombrePoints() const;
};

// Reads a whole file's bytes; `fichier` names it in the messages. Every count and length is
// checked against what is left before use; a damaged file raises ErreurMonde.
TDonneesMonde LitDonneesMonde(std::span<const std::uint8_t> octets,
                              const std::string& fichier = NomFichierMonde);
// Reads the file at `chemin`. Missing: "Fichier "monde.bin" non existant ou déplacé!".
TDonneesMonde ChargeDonneesMonde(const std::filesystem::path& chemin);
// The bytes of the file; the same data always gives the same bytes.
std::vector<std::uint8_t> EcritDonneesMonde(const TDonneesMonde& donnees);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it).
std::uint32_t Crc32(std::span<const std::uint8_t> octets);

} // namespace orlavine::monde
