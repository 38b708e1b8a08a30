// The located places written as GeoJSON and KML, on the generated 1,000,000-line tree with
// every place and lieu-dit located (67,204 features). Target: <= 1 s per file.
#include "bench/generateur_gedcom.h"
#include "genealogie/base.h"
#include "genealogie/services.h"
#include "geoloc/export_lieux.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace orlavine {

namespace {

namespace fs = std::filesystem;

// Every entry of the place tool's list located, in all the states.
const TBaseGenereeLocalisee& BaseExport() {
    static const TBaseGenereeLocalisee banc(
        "orlavine-banc-export", [](int i, float& latitude, float& longitude, int& etat) {
            latitude = 42.0f + static_cast<float>(i % 900) / 100.0f;
            longitude = -4.0f + static_cast<float>(i % 1200) / 100.0f;
            etat = i % 3 == 0 ? EtatValide : EtatPlaceALaMain;
        });
    return banc;
}

void BM_ExporteLieux(benchmark::State& etat, geoloc::FormatLieux format) {
    const TBaseGenereeLocalisee& banc = BaseExport();
    TBaseGenealogie base(banc.Base(), true);
    const fs::path sortie =
        banc.Chemin(format == geoloc::FormatLieux::Kml ? "lieux.kml" : "lieux.geojson");
    geoloc::TBilanExportLieux bilan;
    for (auto _ : etat)
        bilan = geoloc::ExporteLieux(base, sortie, format);
    etat.counters["entites"] = static_cast<double>(bilan.Entites);
    etat.counters["Mo"] = static_cast<double>(fs::file_size(sortie)) / 1e6;
}
BENCHMARK_CAPTURE(BM_ExporteLieux, GeoJson, geoloc::FormatLieux::GeoJson)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ExporteLieux, Kml, geoloc::FormatLieux::Kml)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The parts: reading the base, then making the text.
void BM_LieuxLocalises(benchmark::State& etat) {
    TBaseGenealogie base(BaseExport().Base(), true);
    std::size_t n = 0;
    for (auto _ : etat)
        n = geoloc::LieuxLocalises(base).size();
    etat.counters["entites"] = static_cast<double>(n);
}
BENCHMARK(BM_LieuxLocalises)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EcritGeoJson(benchmark::State& etat) {
    TBaseGenealogie base(BaseExport().Base(), true);
    const auto lieux = geoloc::LieuxLocalises(base);
    for (auto _ : etat)
        benchmark::DoNotOptimize(geoloc::EcritGeoJson(lieux));
}
BENCHMARK(BM_EcritGeoJson)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

} // namespace orlavine
