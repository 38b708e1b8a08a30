// The schema change that brought the bulk-geolocation journal: a base of the previous schema
// keeps its geolocation rows and takes the new provenance.
#include "essai_base.h"
#include "genealogie/journal_geo.h"

#include <map>

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

// The user's destructive actions are lots of their own, undone last first, each giving back
// the rows as they were (provenance and date included); a row changed since is left alone.
TEST(JournalGeo, UserActionsAreLotsUndoneLastFirst) {
    DossierTemporaire d;
    CreeBase(ContenuSimple(), d / "b.sqlite");
    TBaseGenealogie base(d / "b.sqlite");
    std::map<std::string, int> id;
    for (const TLieu& l : base.Lieux())
        id[l.Commune] = l.Id;
    const auto initiales = base.Geolocalisations();
    ASSERT_EQ(initiales.size(), 2u); // Lyon, Brest/Recouvrance: read from the file
    auto memes = [&](const std::vector<TGeolocalisation>& attendues, const char* etape) {
        const auto lues = base.Geolocalisations();
        ASSERT_EQ(lues.size(), attendues.size()) << etape;
        for (std::size_t i = 0; i < lues.size(); ++i) {
            EXPECT_EQ(lues[i].IdLieu, attendues[i].IdLieu) << etape;
            EXPECT_EQ(lues[i].LieuDit, attendues[i].LieuDit) << etape;
            EXPECT_EQ(lues[i].Latitude, attendues[i].Latitude) << etape;
            EXPECT_EQ(lues[i].Etat, attendues[i].Etat) << etape;
            EXPECT_EQ(lues[i].Origine, attendues[i].Origine) << etape;
            EXPECT_EQ(lues[i].Date, attendues[i].Date) << etape;
        }
    };

    TJournalGeo journal(base);
    const int etatsLocalises[] = {0, 2, 4, 5, 6};
    journal.PlaceALaMain({id["Paris"], "", 48.85, 2.35, 4, "", Provenance::Main, DateMaintenant()});
    const auto apresMain = base.Geolocalisations();
    EXPECT_TRUE(journal.SupprimeUne(id["Brest"], "Recouvrance"));
    EXPECT_FALSE(journal.SupprimeUne(id["Brest"], "Recouvrance"));
    const auto apresUne = base.Geolocalisations();
    EXPECT_EQ(journal.SupprimeTout(etatsLocalises, "Supprimer toutes les localisations"), 2);
    EXPECT_TRUE(base.Geolocalisations().empty());
    // Nothing left to delete: no empty lot hides the previous one.
    EXPECT_EQ(journal.SupprimeTout(etatsLocalises, "encore"), 0);
    ASSERT_TRUE(journal.DernierLot());
    EXPECT_EQ(journal.DernierLot()->Description, "Supprimer toutes les localisations");
    EXPECT_EQ(journal.DernierLot()->Entrees, 2);

    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, 2);
    memes(apresUne, "supprimer tout");
    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, 1);
    memes(apresMain, "supprimer un lieu");
    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, 1);
    memes(initiales, "placer à la main");
    EXPECT_FALSE(journal.DernierLot());

    // Deleted, then placed again by hand: undoing the deletion keeps the user's new position.
    journal.SupprimeUne(id["Lyon"], "");
    base.AjouteGeolocalisation({id["Lyon"], "", 45.7, 4.8, 4, "", Provenance::Main, {}});
    const TBilanAnnulation b = journal.AnnuleDernierLot();
    EXPECT_EQ(b.Conservees, 1);
    EXPECT_EQ(base.Geolocalisation(id["Lyon"], "")->Latitude, 45.7);
    EXPECT_EQ(base.VerifieIntegrite(), "ok");
}

} // namespace
} // namespace orlavine
