// The toolbar images of the map window (Item1 to Item11), drawn from our own SVG.
#pragma once

#include <QIcon>

namespace orlavine {

inline constexpr int NombreIcones = 11;
// Image `index` (0 to 10) of the toolbar; a null icon outside.
QIcon IconeCarte(int index);
// The SVG text of image `index`.
const char* SvgIconeCarte(int index);

} // namespace orlavine
