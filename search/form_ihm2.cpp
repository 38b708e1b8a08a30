// The main window as a frame: its pages, its buttons, the entry points of the host, the
// page changes, the delayed preferences and what it keeps between sessions. Each page lives
// in its own file (page_communes.cpp, page_monde.cpp, page_navigateur.cpp).
#include "search/form_ihm2.h"

#include "atlas/erreurs.h"
#include "atlas/saisie.h"
#include "host/courriel.h"
#include "mapview/ansi_qt.h"
#include "mapview/frm_france.h"
#include "mapview/frm_pref_carte.h"
#include "mapview/web_osmaps.h"
#include "search/disposition.h"
#include "search/fom_patienter.h"
#include "search/parametres.h"
#include "search/phrases.h"
#include "search/vue_page_monde.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace orlavine {

TFormIhm2* FormIhm2 = nullptr;

// ---------------------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------------------

TFormIhm2::TFormIhm2(QWidget* owner) : QWidget(owner, Qt::Window) {
    if (!FormIhm2) FormIhm2 = this;
    AfficheMessage = [this](const QString& texte) {
        QMessageBox::warning(this, QStringLiteral("Orlavine"), texte);
    };
    OuvreDocument = [](const QString& chemin) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(chemin));
    };
    EnvoieCourriel = [this](const AnsiString& destinataire, const AnsiString& sujet,
                            const AnsiString& corps, const AnsiString& piece) {
        const TResultatCourriel r = EnvMailWAttach(destinataire, sujet, corps, piece);
        if (!r.Reussi)
            AfficheMessage(QString::fromStdString(r.Erreur));
        else if (!r.ClientOuvert)
            AfficheMessage(QStringLiteral("Aucun logiciel de courriel n'a été trouvé : le "
                                          "message est enregistré dans « %1 ».")
                               .arg(QString::fromStdString(r.Message.string())));
    };
    ConstruitFenetre();
    LecturePositFenetre(ClePositionFenetre, this, true, true, false);
    // The world map starts loading at once; the page polls it until it is ready.
    WebOSMaps->Launch();
}

TFormIhm2::~TFormIhm2() {
    // The map holds a pointer to the atlas and the atlas one to the preferences: the map
    // goes first, then the atlas, before the panels (and the preferences) are destroyed.
    ++generationRemplissage_;
    delete FrmFrance;
    FrmFrance = nullptr;
    if (Carte) Carte->Preferences = nullptr;
    Carte.reset();
    if (FormIhm2 == this) FormIhm2 = nullptr;
}

void TFormIhm2::ConstruitFenetre() {
    setObjectName(QStringLiteral("FormIhm2"));
    setWindowTitle(QStringLiteral("Localisation"));
    resize(1027, 687);
    // Every page stays readable down to this size: the map keeps most of the width, the
    // left panel and the preferences scroll.
    setMinimumSize(800, 540); // with its title bar, within an 800 x 600 screen

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(4, 4, 4, 4);

    AdvOfficePagerMain = new QTabWidget(this);
    AdvOfficePagerMain->setObjectName(QStringLiteral("AdvOfficePagerMain"));
    AdvOfficePagerMain->setTabPosition(QTabWidget::South);
    AdvOfficePagerMain->setStyleSheet(
        QStringLiteral("QTabBar::tab { min-width: 150px; min-height: 28px; }"));

    PageMapWorld = ConstruitPageMonde();
    PageMapFrance = ConstruitPageCommunes();
    PageMapGoogle = ConstruitPageNavigateur();

    AdvOfficePagerMain->addTab(PageMapWorld, QStringLiteral("Localiser sur la carte"));
    AdvOfficePagerMain->addTab(PageMapFrance, QStringLiteral("Orlavine"));
    AdvOfficePagerMain->addTab(PageMapGoogle, QStringLiteral("OpenStreetMap"));
    principal->addWidget(AdvOfficePagerMain, 1);

    auto* bas = new QHBoxLayout;
    BarreBoutons = bas;
    bas->addStretch(1);
    btQuit = new QPushButton(QStringLiteral("Fermer"), this);
    btQuit->setObjectName(QStringLiteral("btQuit"));
    btQuit->setShortcut(QKeySequence(Qt::Key_Escape));
    bas->addWidget(btQuit);
    principal->addLayout(bas);
    connect(btQuit, &QPushButton::clicked, this, &TFormIhm2::btQuitClick);

    tiSaisie = new QTimer(this);
    tiSaisie->setObjectName(QStringLiteral("tiSaisie"));
    tiSaisie->setInterval(1000);
    connect(tiSaisie, &QTimer::timeout, this, &TFormIhm2::tiSaisieTimer);
    TimerPreference = new QTimer(this);
    TimerPreference->setObjectName(QStringLiteral("TimerPreference"));
    TimerPreference->setInterval(800);
    connect(TimerPreference, &QTimer::timeout, this, &TFormIhm2::TimerPreferenceTimer);

    connect(AdvOfficePagerMain, &QTabWidget::currentChanged, this,
            &TFormIhm2::AdvOfficePagerMainChange);
}

// ---------------------------------------------------------------------------------------
// Entry points and lifecycle
// ---------------------------------------------------------------------------------------

void TFormIhm2::ShowCommuneFrance(const QString& texte) {
    if (!Carte) InitCommuneFrance();
    LieuTexte = VersAnsi(texte);
    Monde->LieuTexte = texte.toStdString();
    FixeTexteEdit(zeVille1, TexteVillePourLieu(LieuTexte));
    AdvOfficePagerMain->setCurrentWidget(PageMapFrance);
    panneauVisible_ = false;
    PanelSearchPlace->hide();
}

void TFormIhm2::ConstruitMapEtPreferences() {
    if (!FrmPrefCarte) new TFrmPrefCarte(this);
    if (FrmPrefCarte->parentWidget() != PanReference) {
        FrmPrefCarte->setParent(PanReference);
        PanReference->layout()->addWidget(FrmPrefCarte);
    }
    connect(FrmPrefCarte, &TFrmPrefCarte::OnChange, this, &TFormIhm2::LanceTimerPreference,
            Qt::UniqueConnection);
    FrmPrefCarte->show();
    static_cast<TSeparateurOptions*>(SplitterOption)->Equilibre();
}

void TFormIhm2::InitCommuneFrance() {
    if (Carte) return;
    ConstruitMapEtPreferences();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    SaisieEnCours = false;
    SaisieVille1.clear();
    SaisieVille2.clear();
    ErreurChargement.clear();
    {
        TFomPatienter FomPatienter(this);
        try {
            const auto dossier =
                DossierAtlas.empty() ? std::filesystem::current_path() : DossierAtlas;
            Carte = std::make_unique<TCarteFrance>(dossier, &FomPatienter);
        } catch (const ErreurAtlas& e) {
            ErreurChargement = QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            ErreurChargement = QStringLiteral("Impossible de charger l'atlas des communes : %1")
                                   .arg(QString::fromLocal8Bit(e.what()));
        }
        FomPatienter.Fermer();
    }
    QApplication::restoreOverrideCursor();
    if (!Carte) {
        // The window stays usable without an atlas; nothing typed before is lost, since
        // the last towns are neither read nor written back.
        echecChargement_ = true;
        AfficheMessage(ErreurChargement);
        return;
    }
    Carte->Preferences = &FrmPrefCarte->Preferences();
    // The preferences window is shared: should it go first, the atlas falls back to the
    // default preferences instead of reading a destroyed window.
    connect(FrmPrefCarte, &QObject::destroyed, this, [this] {
        if (Carte) Carte->Preferences = nullptr;
    });

    ColonneTri[0] = ColonneLibelle;
    ColonneTri[1] = ColonneCode;
    SensTri[0] = SensTri[1] = 0;
    MajIndicateurTri(0);
    ReadRegData();

    FrmFrance = new TFrmFrance(PanelCarteGeo, Carte.get());
    FrmFrance->setObjectName(QStringLiteral("FrmFrance"));
    PanelCarteGeo->layout()->addWidget(FrmFrance);
    if (FrmFrance->TBToolbar1) {
        FrmFrance->TBToolbar1->setParent(TBXDockRight);
        FrmFrance->TBToolbar1->setOrientation(Qt::Vertical);
        TBXDockRight->layout()->addWidget(FrmFrance->TBToolbar1);
        FrmFrance->TBToolbar1->show();
        static_cast<QVBoxLayout*>(TBXDockRight->layout())->addStretch(1);
    }
    connect(FrmFrance, &TFrmFrance::OnZoom, this, &TFormIhm2::OnZaCVabsente);
    connect(FrmFrance, &TFrmFrance::OnAfficherVoisines, this, &TFormIhm2::OnAffichageCommunes);
    connect(FrmFrance, &TFrmFrance::OnTexteSurvol, this, &TFormIhm2::OnLabelCarteGeo);

    EditActif = zeVille1;
    LabelActif = zaVilleSel1;
    FixeTexteEdit(zeVille1, SaisieVille1);
    FixeTexteEdit(zeVille2, SaisieVille2);
    ModeUneVille = true;
}

void TFormIhm2::ReadRegData() {
    const TDernieresVilles villes = LitDernieresVilles();
    SaisieVille1 = villes.Ville1;
    SaisieVille2 = villes.Ville2;
}

void TFormIhm2::WriteRegData() {
    EcritDernieresVilles({SaisieVille1, SaisieVille2});
}

void TFormIhm2::AdvOfficePagerMainChange() {
    QWidget* page = AdvOfficePagerMain->currentWidget();
    if (page == PageMapWorld) {
        PlacePanneauRecherche(PageMapWorld);
        TimerMapLoaded->start();
    } else if (page == PageMapFrance) {
        if (!Carte && !echecChargement_) InitCommuneFrance();
        if (!LieuTexte.empty() && zeVille1->text().isEmpty())
            FixeTexteEdit(zeVille1, TexteVillePourLieu(LieuTexte));
    } else if (page == PageMapGoogle) {
        ChargePageNavigateur();
    }
}

void TFormIhm2::LanceTimerPreference(QObject* /*sender*/) {
    TimerPreference->stop();
    TimerPreference->start();
}

void TFormIhm2::TimerPreferenceTimer() {
    TimerPreference->stop();
    if (!FrmPrefCarte) return;
    FrmPrefCarte->bbOkClick();
    if (FrmFrance) FrmFrance->CalculPositionLegende();
    AffichageCommunes();
    if (FrmFrance) FrmFrance->viewport()->update();
    emit PreferencesAppliquees();
}

void TFormIhm2::closeEvent(QCloseEvent* evenement) {
    // Stop a fill in progress: its loop ends at the next row.
    SaisieEnCours = true;
    EnregPositFenetre(ClePositionFenetre, this, true, true);
    if (Carte) WriteRegData();
    // The preferences are saved here, where a failure can still be shown; the window saves
    // them again when it is destroyed.
    if (FrmPrefCarte) {
        try {
            FrmPrefCarte->SauvePreferences();
        } catch (const std::exception& e) {
            AfficheMessage(QString::fromUtf8(e.what()));
        }
    }
    evenement->accept();
}

void TFormIhm2::btQuitClick() {
    close();
}

} // namespace orlavine
