// The map of the whole tree on a QPainter, and its picture files: the screen, the window's
// « Enregistrer l'image… » and `orlavine-cli base carte` all draw it through these two.
#pragma once

#include "geoloc/carte_arbre.h"

#include <QString>

class QPainter;

namespace orlavine::monde {
class TCarteMonde;
}

namespace orlavine {

// Draws the map of `vue` with `painter` through the atlas's drawing surface.
geoloc::TMiseEnPageArbre PeintCarteArbre(QPainter& painter, const geoloc::TCarteArbre& carte,
                                         const monde::TVueMonde& vue, monde::TCarteMonde* fond,
                                         geoloc::TBilanCarteArbre* bilan = nullptr);

// Writes the map of `vue` (its size is the picture's) by the file's extension: PNG or BMP
// pixels, or an SVG or PDF drawing whose labels stay text. Raises Erreur naming the file.
geoloc::TBilanCarteArbre EnregistreCarteArbre(const QString& chemin,
                                              const geoloc::TCarteArbre& carte,
                                              const monde::TVueMonde& vue,
                                              monde::TCarteMonde* fond);

} // namespace orlavine
