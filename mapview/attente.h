// Waiting on the user-interface thread while its events keep flowing: the window stays
// drawn, its cancel button works, and answers queued to this thread (the map's, a local
// server's) arrive. A QCoreApplication must exist.
#pragma once

#include <chrono>
#include <functional>

namespace orlavine {

// Processes the thread's events until `fini` holds or `duree` has passed, sleeping in short
// slices in between. `fini` is looked at before the first round and after each round of
// events, before any sleep, so that an answer already there is taken at once. Without
// `fini`, waits the whole `duree`. Returns whether `fini` held.
bool AttendEnTraitantEvenements(std::chrono::milliseconds duree,
                                const std::function<bool()>& fini = {});

} // namespace orlavine
