// The Web Mercator view on known points, both ways, and the Lambert-93 inverse.
#include "monde/projection.h"

#ifdef ORLAVINE_AVEC_ATLASBUILD
#include "tools/atlas-build/projection.h"
#endif

#include <cmath>
#include <gtest/gtest.h>

namespace orlavine::monde {
namespace {

// Metres of Web Mercator (EPSG:3857) per Mercator degree.
constexpr double MetresParDegre = 6378137.0 * 3.14159265358979323846 / 180.0;

TEST(Projection, KnownPointsInWebMercator) {
    // EPSG:3857 northings of three places (metres), as published for Web Mercator (the
    // easting is the longitude itself).
    struct {
        double Lat, Y;
    } connus[] = {
        {48.8566, 6250564.3},   // Paris
        {-33.8688, -4011198.6}, // Sydney
        {0.0, 0.0},
    };
    for (const auto& c : connus) {
        EXPECT_NEAR(MercatorY(c.Lat) * MetresParDegre, c.Y, 1.0) << c.Lat;
        EXPECT_NEAR(LatitudeDepuisMercatorY(c.Y / MetresParDegre), c.Lat, 1e-6); // 0.1 m
    }
    // The world is a square: the Mercator limit sits at y = 180.
    EXPECT_NEAR(MercatorY(LatitudeMaxMercator), 180.0, 1e-9);
    EXPECT_NEAR(MercatorY(89.99), 180.0, 1e-9); // clamped
    EXPECT_NEAR(MercatorY(-90.0), -180.0, 1e-9);
}

TEST(Projection, ScreenAndGeoBothWaysOnAView) {
    TVueMonde v;
    v.Centre = {0.0, 0.0};
    v.PixelsParDegre = 1000.0 / 360.0;
    v.Largeur = 1000;
    v.Hauteur = 1000;
    // The whole world fills the square output.
    const TPointEcran coin = v.VersEcran({LatitudeMaxMercator, -180.0});
    EXPECT_NEAR(coin.X, 0.0, 1e-9);
    EXPECT_NEAR(coin.Y, 0.0, 1e-9);
    const TPointEcran autre = v.VersEcran({-LatitudeMaxMercator, 180.0});
    EXPECT_NEAR(autre.X, 1000.0, 1e-9);
    EXPECT_NEAR(autre.Y, 1000.0, 1e-9);
    const TPointGeo milieu = v.VersGeo(500.0, 500.0);
    EXPECT_NEAR(milieu.Latitude, 0.0, 1e-12);
    EXPECT_NEAR(milieu.Longitude, 0.0, 1e-12);

    // Round trips on views of every size and place.
    for (const TPointGeo centre :
         {TPointGeo{48.85, 2.35}, TPointGeo{-70.0, 170.0}, TPointGeo{0, 0}})
        for (double s : {0.8, 25.0, 450.0, 12000.0}) {
            v.Centre = centre;
            v.PixelsParDegre = s;
            for (double x : {0.0, 137.0, 999.0})
                for (double y : {0.0, 421.0, 999.0}) {
                    const TPointGeo g = v.VersGeo(x, y);
                    if (std::abs(g.Latitude) >= LatitudeMaxMercator - 1e-9) continue;
                    const TPointEcran e = v.VersEcran(g);
                    EXPECT_NEAR(e.X, x, 1e-6);
                    EXPECT_NEAR(e.Y, y, 1e-6);
                }
        }
}

TEST(Projection, ScaleZoomAndPan) {
    TVueMonde v;
    v.Centre = {0.0, 0.0};
    v.FixeDenominateurEchelle(1e6);
    // 1:1M at 96 dpi: 264.58 m per pixel.
    EXPECT_NEAR(v.MetresParPixel(), 264.5833, 1e-3);
    EXPECT_NEAR(v.DenominateurEchelle(), 1e6, 1e-3);
    v.Centre = {60.0, 0.0}; // the same scale in pixels is half the ground length at 60°
    EXPECT_NEAR(v.DenominateurEchelle(), 0.5e6, 1e-3);

    v.Centre = {45.0, 5.0};
    v.PixelsParDegre = 100.0;
    const TPointGeo sous = v.VersGeo(800.0, 100.0);
    v.ZoomeAutour(3.0, 800.0, 100.0);
    EXPECT_NEAR(v.PixelsParDegre, 300.0, 1e-9);
    const TPointEcran e = v.VersEcran(sous);
    EXPECT_NEAR(e.X, 800.0, 1e-6);
    EXPECT_NEAR(e.Y, 100.0, 1e-6);

    const TPointGeo avant = v.VersGeo(500.0, 350.0);
    v.Deplace(-40.0, 25.0);
    const TPointEcran apres = v.VersEcran(avant);
    EXPECT_NEAR(apres.X, 460.0, 1e-6);
    EXPECT_NEAR(apres.Y, 375.0, 1e-6);

    // Nonsense never leaves the map.
    v.ZoomeAutour(1e30, 0, 0);
    EXPECT_EQ(v.PixelsParDegre, TVueMonde::EchelleMax);
    v.ZoomeAutour(0.0, 0, 0);
    v.ZoomeAutour(std::nan(""), 0, 0);
    EXPECT_EQ(v.PixelsParDegre, TVueMonde::EchelleMax);
    v.Deplace(1e12, -1e12);
    EXPECT_LE(std::abs(v.Centre.Longitude), 180.0);
    EXPECT_LE(std::abs(v.Centre.Latitude), LatitudeMaxMercator);

    const TVueMonde europe = VueEnglobante(35, -12, 60, 30, 1000, 700);
    for (const TPointGeo coin : {TPointGeo{35, -12}, TPointGeo{60, 30}}) {
        const TPointEcran c = europe.VersEcran(coin);
        EXPECT_GE(c.X, -1e-6);
        EXPECT_LE(c.X, 1000.0 + 1e-6);
        EXPECT_GE(c.Y, -1e-6);
        EXPECT_LE(c.Y, 700.0 + 1e-6);
    }
}

TEST(Projection, Lambert93Inverse) {
    // The projection's origin, 46.5° N 3° E, is (700000, 6600000).
    const TPointGeo o = GeoDepuisLambert93(700000.0, 6600000.0);
    EXPECT_NEAR(o.Latitude, 46.5, 1e-9);
    EXPECT_NEAR(o.Longitude, 3.0, 1e-9);
    // Along the central meridian a metre north is a metre of northing: 1° is about 111.1 km.
    const TPointGeo n = GeoDepuisLambert93(700000.0, 6600000.0 + 111132.0);
    EXPECT_NEAR(n.Longitude, 3.0, 1e-9);
    EXPECT_NEAR(n.Latitude, 47.5, 5e-3);
#ifdef ORLAVINE_AVEC_ATLASBUILD
    // Against the atlas builder's forward projection, over metropolitan France.
    for (double lat = 41.0; lat <= 51.5; lat += 0.75)
        for (double lon = -5.5; lon <= 10.0; lon += 0.75) {
            const auto p = atlasbuild::Lambert93({lat, lon});
            const TPointGeo g = GeoDepuisLambert93(p.X, p.Y);
            EXPECT_NEAR(g.Latitude, lat, 1e-9);
            EXPECT_NEAR(g.Longitude, lon, 1e-9);
            const auto u = atlasbuild::VersCarte({lat, lon});
            const TPointGeo h = GeoDepuisUnitesAtlas(u.X, u.Y);
            EXPECT_NEAR(h.Latitude, lat, 1e-9);
            EXPECT_NEAR(h.Longitude, lon, 1e-9);
        }
#endif
}

} // namespace
} // namespace orlavine::monde
