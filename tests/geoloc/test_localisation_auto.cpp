// The automatic location of the base's places, alone and in bulk, on a small base imported
// from a GEDCOM fixture, with a country file and an address search that the tests script.
#include "genealogie/base_gedcom.h"
#include "genealogie/cache_geocodage.h"
#include "genealogie/journal_geo.h"
#include "geocodeur/service_en_ligne.h"
#include "geoloc/localisation_auto.h"
#include "geoloc/recherche_en_ligne.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

using namespace orlavine;
using namespace orlavine::geoloc;
namespace fs = std::filesystem;

namespace {

class DossierTemporaire {
public:
    DossierTemporaire() {
        std::string modele = (fs::temp_directory_path() / "orlavine-geoloc-XXXXXX").string();
        chemin_ = ::mkdtemp(modele.data());
    }
    ~DossierTemporaire() {
        std::error_code ec;
        fs::remove_all(chemin_, ec);
    }
    fs::path operator/(const std::string& nom) const { return chemin_ / nom; }
    const fs::path& operator()() const { return chemin_; }

private:
    fs::path chemin_;
};

// Answers by the first key found in the searched text; counts the searches.
class RechercheEssai : public IRechercheAdresse {
public:
    std::vector<std::pair<std::string, std::vector<TCandidatAdresse>>> reponses;
    std::vector<std::string> textes;
    std::vector<TCandidatAdresse> Recherche(std::string_view texte) override {
        textes.emplace_back(texte);
        for (const auto& [cle, candidats] : reponses)
            if (texte.find(cle) != std::string_view::npos) return candidats;
        return {};
    }
    Provenance Origine() const override { return Provenance::Geocodeur; }
};

struct Commune {
    const char* Ville;
    const char* Code;
    double Latitude, Longitude;
};
constexpr Commune CommunesFichierPays[] = {
    {"Lassigny", "60310", 49.5856, 2.8575},
    {"Paris", "75018", 48.8925, 2.3444},
    {"Lyon", "69001", 45.7670, 4.8340},
};

class LocalisationAuto : public ::testing::Test {
protected:
    void SetUp() override {
        DefinitRepAppData((dossier / "donnees").string());
        ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-geoloc.ged", chemin);
        Ouvre();
        recherche.reponses = {
            {"Valence",
             {{44.9334, 4.8924, "Valence, Drôme (26362), France", 120},
              {44.1089, 0.8914, "Valence, Tarn-et-Garonne (82186), France", 120}}},
            {"Mayence", {{49.9929, 8.2473, "Mayence, Rhénanie-Palatinat, Allemagne", 140}}},
            {"Montmartre", {{48.8867, 2.3431, "Montmartre, Paris, France", 130}}},
        };
    }
    void TearDown() override {
        gestion.reset();
        base.reset();
        DefinitRepAppData({});
    }
    void Ouvre() {
        gestion.reset();
        base = std::make_unique<TBaseGenealogie>(chemin);
        gestion = std::make_unique<TGestFichier>(*base);
        gestion->FicPays.DefinitRecherche([](std::string_view ville, std::string_view,
                                             std::string_view) -> std::optional<CommunePays> {
            for (const Commune& c : CommunesFichierPays)
                if (ville == c.Ville) return CommunePays{c.Code, c.Latitude, c.Longitude};
            return std::nullopt;
        });
        services = std::make_unique<TServicesLieuxBase>(*gestion);
    }
    TBilanGeolocalisation Run(TypeFilterDisplayList filtre, bool avecLieuDit = false,
                              IRechercheAdresse* autre = nullptr, bool remplacer = false) {
        TListePlaces liste = InitListPlaces(*gestion);
        TOptionsGeolocalisation o;
        o.Filtre = filtre;
        o.AvecLieuDit = avecLieuDit;
        o.RemplacerFichierEtMain = remplacer;
        return ToutGeolocaliser(*gestion, liste, *services, autre ? autre : &recherche, o);
    }
    // The place id of a town of the fixture.
    int Id(std::string_view commune) {
        for (const TLieu& l : base->Lieux())
            if (l.Commune == commune) return l.Id;
        ADD_FAILURE() << "pas de lieu " << commune;
        return 0;
    }
    std::optional<TGeolocalisation> Geo(std::string_view commune, std::string_view lieuDit = "") {
        return base->Geolocalisation(Id(commune), lieuDit);
    }

    DossierTemporaire dossier;
    fs::path chemin = dossier / "arbre.sqlite";
    std::unique_ptr<TBaseGenealogie> base;
    std::unique_ptr<TGestFichier> gestion;
    std::unique_ptr<TServicesLieuxBase> services;
    RechercheEssai recherche;
};

} // namespace

TEST_F(LocalisationAuto, CountryFileFirstThenTheSearchAndAmbiguousAnswersAreNotTaken) {
    const TBilanGeolocalisation b = Run(FilterNotLocate);

    // A French commune of the country file: its position, no search.
    const auto lassigny = Geo("Lassigny");
    ASSERT_TRUE(lassigny);
    EXPECT_EQ(lassigny->Etat, EtatCommunePays);
    EXPECT_DOUBLE_EQ(lassigny->Latitude, 49.5856);
    EXPECT_EQ(lassigny->Origine, Provenance::Atlas);
    // The lieu-dit is not searched by default: it takes its commune's position.
    const auto montmartre = Geo("Paris", "Montmartre");
    ASSERT_TRUE(montmartre);
    EXPECT_EQ(montmartre->Etat, EtatCommunePays);
    EXPECT_DOUBLE_EQ(montmartre->Latitude, 48.8925);
    // Abroad: the address search, with its provenance.
    const auto mayence = Geo("Mayence");
    ASSERT_TRUE(mayence);
    EXPECT_EQ(mayence->Etat, EtatAdresseTrouvee);
    EXPECT_EQ(mayence->Origine, Provenance::Geocodeur);
    EXPECT_DOUBLE_EQ(mayence->Longitude, 8.2473);
    // Two Valence equally good: none is taken, the log names both.
    EXPECT_FALSE(Geo("Valence"));
    EXPECT_FALSE(Geo("Nullepart"));
    EXPECT_EQ(b.Ambigues, 1);
    EXPECT_EQ(b.NonLocalisees, 2);
    EXPECT_NE(b.Journal.find("Adresse ambiguë :  Valence"), std::string::npos) << b.Journal;
    EXPECT_NE(b.Journal.find("Tarn-et-Garonne (82186), France (44.10890, 0.89140)"),
              std::string::npos);
    EXPECT_NE(b.Journal.find("Drôme"), std::string::npos);
    EXPECT_NE(b.Journal.find("Adresse non localisé :  Nullepart"), std::string::npos);
    EXPECT_EQ(b.Journal.rfind("ReInit BDD Location \r\n", 0), 0u);
    // No search for what the country file knows.
    for (const std::string& t : recherche.textes) {
        EXPECT_EQ(t.find("Lassigny"), std::string::npos) << t;
        EXPECT_EQ(t.find("Montmartre"), std::string::npos) << t;
    }
    // Lyon, read with its coordinates, is not under "Non localisés": untouched.
    EXPECT_EQ(Geo("Lyon")->Origine, Provenance::Gedcom);
    EXPECT_EQ(b.ParEtat.at(EtatCommunePays), 3); // Lassigny, Paris, Montmartre
    EXPECT_EQ(b.ParEtat.at(EtatAdresseTrouvee), 1);
    EXPECT_EQ(b.ParEtat.at(EtatHorsTable), 2);
    EXPECT_EQ(b.Traitees, 6);
    EXPECT_EQ(base->VerifieIntegrite(), "ok");

    // Running again finds only what is left, and leaves it as it was.
    recherche.textes.clear();
    const TBilanGeolocalisation encore = Run(FilterNotLocate);
    EXPECT_EQ(encore.Traitees, 2);
    EXPECT_EQ(encore.Localisees, 0);
    EXPECT_EQ(recherche.textes.size(), 2u);
}

TEST_F(LocalisationAuto, TheLieuDitIsSearchedOnlyWhenAsked) {
    const TBilanGeolocalisation b = Run(FilterNotLocate, true);
    EXPECT_EQ(b.Localisees, 4);
    const auto montmartre = Geo("Paris", "Montmartre");
    ASSERT_TRUE(montmartre);
    EXPECT_EQ(montmartre->Etat, EtatAdresseTrouvee);
    EXPECT_DOUBLE_EQ(montmartre->Latitude, 48.8867);
    bool cherche = false;
    for (const std::string& t : recherche.textes)
        cherche = cherche || t.rfind("Montmartre ; Paris", 0) == 0;
    EXPECT_TRUE(cherche);
    // The place itself still takes the commune's position.
    EXPECT_EQ(Geo("Paris")->Etat, EtatCommunePays);
}

TEST_F(LocalisationAuto, AValidatedPlaceIsNeverOverwritten) {
    Run(FilterNotLocate);
    // The user validates Lassigny; a list loaded before that still says "located".
    TListePlaces ancienne = InitListPlaces(*gestion);
    ASSERT_TRUE(base->MetAJourGeolocalisation(Id("Lassigny"), "", 49.5856, 2.8575, EtatValide,
                                              Provenance::Main));
    ASSERT_TRUE(
        base->MetAJourGeolocalisation(Id("Mayence"), "", 50.0, 8.0, EtatValide, Provenance::Main));
    gestion->FicPays.DefinitRecherche(
        [](std::string_view, std::string_view, std::string_view) -> std::optional<CommunePays> {
            return CommunePays{"00000", 10.0, 10.0};
        });
    TOptionsGeolocalisation o;
    o.Filtre = FilterLocate;
    const TBilanGeolocalisation perime =
        ToutGeolocaliser(*gestion, ancienne, *services, &recherche, o);
    EXPECT_EQ(perime.ValideesGardees, 2); // validated after the list was loaded
    for (TypeFilterDisplayList f : {FilterLocate, FilterNotLocate, FilterPlaceCheck})
        Run(f);
    const auto lassigny = Geo("Lassigny");
    EXPECT_EQ(lassigny->Etat, EtatValide);
    EXPECT_DOUBLE_EQ(lassigny->Latitude, 49.5856);
    EXPECT_EQ(lassigny->Origine, Provenance::Atlas); // validating keeps where it came from
    EXPECT_DOUBLE_EQ(Geo("Mayence")->Latitude, 50.0);
    EXPECT_EQ(Geo("Mayence")->Etat, EtatValide);
    // "Tout re-géolocaliser" under "Localisés" did re-locate the others.
    EXPECT_DOUBLE_EQ(Geo("Paris")->Latitude, 10.0);
}

TEST_F(LocalisationAuto, TheLastRunIsUndoneAsOneStepAndLaterChangesStay) {
    const TGeolocalisation lyonAvant = *Geo("Lyon");
    ASSERT_EQ(lyonAvant.Origine, Provenance::Gedcom);
    Run(FilterNotLocate);
    // Lyon read from the file stays, unless its replacement is asked for.
    EXPECT_GT(Run(FilterLocate).PositionsGardees, 0);
    EXPECT_EQ(Geo("Lyon")->Origine, Provenance::Gedcom);
    TJournalGeo(*base).AnnuleDernierLot();
    const TBilanGeolocalisation relance =
        Run(FilterLocate, false, nullptr, true); // Lyon read -> country file
    EXPECT_EQ(Geo("Lyon")->Etat, EtatCommunePays);
    EXPECT_EQ(Geo("Lyon")->Origine, Provenance::Atlas);

    TJournalGeo journal(*base);
    const auto lot = journal.DernierLot();
    ASSERT_TRUE(lot);
    EXPECT_EQ(lot->Id, relance.Lot);
    EXPECT_FALSE(lot->Fin.empty());
    EXPECT_EQ(lot->Entrees, relance.Localisees);

    // The user validates Mayence after the run: undoing keeps that.
    ASSERT_TRUE(base->MetAJourGeolocalisation(Id("Mayence"), "", 49.9929, 8.2473, EtatValide,
                                              Provenance::Geocodeur));
    const TBilanAnnulation a = journal.AnnuleDernierLot();
    EXPECT_EQ(a.Conservees, 1);
    EXPECT_EQ(a.Restaurees, relance.Localisees - 1);
    const TGeolocalisation lyon = *Geo("Lyon");
    EXPECT_EQ(lyon.Etat, lyonAvant.Etat);
    EXPECT_EQ(lyon.Origine, Provenance::Gedcom);
    EXPECT_DOUBLE_EQ(lyon.Latitude, lyonAvant.Latitude);
    EXPECT_EQ(lyon.Date, lyonAvant.Date);
    EXPECT_EQ(Geo("Mayence")->Etat, EtatValide);
    // A second undo goes one run further back: the first run's rows go.
    ASSERT_TRUE(journal.DernierLot());
    EXPECT_EQ(Geo("Lassigny")->Etat, EtatCommunePays);
    journal.AnnuleDernierLot();
    EXPECT_FALSE(Geo("Lassigny"));
    EXPECT_FALSE(journal.DernierLot());
}

TEST_F(LocalisationAuto, UndoingAFirstRunRemovesTheRowsItAddedAndAnEmptyRunKeepsTheJournal) {
    Run(FilterNotLocate);
    // A run that stores nothing does not replace the journal of the previous one.
    const TBilanGeolocalisation vide = Run(FilterPlaceCheck);
    EXPECT_EQ(vide.Lot, 0);
    TJournalGeo journal(*base);
    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, 4);
    EXPECT_FALSE(Geo("Lassigny"));
    EXPECT_FALSE(Geo("Paris", "Montmartre"));
    EXPECT_EQ(base->Geolocalisations().size(), 1u); // Lyon, read from the file
    EXPECT_EQ(base->VerifieIntegrite(), "ok");
}

TEST_F(LocalisationAuto, AKilledRunLeavesASoundBaseThatKeepsWhatWasStoredAndARerunFinishes) {
    // Many places under "Non localisés", all in the country file.
    {
        ConnexionSqlite& c = base->Connexion();
        TransactionSqlite t(c);
        RequeteSqlite r(c, "INSERT INTO lieux(id, texte, commune, pays) VALUES (?, ?, ?, "
                           "'France')");
        RequeteSqlite e(c, "INSERT INTO evenements(lieu, ligne_plac) VALUES (?, 1)");
        const int premier = static_cast<int>(base->Lieux().size()) + 1;
        for (int i = premier; i < premier + 200; ++i) {
            r.Lie(1, i).Lie(2, "Lyon " + std::to_string(i)).Lie(3, "Lyon").Execute();
            r.Reinitialise();
            e.Lie(1, i).Execute();
            e.Reinitialise();
        }
        t.Valide();
    }
    gestion.reset();
    base.reset();

    const pid_t enfant = ::fork();
    ASSERT_NE(enfant, -1);
    if (enfant == 0) {
        try {
            Ouvre();
            TListePlaces liste = InitListPlaces(*gestion);
            TOptionsGeolocalisation o;
            o.TailleLot = 16;
            ToutGeolocaliser(*gestion, liste, *services, &recherche, o, nullptr,
                             [](long fait, long) {
                                 if (fait == 100) ::raise(SIGKILL);
                             });
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        ::_exit(0);
    }
    int statut = 0;
    ASSERT_EQ(::waitpid(enfant, &statut, 0), enfant);
    ASSERT_TRUE(WIFSIGNALED(statut));

    Ouvre();
    EXPECT_EQ(base->VerifieIntegrite(), "ok");
    const long gardees = static_cast<long>(base->Geolocalisations().size()) - 1; // less Lyon
    EXPECT_GE(gardees, 80);  // the batches committed before entry 100
    EXPECT_LT(gardees, 100); // the batch under way when killed is not half-written
    TJournalGeo journal(*base);
    ASSERT_TRUE(journal.DernierLot());
    EXPECT_TRUE(journal.DernierLot()->Fin.empty());
    EXPECT_EQ(journal.DernierLot()->Entrees, gardees);
    // The killed run can be undone like any other.
    EXPECT_EQ(journal.AnnuleDernierLot().Restaurees, gardees);
    EXPECT_EQ(base->Geolocalisations().size(), 1u);

    const TBilanGeolocalisation suite = Run(FilterNotLocate);
    EXPECT_FALSE(suite.Interrompu);
    TListePlaces liste = InitListPlaces(*gestion);
    long restants = 0;
    for (const auto& e : liste)
        restants += ApplyFilter(e.get(), FilterNotLocate) ? 1 : 0;
    EXPECT_EQ(restants, 2); // Valence and Nullepart only
}

TEST_F(LocalisationAuto, ACancelledRunStopsAfterTheCurrentEntryAndKeepsWhatItStored) {
    TListePlaces liste = InitListPlaces(*gestion);
    bool annuler = false;
    TOptionsGeolocalisation o;
    long vus = 0;
    const TBilanGeolocalisation b =
        ToutGeolocaliser(*gestion, liste, *services, &recherche, o, &annuler, [&](long, long) {
            if (++vus == 2) annuler = true;
        });
    EXPECT_TRUE(b.Interrompu);
    base = std::make_unique<TBaseGenealogie>(chemin); // what another reader sees
    long stockees = static_cast<long>(base->Geolocalisations().size()) - 1;
    EXPECT_EQ(stockees, b.Localisees);
    EXPECT_LE(b.Traitees, 2);
}

TEST(LocalisationAutoBase, ADamagedBaseGetsAFrenchMessageAndNothingWritten) {
    DossierTemporaire dossier;
    DefinitRepAppData((dossier / "donnees").string());
    const fs::path chemin = dossier / "abimee.sqlite";
    ImporteGedcom(fs::path(ORLAVINE_FIXTURES) / "arbre-geoloc.ged", chemin);
    std::string octets;
    {
        std::ifstream f(chemin, std::ios::binary);
        octets.assign(std::istreambuf_iterator<char>(f), {});
    }
    ASSERT_GT(octets.size(), 4u * 4096u);
    // Pages 2 to 4 (the tables' roots) become garbage; the header stays ours.
    for (std::size_t i = 4096; i < 4u * 4096u; ++i)
        octets[i] = static_cast<char>(0xA5);
    {
        std::ofstream f(chemin, std::ios::binary | std::ios::trunc);
        f << octets;
    }
    std::string message;
    try {
        TBaseGenealogie base(chemin);
        TGestFichier gestion(base);
        const TServicesLieuxBase services(gestion);
        TListePlaces liste = InitListPlaces(gestion);
        ToutGeolocaliser(gestion, liste, services, nullptr, {});
    } catch (const Erreur& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("abimee.sqlite"), std::string::npos) << message;
    std::string apres;
    {
        std::ifstream f(chemin, std::ios::binary);
        apres.assign(std::istreambuf_iterator<char>(f), {});
    }
    EXPECT_TRUE(apres == octets);
    DefinitRepAppData({});
}

// The online service answers only what the offline search does not know.
class ServiceEssai : public geocodeur::ITransportHttp {
public:
    std::string Obtient(const std::string& adresse) override {
        Adresses.push_back(adresse);
        return R"([{"lat":"46.5","lon":"2.5","display_name":"Nulle Part, Cher, France"}])";
    }
    std::vector<std::string> Adresses;
};

TEST_F(LocalisationAuto, OnlineTheRunAsksOnlyWhatTheOfflineSearchDoesNotKnowAndKeepsTheAnswers) {
    ServiceEssai transport;
    geocodeur::TLimiteurDebit limiteur{std::chrono::milliseconds(0)};
    auto lance = [&] {
        TCacheGeocodageBase cache(*base);
        geocodeur::TServiceNominatim service("http://127.0.0.1:9", transport, cache, limiteur);
        TRechercheEnLigne enLigne(service, &recherche);
        return Run(FilterNotLocate, false, &enLigne);
    };
    const TBilanGeolocalisation b = lance();
    // Nullepart, unknown offline, is located online and recorded as such; Mayence stays the
    // offline geocoder's, and the two Valence are still refused (never asked online).
    ASSERT_EQ(transport.Adresses.size(), 1u);
    EXPECT_NE(transport.Adresses[0].find("Nullepart"), std::string::npos);
    const auto nullepart = Geo("Nullepart");
    ASSERT_TRUE(nullepart);
    EXPECT_EQ(nullepart->Etat, EtatAdresseTrouvee);
    EXPECT_EQ(nullepart->Origine, Provenance::GeocodeurEnLigne);
    EXPECT_DOUBLE_EQ(nullepart->Latitude, 46.5);
    EXPECT_EQ(Geo("Mayence")->Origine, Provenance::Geocodeur);
    EXPECT_FALSE(Geo("Valence"));
    EXPECT_EQ(b.Ambigues, 1);
    EXPECT_EQ(b.Localisees, 5);

    // Undone and run again, in a new session: the answer kept in the base is used.
    TJournalGeo(*base).AnnuleDernierLot();
    Ouvre();
    EXPECT_FALSE(Geo("Nullepart"));
    lance();
    EXPECT_EQ(transport.Adresses.size(), 1u);
    EXPECT_EQ(Geo("Nullepart")->Origine, Provenance::GeocodeurEnLigne);
    EXPECT_EQ(base->VerifieIntegrite(), "ok");
}
