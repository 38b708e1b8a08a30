// The place tool's list on a base of 100,000 places and 1,000,000 events, offscreen: loading
// (InitListPlaces with LoadAllPlace, then ShowAllPlaces) and switching filters. Targets:
// loading <= 3 s, a filter switch <= 300 ms. A third of the places are located.
#include "genealogie/base.h"
#include "geoloc/ihm/frm_outil_lieux.h"

#include <QApplication>
#include <QListWidget>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using namespace orlavine;
namespace fs = std::filesystem;

QApplication& Application() {
    static int argc = 1;
    static char nom[] = "orlavine-bench-outil";
    static char* argv[] = {nom, nullptr};
    static QApplication* a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv); // lives until the program ends
    }();
    return *a;
}

// The base, its services and the window, made once.
struct Banc {
    fs::path Dossier;
    std::unique_ptr<TBaseGenealogie> Base;
    std::unique_ptr<TGestFichier> Gestion;
    std::unique_ptr<geoloc::TServicesLieuxBase> Services;
    std::unique_ptr<TFormToolLocation> Fenetre;

    Banc() {
        Application();
        std::string modele = (fs::temp_directory_path() / "orlavine-banc-outil-XXXXXX").string();
        Dossier = ::mkdtemp(modele.data());
        DefinitRepAppData((Dossier / "donnees").string());
        constexpr std::size_t Lieux = 100000, Evenements = 1000000;
        TContenuImport c;
        c.NomFichier = "outil.ged";
        c.Octets = "0 HEAD\n0 TRLR\n";
        c.Evenements.resize(Evenements);
        for (std::size_t i = 0; i < Evenements; ++i) {
            auto& e = c.Evenements[i];
            const std::size_t lieu = i % Lieux;
            e.LignePlac = static_cast<long>(i + 1);
            e.Etiquette = "BIRT";
            e.Lieu.Commune = "Commune " + std::to_string(lieu);
            e.Lieu.CodeInsee = std::to_string(10000 + lieu % 90000);
            e.Lieu.Pays = "France";
            if (i % 50 == 7) e.LieuDit = "Lieu-dit " + std::to_string(i % 97);
        }
        CreeBase(c, Dossier / "outil.sqlite");
        Base = std::make_unique<TBaseGenealogie>(Dossier / "outil.sqlite");
        Base->Connexion().Execute("INSERT INTO geolocalisation(lieu, lieu_dit, latitude, "
                                  "longitude, etat, provenance, date) SELECT id, '', 46.5, 2.5, "
                                  "6, 'atlas', '2026-01-01T00:00:00Z' FROM lieux WHERE id % 3 = 0");
        Gestion = std::make_unique<TGestFichier>(*Base);
        Services = std::make_unique<geoloc::TServicesLieuxBase>(*Gestion);
        Fenetre = std::make_unique<TFormToolLocation>(*Gestion, *Services, nullptr,
                                                      TParametresOutilLieux{});
    }
    ~Banc() {
        Fenetre.reset();
        Gestion.reset();
        Base.reset();
        std::error_code ec;
        fs::remove_all(Dossier, ec);
    }
    static Banc& Instance() {
        static Banc banc;
        return banc;
    }
};

void BM_OutilLieuxChargement(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    for (auto _ : state) {
        banc.Fenetre->InitListPlaces();
        banc.Fenetre->ShowAllPlaces(FilterLocate);
    }
    state.counters["entrées"] = static_cast<double>(banc.Fenetre->ListPlaces().size());
    state.counters["lignes"] = banc.Fenetre->ListDisplayPlaces->count();
}
BENCHMARK(BM_OutilLieuxChargement)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_OutilLieuxChangementFiltre(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    if (banc.Fenetre->ListPlaces().empty()) banc.Fenetre->InitListPlaces();
    int i = 0;
    for (auto _ : state)
        banc.Fenetre->ShowAllPlaces(i++ % 2 ? FilterLocate : FilterNotLocate);
    state.counters["lignes"] = banc.Fenetre->ListDisplayPlaces->count();
}
BENCHMARK(BM_OutilLieuxChangementFiltre)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

} // namespace
