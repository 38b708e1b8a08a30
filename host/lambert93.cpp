#include "host/lambert93.h"

#include "host/geometrie.h"

#include <cmath>
#include <numbers>

namespace orlavine {

namespace {

constexpr double Pi = std::numbers::pi;

struct ConiqueConforme {
    static constexpr double DemiGrandAxe = 6378137.0; // GRS80
    static constexpr double Aplatissement = 1.0 / 298.257222101;
    static constexpr double Lambda0 = Radians(3.0);
    static constexpr double X0 = 700000.0, Y0 = 6600000.0;
    double e = 0, n = 0, aF = 0, rho0 = 0;

    ConiqueConforme() {
        e = std::sqrt(Aplatissement * (2.0 - Aplatissement));
        const double phi1 = Radians(49.0), phi2 = Radians(44.0), phi0 = Radians(46.5);
        const double m1 = m(phi1), m2 = m(phi2);
        const double t1 = t(phi1), t2 = t(phi2), t0 = t(phi0);
        n = (std::log(m1) - std::log(m2)) / (std::log(t1) - std::log(t2));
        aF = DemiGrandAxe * m1 / (n * std::pow(t1, n));
        rho0 = aF * std::pow(t0, n);
    }
    double m(double phi) const {
        const double s = std::sin(phi);
        return std::cos(phi) / std::sqrt(1.0 - e * e * s * s);
    }
    double t(double phi) const {
        const double s = std::sin(phi);
        return std::tan(Pi / 4.0 - phi / 2.0) / std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0);
    }
};

const ConiqueConforme& Lambert93() {
    static const ConiqueConforme c;
    return c;
}

} // namespace

TPlanLambert93 VersLambert93(double latitude, double longitude) {
    const ConiqueConforme& c = Lambert93();
    const double rho = c.aF * std::pow(c.t(Radians(latitude)), c.n);
    const double theta = c.n * (Radians(longitude) - ConiqueConforme::Lambda0);
    return {ConiqueConforme::X0 + rho * std::sin(theta),
            ConiqueConforme::Y0 + c.rho0 - rho * std::cos(theta)};
}

void DepuisLambert93(double x, double y, double& latitude, double& longitude) {
    const ConiqueConforme& c = Lambert93();
    const double dx = x - ConiqueConforme::X0;
    const double dy = c.rho0 - (y - ConiqueConforme::Y0);
    const double rho = std::hypot(dx, dy);
    const double theta = std::atan2(dx, dy);
    const double t = std::pow(rho / c.aF, 1.0 / c.n);
    double phi = Pi / 2.0 - 2.0 * std::atan(t);
    for (int i = 0; i < 12; ++i) {
        const double s = std::sin(phi);
        const double suivant =
            Pi / 2.0 - 2.0 * std::atan(t * std::pow((1.0 - c.e * s) / (1.0 + c.e * s), c.e / 2.0));
        if (std::abs(suivant - phi) < 1e-13) {
            phi = suivant;
            break;
        }
        phi = suivant;
    }
    latitude = Degres(phi);
    longitude = Degres(theta / c.n + ConiqueConforme::Lambda0);
}

} // namespace orlavine
