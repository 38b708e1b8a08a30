// The world map's projection: spherical Web Mercator over a view (centre, scale, output
// size), from degrees to screen pixels and back. Angles in decimal degrees (WGS84), screen
// in pixels with x to the right and y downwards, (0, 0) at the top-left corner of the output.
//
// The Mercator plane is kept in "Mercator degrees": x is the longitude itself and y is
// ln(tan(pi/4 + lat/2)) turned into degrees, so that one unit in x or y is the same length
// and a view's scale is simply pixels per degree of longitude.
#pragma once

namespace orlavine::monde {

struct TPointGeo {
    double Latitude = 0.0;  // degrees, north positive
    double Longitude = 0.0; // degrees, east positive
    friend bool operator==(const TPointGeo&, const TPointGeo&) = default;
};

struct TPointEcran {
    double X = 0.0; // pixels
    double Y = 0.0; // pixels, downwards
};

// Web Mercator stops at the latitude where the world becomes a square.
inline constexpr double LatitudeMaxMercator = 85.0511287798066;
// Mean radius of the sphere of Web Mercator, in metres.
inline constexpr double RayonTerreMetres = 6378137.0;
// Screen resolution assumed for scale ratios (1:N): 96 pixels per inch.
inline constexpr double MetresParPixelEcran = 0.0254 / 96.0;

// Mercator y (degrees) of a latitude, clamped to the Mercator limits, and back.
double MercatorY(double latitude);
double LatitudeDepuisMercatorY(double y);

// The view: which point is at the centre of the output, at what scale, on how many pixels.
struct TVueMonde {
    TPointGeo Centre{46.5, 2.5};
    double PixelsParDegre = 1.0; // screen pixels per degree of longitude
    int Largeur = 1000;          // output size, pixels
    int Hauteur = 700;

    // Screen position of a geographic point (may lie outside the output).
    TPointEcran VersEcran(TPointGeo p) const;
    // Geographic point under a screen position; latitudes beyond the Mercator limits are
    // clamped to them, longitudes are not wrapped.
    TPointGeo VersGeo(double x, double y) const;
    TPointGeo VersGeo(TPointEcran p) const { return VersGeo(p.X, p.Y); }

    // Ground metres per screen pixel at the centre's latitude.
    double MetresParPixel() const;
    // Denominator N of the scale 1:N at 96 pixels per inch, at the centre's latitude.
    double DenominateurEchelle() const;
    // The same view at the scale 1:N.
    void FixeDenominateurEchelle(double n);

    // Multiplies the scale by `facteur` keeping the geographic point under (x, y) in place;
    // the scale stays within [EchelleMin, EchelleMax].
    void ZoomeAutour(double facteur, double x, double y);
    // Moves the map by (dx, dy) pixels (the content follows the mouse).
    void Deplace(double dx, double dy);
    // Keeps the centre on the map: latitude within the Mercator limits, longitude within
    // [-180, 180].
    void Borne();

    // Limits of the scale: the whole world on 256 pixels, and about 1:20 000.
    static constexpr double EchelleMin = 256.0 / 360.0;
    static constexpr double EchelleMax = 20000.0;
};

// The smallest-scale view of `largeur` x `hauteur` pixels that shows the box from (sud,
// ouest) to (nord, est).
TVueMonde VueEnglobante(double sud, double ouest, double nord, double est, int largeur,
                        int hauteur);

// Lambert-93 (RGF93 on GRS80, the atlas's projection) back to degrees: easting and northing
// in metres.
TPointGeo GeoDepuisLambert93(double x, double y);
// The atlas's map units (208 per km, y downwards, from Lambert-93) back to degrees.
TPointGeo GeoDepuisUnitesAtlas(double x, double y);

} // namespace orlavine::monde
