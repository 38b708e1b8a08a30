// Fuzzing of the "ccnoms.dat" reader (see annexe.h). What loads holds together: indexes in
// the table and increasing, names of 1 to 255 bytes without control characters nor blanks at
// their ends.
#include "tests/fuzz/annexe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    return fuzz::VerifieFichierAnnexe(
        donnees, taille, std::vector<TNomOfficiel>{{1, "\xC9vreux"}}, LitNomsOfficiels,
        EcritNomsOfficiels,
        [](const std::vector<TNomOfficiel>& noms, std::size_t k, std::size_t n) {
            const TNomOfficiel& e = noms[k];
            EXIGE(e.Index < n && (k == 0 || noms[k - 1].Index < e.Index));
            EXIGE(!e.Nom.empty() && e.Nom.size() <= LongueurMaxNomOfficiel);
            EXIGE(e.Nom.front() != ' ' && e.Nom.back() != ' ');
            EXIGE(std::none_of(e.Nom.begin(), e.Nom.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
        });
}
