// Fuzzing of the "departement.txt" reader. Any bytes either give exactly 95 names or raise
// ErreurAtlas, which leaves the list untouched. No name holds a line feed or is longer than
// the reader's limit, and the names come back unchanged through the writer.
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "atlas/progression.h"
#include "tests/fuzz/verifie.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    std::vector<AnsiString> noms;
    ProgressionMuette progression;
    try {
        LitNomsDepartements(std::span(donnees, taille), noms, &progression);
    } catch (const ErreurAtlas&) {
        EXIGE(noms.empty());
        return 0;
    }

    EXIGE(noms.size() == static_cast<std::size_t>(NombreDepartements));
    EXIGE(progression.Position() == NombreDepartements);
    bool retourChariotFinal = false;
    for (const AnsiString& nom : noms) {
        EXIGE(nom.size() <= LongueurMaxNomDepartement);
        EXIGE(nom.find('\n') == AnsiString::npos);
        if (!nom.empty() && nom.back() == '\r') retourChariotFinal = true;
    }

    // A name that ends with a carriage return of its own ("X\r\r\n" in the file) cannot be
    // written back: the reader drops the carriage return before a line feed.
    if (retourChariotFinal) return 0;
    const std::vector<std::uint8_t> ecrits = EcritNomsDepartements(noms);
    std::vector<AnsiString> relus;
    LitNomsDepartements(ecrits, relus);
    EXIGE(relus == noms);
    return 0;
}
