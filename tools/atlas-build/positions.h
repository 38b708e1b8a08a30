// Positions of the communes: the official 2018 centroids and the GeoNames table of
// populated places.
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

// One line of the centroid file: a commune of 2018 and the centroid of its outline.
struct Centroide {
    std::string Nom; // UTF-8, without its article: "Havre", "Andelys"
    PointGeo Position;
};

// The first line of the centroid file, without the format number that follows it.
inline constexpr const char* EnteteCentroides = "# centroides-communes-2018 format ";
inline constexpr int FormatCentroides = 1;

// The committed centroid file (scripts/compact-centroids.sh): the line
// "# centroides-communes-2018 format 1", comment lines beginning with "#", the header
// "code_insee;nom;latitude;longitude", then one line per commune of metropolitan France,
// UTF-8. Raises ErreurSource naming the line of a wrong format number, a malformed line, a
// code given twice or a position outside metropolitan France.
std::map<std::string, Centroide> LitCentroides(const std::filesystem::path& chemin);

} // namespace orlavine::atlasbuild
