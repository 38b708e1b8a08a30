// Department outlines: the SVG drawing of the departments and GeoJSON polygons.
#pragma once

#include "tools/atlas-build/projection.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::atlasbuild {

// One closed ring of a department's outline, in degrees, without a repeated last point.
struct Anneau {
    std::string Departement; // "01".."95", "2A", "2B"
    std::vector<PointGeo> Points;
};

// The closed rings of SVG path data, in drawing units. Understands M, L, H, V and Z in
// both absolute and relative forms, with implicit line-tos after a move-to. `texte` is the
// whole file and `debut`..`fin` the path data within it, so that an error names its line.
std::vector<std::vector<PointPlan>> LitTraceSvg(std::string_view texte, std::size_t debut,
                                                std::size_t fin,
                                                const std::filesystem::path& fichier);

// Every <path> of the department drawing whose id is a metropolitan department, turned
// into degrees (inverse of the drawing's Web Mercator fit). In file order.
std::vector<Anneau> LitContoursSvg(const std::filesystem::path& chemin);

// The outer rings of the Polygon and MultiPolygon features of a WGS84 GeoJSON
// FeatureCollection whose property "code" is a metropolitan department. In file order.
std::vector<Anneau> LitContoursGeoJson(const std::filesystem::path& chemin);

} // namespace orlavine::atlasbuild
