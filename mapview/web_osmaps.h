// TWebOSMaps: the world map control. A native widget that draws the offline world map
// (monde/), zooms with the wheel and its buttons, pans by dragging, reports clicks, and
// answers address and reverse searches through the geocoder the program gives it.
//
// Every answer arrives later, queued on the user-interface thread, never inside the call
// that asked for it, and in the order asked; a search that finds nothing answers latitude 0
// and longitude 0.
#pragma once

#include "monde/dessin.h"
#include "monde/donnees.h"
#include "monde/projection.h"

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QToolButton;

namespace orlavine {

class IGeocodage;
class TCarteFrance;
class TCoucheTuiles;
struct TParametresTuiles;

// The world file shared by every map of the program: read once, released with the last map.
// Raises monde::ErreurMonde.
std::shared_ptr<const monde::TDonneesMonde>
DonneesMondePartagees(const std::filesystem::path& chemin);

class TWebOSMaps : public QWidget {
    Q_OBJECT

public:
    explicit TWebOSMaps(QWidget* parent = nullptr);
    ~TWebOSMaps() override;

    // Set before Launch: the world file, the atlas for the departments and communes (not
    // owned, may be null) and the address search (not owned, may be null: every search
    // then answers nothing).
    void FixeFichierMonde(const std::filesystem::path& chemin) { fichierMonde_ = chemin; }
    void FixeAtlas(const TCarteFrance* atlas);
    void FixeGeocodage(IGeocodage* geocodage) { geocodage_ = geocodage; }
    IGeocodage* Geocodage() const { return geocodage_; }
    // The towns of the world drawn beside the communes (see mapview/villes_monde.h); null:
    // none, the communes only.
    void FixeVilles(std::shared_ptr<const monde::TVillesMonde> villes);

    // The online tiles drawn over the offline map (off unless `parametres.Actif`).
    void FixeParametresTuiles(const TParametresTuiles& parametres);
    const TCoucheTuiles& Tuiles() const { return *tuiles_; }

    // Starts loading the map; Pret() becomes true later, on the user-interface thread.
    void Launch();
    // The readiness flag: true once the map answers the calls below. A world file that
    // could not be read still gives a ready map (sea, departments, communes) with the
    // message shown on it and in Erreur().
    bool Pret() const { return pret_; }
    const QString& Erreur() const { return erreur_; }

    // Centres the map on that point, at the current scale, and puts the marker there.
    // Coordinates out of range are ignored.
    void ArcGisMapCenterAt(double latitude, double longitude);
    // Takes the marker off the map (a place with no position is selected).
    void EffaceMarqueur() {
        options_.Marqueur = false;
        update();
    }
    // Starts an address search; the answer comes in OnMapResultSearchAddress.
    void ArcGisMapSearchAdress(const QString& adresse);
    // Starts a reverse search; the answer comes in OnMapResultSearchCoordinated.
    void ArcGisMapGetAddress(double latitude, double longitude);
    // Redraws the map; reads the world file again when it could not be read before.
    void Refresh();

    // ---- View, for the program and tests ----
    const monde::TVueMonde& Vue() const { return vue_; }
    // The view's scale 1:N (N at 96 pixels per inch), kept centred.
    void FixeEchelle(double denominateur);
    // Shows the box from (sud, ouest) to (nord, est) as large as it fits.
    void Englobe(double sud, double ouest, double nord, double est);
    // Multiplies the scale by `facteur` around widget point (x, y).
    void ZoomeAutour(double facteur, double x, double y);
    bool MarqueurVisible() const { return options_.Marqueur; }
    monde::TPointGeo Marqueur() const { return options_.PositionMarqueur; }
    const monde::TBilanDessinMonde& DernierDessin() const { return bilan_; }
    // The last answer found came from the online search: the map credits OpenStreetMap.
    bool CreditEnLigne() const { return creditEnLigne_; }
    // "Lat : 48,85904 , Long : 2,29430" for the point under the mouse, shown top right; empty
    // when the mouse is not over the map.
    QString TextePositionSouris() const;
    // Draws the map as the widget shows it onto `painter`, `largeur` x `hauteur` pixels.
    void DessineSur(class QPainter& painter, int largeur, int hauteur);

    // ---- Saving the view ----
    // Writes the view as the widget shows it (without the buttons nor the pointer's
    // position), by the extension: a PNG picture, or an SVG or one-page PDF drawing through
    // the same drawing, with the labels kept as text (see mapview/graphique_vectoriel.h).
    // Raises Erreur naming the file when the name or the writing fails.
    void EnregistreCarte(const QString& chemin);
    // « Enregistrer la carte… »: asks for the file (PNG, SVG or PDF) and saves the view; a
    // failure is shown in a message box. The button over the map, under « − », is shown only
    // once the owner offers it.
    void EnregistrerCarte();
    void OffreEnregistrement(bool offre);
    QToolButton* BoutonEnregistrer() const { return enregistrer_; }
    // The save dialog (`propose`: the path offered); empty when cancelled. The tests answer
    // it without a screen.
    std::function<QString(const QString& propose)> DemandeFichierCarte;

    // Default centre of the map.
    static constexpr double LatitudeDefaut = 48.85904;
    static constexpr double LongitudeDefaut = 2.294297;

signals:
    // The user clicked the map at that point (x, y: widget pixels).
    void OnMapClick(QObject* sender, double latitude, double longitude, int x, int y);
    // Answer to ArcGisMapSearchAdress; (0, 0) when nothing was found. The two integers are
    // always 0.
    void OnMapResultSearchAddress(QObject* sender, double latitude, double longitude, int, int);
    // Answer to ArcGisMapGetAddress; empty when no place is near.
    void OnMapResultSearchCoordinated(QObject* sender, const QString& adresse);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Charge();
    // The view takes the widget's size (a hidden widget gets no resize event).
    void SynchroniseTaille();
    void PlaceBoutons();
    void RepondAdresse(quint64 numero, std::optional<monde::TPointGeo> p, bool enLigne);
    void RepondLieu(quint64 numero, const std::string& texte, bool enLigne);
    void FixeCreditEnLigne(bool enLigne);

    std::filesystem::path fichierMonde_;
    const TCarteFrance* atlas_ = nullptr;
    IGeocodage* geocodage_ = nullptr;
    std::shared_ptr<const monde::TDonneesMonde> donnees_;
    std::shared_ptr<const monde::TVillesMonde> villes_;
    std::unique_ptr<monde::TCarteMonde> carte_;
    void NouvelleCarte();
    monde::TVueMonde vue_;
    monde::TOptionsDessinMonde options_;
    monde::TBilanDessinMonde bilan_;
    bool pret_ = false;
    bool chargementLance_ = false;
    QString erreur_;
    // Dragging: where the button went down and the last position; a press that moves less
    // than a few pixels is a click.
    bool bouton_ = false;
    bool glisse_ = false;
    QPoint appui_, dernier_;
    std::optional<monde::TPointGeo> souris_; // under the mouse
    QToolButton* plus_ = nullptr;
    QToolButton* moins_ = nullptr;
    QToolButton* enregistrer_ = nullptr;
    QString dernierEnregistrement_; // offered again by the next save
    bool sansPointeur_ = false;     // a saved view leaves the pointer's position out
    TCoucheTuiles* tuiles_ = nullptr;
    bool creditEnLigne_ = false;
    // Answers leave in the order the searches were asked, whatever order they come in (a
    // kept or offline answer comes before an online one still waiting for its turn): the
    // page pairs each answer with its search by that order.
    struct TFileReponses {
        quint64 Demandees = 0, Emises = 0;
        std::map<quint64, std::function<void()>> Pretes;
        void Emet();
    };
    TFileReponses adresses_, lieux_;
};

} // namespace orlavine
