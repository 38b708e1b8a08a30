// The bundled world file reads, holds every layer at every level, and is rebuilt to the same
// bytes from the pinned sources when they are in the cache.
#include "monde/donnees.h"
#include "tests/builder/cache_sources.h"
#include "tools/monde-build/construction.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orlavine::mondebuild {
namespace {

namespace fs = std::filesystem;
const fs::path FichierLivre = ORLAVINE_MONDE_LIVRE;

using orlavine::test::DossierSources;

TEST(MondeLivre, ReadsWithEveryLayerAndChecksOut) {
    ASSERT_TRUE(fs::exists(FichierLivre)) << "lancer scripts/build-monde.sh";
    const monde::TDonneesMonde d = monde::ChargeDonneesMonde(FichierLivre);
    EXPECT_EQ(d.Couches.size(), 12u);
    EXPECT_GT(d.NombrePoints(), 500000u);
    std::ostringstream rapport;
    EXPECT_TRUE(ValideMonde(d, rapport)) << rapport.str();
    EXPECT_LT(fs::file_size(FichierLivre), 2'000'000u);
}

TEST(MondeLivre, RebuiltByteIdenticalFromTheSources) {
    const fs::path sources = DossierSources();
    if (sources.empty() || !fs::exists(sources / DossierWorldAtlas / "countries-10m.json") ||
        !fs::exists(sources / DossierSaneTopojson / "world_50m.json"))
        GTEST_SKIP() << "sources absentes : scripts/fetch-sources.sh";
    std::ifstream f(FichierLivre, std::ios::binary);
    const std::vector<std::uint8_t> livre((std::istreambuf_iterator<char>(f)),
                                          std::istreambuf_iterator<char>());
    EXPECT_TRUE(monde::EcritDonneesMonde(ConstruitMonde(sources)) == livre)
        << "data/monde/monde.bin ne correspond plus aux sources : scripts/build-monde.sh";
}

TEST(MondeBuild, TopologyArcsRingsAndSharedBorders) {
    // Two squares side by side sharing arc 1; a third country on its own; arc 0 crosses the
    // 180th meridian in a line object.
    const std::string texte =
        R"({"type":"Topology","transform":{"scale":[1,1],"translate":[-180,-90]},
      "arcs":[[[0,100],[10,0],[0,10]], [[10,110],[0,-10]], [[10,100],[10,0],[0,10],[-10,0]],
              [[50,50],[5,0],[0,5],[-5,0],[0,-5]], [[170,10],[-350,0],[5,5]],
              [[0,160],[1,0],[0,1],[358,0],[0,-1],[-359,0]], [[0,5],[180,1],[179,-1],[-359,0]]],
      "objects":{"countries":{"type":"GeometryCollection","geometries":[
          {"type":"Polygon","arcs":[[0,1]]},{"type":"Polygon","arcs":[[2,-2]]},
          {"type":"MultiPolygon","arcs":[[[3]]]}]},
        "land":{"type":"GeometryCollection","geometries":[{"type":"MultiPolygon","arcs":[[[0,2]],[[3]],[[5]],[[6]]]}]},
        "rivers":{"type":"GeometryCollection","geometries":[{"type":"LineString","arcs":[4]}]}}})";
    const TTopologie t = LitTopologie(texte, "essai.json");
    ASSERT_EQ(t.ArcsX.size(), 7u);
    EXPECT_EQ(t.ArcsX[2], (std::vector<std::int32_t>{10, 20, 20, 10}));

    monde::TCoucheMonde frontieres, terres, eaux, fleuves;
    for (auto* c : {&frontieres, &terres, &eaux, &fleuves})
        c->Grille = t.Grille;
    AjouteFrontieres(t, frontieres);
    ASSERT_EQ(frontieres.NombreParties(), 1u); // only the shared arc
    EXPECT_EQ(frontieres.X, (std::vector<std::int32_t>{10, 10}));
    AjouteTerres(t, terres, eaux);
    ASSERT_EQ(terres.NombreParties(), 4u);
    // A ring across the 180th meridian (out and back, the way back on its closing edge)
    // runs on past it instead of jumping across the plane.
    const auto partie = [&](std::size_t p, const std::vector<std::int32_t>& v) {
        return std::vector<std::int32_t>(v.begin() + terres.Debuts[p],
                                         v.begin() + terres.Debuts[p + 1]);
    };
    EXPECT_EQ(partie(2, terres.X), (std::vector<std::int32_t>{0, 1, 1, -1, -1}));
    // A ring round the South Pole is closed along the pole's parallel.
    EXPECT_EQ(partie(3, terres.X), (std::vector<std::int32_t>{0, 180, 359, 359, 0}));
    EXPECT_EQ(partie(3, terres.Y), (std::vector<std::int32_t>{5, 6, 5, 0, 0}));
    EXPECT_EQ(terres.Debuts[1], 6u); // 3 + 4 points, the joint and the closing point once
    EXPECT_EQ(terres.X[3], 20);
    EXPECT_EQ(eaux.NombreParties(), 0u);
    AjouteLignes(t, "rivers", fleuves);
    EXPECT_EQ(fleuves.NombreParties(), 1u) << "the jump across the plane is cut";

    EXPECT_THROW(LitTopologie("{", "x.json"), Erreur);
    EXPECT_THROW(LitTopologie(R"({"type":"Topology"})", "x.json"), Erreur);
    EXPECT_THROW(t.Objet("lakes"), Erreur);
}

} // namespace
} // namespace orlavine::mondebuild
