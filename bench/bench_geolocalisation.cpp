// The bulk geolocation ("Tout géolocaliser") on a base of 4,000 French places taken from the
// bundled atlas: entries per second through the country file (state 6) and through the
// offline geocoder (the country file left empty). Targets: >= 2,000 entries/s and >= 500
// entries/s. Each run starts from a fresh copy of the base; stores are committed by batches
// and journaled, as in the program.
// With the online search, the figure that is ours is a second run over places the offline
// geocoder does not know, every answer kept in the base: no request leaves (the service's
// one request a second bounds a first run, by design).
#include "app/communes_atlas.h"
#include "atlas/carte_france.h"
#include "genealogie/base.h"
#include "genealogie/cache_geocodage.h"
#include "genealogie/journal_geo.h"
#include "geocodeur/geocodeur.h"
#include "geocodeur/service_en_ligne.h"
#include "geoloc/localisation_auto.h"
#include "geoloc/recherche_en_ligne.h"
#include "host/chaines.h"

#include <benchmark/benchmark.h>
#include <filesystem>
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
    state.counters["entrées/s"] =
        benchmark::Counter(static_cast<double>(traitees), benchmark::Counter::kIsRate);
    state.counters["localisées"] = benchmark::Counter(static_cast<double>(localisees) /
                                                      static_cast<double>(traitees ? traitees : 1));
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
    state.counters["entrées/s"] =
        benchmark::Counter(static_cast<double>(traitees), benchmark::Counter::kIsRate);
    state.counters["localisées"] = benchmark::Counter(static_cast<double>(localisees) /
                                                      static_cast<double>(traitees ? traitees : 1));
}
BENCHMARK(BM_GeolocalisationEnLigneReponsesGardees)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
