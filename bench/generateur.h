// A generated atlas of metropolitan France for the benchmarks: French-looking commune names
// sorted in byte order, INSEE and postal codes of departments 01 to 95 (2A/2B for Corsica),
// positions spread around each department, neighbours within 20 km, outlines.
// Deterministic: the same seed gives the same atlas, byte for byte.
#pragma once

#include "atlas/types.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace orlavine {

struct AtlasGenere {
    std::vector<TCommune> Communes;           // ascending by Nom in byte order
    std::vector<AnsiString> NomsDepartements; // departments 1 to 95, Windows-1252
    std::vector<TPointsDep> Contours;         // one per record of "pointdepii.dat"
};

inline constexpr std::size_t NombreCommunesBanc = 35000;
inline constexpr int RayonVoisinsGenere = 20; // km

// `nombre` communes (at least one per department, at most 65,536). The neighbour distances
// are those of TCarteFrance::DistanceCommunes.
AtlasGenere GenereAtlas(std::size_t nombre = NombreCommunesBanc, std::uint32_t graine = 20260101);

// Writes "cc.dat", "departement.txt" and "pointdepii.dat" into `dossier` with the atlas writers.
void EcritAtlas(const AtlasGenere& atlas, const std::filesystem::path& dossier);

} // namespace orlavine
