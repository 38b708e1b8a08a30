// orlavine-genere-gedcom LIGNES SORTIE [INDIVIDUS] [LIEUX]: writes the generated benchmark tree
// (bench/generateur_gedcom.h) to a file, for the memory benchmark of the command-line program
// (bench/banc_memoire_gedcom.sh). Individuals default to 60,000 per million lines.
#include "bench/generateur_gedcom.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage : orlavine-genere-gedcom LIGNES SORTIE [INDIVIDUS] [LIEUX]\n");
        return 2;
    }
    orlavine::TailleArbreGenere taille;
    taille.Lignes = std::strtoull(argv[1], nullptr, 10);
    taille.Individus = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : taille.Lignes * 6 / 100;
    if (argc > 4) taille.Lieux = std::strtoull(argv[4], nullptr, 10);
    const std::string t = orlavine::GenereGedcom(taille);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(t.data(), 1, t.size(), f) != t.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "orlavine-genere-gedcom : écriture impossible : %s\n", argv[2]);
        return 1;
    }
    return 0;
}
