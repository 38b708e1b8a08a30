// orlavine --base BASE.sqlite --outil-lieux [--capture FICHIER.png]: the place tool on a base,
// with the bundled atlas (country file), offline geocoder and world map.
#pragma once

#include <string>

namespace orlavine {

// Runs the window until it is closed; with `capture`, saves a picture of it once the list is
// loaded and returns. Exit code: 0, 1 (missing data or damaged base, French message on stderr).
int LanceOutilLieux(const std::string& dossierAtlas, const std::string& base,
                    const std::string& capture);

} // namespace orlavine
