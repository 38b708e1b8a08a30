// Fuzzing of the "ccliees.dat" reader (see annexe.h). What loads holds together: indexes and
// parents in the table, increasing indexes, known kinds, parents that are current communes.
#include "tests/fuzz/annexe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    return fuzz::VerifieFichierAnnexe(
        donnees, taille, std::vector<TCommuneLiee>{{1, TNatureCommune::Ancienne, 0}},
        LitCommunesLiees, EcritCommunesLiees,
        [](const std::vector<TCommuneLiee>& liees, std::size_t k, std::size_t n) {
            const TCommuneLiee& l = liees[k];
            EXIGE(l.Index < n && l.Parent < n && l.Parent != l.Index);
            EXIGE(static_cast<int>(l.Nature) >= 1 && static_cast<int>(l.Nature) <= 3);
            EXIGE(k == 0 || liees[k - 1].Index < l.Index);
            EXIGE(std::none_of(liees.begin(), liees.end(),
                               [&](const TCommuneLiee& m) { return m.Index == l.Parent; }));
        });
}
