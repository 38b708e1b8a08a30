// The world map page's logic against a recording view and host: what is searched where, what
// is stored, what is logged, and the browser addresses.
#include "geoloc/carte_navigateur.h"
#include "geoloc/page_monde.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace orlavine;
using namespace orlavine::geoloc;

namespace {

struct VueEssai : IVuePageMonde {
    std::string Lieu, Position, Adresse, Ville1, UrlNav, Question;
    std::vector<std::string> Adresses, Messages, Recherches, UrlsChargees;
    int Choisi = -2, Relances = 0, ChangementsPage = 0, PagesMonde = 0;
    bool Panneau = false, Validee = false, Prete = true, Navigateur = false;
    TPageFenetre Page = TPageFenetre::Monde;
    std::vector<std::pair<double, double>> Centres, Inverses;
    TReponseRelocalisation Reponse;

    void AfficheLieu(const std::string& t) override { Lieu = t; }
    void AffichePanneau(bool v) override { Panneau = v; }
    void AffichePosition(const std::string& t) override { Position = t; }
    void AfficheValidation(bool v) override { Validee = v; }
    std::string TexteAdresse() const override { return Adresse; }
    void FixeTexteAdresse(const std::string& t) override { Adresse = t; }
    void AjouteAdresse(const std::string& t) override { Adresses.push_back(t); }
    void RemplitAdresses(const std::vector<std::string>& e, int c) override {
        Adresses = e;
        Choisi = c;
        Adresse = c >= 0 ? e[static_cast<std::size_t>(c)] : std::string();
    }
    std::string TexteVille1() const override { return Ville1; }
    TPageFenetre PageCourante() const override { return Page; }
    void MontrePageMonde() override { ++PagesMonde; }
    void ChangementPage() override { ++ChangementsPage; }
    void RelanceAttenteCarte() override { ++Relances; }
    void Message(const std::string& t) override { Messages.push_back(t); }
    bool CartePrete() const override { return Prete; }
    void CentreCarte(double la, double lo) override { Centres.emplace_back(la, lo); }
    void ChercheAdresseCarte(const std::string& t) override { Recherches.push_back(t); }
    void ChercheLieuCarte(double la, double lo) override { Inverses.emplace_back(la, lo); }
    bool NavigateurPresent() const override { return Navigateur; }
    void ChargeNavigateur(const std::string& u) override { UrlsChargees.push_back(u); }
    std::string AdresseNavigateur() const override { return UrlNav; }
    TReponseRelocalisation DemandeRelocalisation(const std::string& q) override {
        Question = q;
        return Reponse;
    }
};

// Place 1 is Saint-Amadou, whose commune position the host knows; place 2 is abroad.
struct HoteEssai : IHotePageMonde {
    std::vector<std::string> Journal;
    std::string TexteLieu(int id) const override {
        if (id == 1) return "Saint-Amadou, 09120, Ariège, Midi-Pyrénées, France";
        if (id == 2) return "Anvers, Belgique";
        return {};
    }
    std::string NormalizeAddress(double& lon, double& lat, std::string_view adresse, int id,
                                 std::string_view lieuDit) const override {
        if (id == -1) return "libre:" + std::string(adresse);
        if (id == 1) {
            lon = 1.7;
            lat = 43.1;
        }
        return (lieuDit.empty() ? "" : std::string(lieuDit) + " ; ") + "lieu" + std::to_string(id);
    }
    void AddLog(const std::string& l) override { Journal.push_back(l); }
};

class PageMonde : public ::testing::Test {
protected:
    PageMonde() : page(vue, &hote) {
        page.OnLocalisationSauvee = [this](SGeoChps* l) { sauves.push_back(*l); };
    }
    void Ouvre(int id, int etat, std::string lieuDit = {}, double lat = 0, double lon = 0,
               std::string adresse = {}) {
        SGeoChps l;
        l.IdPlace = id;
        l.LieuDit = std::move(lieuDit);
        l.Etat = etat;
        l.Latitude = lat;
        l.Longitude = lon;
        l.AdresseRech = std::move(adresse);
        page.SetSGeoChps(&l);
        page.ShowMapWorld();
    }
    VueEssai vue;
    HoteEssai hote;
    TPageMondeLogique page;
    std::vector<SGeoChps> sauves;
};

} // namespace

TEST(TexteDegres, SevenDecimalsLocaleSeparatorNoTrailingZeros) {
    EXPECT_EQ(TexteDegres(48.85837012345, ','), "48,8583701");
    EXPECT_EQ(TexteDegres(2.0, ','), "2");
    EXPECT_EQ(TexteDegres(-0.5, '.'), "-0.5");
    EXPECT_EQ(TexteDegres(-0.00000001, ','), "0"); // rounds to zero, no "-0"
    EXPECT_EQ(TexteDegres(0.12345675, ','), "0,1234568");
    EXPECT_EQ(TexteLatLong(48.8583701, 2.2944813, ','), "Lat : 48,8583701 , Long : 2,2944813");
}

TEST(AdresseNavigateur, CoordinatesAfterTheAtSignOrInTheMapPart) {
    double lat = 0, lon = 0;
    EXPECT_TRUE(
        GetCorURL("https://x/maps/place/Tour/@48.8583701,2.2944813,17z/data=!3m1", lat, lon));
    EXPECT_DOUBLE_EQ(lat, 48.8583701);
    EXPECT_DOUBLE_EQ(lon, 2.2944813);
    EXPECT_TRUE(GetCorURL("https://www.openstreetmap.org/search?query=Paris#map=12/-33.86/151.2",
                          lat, lon));
    EXPECT_DOUBLE_EQ(lat, -33.86);
    EXPECT_DOUBLE_EQ(lon, 151.2);

    // Nothing usable: the position stays as it was.
    for (const char* url :
         {"https://x/maps/place/Paris,France", "https://x/@48.85", "https://x/@abc,2.29",
          "https://x/@95,2.29", "https://x/@48,181", "https://x/@nan,2", "https://x/@inf,2",
          "https://x/#map=/48/2", "https://x/#map=12/48", ""}) {
        lat = 1.5;
        lon = 2.5;
        EXPECT_FALSE(GetCorURL(url, lat, lon)) << url;
        EXPECT_EQ(lat, 1.5) << url;
        EXPECT_EQ(lon, 2.5) << url;
    }
}

TEST(AdresseNavigateur, AddressesOfAPointAndOfAText) {
    EXPECT_EQ(UrlCarteLieu(48.8583701, -2.5),
              "https://www.openstreetmap.org/?mlat=48.8583701&mlon=-2.5#map=17/48.8583701/-2.5");
    EXPECT_EQ(UrlCarteRecherche("Saint-Amadou ; 09120 Ariège"),
              "https://www.openstreetmap.org/search?query=Saint-Amadou%20;%2009120%20Ari%C3%A8ge");
    // What would end or cut the query is encoded.
    EXPECT_EQ(UrlCarteRecherche("1 # 2 & 3?%+/"),
              "https://www.openstreetmap.org/search?query=1%20%23%202%20%26%203%3F%25%2B%2F");
}

TEST_F(PageMonde, APlaceNotLocatedYetIsSearchedOnceTheMapIsReadyThenSaved) {
    Ouvre(2, EtatHorsTable);
    EXPECT_TRUE(vue.Panneau);
    EXPECT_EQ(vue.Lieu, "Anvers, Belgique");
    EXPECT_EQ(vue.Position, "Cette adresse n'a pas encore été localisée.");
    EXPECT_EQ(vue.PagesMonde, 1);
    EXPECT_FALSE(vue.Validee);

    vue.Prete = false;
    page.TimerMapLoadedTimer();
    EXPECT_EQ(vue.Relances, 1);
    EXPECT_TRUE(vue.Recherches.empty());

    vue.Prete = true;
    page.TimerMapLoadedTimer();
    ASSERT_EQ(vue.Recherches, std::vector<std::string>{"lieu2"}); // the normalised text
    EXPECT_EQ(hote.Journal.back(), " - Geolocalisation via Geocodeur : Anvers, Belgique");
    EXPECT_TRUE(sauves.empty());

    vue.Adresse = "tapé";
    page.WebOSMapsMapResultSearchAddress(51.2194, 4.4025);
    ASSERT_EQ(vue.Centres.size(), 1u);
    EXPECT_EQ(vue.Position, "Lat : 51,2194 , Long : 4,4025");
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatAdresseTrouvee);
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 51.2194);
    EXPECT_DOUBLE_EQ(sauves[0].Longitude, 4.4025);
    EXPECT_EQ(vue.Adresse, "Anvers, Belgique"); // the box shows what was searched

    // A later answer (the user searched another address) moves the map but stores nothing.
    page.WebOSMapsMapResultSearchAddress(50.0, 4.0);
    EXPECT_EQ(sauves.size(), 1u);
}

TEST_F(PageMonde, KnownCommuneIsTakenFromTheHostUnlessThePlaceHasALieuDit) {
    Ouvre(1, EtatHorsTable);
    page.TimerMapLoadedTimer();
    EXPECT_TRUE(vue.Recherches.empty());
    EXPECT_EQ(vue.ChangementsPage, 1);
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatCommunePays);
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 43.1);
    EXPECT_DOUBLE_EQ(sauves[0].Longitude, 1.7);
    EXPECT_EQ(hote.Journal.back(), " - Geolocalisation via BDD : " + vue.Lieu);

    // With a lieu-dit the same commune goes to the web search, lieu-dit included.
    sauves.clear();
    Ouvre(1, EtatHorsTable, "15 rue picot");
    EXPECT_EQ(vue.Lieu, "15 rue picot ; Saint-Amadou, 09120, Ariège, Midi-Pyrénées, France");
    page.TimerMapLoadedTimer();
    EXPECT_EQ(vue.Recherches, std::vector<std::string>{"15 rue picot ; lieu1"});
    EXPECT_TRUE(sauves.empty());
}

TEST_F(PageMonde, LocatedAndValidatedPlacesOpenOnTheirPosition) {
    Ouvre(2, EtatValide, {}, 51.2194, 4.4025, "Antwerpen");
    EXPECT_TRUE(vue.Validee);
    EXPECT_EQ(vue.Position, "Lat : 51,2194 , Long : 4,4025");
    EXPECT_EQ(vue.Adresses, (std::vector<std::string>{"Antwerpen", ""}));
    EXPECT_EQ(vue.Choisi, 0);
    page.TimerMapLoadedTimer();
    EXPECT_EQ(vue.Centres, (std::vector<std::pair<double, double>>{{51.2194, 4.4025}}));
    EXPECT_TRUE(vue.Recherches.empty());

    Ouvre(2, EtatAdresseTrouvee, {}, 51.2, 4.4); // no search address: the place is the item
    EXPECT_FALSE(vue.Validee);
    EXPECT_EQ(vue.Adresses, std::vector<std::string>{"Anvers, Belgique"});
}

TEST_F(PageMonde, ClickingTheMapShowsThePointThenItsAddressInSlotOne) {
    Ouvre(2, EtatAdresseTrouvee, {}, 51.2, 4.4, "Antwerpen");
    page.WebOSMapsMapClick(51.25, 4.45);
    EXPECT_EQ(vue.Position, "Lat : 51,25 , Long : 4,45");
    EXPECT_EQ(vue.Inverses, (std::vector<std::pair<double, double>>{{51.25, 4.45}}));
    page.WebOSMapsMapResultSearchCoordinated("Merksem, Anvers, Belgique");
    EXPECT_EQ(vue.Adresses, (std::vector<std::string>{"Antwerpen", "Merksem, Anvers, Belgique"}));
    EXPECT_EQ(vue.Choisi, 1);

    // The user keeps that point: state 4, the chosen address remembered.
    page.BtLocatePersoClick();
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatPlaceALaMain);
    EXPECT_EQ(sauves[0].AdresseRech, "Merksem, Anvers, Belgique");
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 51.25);

    page.btValidateClick();
    ASSERT_EQ(sauves.size(), 2u);
    EXPECT_EQ(sauves[1].Etat, EtatValide);
    EXPECT_TRUE(vue.Validee);
}

TEST_F(PageMonde, NothingIsStoredForAPlaceThatHasNoPosition) {
    Ouvre(2, EtatHorsTable);
    page.BtLocatePersoClick();
    page.btValidateClick();
    EXPECT_TRUE(sauves.empty());
    EXPECT_EQ(page.LieuGeo->Etat, EtatHorsTable);
    EXPECT_EQ(vue.Messages.size(), 2u);
}

TEST_F(PageMonde, WithoutAPlaceTheMapShowsTheFirstTownOrThePlaceText) {
    page.ShowMapWorld();
    EXPECT_FALSE(vue.Panneau);
    page.TimerMapLoadedTimer(); // nothing to show yet: waits again
    EXPECT_EQ(vue.Relances, 1);
    vue.Ville1 = "Versailles";
    page.TimerMapLoadedTimer();
    EXPECT_EQ(vue.Recherches, std::vector<std::string>{"libre:Versailles France"});
    page.LieuTexte = "Paris ; 75001";
    page.TimerMapLoadedTimer();
    EXPECT_EQ(vue.Recherches.back(), "libre:Paris ; 75001");
}

TEST_F(PageMonde, RelocatingAsksAboutTheLieuDitAndBlocksSearchesUntilAnswered) {
    Ouvre(1, EtatValide, "Le Moulin", 43.0, 1.6);
    vue.Reponse = {ReponseNon, true};
    page.BtRelocateClick();
    EXPECT_EQ(vue.Question, "Souhaitez-vous relocaliser l'adresse : Lieu : Saint-Amadou, 09120, "
                            "Ariège, Midi-Pyrénées, France. Lieu-dit : Le Moulin ? ");
    EXPECT_FALSE(page.RelocalisationEnCours);
    EXPECT_TRUE(vue.Recherches.empty());

    // "Oui" with the box checked: searched without the lieu-dit, so the host's commune answers.
    vue.Reponse = {ReponseOui, false};
    page.BtRelocateClick();
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatCommunePays);
    EXPECT_FALSE(page.RelocalisationEnCours);

    // "Oui" keeping the lieu-dit: a web search; the search button waits for its answer.
    vue.Reponse = {ReponseOui, true};
    page.BtRelocateClick();
    EXPECT_TRUE(page.RelocalisationEnCours);
    ASSERT_EQ(vue.Recherches.size(), 1u);
    vue.Adresse = "ailleurs";
    page.BtSearchClick();
    EXPECT_EQ(vue.Recherches.size(), 1u);
    // Nothing found: the relocation ends, the place keeps its state and position.
    page.WebOSMapsMapResultSearchAddress(0, 0);
    EXPECT_FALSE(page.RelocalisationEnCours);
    EXPECT_EQ(page.LieuGeo->Etat, EtatCommunePays);
    page.BtSearchClick();
    EXPECT_EQ(vue.Recherches.back(), "libre:ailleurs");
    EXPECT_EQ(page.HistoriqueAdresses[0], "ailleurs");
    vue.Adresse = "  ";
    page.BtSearchClick(); // nothing to search
    EXPECT_EQ(vue.Recherches.size(), 2u);
    EXPECT_EQ(page.HistoriqueAdresses[0], "ailleurs");
}

TEST_F(PageMonde, BrowserPageSearchesTheAddressAndReadsThePositionBack) {
    Ouvre(2, EtatHorsTable);
    vue.Page = TPageFenetre::Navigateur;
    page.BtRelocateClick(); // no lieu-dit: no question
    EXPECT_TRUE(vue.Question.empty());
    // Without a browser engine the map control searches instead.
    ASSERT_EQ(vue.Recherches.size(), 1u);
    page.WebOSMapsMapResultSearchAddress(0, 0);

    vue.Navigateur = true;
    page.BtRelocateClick();
    ASSERT_EQ(vue.UrlsChargees.size(), 1u);
    EXPECT_EQ(vue.UrlsChargees[0], "https://www.openstreetmap.org/search?query=Anvers,%20Belgique");
    EXPECT_EQ(hote.Journal.back(), " - Geolocalisation via OpenStreetMap : Anvers, Belgique");

    page.UrlChange("https://www.openstreetmap.org/search?query=Anvers#map=13/51.2194/4.4025");
    EXPECT_EQ(vue.Position, "Lat : 51,2194 , Long : 4,4025");
    EXPECT_TRUE(sauves.empty());
    vue.UrlNav = "https://www.openstreetmap.org/search?query=Anvers#map=13/51.2194/4.4025";
    page.LoadEndGoogleMap(true);
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].Etat, EtatAdresseTrouvee);
    EXPECT_EQ(page.UrlNavigateur(),
              "https://www.openstreetmap.org/?mlat=51.2194&mlon=4.4025#map=17/51.2194/4.4025");

    // A page that carries no position ends a relocation without storing anything.
    page.BtRelocateClick();
    vue.UrlNav = "https://www.openstreetmap.org/search?query=Anvers";
    page.LoadEndGoogleMap(true);
    EXPECT_FALSE(page.RelocalisationEnCours);
    EXPECT_EQ(sauves.size(), 1u);
}

TEST_F(PageMonde, AnAnswerForThePreviousPlaceIsNeverStoredOnTheNextOne) {
    Ouvre(2, EtatHorsTable);
    page.TimerMapLoadedTimer(); // Anvers asked
    page.WebOSMapsMapClick(51.3, 4.5);
    Ouvre(3, EtatHorsTable); // another place before the map answered
    page.TimerMapLoadedTimer();
    ASSERT_EQ(vue.Recherches.size(), 2u);
    page.WebOSMapsMapResultSearchAddress(51.2194, 4.4025); // Anvers' answer: dropped
    page.WebOSMapsMapResultSearchCoordinated("Merksem");
    EXPECT_TRUE(sauves.empty());
    EXPECT_EQ(page.LieuGeo->Etat, EtatHorsTable);
    EXPECT_EQ(page.HistoriqueAdresses[1], "");
    page.WebOSMapsMapResultSearchAddress(45.0, 5.0); // its own answer
    ASSERT_EQ(sauves.size(), 1u);
    EXPECT_EQ(sauves[0].IdPlace, 3);
    EXPECT_DOUBLE_EQ(sauves[0].Latitude, 45.0);
}
