// TFrmZoom: a scrollable view of an image larger than itself, with a zoom factor, centring
// of a small image, conversions between client, scrolled and image coordinates, and
// panning with the mouse. It draws nothing itself: before each paint it sets the painter
// so that the derived window draws in image coordinates (FormPaint).
//
// Client coordinates: pixels of the viewport. Scrolled: client + scroll position.
// Image: scrolled + (RectImage.left - Decalage.x, RectImage.top - Decalage.y).
#pragma once

#include "host/geometrie.h"

#include <QAbstractScrollArea>

class QPainter;

namespace orlavine {

class TFrmZoom : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TFrmZoom(QWidget* owner = nullptr);
    ~TFrmZoom() override;

    // Width and height less any visible scroll bar (updated on resize and when a bar
    // appears or disappears).
    std::int32_t LargeurUtile = 0;
    std::int32_t HauteurUtile = 0;
    bool Glissement = false; // a mouse button is held down: panning
    TPoint DernierPoint;     // client position of the last press or panning step
    bool Centrage = true;    // centre an image smaller than the view
    TPoint Decalage;         // centring margins (CalculOffset)
    TRect RectImage;         // extent of the image, image coordinates
    double Zoom = 1.0;

    // Outer size of the view (viewport plus visible scroll bars).
    int Width() const;
    int Height() const;

    virtual void ZoomTo(double zoom, const TPoint* centre, bool flag);
    void ZoomBy(double facteur, const TPoint* centre);
    // Zooms so that client rectangle r fills the view.
    void ZoomFit(TRect& r);
    // Zooms so that the whole image fits the view.
    void ZoomAdjust();
    double AdjustedZoom() const;
    double AdjustedZoom(const TRect& r) const;
    double GetZoom() const { return Zoom; }
    TPoint Centre() const;

    virtual TRect SGetClientRect() const;
    virtual TPoint ClientToImg(TPoint p) const;
    virtual TPoint ImgToClient(TPoint p) const;
    virtual TRect ClientToImg(const TRect& r) const;
    virtual TRect ImgToClient(const TRect& r) const;
    TPoint Scrolled(TPoint p) const;
    TPoint UnScrolled(TPoint p) const;
    TPoint ScrollPos() const;
    // Moves the scroll bars (clamped to their ranges).
    void FixeScrollPos(TPoint p);

    void ShowScrollBars();
    void SetSBarRange();
    // Client -> image.
    TPoint ChgtRepEcranAbs(TPoint p) const;
    // Image -> scrolled (the scroll position is not subtracted).
    TPoint ChgtRepAbsEcran(TPoint p) const;
    TRect ChgtRepAbsEcran(const TRect& r) const;
    // Scrolls image point *p to the middle of the view; nothing when p is null.
    virtual void UpdateScroll(const TPoint* p);
    void CalculOffset();
    // Sets the painter so that image coordinates land on the right client pixels.
    void FixeRepereGraphique(QPainter& painter) const;
    // Areas drawn at a fixed client position, to redraw before a scroll.
    virtual void InvalideZoneSpeciale();

protected:
    // Paints the image; the painter is already in image coordinates.
    virtual void FormPaint(QPainter& painter);
    virtual void FormResize();
    virtual void FormMouseDown(int x, int y);
    virtual void FormMouseMove(int x, int y);
    virtual void FormMouseUp(int x, int y);
    // The usable size changed because a scroll bar appeared or disappeared.
    virtual void TailleUtileChangee() {}

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void MajTailleUtile();
    bool curseurGlissement_ = false;
    QSize tailleForme_;
    bool dansRange_ = false;
    bool rangeAFaire_ = false;
};

} // namespace orlavine
