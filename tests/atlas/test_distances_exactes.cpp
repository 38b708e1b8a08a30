// The fast distance gives exactly the extended-precision kilometres, over many pairs.
#include "atlas/carte_france.h"
#include "tests/commun/outils.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace orlavine {
namespace {

using test::Commune;

TCommune Point(float lat, float lon) {
    return Commune("P", "01001", lat, lon);
}

::testing::AssertionResult Egales(const TCommune& a, const TCommune& b) {
    const int rapide = TCarteFrance::DistanceCommunes(a, b);
    const int etendue = TCarteFrance::DistanceCommunesEtendue(a, b);
    if (rapide == etendue) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << a.Latitude << ", " << a.Longitude << ") - (" << b.Latitude << ", "
           << b.Longitude << ") : " << rapide << " au lieu de " << etendue;
}

// Every pair of a sample of the bundled atlas, in both directions.
TEST(DistanceExacte, PairesDeLAtlasLivre) {
    const TCarteFrance carte(ORLAVINE_ATLAS_BUNDLED);
    std::vector<const TCommune*> echantillon;
    for (std::size_t i = 0; i < carte.Communes.size(); i += 11)
        echantillon.push_back(&carte.Communes[i]);
    ASSERT_GT(echantillon.size(), 1000u);
    std::size_t paires = 0;
    for (std::size_t i = 0; i < echantillon.size(); ++i)
        for (std::size_t j = 0; j < echantillon.size(); ++j, ++paires)
            ASSERT_TRUE(Egales(*echantillon[i], *echantillon[j]));
    EXPECT_GT(paires, 1'000'000u);
}

// Points anywhere on the globe, close pairs, near-antipodes and identical points.
TEST(DistanceExacte, PointsAleatoires) {
    std::mt19937 alea(20261206);
    std::uniform_real_distribution<float> lat(-90.0f, 90.0f), lon(-180.0f, 180.0f);
    std::uniform_real_distribution<float> pas(-0.2f, 0.2f);
    for (int k = 0; k < 400'000; ++k) {
        const TCommune a = Point(lat(alea), lon(alea));
        ASSERT_TRUE(Egales(a, Point(lat(alea), lon(alea))));
        ASSERT_TRUE(Egales(a, Point(a.Latitude + pas(alea), a.Longitude + pas(alea))));
        ASSERT_TRUE(Egales(
            a, Point(-a.Latitude + pas(alea) * 0.01f, a.Longitude + 180.0f + pas(alea) * 0.01f)));
        ASSERT_TRUE(Egales(a, a));
    }
}

// The pairs where the rounding half-kilometre is crossed: every float latitude around the
// crossing, so that the last value below and the first above are both checked.
TEST(DistanceExacte, AutourDesDemiKilometres) {
    std::mt19937 alea(7);
    std::uniform_real_distribution<float> lat(41.0f, 51.0f), lon(-5.0f, 9.0f);
    int franchissements = 0;
    for (int k = 0; k < 300; ++k) {
        const TCommune a = Point(lat(alea), lon(alea));
        const float lonB = lon(alea);
        // Walk north from a in steps small enough to meet each kilometre.
        float b = a.Latitude - 1.0f;
        int precedent = TCarteFrance::DistanceCommunesEtendue(a, Point(b, lonB));
        for (float suivant = b + 0.004f; suivant < a.Latitude + 1.0f; suivant += 0.004f) {
            const int d = TCarteFrance::DistanceCommunesEtendue(a, Point(suivant, lonB));
            if (d != precedent) {
                // Bisect on the floats down to two neighbours, then check a few either side.
                float bas = b, haut = suivant;
                while (std::nextafter(bas, haut) < haut) {
                    const float milieu = bas + (haut - bas) / 2;
                    if (milieu <= bas || milieu >= haut) break;
                    if (TCarteFrance::DistanceCommunesEtendue(a, Point(milieu, lonB)) == precedent)
                        bas = milieu;
                    else
                        haut = milieu;
                }
                float x = bas;
                for (int n = 0; n < 8; ++n)
                    x = std::nextafter(x, -1000.0f);
                for (int n = 0; n < 17; ++n, x = std::nextafter(x, 1000.0f))
                    ASSERT_TRUE(Egales(a, Point(x, lonB)));
                ++franchissements;
                if (franchissements % 50 == 0) break; // enough for this town
            }
            precedent = d;
            b = suivant;
        }
    }
    EXPECT_GT(franchissements, 1000);
}

} // namespace
} // namespace orlavine
