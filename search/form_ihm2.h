// TFormIhm2: the main window ("Localisation"), a frame around three pages. The frame
// (form_ihm2.cpp) holds the pager, the buttons, the entry points of the host, the page
// changes, the delayed preferences and what is kept between sessions. The communes page
// (page_communes.cpp) finds a commune by the first letters of its name or by a code, lists
// the communes around it or measures two towns, shows them on the embedded map and exports
// the neighbour list.
#pragma once

#include "atlas/carte_france.h"
#include "geoloc/page_monde.h"
#include "search/tri.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace orlavine {

class TFrmBrowserChromium;
class TFrmFrance;
class TVueFenetreMonde;
class TWebOSMaps;
class TFrmPrefCarte;

class TFormIhm2 : public QWidget {
    Q_OBJECT

public:
    explicit TFormIhm2(QWidget* owner = nullptr);
    ~TFormIhm2() override;

    // ---- Entry points of the host ----
    // The place to locate on the world map page: the window keeps its own copy (null: none).
    void SetSGeoChps(const SGeoChps* lieu);
    // Opens the world map page on that place (the text has no effect).
    void ShowMapWorld(const QString& texte);
    // Opens the communes page for a place text ("Paris ; 75001; Ile de France ; France"
    // puts "Paris" into the first town edit).
    void ShowCommuneFrance(const QString& texte);
    // Builds the atlas, the embedded map and the preferences panel; a failed load shows
    // the loader's message and leaves the window usable without an atlas.
    void InitCommuneFrance();

    // Called each time the world map page saves the place (the host stores it).
    std::function<void(SGeoChps*)> OnLocalisationSauvee;
    // The host's data for the world map page: place texts, normalisation, log (not owned;
    // null: typed addresses are searched as they are and nothing is logged).
    void FixeServicesLieux(geoloc::IHotePageMonde* services);
    // How the ask-location question is asked (the dialog TFormAskLocation unless replaced).
    std::function<geoloc::TReponseRelocalisation(const QString& question)> DemandeRelocalisation;
    // A yes/no question whose default button is « Non »; true for « Oui ». Tests answer it.
    std::function<bool(const QString& question)> DemandeConfirmation;

    // Folder of the three atlas files (the current directory when empty).
    std::filesystem::path DossierAtlas;
    // How a message is shown to the user (a warning dialog unless replaced).
    std::function<void(const QString&)> AfficheMessage;
    // How the exported text file is opened (the desktop's default editor unless replaced);
    // false when nothing could open it.
    std::function<bool(const QString&)> OuvreDocument;
    // How the e-mail is prepared (the host's mail service unless replaced).
    std::function<void(const AnsiString& destinataire, const AnsiString& sujet,
                       const AnsiString& corps, const AnsiString& piece)>
        EnvoieCourriel;

    // ---- Components ----
    QTabWidget* AdvOfficePagerMain = nullptr;
    QWidget* PageMapWorld = nullptr;
    QWidget* PageMapFrance = nullptr;
    QWidget* PageMapGoogle = nullptr;
    QWidget* PanelSearchPlace = nullptr;
    QPushButton* btQuit = nullptr;

    // World map page (page_monde.cpp)
    QGroupBox* GroupBox1 = nullptr;
    QLabel* lbPlace = nullptr;
    QPushButton* BtRelocate = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* cbAddress = nullptr;
    QPushButton* BtSearch = nullptr;
    QLabel* LbLatLong = nullptr;
    QLabel* LbEtatRecherche = nullptr; // what the last search gave
    QComboBox* cbCandidats = nullptr;  // the namesakes to pick from, when there are
    QPushButton* BtLocatePerso = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* btValidate = nullptr;
    QLabel* LabelValidate = nullptr;
    QLabel* Label2 = nullptr;
    TWebOSMaps* WebOSMaps = nullptr;
    QTimer* TimerMapLoaded = nullptr; // waits for the map, 2000 ms
    // Browser page (page_navigateur.cpp): the browser, created on its first display; the
    // sentence shown instead when this build has no browser engine.
    TFrmBrowserChromium* Navigateur = nullptr;
    QLabel* LabelSansNavigateur = nullptr;
    // The row of btQuit, where a host may add its own buttons (left of "Fermer").
    QHBoxLayout* BarreBoutons = nullptr;

    QSplitter* Splitter1 = nullptr;
    QWidget* PanOption = nullptr;
    // Choice of a commune above, preferences below (TSeparateurOptions).
    QSplitter* SplitterOption = nullptr;
    QGroupBox* AdvPanel1 = nullptr;
    QWidget* PanReference = nullptr;
    QLabel* la1 = nullptr;
    QWidget* PanelSaisieCom1 = nullptr;
    QLineEdit* zeVille1 = nullptr;
    QLabel* zaVilleSel1 = nullptr;
    QPushButton* sbChoix2Villes = nullptr;
    QWidget* PanelSaisieCom2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* zeVille2 = nullptr;
    QLabel* zaVilleSel2 = nullptr;
    QLabel* la2 = nullptr;
    QTreeWidget* lvCom = nullptr;
    QLabel* la3 = nullptr;
    QSlider* tbRayon = nullptr;
    QLabel* laRayon = nullptr;

    QTabWidget* pcMain = nullptr;
    QWidget* tsVilles = nullptr;
    QWidget* tsCarteGeo = nullptr;
    QLabel* laInfo = nullptr;
    QTreeWidget* lvComVois = nullptr;
    QToolBar* TBToolbar1 = nullptr;
    QAction* ActionImpression = nullptr;
    QAction* ActionCopierPressePapier = nullptr;
    QAction* ActionEnvoiMail = nullptr;
    QWidget* PanelCarteGeo = nullptr;
    QWidget* TBXDockRight = nullptr;
    QLabel* zaCVabsente = nullptr;
    QLabel* LabelStatusCarteGeo = nullptr;

    QTimer* tiSaisie = nullptr;        // typing delay, 1000 ms
    QTimer* TimerPreference = nullptr; // preference changes, 800 ms

    // ---- State ----
    std::vector<std::uint16_t> ResultatsRecherche;
    AnsiString SaisieVille1;
    AnsiString SaisieVille2;
    TFrmFrance* FrmFrance = nullptr; // owned by PanelCarteGeo
    std::unique_ptr<TCarteFrance> Carte;
    int ColonneTri[2] = {ColonneLibelle, ColonneCode};
    int SensTri[2] = {0, 0};
    QLineEdit* EditActif = nullptr;
    QLabel* LabelActif = nullptr;
    bool ModeUneVille = true;
    bool SaisieEnCours = false;
    AnsiString LieuTexte;
    // The analysed text of the previous search.
    AnsiString DerniereRecherche;
    // The message of a failed atlas load (empty when it loaded or was not tried).
    QString ErreurChargement;

    // The world map page's state and decisions (LieuGeo, Latitude, Longitude,
    // RelocalisationEnCours, HistoriqueAdresses...).
    std::unique_ptr<geoloc::TPageMondeLogique> Monde;

    // The commune index held by a selection label (-1: none).
    static int Tag(const QLabel* label);
    static void FixeTag(QLabel* label, int index);

    // ---- Communes page (page_communes.cpp) ----
    // Search (typing, analysis, keys, modes)
    void Recherche(AnsiString texte, int mode);
    // Moves the selection of lvCom for a navigation key (Windows key code) typed in a town
    // edit; sets `touche` to 0 when the key stops there.
    void GestionClavier(QObject* sender, int& touche, Qt::KeyboardModifiers shift);
    void SelectionModeRecherche(bool uneVille);

    // ---- Lists ----
    void Trier();
    void Afficher();
    void ActualiserTri(int liste, int colonne);
    const TCommune* GetCom(const TCommune*& com) const;
    // The rows of lvComVois in the order shown.
    std::vector<TLigneVoisine> LignesVoisines() const;

    // ---- Selection, radius, neighbours ----
    void AffichageCommunes();
    void RempliListViewCommuneVoisines();
    void ActualiserInfosCommuneSel();
    void ActualiserInfosComVois();
    void MajFlagZaCVabsente();

    // ---- Persisted state ----
    void ReadRegData();
    void WriteRegData();

public slots:
    void zeVilleChange();
    void zeVille1Enter();
    void zeVille2Enter();
    void zeVille1Exit();
    void zeVille2Exit();
    // A key pressed in a town edit; true when the key stops there.
    bool zeVilleKeyDown(QObject* sender, int touche, Qt::KeyboardModifiers shift);
    void tiSaisieTimer();
    void sbChoix2VillesClick();
    void lvComColumnClick(int colonne);
    void lvComVoisColumnClick(int colonne);
    void lvComSelectItem();
    void lvComVoisSelectItem();
    void lvComVoisDblClick();
    void tbRayonChange(int position);
    void OnZaCVabsente(QObject* sender);
    void OnAffichageCommunes(QObject* sender);
    void OnLabelCarteGeo(const QString& texte);
    void ActionImpressionExecute();
    void ActionCopierPressePapierExecute();
    void ActionEnvoyerMailExecute();
    void LanceTimerPreference(QObject* sender);
    void TimerPreferenceTimer();
    void AdvOfficePagerMainChange();
    void btQuitClick();

    // World map page events
    void BtSearchClick();
    void BtRelocateClick();
    void BtLocatePersoClick();
    void btValidateClick();
    void TimerMapLoadedTimer();
    void WebOSMapsMapClick(QObject* sender, double latitude, double longitude, int x, int y);
    void WebOSMapsMapResultSearchCoordinated(QObject* sender, const QString& adresse);
    void WebOSMapsMapResultSearchAddress(QObject* sender, double latitude, double longitude, int,
                                         int);
    // Browser callbacks
    void LoadEndGoogleMap(bool fini);
    void UrlChange(const AnsiString& url);

signals:
    // The preferences were applied to the map (once per burst of changes).
    void PreferencesAppliquees();
    // The first row of a fill of lvCom is on screen.
    void PremiereLigneAffichee();
    // A fill of lvCom ended, completely or interrupted.
    void ListeAffichee();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;

private:
    void ConstruitFenetre();
    QWidget* ConstruitPageMonde();
    QWidget* ConstruitPageNavigateur();
    // Puts the address panel at the top of `page` (shown when the window has a place).
    void PlacePanneauRecherche(QWidget* page);
    // The browser page was shown: its address, the browser created on first need.
    void ChargePageNavigateur();
    QWidget* ConstruitPageCommunes();
    void ConstruitMapEtPreferences();
    void ViderListeCommunes();
    void MajActionsExport();
    // The neighbour list belongs to a selected first town: there is something to export.
    bool ExportPossible() const;
    void FixeInfo(const AnsiString& texte);
    AnsiString TexteInfo() const;
    void FixeTexteEdit(QLineEdit* edit, const AnsiString& texte);
    AnsiString TexteExport(bool compact) const;
    void MajIndicateurTri(int liste);

    friend class TVueFenetreMonde;
    std::unique_ptr<TVueFenetreMonde> vueMonde_;
    bool panneauVisible_ = false;
    std::uint64_t generationRemplissage_ = 0;
    bool echecChargement_ = false;
};

// The window of the program (null until one is built).
extern TFormIhm2* FormIhm2;

// Where "CommunesVoisines.txt" goes: the application-data folder.
QString CheminExportVoisines();

} // namespace orlavine
