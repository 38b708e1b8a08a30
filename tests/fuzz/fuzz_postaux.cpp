// Fuzzing of the "ccpostaux.dat" reader. The communes file it goes with is taken to have the
// record count the bytes announce (0 when they are too short to say), so that sound files
// load. Any bytes either load or raise ErreurAtlas, which leaves the list untouched. What
// loads holds together (indexes in the table, five-digit codes, increasing order without
// repeats) and the writer gives back the very same bytes.
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
    const std::vector<TAutreCodePostal> avant = {{1, "13008"}};
    std::vector<TAutreCodePostal> codes = avant;
    try {
        LitCodesPostaux(std::span(donnees, taille), n, codes);
    } catch (const ErreurAtlas&) {
        EXIGE(codes == avant);
        return 0;
    }
    for (std::size_t k = 0; k < codes.size(); ++k) {
        const TAutreCodePostal& c = codes[k];
        EXIGE(c.Index < n && c.Code.size() == 5);
        EXIGE(
            std::all_of(c.Code.begin(), c.Code.end(), [](char x) { return x >= '0' && x <= '9'; }));
        EXIGE(k == 0 || codes[k - 1].Index < c.Index ||
              (codes[k - 1].Index == c.Index && codes[k - 1].Code < c.Code));
    }
    const std::vector<std::uint8_t> ecrits = EcritCodesPostaux(codes, n);
    EXIGE(ecrits == std::vector<std::uint8_t>(donnees, donnees + taille));
    return 0;
}
