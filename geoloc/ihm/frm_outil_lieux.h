// TFormToolLocation: the place tool. Every place of the base listed and filtered by its
// geolocation state ("Localisés", "Non localisés", "Validés"), the world map beside it, and
// the actions: locate one place or all of the filter, place by hand on the map, validate,
// delete one or all locations, undo the last bulk run. The work itself is done by the
// toolkit-free operations of geoloc/ and genealogie/, the same as the command line's.
#pragma once

#include "geoloc/localisation_auto.h"
#include "geoloc/verification.h"
#include "monde/villes.h"

#include <QMessageBox>
#include <QStyledItemDelegate>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QDialog;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace orlavine {

class IGeocodage;
class TCarteFrance;
class TWebOSMaps;

// Draws a row's markup: bold, line breaks, non-breaking spaces and the background of its
// "<body bgcolor=...>" prefix; tags it does not know (the index marker) are not shown.
class TDelegueLigneHtml : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int RoleBalisage = Qt::UserRole + 1;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The tooltip of a row (its position and where it came from), made when asked.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    std::function<QString(int ligne)> Bulle;
    // The markup as shown: the background colour taken out, unknown tags removed.
    static QString TexteAffiche(const QString& balisage, QColor* fond = nullptr);
};

struct TParametresOutilLieux {
    std::filesystem::path FichierMonde;
    const TCarteFrance* Atlas = nullptr; // not owned; may be null
    IGeocodage* Geocodage = nullptr;     // the map's own search (not owned); may be null
    std::shared_ptr<const monde::TVillesMonde> Villes; // towns abroad on the map; may be null
};

class TFormToolLocation : public QWidget {
    Q_OBJECT

public:
    // `gestion`, `services` and `recherche` (the address search of the automatic location;
    // may be null) must outlive the window.
    TFormToolLocation(TGestFichier& gestion, const geoloc::IServicesLieux& services,
                      geoloc::IRechercheAdresse* recherche, const TParametresOutilLieux& params,
                      QWidget* parent = nullptr);
    ~TFormToolLocation() override;

    // The operations of the window, also called by the tests.
    void InitListPlaces();
    void ShowAllPlaces(TypeFilterDisplayList filtre);
    bool AddPlaceToShow(const SGeoChps* entree, int index);
    void ColorListDisplay();
    int GetItemIndexListPlaces(int ligne) const;
    // The row's tooltip: position, the nearest commune of the atlas within RayonCommuneKm
    // (by its official name) and provenance, or "Non localisé".
    QString BulleLigne(int ligne) const;
    static constexpr double RayonCommuneKm = 10.0;
    int GetItemIndexShowList(int index) const;
    void SetFilterList(TypeFilterDisplayList filtre);
    void UpdateButton(TypeFilterDisplayList filtre);
    // The progress panel over the window, saying what is being done; the layout under it
    // stays as it is.
    void ShowPanelWait(bool afficher, const QString& texte = {});

    void BtLocateAutoClick();
    void BtLocateClick();
    void BtCheckPlaceClick();
    void BtDeleteCurrentClick();
    void BtDeleteAllClick();
    void BtReInitClick();
    void BtAnnulerClick();
    // « À vérifier » (when the address search resolves places): the located places whose
    // position lies far from what their text names, validated ones listed but never changed;
    // a row shows its expected position on the map, and « Prendre la position attendue »
    // stores it as one lot of the journal, undone by « Annuler la dernière géolocalisation ».
    void AfficheAVerifier();
    void BtPrendreAttendueClick();
    const std::vector<geoloc::TPositionDouteuse>& AVerifier() const { return aVerifier_; }
    // « Exporter les lieux… »: asks where (KML or GeoJSON, by the extension), then writes the
    // base's located places there as `orlavine-cli base exporter --format kml|geojson` does,
    // and says in the window what it wrote, or why nothing was written.
    void BtExporterClick();
    bool ExporteLieuxVers(const QString& chemin);
    void ListDisplayPlacesClick();
    void WebOSMapsMapClick(double latitude, double longitude);
    // Selects the entry of this place and lieu-dit under the filter that lists it, and shows
    // it on the map; done once the list is loaded when it is not yet. False when the loaded
    // list has no such entry.
    bool SelectionneLieu(int idPlace, const std::string& lieuDit);

    const TListePlaces& ListPlaces() const { return ListPlaces_; }
    TypeFilterDisplayList FilterList() const { return FilterList_; }
    bool ListeChargee() const { return chargee_; }
    const geoloc::TBilanGeolocalisation& DernierBilan() const { return bilan_; }

    // The message dialogs; tests and captures answer them without a screen.
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                              QMessageBox::StandardButtons)>
        MyMessageDlg;
    // The save dialog of the export (`propose`: the path offered); empty when cancelled. The
    // tests answer it without a screen.
    std::function<QString(const QString& propose)> DemandeFichierExport;

    QLabel* Label3;
    QRadioButton* RBNotLocate;
    QRadioButton* RBLocate;
    QRadioButton* RBPlaceCheck;
    QRadioButton* RBAVerifier;
    QListWidget* ListDisplayPlaces;
    QPushButton* BtReInit;
    QPushButton* BtDeleteAll;
    QPushButton* BtAnnuler;
    QPushButton* BtExporter;
    // Shown when the base is read-only: why, and that the places can only be viewed.
    QLabel* LabelLectureSeule;
    // « Tout re-géolocaliser » replaces the file's and the hand-placed positions only when ticked.
    QCheckBox* CBRemplacerPositions;
    TWebOSMaps* WebOSMaps;
    QLabel* AdvPanel;
    QCheckBox* CBLieuDit;
    QPushButton* BtLocateAuto;
    QPushButton* BtLocate;
    QPushButton* BtCheckPlace;
    QPushButton* BtDeleteCurrent;
    QPushButton* BtPrendreAttendue;
    QPushButton* btQuit;
    QFrame* PanelWait;
    QLabel* Label2;
    QProgressBar* ProgressBar;
    QPushButton* BtCancel;
    // The summary of the last bulk run (made by the first run): counts per resulting state,
    // the ambiguous places with their candidates, the places not found, the undo button.
    QDialog* DlgBilan = nullptr;
    QLabel* LbBilan = nullptr;
    QTreeWidget* ArbreBilan = nullptr;
    QPushButton* BtBilanAnnuler = nullptr;
    QTimer* TimerInit;
    QTimer* TimerAff;
    QWidget* PanelLeftList;
    QWidget* PanelClientMain;

    bool CancelProcess = false;
    double MapLatitude = 0;
    double MapLongitude = 0;

signals:
    void ListeAffichee();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    // The handler as the window runs it: an exception it lets through (a damaged base...) is
    // shown as a French message instead of reaching the event loop.
    std::function<void()> Garde(std::function<void()> action);
    // The validation notice in the map's top right corner, wherever the map lies now.
    void PlaceAvis();
    SGeoChps* EntreeSelectionnee();
    QString Description(const SGeoChps& e) const;
    void Enregistre(const SGeoChps& e);
    void RestaureSelection(int ligne);
    void VersLocalises(int index);
    void Recharge();
    void AfficheBilan();
    void BilanClick(QTreeWidgetItem* item);

    TGestFichier& gestion_;
    const geoloc::IServicesLieux& services_;
    geoloc::IRechercheAdresse* recherche_;
    const TCarteFrance* atlas_; // may be null
    TListePlaces ListPlaces_;
    TypeFilterDisplayList FilterList_ = FilterLocate;
    // Where the positions stored by this window came from, until the list is loaded again;
    // the others are asked of the base.
    std::map<std::pair<int, std::string>, Provenance> provenances_;
    geoloc::TBilanGeolocalisation bilan_;
    struct LigneAAjouter {
        QString Tri;      // the text the list sorts by
        QString Balisage; // the row markup
    };
    std::vector<LigneAAjouter> aAjouter_;
    std::unique_ptr<geoloc::TVerificateurPositions> verificateur_; // made when first needed
    std::vector<geoloc::TPositionDouteuse> aVerifier_; // the rows of « À vérifier », in order
    bool chargee_ = false;
    bool occupe_ = false;   // an automatic location is under way
    long aFaire_ = 0;       // places of the filter the last bulk run had to do
    QString dernierExport_; // the file the last export went to, offered again
    // The place to select once the list is loaded.
    std::optional<std::pair<int, std::string>> aSelectionner_;
};

} // namespace orlavine
