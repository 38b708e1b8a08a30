// The stored neighbours of every commune.
#pragma once

#include "atlas/types.h"

#include <vector>

namespace orlavine::atlasbuild {

// Fills Voisins and DistancesVoisins of every commune with every other commune whose
// distance (TCarteFrance::DistanceCommunes, so that the stored value is the atlas's own)
// is at most `rayonKm` (0..255), sorted by distance then index. Candidates come from a grid
// of square cells over the Lambert-93 plane, not from all pairs. At most 65,536 communes.
// When `voisinesPossibles` is given (one flag per commune), only the communes it flags are
// anybody's neighbours; the others still get the list of those around them.
void CalculeVoisins(std::vector<TCommune>& communes, int rayonKm,
                    const std::vector<bool>& voisinesPossibles = {});

} // namespace orlavine::atlasbuild
