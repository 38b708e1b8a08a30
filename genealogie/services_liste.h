// The place tool's list of places, built from the data services alone so that the window and
// the command line share it: the geolocation table's entries, then the places and lieux-dits
// that events use and the table lacks (state 3).
#pragma once

#include "genealogie/services.h"

#include <memory>
#include <string_view>
#include <vector>

namespace orlavine {

using TListePlaces = std::vector<std::unique_ptr<SGeoChps>>;

// Rebuilds the list: the table's rows (GetListLocatedPlaces), then LoadAllPlace. `annuler` is
// read after each item; a cancelled loop keeps what it gathered, as the window does.
TListePlaces InitListPlaces(TGestFichier& gestion, const bool* annuler = nullptr,
                            TProgressBar* barre = nullptr);

// Appends the places that events use without a lieu-dit, and the lieux-dits that events use,
// when the list lacks them. A place is found by its display text: events of two place records
// with the same text count for the first. Deleted places are skipped.
void LoadAllPlace(TGestFichier& gestion, TListePlaces& liste, const bool* annuler = nullptr,
                  TProgressBar* barre = nullptr);

// Index of the first entry with this id and exactly this lieu-dit, or -1.
int FindPlaceInList(const TListePlaces& liste, int idPlace, std::string_view lieuDit);

// True when the entry's state belongs to the filter.
bool ApplyFilter(const SGeoChps* entree, TypeFilterDisplayList filtre);

} // namespace orlavine
