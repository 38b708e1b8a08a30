// Fuzzing of the "cc.dat" reader. Any bytes either load or raise ErreurAtlas, which leaves the
// list untouched. What loads holds together (neighbour lists of equal length, every index
// below the number of communes, finite coordinates, no more records than the bytes can
// hold) and comes back byte for byte through the writer and a second reading.
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "atlas/progression.h"
#include "tests/fuzz/verifie.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

// Four floats, the rank, four length bytes and the neighbour count.
constexpr std::size_t TailleMinCommune = 4 * 4 + 1 + 4 + 2;

bool TexteSain(const orlavine::AnsiString& texte) {
    return texte.size() <= 255 && texte.find('\0') == orlavine::AnsiString::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    std::vector<TCommune> communes;
    ProgressionMuette progression;
    try {
        LitCommunes(std::span(donnees, taille), communes, &progression);
    } catch (const ErreurAtlas&) {
        EXIGE(communes.empty());
        return 0;
    }

    EXIGE(taille >= 4 + communes.size() * TailleMinCommune);
    EXIGE(progression.Position() == progression.Maximum());
    for (const TCommune& c : communes) {
        EXIGE(c.Voisins.size() == c.DistancesVoisins.size());
        for (std::uint16_t v : c.Voisins)
            EXIGE(v < communes.size());
        EXIGE(std::isfinite(c.XCarte) && std::isfinite(c.YCarte));
        EXIGE(std::isfinite(c.Longitude) && std::isfinite(c.Latitude));
        EXIGE(TexteSain(c.Nom) && TexteSain(c.Article) && TexteSain(c.CodeInsee) &&
              TexteSain(c.CodePostal));
    }

    // Whatever the reader hands on, the writer writes and the reader reads back the same.
    const std::vector<std::uint8_t> ecrits = EcritCommunes(communes);
    std::vector<TCommune> relues;
    LitCommunes(ecrits, relues);
    EXIGE(relues.size() == communes.size());
    EXIGE(EcritCommunes(relues) == ecrits);
    return 0;
}
