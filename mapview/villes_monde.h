// The towns of the world map, from the offline geocoder's gazetteer: every place it holds
// outside the country the atlas draws as communes, its name in Windows-1252 for the map, in
// French where we have its French name ("Mayence" for Mainz, geocodeur/exonymes.h).
#pragma once

#include "monde/villes.h"

#include <memory>
#include <vector>

namespace orlavine {

class TCarteFrance;
namespace geocodeur {
class TMonde;
}

// The places of `monde`, leaving out France ("FR") and each overseas country whose
// department the atlas holds (null: France only). Names Windows-1252 cannot hold (Cyrillic,
// Chinese...) leave their place out: a point without a name tells the reader nothing.
std::vector<monde::TVilleMonde> VillesDuMonde(const geocodeur::TMonde& monde,
                                              const TCarteFrance* atlas);

// The same, filed for the map once; every map given it shares it.
std::shared_ptr<const monde::TVillesMonde> VillesMondePartagees(const geocodeur::TMonde& monde,
                                                                const TCarteFrance* atlas);

} // namespace orlavine
