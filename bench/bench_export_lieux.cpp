// The located places written as GeoJSON and KML, on the generated 1,000,000-line tree with
// every place and lieu-dit located (67,204 features). Target: <= 1 s per file.
#include "bench/generateur_gedcom.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/services_liste.h"
#include "geoloc/export_lieux.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace orlavine {

namespace {

namespace fs = std::filesystem;

class BaseExport {
public:
    static BaseExport& Instance() {
        static BaseExport banc;
        return banc;
    }
    const fs::path& Base() const { return base_; }
    fs::path Chemin(const std::string& nom) const { return dossier_ / nom; }
    ~BaseExport() {
        std::error_code ec;
        fs::remove_all(dossier_, ec);
    }
    BaseExport(const BaseExport&) = delete;
    BaseExport& operator=(const BaseExport&) = delete;

private:
    BaseExport() {
        std::string modele = (fs::temp_directory_path() / "orlavine-banc-export-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
        const fs::path arbre = dossier_ / "arbre.ged";
        TailleArbreGenere taille;
        taille.Lieux = 42000; // with their lieux-dits, 67,204 entries
        std::ofstream(arbre, std::ios::binary) << GenereGedcom(taille);
        base_ = dossier_ / "base.sqlite";
        ImporteGedcom(arbre, base_);
        // Every entry of the place tool's list located, in all the states.
        TBaseGenealogie base(base_);
        TGestFichier gestion(base);
        const TListePlaces liste = InitListPlaces(gestion);
        TransactionSqlite t(base.Connexion());
        int i = 0;
        for (const auto& e : liste) {
            SGeoChps g(e->IdPlace, e->LieuDit, 42.0f + static_cast<float>(i % 900) / 100.0f,
                       -4.0f + static_cast<float>(i % 1200) / 100.0f,
                       i % 3 == 0 ? EtatValide : EtatPlaceALaMain);
            gestion.ModuleBDD.UpdateCoordGeo(&g);
            ++i;
        }
        t.Valide();
        fs::remove(arbre);
    }
    fs::path dossier_;
    fs::path base_;
};

void BM_ExporteLieux(benchmark::State& etat, geoloc::FormatLieux format) {
    BaseExport& banc = BaseExport::Instance();
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
    TBaseGenealogie base(BaseExport::Instance().Base(), true);
    std::size_t n = 0;
    for (auto _ : etat)
        n = geoloc::LieuxLocalises(base).size();
    etat.counters["entites"] = static_cast<double>(n);
}
BENCHMARK(BM_LieuxLocalises)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EcritGeoJson(benchmark::State& etat) {
    TBaseGenealogie base(BaseExport::Instance().Base(), true);
    const auto lieux = geoloc::LieuxLocalises(base);
    for (auto _ : etat)
        benchmark::DoNotOptimize(geoloc::EcritGeoJson(lieux));
}
BENCHMARK(BM_EcritGeoJson)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

} // namespace orlavine
