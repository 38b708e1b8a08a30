// The schema change that brought the bulk-geolocation journal: a base of the previous schema
// keeps its geolocation rows and takes the new provenance.
#include "essai_base.h"
#include "genealogie/journal_geo.h"

namespace orlavine {
namespace {

using test::ContenuSimple;
using test::DossierTemporaire;

TEST(JournalGeo, ABaseOfThePreviousSchemaIsMigratedWithItsRows) {
    DossierTemporaire d;
    CreeBase(ContenuSimple(), d / "b.sqlite");
    std::vector<TGeolocalisation> avant;
    {
        TBaseGenealogie base(d / "b.sqlite");
        avant = base.Geolocalisations();
        ASSERT_FALSE(avant.empty());
        // Back to the previous schema: no journal, the former provenance check.
        base.Connexion().Execute(
            "DROP TABLE geoloc_journal; DROP TABLE geoloc_lots;"
            "CREATE TABLE g1(lieu INTEGER NOT NULL REFERENCES lieux(id), lieu_dit TEXT NOT NULL "
            "DEFAULT '', latitude REAL NOT NULL DEFAULT 0, longitude REAL NOT NULL DEFAULT 0, "
            "etat INTEGER NOT NULL, adresse TEXT NOT NULL DEFAULT '', provenance TEXT NOT NULL "
            "CHECK (provenance IN ('gedcom', 'atlas', 'geocodeur', 'main')), date TEXT NOT "
            "NULL, PRIMARY KEY (lieu, lieu_dit)) WITHOUT ROWID;"
            "INSERT INTO g1 SELECT * FROM geolocalisation; DROP TABLE geolocalisation;"
            "ALTER TABLE g1 RENAME TO geolocalisation; PRAGMA user_version = 1;");
    }
    TBaseGenealogie base(d / "b.sqlite");
    EXPECT_EQ(base.Connexion().Entier("PRAGMA user_version"), TBaseGenealogie::VersionSchema);
    const auto apres = base.Geolocalisations();
    ASSERT_EQ(apres.size(), avant.size());
    for (std::size_t i = 0; i < apres.size(); ++i) {
        EXPECT_EQ(apres[i].IdLieu, avant[i].IdLieu);
        EXPECT_EQ(apres[i].Latitude, avant[i].Latitude);
        EXPECT_EQ(apres[i].Origine, avant[i].Origine);
        EXPECT_EQ(apres[i].Date, avant[i].Date);
    }
    TGeolocalisation g;
    g.IdLieu = 1;
    g.LieuDit = "Montmartre";
    g.Latitude = 48.88;
    g.Longitude = 2.34;
    g.Etat = 5;
    g.Origine = Provenance::GeocodeurEnLigne;
    TJournalGeo journal(base);
    {
        TransactionSqlite t(base.Connexion());
        const auto lot = journal.OuvreLot("essai");
        EXPECT_TRUE(journal.Enregistre(lot, g));
        t.Valide();
    }
    EXPECT_EQ(base.Geolocalisation(1, "Montmartre")->Origine, Provenance::GeocodeurEnLigne);
    EXPECT_EQ(base.VerifieIntegrite(), "ok");
}

} // namespace
} // namespace orlavine
