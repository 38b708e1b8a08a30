// Lambert-93 and the map units of the atlas (the drawing's Mercator fit is checked
// through the outlines read from it).
#include "tools/atlas-build/projection.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orlavine::atlasbuild::test {
namespace {

TEST(Lambert93, KnownPoints) {
    // Reference values of the official transformation (RGF93 geographic -> Lambert-93).
    struct Cas {
        double lat, lon, x, y;
    };
    const Cas cas[] = {
        {46.5, 3.0, 700000.0000, 6600000.0000},        // origin of the projection
        {44.0, 3.0, 700000.0000, 6322333.1395},        // on the central meridian
        {48.8566, 2.3522, 652469.0227, 6862035.2594},  // Paris
        {48.3904, -4.4861, 146632.9785, 6836262.3267}, // Brest
        {48.5734, 7.7521, 1050362.6954, 6840899.6472}, // Strasbourg
        {43.2965, 5.3698, 892390.2216, 6247035.2568},  // Marseille
        {42.7000, 9.4500, 1228546.0453, 6199420.6440}, // Bastia
        {51.0343, 2.3768, 656187.4293, 7104461.7744},  // Dunkerque
        {49.0, -1.0, 407437.9894, 6885198.4394},
    };
    for (const Cas& c : cas) {
        const PointPlan p = Lambert93({c.lat, c.lon});
        EXPECT_NEAR(p.X, c.x, 0.01) << c.lat << " " << c.lon;
        EXPECT_NEAR(p.Y, c.y, 0.01) << c.lat << " " << c.lon;
    }
}

TEST(Lambert93, MapUnitsAre208PerKilometreFromTheNorthWestCorner) {
    const PointPlan origine = VersCarte({46.5, 3.0});
    EXPECT_NEAR(origine.X, (700000.0 - 99000.0) * 0.208, 1e-6);
    EXPECT_NEAR(origine.Y, (7120000.0 - 6600000.0) * 0.208, 1e-6);
    // One kilometre north along the central meridian near the origin: about 208 units up.
    const PointPlan nord = VersCarte({46.5 + 1.0 / 111.2, 3.0});
    EXPECT_NEAR(origine.Y - nord.Y, 208.0, 1.0);
    EXPECT_DOUBLE_EQ(nord.X, origine.X);
    // Metropolitan France lies in the positive quarter, within 1,150 km by 1,100 km.
    for (const PointGeo g : {PointGeo{51.09, 2.54}, PointGeo{48.45, -5.1}, PointGeo{41.36, 9.2},
                             PointGeo{49.0, 8.2}}) {
        const PointPlan p = VersCarte(g);
        EXPECT_GT(p.X, 0.0);
        EXPECT_GT(p.Y, 0.0);
        EXPECT_LT(p.X, 1150 * 208.0);
        EXPECT_LT(p.Y, 1100 * 208.0);
    }
}

} // namespace
} // namespace orlavine::atlasbuild::test
