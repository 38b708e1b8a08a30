// The communes page of the main window: typed search, result lists and sorting, the chosen
// towns with their radius and neighbours, the embedded map of France and the text export.
#include "atlas/affichage.h"
#include "atlas/erreurs.h"
#include "atlas/recherche.h"
#include "atlas/saisie.h"
#include "host/courriel.h"
#include "mapview/ansi_qt.h"
#include "mapview/frm_france.h"
#include "mapview/frm_pref_carte.h"
#include "mapview/icones.h"
#include "search/disposition.h"
#include "search/export_texte.h"
#include "search/fom_patienter.h"
#include "search/form_ihm2.h"
#include "search/libelle_elide.h"
#include "search/parametres.h"
#include "search/phrases.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace orlavine {

namespace {

// Qt key -> Windows virtual-key code of the six navigation keys (0 for any other key).
int CodeTouche(int cleQt) {
    switch (cleQt) {
    case Qt::Key_Up:
        return ToucheHaut;
    case Qt::Key_Down:
        return ToucheBas;
    case Qt::Key_PageUp:
        return TouchePageHaut;
    case Qt::Key_PageDown:
        return TouchePageBas;
    case Qt::Key_Home:
        return ToucheDebut;
    case Qt::Key_End:
        return ToucheFin;
    default:
        return 0;
    }
}

QTreeWidget* NouvelleListe(QWidget* parent, const QString& nom, const QStringList& colonnes,
                           const std::vector<int>& largeurs) {
    auto* l = new QTreeWidget(parent);
    l->setObjectName(nom);
    l->setColumnCount(static_cast<int>(colonnes.size()));
    l->setHeaderLabels(colonnes);
    for (std::size_t k = 0; k < largeurs.size(); ++k)
        l->setColumnWidth(static_cast<int>(k), largeurs[k]);
    l->setRootIsDecorated(false);
    l->setUniformRowHeights(true);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setSelectionBehavior(QAbstractItemView::SelectRows);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    l->setSortingEnabled(false);
    l->setAllColumnsShowFocus(true);
    l->header()->setSectionsClickable(true);
    l->header()->setSortIndicatorShown(true);
    // The name takes the room left by the codes and distances.
    l->header()->setStretchLastSection(false);
    l->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    return l;
}

} // namespace

QString CheminExportVoisines() {
    QString dossier = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dossier.isEmpty()) dossier = QDir::tempPath();
    return QDir(dossier).filePath(QStringLiteral("CommunesVoisines.txt"));
}

int TFormIhm2::Tag(const QLabel* label) {
    if (!label) return -1;
    bool ok = false;
    const int v = label->property("Tag").toInt(&ok);
    return ok ? v : -1;
}

void TFormIhm2::FixeTag(QLabel* label, int index) {
    if (label) label->setProperty("Tag", index);
}

QWidget* TFormIhm2::ConstruitPageCommunes() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageMapFrance"));
    auto* disposition = new QHBoxLayout(page);
    disposition->setContentsMargins(2, 2, 2, 2);
    Splitter1 = new QSplitter(Qt::Horizontal, page);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    disposition->addWidget(Splitter1);

    // ---- Left: the choice of a commune, then the map preferences ----
    PanOption = new QWidget(Splitter1);
    PanOption->setObjectName(QStringLiteral("PanOption"));
    PanOption->setMinimumWidth(280);
    auto* gauche = new QVBoxLayout(PanOption);
    gauche->setContentsMargins(0, 0, 0, 0);
    // The choice of a commune over the preferences; the user moves the boundary.
    auto* separateur = new TSeparateurOptions(PanOption);
    SplitterOption = separateur;
    SplitterOption->setObjectName(QStringLiteral("SplitterOption"));
    gauche->addWidget(SplitterOption);

    // Scrolls rather than squeezing its wrapped texts when the window is small.
    auto* defilementChoix = new QScrollArea(SplitterOption);
    defilementChoix->setObjectName(QStringLiteral("DefilementChoix"));
    defilementChoix->setWidgetResizable(true);
    defilementChoix->setFrameShape(QFrame::NoFrame);
    defilementChoix->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* contenuChoix = new TContenuDefilant;
    auto* dansDefilement = new QVBoxLayout(contenuChoix);
    dansDefilement->setContentsMargins(0, 0, 0, 0);
    AdvPanel1 = new QGroupBox(QStringLiteral("Choix d'une commune"), contenuChoix);
    dansDefilement->addWidget(AdvPanel1);
    AdvPanel1->setObjectName(QStringLiteral("AdvPanel1"));
    auto* choix = new QVBoxLayout(AdvPanel1);

    la1 = new QLabel(QStringLiteral("1. Entrez les premières lettres de la commune ou le numéro du "
                                    "département :"),
                     AdvPanel1);
    la1->setWordWrap(true);
    choix->addWidget(la1);

    PanelSaisieCom1 = new QWidget(AdvPanel1);
    PanelSaisieCom1->setObjectName(QStringLiteral("PanelSaisieCom1"));
    auto* saisie1 = new QHBoxLayout(PanelSaisieCom1);
    saisie1->setContentsMargins(0, 0, 0, 0);
    zeVille1 = new QLineEdit(PanelSaisieCom1);
    zeVille1->setObjectName(QStringLiteral("zeVille1"));
    zeVille1->setClearButtonEnabled(true);
    auto* villeSel1 = new TLibelleElide(QStringLiteral("--"), PanelSaisieCom1);
    villeSel1->LargeurPreferee = 200; // a long name is cut, not the edit
    zaVilleSel1 = villeSel1;
    zaVilleSel1->setObjectName(QStringLiteral("zaVilleSel1"));
    FixeTag(zaVilleSel1, -1);
    saisie1->addWidget(zeVille1, 1);
    saisie1->addWidget(zaVilleSel1);
    choix->addWidget(PanelSaisieCom1);

    sbChoix2Villes = new QPushButton(QStringLiteral("Choisir une deuxième ville ..."), AdvPanel1);
    sbChoix2Villes->setObjectName(QStringLiteral("sbChoix2Villes"));
    sbChoix2Villes->setCheckable(true);
    sbChoix2Villes->setFlat(true);
    choix->addWidget(sbChoix2Villes, 0, Qt::AlignLeft);

    PanelSaisieCom2 = new QWidget(AdvPanel1);
    PanelSaisieCom2->setObjectName(QStringLiteral("PanelSaisieCom2"));
    auto* saisie2 = new QGridLayout(PanelSaisieCom2);
    saisie2->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel(
        QStringLiteral("Entrez les premières lettres de la commune ou le numéro du département :"),
        PanelSaisieCom2);
    Label1->setWordWrap(true);
    zeVille2 = new QLineEdit(PanelSaisieCom2);
    zeVille2->setObjectName(QStringLiteral("zeVille2"));
    zeVille2->setClearButtonEnabled(true);
    auto* villeSel2 = new TLibelleElide(QStringLiteral("--"), PanelSaisieCom2);
    villeSel2->LargeurPreferee = 200; // a long name is cut, not the edit
    zaVilleSel2 = villeSel2;
    zaVilleSel2->setObjectName(QStringLiteral("zaVilleSel2"));
    FixeTag(zaVilleSel2, -1);
    saisie2->addWidget(Label1, 0, 0, 1, 2);
    saisie2->addWidget(zeVille2, 1, 0);
    saisie2->addWidget(zaVilleSel2, 1, 1);
    saisie2->setColumnStretch(0, 1);
    PanelSaisieCom2->hide();
    choix->addWidget(PanelSaisieCom2);

    la2 = new QLabel(QStringLiteral("2. Choisissez la ville de votre choix dans la liste "
                                    "ci-dessous :"),
                     AdvPanel1);
    la2->setWordWrap(true);
    choix->addWidget(la2);
    lvCom = NouvelleListe(AdvPanel1, QStringLiteral("lvCom"),
                          {QStringLiteral("Code INSEE"), QStringLiteral("Libellé")}, {90, 220});
    lvCom->setMinimumHeight(110); // a few rows at least; the panel scrolls beyond
    choix->addWidget(lvCom, 1);

    la3 = new QLabel(QStringLiteral("3. Choisissez une distance de recherche :"), AdvPanel1);
    choix->addWidget(la3);
    auto* rayon = new QHBoxLayout;
    tbRayon = new QSlider(Qt::Horizontal, AdvPanel1);
    tbRayon->setObjectName(QStringLiteral("tbRayon"));
    tbRayon->setRange(0, 12);
    tbRayon->setPageStep(1);
    tbRayon->setSingleStep(1);
    tbRayon->setValue(9);
    tbRayon->setTickPosition(QSlider::TicksBelow);
    tbRayon->setTickInterval(1);
    laRayon = new QLabel(VersQString(TexteRayon(9)), AdvPanel1);
    laRayon->setObjectName(QStringLiteral("laRayon"));
    laRayon->setMinimumWidth(100);
    rayon->addWidget(tbRayon, 1);
    rayon->addWidget(laRayon);
    choix->addLayout(rayon);
    defilementChoix->setWidget(contenuChoix);
    SplitterOption->addWidget(defilementChoix);

    PanReference = new QWidget(SplitterOption);
    PanReference->setObjectName(QStringLiteral("PanReference"));
    PanReference->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    auto* reference = new QVBoxLayout(PanReference);
    reference->setContentsMargins(0, 0, 0, 0);
    SplitterOption->addWidget(PanReference);
    separateur->FixePanneaux(defilementChoix, PanReference);

    // ---- Right: the neighbour list and the map ----
    pcMain = new QTabWidget(Splitter1);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    pcMain->setMinimumWidth(440);

    tsVilles = new QWidget;
    tsVilles->setObjectName(QStringLiteral("tsVilles"));
    auto* villes = new QVBoxLayout(tsVilles);
    laInfo = new QLabel(tsVilles);
    laInfo->setObjectName(QStringLiteral("laInfo"));
    laInfo->setWordWrap(true);
    laInfo->setMinimumHeight(40);
    laInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    laInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    villes->addWidget(laInfo);
    auto* listeEtOutils = new QHBoxLayout;
    lvComVois = NouvelleListe(
        tsVilles, QStringLiteral("lvComVois"),
        {QStringLiteral("Code INSEE"), QStringLiteral("Libellé"), QStringLiteral("Distance")},
        {90, 200, 70});
    listeEtOutils->addWidget(lvComVois, 1);
    TBToolbar1 = new QToolBar(tsVilles);
    TBToolbar1->setObjectName(QStringLiteral("TBToolbar1"));
    TBToolbar1->setOrientation(Qt::Vertical);
    TBToolbar1->setFloatable(false);
    TBToolbar1->setMovable(false);
    ActionImpression = TBToolbar1->addAction(
        IconeCarte(9), QStringLiteral("Préparer un document texte pour l'impression"));
    ActionImpression->setObjectName(QStringLiteral("ActionImpression"));
    ActionImpression->setToolTip(QStringLiteral("Prépare un document texte pour l'impression"));
    ActionCopierPressePapier = TBToolbar1->addAction(
        IconeCarte(6), QStringLiteral("Copier le document texte dans le presse-papiers"));
    ActionCopierPressePapier->setObjectName(QStringLiteral("ActionCopierPressePapier"));
    ActionCopierPressePapier->setToolTip(
        QStringLiteral("Copie le document texte dans le presse-papiers"));
    ActionEnvoiMail = TBToolbar1->addAction(
        IconeCarte(7), QStringLiteral("Prépare un courriel avec le graphique"));
    ActionEnvoiMail->setObjectName(QStringLiteral("ActionEnvoiMail"));
    ActionEnvoiMail->setToolTip(QStringLiteral("Prépare un courriel avec le graphique"));
    listeEtOutils->addWidget(TBToolbar1);
    villes->addLayout(listeEtOutils, 1);
    connect(ActionImpression, &QAction::triggered, this, &TFormIhm2::ActionImpressionExecute);
    connect(ActionCopierPressePapier, &QAction::triggered, this,
            &TFormIhm2::ActionCopierPressePapierExecute);
    connect(ActionEnvoiMail, &QAction::triggered, this, &TFormIhm2::ActionEnvoyerMailExecute);

    tsCarteGeo = new QWidget;
    tsCarteGeo->setObjectName(QStringLiteral("tsCarteGeo"));
    auto* carte = new QHBoxLayout(tsCarteGeo);
    carte->setContentsMargins(2, 2, 2, 2);
    auto* carteEtStatut = new QVBoxLayout;
    PanelCarteGeo = new QWidget(tsCarteGeo);
    PanelCarteGeo->setObjectName(QStringLiteral("PanelCarteGeo"));
    auto* panneauCarte = new QVBoxLayout(PanelCarteGeo);
    panneauCarte->setContentsMargins(0, 0, 0, 0);
    carteEtStatut->addWidget(PanelCarteGeo, 1);
    auto* statut = new QHBoxLayout;
    zaCVabsente = new QLabel(QStringLiteral("Aff. réduit"), tsCarteGeo);
    zaCVabsente->setObjectName(QStringLiteral("zaCVabsente"));
    zaCVabsente->setToolTip(QStringLiteral("Toutes les communes voisines ne sont pas affichées ! "
                                           "Vous devez continuer à zoomer ..."));
    zaCVabsente->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    zaCVabsente->hide();
    // The hovered town's text: cut to the room there is, never widening the window.
    LabelStatusCarteGeo = new TLibelleElide(QStringLiteral("..."), tsCarteGeo);
    LabelStatusCarteGeo->setObjectName(QStringLiteral("LabelStatusCarteGeo"));
    statut->addWidget(zaCVabsente);
    statut->addWidget(LabelStatusCarteGeo, 1);
    carteEtStatut->addLayout(statut);
    carte->addLayout(carteEtStatut, 1);
    TBXDockRight = new QWidget(tsCarteGeo);
    TBXDockRight->setObjectName(QStringLiteral("TBXDockRight"));
    auto* dock = new QVBoxLayout(TBXDockRight);
    dock->setContentsMargins(0, 0, 0, 0);
    carte->addWidget(TBXDockRight);

    pcMain->addTab(tsVilles, QStringLiteral("Liste des villes"));
    pcMain->addTab(tsCarteGeo, QStringLiteral("Carte géographique"));

    Splitter1->addWidget(PanOption);
    Splitter1->addWidget(pcMain);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({430, 590});

    // ---- Events ----
    connect(zeVille1, &QLineEdit::textChanged, this, &TFormIhm2::zeVilleChange);
    connect(zeVille2, &QLineEdit::textChanged, this, &TFormIhm2::zeVilleChange);
    zeVille1->installEventFilter(this);
    zeVille2->installEventFilter(this);
    connect(sbChoix2Villes, &QPushButton::clicked, this, &TFormIhm2::sbChoix2VillesClick);
    connect(lvCom, &QTreeWidget::itemSelectionChanged, this, &TFormIhm2::lvComSelectItem);
    connect(lvCom, &QTreeWidget::itemSelectionChanged, this, &TFormIhm2::MajActionsExport);
    connect(lvCom->header(), &QHeaderView::sectionClicked, this, &TFormIhm2::lvComColumnClick);
    connect(lvComVois, &QTreeWidget::itemSelectionChanged, this, &TFormIhm2::lvComVoisSelectItem);
    connect(lvComVois, &QTreeWidget::itemDoubleClicked, this, &TFormIhm2::lvComVoisDblClick);
    connect(lvComVois->header(), &QHeaderView::sectionClicked, this,
            &TFormIhm2::lvComVoisColumnClick);
    connect(tbRayon, &QSlider::valueChanged, this, &TFormIhm2::tbRayonChange);

    MajIndicateurTri(0);
    lvComVois->header()->setSortIndicatorShown(false);
    MajActionsExport();
    return page;
}

// ---------------------------------------------------------------------------------------
// Search input
// ---------------------------------------------------------------------------------------

void TFormIhm2::FixeTexteEdit(QLineEdit* edit, const AnsiString& texte) {
    edit->setText(VersQString(texte));
}

void TFormIhm2::zeVilleChange() {
    tiSaisie->stop();
    tiSaisie->start();
}

void TFormIhm2::zeVille1Enter() {
    EditActif = zeVille1;
    LabelActif = zaVilleSel1;
    tiSaisieTimer();
}

void TFormIhm2::zeVille2Enter() {
    EditActif = zeVille2;
    LabelActif = zaVilleSel2;
    tiSaisieTimer();
}

void TFormIhm2::zeVille1Exit() {
    tiSaisieTimer();
}

void TFormIhm2::zeVille2Exit() {
    tiSaisieTimer();
}

bool TFormIhm2::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == zeVille1 || objet == zeVille2) {
        switch (evenement->type()) {
        case QEvent::KeyPress: {
            auto* e = static_cast<QKeyEvent*>(evenement);
            if (zeVilleKeyDown(objet, e->key(), e->modifiers())) return true;
            break;
        }
        case QEvent::FocusIn:
            if (objet == zeVille1)
                zeVille1Enter();
            else
                zeVille2Enter();
            break;
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(evenement)->reason() != Qt::PopupFocusReason) {
                if (objet == zeVille1)
                    zeVille1Exit();
                else
                    zeVille2Exit();
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(objet, evenement);
}

bool TFormIhm2::zeVilleKeyDown(QObject* sender, int touche, Qt::KeyboardModifiers shift) {
    SaisieEnCours = true;
    if (lvCom->selectedItems().isEmpty()) return false;
    int code = CodeTouche(touche);
    if (code == 0) return false;
    GestionClavier(sender, code, shift);
    return code == 0;
}

void TFormIhm2::GestionClavier(QObject* /*sender*/, int& touche, Qt::KeyboardModifiers /*shift*/) {
    const int n = lvCom->topLevelItemCount();
    const auto choisis = lvCom->selectedItems();
    const int i = choisis.isEmpty() ? 0 : lvCom->indexOfTopLevelItem(choisis.first());
    const auto navigation = Navigation(touche, i, n);
    if (!navigation) return;
    if (navigation->Consommee) touche = 0;
    QTreeWidgetItem* entree = lvCom->topLevelItem(navigation->Index);
    lvCom->setCurrentItem(entree);
    entree->setSelected(true);
    lvCom->scrollToItem(entree);
    AffichageCommunes();
}

void TFormIhm2::tiSaisieTimer() {
    SaisieEnCours = true;
    tiSaisie->stop();
    if (!EditActif) return;
    const AnsiString brut = VersAnsi(EditActif->text());
    AnsiString texte = brut;
    const int mode = AnalyserSaisie(texte);
    if (mode == SaisieVide) {
        ViderListeCommunes();
        lvComVois->clear();
        // The lists are empty now: typing the previous text again must search it again.
        DerniereRecherche.clear();
        return;
    }
    if (EditActif == zeVille1)
        SaisieVille1 = brut;
    else
        SaisieVille2 = brut;
    Recherche(texte, mode);
}

void TFormIhm2::ViderListeCommunes() {
    // The results go with the rows: a later column click must not bring back the rows
    // of an earlier search.
    ++generationRemplissage_;
    ResultatsRecherche.clear();
    lvCom->clearSelection();
    lvCom->clear();
}

void TFormIhm2::Recherche(AnsiString texte, int mode) {
    if (texte == DerniereRecherche) return;
    DerniereRecherche = texte;
    ViderListeCommunes();
    lvComVois->clear();
    texte = OteCharFin(texte, '*');
    if (texte.empty() || texte == "*") return;
    if (!Carte) return;
    ResultatsRecherche = RechercheTolerante(*Carte, texte, mode).Communes;
    Trier();
    Carte->CommuneActuelleEnTete(ResultatsRecherche, texte, mode);
    Afficher();
}

void TFormIhm2::SelectionModeRecherche(bool uneVille) {
    sbChoix2Villes->setText(uneVille ? QStringLiteral("Choisir une deuxième ville ...")
                                     : QStringLiteral("Supprimer la 2e ville…"));
    ModeUneVille = uneVille;
    PanelSaisieCom1->setVisible(true);
    PanelSaisieCom2->setVisible(!uneVille);
    if (!uneVille) pcMain->setCurrentWidget(tsCarteGeo);
    pcMain->setTabVisible(pcMain->indexOf(tsVilles), uneVille);
    // A town chosen before the switch is named as a selection of the new mode would be.
    for (QLabel* label : {zaVilleSel1, zaVilleSel2}) {
        const int i = Tag(label);
        if (Carte && i >= 0 && static_cast<std::size_t>(i) < Carte->Communes.size())
            label->setText(uneVille ? QString() : VersQString(Carte->NomCompletIndex(i)));
    }
}

void TFormIhm2::sbChoix2VillesClick() {
    const bool deuxVilles = sbChoix2Villes->isChecked();
    SelectionModeRecherche(!deuxVilles);
    if (deuxVilles) {
        zeVille2->setFocus();
        zeVille2Enter();
    } else {
        zeVille1->setFocus();
        zeVille1Enter();
    }
    // The map follows the mode at once, not only at the next selection.
    if (Tag(zaVilleSel1) != -1) AffichageCommunes();
}

// ---------------------------------------------------------------------------------------
// Lists and sorting
// ---------------------------------------------------------------------------------------

void TFormIhm2::Trier() {
    if (!Carte) return;
    orlavine::Trier(ResultatsRecherche, Carte->Communes, TEtatTri{ColonneTri[0], SensTri[0]});
}

void TFormIhm2::Afficher() {
    SaisieEnCours = false;
    const std::uint64_t generation = ++generationRemplissage_;
    QPointer<TFormIhm2> moi(this);
    bool interrompu = false;
    QElapsedTimer depuisMessages;
    depuisMessages.start();
    for (std::size_t k = 0; k < ResultatsRecherche.size(); ++k) {
        const int index = ResultatsRecherche[k];
        if (Carte && static_cast<std::size_t>(index) < Carte->Communes.size()) {
            const TCommune& com = Carte->Communes[static_cast<std::size_t>(index)];
            auto* entree = new QTreeWidgetItem(
                {VersQString(com.CodeInsee), VersQString(TCarteFrance::NomComplet(com))});
            lvCom->addTopLevelItem(entree);
        }
        // Typing goes on during a long fill: the pending events are processed after the
        // first row, then as soon as a few milliseconds have gone by.
        if (k == 0 || depuisMessages.elapsed() >= 8) {
            QCoreApplication::processEvents();
            depuisMessages.restart();
            if (!moi) return;
            if (k == 0 && generation == generationRemplissage_) emit PremiereLigneAffichee();
        }
        if (generation != generationRemplissage_) return; // a newer fill took over
        if (SaisieEnCours) {
            interrompu = true;
            break;
        }
    }
    if (interrompu) {
        // The partial list must not pass for the answer to this text: the next timed
        // search of the same text rebuilds it.
        DerniereRecherche.clear();
    }
    if (lvCom->topLevelItemCount() > 0) {
        QTreeWidgetItem* premier = lvCom->topLevelItem(0);
        lvCom->setCurrentItem(premier);
        premier->setSelected(true);
    }
    emit ListeAffichee();
}

void TFormIhm2::ActualiserTri(int liste, int colonne) {
    TEtatTri etat{ColonneTri[liste], SensTri[liste]};
    orlavine::ActualiserTri(etat, colonne);
    ColonneTri[liste] = etat.Colonne;
    SensTri[liste] = etat.Sens;
    MajIndicateurTri(liste);
}

void TFormIhm2::MajIndicateurTri(int liste) {
    QTreeWidget* l = liste == 0 ? lvCom : lvComVois;
    l->header()->setSortIndicatorShown(true);
    // Result list: direction 0 ascending; neighbour list: direction 0 descending.
    const bool ascendant = liste == 0 ? SensTri[0] == 0 : SensTri[1] == 1;
    l->header()->setSortIndicator(ColonneTri[liste],
                                  ascendant ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TFormIhm2::lvComColumnClick(int colonne) {
    ActualiserTri(0, colonne);
    Trier();
    ++generationRemplissage_;
    lvCom->clear();
    Afficher();
}

std::vector<TLigneVoisine> TFormIhm2::LignesVoisines() const {
    std::vector<TLigneVoisine> lignes;
    for (int k = 0; k < lvComVois->topLevelItemCount(); ++k) {
        const QTreeWidgetItem* e = lvComVois->topLevelItem(k);
        lignes.push_back({VersAnsi(e->text(0)), VersAnsi(e->text(1)), VersAnsi(e->text(2))});
    }
    return lignes;
}

void TFormIhm2::lvComVoisColumnClick(int colonne) {
    ActualiserTri(1, colonne);
    const TEtatTri etat{ColonneTri[1], SensTri[1]};
    std::vector<QTreeWidgetItem*> entrees;
    QTreeWidgetItem* courante = lvComVois->currentItem();
    const QSignalBlocker bloque(lvComVois);
    while (lvComVois->topLevelItemCount() > 0)
        entrees.push_back(lvComVois->takeTopLevelItem(0));
    auto ligne = [](const QTreeWidgetItem* e) {
        return TLigneVoisine{VersAnsi(e->text(0)), VersAnsi(e->text(1)), VersAnsi(e->text(2))};
    };
    std::stable_sort(entrees.begin(), entrees.end(),
                     [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
                         return ComparerVoisines(ligne(a), ligne(b), etat) < 0;
                     });
    for (QTreeWidgetItem* e : entrees)
        lvComVois->addTopLevelItem(e);
    if (courante) {
        lvComVois->setCurrentItem(courante);
        courante->setSelected(true);
    }
}

const TCommune* TFormIhm2::GetCom(const TCommune*& com) const {
    com = nullptr;
    const int i = Tag(LabelActif);
    if (Carte && i >= 0 && static_cast<std::size_t>(i) < Carte->Communes.size())
        com = &Carte->Communes[static_cast<std::size_t>(i)];
    return com;
}

// ---------------------------------------------------------------------------------------
// Selection, radius and neighbours
// ---------------------------------------------------------------------------------------

void TFormIhm2::FixeInfo(const AnsiString& texte) {
    laInfo->setText(VersQString(texte));
}

AnsiString TFormIhm2::TexteInfo() const {
    return VersAnsi(laInfo->text());
}

bool TFormIhm2::ExportPossible() const {
    // The heading of the export names the first town, and its rows are that town's
    // neighbours: a search that found nothing leaves nothing to export.
    return Carte && Tag(zaVilleSel1) != -1 && !lvCom->selectedItems().isEmpty();
}

void TFormIhm2::MajActionsExport() {
    const bool actif = ExportPossible();
    ActionImpression->setEnabled(actif);
    ActionCopierPressePapier->setEnabled(actif);
    ActionEnvoiMail->setEnabled(actif);
}

void TFormIhm2::lvComSelectItem() {
    const auto choisis = lvCom->selectedItems();
    if (!choisis.isEmpty() && Carte && LabelActif) {
        const int position = lvCom->indexOfTopLevelItem(choisis.first());
        if (position < 0 || static_cast<std::size_t>(position) >= ResultatsRecherche.size()) return;
        const int i = ResultatsRecherche[static_cast<std::size_t>(position)];
        FixeTag(LabelActif, i);
        LabelActif->setText(ModeUneVille ? QString() : VersQString(Carte->NomCompletIndex(i)));
        MajActionsExport();
        AffichageCommunes();
    } else {
        lvComVois->clear();
        FixeInfo({});
    }
}

void TFormIhm2::tbRayonChange(int position) {
    laRayon->setText(VersQString(TexteRayon(position)));
    if (!lvCom->selectedItems().isEmpty()) AffichageCommunes();
}

void TFormIhm2::AffichageCommunes() {
    if (!Carte) return;
    TVillesChoisies villes;
    villes.Ville1 = Tag(zaVilleSel1);
    villes.Ville2 = Tag(zaVilleSel2);
    villes.UneVille = ModeUneVille;
    villes.Ville2Active = LabelActif == zaVilleSel2;
    villes.RayonKm = tbRayon->value();
    ComposeCommunesAffichees(*Carte, villes);
    // In one-town mode the neighbours just looked up are those of the first town.
    if (ModeUneVille && villes.Ville1 >= 0 &&
        static_cast<std::size_t>(villes.Ville1) < Carte->Communes.size())
        RempliListViewCommuneVoisines();
    if (FrmFrance) FrmFrance->MajCommunesAffichees();
    MajFlagZaCVabsente();
    if (FrmFrance) {
        if (ModeUneVille)
            FrmFrance->CentragePtEcran(Carte->PositionCommuneAffichee(Carte->IndexCommuneCentree));
        FrmFrance->viewport()->update();
        FrmFrance->DemarreAnimation();
    }
}

void TFormIhm2::RempliListViewCommuneVoisines() {
    ActualiserInfosCommuneSel();
    lvComVois->clear();
    QList<QTreeWidgetItem*> entrees;
    for (std::size_t i = 0; i < Carte->CommunesVoisines.size(); ++i) {
        TLigneVoisine ligne;
        Carte->RemplitLigneVoisine(static_cast<int>(i), ligne);
        entrees.append(new QTreeWidgetItem(
            {VersQString(ligne.Code), VersQString(ligne.Nom), VersQString(ligne.Distance)}));
    }
    lvComVois->addTopLevelItems(entrees);
    // A refill shows the atlas's order, not the last sort.
    lvComVois->header()->setSortIndicatorShown(false);
}

void TFormIhm2::ActualiserInfosCommuneSel() {
    const TCommune* com = nullptr;
    if (!GetCom(com)) return;
    FixeInfo(PhraseCommuneSel(*Carte, Tag(LabelActif), tbRayon->value()));
}

void TFormIhm2::ActualiserInfosComVois() {
    const auto choisis = lvComVois->selectedItems();
    const TCommune* com = nullptr;
    if (choisis.isEmpty() || !GetCom(com)) return;
    const QTreeWidgetItem* e = choisis.first();
    FixeInfo(
        PhraseComVois(VersAnsi(e->text(1)), VersAnsi(e->text(2)), TCarteFrance::NomComplet(*com)));
}

void TFormIhm2::lvComVoisSelectItem() {
    if (!lvComVois->selectedItems().isEmpty() && lvComVois->currentItem())
        ActualiserInfosComVois();
    else if (!lvCom->selectedItems().isEmpty() && lvCom->currentItem())
        ActualiserInfosCommuneSel();
}

void TFormIhm2::lvComVoisDblClick() {
    const auto choisis = lvComVois->selectedItems();
    if (choisis.isEmpty()) return;
    const QTreeWidgetItem* e = choisis.first();
    // The double click always replaces the first town: its edit becomes the active one so
    // that the timed search serves it.
    EditActif = zeVille1;
    LabelActif = zaVilleSel1;
    zeVille1->setText(e->text(0) + QLatin1Char(' ') + e->text(1));
}

void TFormIhm2::MajFlagZaCVabsente() {
    if (Carte) zaCVabsente->setVisible(!Carte->ToutesCommunesPlacees());
}

void TFormIhm2::OnZaCVabsente(QObject* /*sender*/) {
    MajFlagZaCVabsente();
}

void TFormIhm2::OnAffichageCommunes(QObject* /*sender*/) {
    AffichageCommunes();
}

void TFormIhm2::OnLabelCarteGeo(const QString& texte) {
    LabelStatusCarteGeo->setText(texte);
}

// ---------------------------------------------------------------------------------------
// Export
// ---------------------------------------------------------------------------------------

AnsiString TFormIhm2::TexteExport(bool compact) const {
    return ProduitTexteExport(TexteInfo(), *Carte, Tag(zaVilleSel1), LignesVoisines(), compact);
}

void TFormIhm2::ActionImpressionExecute() {
    if (!ExportPossible()) return;
    const QString chemin = CheminExportVoisines();
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile::remove(chemin);
    try {
        TEHGFile fichier(chemin.toStdString(), fmCreer);
        fichier.WriteString(TexteExport(false));
        fichier.Close();
    } catch (const std::exception&) {
        AfficheMessage(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(chemin));
        return;
    }
    if (!OuvreDocument(chemin))
        AfficheMessage(QStringLiteral("Aucun logiciel n'a pu ouvrir le document texte : il est "
                                      "enregistré dans « %1 ».")
                           .arg(QDir::toNativeSeparators(chemin)));
}

void TFormIhm2::ActionCopierPressePapierExecute() {
    if (!ExportPossible()) return;
    QGuiApplication::clipboard()->setText(VersQString(TexteExport(false)));
}

void TFormIhm2::ActionEnvoyerMailExecute() {
    if (!ExportPossible()) return;
    EnvoieCourriel("", "Villes voisines", TexteExport(true), "");
}

} // namespace orlavine
