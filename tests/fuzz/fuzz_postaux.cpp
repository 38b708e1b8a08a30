// Fuzzing of the "ccpostaux.dat" reader (see annexe.h). What loads holds together: indexes in
// the table, five-digit codes, increasing order without repeats.
#include "tests/fuzz/annexe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    return fuzz::VerifieFichierAnnexe(
        donnees, taille, std::vector<TAutreCodePostal>{{1, "13008"}}, LitCodesPostaux,
        EcritCodesPostaux,
        [](const std::vector<TAutreCodePostal>& codes, std::size_t k, std::size_t n) {
            const TAutreCodePostal& c = codes[k];
            EXIGE(c.Index < n && c.Code.size() == 5);
            EXIGE(std::all_of(c.Code.begin(), c.Code.end(),
                              [](char x) { return x >= '0' && x <= '9'; }));
            EXIGE(k == 0 || codes[k - 1].Index < c.Index ||
                  (codes[k - 1].Index == c.Index && codes[k - 1].Code < c.Code));
        });
}
