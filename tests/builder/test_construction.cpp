// Building the atlas from made-up sources: communes, ranks, names, neighbours, the
// validation rules, reproducible bytes, and nothing written when something is wrong.
#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "sources_factices.h"
#include "tools/atlas-build/construction.h"
#include "tools/atlas-build/programme.h"
#include "tools/atlas-build/voisinage.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace orlavine::atlasbuild::test {
namespace {

namespace fs = std::filesystem;

class ConstructionFactice : public ::testing::Test {
protected:
    void SetUp() override {
        sources.Ecrit(dossier.Chemin() / "sources");
        options.Sources = dossier.Chemin() / "sources";
    }
    int Lance(const std::vector<std::string>& arguments) {
        sortie.str({});
        erreurs.str({});
        return ProgrammeAtlasBuild(arguments, sortie, erreurs);
    }

    DossierTemporaire dossier;
    SourcesFactices sources;
    OptionsConstruction options;
    std::ostringstream sortie, erreurs;
};

TEST_F(ConstructionFactice, CommunesRanksNamesAndOutlines) {
    const AtlasConstruit atlas = ConstruitAtlas(options);
    EXPECT_EQ(atlas.Bilan.CommunesOfficielles, sources.Communes.size());
    EXPECT_EQ(atlas.Bilan.CommunesSansPosition, 1u);
    ASSERT_EQ(atlas.Communes.size(), sources.Communes.size() - 1);
    EXPECT_EQ(Trouve(atlas, "01010"), nullptr); // no position, left out

    const TCommune* havre = Trouve(atlas, "01001");
    ASSERT_NE(havre, nullptr);
    EXPECT_EQ(havre->Article, "LE");
    EXPECT_EQ(havre->Nom, "HAVRE");
    EXPECT_EQ(havre->CodePostal, "00000"); // the first postal code
    const std::pair<const char*, int> rangs[] = {
        {"01001", RangVille},          {"75056", RangCapitale},
        {"01008", RangCapitaleRegion}, {"01100", RangPrefecture}, // also an arrondissement seat
        {"2A100", RangPrefecture},     {"01007", RangSousPrefecture},
        {"01006", RangVille},          {"01005", RangCommune}}; // 2,000 and 1,999 inhabitants
    for (const auto& [code, rang] : rangs)
        EXPECT_EQ(Trouve(atlas, code)->Rang, rang) << code;
    for (const TCommune& c : atlas.Communes)
        EXPECT_NE(c.Rang, RangChefLieuCanton);

    // The merged commune stands at the place bearing its own name, not its former commune's.
    const TCommune* fusion = Trouve(atlas, "01011");
    EXPECT_FLOAT_EQ(fusion->Latitude,
                    static_cast<float>(SourcesFactices::Centre("01").Latitude + 0.13));

    // Position and map units agree.
    const PointPlan carte = VersCarte({havre->Latitude, havre->Longitude});
    EXPECT_NEAR(havre->XCarte, carte.X, 0.5);
    EXPECT_NEAR(havre->YCarte, carte.Y, 0.5);

    for (std::size_t i = 0; i + 1 < atlas.Communes.size(); ++i)
        EXPECT_TRUE(AvantDansAtlas(atlas.Communes[i], atlas.Communes[i + 1]));

    // Department names in Windows-1252 and outlines, padded to 203 records in the file.
    ASSERT_EQ(atlas.NomsDepartements.size(), 95u);
    EXPECT_EQ(atlas.NomsDepartements[0], Utf8VersCp1252("Département 01"));
    EXPECT_EQ(atlas.NomsDepartements[19], "Corse");
    EXPECT_EQ(atlas.NomsDepartements[20], "C\xF4te-d'Or");
    ASSERT_EQ(atlas.Contours.size(), 96u);
    EXPECT_EQ(atlas.DepartementsContours[19], "2A");
    EXPECT_EQ(atlas.Contours[0].Points.size(), 4u);

    const FichiersAtlas f = EcritFichiers(atlas);
    std::vector<TDepartement> relus;
    LitContours(f.Contours, relus);
    ASSERT_EQ(relus.size(), 203u);
    EXPECT_EQ(relus[0].Contour.Points, atlas.Contours[0].Points);
    EXPECT_FALSE(relus[96].AUnContour()); // padding
}

TEST(Voisinage, GridFindsExactlyWhatAllPairsFind) {
    std::mt19937 alea(42);
    std::uniform_real_distribution<double> lat(43.0, 49.0), lon(-1.0, 6.0), pres(-0.05, 0.05);
    std::vector<TCommune> communes;
    for (int i = 0; i < 1500; ++i) {
        TCommune c;
        c.Latitude = static_cast<float>(lat(alea));
        c.Longitude = static_cast<float>(lon(alea));
        communes.push_back(c);
    }
    // Clusters, duplicates and exact-radius pairs on top of the spread.
    for (int i = 0; i < 200; ++i) {
        TCommune c = communes[static_cast<std::size_t>(i)];
        c.Latitude += static_cast<float>(pres(alea));
        c.Longitude += static_cast<float>(pres(alea));
        communes.push_back(c);
    }
    communes.push_back(communes[0]);
    const int rayon = 20;
    CalculeVoisins(communes, rayon);

    for (std::size_t i = 0; i < communes.size(); ++i) {
        std::vector<std::pair<int, std::uint16_t>> attendus;
        for (std::size_t j = 0; j < communes.size(); ++j) {
            if (j == i) continue;
            const int d = TCarteFrance::DistanceCommunes(communes[i], communes[j]);
            if (d <= rayon) attendus.push_back({d, static_cast<std::uint16_t>(j)});
        }
        std::sort(attendus.begin(), attendus.end());
        std::vector<std::pair<int, std::uint16_t>> obtenus;
        for (std::size_t k = 0; k < communes[i].Voisins.size(); ++k)
            obtenus.push_back({communes[i].DistancesVoisins[k], communes[i].Voisins[k]});
        ASSERT_EQ(obtenus, attendus) << "commune " << i;
    }
    // The duplicate of commune 0 is its neighbour at 0 km, first in the list.
    ASSERT_FALSE(communes[0].Voisins.empty());
    EXPECT_EQ(communes[0].DistancesVoisins[0], 0);
}

TEST_F(ConstructionFactice, ValidationPassesAndCatchesEachFault) {
    const AtlasConstruit bon = ConstruitAtlas(options);
    const RapportValidation r = ValideAtlas(bon, EcritFichiers(bon));
    EXPECT_TRUE(r.Valide()) << r.Texte(bon);
    EXPECT_EQ(r.PrefecturesPresentes, 96u);
    EXPECT_DOUBLE_EQ(r.PartDansDepartement, 1.0);
    EXPECT_EQ(r.CommunesParDepartement.at("01"), 11u);
    EXPECT_EQ(r.CommunesParDepartement.at("2B"), 1u);
    EXPECT_GT(r.VoisinesVerifiees, 0u);
    EXPECT_TRUE(r.RelectureIdentique);

    auto verifie = [&](auto&& abime, auto&& constate) {
        AtlasConstruit atlas = bon;
        abime(atlas);
        const RapportValidation v = ValideAtlas(atlas, EcritFichiers(atlas));
        EXPECT_FALSE(v.Valide());
        constate(v);
    };
    const auto avecVoisines = std::find_if(bon.Communes.begin(), bon.Communes.end(),
                                           [](const TCommune& c) { return !c.Voisins.empty(); }) -
                              bon.Communes.begin();
    verifie([&](AtlasConstruit& a) { ++a.Communes[avecVoisines].DistancesVoisins[0]; },
            [](const RapportValidation& v) { EXPECT_EQ(v.DistancesFausses, 1u); });
    verifie([&](AtlasConstruit& a) { a.Communes[avecVoisines].Voisins[0] = 60000; },
            [](const RapportValidation& v) { EXPECT_EQ(v.IndexHorsBornes, 1u); });
    verifie([](AtlasConstruit& a) { std::swap(a.Communes[0].Nom, a.Communes[1].Nom); },
            [](const RapportValidation& v) { EXPECT_FALSE(v.NomsTries); });
    verifie(
        [](AtlasConstruit& a) {
            for (TCommune& c : a.Communes)
                if (c.CodeInsee == "01100") c.Rang = RangVille;
        },
        [](const RapportValidation& v) {
            EXPECT_EQ(v.PrefecturesManquantes, std::vector<std::string>{"01"});
        });
    verifie(
        [](AtlasConstruit& a) {
            a.Contours.erase(a.Contours.begin() + 5);
            a.DepartementsContours.erase(a.DepartementsContours.begin() + 5);
        },
        [](const RapportValidation& v) {
            EXPECT_EQ(v.DepartementsSansContour, std::vector<std::string>{"06"});
        });
    // Four communes out of 107 outside their department: 96.3 %, below the 97 % floor.
    verifie(
        [](AtlasConstruit& a) {
            for (int i = 0; i < 4; ++i)
                a.Communes[static_cast<std::size_t>(i)].XCarte += 40 * 208.0f;
        },
        [](const RapportValidation& v) { EXPECT_LT(v.PartDansDepartement, 0.97); });
}

TEST_F(ConstructionFactice, SameSourcesGiveTheSameBytesAndALoadableAtlas) {
    const fs::path a = dossier.Chemin() / "a", b = dossier.Chemin() / "b" / "atlas";
    ASSERT_EQ(Lance({"--sources", options.Sources.string(), "--out", a.string()}), 0)
        << erreurs.str();
    EXPECT_TRUE(Contient(sortie.str(), "Préfectures présentes : 96 / 96"));
    EXPECT_TRUE(Contient(sortie.str(), "Validation : réussie"));
    ASSERT_EQ(Lance({"--sources", options.Sources.string(), "--out", b.string()}), 0)
        << erreurs.str();
    for (const char* nom : {NomFichierCommunes, NomFichierDepartements, NomFichierContours}) {
        const std::string octets = LitFichier(a / nom);
        EXPECT_FALSE(octets.empty()) << nom;
        EXPECT_EQ(octets, LitFichier(b / nom)) << nom;
    }
    const TCarteFrance carte(a);
    EXPECT_EQ(carte.Communes.size(), sources.Communes.size() - 1);
    EXPECT_EQ(carte.NomsDepartements[19], "Corse");
    EXPECT_EQ(carte.Departements.size(), 203u);
    // Only the atlas files were left: no temporary folder beside the output.
    for (const auto& e : fs::directory_iterator(dossier.Chemin()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(ConstructionFactice, CoordinatesFileReplacesAndCompletesGeoNames) {
    const fs::path csv = dossier.Chemin() / "positions.csv";
    const PointGeo c = SourcesFactices::Centre("01");
    EcritFichier(csv, "code_insee;nom;latitude;longitude\n01010;Sans Position;" +
                          std::to_string(c.Latitude - 0.02) + ";" + std::to_string(c.Longitude) +
                          "\n01001;Havre;" + std::to_string(c.Latitude + 0.2) + ";" +
                          std::to_string(c.Longitude) + "\n99999;Inconnue;45;3\n");
    options.Coordonnees = csv;
    const AtlasConstruit atlas = ConstruitAtlas(options);
    EXPECT_EQ(atlas.Communes.size(), sources.Communes.size());
    EXPECT_EQ(atlas.Bilan.PositionsCsv, 2u);
    EXPECT_EQ(atlas.Bilan.LignesCsvInconnues, 1u);
    EXPECT_FLOAT_EQ(Trouve(atlas, "01001")->Latitude, static_cast<float>(c.Latitude + 0.2));
    ASSERT_NE(Trouve(atlas, "01010"), nullptr);
}

TEST_F(ConstructionFactice, BadInputStopsWithAMessageAndWritesNothing) {
    const fs::path sortieAtlas = dossier.Chemin() / "atlas";
    ASSERT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 0);
    const std::string avant = LitFichier(sortieAtlas / NomFichierCommunes);

    // A CSV line with a bad number: the message names the file and the line.
    const fs::path csv = dossier.Chemin() / "positions.csv";
    EcritFichier(csv, "code_insee;nom;latitude;longitude\n01001;A;46.1;4.9\n01002;B;46.1;quatre\n");
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string(),
                     "--coordinates", csv.string()}),
              1);
    EXPECT_TRUE(Contient(erreurs.str(), "positions.csv, ligne 3 : longitude invalide « quatre »"));

    // Damaged JSON and a missing source.
    const fs::path communes = options.Sources / CheminCodeOfficiel / "communes.json";
    const std::string json = LitFichier(communes);
    EcritFichier(communes, json.substr(0, json.size() / 2));
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 1);
    EXPECT_TRUE(Contient(erreurs.str(), "communes.json, ligne"));
    fs::remove(communes);
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 1);
    EXPECT_TRUE(Contient(erreurs.str(), "communes.json : fichier absent"));
    EXPECT_EQ(LitFichier(sortieAtlas / NomFichierCommunes), avant);

    // A failed validation writes nothing either.
    EcritFichier(communes, json);
    const fs::path svg = options.Sources / CheminDessinDepartements;
    std::string dessin = LitFichier(svg);
    dessin.erase(dessin.find("<path\n\t\tid=\"13\""),
                 dessin.find("<path\n\t\tid=\"14\"") - dessin.find("<path\n\t\tid=\"13\""));
    EcritFichier(svg, dessin);
    const fs::path neuve = dossier.Chemin() / "neuve";
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", neuve.string()}), 1);
    EXPECT_TRUE(Contient(sortie.str(), "départements sans contour : 13"));
    EXPECT_TRUE(Contient(erreurs.str(), "aucun fichier écrit"));
    EXPECT_FALSE(fs::exists(neuve));
}

TEST_F(ConstructionFactice, Arguments) {
    EXPECT_EQ(Lance({"--sources", "x"}), 2);
    EXPECT_TRUE(Contient(erreurs.str(), "--sources et --out sont obligatoires"));
    EXPECT_EQ(Lance({"--sources", "x", "--out"}), 2);
    EXPECT_EQ(Lance({"--sortie", "x"}), 2);
    EXPECT_TRUE(Contient(erreurs.str(), "option inconnue « --sortie »"));
    EXPECT_EQ(Lance({"--help"}), 0);
    EXPECT_TRUE(Contient(sortie.str(), "Usage : atlas-build"));
}

} // namespace
} // namespace orlavine::atlasbuild::test
