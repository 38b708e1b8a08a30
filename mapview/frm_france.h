// TFrmFrance: the drawn map of France on a TFrmZoom. Shows the atlas at a zoom factor with
// the communes chosen by the search window, a legend at the corner of the preferences, a
// hint naming what lies under the pointer, the blinking of the selected towns, the
// zoom-to-town animation and the toolbar (zoom, whole map, disks, neighbours, copy, mail,
// save, print). It never owns the atlas.
#pragma once

#include "mapview/frm_zoom.h"

#include <QFont>
#include <QImage>
#include <QString>

class QAction;
class QPrinter;
class QTimer;
class QToolBar;
class QToolButton;

namespace orlavine {

class TCarteFrance;
class ISurfaceDessin;
class TFrmPrefCarte;

// Where a picture of w x h pixels goes on a printable area of pw x ph printer pixels: as
// large as the area allows with its proportions kept (the whole width or the whole height),
// centred. An empty picture or area gives an empty rectangle.
TRect RectImpression(int w, int h, int pw, int ph);

class TFrmFrance : public TFrmZoom {
    Q_OBJECT

public:
    // `carte` is not owned and may be null. The preferences window is FrmPrefCarte unless
    // one is given with FixePreferences.
    TFrmFrance(QWidget* owner, TCarteFrance* carte);
    ~TFrmFrance() override;

    TCarteFrance* Carte = nullptr;
    std::int32_t TopsAnimation = 0; // blink ticks since the last zoom
    TPoint PointLegende;            // client position of the legend's top-left corner
    bool ToucheCtrl = false;

    // ---- Components ----
    // The toolbar, hidden until the search window puts it in its own layout: reparent it
    // there and show() it.
    QToolBar* TBToolbar1 = nullptr;
    QTimer* TimerAffichageVille = nullptr; // 200 ms, blinking
    QTimer* TimerZoom = nullptr;           // 40 ms, zoom-to-town animation
    QAction* ActionZoomPlus = nullptr;
    QAction* ActionZoomMoins = nullptr;
    QAction* ActionZoomCarteEntiere = nullptr;
    QAction* ActionZoomVille = nullptr;
    QAction* ActionCopierPressePapier = nullptr;
    QAction* ActionAfficherDisque = nullptr;
    QAction* ActionAfficherCommunesVoisines = nullptr;
    QAction* ActionEnvoyerMail = nullptr;
    QAction* ActionEnregistrerGraphique = nullptr;
    QAction* ActionImprimerGraphique = nullptr;

    // Preferences window read for the legend and the blinking limit (FrmPrefCarte when
    // none is given).
    void FixePreferences(TFrmPrefCarte* preferences) { preferences_ = preferences; }
    TFrmPrefCarte* Preferences() const;

    // Re-projects the map at `zoom` and scrolls to `centre` (image coordinates); a null
    // centre means the blinking towns when `flag`, else the entry IndexCommuneCentree.
    void ZoomTo(double zoom, const TPoint* centre, bool flag) override;
    // The zoom at which the whole map of France fits the view, with a small margin and
    // without scroll bars.
    double ZoomCarteEntiere() const;
    // Keeps the zoom and brings image point p to the middle of the view.
    void CentragePtEcran(TPoint p);
    // Starts the blinking timer.
    void DemarreAnimation();
    // Places the displayed communes (symbols and labels) with this view's font.
    void MajCommunesAffichees();
    // Invalidates image rectangle r.
    virtual void FctInvalidate(const TRect& r);
    void MajToucheCtrl(Qt::KeyboardModifiers modificateurs);
    void CalculPositionLegende();
    void DessineLegende(ISurfaceDessin& surface);
    void ActiverHint(const QString& texte);
    void InvalideZoneSpeciale() override;
    // Legend corner code of the preferences (0 none; 0 without preferences window).
    int PositionLegende() const;

    // The font of the map's labels.
    const QFont& PoliceCarte() const { return police_; }
    // Dots per inch of the view.
    int Ppp() const;

    // ---- Export ----
    // A picture of exactly what the view shows, LargeurUtile x HauteurUtile, without the
    // scroll bars.
    QImage PlaceImageDansBitmap();
    // Paints the view's content (map and legend) on a painter in client coordinates.
    void PeintVue(QPainter& painter);
    // The same picture as PlaceImageDansBitmap, drawn `facteur` times larger (sharp lines
    // and text for a printer, where a screen bitmap would be stretched).
    QImage ImageAgrandie(int facteur);
    // Writes the picture of the view to `chemin`, in the format of its extension: PNG or
    // BMP pixels, or SVG or PDF drawn as vectors by the same painting, text kept as text.
    // Raises Erreur naming the file when the extension is unknown or the file cannot be
    // written.
    void EnregistreGraphique(const QString& chemin);
    // Prints the picture of the view on one page of `imprimante`, filling its printable
    // area (RectImpression). Returns the rectangle used, in printer pixels from the corner of
    // the printable area; empty, with nothing printed, when the view is empty. Raises Erreur
    // when the printer cannot start.
    TRect ImprimeGraphique(QPrinter& imprimante);
    // The name the picture is attached under in an e-mail: "carte-versailles.bmp", the
    // selected towns in lower-case ASCII joined by dashes; "carte.bmp" without one.
    QString NomPieceJointe() const;

public slots:
    void ActionZoomPlusExecute();
    void ActionZoomMoinsExecute();
    void ActionZoomCarteEntiereExecute();
    void ActionZoomVilleExecute();
    void ActionAfficherCommunesVoisinesExecute();
    void ActionAfficherDisqueExecute();
    void ActionCopierPressePapierExecute();
    void ActionEnregistrerGraphiqueExecute();
    void ActionImprimerGraphiqueExecute();
    void ActionEnvoyerMailExecute();
    void TimerZoomTimer();
    void TimerAffichageVilleTimer();

signals:
    // At the start of every zoom (sender null).
    void OnZoom(QObject* sender);
    // The neighbours display was toggled.
    void OnAfficherVoisines(QObject* sender);
    // On every mouse move: the text under the pointer (may be empty).
    void OnTexteSurvol(const QString& texte);

protected:
    void FormPaint(QPainter& painter) override;
    void FormResize() override;
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void TailleUtileChangee() override;

private:
    void ConstruitActions();
    QFont police_;
    TFrmPrefCarte* preferences_ = nullptr;
    QString hint_;
};

} // namespace orlavine
