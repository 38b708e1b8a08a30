#include "tools/atlas-build/projection.h"

#include "host/geometrie.h"
#include "host/lambert93.h"

#include <cmath>
#include <numbers>

namespace orlavine::atlasbuild {

namespace {

constexpr double Pi = std::numbers::pi;

// Affine fit from Web Mercator metres to drawing units:
// dessin = A · mercator + B.
constexpr double A11 = 3.7269674e-4, A12 = 1.4112571e-6, B1 = 206.91708;
constexpr double A21 = 7.706578e-8, A22 = -3.7068602e-4, B2 = 2461.29805;
constexpr double RayonMercator = 6378137.0;

} // namespace

PointPlan Lambert93(PointGeo p) {
    const TPlanLambert93 l = VersLambert93(p.Latitude, p.Longitude);
    return {l.X, l.Y};
}

PointPlan VersCarte(PointGeo p) {
    const PointPlan l = Lambert93(p);
    return {(l.X - OrigineCarteX) * UnitesCarteParMetre,
            (OrigineCarteY - l.Y) * UnitesCarteParMetre};
}

PointGeo GeoDepuisDessin(double x, double y) {
    const double det = A11 * A22 - A12 * A21;
    const double u = x - B1, v = y - B2;
    const double mx = (A22 * u - A12 * v) / det;
    const double my = (-A21 * u + A11 * v) / det;
    const double lambda = mx / RayonMercator;
    const double phi = 2.0 * std::atan(std::exp(my / RayonMercator)) - Pi / 2.0;
    return {Degres(phi), Degres(lambda)};
}

PointPlan DessinDepuisGeo(PointGeo p) {
    const double mx = RayonMercator * Radians(p.Longitude);
    const double my = RayonMercator * std::log(std::tan(Pi / 4.0 + Radians(p.Latitude) / 2.0));
    return {A11 * mx + A12 * my + B1, A21 * mx + A22 * my + B2};
}

} // namespace orlavine::atlasbuild
