// The map of the whole tree on the generated 1,000,000-line tree with every place and lieu-dit
// located (67,204 disks, in the four states of the map), drawn at 1000 x 700 onto a QImage as
// the window and the picture files draw it. Target: <= 50 ms for the drawing.
//   BM_DessineCarteArbre/0: the whole tree, /1: France alone; the world beneath, the disks,
//     the labels, the legend, the scale bar and the credits; the base is read beforehand.
//   BM_DisquesCarteArbre: the disks, labels and legend alone (no world beneath).
//   BM_MiseEnPageCarteArbre: their layout alone (projection, hidden disks, labels).
//   BM_LitCarteArbre: reading the places from the base (not part of the drawing).
//   BM_ImagesCarteArbre: with ORLAVINE_BANC_IMAGES=DOSSIER, writes the pictures to look at.
#include "atlas/carte_france.h"
#include "bench/generateur_gedcom.h"
#include "genealogie/base.h"
#include "genealogie/services.h"
#include "geoloc/carte_arbre.h"
#include "geoloc/ihm/carte_arbre_qt.h"
#include "mapview/surface_qt.h"
#include "mapview/web_osmaps.h"
#include "monde/dessin.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace orlavine {
namespace {

namespace fs = std::filesystem;

QApplication& Application() {
    static int argc = 1;
    static char nom[] = "orlavine-bench-carte-arbre";
    static char* argv[] = {nom, nullptr};
    static QApplication* a = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv); // lives until the program ends
    }();
    return *a;
}

// Every entry of the place tool's list located over France, in the map's four states.
const TBaseGenereeLocalisee& BaseCarte() {
    static const TBaseGenereeLocalisee banc(
        "orlavine-banc-carte", [](int i, float& latitude, float& longitude, int& etat) {
            constexpr int Etats[] = {EtatValide, EtatPlaceALaMain, EtatLocaliseLu, EtatCommunePays};
            latitude = 42.5f + static_cast<float>(i % 830) / 100.0f;
            longitude = -4.5f + static_cast<float>(i % 1150) / 100.0f;
            etat = Etats[i % 4];
        });
    return banc;
}

const geoloc::TCarteArbre& Carte() {
    static const geoloc::TCarteArbre carte = [] {
        TBaseGenealogie base(BaseCarte().Base(), true);
        return geoloc::TCarteArbre::Lit(base);
    }();
    return carte;
}

void BM_DessineCarteArbre(benchmark::State& etat) {
    Application();
    const geoloc::TCarteArbre& carte = Carte();
    static const auto donnees = DonneesMondePartagees(ORLAVINE_MONDE_LIVRE);
    static const TCarteFrance atlas(ORLAVINE_ATLAS_LIVRE);
    monde::TCarteMonde fond(donnees.get(), &atlas);
    const monde::TVueMonde vue = carte.Cadre(1000, 700, etat.range(0) != 0);
    QImage image(1000, 700, QImage::Format_RGB32);
    geoloc::TBilanCarteArbre bilan;
    for (auto _ : etat) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PeintCarteArbre(painter, carte, vue, &fond, &bilan);
    }
    etat.counters["lieux"] = static_cast<double>(carte.Lieux().size());
    etat.counters["disques"] = static_cast<double>(bilan.Disques);
    etat.counters["dessines"] = static_cast<double>(bilan.Dessines);
    etat.counters["etiquettes"] = static_cast<double>(bilan.Etiquettes);
}
BENCHMARK(BM_DessineCarteArbre)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// With ORLAVINE_BANC_IMAGES=DOSSIER, the pictures drawn are written there to be looked at.
void BM_ImagesCarteArbre(benchmark::State& etat) {
    Application();
    const char* dossier = std::getenv("ORLAVINE_BANC_IMAGES");
    static const auto donnees = DonneesMondePartagees(ORLAVINE_MONDE_LIVRE);
    static const TCarteFrance atlas(ORLAVINE_ATLAS_LIVRE);
    monde::TCarteMonde fond(donnees.get(), &atlas);
    for (auto _ : etat) {
        if (dossier == nullptr) continue;
        for (const bool france : {false, true})
            for (const auto& [l, h] : {std::pair{1024, 600}, std::pair{1600, 1000}})
                EnregistreCarteArbre(
                    QStringLiteral("%1/carte-arbre-genere-%2-%3x%4.png")
                        .arg(QString::fromLocal8Bit(dossier),
                             france ? QStringLiteral("france") : QStringLiteral("tout"))
                        .arg(l)
                        .arg(h),
                    Carte(), Carte().Cadre(l, h, france), &fond);
    }
}
BENCHMARK(BM_ImagesCarteArbre)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DisquesCarteArbre(benchmark::State& etat) {
    Application();
    const geoloc::TCarteArbre& carte = Carte();
    const monde::TVueMonde vue = carte.Cadre(1000, 700, false);
    QImage image(1000, 700, QImage::Format_RGB32);
    for (auto _ : etat) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        TSurfaceQt s(painter, PoliceCarteDefaut());
        s.FixeEllipsesPolygones(true);
        benchmark::DoNotOptimize(carte.Dessine(s, carte.MetEnPage(vue, s)));
    }
}
BENCHMARK(BM_DisquesCarteArbre)->Unit(benchmark::kMillisecond)->UseRealTime();

// The layout alone: projection, hidden disks, labels and legend measured.
void BM_MiseEnPageCarteArbre(benchmark::State& etat) {
    Application();
    const geoloc::TCarteArbre& carte = Carte();
    const monde::TVueMonde vue = carte.Cadre(1000, 700, false);
    QImage image(1000, 700, QImage::Format_RGB32);
    TSurfaceQt mesure(PoliceCarteDefaut(), &image, 96);
    for (auto _ : etat)
        benchmark::DoNotOptimize(carte.MetEnPage(vue, mesure));
}
BENCHMARK(BM_MiseEnPageCarteArbre)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LitCarteArbre(benchmark::State& etat) {
    TBaseGenealogie base(BaseCarte().Base(), true);
    std::size_t n = 0;
    for (auto _ : etat)
        n = geoloc::TCarteArbre::Lit(base).Lieux().size();
    etat.counters["lieux"] = static_cast<double>(n);
}
BENCHMARK(BM_LitCarteArbre)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace orlavine
