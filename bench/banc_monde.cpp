// The world map's paint at 1000 x 700 on the bundled world file, atlas and gazetteer: the
// whole world, Europe, Paris at 1:1 000 000, Mainz on the Rhine at 1:1 000 000 and Europe at
// 1:10 000 000; the second argument says whether the towns abroad are drawn (1) or not (0).
// BM_PeintMonde paints through the map control onto a QImage, as the window does; BM_DessineMonde
// times the world drawing's own work (culling, projection, clipping, label placement) on a surface
// that draws nothing.
#include "atlas/carte_france.h"
#include "geocodeur/monde.h"
#include "mapview/villes_monde.h"
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

// The gazetteer's towns abroad, filed once.
const std::shared_ptr<const monde::TVillesMonde>& Villes() {
    static const auto v =
        VillesMondePartagees(geocodeur::TMonde::Charge(ORLAVINE_GEOCODEUR_LIVRE), &Atlas());
    return v;
}

// Vue 0: the whole world; 1: Europe; 2: Paris at 1:1M; 3: Mainz at 1:1M; 4: Europe at 1:10M.
monde::TVueMonde VueBanc(int vue) {
    monde::TVueMonde v;
    v.Largeur = 1000;
    v.Hauteur = 700;
    switch (vue) {
    case 0:
        return monde::VueEnglobante(-60, -180, 80, 180, 1000, 700);
    case 1:
        return monde::VueEnglobante(35, -12, 60, 30, 1000, 700);
    case 2:
        v.Centre = {48.8566, 2.3522};
        v.FixeDenominateurEchelle(1e6);
        break;
    case 3:
        v.Centre = {49.9929, 8.2473};
        v.FixeDenominateurEchelle(1e6);
        break;
    default:
        v.Centre = {50.0, 10.0};
        v.FixeDenominateurEchelle(1e7);
        break;
    }
    return v;
}

void Cadre(TWebOSMaps& carte, int vue) {
    if (vue == 0) return carte.Englobe(-60, -180, 80, 180);
    if (vue == 1) return carte.Englobe(35, -12, 60, 30);
    const monde::TVueMonde v = VueBanc(vue);
    carte.ArcGisMapCenterAt(v.Centre.Latitude, v.Centre.Longitude);
    carte.FixeEchelle(v.DenominateurEchelle());
}

void BM_PeintMonde(benchmark::State& state) {
    Application();
    TWebOSMaps carte;
    carte.FixeFichierMonde(ORLAVINE_MONDE_LIVRE);
    carte.FixeAtlas(&Atlas());
    if (state.range(1) != 0) carte.FixeVilles(Villes());
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
    state.counters["villes"] = carte.DernierDessin().Villes;
    state.counters["libelles"] = carte.DernierDessin().Libelles;
}
BENCHMARK(BM_PeintMonde)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_DessineMonde(benchmark::State& state) {
    Application();
    static const auto donnees = DonneesMondePartagees(ORLAVINE_MONDE_LIVRE);
    monde::TCarteMonde carte(donnees.get(), &Atlas());
    if (state.range(1) != 0) carte.FixeVilles(Villes().get());
    const monde::TVueMonde v = VueBanc(static_cast<int>(state.range(0)));
    SurfaceMuette s;
    for (auto _ : state)
        benchmark::DoNotOptimize(carte.Dessine(s, v, {}));
    state.counters["points"] =
        static_cast<double>(s.formes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DessineMonde)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})->Unit(benchmark::kMicrosecond);

// Filing the gazetteer's towns for the map, once per program.
void BM_FileVilles(benchmark::State& state) {
    const auto m = geocodeur::TMonde::Charge(ORLAVINE_GEOCODEUR_LIVRE);
    for (auto _ : state)
        benchmark::DoNotOptimize(VillesMondePartagees(m, &Atlas()));
}
BENCHMARK(BM_FileVilles)->Unit(benchmark::kMillisecond);

void BM_ChargeMonde(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(monde::ChargeDonneesMonde(ORLAVINE_MONDE_LIVRE));
}
BENCHMARK(BM_ChargeMonde)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orlavine
