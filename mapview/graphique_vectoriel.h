// Vector pictures of a painting, SVG or PDF, with text kept as text: the same painting as
// the screen's, on a QSvgGenerator or a QPdfWriter instead of a pixel buffer.
#pragma once

#include <QSize>
#include <QString>
#include <functional>

class QImage;
class QPainter;

namespace orlavine {

enum class FormatGraphique { Png, Bmp, Svg, Pdf };

// The format named by the file's extension (case ignored); false for any other.
bool FormatParExtension(const QString& chemin, FormatGraphique& format);

// Writes a PNG or BMP picture. Like the writers below, it writes beside the file and puts the
// file in place only once whole, so that a failed write leaves the former file as it was;
// raises Erreur naming the file when it cannot be written.
void EnregistreImage(const QImage& image, const QString& chemin, FormatGraphique format);

// Writes `peintre`'s painting of a `taille` pixel picture at `ppp` dots per inch: an SVG
// whose view box is the picture in pixels, or a one-page PDF whose page is the picture's
// size in points at that resolution (taille * 72 / ppp), without margins. `peintre` draws
// in pixel coordinates, as on the screen. Raises Erreur naming the file when it cannot
// be written.
void EcritGraphiqueVectoriel(const QString& chemin, FormatGraphique format, QSize taille, int ppp,
                             const QString& titre, const std::function<void(QPainter&)>& peintre);

// Writes `peintre`'s painting of a `taille` pixel picture by the file's extension: PNG or BMP
// pixels at `ppp` dots per inch (antialiased, on white), or an SVG or PDF drawing as above.
// Raises Erreur naming the file for another extension or when it cannot be written.
void EcritGraphique(const QString& chemin, QSize taille, const QString& titre,
                    const std::function<void(QPainter&)>& peintre, int ppp = 96);

} // namespace orlavine
