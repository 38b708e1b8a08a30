// What the harnesses of the atlas side files ("ccliees.dat", "ccpostaux.dat", "ccnoms.dat")
// share. The communes file a side file goes with is taken to have the record count the bytes
// announce (0 when they are too short to say), so that sound files load. Any bytes either load
// or raise ErreurAtlas, which leaves the list untouched; what loads passes the harness's own
// checks, and the writer gives back the very same bytes.
#pragma once

#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "tests/fuzz/verifie.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orlavine::fuzz {

template <class T, class Lit, class Ecrit, class Verifie>
int VerifieFichierAnnexe(const std::uint8_t* donnees, std::size_t taille,
                         const std::vector<T>& avant, Lit lit, Ecrit ecrit, Verifie verifie) {
    std::size_t n = 0;
    if (taille >= 10)
        n = std::min<std::size_t>(std::uint32_t(donnees[6]) | (std::uint32_t(donnees[7]) << 8) |
                                      (std::uint32_t(donnees[8]) << 16) |
                                      (std::uint32_t(donnees[9]) << 24),
                                  NombreMaxCommunes);
    std::vector<T> lus = avant;
    try {
        lit(std::span(donnees, taille), n, lus);
    } catch (const ErreurAtlas&) {
        EXIGE(lus == avant);
        return 0;
    }
    for (std::size_t k = 0; k < lus.size(); ++k)
        verifie(lus, k, n);
    EXIGE(ecrit(lus, n) == std::vector<std::uint8_t>(donnees, donnees + taille));
    return 0;
}

} // namespace orlavine::fuzz
