// A generated GEDCOM tree for the benchmarks: individuals with births, deaths and residences,
// families with marriages, places in the French "Lieudit, Commune, Code_INSEE, Département,
// Région, Pays" layout (a fifth with a lieu-dit, a quarter with MAP coordinates), notes split by
// CONC, extension tags. Deterministic: the same arguments give the same bytes.
#pragma once

#include "genealogie/encodages.h"

#include <cstddef>
#include <string>

namespace orlavine {

struct TailleArbreGenere {
    std::size_t Lignes = 1000000;
    std::size_t Individus = 60000;
    std::size_t Lieux = 20000; // distinct places without their lieu-dit
};

// The whole file, CRLF line ends, in UTF-8, Windows-1252 or ANSEL (HEAD.CHAR says which).
// Exactly `taille.Lignes` lines when that is enough for the records asked for.
std::string GenereGedcom(const TailleArbreGenere& taille = {}, Encodage encodage = Encodage::Utf8);

} // namespace orlavine
