// The world map's paint at 1000 x 700 on the bundled world file and atlas: the whole world,
// Europe, and Paris at 1:1 000 000. BM_PeintMonde paints through the map control onto a
// QImage, as the window does; BM_DessineMonde times the world drawing's own work (culling,
// projection, clipping, label placement) on a surface that draws nothing.
#include "atlas/carte_france.h"
#include "mapview/web_osmaps.h"
#include "monde/dessin.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace orlavine {
namespace {

class SurfaceMuette final : public ISurfaceDessin {
public:
    void FixeLargeurPlume(int) override {}
    void FixeCouleurPlume(TColor) override {}
    void FixeStylePlume(StylePlume) override {}
    void FixeCouleurBrosse(TColor) override {}
    void FixeStyleBrosse(StyleBrosse) override {}
    void FixeGras(bool) override {}
    void FixeSouligne(bool) override {}
    void Ellipse(const TRect&) override { ++formes; }
    void Rectangle(const TRect&) override { ++formes; }
    void Polygone(const TPoint*, std::size_t n) override { formes += static_cast<long>(n); }
    void Polyligne(const TPoint*, std::size_t n) override { formes += static_cast<long>(n); }
    void TexteA(int, int, const AnsiString&) override { ++formes; }
    TTailleTexte EtendueTexte(const AnsiString& t) override {
        return {static_cast<int>(t.size()) * 6, 12};
    }
    int HauteurTexte(const AnsiString&) override { return 12; }
    int PointsParPouce() const override { return 96; }
    long formes = 0;
};

QApplication& Application() {
    static int argc = 1;
    static char nom[] = "orlavine-bench-monde";
    static char* argv[] = {nom, nullptr};
    static QApplication* a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv); // lives until the program ends
    }();
    return *a;
}

const TCarteFrance& Atlas() {
    static const auto a = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
    return *a;
}

// Vue 0: the whole world; 1: Europe; 2: Paris at 1:1M.
void Cadre(TWebOSMaps& carte, int vue) {
    switch (vue) {
    case 0:
        carte.Englobe(-60, -180, 80, 180);
        break;
    case 1:
        carte.Englobe(35, -12, 60, 30);
        break;
    default:
        carte.ArcGisMapCenterAt(48.8566, 2.3522);
        carte.FixeEchelle(1e6);
        break;
    }
}

void BM_PeintMonde(benchmark::State& state) {
    Application();
    TWebOSMaps carte;
    carte.FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    carte.FixeAtlas(&Atlas());
    carte.resize(1000, 700);
    carte.Launch();
    if (!QTest::qWaitFor([&] { return carte.Pret(); }, 10000) || !carte.Erreur().isEmpty()) {
        state.SkipWithError("carte du monde illisible");
        return;
    }
    Cadre(carte, static_cast<int>(state.range(0)));
    QImage image(1000, 700, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        carte.DessineSur(painter, 1000, 700);
    }
    state.counters["communes"] = carte.DernierDessin().Communes;
    state.counters["libelles"] = carte.DernierDessin().Libelles;
}
BENCHMARK(BM_PeintMonde)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_DessineMonde(benchmark::State& state) {
    Application();
    static const auto donnees = DonneesMondePartagees(ORLAVINE_MONDE_LIVRE);
    monde::TCarteMonde carte(donnees.get(), &Atlas());
    monde::TVueMonde v;
    switch (state.range(0)) {
    case 0:
        v = monde::VueEnglobante(-60, -180, 80, 180, 1000, 700);
        break;
    case 1:
        v = monde::VueEnglobante(35, -12, 60, 30, 1000, 700);
        break;
    default:
        v.Centre = {48.8566, 2.3522};
        v.FixeDenominateurEchelle(1e6);
        break;
    }
    SurfaceMuette s;
    for (auto _ : state)
        benchmark::DoNotOptimize(carte.Dessine(s, v, {}));
    state.counters["points"] =
        static_cast<double>(s.formes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DessineMonde)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_ChargeMonde(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(monde::ChargeDonneesMonde(ORLAVINE_MONDE_LIVRE));
}
BENCHMARK(BM_ChargeMonde)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orlavine
