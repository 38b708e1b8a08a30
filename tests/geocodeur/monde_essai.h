// A small world and a small atlas whose every name is chosen to test the geocoder: homonyms
// in three departments, namesakes abroad, an exonym, overseas France, a place on each side of
// the 180th meridian.
#pragma once

#include "atlas/carte_france.h"
#include "geocodeur/monde.h"

#include <memory>

namespace orlavine::geocodeur::essai {

DonneesMonde MondeEssai();
std::unique_ptr<TCarteFrance> AtlasEssai();

} // namespace orlavine::geocodeur::essai
