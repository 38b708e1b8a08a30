// Windows on small screens: a window, its saved geometry or its first size, is kept inside
// the screen it opens on.
#pragma once

class QRect;
class QWidget;

namespace orlavine {

// The free area (without task bars) of the screen the rectangle lies most on; the primary
// screen's when it lies on none.
QRect ZoneEcran(const QRect& cadre);

// Shrinks the window to that area (down to its minimum size) and moves it wholly inside,
// its frame (title bar, borders) included when the window system has given one.
void TientDansEcran(QWidget& fenetre);

} // namespace orlavine
