// The located places written as GeoJSON and KML: what is written for each place, the positions
// read back to 1e-6 (by a small reader here, and by GDAL's ogrinfo when it is installed), the
// escaping of texts and the independence from the locale.
#include "genealogie/base_gedcom.h"
#include "genealogie/services.h"
#include "geoloc/export_lieux.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace orlavine;
using namespace orlavine::geoloc;
namespace fs = std::filesystem;

namespace {

class DossierTemporaire {
public:
    DossierTemporaire() {
        std::string modele = (fs::temp_directory_path() / "orlavine-export-XXXXXX").string();
        chemin_ = ::mkdtemp(modele.data());
    }
    ~DossierTemporaire() {
        std::error_code ec;
        fs::remove_all(chemin_, ec);
    }
    fs::path operator/(const std::string& nom) const { return chemin_ / nom; }

private:
    fs::path chemin_;
};

std::string Lit(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Attendu {
    const char* Lieu;
    const char* LieuDit;
    double Latitude, Longitude;
    int Etat;
    const char* Provenance;
    long Evenements;
    const char* Etiquettes;
};

constexpr const char* Lassigny = "Lassigny, 60310, Oise, Picardie, France";
// By place id, then lieu-dit. Nullepart, placed by hand then deleted, is left out.
const Attendu Attendus[] = {
    {Lassigny, "", 49.5856789, 2.8575123, EtatLocaliseLu, "gedcom", 3, "BAPM, BIRT, MARR"},
    {Lassigny, "Le Pré \"aux Ânes\"", 49.5912345, 2.8432101, EtatLocaliseLu, "gedcom", 1, "DEAT"},
    {"Québec & <Lévis>, , , , Canada", "", 46.8138783, -71.2079809, EtatLocaliseLu, "gedcom", 1,
     "BIRT"},
    {"Hobart, , , Tasmanie, Australie", "", -42.8806549, 147.3250084, EtatValide, "main", 1,
     "BIRT"},
};

class ExportLieux : public ::testing::Test {
protected:
    void SetUp() override {
        ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-export.ged", chemin);
        TBaseGenealogie b(chemin);
        // Hobart validated at a corrected position; Nullepart placed by hand, then deleted.
        ASSERT_TRUE(b.MetAJourGeolocalisation(4, "", -42.8806549, 147.3250084, EtatValide,
                                              Provenance::Main));
        TGeolocalisation faux;
        faux.IdLieu = 3;
        faux.Latitude = 45.5;
        faux.Longitude = 2;
        faux.Etat = EtatPlaceALaMain;
        ASSERT_TRUE(b.AjouteGeolocalisation(faux));
        b.MarqueLieuSupprime(3, true);
    }
    DossierTemporaire dossier;
    fs::path chemin = dossier / "base.sqlite";
};

double Nombre(std::string_view& texte) {
    double v = 0;
    const auto r = std::from_chars(texte.data(), texte.data() + texte.size(), v);
    EXPECT_EQ(r.ec, std::errc()) << texte.substr(0, 20);
    texte.remove_prefix(static_cast<std::size_t>(r.ptr - texte.data()));
    return v;
}

// The (longitude, latitude) pairs after each `marque`, separated by `sep`.
std::vector<std::array<double, 2>> Positions(std::string_view texte, std::string_view marque,
                                             char sep) {
    std::vector<std::array<double, 2>> p;
    for (auto i = texte.find(marque); i != std::string_view::npos; i = texte.find(marque)) {
        texte.remove_prefix(i + marque.size());
        const double lon = Nombre(texte);
        EXPECT_EQ(texte.front(), sep);
        texte.remove_prefix(1);
        p.push_back({lon, Nombre(texte)});
    }
    return p;
}

void VerifiePositions(const std::vector<std::array<double, 2>>& lues, const std::string& ou) {
    ASSERT_EQ(lues.size(), std::size(Attendus)) << ou;
    for (std::size_t i = 0; i < lues.size(); ++i) {
        EXPECT_NEAR(lues[i][0], Attendus[i].Longitude, 1e-6) << ou << ' ' << i;
        EXPECT_NEAR(lues[i][1], Attendus[i].Latitude, 1e-6) << ou << ' ' << i;
    }
}

TEST_F(ExportLieux, EveryLocatedPlaceWithItsFields) {
    TBaseGenealogie b(chemin);
    const std::vector<TLieuExporte> lieux = LieuxLocalises(b);
    ASSERT_EQ(lieux.size(), std::size(Attendus));
    for (std::size_t i = 0; i < lieux.size(); ++i) {
        const TLieuExporte& l = lieux[i];
        const Attendu& a = Attendus[i];
        std::string etiquettes;
        for (const std::string& e : l.Etiquettes)
            etiquettes += (etiquettes.empty() ? "" : ", ") + e;
        EXPECT_EQ(l.Texte, a.Lieu) << i;
        EXPECT_EQ(l.LieuDit, a.LieuDit) << i;
        EXPECT_NEAR(l.Latitude, a.Latitude, 1e-9) << i;
        EXPECT_NEAR(l.Longitude, a.Longitude, 1e-9) << i;
        EXPECT_EQ(l.Etat, a.Etat) << i;
        EXPECT_EQ(NomProvenance(l.Origine), a.Provenance) << i;
        EXPECT_EQ(l.Evenements, a.Evenements) << i;
        EXPECT_EQ(etiquettes, a.Etiquettes) << i;
    }
}

// Both formats, in the C locale then in a French one (decimal comma) when the system has it:
// the same bytes, every position back to 1e-6.
TEST_F(ExportLieux, PositionsReadBackWhateverTheLocale) {
    std::string precedents[2];
    for (const char* locale : {"C", "fr_FR.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        TBaseGenealogie b(chemin);
        const fs::path json = dossier / "lieux.geojson", kml = dossier / "lieux.kml";
        EXPECT_EQ(ExporteLieux(b, json, FormatLieux::GeoJson).Entites, 4);
        EXPECT_EQ(ExporteLieux(b, kml, FormatLieux::Kml).Entites, 4);
        const std::string textes[2] = {Lit(json), Lit(kml)};
        VerifiePositions(Positions(textes[0], "\"coordinates\":[", ','), locale);
        VerifiePositions(Positions(textes[1], "<coordinates>", ','), locale);
        for (int i = 0; i < 2; ++i) {
            if (!precedents[i].empty()) {
                EXPECT_EQ(textes[i], precedents[i]) << locale;
            }
            precedents[i] = textes[i];
        }
        EXPECT_EQ(textes[0].find("\"crs\""), std::string::npos);
        EXPECT_NE(textes[1].find("<kml xmlns=\"http://www.opengis.net/kml/2.2\">"),
                  std::string::npos);
        EXPECT_NE(textes[1].find("<Style id=\"etat7\">"), std::string::npos);
        EXPECT_NE(textes[1].find("<styleUrl>#etat7</styleUrl>"), std::string::npos);
    }
    std::setlocale(LC_ALL, "C");
}

TEST(EcritureLieux, TextsAreEscaped) {
    TLieuExporte l;
    l.Texte = "A \"b\" \\ c & <d> 'e'\tf\x01g, Éé";
    l.Latitude = -0.0000001;
    l.Longitude = 180;
    l.Etat = EtatValide;
    const std::string json = EcritGeoJson({l});
    const std::string kml = EcritKml({l}, "Arbre & <x>");
    const struct {
        const std::string& Texte;
        const char* Morceau;
    } cas[] = {
        {json, "\"lieu\":\"A \\\"b\\\" \\\\ c & <d> 'e'\\tf\\u0001g, Éé\""},
        {json, "\"coordinates\":[180,-0.0000001]"},
        {json, "\"etat_nom\":\"validé\""},
        {kml, "<name>A &quot;b&quot; \\ c &amp; &lt;d&gt; &apos;e&apos;\tf g, Éé</name>"},
        {kml, "<name>Arbre &amp; &lt;x&gt;</name>"},
        {kml, "<coordinates>180,-0.0000001</coordinates>"},
    };
    for (const auto& c : cas)
        EXPECT_NE(c.Texte.find(c.Morceau), std::string::npos) << c.Morceau << "\n" << c.Texte;
}

TEST(EcritureLieux, TheExtensionNamesTheFormat) {
    const struct {
        const char* Fichier;
        bool Connu;
        FormatLieux Format;
    } cas[] = {
        {"lieux.kml", true, FormatLieux::Kml},
        {"/d/Lieux.KML", true, FormatLieux::Kml},
        {"lieux.geojson", true, FormatLieux::GeoJson},
        {"a.b/lieux.JSON", true, FormatLieux::GeoJson},
        {"lieux.kmz", false, FormatLieux::Kml},
        {"lieux", false, FormatLieux::Kml},
        {"kml", false, FormatLieux::Kml},
        {"dossier.kml/lieux", false, FormatLieux::Kml},
    };
    for (const auto& c : cas) {
        FormatLieux f =
            c.Connu && c.Format == FormatLieux::Kml ? FormatLieux::GeoJson : FormatLieux::Kml;
        EXPECT_EQ(FormatLieuxParExtension(c.Fichier, f), c.Connu) << c.Fichier;
        if (c.Connu) {
            EXPECT_EQ(f, c.Format) << c.Fichier;
        }
    }
}

TEST_F(ExportLieux, AFailedWriteNamesTheFileAndKeepsThePreviousOne) {
    TBaseGenealogie b(chemin);
    const fs::path absent = dossier / "absent" / "lieux.kml";
    try {
        ExporteLieux(b, absent, FormatLieux::Kml);
        ADD_FAILURE() << "pas d'erreur";
    } catch (const ErreurGenealogie& e) {
        EXPECT_NE(std::string(e.what()).find(absent.string()), std::string::npos) << e.what();
    }
    const fs::path dossierSortie = dossier / "lieux.geojson";
    fs::create_directory(dossierSortie);
    EXPECT_THROW(ExporteLieux(b, dossierSortie, FormatLieux::GeoJson), ErreurGenealogie);
    EXPECT_TRUE(fs::is_directory(dossierSortie));
}

// GDAL's reader, an independent one, reads both files back: the feature count, every
// position to 1e-6, and the escaped texts as they were.
TEST_F(ExportLieux, OgrinfoReadsBothFilesBack) {
    if (std::system("ogrinfo --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ogrinfo (gdal-bin) absent";
    TBaseGenealogie b(chemin);
    for (const auto& [nom, format] : {std::pair{"lieux.geojson", FormatLieux::GeoJson},
                                      std::pair{"lieux.kml", FormatLieux::Kml}}) {
        const fs::path fichier = dossier / nom;
        ExporteLieux(b, fichier, format);
        const std::string commande = "ogrinfo -ro -al '" + fichier.string() + "' 2>&1";
        std::string sortie;
        if (FILE* f = ::popen(commande.c_str(), "r")) {
            char tampon[4096];
            std::size_t n;
            while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0)
                sortie.append(tampon, n);
            EXPECT_EQ(::pclose(f), 0) << sortie;
        }
        EXPECT_NE(sortie.find("Feature Count: 4\n"), std::string::npos) << sortie;
        VerifiePositions(Positions(sortie, "POINT (", ' '), nom);
        for (const char* texte : {"lieu (String) = Québec & <Lévis>, , , , Canada\n",
                                  "lieu_dit (String) = Le Pré \"aux Ânes\"\n",
                                  "etiquettes (String) = BAPM, BIRT, MARR\n"})
            EXPECT_NE(sortie.find(texte), std::string::npos) << nom << ": " << texte << sortie;
    }
}

} // namespace
