// Projections of the atlas builder: Lambert-93 for the map, the Web Mercator fit of the
// department drawing, and the map units of the atlas.
#pragma once

namespace orlavine::atlasbuild {

struct PointGeo {
    double Latitude = 0.0;  // degrees
    double Longitude = 0.0; // degrees
};

struct PointPlan {
    double X = 0.0;
    double Y = 0.0;
};

// Lambert-93 (RGF93, GRS80 ellipsoid, conic conformal secant at 44° and 49°, origin 46.5° N
// 3° E at (700000, 6600000)): easting X and northing Y in metres.
PointPlan Lambert93(PointGeo p);

// Map units of the atlas: 1 km is 208 units, x eastwards, y downwards, near (0, 0) at the
// north-west corner of metropolitan France.
inline constexpr double UnitesCarteParMetre = 0.208;
inline constexpr double OrigineCarteX = 99000.0;   // Lambert-93 easting of x = 0
inline constexpr double OrigineCarteY = 7120000.0; // Lambert-93 northing of y = 0
PointPlan VersCarte(PointGeo p);

// The department drawing's coordinates are Web Mercator metres through an affine map;
// this is its inverse, from drawing units back to degrees.
PointGeo GeoDepuisDessin(double x, double y);
// The direct map, for tests and checks.
PointPlan DessinDepuisGeo(PointGeo p);

} // namespace orlavine::atlasbuild
