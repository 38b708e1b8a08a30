// The world map page's host over a real base: place texts, normalisation through the places
// and country files, and what a saved place leaves in the geolocation table.
#include "genealogie/journal_geo.h"
#include "genealogie/services.h"
#include "geoloc/hote_base.h"
#include "host/erreur.h"
#include "tests/genealogie/essai_base.h"

#include <gtest/gtest.h>

using namespace orlavine;

TEST(HotePageMondeBase, TextsNormalisationAndStoredPlaces) {
    test::DossierTemporaire dossier;
    DefinitRepAppData((dossier() / "donnees").string() + "/");
    const auto chemin = dossier / "arbre.sqlite";
    CreeBase(test::ContenuSimple(), chemin);
    TBaseGenealogie base(chemin);
    TGestFichier gestion(base);
    gestion.FicPays.DefinitRecherche([](std::string_view ville, std::string_view,
                                        std::string_view) -> std::optional<CommunePays> {
        if (ville == "Paris") return CommunePays{"75001", 48.8566, 2.3522};
        return std::nullopt;
    });
    geoloc::THotePageMondeBase hote(gestion);

    int paris = 0;
    for (int id = 1; id <= gestion.FicDupli.NombreFiches(); ++id)
        if (hote.TexteLieu(id).rfind("Paris", 0) == 0) paris = id;
    ASSERT_NE(paris, 0);
    EXPECT_EQ(hote.TexteLieu(999), "");

    double lon = 0, lat = 0;
    const std::string texte = hote.NormalizeAddress(lon, lat, "ignorée", paris, "");
    EXPECT_EQ(texte.rfind("Paris; 75001 ; ", 0), 0u) << texte;
    EXPECT_DOUBLE_EQ(lat, 48.8566);
    EXPECT_DOUBLE_EQ(lon, 2.3522);
    lon = lat = 0;
    EXPECT_EQ(hote.NormalizeAddress(lon, lat, "Rue X, 75001, Paris", -1, "lieu-dit"),
              " ; Rue X ;  Paris"); // pieces keep their blanks
    EXPECT_EQ(lat, 0);

    SGeoChps lieu;
    lieu.IdPlace = paris;
    lieu.Etat = EtatCommunePays;
    lieu.Latitude = 48.8566;
    lieu.Longitude = 2.3522;
    hote.EnregistreLieu(lieu);
    auto g = base.Geolocalisation(paris, "");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Etat, EtatCommunePays);
    EXPECT_DOUBLE_EQ(g->Latitude, 48.8566);

    lieu.Latitude = 123.0; // out of range: refused, the stored position kept
    EXPECT_THROW(hote.EnregistreLieu(lieu), Erreur);
    EXPECT_DOUBLE_EQ(base.Geolocalisation(paris, "")->Latitude, 48.8566);

    // Placed by hand: journaled, so that undoing gives the commune's position back.
    lieu.Latitude = 48.8606;
    lieu.Longitude = 2.3376;
    lieu.Etat = EtatPlaceALaMain;
    hote.EnregistreLieu(lieu);
    EXPECT_EQ(base.Geolocalisation(paris, "")->Origine, Provenance::Main);
    TJournalGeo journal(base);
    ASSERT_TRUE(journal.DernierLot());
    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, 1);
    EXPECT_DOUBLE_EQ(base.Geolocalisation(paris, "")->Latitude, 48.8566);
    EXPECT_EQ(base.Geolocalisation(paris, "")->Etat, EtatCommunePays);
    // A place only ever used with a lieu-dit gets no entry of its own.
    lieu.LieuDit = "Pas un lieu-dit de Paris";
    EXPECT_THROW(hote.EnregistreLieu(lieu), Erreur);
    EXPECT_FALSE(base.Geolocalisation(paris, "Pas un lieu-dit de Paris"));
    DefinitRepAppData({});
}
