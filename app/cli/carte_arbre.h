// The drawing of `orlavine-cli base carte`, in a program built with Qt: the tree map written
// without a display, over the bundled world map and the atlas's departments, by the same
// function as the « Carte de l'arbre » window's « Enregistrer l'image… ».
#pragma once

#include "app/cli/base.h"

namespace orlavine::cli {

TCarteArbreCli CarteArbreQt();

} // namespace orlavine::cli
