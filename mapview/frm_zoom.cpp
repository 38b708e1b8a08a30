#include "mapview/frm_zoom.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace orlavine {

namespace {
// The zoom as the geometry helpers take it: single precision.
double ZoomSimple(double zoom) {
    return static_cast<double>(static_cast<float>(zoom));
}
} // namespace

TFrmZoom::TFrmZoom(QWidget* owner) : QAbstractScrollArea(owner) {
    setFrameShape(QFrame::NoFrame);
    resize(256, 207);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    CalculOffset();
}

TFrmZoom::~TFrmZoom() {
    if (curseurGlissement_) QApplication::restoreOverrideCursor();
}

int TFrmZoom::Width() const {
    return width();
}
int TFrmZoom::Height() const {
    return height();
}

void TFrmZoom::ZoomTo(double zoom, const TPoint* centre, bool) {
    Zoom = zoom;
    CalculOffset();
    SetSBarRange();
    UpdateScroll(centre);
    viewport()->update();
}

void TFrmZoom::ZoomBy(double facteur, const TPoint* centre) {
    ZoomTo(Zoom * facteur, centre, true);
}

void TFrmZoom::ZoomFit(TRect& r) {
    r = Grow(Normalize(r), 1, 1);
    const TRect visible = RectImage * ZoomSimple(Zoom) - ScrollPos();
    const TRect inter{std::max(r.left, visible.left), std::max(r.top, visible.top),
                      std::min(r.right, visible.right), std::min(r.bottom, visible.bottom)};
    if (inter.EstVide()) return;
    r = inter;
    TPoint centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const double zy = viewport()->height() * Zoom / r.Hauteur();
    const double zx = viewport()->width() * Zoom / r.Largeur();
    ZoomTo(std::min(zx, zy), &centre, true);
}

void TFrmZoom::ZoomAdjust() {
    if (RectImage.EstVide()) return;
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    ShowScrollBars();
    // Both bars are hidden: the client is the whole view.
    const double zy = static_cast<double>(Height()) / RectImage.Hauteur();
    const double zx = static_cast<double>(Width()) / RectImage.Largeur();
    // RectImage is measured at the current zoom: the ratio scales the current zoom.
    ZoomTo(Zoom * std::min(zx, zy), nullptr, true);
}

double TFrmZoom::AdjustedZoom() const {
    return AdjustedZoom(TRect{0, 0, viewport()->width(), viewport()->height()});
}

double TFrmZoom::AdjustedZoom(const TRect& r) const {
    if (RectImage.Largeur() == 0 || RectImage.Hauteur() == 0) return 1.0;
    return std::min(static_cast<double>(r.Hauteur()) / RectImage.Hauteur(),
                    static_cast<double>(r.Largeur()) / RectImage.Largeur());
}

TPoint TFrmZoom::Centre() const {
    return TPoint{viewport()->width() / 2, viewport()->height() / 2};
}

TRect TFrmZoom::SGetClientRect() const {
    return TRect{0, 0, viewport()->width(), viewport()->height()} + ScrollPos();
}

TPoint TFrmZoom::ClientToImg(TPoint p) const {
    const TPoint q = p + ScrollPos();
    return Zoom == 0.0 ? q : q / ZoomSimple(Zoom);
}

TPoint TFrmZoom::ImgToClient(TPoint p) const {
    return p * ZoomSimple(Zoom) - ScrollPos();
}

TRect TFrmZoom::ClientToImg(const TRect& r) const {
    const TRect q = r + ScrollPos();
    return Zoom == 0.0 ? q : q / ZoomSimple(Zoom);
}

TRect TFrmZoom::ImgToClient(const TRect& r) const {
    return r * ZoomSimple(Zoom) - ScrollPos();
}

TPoint TFrmZoom::Scrolled(TPoint p) const {
    return p + ScrollPos();
}
TPoint TFrmZoom::UnScrolled(TPoint p) const {
    return p - ScrollPos();
}

TPoint TFrmZoom::ScrollPos() const {
    return TPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TFrmZoom::FixeScrollPos(TPoint p) {
    horizontalScrollBar()->setValue(p.x);
    verticalScrollBar()->setValue(p.y);
}

void TFrmZoom::ShowScrollBars() {
    // The scroll area shows a bar only while it has something to scroll.
    if (horizontalScrollBar()->maximum() <= 0) horizontalScrollBar()->setValue(0);
    if (verticalScrollBar()->maximum() <= 0) verticalScrollBar()->setValue(0);
}

// The ranges are the extent of the image plus one pixel; the bars scroll over what does
// not fit in the viewport.
void TFrmZoom::SetSBarRange() {
    // A bar that appears or goes resizes the viewport, which changes the other range: set
    // them again until the viewport keeps its size.
    if (dansRange_) {
        rangeAFaire_ = true;
        return;
    }
    dansRange_ = true;
    const int etendueX = RectImage.Largeur() + 1;
    const int etendueY = RectImage.Hauteur() + 1;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    for (int passe = 0; passe < 4; ++passe) {
        rangeAFaire_ = false;
        h->setRange(0, std::max(0, etendueX - viewport()->width()));
        h->setPageStep(std::max(1, viewport()->width()));
        h->setSingleStep(20);
        v->setRange(0, std::max(0, etendueY - viewport()->height()));
        v->setPageStep(std::max(1, viewport()->height()));
        v->setSingleStep(20);
        if (!rangeAFaire_) break;
    }
    dansRange_ = false;
}

TPoint TFrmZoom::ChgtRepEcranAbs(TPoint p) const {
    const TPoint s = ScrollPos();
    return TPoint{p.x + s.x + RectImage.left - Decalage.x, p.y + s.y + RectImage.top - Decalage.y};
}

TPoint TFrmZoom::ChgtRepAbsEcran(TPoint p) const {
    return TPoint{p.x - (RectImage.left - Decalage.x), p.y - (RectImage.top - Decalage.y)};
}

TRect TFrmZoom::ChgtRepAbsEcran(const TRect& r) const {
    const TPoint a = ChgtRepAbsEcran(TPoint{r.left, r.top});
    const TPoint b = ChgtRepAbsEcran(TPoint{r.right, r.bottom});
    return Normalize(TRect{a.x, a.y, b.x, b.y});
}

void TFrmZoom::UpdateScroll(const TPoint* p) {
    if (p == nullptr) return;
    const TPoint q = ChgtRepAbsEcran(*p);
    FixeScrollPos(TPoint{q.x - Width() / 2, q.y - Height() / 2});
}

void TFrmZoom::CalculOffset() {
    if (!Centrage) return;
    Decalage.x = std::max(0, (Width() - RectImage.Largeur()) / 2 + 5);
    Decalage.y = std::max(0, (Height() - RectImage.Hauteur()) / 2 + 5);
}

void TFrmZoom::FixeRepereGraphique(QPainter& painter) const {
    const TPoint s = ScrollPos();
    painter.translate(-s.x, -s.y);
    if (Centrage) painter.translate(-(RectImage.left - Decalage.x), -(RectImage.top - Decalage.y));
}

void TFrmZoom::InvalideZoneSpeciale() {}

void TFrmZoom::FormPaint(QPainter&) {}

void TFrmZoom::FormResize() {
    MajTailleUtile();
    ZoomTo(Zoom, nullptr, true);
}

void TFrmZoom::FormMouseDown(int x, int y) {
    Glissement = true;
    DernierPoint = TPoint{x, y};
    if (!curseurGlissement_) {
        QApplication::setOverrideCursor(Qt::SizeAllCursor);
        curseurGlissement_ = true;
    }
}

void TFrmZoom::FormMouseMove(int x, int y) {
    if (!Glissement) return;
    InvalideZoneSpeciale();
    const TPoint s = ScrollPos();
    FixeScrollPos(TPoint{s.x - (x - DernierPoint.x), s.y - (y - DernierPoint.y)});
    DernierPoint = TPoint{x, y};
}

void TFrmZoom::FormMouseUp(int, int) {
    Glissement = false;
    if (curseurGlissement_) {
        QApplication::restoreOverrideCursor();
        curseurGlissement_ = false;
    }
}

void TFrmZoom::MajTailleUtile() {
    const int anciennesLargeur = LargeurUtile;
    const int ancienneHauteur = HauteurUtile;
    const QScrollBar* v = verticalScrollBar();
    const QScrollBar* h = horizontalScrollBar();
    LargeurUtile = Width() - (v->isVisibleTo(this) ? v->width() : 0);
    HauteurUtile = Height() - (h->isVisibleTo(this) ? h->height() : 0);
    // The viewport is the usable area; it is the reference once the bars are laid out.
    LargeurUtile = std::min(LargeurUtile, viewport()->width());
    HauteurUtile = std::min(HauteurUtile, viewport()->height());
    if (anciennesLargeur != LargeurUtile || ancienneHauteur != HauteurUtile) TailleUtileChangee();
}

void TFrmZoom::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    FixeRepereGraphique(painter);
    FormPaint(painter);
}

void TFrmZoom::resizeEvent(QResizeEvent*) {
    // Called for the view's own resize and for the viewport's when a bar comes or goes:
    // only the first re-projects the map.
    if (size() == tailleForme_) return;
    tailleForme_ = size();
    FormResize();
}

bool TFrmZoom::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        const bool resultat = QAbstractScrollArea::viewportEvent(event);
        SetSBarRange();
        MajTailleUtile();
        return resultat;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TFrmZoom::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    FormMouseDown(p.x(), p.y());
}

void TFrmZoom::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    FormMouseMove(p.x(), p.y());
}

void TFrmZoom::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    FormMouseUp(p.x(), p.y());
}

void TFrmZoom::scrollContentsBy(int, int) {
    InvalideZoneSpeciale();
    viewport()->update();
}

} // namespace orlavine
