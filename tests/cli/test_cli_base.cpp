#include "app/cli/base.h"
#include "app/cli/commandes.h"
#include "app/communes_atlas.h"
#include "genealogie/services.h"
#include "geoloc/carte_arbre.h"
#include "host/erreur.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace orlavine {
namespace {

using test::Commune;

std::vector<TCommune> Communes() {
    auto havre = Commune("HAVRE", "76351", 49.4938f, 0.1077f, 6, "LE");
    havre.CodePostal = "76600";
    auto malo = Commune("SAINT-MALO", "35288", 48.6493f, -2.0257f);
    malo.CodePostal = "35400";
    auto villeneuve35 = Commune("VILLENEUVE", "35999", 48.0f, -1.5f);
    villeneuve35.CodePostal = "35130";
    auto villeneuve44 = Commune("VILLENEUVE", "44999", 47.2f, -1.5f);
    villeneuve44.CodePostal = "44130";
    auto ajaccio = Commune("AJACCIO", "2A004", 41.9192f, 8.7386f, 7);
    ajaccio.CodePostal = "20000";
    // Sorted by name, as the communes file is.
    return {ajaccio, havre, malo, villeneuve35, villeneuve44};
}

TEST(CommunesAtlas, TownAndCodeMatching) {
    test::DossierTemporaire dossier;
    dossier.EcritAtlas(Communes());
    const TCarteFrance carte(dossier.Chemin().string());
    const CommunesAtlas atlas(carte);

    EXPECT_TRUE(atlas.EstCommune("Le Havre"));
    EXPECT_TRUE(atlas.EstCommune("ST MALO"));
    EXPECT_TRUE(atlas.EstCommune("saint-malo"));
    EXPECT_FALSE(atlas.EstCommune("Havre"));
    EXPECT_FALSE(atlas.EstCommune(""));

    auto code = [&](std::string_view ville, std::string_view c, std::string_view pays = "Fr") {
        const auto r = atlas.Cherche(ville, c, pays);
        return r ? r->CodePostal : std::string("-");
    };
    EXPECT_EQ(code("Le Havre", ""), "76600");
    EXPECT_EQ(code("Le Havre", "", "Belgique"), "-");
    EXPECT_EQ(code("Le Havre", "", "FRANCE"), "76600");
    // Homonyms: the code settles it (INSEE, postal, or only the department); alone, none.
    EXPECT_EQ(code("Villeneuve", ""), "-");
    EXPECT_EQ(code("Villeneuve", "44999"), "44130");
    EXPECT_EQ(code("Villeneuve", "35130"), "35130");
    EXPECT_EQ(code("Villeneuve", "35000"), "35130");
    EXPECT_EQ(code("Villeneuve", "75001"), "-");
    // A name and a code that disagree are not guessed between.
    EXPECT_EQ(code("Saint-Malo", "76600"), "-");
    EXPECT_EQ(code("Ajaccio", "20167"), "20000"); // Corsica: 2A and 20 are one department
    // A code alone.
    EXPECT_EQ(code("", "35288"), "35400");
    EXPECT_EQ(code("", "76600"), "76600");
    EXPECT_EQ(code("", "99999"), "-");

    // Through the country file: longitude first.
    TFicPays pays;
    pays.DefinitRecherche(atlas.Recherche());
    double lon = 0, lat = 0;
    EXPECT_EQ(pays.GetCPByCom("Saint-Malo", "", "Fr", lon, lat), "35400");
    EXPECT_NEAR(lon, -2.0257, 1e-4);
    EXPECT_NEAR(lat, 48.6493, 1e-4);
}

TEST(CommunesAtlas, ACityIsFoundByAnyOfItsPostalCodes) {
    auto marseille = Commune("MARSEILLE", "13055", 43.2965f, 5.3698f, 8);
    marseille.CodePostal = "13001";
    auto aubagne = Commune("AUBAGNE", "13005", 43.2927f, 5.5708f);
    aubagne.CodePostal = "13400";
    const TCarteFrance carte({}, {aubagne, marseille}, test::NomsDepartements(), {},
                             {{1, "13008"}, {1, "13016"}});
    const CommunesAtlas atlas(carte);
    auto code = [&](std::string_view ville, std::string_view c) {
        const auto r = atlas.Cherche(ville, c, "France");
        return r ? r->CodePostal : std::string("-");
    };
    // The caller's code when it is one of the city's: it names the district.
    EXPECT_EQ(code("Marseille", "13008"), "13008");
    EXPECT_EQ(code("Marseille", "13001"), "13001");
    EXPECT_EQ(code("", "13016"), "13016");
    // Otherwise the city's own.
    EXPECT_EQ(code("Marseille", ""), "13001");
    EXPECT_EQ(code("Marseille", "13055"), "13001");
    EXPECT_EQ(code("Marseille", "13999"), "13001"); // only the department agrees
    EXPECT_EQ(code("Aubagne", "13008"), "13400");   // the only Aubagne of the department
    EXPECT_EQ(code("", "13009"), "-");

    TFicPays pays;
    pays.DefinitRecherche(atlas.Recherche());
    double lon = 0, lat = 0;
    EXPECT_EQ(pays.GetCPByCom("Marseille", "13008", "Fr", lon, lat), "13008");
    EXPECT_NEAR(lat, 43.2965, 1e-4);
}

class CommandeBase : public ::testing::Test {
protected:
    void SetUp() override {
        atlas_.EcritAtlas(Communes());
        // No FORM: the lieu-dit is found before the town that the atlas knows.
        test::EcritFichier(Chemin("arbre.ged"), "0 HEAD\n"
                                                "1 CHAR UTF-8\n"
                                                "0 @I1@ INDI\n"
                                                "1 BIRT\n"
                                                "2 PLAC Le Havre, 76600, Seine-Maritime, France\n"
                                                "3 MAP\n"
                                                "4 LATI N49.4938\n"
                                                "4 LONG E0.1077\n"
                                                "1 DEAT\n"
                                                "2 PLAC Le Moulin, Saint-Malo, 35400, France\n"
                                                "0 @I2@ INDI\n"
                                                "1 BIRT\n"
                                                "2 PLAC Le Havre, 76600, Seine-Maritime, France\n"
                                                "0 @F1@ FAM\n"
                                                "0 TRLR\n");
    }
    std::string Chemin(const std::string& nom) const { return (dossier_.Chemin() / nom).string(); }
    int Lance(std::vector<std::string> args) {
        sortie_.str("");
        erreurs_.str("");
        return cli::Principal(args, atlas_.Chemin().string(), sortie_, erreurs_);
    }

    test::DossierTemporaire atlas_;
    test::DossierTemporaire dossier_;
    std::ostringstream sortie_;
    std::ostringstream erreurs_;
};

TEST_F(CommandeBase, ImportListExport) {
    const std::string base = Chemin("b.sqlite");
    ASSERT_EQ(Lance({"base", "importer", Chemin("arbre.ged"), "--base", base}), 0)
        << erreurs_.str();
    EXPECT_EQ(sortie_.str(), "individus : 2\n"
                             "familles : 1\n"
                             "événements : 3\n"
                             "lieux : 2\n"
                             "lieux-dits : 1\n"
                             "coordonnées lues : 1\n"
                             "lignes ignorées : 0\n");

    ASSERT_EQ(Lance({"--tsv", "base", "lieux", "--base", base}), 0) << erreurs_.str();
    EXPECT_EQ(sortie_.str(), "0\t1\t\tLe Havre, 76600, Seine-Maritime, France\t49.4938\t0.1077\t2\n"
                             "1\t2\tLe Moulin\tSaint-Malo, 35400, France\t0\t0\t3\n");
    ASSERT_EQ(Lance({"base", "lieux", "--filtre", "non-localises", "--base", base}), 0);
    EXPECT_EQ(sortie_.str(), "1 | 2 | Le Moulin | Saint-Malo, 35400, France | 0 | 0 | 3\n");
    ASSERT_EQ(Lance({"base", "lieux", "--base", base, "--filtre", "valides"}), 0);
    EXPECT_EQ(sortie_.str(), "");

    ASSERT_EQ(Lance({"base", "exporter", "--base", base, Chemin("sortie.ged")}), 0);
    EXPECT_EQ(test::LitFichier(Chemin("sortie.ged")), test::LitFichier(Chemin("arbre.ged")));
    ASSERT_EQ(Lance({"base", "exporter", "--base", base, "--format", "gedcom", Chemin("s2.ged")}),
              0);
    EXPECT_EQ(test::LitFichier(Chemin("s2.ged")), test::LitFichier(Chemin("arbre.ged")));
    // The located places only: Le Havre, read from the file.
    ASSERT_EQ(Lance({"base", "exporter", "--format", "geojson", "--base", base, Chemin("l.json")}),
              0)
        << erreurs_.str();
    EXPECT_EQ(sortie_.str(), Chemin("l.json") + " :\n1 lieu localisé écrit (GeoJSON).\n");
    EXPECT_NE(test::LitFichier(Chemin("l.json")).find("[0.1077,49.4938]"), std::string::npos);
    ASSERT_EQ(
        Lance({"--tsv", "base", "exporter", "--format", "kml", "--base", base, Chemin("l.kml")}),
        0);
    EXPECT_EQ(sortie_.str(), "entites\t1\n");
    EXPECT_NE(test::LitFichier(Chemin("l.kml")).find("<coordinates>0.1077,49.4938</coordinates>"),
              std::string::npos);

    // Refused without --remplacer: the base stays as it was.
    const std::string avant = test::LitFichier(base);
    EXPECT_EQ(Lance({"base", "importer", Chemin("sortie.ged"), "--base", base}), 1);
    EXPECT_NE(erreurs_.str().find("b.sqlite"), std::string::npos) << erreurs_.str();
    EXPECT_NE(erreurs_.str().find("--remplacer"), std::string::npos) << erreurs_.str();
    EXPECT_EQ(test::LitFichier(base), avant);
    EXPECT_EQ(Lance({"base", "importer", Chemin("sortie.ged"), "--base", base, "--remplacer"}), 0);
}

// A GEDCOM 5.5 file with an LDS ordinance: the export leaves the ordinance's place without
// coordinates, raises the version to 5.5.1, and says both.
TEST_F(CommandeBase, TheExportSaysWhatTheFilesVersionMadeItLeaveOutOrChange) {
    test::EcritFichier(Chemin("v55.ged"), "0 HEAD\n1 GEDC\n2 VERS 5.5\n1 CHAR UTF-8\n"
                                          "0 @I1@ INDI\n1 BIRT\n2 PLAC Saint-Malo, 35400, France\n"
                                          "1 BAPL\n2 PLAC Saint-Malo, 35400, France\n0 TRLR\n");
    const std::string base = Chemin("v.sqlite");
    ASSERT_EQ(Lance({"base", "importer", Chemin("v55.ged"), "--base", base}), 0) << erreurs_.str();
    {
        TBaseGenealogie b(base);
        TModuleBDD module(b);
        SGeoChps malo(1, "", 48.6493f, -2.0257f, EtatPlaceALaMain);
        module.AjouterEltTableGeo(&malo);
    }
    ASSERT_EQ(Lance({"base", "exporter", "--base", base, Chemin("s.ged")}), 0) << erreurs_.str();
    const std::string sortie = sortie_.str();
    EXPECT_NE(sortie.find("1 lieu(x) d'événement aux coordonnées"), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("1 lieu(x) d'ordonnance SDJ"), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("de GEDCOM 5.5 à 5.5.1"), std::string::npos) << sortie;
    EXPECT_EQ(test::LitFichier(Chemin("s.ged")),
              "0 HEAD\n1 GEDC\n2 VERS 5.5.1\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n"
              "2 PLAC Saint-Malo, 35400, France\n3 MAP\n4 LATI N48.6493\n4 LONG W2.0257\n"
              "1 BAPL\n2 PLAC Saint-Malo, 35400, France\n0 TRLR\n");
    ASSERT_EQ(Lance({"--tsv", "base", "exporter", "--base", base, Chemin("s.ged")}), 0);
    EXPECT_EQ(sortie_.str(), "lieux_modifies\t1\nordonnances_sans_coordonnees\t1\n"
                             "version_relevee\t5.5.1\n");
}

TEST_F(CommandeBase, GeolocateAllThenUndo) {
    DefinitRepAppData(Chemin("donnees"));
    const std::string base = Chemin("b.sqlite");
    ASSERT_EQ(Lance({"base", "importer", Chemin("arbre.ged"), "--base", base}), 0);

    // Built without the online search, --en-ligne is refused before anything is written.
    EXPECT_EQ(Lance({"base", "geolocaliser", "--base", base, "--en-ligne", "--geocodeur",
                     ORLAVINE_MONDE_BUNDLED}),
              1);
    EXPECT_NE(erreurs_.str().find("construit sans la recherche en ligne"), std::string::npos);

    ASSERT_EQ(
        Lance({"base", "geolocaliser", "--base", base, "--geocodeur", ORLAVINE_MONDE_BUNDLED}), 0)
        << erreurs_.str();
    // The lieu-dit takes its commune's position (the lieu-dit is not searched by default);
    // Le Havre, read from the file, is not under "Non localisés". No progress line off a
    // terminal.
    EXPECT_EQ(sortie_.str(), "entrées traitées : 1\n"
                             "localisées : 1\n"
                             "non localisées : 0 (dont 0 ambiguës)\n"
                             "validées laissées telles quelles : 0\n"
                             "positions du fichier, de la main ou de lieux-dits gardées : 0\n"
                             "état 6 (commune du fichier des pays) : 1\n");
    EXPECT_EQ(erreurs_.str(), "");
    ASSERT_EQ(Lance({"--tsv", "base", "lieux", "--base", base, "--filtre", "localises"}), 0);
    EXPECT_EQ(sortie_.str(), "0\t1\t\tLe Havre, 76600, Seine-Maritime, France\t49.4938\t0.1077\t2\n"
                             "1\t2\tLe Moulin\tSaint-Malo, 35400, France\t48.6493\t-2.0257\t6\n");

    ASSERT_EQ(Lance({"--tsv", "base", "annuler-geolocalisation", "--base", base}), 0);
    EXPECT_EQ(sortie_.str(), "restaurees\t1\nconservees\t0\n");
    ASSERT_EQ(Lance({"base", "lieux", "--filtre", "non-localises", "--base", base}), 0);
    EXPECT_EQ(sortie_.str(), "1 | 2 | Le Moulin | Saint-Malo, 35400, France | 0 | 0 | 3\n");
    ASSERT_EQ(Lance({"base", "annuler-geolocalisation", "--base", base}), 0);
    EXPECT_EQ(sortie_.str(), "Aucune géolocalisation à annuler.\n");
    EXPECT_EQ(Lance({"base", "lieux", "--base", base, "--avec-lieu-dit"}), 2);

    // Le Havre, read from the file, keeps its position under « Localisés » unless
    // --remplacer-positions says otherwise.
    for (const bool remplacer : {false, true}) {
        std::vector<std::string> args{"--tsv",     "base",        "geolocaliser",
                                      "--base",    base,          "--filtre",
                                      "localises", "--geocodeur", ORLAVINE_MONDE_BUNDLED};
        if (remplacer) args.push_back("--remplacer-positions");
        ASSERT_EQ(Lance(args), 0) << erreurs_.str();
        EXPECT_NE(
            sortie_.str().find(remplacer ? "positions_gardees\t0\n" : "positions_gardees\t1\n"),
            std::string::npos)
            << sortie_.str();
        ASSERT_EQ(Lance({"--tsv", "base", "lieux", "--base", base, "--filtre", "localises"}), 0);
        EXPECT_EQ(sortie_.str().substr(sortie_.str().size() - 2), remplacer ? "6\n" : "2\n");
    }
    EXPECT_EQ(Lance({"base", "lieux", "--base", base, "--remplacer-positions"}), 2);
    DefinitRepAppData({});
}

TEST_F(CommandeBase, AReadOnlyBaseIsListedAndExportedButNotGeolocated) {
    namespace fs = std::filesystem;
    const std::string base = Chemin("ro/b.sqlite");
    fs::create_directories(Chemin("ro"));
    ASSERT_EQ(Lance({"base", "importer", Chemin("arbre.ged"), "--base", base}), 0);
    fs::permissions(Chemin("ro"), fs::perms::owner_read | fs::perms::owner_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dossier_.Chemin(), fs::perms::all);
    // In a child process, as an ordinary user (root writes through any permission).
    auto commande = [&](std::vector<std::string> args) {
        int tube[2];
        EXPECT_EQ(::pipe(tube), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(tube[0]);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(9);
            const int code = Lance(args);
            const std::string texte = std::to_string(code) + "\n" + sortie_.str() + erreurs_.str();
            if (::write(tube[1], texte.data(), texte.size()) < 0) ::_exit(8);
            ::_exit(0);
        }
        ::close(tube[1]);
        std::string texte;
        char tampon[512];
        ssize_t n;
        while ((n = ::read(tube[0], tampon, sizeof tampon)) > 0)
            texte.append(tampon, static_cast<std::size_t>(n));
        ::close(tube[0]);
        ::waitpid(pid, nullptr, 0);
        return texte;
    };
    EXPECT_EQ(commande({"--tsv", "base", "lieux", "--base", base}),
              "0\n0\t1\t\tLe Havre, 76600, Seine-Maritime, France\t49.4938\t0.1077\t2\n"
              "1\t2\tLe Moulin\tSaint-Malo, 35400, France\t0\t0\t3\n");
    EXPECT_EQ(commande({"--tsv", "base", "exporter", "--base", base, Chemin("sortie.ged")}),
              "0\nlieux_modifies\t0\nordonnances_sans_coordonnees\t0\nversion_relevee\t\n");
    EXPECT_EQ(test::LitFichier(Chemin("sortie.ged")), test::LitFichier(Chemin("arbre.ged")));
    const std::string refus =
        commande({"base", "geolocaliser", "--base", base, "--geocodeur", ORLAVINE_MONDE_BUNDLED});
    EXPECT_TRUE(test::Contient(refus, "1\norlavine-cli : \"" + base +
                                          "\" : la base ne peut être ouverte qu'en lecture (le "
                                          "fichier de la base est protégé en écriture) ; elle "
                                          "n'a pas été modifiée"));
    fs::permissions(Chemin("ro"), fs::perms::owner_all);
    EXPECT_EQ(fs::directory_iterator(Chemin("ro"))->path().filename(), "b.sqlite");
}

TEST_F(CommandeBase, BadFilesAndUsage) {
    const std::string base = Chemin("b.sqlite");
    test::EcritFichier(Chemin("faux.ged"), "pas du GEDCOM\n");
    EXPECT_EQ(Lance({"base", "importer", Chemin("faux.ged"), "--base", base}), 1);
    EXPECT_NE(erreurs_.str().find("faux.ged"), std::string::npos) << erreurs_.str();
    EXPECT_FALSE(std::filesystem::exists(base));
    EXPECT_EQ(Lance({"base", "lieux", "--base", Chemin("absente.sqlite")}), 1);
    EXPECT_NE(erreurs_.str().find("absente.sqlite"), std::string::npos) << erreurs_.str();
    EXPECT_EQ(Lance({"base", "lieux", "--base", Chemin("arbre.ged")}), 1);
    EXPECT_NE(erreurs_.str().find("arbre.ged"), std::string::npos) << erreurs_.str();

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"base"},
             {"base", "lieux"},
             {"base", "ranger", "--base", base},
             {"base", "importer", "--base", base},
             {"base", "exporter", "--base", base, "a.ged", "b.ged"},
             {"base", "lieux", "--base", base, "--filtre", "tous"},
             {"base", "lieux", "--base", base, "--remplacer"},
             {"base", "lieux", "--base"},
             {"base", "exporter", "--base", base, "--format", "kmz", "a.kmz"},
             {"base", "lieux", "--base", base, "--format", "kml"},
         }) {
        EXPECT_EQ(Lance(args), 2) << args.back();
        EXPECT_NE(erreurs_.str().find("orlavine-cli : "), std::string::npos);
    }
    EXPECT_EQ(Lance({"base", "--aide"}), 0);
    EXPECT_NE(sortie_.str().find("base importer"), std::string::npos);
    EXPECT_NE(sortie_.str().find("base carte"), std::string::npos);
}

// `base carte` reads the located places, frames them and hands them to the program's drawing
// (here one that records what it was given).
TEST_F(CommandeBase, TheTreeMapHandsTheLocatedPlacesToTheDrawing) {
    const std::string base = Chemin("b.sqlite");
    ASSERT_EQ(Lance({"base", "importer", Chemin("arbre.ged"), "--base", base}), 0);
    struct Appel {
        std::vector<geoloc::TLieuExporte> Lieux;
        long SansPosition = 0;
        monde::TVueMonde Vue;
        std::string Sortie;
    };
    std::vector<Appel> appels;
    bool echoue = false;
    cli::TCarteArbreCli dessin;
    dessin.Ecrit = [&](const geoloc::TCarteArbre& carte, const monde::TVueMonde& vue,
                       const std::string& sortie, const std::string&) {
        if (echoue) throw Erreur(sortie, 0, "impossible d'écrire le fichier.");
        appels.push_back({carte.Lieux(), carte.SansPosition(), vue, sortie});
        geoloc::TBilanCarteArbre b;
        b.Disques = b.Dessines = static_cast<long>(carte.Lieux().size());
        b.Etiquettes = 1;
        return b;
    };
    auto carte = [&](std::vector<std::string> args, const cli::TCarteArbreCli* d) {
        sortie_.str("");
        erreurs_.str("");
        return cli::Principal(args, atlas_.Chemin().string(), sortie_, erreurs_, false, nullptr, d);
    };

    // A program without the drawing says so.
    EXPECT_EQ(carte({"base", "carte", "--base", base, "--sortie", Chemin("c.png")}, nullptr), 1);
    EXPECT_NE(erreurs_.str().find("sans les cartes"), std::string::npos) << erreurs_.str();

    // Le Havre, read from the file, is on the map; Le Moulin has no position.
    ASSERT_EQ(carte({"base", "carte", "--base", base, "--sortie", Chemin("c.png")}, &dessin), 0)
        << erreurs_.str();
    ASSERT_EQ(appels.size(), 1u);
    ASSERT_EQ(appels[0].Lieux.size(), 1u);
    EXPECT_EQ(appels[0].Lieux[0].Texte, "Le Havre, 76600, Seine-Maritime, France");
    EXPECT_EQ(appels[0].Lieux[0].IdPlace, 1);
    EXPECT_EQ(appels[0].Lieux[0].Evenements, 2);
    EXPECT_EQ(appels[0].SansPosition, 1);
    EXPECT_EQ(appels[0].Vue.Largeur, 1000);
    EXPECT_EQ(appels[0].Vue.Hauteur, 700);
    EXPECT_EQ(appels[0].Sortie, Chemin("c.png"));
    EXPECT_EQ(sortie_.str(), Chemin("c.png") +
                                 " : 1000 x 700, tout l'arbre\n1 lieu localisé, 1 sans position ; "
                                 "1 disque dans le cadre, 1 nom écrit.\n");
    // The size and France alone: the frame the map's own operation gives.
    ASSERT_EQ(carte({"--tsv", "base", "carte", "--base", base, "--sortie", Chemin("c.SVG"),
                     "--largeur", "640", "--hauteur", "480", "--france"},
                    &dessin),
              0)
        << erreurs_.str();
    ASSERT_EQ(appels.size(), 2u);
    const monde::TVueMonde attendue =
        geoloc::TCarteArbre(appels[1].Lieux).Cadre(640, 480, /*franceSeule=*/true);
    EXPECT_EQ(appels[1].Vue.Largeur, 640);
    EXPECT_EQ(appels[1].Vue.Hauteur, 480);
    EXPECT_DOUBLE_EQ(appels[1].Vue.PixelsParDegre, attendue.PixelsParDegre);
    EXPECT_DOUBLE_EQ(appels[1].Vue.Centre.Longitude, attendue.Centre.Longitude);
    EXPECT_EQ(sortie_.str(), "lieux\t1\nsans_position\t1\ndisques\t1\netiquettes\t1\n");

    // The file that cannot be written is named.
    echoue = true;
    EXPECT_EQ(carte({"base", "carte", "--base", base, "--sortie", "/nulle/part/c.pdf"}, &dessin),
              1);
    EXPECT_NE(erreurs_.str().find("\"/nulle/part/c.pdf\" : impossible d'écrire le fichier"),
              std::string::npos)
        << erreurs_.str();
    echoue = false;

    // Usage: nothing is drawn.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"base", "carte", "--base", base},
             {"base", "carte", "--base", base, "--sortie", Chemin("c.jpg")},
             {"base", "carte", "--base", base, "--sortie", Chemin("c")},
             {"base", "carte", "--base", base, "--sortie", Chemin("c.png"), "--largeur", "5"},
             {"base", "carte", "--base", base, "--sortie", Chemin("c.png"), "--hauteur", "1e3"},
             {"base", "carte", "--base", base, "--sortie", Chemin("c.png"), "x.png"},
             {"base", "lieux", "--base", base, "--france"},
             {"base", "exporter", "--base", base, "--sortie", Chemin("c.png"), "a.ged"},
         }) {
        EXPECT_EQ(carte(args, &dessin), 2) << args.back();
        EXPECT_NE(erreurs_.str().find("orlavine-cli : "), std::string::npos);
    }
    EXPECT_EQ(appels.size(), 2u);
    EXPECT_EQ(carte({"base", "carte", "--base", base, "--sortie", Chemin("c.gif")}, &dessin), 2);
    EXPECT_NE(erreurs_.str().find("doit finir par .png, .svg ou .pdf"), std::string::npos)
        << erreurs_.str();

    // A base with no located place: nothing to draw, said, no file.
    test::EcritFichier(Chemin("vide.ged"), "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 BIRT\n"
                                           "2 PLAC Saint-Malo, 35400, France\n0 TRLR\n");
    ASSERT_EQ(Lance({"base", "importer", Chemin("vide.ged"), "--base", Chemin("v.sqlite")}), 0);
    EXPECT_EQ(carte({"base", "carte", "--base", Chemin("v.sqlite"), "--sortie", Chemin("v.png")},
                    &dessin),
              1);
    EXPECT_NE(erreurs_.str().find("aucun lieu de la base n'est localisé"), std::string::npos)
        << erreurs_.str();
    EXPECT_EQ(appels.size(), 2u);
}

} // namespace
} // namespace orlavine
