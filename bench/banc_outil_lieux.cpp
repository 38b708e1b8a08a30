// The place tool's list on a base of 100,000 places and 1,000,000 events, offscreen: loading
// (InitListPlaces with LoadAllPlace, then ShowAllPlaces) and switching filters. Targets:
// loading <= 3 s, a filter switch <= 300 ms. A third of the places are located.
// While loading, the window must handle its events (repaint, the cancel button) at least every
// 100 ms, and a click on "Arrêter le traitement" must end the loading within 100 ms.
#include "genealogie/base.h"
#include "geoloc/ihm/frm_outil_lieux.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <functional>
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

using Horloge = std::chrono::steady_clock;

double Ms(Horloge::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The moments the window handles its events: a zero-interval timer fires once each time the
// window's loops let the event loop run, and not while a step holds it.
class Sonde {
public:
    explicit Sonde(std::function<void(Horloge::time_point)> aChaqueTour = {})
        : aChaqueTour_(std::move(aChaqueTour)) {
        QObject::connect(&minuterie_, &QTimer::timeout, [this] {
            const auto t = Horloge::now();
            Note(t);
            ++tours_;
            if (aChaqueTour_) aChaqueTour_(t);
        });
    }
    void Debut() {
        precedent_ = Horloge::now();
        ecartMax_ = 0;
        tours_ = 0;
        minuterie_.start(0);
    }
    void Fin() {
        minuterie_.stop();
        Note(Horloge::now());
    }
    double EcartMaxMs() const { return ecartMax_; }
    long Tours() const { return tours_; }

private:
    void Note(Horloge::time_point t) {
        ecartMax_ = std::max(ecartMax_, Ms(t - precedent_));
        precedent_ = t;
    }
    QTimer minuterie_;
    std::function<void(Horloge::time_point)> aChaqueTour_;
    Horloge::time_point precedent_;
    double ecartMax_ = 0;
    long tours_ = 0;
};

// The longest stretch without event handling while the list loads and shows, from the start of
// the loading to the last row shown.
void BM_OutilLieuxReactivite(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    double pire = 0, pireChargement = 0, pireAffichage = 0;
    long tours = 0;
    for (auto _ : state) {
        Sonde sonde;
        sonde.Debut();
        banc.Fenetre->InitListPlaces();
        sonde.Fin();
        pireChargement = std::max(pireChargement, sonde.EcartMaxMs());
        tours += sonde.Tours();
        sonde.Debut();
        banc.Fenetre->ShowAllPlaces(FilterLocate);
        sonde.Fin();
        pireAffichage = std::max(pireAffichage, sonde.EcartMaxMs());
        tours += sonde.Tours();
    }
    pire = std::max(pireChargement, pireAffichage);
    state.counters["écart_max_ms"] = pire;
    state.counters["écart_max_chargement_ms"] = pireChargement;
    state.counters["écart_max_affichage_ms"] = pireAffichage;
    state.counters["tours"] = static_cast<double>(tours) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OutilLieuxReactivite)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// From the click on "Arrêter le traitement" to the return of the loading (InitListPlaces) and
// of the filling (ShowAllPlaces), the click made at the event handling `range(0)` per cent
// into each of them (counted beforehand on a run without cancel).
void BM_OutilLieuxAnnulation(benchmark::State& state) {
    Banc& banc = Banc::Instance();
    TFormToolLocation& f = *banc.Fenetre;
    const double part = static_cast<double>(state.range(0)) / 100.0;
    auto tours = [](const std::function<void()>& travail) {
        Sonde sonde;
        sonde.Debut();
        travail();
        sonde.Fin();
        return sonde.Tours();
    };
    const auto charge = [&] { f.InitListPlaces(); };
    const auto affiche = [&] { f.ShowAllPlaces(FilterLocate); };
    const long toursChargement = tours(charge);
    const long toursAffichage = tours(affiche);

    // Clicks the cancel button at the event handling number `tour`, and gives the time from
    // that click to the end of `travail`.
    auto latence = [&](long tour, const std::function<void()>& travail) {
        Horloge::time_point clic;
        bool clique = false;
        Sonde sonde([&](Horloge::time_point) {
            if (!clique && sonde.Tours() >= tour) {
                clique = true;
                clic = Horloge::now();
                f.BtCancel->click();
            }
        });
        sonde.Debut();
        travail();
        const auto fin = Horloge::now();
        sonde.Fin();
        if (!clique) state.SkipWithError("pas de clic sur le bouton d'arrêt");
        return Ms(fin - clic);
    };
    double pireChargement = 0, pireAffichage = 0;
    for (auto _ : state) {
        pireChargement =
            std::max(pireChargement,
                     latence(std::max(1L, static_cast<long>(toursChargement * part)), charge));
        state.PauseTiming();
        f.InitListPlaces(); // the whole list again for the filling
        state.ResumeTiming();
        pireAffichage =
            std::max(pireAffichage,
                     latence(std::max(1L, static_cast<long>(toursAffichage * part)), affiche));
    }
    state.counters["annulation_chargement_ms"] = pireChargement;
    state.counters["annulation_affichage_ms"] = pireAffichage;
    state.counters["tours_chargement"] = static_cast<double>(toursChargement);
    state.counters["tours_affichage"] = static_cast<double>(toursAffichage);
}
BENCHMARK(BM_OutilLieuxAnnulation)
    ->Arg(10)
    ->Arg(50)
    ->Arg(90)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

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
