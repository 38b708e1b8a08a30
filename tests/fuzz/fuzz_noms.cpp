// Fuzzing of the "ccnoms.dat" reader. The communes file it goes with is taken to have the
// record count the bytes announce (0 when they are too short to say), so that sound files
// load. Any bytes either load or raise ErreurAtlas, which leaves the list untouched. What
// loads holds together (indexes in the table and increasing, names of 1 to 255 bytes without
// control characters nor blanks at their ends) and the writer gives back the very same bytes.
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
    const std::vector<TNomOfficiel> avant = {{1, "\xC9vreux"}};
    std::vector<TNomOfficiel> noms = avant;
    try {
        LitNomsOfficiels(std::span(donnees, taille), n, noms);
    } catch (const ErreurAtlas&) {
        EXIGE(noms == avant);
        return 0;
    }
    for (std::size_t k = 0; k < noms.size(); ++k) {
        const TNomOfficiel& e = noms[k];
        EXIGE(e.Index < n && (k == 0 || noms[k - 1].Index < e.Index));
        EXIGE(!e.Nom.empty() && e.Nom.size() <= LongueurMaxNomOfficiel);
        EXIGE(e.Nom.front() != ' ' && e.Nom.back() != ' ');
        EXIGE(std::none_of(e.Nom.begin(), e.Nom.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
    }
    const std::vector<std::uint8_t> ecrits = EcritNomsOfficiels(noms, n);
    EXIGE(ecrits == std::vector<std::uint8_t>(donnees, donnees + taille));
    return 0;
}
