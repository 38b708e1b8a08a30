// Drawing of the map: projection of every outline, placement of the displayed communes and
// a whole paint. On the bundled atlas when it is there, else on the generated one.
//
// In orlavine-bench the paint goes to a surface that measures texts with fixed widths, so
// it times the atlas's own work. Built with ORLAVINE_BANC_QT (orlavine-bench-carte, next to
// the map view) the paint goes to a QPainter on a 1000 x 700 picture, as the map window does.
#include "atlas/carte_france.h"
#include "atlas/surface.h"
#include "bench/generateur.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#ifdef ORLAVINE_BANC_QT
#include "mapview/surface_qt.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

namespace orlavine {

namespace {

// Texts are 6 pixels a character and 12 high; drawing calls do nothing.
class SurfaceMesure final : public ISurfaceDessin {
public:
    void FixeLargeurPlume(int) override {}
    void FixeCouleurPlume(TColor) override {}
    void FixeStylePlume(StylePlume) override {}
    void FixeCouleurBrosse(TColor) override {}
    void FixeStyleBrosse(StyleBrosse) override {}
    void FixeGras(bool g) override { gras_ = g; }
    void FixeSouligne(bool) override {}
    void Ellipse(const TRect&) override { ++formes; }
    void Rectangle(const TRect&) override { ++formes; }
    void Polygone(const TPoint*, std::size_t n) override { formes += static_cast<long>(n); }
    void TexteA(int, int, const AnsiString&) override { ++formes; }
    TTailleTexte EtendueTexte(const AnsiString& t) override {
        return TTailleTexte{static_cast<int>(t.size()) * (gras_ ? 7 : 6), 12};
    }
    int HauteurTexte(const AnsiString&) override { return 12; }
    int PointsParPouce() const override { return 96; }
    long formes = 0;

private:
    bool gras_ = false;
};

// The bundled atlas of the source tree, else a generated one.
TCarteFrance& Atlas() {
    static std::unique_ptr<TCarteFrance> carte = [] {
        const auto dossier =
            std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "atlas";
        if (std::filesystem::exists(dossier / "cc.dat")) {
            try {
                return std::make_unique<TCarteFrance>(dossier);
            } catch (const std::exception&) {
            }
        }
        AtlasGenere genere = GenereAtlas();
        std::vector<TDepartement> departements;
        for (TPointsDep& p : genere.Contours) {
            TDepartement d;
            d.Contour = std::move(p);
            departements.push_back(std::move(d));
        }
        return std::make_unique<TCarteFrance>(std::move(departements), std::move(genere.Communes),
                                              std::move(genere.NomsDepartements));
    }();
    return *carte;
}

// The n communes nearest to the middle of the map's communes, the first one blinking.
void AfficheCommunes(TCarteFrance& carte, std::size_t n) {
    const std::size_t total = carte.Communes.size();
    const TCommune& centre = carte.Communes[total / 2];
    std::vector<std::pair<float, int>> proches;
    proches.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        const float dx = carte.Communes[i].XCarte - centre.XCarte;
        const float dy = carte.Communes[i].YCarte - centre.YCarte;
        proches.emplace_back(dx * dx + dy * dy, static_cast<int>(i));
    }
    n = std::min(n, total);
    std::partial_sort(proches.begin(), proches.begin() + static_cast<std::ptrdiff_t>(n),
                      proches.end());
    carte.ViderCommunesAffichees();
    for (std::size_t k = 0; k < n; ++k)
        carte.AjouteCommuneAffichee(proches[k].second, "", k == 0, false);
    carte.IndexCommuneCentree = 0;
}

void BM_ProjeteCarte(benchmark::State& state) {
    TCarteFrance& carte = Atlas();
    carte.ViderCommunesAffichees();
    SurfaceMesure surface;
    const double zoom = static_cast<double>(state.range(0)) / 10.0;
    for (auto _ : state) {
        carte.ProjeteCarte(surface, zoom);
        benchmark::DoNotOptimize(carte.RectCarte);
    }
    state.SetLabel("zoom " + std::to_string(zoom));
}
BENCHMARK(BM_ProjeteCarte)->Arg(12)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Placement at a zoom where labels compete (about 8 pixels a km).
void BM_PlaceCommunesAffichees(benchmark::State& state) {
    TCarteFrance& carte = Atlas();
    AfficheCommunes(carte, static_cast<std::size_t>(state.range(0)));
    SurfaceMesure surface;
    carte.ProjeteCarte(surface, 20.0);
    for (auto _ : state) {
        carte.PlaceCommunesAffichees(surface);
        benchmark::ClobberMemory();
    }
    state.counters["placees"] = static_cast<double>(
        std::count_if(carte.CommunesAffichees.begin(), carte.CommunesAffichees.end(),
                      [](const TCommuneAffiche& e) { return e.SymboleVisible && e.TextePlace; }));
}
BENCHMARK(BM_PlaceCommunesAffichees)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// A whole paint of the atlas's drawing on the measuring surface (no pixels).
void BM_DessineCarte(benchmark::State& state) {
    TCarteFrance& carte = Atlas();
    AfficheCommunes(carte, 300);
    SurfaceMesure surface;
    carte.ProjeteCarte(surface, static_cast<double>(state.range(0)) / 10.0);
    for (auto _ : state) {
        carte.DessineCarte(surface);
        carte.DessineCadreLegende(surface, 96, TPoint{5, 5});
    }
    state.counters["formes"] =
        static_cast<double>(surface.formes) /
        static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}
BENCHMARK(BM_DessineCarte)->Arg(12)->Arg(1000)->Unit(benchmark::kMicrosecond);

#ifdef ORLAVINE_BANC_QT
// The map window's paint: 1000 x 700 pixels, 300 communes, the view centred on the first.
void BM_PeintCarteQt(benchmark::State& state) {
    static int argc = 1;
    static char nom[] = "orlavine-bench-carte";
    static char* argv[] = {nom, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv); // lives until the program ends
    }
    TCarteFrance& carte = Atlas();
    AfficheCommunes(carte, 300);
    QImage image(1000, 700, QImage::Format_RGB32);
    const QFont police = PoliceCarteDefaut();
    {
        TSurfaceQt mesure(police, &image, 96);
        carte.ProjeteCarte(mesure, static_cast<double>(state.range(0)) / 10.0);
    }
    const TPoint centre = carte.PositionCommuneAffichee(0);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(500 - centre.x, 350 - centre.y);
        TSurfaceQt surface(painter, police);
        carte.DessineCarte(surface);
        painter.resetTransform();
        carte.DessineCadreLegende(surface, 96, TPoint{5, 5});
    }
}
BENCHMARK(BM_PeintCarteQt)->Arg(12)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
#endif

} // namespace

} // namespace orlavine
