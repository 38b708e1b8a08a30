#include "monde/projection.h"

#include "host/geometrie.h"
#include "host/lambert93.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orlavine::monde {

namespace {

constexpr double Pi = std::numbers::pi;

// Ground length of one degree of longitude at the equator, metres.
constexpr double MetresParDegreEquateur = 2.0 * Pi * RayonTerreMetres / 360.0;

} // namespace

double MercatorY(double latitude) {
    const double phi = Radians(std::clamp(latitude, -LatitudeMaxMercator, LatitudeMaxMercator));
    return Degres(std::log(std::tan(Pi / 4.0 + phi / 2.0)));
}

double LatitudeDepuisMercatorY(double y) {
    const double lat = Degres(2.0 * std::atan(std::exp(Radians(y))) - Pi / 2.0);
    return std::clamp(lat, -LatitudeMaxMercator, LatitudeMaxMercator);
}

TPointEcran TVueMonde::VersEcran(TPointGeo p) const {
    return {Largeur / 2.0 + (p.Longitude - Centre.Longitude) * PixelsParDegre,
            Hauteur / 2.0 - (MercatorY(p.Latitude) - MercatorY(Centre.Latitude)) * PixelsParDegre};
}

TPointGeo TVueMonde::VersGeo(double x, double y) const {
    const double my = MercatorY(Centre.Latitude) - (y - Hauteur / 2.0) / PixelsParDegre;
    return {LatitudeDepuisMercatorY(my), Centre.Longitude + (x - Largeur / 2.0) / PixelsParDegre};
}

double TVueMonde::MetresParPixel() const {
    return MetresParDegreEquateur * std::cos(Radians(Centre.Latitude)) / PixelsParDegre;
}

double TVueMonde::DenominateurEchelle() const {
    return MetresParPixel() / MetresParPixelEcran;
}

void TVueMonde::FixeDenominateurEchelle(double n) {
    const double mpp = n * MetresParPixelEcran;
    PixelsParDegre = std::clamp(MetresParDegreEquateur * std::cos(Radians(Centre.Latitude)) / mpp,
                                EchelleMin, EchelleMax);
}

void TVueMonde::ZoomeAutour(double facteur, double x, double y) {
    if (!(facteur > 0.0) || !std::isfinite(facteur)) return;
    // The Mercator point under (x, y) stays under (x, y).
    const double mx = Centre.Longitude + (x - Largeur / 2.0) / PixelsParDegre;
    const double my = MercatorY(Centre.Latitude) - (y - Hauteur / 2.0) / PixelsParDegre;
    PixelsParDegre = std::clamp(PixelsParDegre * facteur, EchelleMin, EchelleMax);
    Centre.Longitude = mx - (x - Largeur / 2.0) / PixelsParDegre;
    Centre.Latitude = LatitudeDepuisMercatorY(my + (y - Hauteur / 2.0) / PixelsParDegre);
    Borne();
}

void TVueMonde::Deplace(double dx, double dy) {
    Centre.Longitude -= dx / PixelsParDegre;
    Centre.Latitude = LatitudeDepuisMercatorY(MercatorY(Centre.Latitude) + dy / PixelsParDegre);
    Borne();
}

void TVueMonde::Borne() {
    if (!std::isfinite(Centre.Latitude)) Centre.Latitude = 0.0;
    if (!std::isfinite(Centre.Longitude)) Centre.Longitude = 0.0;
    if (!std::isfinite(PixelsParDegre)) PixelsParDegre = EchelleMin;
    PixelsParDegre = std::clamp(PixelsParDegre, EchelleMin, EchelleMax);
    Centre.Latitude = std::clamp(Centre.Latitude, -LatitudeMaxMercator, LatitudeMaxMercator);
    Centre.Longitude = std::clamp(Centre.Longitude, -180.0, 180.0);
}

TVueMonde VueEnglobante(double sud, double ouest, double nord, double est, int largeur,
                        int hauteur) {
    TVueMonde v;
    v.Largeur = std::max(1, largeur);
    v.Hauteur = std::max(1, hauteur);
    const double yS = MercatorY(std::min(sud, nord)), yN = MercatorY(std::max(sud, nord));
    const double l = std::max(1e-9, std::abs(est - ouest));
    const double h = std::max(1e-9, yN - yS);
    v.PixelsParDegre = std::min(v.Largeur / l, v.Hauteur / h);
    v.Centre = {LatitudeDepuisMercatorY((yS + yN) / 2.0), (ouest + est) / 2.0};
    v.Borne();
    return v;
}

TPointGeo GeoDepuisLambert93(double x, double y) {
    TPointGeo p;
    DepuisLambert93(x, y, p.Latitude, p.Longitude);
    return p;
}

TPointGeo GeoDepuisUnitesAtlas(double x, double y) {
    // Map units: x = (E - 99000) * 0.208, y = (7120000 - N) * 0.208.
    return GeoDepuisLambert93(x / 0.208 + 99000.0, 7120000.0 - y / 0.208);
}

} // namespace orlavine::monde
