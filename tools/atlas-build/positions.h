// Positions of the communes: the GeoNames table of populated places and the optional CSV
// of commune positions.
#pragma once

#include "host/chaines.h"
#include "tools/atlas-build/projection.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orlavine::atlasbuild {

// One populated place of France in GeoNames that names a commune (its admin4 code).
struct LieuGeoNames {
    long Identifiant = 0;
    std::string Nom;        // UTF-8
    std::string CodeEntite; // "PPL", "PPLA2", "PPLC"...
    long Population = 0;
    PointGeo Position;
};

// Places of France by commune code (GeoNames' admin4), each list in file order.
// Tab-separated GeoNames columns: 5 latitude, 6 longitude, 8 feature code, 9 country,
// 14 admin4, 15 population. Raises ErreurSource naming the line of a damaged row.
std::map<std::string, std::vector<LieuGeoNames>> LitGeoNames(const std::filesystem::path& chemin);

// The place that stands for a commune among those sharing its code (a merged commune
// lists its former communes too): the one whose name is the commune's, else the highest
// administrative seat, else the most populated, else the first in identifier order.
const LieuGeoNames& ChoisitLieu(const std::vector<LieuGeoNames>& lieux, const AnsiString& nomAtlas);

// "code_insee;nom;latitude;longitude" lines after one header line, UTF-8. A later line for
// the same code replaces an earlier one. Raises ErreurSource naming the bad line.
std::map<std::string, PointGeo> LitCoordonneesCsv(const std::filesystem::path& chemin);

} // namespace orlavine::atlasbuild
