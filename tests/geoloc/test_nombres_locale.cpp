// Degrees shown or sent under a French locale (decimal comma): the separator is the one asked
// for, never the C library's.
#include "geoloc/carte_navigateur.h"
#include "geoloc/page_monde.h"
#include "host/chaines.h"
#include "tests/commun/locale_francaise.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

TEST(NombresSousLocaleFrancaise, DegreesTakeTheSeparatorAsked) {
    ORLAVINE_SOUS_LOCALE_FRANCAISE(locale);
    const struct {
        double Degres;
        char Separateur;
        const char* Attendu;
    } cas[] = {
        {48.85837012345, '.', "48.8583701"},
        {48.85837012345, ',', "48,8583701"},
        {45.0, ',', "45"},
        {45.0, '.', "45"},
        {-1.5, ',', "-1,5"},
        {-0.00000001, '.', "0"},
    };
    for (const auto& c : cas)
        EXPECT_EQ(geoloc::TexteDegres(c.Degres, c.Separateur), c.Attendu) << c.Degres;
    EXPECT_EQ(geoloc::UrlCarteLieu(47.5, -4.25),
              "https://www.openstreetmap.org/?mlat=47.5&mlon=-4.25#map=17/47.5/-4.25");
    EXPECT_EQ(TexteDecimal(47.586092, 6), "47.586092");
    EXPECT_EQ(TexteDecimal(-77.04280001, 6), "-77.0428");
}

} // namespace
} // namespace orlavine
