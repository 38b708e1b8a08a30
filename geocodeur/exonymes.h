// The French names genealogists write for towns abroad ("Mayence" for Mainz): the geocoder's
// builder makes them search keys of their place, the world map writes them as its labels.
#pragma once

#include <vector>

namespace orlavine::geocodeur {

struct TExonyme {
    const char* nom;   // the French name, UTF-8
    const char* iso;   // country of the place
    const char* cible; // its GeoNames name (the most populous place of that name is meant)
};
const std::vector<TExonyme>& Exonymes();

} // namespace orlavine::geocodeur
