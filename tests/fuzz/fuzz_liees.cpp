// Fuzzing of the "ccliees.dat" reader. The communes file it goes with is taken to have the
// record count the bytes announce (0 when they are too short to say), so that sound files
// load. Any bytes either load or raise ErreurAtlas, which leaves the list untouched. What
// loads holds together (indexes and parents in the table, increasing indexes, known kinds,
// parents that are current communes) and the writer gives back the very same bytes.
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "tests/fuzz/verifie.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    std::size_t n = 0;
    if (taille >= 10)
        n = std::min<std::size_t>(std::uint32_t(donnees[6]) | (std::uint32_t(donnees[7]) << 8) |
                                      (std::uint32_t(donnees[8]) << 16) |
                                      (std::uint32_t(donnees[9]) << 24),
                                  NombreMaxCommunes);
    const std::vector<TCommuneLiee> avant = {{1, TNatureCommune::Ancienne, 0}};
    std::vector<TCommuneLiee> liees = avant;
    try {
        LitCommunesLiees(std::span(donnees, taille), n, liees);
    } catch (const ErreurAtlas&) {
        EXIGE(liees == avant);
        return 0;
    }
    for (std::size_t k = 0; k < liees.size(); ++k) {
        const TCommuneLiee& l = liees[k];
        EXIGE(l.Index < n && l.Parent < n && l.Parent != l.Index);
        EXIGE(static_cast<int>(l.Nature) >= 1 && static_cast<int>(l.Nature) <= 3);
        EXIGE(k == 0 || liees[k - 1].Index < l.Index);
        EXIGE(std::none_of(liees.begin(), liees.end(),
                           [&](const TCommuneLiee& m) { return m.Index == l.Parent; }));
    }
    const std::vector<std::uint8_t> ecrits = EcritCommunesLiees(liees, n);
    EXIGE(ecrits == std::vector<std::uint8_t>(donnees, donnees + taille));
    return 0;
}
