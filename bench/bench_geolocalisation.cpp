// The bulk geolocation ("Tout géolocaliser") on a base of 4,000 French places taken from the
// bundled atlas: entries per second through the country file (state 6) and through the
// offline geocoder (the country file left empty). Targets: >= 2,000 entries/s and >= 500
// entries/s. The resolution of one place text, and the bulk run over the generated
// 1,000,000-line tree before and after the resolution, close the file. Each run starts from a fresh
// copy of the base; stores are committed by batches and journaled, as in the program. With the
// online search, the figure that is ours is a second run over places the offline geocoder does not
// know, every answer kept in the base: no request leaves (the service's one request a second bounds
// a first run, by design).
#include "app/communes_atlas.h"
#include "atlas/carte_france.h"
#include "bench/generateur_gedcom.h"
#include "genealogie/base.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/cache_geocodage.h"
#include "genealogie/journal_geo.h"
#include "geocodeur/geocodeur.h"
#include "geocodeur/service_en_ligne.h"
#include "geoloc/localisation_auto.h"
#include "geoloc/recherche_en_ligne.h"
#include "geoloc/resolution.h"
#include "host/chaines.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

using namespace orlavine;
namespace fs = std::filesystem;

constexpr std::size_t NombreLieux = 4000;

struct Banc {
    std::unique_ptr<TCarteFrance> Carte;
    std::unique_ptr<CommunesAtlas> Communes;
    std::unique_ptr<geocodeur::TGeocodeur> Geocodeur;
    fs::path Dossier;
    fs::path Base;

    Banc() {
        try {
            Carte = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
            Communes = std::make_unique<CommunesAtlas>(*Carte);
            Geocodeur =
                std::make_unique<geocodeur::TGeocodeur>(Carte.get(), ORLAVINE_MONDE_BUNDLED);
        } catch (const std::exception&) {
            Carte.reset();
            return;
        }
        std::string modele = (fs::temp_directory_path() / "orlavine-banc-geoloc-XXXXXX").string();
        Dossier = ::mkdtemp(modele.data());
        DefinitRepAppData((Dossier / "donnees").string());
        Base = Dossier / "lieux.sqlite";
        TContenuImport c;
        c.NomFichier = "lieux.ged";
        c.Octets = "0 HEAD\n0 TRLR\n";
        const auto& communes = Carte->Communes;
        for (std::size_t i = 0; i < communes.size() && c.Evenements.size() < NombreLieux; i += 7) {
            const TCommune& commune = communes[i];
            std::string nom = Cp1252VersUtf8(commune.Nom);
            if (!commune.Article.empty()) {
                const std::string article = Cp1252VersUtf8(commune.Article);
                nom = article.back() == '\'' ? article + nom : article + " " + nom;
            }
            TContenuImport::Evenement e;
            e.LignePlac = static_cast<long>(c.Evenements.size()) + 1;
            e.Etiquette = "BIRT";
            e.Lieu.Commune = nom;
            e.Lieu.CodePostal = Cp1252VersUtf8(commune.CodePostal);
            e.Lieu.Pays = "France";
            c.Evenements.push_back(std::move(e));
        }
        CreeBase(c, Base);
    }
    ~Banc() {
        std::error_code ec;
        if (!Dossier.empty()) fs::remove_all(Dossier, ec);
    }
    static Banc& Instance() {
        static Banc banc;
        return banc;
    }
};

// The rate of entries done, and the share of them located.
void Compteurs(benchmark::State& state, long traitees, long localisees) {
    state.counters["entrées/s"] =
        benchmark::Counter(static_cast<double>(traitees), benchmark::Counter::kIsRate);
    state.counters["localisées"] = benchmark::Counter(static_cast<double>(localisees) /
                                                      static_cast<double>(traitees ? traitees : 1));
}

void Geolocalise(benchmark::State& state, bool fichierPays) {
    Banc& banc = Banc::Instance();
    if (!banc.Carte) return state.SkipWithError("données livrées absentes");
    long traitees = 0, localisees = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path copie = banc.Dossier / "copie.sqlite";
        for (const char* s : {"", "-wal", "-shm"})
            fs::remove(copie.string() + s);
        fs::copy_file(banc.Base, copie);
        auto base = std::make_unique<TBaseGenealogie>(copie);
        TGestFichier gestion(*base);
        if (fichierPays) gestion.FicPays.DefinitRecherche(banc.Communes->Recherche());
        const geoloc::TServicesLieuxBase services(gestion);
        geoloc::TRechercheGeocodeur recherche(*banc.Geocodeur);
        TListePlaces liste = InitListPlaces(gestion);
        state.ResumeTiming();

        const geoloc::TBilanGeolocalisation b =
            geoloc::ToutGeolocaliser(gestion, liste, services, &recherche, {});
        traitees += b.Traitees;
        localisees += b.Localisees;

        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
    Compteurs(state, traitees, localisees);
}

void BM_GeolocalisationFichierPays(benchmark::State& state) {
    Geolocalise(state, true);
}
BENCHMARK(BM_GeolocalisationFichierPays)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

void BM_GeolocalisationGeocodeur(benchmark::State& state) {
    Geolocalise(state, false);
}
BENCHMARK(BM_GeolocalisationGeocodeur)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Answers at once, from nowhere; or refuses, when every answer must come from the base.
class ServiceImmediat : public geocodeur::ITransportHttp {
public:
    bool Refuse = false;
    std::string Obtient(const std::string& adresse) override {
        if (Refuse) throw geocodeur::ErreurReseau(adresse, 0, "aucune requête attendue");
        return R"([{"lat":"46.5","lon":"2.5","display_name":"Nulle part"}])";
    }
};

void BM_GeolocalisationEnLigneReponsesGardees(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    if (!banc.Carte) return state.SkipWithError("données livrées absentes");
    constexpr std::size_t Nombre = 2000;
    const fs::path modele = banc.Dossier / "inconnus.sqlite";
    const std::string serveur = "http://127.0.0.1:9";
    ServiceImmediat transport;
    geocodeur::TLimiteurDebit limiteur{std::chrono::milliseconds(0)};
    auto lance = [&](const fs::path& chemin) {
        TBaseGenealogie base(chemin);
        TGestFichier gestion(base);
        gestion.FicPays.DefinitRecherche(banc.Communes->Recherche());
        const geoloc::TServicesLieuxBase services(gestion);
        geoloc::TRechercheGeocodeur horsLigne(*banc.Geocodeur);
        TCacheGeocodageBase cache(base);
        geocodeur::TServiceNominatim service(serveur, transport, cache, limiteur);
        geoloc::TRechercheEnLigne recherche(service, &horsLigne, [](const std::string&) {});
        TListePlaces liste = InitListPlaces(gestion);
        return geoloc::ToutGeolocaliser(gestion, liste, services, &recherche, {});
    };
    // The places, a first run that keeps every answer, undone.
    if (!fs::exists(modele)) {
        TContenuImport c;
        c.NomFichier = "inconnus.ged";
        c.Octets = "0 HEAD\n0 TRLR\n";
        for (std::size_t i = 0; i < Nombre; ++i) {
            TContenuImport::Evenement e;
            e.LignePlac = static_cast<long>(i) + 1;
            e.Etiquette = "BIRT";
            e.Lieu.Commune = "Lieu inconnu " + std::to_string(i);
            e.Lieu.Pays = "Utopie";
            c.Evenements.push_back(std::move(e));
        }
        CreeBase(c, modele);
        transport.Refuse = false;
        lance(modele);
        TBaseGenealogie base(modele);
        TJournalGeo(base).AnnuleDernierLot();
    }
    transport.Refuse = true;
    long traitees = 0, localisees = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path copie = banc.Dossier / "copie-inconnus.sqlite";
        for (const char* s : {"", "-wal", "-shm"})
            fs::remove(copie.string() + s);
        fs::copy_file(modele, copie);
        state.ResumeTiming();
        const geoloc::TBilanGeolocalisation b = lance(copie);
        traitees += b.Traitees;
        localisees += b.Localisees;
    }
    Compteurs(state, traitees, localisees);
}
BENCHMARK(BM_GeolocalisationEnLigneReponsesGardees)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

// ---- The one resolution of a place ----
// Median per place text over the families of layouts (French under a FORM, without FORM,
// former departments, provinces, abroad with state codes): target <= 20 us.
void BM_ResolutionTexte(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    if (!banc.Carte) return state.SkipWithError("données livrées absentes");
    static const geoloc::TResolveurLieux resolveur(banc.Carte.get(), *banc.Geocodeur);
    const std::vector<const char*> textes = {
        ", Monségur, , Landes, , FRANCE",
        ", Châlons, 51108, Marne, Grand Est, FRANCE",
        ", Nantes, 44109, Loire-Atlantique, Bretagne, BRETAGNE",
        "Saint-Florent-le-Viel, Maine-et-Loire, Anjou, France",
        "Nuit-St-Georges, Côte-d'Or, Bourgogne, France",
        "Rouen, Seine-Inférieure, France",
        "Valence, France",
        "Trucdorf, Suisse",
        "Panama City, Bay, FL, USA",
        "Gainesville, Texas, USA",
        "London, UK",
        "Le Bourg, Monségur, Gironde, France",
    };
    std::size_t i = 0, localises = 0;
    for (auto _ : state) {
        const auto r = resolveur.ResoutTexte(textes[i++ % textes.size()]);
        localises += r.Localise();
        benchmark::DoNotOptimize(r.Lieu.Latitude);
    }
    state.counters["localisés"] =
        benchmark::Counter(static_cast<double>(localises) / static_cast<double>(i ? i : 1));
}
BENCHMARK(BM_ResolutionTexte)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The bulk run over the generated 1,000,000-line tree (20,000 places in the French layout
// under a FORM, a fifth with a lieu-dit): Arg 0 the country file then the geocoder on the
// normalised text (the search without a resolution), Arg 1 the resolution of the parts.
void BM_GeolocalisationArbreGenere(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    if (!banc.Carte) return state.SkipWithError("données livrées absentes");
    static const fs::path modele = [&] {
        const fs::path ged = banc.Dossier / "arbre.ged";
        std::ofstream(ged, std::ios::binary) << GenereGedcom();
        const fs::path base = banc.Dossier / "arbre.sqlite";
        ImporteGedcom(ged, base);
        return base;
    }();
    // The offline geocoder without its resolution: what the bulk run searched before.
    struct SansResolution : geoloc::IRechercheAdresse {
        explicit SansResolution(geoloc::TRechercheGeocodeur& r) : r_(r) {}
        std::vector<geoloc::TCandidatAdresse> Recherche(std::string_view t) override {
            return r_.Recherche(t);
        }
        Provenance Origine() const override { return Provenance::Geocodeur; }
        geoloc::TRechercheGeocodeur& r_;
    };
    const bool resolution = state.range(0) == 1;
    long traitees = 0, localisees = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path copie = banc.Dossier / "copie-arbre.sqlite";
        for (const char* s : {"", "-wal", "-shm"})
            fs::remove(copie.string() + s);
        fs::copy_file(modele, copie);
        auto base = std::make_unique<TBaseGenealogie>(copie);
        TGestFichier gestion(*base);
        if (!resolution) gestion.FicPays.DefinitRecherche(banc.Communes->Recherche());
        const geoloc::TServicesLieuxBase services(gestion);
        geoloc::TRechercheGeocodeur recherche(*banc.Geocodeur);
        SansResolution ancienne(recherche);
        TListePlaces liste = InitListPlaces(gestion);
        state.ResumeTiming();
        const geoloc::TBilanGeolocalisation b = geoloc::ToutGeolocaliser(
            gestion, liste, services,
            resolution ? static_cast<geoloc::IRechercheAdresse*>(&recherche) : &ancienne, {});
        traitees += b.Traitees;
        localisees += b.Localisees;
        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
    Compteurs(state, traitees, localisees);
}
BENCHMARK(BM_GeolocalisationArbreGenere)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
