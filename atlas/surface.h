// The drawing surface the atlas paints on: a pen, a brush, a font with bold and underline,
// and a handful of primitives. The map window adapts a QPainter to it; tests and
// benchmarks record or measure through their own surfaces. No toolkit here.
#pragma once

#include "host/chaines.h"
#include "host/geometrie.h"

#include <cstddef>

namespace orlavine {

enum class StylePlume { Solide, Aucun };
enum class StyleBrosse { Solide, Transparent };

// Width and height of a text, in pixels.
struct TTailleTexte {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TTailleTexte&, const TTailleTexte&) = default;
};

class ISurfaceDessin {
public:
    virtual ~ISurfaceDessin() = default;

    // ---- Pen: the outline of shapes ----
    virtual void FixeLargeurPlume(int largeur) = 0;
    virtual void FixeCouleurPlume(TColor couleur) = 0;
    virtual void FixeStylePlume(StylePlume style) = 0;

    // ---- Brush: the fill of shapes ----
    virtual void FixeCouleurBrosse(TColor couleur) = 0;
    virtual void FixeStyleBrosse(StyleBrosse style) = 0;

    // ---- Font ----
    virtual void FixeGras(bool gras) = 0;
    virtual void FixeSouligne(bool souligne) = 0;

    // ---- Shapes, in pixel coordinates. Rectangles are half-open: (l, t, r, b) covers the
    // columns l to r - 1 and the rows t to b - 1. ----
    virtual void Ellipse(const TRect& r) = 0;
    virtual void Rectangle(const TRect& r) = 0;
    // A closed polygon through n points, outlined with the pen and filled with the brush.
    virtual void Polygone(const TPoint* points, std::size_t n) = 0;
    // An open line through n points, drawn with the pen. By default one two-point polygon
    // per segment (a polygon without area fills nothing); surfaces draw it in one go.
    virtual void Polyligne(const TPoint* points, std::size_t n) {
        for (std::size_t i = 1; i < n; ++i)
            Polygone(points + i - 1, 2);
    }

    // ---- Text (Windows-1252), its top-left corner at (x, y), no background ----
    virtual void TexteA(int x, int y, const AnsiString& texte) = 0;
    virtual TTailleTexte EtendueTexte(const AnsiString& texte) = 0;
    virtual int HauteurTexte(const AnsiString& texte) = 0;

    // Resolution of the surface, for sizes given at 96 dots per inch.
    virtual int PointsParPouce() const = 0;
};

} // namespace orlavine

namespace orlavine {

struct TPreferencesCarte;

// ---- Blinking of the selected towns ----
// The colour shared by every map of the program, black until the first blink step.
TColor CouleurClignotement();
void FixeCouleurClignotement(TColor couleur);
// Colour after a step into `phase` (0 navy, 2 green, 4 red; 1 and 3 keep `precedente`).
TColor CouleurPhase(int phase, TColor precedente);

// ---- Distance disks, in drawing order (largest first) ----
struct TDisqueDistance {
    int RayonKm;
    bool TPreferencesCarte::*Preference; // the preference that switches it on
    int Degrade;                         // gradient step: trunc(log10(RayonKm) * 50)
};
inline constexpr int NombreDisques = 8;
extern const TDisqueDistance TableDisques[NombreDisques];
// Gradient step of a radius (the table's value, else trunc(log10(rayon) * 50), 0 for r <= 1).
int DegradeDisque(int rayonKm);

// Label rectangle of a displayed commune for its PositionTexte (1 to 8; others give 8).
TRect CalculeRectTexte(TPoint position, int largeur, int hauteur, int demiCote, int positionTexte);

// A rank label as the legend shows it ("Chef-lieu de Canton" -> "Chef-Lieu de Canton").
AnsiString LibelleLegende(int rang);

} // namespace orlavine
