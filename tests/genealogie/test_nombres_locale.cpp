// Numbers written to files under a French locale (decimal comma): the GEDCOM export writes
// points whatever the user's locale.
#include "essai_base.h"
#include "genealogie/base_gedcom.h"
#include "tests/commun/locale_francaise.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

std::string Lit(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(NombresSousLocaleFrancaise, GedcomExportWritesDecimalPoints) {
    test::DossierTemporaire d;
    std::ofstream(d / "arbre.ged", std::ios::binary)
        << "0 HEAD\n1 GEDC\n2 VERS 5.5.1\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n2 PLAC Blois\n"
           "1 DEAT\n2 PLAC Quimper\n1 BURI\n2 PLAC Lima\n0 TRLR\n";
    ImporteGedcom(d / "arbre.ged", d / "b.sqlite");
    ORLAVINE_SOUS_LOCALE_FRANCAISE(locale);
    TBaseGenealogie base(d / "b.sqlite");
    const struct {
        int Id;
        double Lat, Lon;
        const char* Attendu;
    } cas[] = {
        {1, 47.586092, 1.335947, "3 MAP\n4 LATI N47.586092\n4 LONG E1.335947\n"},
        {2, 47.996, -4.102, "3 MAP\n4 LATI N47.996\n4 LONG W4.102\n"},
        {3, -12.0464, -77.0428, "3 MAP\n4 LATI S12.0464\n4 LONG W77.0428\n"},
    };
    for (const auto& c : cas) {
        base.AjouteGeolocalisation(
            {c.Id, "", c.Lat, c.Lon, 4, {}, Provenance::Main, DateMaintenant()});
    }
    EXPECT_EQ(ExporteGedcom(base, d / "sortie.ged").Ecrits, 3u);
    const std::string exporte = Lit(d / "sortie.ged");
    for (const auto& c : cas)
        EXPECT_NE(exporte.find(c.Attendu), std::string::npos) << c.Attendu << "\n" << exporte;
    EXPECT_EQ(exporte.find(','), std::string::npos) << exporte;
}

} // namespace
} // namespace orlavine
