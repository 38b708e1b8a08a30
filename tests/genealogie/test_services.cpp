#include "essai_base.h"
#include "genealogie/services_liste.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace orlavine {
namespace {

using test::DossierTemporaire;
using test::Ev;
using test::LieuDe;

// A base whose events come in no particular order, with lieux-dits whose byte order differs
// from their alphabetical order ("Z" < "a").
class Services : public ::testing::Test {
protected:
    void SetUp() override {
        TContenuImport c;
        c.NomFichier = "arbre.ged";
        c.Evenements = {
            Ev(10, LieuDe("Rennes", "35000")),           // place 1
            Ev(20, LieuDe("Vitré", "35500"), "le Bois"), // place 2
            Ev(30, LieuDe("Rennes", "35000"), "Zénith"),
            Ev(40, LieuDe("Vitré", "35500"), "La Roche", 48.12, -1.2), // located lieu-dit
            Ev(50, LieuDe("Rennes", "35000"), "Alma"),
            Ev(60, LieuDe("Rennes", "35000")),
            Ev(70, LieuDe("Dol", "35120")),                       // place 3, deleted
            Ev(80, LieuDe("Fougères", "35300"), "", 48.35, -1.2), // place 4, located
        };
        c.Evenements[1].Lieu.CodeInsee = "35360";
        CreeBase(c, dossier_ / "b.sqlite");
        base_ = std::make_unique<TBaseGenealogie>(dossier_ / "b.sqlite");
        base_->MarqueLieuSupprime(3, true);
        gestion_ = std::make_unique<TGestFichier>(*base_);
    }
    DossierTemporaire dossier_;
    std::unique_ptr<TBaseGenealogie> base_;
    std::unique_ptr<TGestFichier> gestion_;
};

TEST_F(Services, EventsTraversalByPlace) {
    TFicEvens& f = gestion_->FicEvens;
    TEvenement ev(&f, -3);
    const int n = f.PreProcessSearch("", "ParLieu", 1, false);
    ASSERT_EQ(n, 8);
    std::vector<std::pair<int, std::string>> vus;
    std::vector<long> lignes;
    for (int k = 0; k < n; ++k) {
        ASSERT_TRUE(f.GetEvenParcours(ev, -1));
        vus.emplace_back(ev.IdPlace, ev.LieuDit);
        lignes.push_back(ev.LignePlac);
    }
    EXPECT_FALSE(f.GetEvenParcours(ev, -1));
    f.PostProcessSearch();
    const std::vector<std::pair<int, std::string>> attendus = {
        {1, ""},         {1, ""},        {1, "Alma"}, {1, "Zénith"},
        {2, "La Roche"}, {2, "le Bois"}, {3, ""},     {4, ""}};
    EXPECT_EQ(vus, attendus);
    EXPECT_EQ(lignes[0], 10); // file order among equals
    EXPECT_EQ(lignes[1], 60);
    EXPECT_EQ(f.PreProcessSearch("", "ParDate", 1, false), 0);
}

TEST_F(Services, PlacesFile) {
    const TFicDupli& f = gestion_->FicDupli;
    EXPECT_EQ(f.NombreFiches(), 4);
    EXPECT_EQ(f.Charge(2), "Vitré, 35500, France");
    EXPECT_EQ(f.Charge(0), "");
    EXPECT_EQ(f.Charge(5), "");

    TFicheDupli fiche(&f, 2, true);
    EXPECT_EQ(fiche.CodeCommune, "35360");
    std::string ville, region, pays;
    fiche.Texte.GetVilleRegionPays(ville, region, pays);
    EXPECT_EQ(ville, "Vitré");
    EXPECT_EQ(pays, "France");
    EXPECT_EQ(fiche.Texte.ChargeElement(0x87, 0x3c), "Vitré, 35500, France");
    EXPECT_FALSE(fiche.Texte.IsFicheSupprimee());

    TFicheDupli tard(&f, 0, false);
    EXPECT_TRUE(tard.LectureMemoire(3));
    EXPECT_TRUE(tard.Texte.IsFicheSupprimee());
    EXPECT_FALSE(tard.LectureMemoire(9));
    EXPECT_EQ(tard.Texte.ChargeElement(), "");
}

TEST_F(Services, GeolocationTable) {
    TModuleBDD& m = gestion_->ModuleBDD;
    SGeoChps roche(2, "La Roche", 0, 0, 1);
    SGeoChps rocheMinuscule(2, "la roche", 0, 0, 1);
    EXPECT_TRUE(m.IsEltTableGeoExist(&roche));
    EXPECT_FALSE(m.IsEltTableGeoExist(&rocheMinuscule));

    // Placed by hand from the "not located" list: stored although the table lacked it.
    SGeoChps alma(1, "Alma", 48.1f, -1.68f, EtatPlaceALaMain);
    m.UpdateCoordGeo(&alma, false);
    ASSERT_TRUE(base_->Geolocalisation(1, "Alma"));
    EXPECT_EQ(base_->Geolocalisation(1, "Alma")->Origine, Provenance::Main);
    SGeoChps rennes(1, "", 48.11f, -1.68f, EtatCommunePays);
    m.AjouterEltTableGeo(&rennes, false);
    EXPECT_EQ(base_->Geolocalisation(1, "")->Origine, Provenance::Atlas);
    // The search address the user chose is kept with the position; a store without one
    // (validating, a bulk run) leaves it as it was.
    SGeoChps choisie(1, "", 48.114f, -1.68f, EtatPlaceALaMain, "Rennes ; Ille-et-Vilaine");
    m.UpdateCoordGeo(&choisie, false);
    EXPECT_EQ(base_->Geolocalisation(1, "")->Adresse, "Rennes ; Ille-et-Vilaine");
    SGeoChps validee(1, "", 48.114f, -1.68f, EtatValide);
    m.UpdateCoordGeo(&validee, false);
    EXPECT_EQ(base_->Geolocalisation(1, "")->Adresse, "Rennes ; Ille-et-Vilaine");
    EXPECT_EQ(base_->Geolocalisation(1, "")->Etat, EtatValide);
    SGeoChps zenith(1, "Zénith", 48.1f, -1.6f, EtatValide);
    m.AjouterEltTableGeo(&zenith, false);
    SGeoChps bois(2, "le Bois", 0, 0, EtatNonLocalise);
    m.AjouterEltTableGeo(&bois, false);

    // The list of the table skips deleted places and follows the cancel flag.
    TListePlaces liste;
    std::vector<int> positions;
    TProgressRappel barre([&](int p) { positions.push_back(p); });
    m.GetListLocatedPlaces(liste, nullptr, &barre);
    ASSERT_EQ(liste.size(), 6u);
    EXPECT_EQ(liste[0]->LieuDit, "");
    EXPECT_EQ(liste[1]->LieuDit, "Alma");
    EXPECT_FLOAT_EQ(static_cast<float>(liste[1]->Latitude), 48.1f);
    EXPECT_EQ(positions.back(), 100);
    bool annuler = false;
    TListePlaces coupee;
    TProgressRappel arret([&](int) { annuler = true; });
    m.GetListLocatedPlaces(coupee, &annuler, &arret);
    EXPECT_EQ(coupee.size(), 1u);

    // Delete by filter: only the states the filter shows.
    m.DeleteAllLacatedPlaces(FilterPlaceCheck);
    EXPECT_FALSE(base_->Geolocalisation(1, "Zénith"));
    EXPECT_TRUE(base_->Geolocalisation(2, "le Bois"));
    m.DeleteAllLacatedPlaces(FilterNotLocate);
    EXPECT_FALSE(base_->Geolocalisation(2, "le Bois"));
    EXPECT_TRUE(base_->Geolocalisation(1, "Alma"));
    m.DeleteAllLacatedPlaces(FilterLocate);
    EXPECT_TRUE(base_->Geolocalisations().empty());

    m.AjouterEltTableGeo(&alma, false);
    m.DeleteLacatedPlaces(1, "Alma");
    EXPECT_FALSE(m.IsEltTableGeoExist(&alma));
}

TEST_F(Services, PlaceToolListAddsWhatTheTableLacks) {
    // A second record with Rennes' text: its events count for the first, and it is listed
    // only when the table holds it.
    auto& c = base_->Connexion();
    c.Execute("INSERT INTO lieux(id, texte, commune) VALUES (5, 'Rennes, 35000, France', "
              "'Rennes')");
    c.Execute("INSERT INTO evenements(lieu, lieu_dit, ligne_plac) VALUES (5, 'Bréquigny', 90)");
    gestion_->FicDupli.Recharge();

    bool annuler = false;
    TListePlaces liste = InitListPlaces(*gestion_, &annuler);
    std::vector<std::tuple<int, std::string, int>> vus;
    for (const auto& e : liste)
        vus.emplace_back(e->IdPlace, e->LieuDit, e->Etat);
    // Table rows first (Vitré "La Roche", Fougères), then by place: Rennes used without
    // lieu-dit and its lieux-dits in byte order (Bréquigny from record 5 counts for record 1);
    // Vitré only through its lieu-dit "le Bois"; Dol is deleted.
    const std::vector<std::tuple<int, std::string, int>> attendus = {
        {2, "La Roche", 2},  {4, "", 2},       {1, "", 3},       {1, "Alma", 3},
        {1, "Bréquigny", 3}, {1, "Zénith", 3}, {2, "le Bois", 3}};
    EXPECT_EQ(vus, attendus);
    EXPECT_EQ(FindPlaceInList(liste, 1, "Alma"), 3);
    EXPECT_EQ(FindPlaceInList(liste, 1, "alma"), -1);

    EXPECT_TRUE(ApplyFilter(liste[0].get(), FilterLocate));
    EXPECT_TRUE(ApplyFilter(liste[2].get(), FilterNotLocate));
    EXPECT_FALSE(ApplyFilter(liste[2].get(), FilterPlaceCheck));
    SGeoChps inconnu(1, "", 0, 0, 9);
    for (auto f : {FilterLocate, FilterNotLocate, FilterPlaceCheck})
        EXPECT_FALSE(ApplyFilter(&inconnu, f));

    // Record 5 in the table: listed from the table, not added again.
    SGeoChps cinq(5, "", 48.1f, -1.7f, 4);
    gestion_->ModuleBDD.AjouterEltTableGeo(&cinq);
    liste = InitListPlaces(*gestion_);
    EXPECT_EQ(FindPlaceInList(liste, 5, ""), 2);
    EXPECT_EQ(
        std::count_if(liste.begin(), liste.end(), [](const auto& e) { return e->IdPlace == 5; }),
        1);

    // Cancelled during the places: the events loop stops after its first event.
    TProgressRappel barre([&](int) { annuler = true; });
    annuler = false;
    liste = InitListPlaces(*gestion_, &annuler, &barre);
    EXPECT_LT(liste.size(), 4u);
}

TEST(ServicesHote, SettingsLogAndCountryFile) {
    DossierTemporaire d;
    DefinitRepAppData(d().string());
    EXPECT_EQ(asRepAppData(), d().string() + "/");
    EXPECT_EQ(asPaysParDefaut(), "France");
    ASSERT_TRUE(DefinitPaysParDefaut(""));
    EXPECT_EQ(asPaysParDefaut(), "");
    ASSERT_TRUE(DefinitPaysParDefaut("Belgique"));
    EXPECT_EQ(asPaysParDefaut(), "Belgique");

    EXPECT_TRUE(AddLog(" - Tools : Geolocalisation via BDD : Rennes", "", ""));
    EXPECT_TRUE(AddLog("ReInit BDD Location \r\nAdresse non localisé : x", "a", "b"));
    std::ifstream f(CheminLog());
    std::string l1, l2, l3;
    std::getline(f, l1);
    std::getline(f, l2);
    EXPECT_FALSE(std::getline(f, l3));
    const std::regex date(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )");
    EXPECT_TRUE(std::regex_search(l1, date)) << l1;
    EXPECT_EQ(l1.substr(20), " - Tools : Geolocalisation via BDD : Rennes");
    EXPECT_EQ(l2.substr(20), "ReInit BDD Location   Adresse non localisé : x a b");
    DefinitRepAppData("");

    TFicPays pays;
    double lon = 7, lat = 8;
    EXPECT_EQ(pays.GetCPByCom("Rennes", "", "Fr", lon, lat), "");
    EXPECT_EQ(lon, 7);
    pays.DefinitRecherche([](std::string_view ville, std::string_view, std::string_view) {
        return ville == "Rennes" ? std::optional<CommunePays>({"35000", 48.11, -1.68})
                                 : std::nullopt;
    });
    EXPECT_EQ(pays.GetCPByCom("Rennes", "", "Fr", lon, lat), "35000");
    EXPECT_DOUBLE_EQ(lon, -1.68);
    EXPECT_DOUBLE_EQ(lat, 48.11);
    EXPECT_EQ(pays.GetCPByCom("Nulle", "", "Fr", lon, lat), "");
    EXPECT_DOUBLE_EQ(lon, -1.68);
}

TEST(ServicesHote, TheLogIsRotated) {
    DossierTemporaire d;
    DefinitRepAppData(d().string());
    namespace fs = std::filesystem;
    const fs::path log = d / "orlavine.log";
    // Full three times over: three files at most, the newest lines in orlavine.log.
    for (char c : {'a', 'b', 'c'}) {
        std::ofstream(log, std::ios::app) << std::string(5 << 20, c) << '\n';
        EXPECT_TRUE(AddLog(std::string("ligne ") + c));
    }
    std::vector<std::string> fichiers;
    for (const auto& e : fs::directory_iterator(d()))
        fichiers.push_back(e.path().filename());
    std::sort(fichiers.begin(), fichiers.end());
    EXPECT_EQ(fichiers,
              (std::vector<std::string>{"orlavine.log", "orlavine.log.1", "orlavine.log.2"}));
    EXPECT_LT(fs::file_size(log), 100u);
    std::ifstream f(log);
    std::string ligne;
    std::getline(f, ligne);
    EXPECT_TRUE(ligne.find("ligne c") != std::string::npos) << ligne.substr(0, 100);
    EXPECT_GT(fs::file_size(d / "orlavine.log.1"), 5u << 20);
    DefinitRepAppData({});
}

TEST(ServicesHote, ProgressIsClampedAndLetsMessagesThrough) {
    std::vector<int> positions;
    int messages = 0;
    TProgressRappel barre([&](int p) { positions.push_back(p); }, [&] { ++messages; });
    TManageProgress progression(0);
    progression.SetProgress(&barre, -5);
    progression.SetProgress(&barre, 50);
    progression.SetProgress(&barre, 130);
    progression.SetProgress(nullptr, 10);
    EXPECT_EQ(positions, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(messages, 3);
}

} // namespace
} // namespace orlavine
