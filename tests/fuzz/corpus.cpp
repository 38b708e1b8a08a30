// orlavine-fuzz-corpus DOSSIER: writes the seed inputs of the fuzzing harnesses with the atlas
// writers, one folder per harness: DOSSIER/communes, DOSSIER/departements, DOSSIER/contours,
// DOSSIER/liees, DOSSIER/postaux, DOSSIER/noms, DOSSIER/recherche (empty), DOSSIER/monde (the
// geocoder's world file) and DOSSIER/geocodage (place texts).
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "geocodeur/monde.h"
#include "monde/donnees.h"
#include "tests/geocodeur/monde_essai.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace orlavine {

namespace {

namespace fs = std::filesystem;

TCommune Commune(const char* article, const char* nom, const char* insee, const char* postal,
                 std::uint8_t rang, float longitude, float latitude,
                 std::vector<std::uint16_t> voisins, std::vector<std::uint8_t> distances) {
    TCommune c;
    c.Longitude = longitude;
    c.Latitude = latitude;
    c.XCarte = (longitude + 4.8f) * 16000.0f;
    c.YCarte = (51.1f - latitude) * 23000.0f;
    c.Rang = rang;
    c.Article = article;
    c.Nom = nom;
    c.CodeInsee = insee;
    c.CodePostal = postal;
    c.Voisins = std::move(voisins);
    c.DistancesVoisins = std::move(distances);
    return c;
}

// A few communes in name order, with articles, Corsican codes, every rank and neighbours.
std::vector<TCommune> PetitAtlas() {
    return {
        Commune("", "AJACCIO", "2A004", "20000", RangCapitaleRegion, 8.74f, 41.93f, {}, {}),
        Commune("", "BASTIA", "2B033", "20200", RangPrefecture, 9.45f, 42.70f, {}, {}),
        Commune("", "CHATEAU-THIERRY", "02168", "02400", RangSousPrefecture, 3.40f, 49.05f, {3},
                {19}),
        Commune("LA", "FERTE-SOUS-JOUARRE", "77183", "77260", RangChefLieuCanton, 3.13f, 48.95f,
                {2, 5}, {19, 55}),
        Commune("LE", "HAVRE", "76351", "76600", RangSousPrefecture, 0.11f, 49.49f, {}, {}),
        Commune("", "PARIS", "75056", "75001", RangCapitale, 2.35f, 48.86f, {3}, {55}),
        Commune("", "SAINT-JEAN-SUR-MER", "34999", "34300", RangCommune, 3.50f, 43.30f, {}, {}),
        Commune("", "VILLENEUVE-D'ASCQ", "59009", "59650", RangVille, 3.14f, 50.62f, {}, {}),
    };
}

std::vector<AnsiString> NomsDepartements() {
    std::vector<AnsiString> noms;
    for (int n = 1; n <= NombreDepartements; ++n)
        noms.push_back("D\xC9PARTEMENT " + std::to_string(n));
    noms[20] = "C\xD4TE-D'OR";
    noms[89] = "TERRITOIRE DE BELFORT";
    return noms;
}

std::vector<TPointsDep> Contours() {
    std::vector<TPointsDep> contours(4);
    for (int i = 0; i < 6; ++i)
        contours[0].AjoutePoint(1000 + 300 * i, 2000 + (i % 2) * 500);
    contours[0].Indices = {1, 0};
    contours[1].AjoutePoint(520, 1040);
    contours[1].AjoutePoint(-260, 259);
    contours[1].AjoutePoint(-260, 259);
    contours[2].Indices = {7};
    for (int i = 0; i < 3; ++i)
        contours[3].AjoutePoint(-5000 * i, 40000 - 9000 * i);
    return contours;
}

void Ecrit(const fs::path& chemin, const std::vector<std::uint8_t>& octets) {
    fs::create_directories(chemin.parent_path());
    EcritFichierAtomique(chemin, octets);
}

std::vector<std::uint8_t> FinsDeLigneWindows(const std::vector<std::uint8_t>& texte) {
    std::vector<std::uint8_t> sortie;
    for (std::uint8_t c : texte) {
        if (c == '\n') sortie.push_back('\r');
        sortie.push_back(c);
    }
    return sortie;
}

} // namespace

void EcritCorpus(const fs::path& dossier) {
    const fs::path communes = dossier / "communes";
    Ecrit(communes / "petit.dat", EcritCommunes(PetitAtlas()));
    Ecrit(communes / "vide.dat", EcritCommunes({}));
    std::vector<TCommune> extremes = {Commune("", "", "", "", 0, 0.0f, 0.0f, {0}, {0})};
    extremes[0].Nom = AnsiString(255, 'Z');
    extremes[0].CodeInsee = AnsiString("2A\0"
                                       "04",
                                       5); // a zero byte ends the text
    Ecrit(communes / "extremes.dat", EcritCommunes(extremes));

    const fs::path departements = dossier / "departements";
    const auto noms = EcritNomsDepartements(NomsDepartements());
    Ecrit(departements / "lf.txt", noms);
    Ecrit(departements / "crlf.txt", FinsDeLigneWindows(noms));
    Ecrit(departements / "vides.txt", EcritNomsDepartements({}));

    const fs::path contours = dossier / "contours";
    Ecrit(contours / "petit.dat", EcritContours(Contours()));
    Ecrit(contours / "vide.dat", EcritContours({}));

    const fs::path liees = dossier / "liees";
    Ecrit(liees / "petit.dat", EcritCommunesLiees({{0, TNatureCommune::Deleguee, 1},
                                                   {3, TNatureCommune::Associee, 1},
                                                   {6, TNatureCommune::Ancienne, 7}},
                                                  PetitAtlas().size()));
    Ecrit(liees / "vide.dat", EcritCommunesLiees({}, PetitAtlas().size()));

    const fs::path postaux = dossier / "postaux";
    Ecrit(postaux / "petit.dat",
          EcritCodesPostaux({{0, "13002"}, {0, "13008"}, {5, "75116"}}, PetitAtlas().size()));
    Ecrit(postaux / "vide.dat", EcritCodesPostaux({}, PetitAtlas().size()));

    const fs::path nomsOfficiels = dossier / "noms";
    Ecrit(nomsOfficiels / "petit.dat", EcritNomsOfficiels({{0, "\xC9vreux"},
                                                           {2, "Les Loges-en-Josas"},
                                                           {5, "Saint-Cyr-l'\xC9"
                                                               "cole"}},
                                                          PetitAtlas().size()));
    Ecrit(nomsOfficiels / "vide.dat", EcritNomsOfficiels({}, PetitAtlas().size()));

    const fs::path monde = dossier / "monde";
    Ecrit(monde / "essai.dat", geocodeur::EcritMonde(geocodeur::essai::MondeEssai()));
    Ecrit(monde / "vide.dat", geocodeur::EcritMonde({}));

    const fs::path geocodage = dossier / "geocodage";
    const char* textes[] = {"Saint-Martin ; 76", "Lassigny, 60350, Oise, Picardie, France, ",
                            "[Le Bourg] - Valence (82)", "Londres Angleterre",
                            "Sainte-Rose ; 97115 ; France"};
    for (std::size_t i = 0; i < std::size(textes); ++i) {
        const std::string t = textes[i];
        Ecrit(geocodage / ("texte" + std::to_string(i)),
              std::vector<std::uint8_t>(t.begin(), t.end()));
    }
    // The world file: two small layers, one of them across the 180th meridian, and none.
    monde::TDonneesMonde petitMonde;
    monde::TCoucheMonde terres;
    terres.Grille = {0.01, 0.01, 0.0, 0.0};
    terres.AjoutePartie(std::vector<std::int32_t>{17000, 19000, 19000, 17000},
                        std::vector<std::int32_t>{-1000, -1000, 1000, 1000});
    monde::TCoucheMonde frontieres = terres;
    frontieres.Genre = monde::GenreCouche::Frontieres;
    frontieres.Detail = monde::Niveau::Monde10M;
    petitMonde.Couches = {terres, frontieres};
    Ecrit(dossier / "carte_monde" / "petit.bin", monde::EcritDonneesMonde(petitMonde));
    Ecrit(dossier / "carte_monde" / "vide.bin", monde::EcritDonneesMonde({}));

    // The lookup harness starts from nothing: its input is not a file.
    fs::create_directories(dossier / "recherche");
}

} // namespace orlavine

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage : %s DOSSIER\n", argv[0]);
        return 2;
    }
    try {
        orlavine::EcritCorpus(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr,
                     "Corpus non \xC3\xA9"
                     "crit : %s\n",
                     e.what());
        return 1;
    }
    return 0;
}
