// Fuzzing of the address search: any text, on the small world and atlas of the geocoder's
// tests. Candidates come best first, at most NombreMaxCandidats, each pointing into the atlas
// or the world, with a finite position; a text always gets the same answer.
#include "geocodeur/geocodeur.h"
#include "tests/fuzz/verifie.h"
#include "tests/geocodeur/monde_essai.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine::geocodeur;
    static const auto carte = essai::AtlasEssai();
    static const TGeocodeur geocodeur(carte.get(), TMonde(EcritMonde(essai::MondeEssai()), "m"));
    const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
    const auto candidats = geocodeur.Recherche(texte);
    EXIGE(candidats.size() <= NombreMaxCandidats);
    for (std::size_t i = 0; i < candidats.size(); ++i) {
        const TCandidat& c = candidats[i];
        if (i > 0) EXIGE(candidats[i - 1].Score >= c.Score);
        EXIGE((c.IndexCommune >= 0) != (c.IndexLieu >= 0));
        EXIGE(c.IndexCommune < static_cast<std::int32_t>(carte->Communes.size()));
        EXIGE(c.IndexLieu < static_cast<std::int32_t>(geocodeur.Monde().Lieux.size()));
        EXIGE(std::isfinite(c.Latitude) && std::isfinite(c.Longitude));
        EXIGE(!c.Libelle.empty());
    }
    const auto encore = geocodeur.Recherche(texte);
    EXIGE(encore.size() == candidats.size());
    return 0;
}
