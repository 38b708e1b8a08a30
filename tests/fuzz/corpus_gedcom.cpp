// orlavine-fuzz-corpus-gedcom DOSSIER: writes the seeds of the GEDCOM harness into
// DOSSIER/gedcom, each led by the byte that chooses its presentation (see fuzz_gedcom.cpp):
// a small tree as is in UTF-8 and UTF-16, then its records behind each declared character set.
#include "genealogie/encodages.h"
#include "host/ini.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

// Records after the header: French place layouts, coordinates in several forms, CONC, "@@",
// an unknown tag, a level jump, a lieu-dit in brackets. \xE9 is a letter in every 8-bit set.
constexpr const char* Enregistrements =
    "1 PLAC\r\n2 FORM Lieudit, Commune, Code_INSEE, D\xE9partement, R\xE9gion, Pays\r\n"
    "0 @I1@ INDI\r\n1 NAME Andr\xE9 /Dupr\xE9/\r\n1 BIRT\r\n2 DATE 1 JAN 1850\r\n"
    "2 PLAC La Croix, Saint-\xC9tienne, 42218, Loire, , France\r\n3 MAP\r\n4 LATI N45.43\r\n"
    "4 LONG E4.39\r\n1 DEAT\r\n2 PLAC [Le Bourg] - Lyon, 69123\r\n3 CONC , France\r\n"
    "2 ADDR 3 rue\r\n3 MAP\r\n4 LATI 45,7\r\n4 LONG 4,8E\r\n1 _UID 12@@34\r\n"
    "0 @F1@ FAM\r\n1 MARR\r\n3 PLAC Lassigny, 60350, Oise, Picardie, France, \r\n"
    "2 _LATI -12.5\r\n2 _LONG 44.5W\r\n0 TRLR\r\n";

std::string Elargi(const std::string& s, bool petitBoutiste) {
    std::string r;
    for (const char c : s) {
        if (petitBoutiste) r += c;
        r += '\0';
        if (!petitBoutiste) r += c;
    }
    return r;
}

void Ecrit(const fs::path& chemin, const std::string& octets) {
    std::string erreur;
    if (!orlavine::EcritFichierTexteAtomique(chemin, octets, &erreur))
        throw std::runtime_error(erreur);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage : %s DOSSIER\n", argv[0]);
        return 2;
    }
    try {
        const fs::path dossier = fs::path(argv[1]) / "gedcom";
        fs::create_directories(dossier);
        const std::string arbre =
            std::string("0 HEAD\r\n1 GEDC\r\n2 VERS 5.5.1\r\n1 CHAR UTF-8\r\n") +
            "1 PLAC\r\n2 FORM Town, Area code, County, Region, Country, Subdivision\r\n"
            "0 @I1@ INDI\r\n1 BIRT\r\n2 PLAC Bellegarde en Forez,42210,42,,,Le Bourg\r\n"
            "3 MAP\r\n4 LATI N45.6\r\n4 LONG E4.3\r\n0 TRLR";
        Ecrit(dossier / "utf8.ged", std::string(1, '\0') + arbre);
        Ecrit(dossier / "utf16le.ged", std::string(1, '\0') + "\xFF\xFE" + Elargi(arbre, true));
        Ecrit(dossier / "lf.ged", std::string(1, '\0') + "0 HEAD\n1 CHAR ANSEL\n0 @I1@ INDI\n"
                                                         "1 BIRT\n2 PLAC \xE2"
                                                         "etoile\n0 TRLR\n");
        // One seed per declared set: byte 2k+1 puts the header of set k before the records.
        for (int k = 0; k < 10; ++k) {
            std::string corps = Enregistrements;
            if (k == 1) corps = Elargi(corps, true);
            if (k == 2) corps = Elargi(corps, false);
            Ecrit(dossier / ("jeu" + std::to_string(k) + ".ged"),
                  std::string(1, static_cast<char>(2 * k + 1)) + corps);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr,
                     "Corpus GEDCOM non \xC3\xA9"
                     "crit : %s\n",
                     e.what());
        return 1;
    }
    return 0;
}
