// The set of communes drawn around the chosen town or towns: the one path that the search
// window and the command line's map share.
#pragma once

#include "atlas/carte_france.h"

namespace orlavine {

struct TVillesChoisies {
    int Ville1 = -1;           // index of the first town, -1 for none
    int Ville2 = -1;           // index of the second town, -1 for none
    bool UneVille = true;      // one-town mode; the second town is ignored
    bool Ville2Active = false; // two-town mode: the map centres on the second town
    int RayonKm = 0;           // radius of the neighbour search
};

// Rebuilds carte.CommunesAffichees: the chosen town (and in two-town mode the second one,
// each with the distance to the other), their neighbours within the radius when the map
// shows them (in one-town mode the neighbours of the first town are always looked up, for
// the neighbour list), then the ranked towns within 100 km. Also sets TexteInfo and
// IndexCommuneCentree. Afterwards CommunesVoisines holds the neighbours of the last town
// looked up (the first town in one-town mode).
void ComposeCommunesAffichees(TCarteFrance& carte, const TVillesChoisies& villes);

} // namespace orlavine
