// The atlas's drawing surface on a QPainter (or, without a painter, a surface that only
// measures texts with a font on a paint device).
#pragma once

#include "atlas/surface.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <QPolygonF>
#include <optional>

class QPainter;
class QPaintDevice;

namespace orlavine {

QColor VersQColor(TColor couleur);
TColor DepuisQColor(const QColor& couleur);
// The font of the map labels: a sans-serif of 8 points.
QFont PoliceCarteDefaut();

class TSurfaceQt final : public ISurfaceDessin {
public:
    // Draws on `painter` (which must be active) with `police`.
    TSurfaceQt(QPainter& painter, const QFont& police);
    // Measures only, with `police` on `device`; drawing calls do nothing.
    TSurfaceQt(const QFont& police, QPaintDevice* device, int ppp);

    void FixeLargeurPlume(int largeur) override;
    void FixeCouleurPlume(TColor couleur) override;
    void FixeStylePlume(StylePlume style) override;
    void FixeCouleurBrosse(TColor couleur) override;
    void FixeStyleBrosse(StyleBrosse style) override;
    void FixeGras(bool gras) override;
    void FixeSouligne(bool souligne) override;
    void Ellipse(const TRect& r) override;
    void Rectangle(const TRect& r) override;
    void Polygone(const TPoint* points, std::size_t n) override;
    void Polyligne(const TPoint* points, std::size_t n) override;
    void TexteA(int x, int y, const AnsiString& texte) override;
    TTailleTexte EtendueTexte(const AnsiString& texte) override;
    int HauteurTexte(const AnsiString& texte) override;
    int PointsParPouce() const override { return ppp_; }

    // Small ellipses (up to 16 pixels across) drawn as 16-sided polygons: under antialiasing
    // the same pixels, about three times faster than Qt's curves, for drawings of tens of
    // thousands of disks on a pixel buffer. Off by default.
    void FixeEllipsesPolygones(bool oui) { ellipsesPolygones_ = oui; }

private:
    void AppliquePlumeBrosse();
    void AppliquePolice();
    const QFontMetrics& Metriques();

    QPainter* painter_ = nullptr;
    QPaintDevice* device_ = nullptr;
    QFont police_;
    std::optional<QFontMetrics> metriques_;
    QPen plume_;
    QBrush brosse_;
    int largeurPlume_ = 1;
    bool plumeVisible_ = true;
    bool policeAJour_ = false;
    bool outilsAJour_ = false;
    int ppp_ = 96;
    QPolygon tampon_;
    bool ellipsesPolygones_ = false;
    QPolygonF cercle_; // the ellipse's points, reused
};

} // namespace orlavine
