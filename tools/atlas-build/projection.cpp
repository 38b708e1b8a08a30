#include "tools/atlas-build/projection.h"

#include <cmath>
#include <numbers>

namespace orlavine::atlasbuild {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Radians(double degres) {
    return degres * Pi / 180.0;
}
constexpr double Degres(double radians) {
    return radians * 180.0 / Pi;
}

// GRS80.
constexpr double DemiGrandAxe = 6378137.0;
constexpr double Aplatissement = 1.0 / 298.257222101;

struct ConiqueConforme {
    double e = 0, n = 0, aF = 0, rho0 = 0, lambda0 = 0, x0 = 0, y0 = 0;

    double m(double phi) const {
        const double s = std::sin(phi);
        return std::cos(phi) / std::sqrt(1.0 - e * e * s * s);
    }
    double t(double phi) const {
        const double s = std::sin(phi);
        return std::tan(Pi / 4.0 - phi / 2.0) / std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0);
    }
};

ConiqueConforme FaitLambert93() {
    ConiqueConforme c;
    c.e = std::sqrt(Aplatissement * (2.0 - Aplatissement));
    const double phi1 = Radians(49.0);
    const double phi2 = Radians(44.0);
    const double phi0 = Radians(46.5);
    const double m1 = c.m(phi1), m2 = c.m(phi2);
    const double t1 = c.t(phi1), t2 = c.t(phi2), t0 = c.t(phi0);
    c.n = (std::log(m1) - std::log(m2)) / (std::log(t1) - std::log(t2));
    c.aF = DemiGrandAxe * m1 / (c.n * std::pow(t1, c.n));
    c.rho0 = c.aF * std::pow(t0, c.n);
    c.lambda0 = Radians(3.0);
    c.x0 = 700000.0;
    c.y0 = 6600000.0;
    return c;
}

const ConiqueConforme& Lambert93Parametres() {
    static const ConiqueConforme c = FaitLambert93();
    return c;
}

// Affine fit from Web Mercator metres to drawing units:
// dessin = A · mercator + B.
constexpr double A11 = 3.7269674e-4, A12 = 1.4112571e-6, B1 = 206.91708;
constexpr double A21 = 7.706578e-8, A22 = -3.7068602e-4, B2 = 2461.29805;
constexpr double RayonMercator = 6378137.0;

} // namespace

PointPlan Lambert93(PointGeo p) {
    const ConiqueConforme& c = Lambert93Parametres();
    const double phi = Radians(p.Latitude);
    const double rho = c.aF * std::pow(c.t(phi), c.n);
    const double theta = c.n * (Radians(p.Longitude) - c.lambda0);
    return {c.x0 + rho * std::sin(theta), c.y0 + c.rho0 - rho * std::cos(theta)};
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
