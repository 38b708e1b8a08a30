// The geocoder on the bundled atlas and world file: loading, address search in France and
// abroad, reverse search. Targets: load <= 150 ms, French commune <= 100 us (median), place
// abroad <= 300 us, reverse <= 50 us.
#include "atlas/carte_france.h"
#include "geocodeur/geocodeur.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

using namespace orlavine;

const TCarteFrance* Atlas() {
    static const std::unique_ptr<TCarteFrance> carte = [] {
        try {
            return std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
        } catch (const std::exception&) {
            return std::unique_ptr<TCarteFrance>();
        }
    }();
    return carte.get();
}

const geocodeur::TGeocodeur* Geocodeur() {
    static const std::unique_ptr<geocodeur::TGeocodeur> g =
        []() -> std::unique_ptr<geocodeur::TGeocodeur> {
        if (!Atlas()) return nullptr;
        try {
            return std::make_unique<geocodeur::TGeocodeur>(Atlas(), ORLAVINE_MONDE_BUNDLED);
        } catch (const std::exception&) {
            return nullptr;
        }
    }();
    return g.get();
}

void BM_GeocodeurChargement(benchmark::State& state) {
    if (!Atlas()) return state.SkipWithError("atlas livré absent");
    for (auto _ : state) {
        geocodeur::TGeocodeur g(Atlas(), ORLAVINE_MONDE_BUNDLED);
        benchmark::DoNotOptimize(&g);
    }
}
BENCHMARK(BM_GeocodeurChargement)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_GeocodeurFichierSeul(benchmark::State& state) {
    for (auto _ : state) {
        auto m = geocodeur::TMonde::Charge(ORLAVINE_MONDE_BUNDLED);
        benchmark::DoNotOptimize(m.Lieux.data());
    }
}
BENCHMARK(BM_GeocodeurFichierSeul)->Unit(benchmark::kMillisecond)->Iterations(10);

void Cherche(benchmark::State& state, const std::vector<const char*>& textes) {
    const auto* g = Geocodeur();
    if (!g) return state.SkipWithError("données livrées absentes");
    std::size_t i = 0, trouves = 0;
    for (auto _ : state) {
        const auto r = g->Recherche(textes[i]);
        trouves += !r.empty();
        i = (i + 1) % textes.size();
    }
    state.counters["trouvés"] =
        benchmark::Counter(static_cast<double>(trouves) / static_cast<double>(state.iterations()));
}

void BM_GeocodeurCommuneFrancaise(benchmark::State& state) {
    Cherche(state,
            {"Versailles", "Valence ; Dr\xC3\xB4me",
             "15 rue picot ; Le Havre; 76600 ; "
             "Normandie ; France",
             "Lassigny, 60350, Oise, Picardie, France, ", "SAINT-MALO ; 35 ; FRANCE",
             " ; Paris ; France", "Bellegarde en Forez,42210,42,,,", "Villeneuve-d'Ascq (59)"});
}
BENCHMARK(BM_GeocodeurCommuneFrancaise)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_GeocodeurEtranger(benchmark::State& state) {
    Cherche(state,
            {"Londres ; Angleterre", "Mayence", "Anvers ; Belgique", "Springfield, Illinois, USA",
             "Qu\xC3\xA9"
             "bec, Canada",
             "Pointe-\xC3\xA0-Pitre ; Guadeloupe", "Barcelone", "Gen\xC3\xA8ve ; Suisse",
             "San Jos\xC3\xA9"});
}
BENCHMARK(BM_GeocodeurEtranger)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_GeocodeurInverse(benchmark::State& state) {
    const auto* g = Geocodeur();
    if (!g) return state.SkipWithError("données livrées absentes");
    const std::pair<double, double> points[] = {{48.80, 2.12},   {49.49, 0.11},  {43.30, 5.37},
                                                {51.22, 4.40},   {40.71, -74.0}, {45.0, -30.0},
                                                {-20.88, 55.45}, {35.68, 139.7}};
    std::size_t i = 0, trouves = 0;
    for (auto _ : state) {
        trouves += g->RechercheInverse(points[i].first, points[i].second).has_value();
        i = (i + 1) % std::size(points);
    }
    state.counters["trouvés"] =
        benchmark::Counter(static_cast<double>(trouves) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_GeocodeurInverse)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
