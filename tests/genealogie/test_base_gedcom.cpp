#include "essai_base.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/services.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine {
namespace {

using test::DossierTemporaire;
namespace fs = std::filesystem;

// Our own small file: CRLF line ends, a FORM in the header, a located birth in Rennes, a death
// at a lieu-dit of Rennes, a birth in Vitré, a marriage in Rennes, an unknown tag.
std::string Fixture() {
    const char* lignes[] = {
        "0 HEAD",
        "1 SOUR Essai",
        "1 GEDC",
        "2 VERS 5.5.1",
        "1 CHAR UTF-8",
        "1 PLAC",
        "2 FORM Lieudit, Commune, Code_INSEE, Département, Région, Pays",
        "0 @I1@ INDI",
        "1 NAME Jean /Dupont/",
        "1 BIRT",
        "2 DATE 1 JAN 1900",
        "2 PLAC , Rennes, 35238, Ille-et-Vilaine, Bretagne, France", // line 12
        "3 MAP",
        "4 LATI N48.1147",
        "4 LONG W1.6794",
        "1 DEAT",
        "2 PLAC Le Moulin, Rennes, 35238, Ille-et-Vilaine, Bretagne, France", // line 17
        "0 @I2@ INDI",
        "1 NAME Marie /Martin/",
        "1 BIRT",
        "2 PLAC , Vitré, 35360, Ille-et-Vilaine, Bretagne, France", // line 21
        "1 _INCONNU valeur",
        "0 @F1@ FAM",
        "1 HUSB @I1@",
        "1 WIFE @I2@",
        "1 MARR",
        "2 PLAC , Rennes, 35238, Ille-et-Vilaine, Bretagne, France", // line 27
        "0 TRLR",
    };
    std::string texte;
    for (const char* l : lignes)
        texte += std::string(l) + "\r\n";
    return texte;
}

std::string Octets(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The lines of a file without its MAP/LATI/LONG lines.
std::string SansCoordonnees(const std::string& texte) {
    std::istringstream in(texte);
    std::string ligne, reste;
    while (std::getline(in, ligne))
        if (ligne.find(" MAP") == std::string::npos && ligne.find(" LATI ") == std::string::npos &&
            ligne.find(" LONG ") == std::string::npos)
            reste += ligne + "\n";
    return reste;
}

class BaseGedcom : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(d_ / "arbre.ged", std::ios::binary) << Fixture(); }
    DossierTemporaire d_;
};

TEST_F(BaseGedcom, RoundTripThroughTheBase) {
    const ResultatImport r = ImporteGedcom(d_ / "arbre.ged", d_ / "b.sqlite");
    EXPECT_EQ(r.Comptes.Individus, 2);
    EXPECT_EQ(r.Comptes.Familles, 1);
    EXPECT_EQ(r.Comptes.Evenements, 4);
    EXPECT_EQ(r.Comptes.Lieux, 2);
    EXPECT_EQ(r.Comptes.LieuxDits, 1);
    EXPECT_EQ(r.Comptes.CoordonneesLues, 1);

    TBaseGenealogie base(d_ / "b.sqlite");
    const auto lieux = base.Lieux();
    ASSERT_EQ(lieux.size(), 2u);
    EXPECT_EQ(lieux[0].Commune, "Rennes");
    EXPECT_EQ(lieux[0].CodeInsee, "35238");
    EXPECT_EQ(lieux[1].Commune, "Vitré");
    const auto evenements = base.EvenementsParLieu();
    ASSERT_EQ(evenements.size(), 4u);
    EXPECT_EQ(evenements[0].LignePlac, 12);
    EXPECT_EQ(evenements[1].LignePlac, 27);
    EXPECT_EQ(evenements[2].LieuDit, "Le Moulin");
    const auto geo = base.Geolocalisation(1, "");
    ASSERT_TRUE(geo);
    EXPECT_NEAR(geo->Latitude, 48.1147, 1e-9);
    EXPECT_NEAR(geo->Longitude, -1.6794, 1e-9);
    EXPECT_EQ(geo->Etat, EtatLuDansGedcom);

    // Nothing changed: the same bytes.
    EXPECT_EQ(ExporteGedcom(base, d_ / "sortie.ged").Ecrits, 0u);
    EXPECT_EQ(Octets(d_ / "sortie.ged"), Fixture());

    // Rennes moved by hand, Vitré located from the atlas, the lieu-dit validated as is.
    TModuleBDD module(base);
    SGeoChps rennes(1, "", 48.11f, -1.68f, EtatPlaceALaMain);
    module.UpdateCoordGeo(&rennes);
    SGeoChps vitre(2, "", 48.1245f, -1.2089f, EtatCommunePays);
    module.AjouterEltTableGeo(&vitre);
    EXPECT_EQ(ExporteGedcom(base, d_ / "sortie.ged").Ecrits, 3u);
    const std::string exporte = Octets(d_ / "sortie.ged");
    EXPECT_EQ(SansCoordonnees(exporte), SansCoordonnees(Fixture()));
    EXPECT_NE(exporte.find("3 MAP\r\n4 LATI N48.11\r\n4 LONG W1.68\r\n1 DEAT"), std::string::npos)
        << exporte;
    EXPECT_EQ(Octets(d_ / "arbre.ged"), Fixture());

    // The exported file brings the new positions back in.
    ImporteGedcom(d_ / "sortie.ged", d_ / "relue.sqlite");
    TBaseGenealogie relue(d_ / "relue.sqlite");
    const auto geos = relue.Geolocalisations();
    ASSERT_EQ(geos.size(), 2u);
    EXPECT_NEAR(geos[0].Latitude, 48.11, 1e-6);
    EXPECT_NEAR(geos[1].Longitude, -1.2089, 1e-6);
    EXPECT_EQ(geos[1].Origine, Provenance::Gedcom);

    // A deleted position takes the PLAC's MAP away.
    module.DeleteLacatedPlaces(1, "");
    ExporteGedcom(base, d_ / "sans.ged");
    const std::string sans = Octets(d_ / "sans.ged");
    EXPECT_EQ(sans.find("N48.1147"), std::string::npos);
    EXPECT_EQ(SansCoordonnees(sans), SansCoordonnees(Fixture()));
}

TEST_F(BaseGedcom, FailuresLeaveEverythingAsItWas) {
    ImporteGedcom(d_ / "arbre.ged", d_ / "b.sqlite");
    const std::string avant = Octets(d_ / "b.sqlite");

    // Refused: the base exists.
    OptionsImportGedcom o;
    EXPECT_THROW(ImporteGedcom(d_ / "arbre.ged", d_ / "b.sqlite", o), ErreurGenealogie);
    // Not a GEDCOM file, missing file: the old base stays, with replacement asked.
    std::ofstream(d_ / "faux.ged") << "ceci n'est pas un fichier GEDCOM\n";
    o.Remplacer = true;
    EXPECT_THROW(ImporteGedcom(d_ / "faux.ged", d_ / "b.sqlite", o), ErreurGenealogie);
    try {
        ImporteGedcom(d_ / "absent.ged", d_ / "b.sqlite", o);
        ADD_FAILURE();
    } catch (const ErreurGenealogie& e) {
        EXPECT_NE(std::string(e.what()).find("absent.ged"), std::string::npos);
    }
    // Cancelled while reading and while writing.
    for (int seuil : {0, 60}) {
        o.Progression = [seuil](int p) { return p <= seuil; };
        EXPECT_THROW(ImporteGedcom(d_ / "arbre.ged", d_ / "b.sqlite", o), ImportAnnule);
    }
    EXPECT_EQ(Octets(d_ / "b.sqlite"), avant);

    // The GEDCOM file named as the base to replace: refused, the file kept.
    o.Progression = nullptr;
    EXPECT_THROW(ImporteGedcom(d_ / "arbre.ged", d_ / "arbre.ged", o), ErreurGenealogie);
    EXPECT_EQ(Octets(d_ / "arbre.ged"), Fixture());

    // An export over a base, or into a missing folder: a French message naming the file,
    // nothing written.
    TBaseGenealogie base(d_ / "b.sqlite");
    EXPECT_THROW(ExporteGedcom(base, d_ / "b.sqlite"), ErreurGenealogie);
    try {
        ExporteGedcom(base, d_ / "absent" / "sortie.ged");
        ADD_FAILURE();
    } catch (const ErreurGenealogie& e) {
        EXPECT_NE(std::string(e.what()).find("sortie.ged"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("inexistant"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace orlavine
