#include "mapview/surface_qt.h"

#include "mapview/ansi_qt.h"

#include <QPaintDevice>
#include <QPainter>
#include <array>
#include <cmath>

namespace orlavine {

QColor VersQColor(TColor c) {
    return QColor(Rouge(c), Vert(c), Bleu(c));
}

TColor DepuisQColor(const QColor& c) {
    return Rvb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue()));
}

QFont PoliceCarteDefaut() {
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setStyleHint(QFont::SansSerif);
    police.setPointSize(8);
    return police;
}

TSurfaceQt::TSurfaceQt(QPainter& painter, const QFont& police)
    : painter_(&painter), device_(painter.device()), police_(police),
      plume_(Qt::black, 1, Qt::SolidLine), brosse_(Qt::white, Qt::SolidPattern) {
    plume_.setCosmetic(false);
    if (device_ != nullptr) ppp_ = device_->logicalDpiX();
}

TSurfaceQt::TSurfaceQt(const QFont& police, QPaintDevice* device, int ppp)
    : device_(device), police_(police), ppp_(ppp) {}

void TSurfaceQt::FixeLargeurPlume(int largeur) {
    largeurPlume_ = largeur < 1 ? 1 : largeur;
    plume_.setWidth(largeurPlume_);
    outilsAJour_ = false;
}

void TSurfaceQt::FixeCouleurPlume(TColor couleur) {
    plume_.setColor(VersQColor(couleur));
    outilsAJour_ = false;
}

void TSurfaceQt::FixeStylePlume(StylePlume style) {
    plumeVisible_ = style == StylePlume::Solide;
    outilsAJour_ = false;
}

void TSurfaceQt::FixeCouleurBrosse(TColor couleur) {
    brosse_.setColor(VersQColor(couleur));
    outilsAJour_ = false;
}

void TSurfaceQt::FixeStyleBrosse(StyleBrosse style) {
    brosse_.setStyle(style == StyleBrosse::Solide ? Qt::SolidPattern : Qt::NoBrush);
    outilsAJour_ = false;
}

void TSurfaceQt::FixeGras(bool gras) {
    if (police_.bold() == gras) return;
    police_.setBold(gras);
    policeAJour_ = false;
    metriques_.reset();
}

void TSurfaceQt::FixeSouligne(bool souligne) {
    if (police_.underline() == souligne) return;
    police_.setUnderline(souligne);
    policeAJour_ = false;
    metriques_.reset();
}

void TSurfaceQt::AppliquePlumeBrosse() {
    if (outilsAJour_) return;
    painter_->setPen(plumeVisible_ ? plume_ : QPen(Qt::NoPen));
    painter_->setBrush(brosse_);
    outilsAJour_ = true;
}

void TSurfaceQt::AppliquePolice() {
    if (policeAJour_) return;
    painter_->setFont(police_);
    policeAJour_ = true;
}

const QFontMetrics& TSurfaceQt::Metriques() {
    if (!metriques_) {
        if (device_ != nullptr)
            metriques_.emplace(police_, device_);
        else
            metriques_.emplace(police_);
    }
    return *metriques_;
}

// A shape of the half-open rectangle r: a stroked Qt shape covers its rectangle plus the
// pen, so the outline is drawn one pixel in from the right and bottom edges.
void TSurfaceQt::Ellipse(const TRect& r) {
    if (painter_ == nullptr) return;
    AppliquePlumeBrosse();
    const int retrait = plumeVisible_ ? 1 : 0;
    const QRect q(r.left, r.top, r.Largeur() - retrait, r.Hauteur() - retrait);
    if (ellipsesPolygones_ && q.width() > 0 && q.height() > 0 && q.width() <= 16 &&
        q.height() <= 16) {
        // The same ellipse as drawEllipse's: inscribed in the rectangle's edges.
        constexpr int Cotes = 16;
        static const auto unite = [] {
            std::array<QPointF, Cotes> u;
            for (int i = 0; i < Cotes; ++i)
                u[static_cast<std::size_t>(i)] = QPointF(std::cos(i * 2 * PiGeometrie / Cotes),
                                                         std::sin(i * 2 * PiGeometrie / Cotes));
            return u;
        }();
        const double rx = q.width() / 2.0, ry = q.height() / 2.0;
        const double cx = q.x() + rx, cy = q.y() + ry;
        cercle_.resize(Cotes);
        for (int i = 0; i < Cotes; ++i)
            cercle_[i] = QPointF(cx + rx * unite[static_cast<std::size_t>(i)].x(),
                                 cy + ry * unite[static_cast<std::size_t>(i)].y());
        painter_->drawPolygon(cercle_);
        return;
    }
    painter_->drawEllipse(q);
}

void TSurfaceQt::Rectangle(const TRect& r) {
    if (painter_ == nullptr) return;
    AppliquePlumeBrosse();
    const int retrait = plumeVisible_ ? 1 : 0;
    painter_->drawRect(QRect(r.left, r.top, r.Largeur() - retrait, r.Hauteur() - retrait));
}

void TSurfaceQt::Polygone(const TPoint* points, std::size_t n) {
    if (painter_ == nullptr || n == 0) return;
    AppliquePlumeBrosse();
    tampon_.resize(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i)
        tampon_[static_cast<qsizetype>(i)] = QPoint(points[i].x, points[i].y);
    painter_->drawPolygon(tampon_, Qt::WindingFill);
}

void TSurfaceQt::Polyligne(const TPoint* points, std::size_t n) {
    if (painter_ == nullptr || n < 2) return;
    AppliquePlumeBrosse();
    tampon_.resize(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i)
        tampon_[static_cast<qsizetype>(i)] = QPoint(points[i].x, points[i].y);
    painter_->drawPolyline(tampon_);
}

void TSurfaceQt::TexteA(int x, int y, const AnsiString& texte) {
    if (painter_ == nullptr) return;
    AppliquePolice();
    // Text is drawn with the pen colour of the font: black.
    painter_->setPen(QPen(Qt::black));
    outilsAJour_ = false;
    painter_->drawText(QPoint(x, y + Metriques().ascent()), VersQString(texte));
}

TTailleTexte TSurfaceQt::EtendueTexte(const AnsiString& texte) {
    const QFontMetrics& m = Metriques();
    return TTailleTexte{m.horizontalAdvance(VersQString(texte)), m.height()};
}

int TSurfaceQt::HauteurTexte(const AnsiString&) {
    return Metriques().height();
}

} // namespace orlavine
