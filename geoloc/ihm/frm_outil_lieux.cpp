#include "geoloc/ihm/frm_outil_lieux.h"

#include "atlas/carte_france.h"
#include "genealogie/journal_geo.h"
#include "geoloc/carte_arbre.h"
#include "geoloc/export_lieux.h"
#include "geoloc/page_monde.h"
#include "mapview/ansi_qt.h"
#include "mapview/web_osmaps.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace orlavine {

namespace {

const QString MarqueIndex = QStringLiteral("<idPlace= ");
const QString FinIndex = QStringLiteral(",/><br>&nbsp;");

QString U(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

// ---- Rows ---------------------------------------------------------------------------------

QString TDelegueLigneHtml::TexteAffiche(const QString& balisage, QColor* fond) {
    QString texte = balisage;
    static const QRegularExpression corps(QStringLiteral("<body bgcolor=\"(#[0-9A-Fa-f]{6})\">"));
    const auto m = corps.match(texte);
    if (m.hasMatch() && fond) *fond = QColor(m.captured(1));
    texte.remove(corps);
    static const QRegularExpression police(QStringLiteral("<font color = \"[^\"]*\">"));
    texte.remove(police);
    // The index marker is for the program only.
    static const QRegularExpression marque(QStringLiteral("<idPlace= [^>]*>"));
    texte.remove(marque);
    return texte;
}

void TDelegueLigneHtml::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QColor fond = Qt::white;
    const QString texte = TexteAffiche(index.data(RoleBalisage).toString(), &fond);
    painter->save();
    const bool choisie = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, choisie ? option.palette.highlight().color() : fond);
    QTextDocument doc;
    doc.setDefaultFont(option.font);
    doc.setHtml(texte);
    doc.setTextWidth(option.rect.width() - 8);
    painter->translate(option.rect.topLeft() + QPoint(4, 4));
    QAbstractTextDocumentLayout::PaintContext contexte;
    contexte.palette.setColor(QPalette::Text, choisie ? option.palette.highlightedText().color()
                                                      : QColor(Qt::black));
    doc.documentLayout()->draw(painter, contexte);
    painter->restore();
}

bool TDelegueLigneHtml::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event && event->type() == QEvent::ToolTip && Bulle && index.isValid()) {
        QToolTip::showText(event->globalPos(), Bulle(index.row()), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

QSize TDelegueLigneHtml::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), 60);
}

// ---- Window -------------------------------------------------------------------------------

TFormToolLocation::TFormToolLocation(TGestFichier& gestion, const geoloc::IServicesLieux& services,
                                     geoloc::IRechercheAdresse* recherche,
                                     const TParametresOutilLieux& params, QWidget* parent)
    : QWidget(parent), gestion_(gestion), services_(services), recherche_(recherche),
      atlas_(params.Atlas) {
    setWindowTitle(QStringLiteral("Outil de géolocalisation des lieux"));
    // Fits a 1024 x 600 screen; the saved or asked size may be larger.
    resize(1000, 560);
    QFont police(QStringLiteral("Segoe UI"));
    setFont(police);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(0, 0, 0, 0);
    principal->addWidget(splitter);

    PanelLeftList = new QWidget(splitter);
    auto* gauche = new QVBoxLayout(PanelLeftList);
    Label3 = new QLabel(QStringLiteral("État de localisation de vos lieux"), PanelLeftList);
    QFont gras = Label3->font();
    gras.setBold(true);
    Label3->setFont(gras);
    RBNotLocate = new QRadioButton(QStringLiteral("Non localisés"), PanelLeftList);
    RBLocate = new QRadioButton(QStringLiteral("Localisés"), PanelLeftList);
    RBPlaceCheck = new QRadioButton(QStringLiteral("Validés"), PanelLeftList);
    RBAVerifier = new QRadioButton(QStringLiteral("À vérifier"), PanelLeftList);
    RBAVerifier->setVisible(recherche_ && recherche_->Resolveur());
    ListDisplayPlaces = new QListWidget(PanelLeftList);
    auto* delegue = new TDelegueLigneHtml(ListDisplayPlaces);
    delegue->Bulle = [this](int ligne) { return BulleLigne(ligne); };
    ListDisplayPlaces->setItemDelegate(delegue);
    ListDisplayPlaces->setUniformItemSizes(true);
    BtReInit = new QPushButton(QStringLiteral("Tout re-géolocaliser"), PanelLeftList);
    BtDeleteAll =
        new QPushButton(QStringLiteral("Supprimer toutes les localisations"), PanelLeftList);
    BtAnnuler =
        new QPushButton(QStringLiteral("Annuler la dernière géolocalisation"), PanelLeftList);
    BtExporter = new QPushButton(QStringLiteral("Exporter les lieux…"), PanelLeftList);
    BtExporter->setToolTip(QStringLiteral("Écrit les lieux localisés et validés dans un fichier "
                                          "KML (Google Earth) ou GeoJSON (uMap, QGIS)."));
    CBRemplacerPositions = new QCheckBox(
        QStringLiteral("Remplacer aussi les positions du fichier\net celles placées à la main"),
        PanelLeftList);
    CBRemplacerPositions->setToolTip(
        QStringLiteral("Sans cette case, « Tout re-géolocaliser » garde les positions lues dans "
                       "le fichier GEDCOM, celles placées à la main et celles des lieux-dits."));
    for (QWidget* w : std::initializer_list<QWidget*>{
             Label3, RBNotLocate, RBLocate, RBPlaceCheck, RBAVerifier, ListDisplayPlaces, BtReInit,
             CBRemplacerPositions, BtDeleteAll, BtAnnuler, BtExporter})
        gauche->addWidget(w);
    gauche->setStretch(5, 1);
    LabelLectureSeule = new QLabel(PanelLeftList);
    LabelLectureSeule->setWordWrap(true);
    LabelLectureSeule->setStyleSheet(QStringLiteral("color: #B5471B;"));
    LabelLectureSeule->hide();
    gauche->addWidget(LabelLectureSeule);

    PanelClientMain = new QWidget(splitter);
    auto* droite = new QVBoxLayout(PanelClientMain);
    WebOSMaps = new TWebOSMaps(PanelClientMain);
    WebOSMaps->FixeFichierMonde(params.FichierMonde);
    WebOSMaps->FixeAtlas(params.Atlas);
    WebOSMaps->FixeGeocodage(params.Geocodage);
    WebOSMaps->FixeVilles(params.Villes);
    droite->addWidget(WebOSMaps, 1);
    AdvPanel = new QLabel(QStringLiteral("<font color=\"#E37A3E\">L'adresse sélectionnée a été "
                                         "validée</font>"),
                          WebOSMaps);
    AdvPanel->setStyleSheet(QStringLiteral("background: white; padding: 6px;"));
    AdvPanel->hide();
    WebOSMaps->installEventFilter(this);
    CBLieuDit = new QCheckBox(
        QStringLiteral("Ignorer le lieu-dit dans la localisation automatique"), PanelClientMain);
    droite->addWidget(CBLieuDit);
    // Two rows of actions, so that the window fits a small screen with « Fermer » in sight.
    auto* actions = new QGridLayout;
    BtLocateAuto = new QPushButton(QStringLiteral("Géolocaliser ce lieu"), PanelClientMain);
    BtLocate = new QPushButton(QStringLiteral("Choisir la localisation définie sur la carte"),
                               PanelClientMain);
    BtCheckPlace =
        new QPushButton(QStringLiteral("Marquer cette adresse comme \"Validée\""), PanelClientMain);
    BtDeleteCurrent =
        new QPushButton(QStringLiteral("Supprimer la localisation de ce lieu"), PanelClientMain);
    BtPrendreAttendue =
        new QPushButton(QStringLiteral("Prendre la position attendue"), PanelClientMain);
    btQuit = new QPushButton(QStringLiteral("Fermer"), PanelClientMain);
    actions->addWidget(BtLocateAuto, 0, 0);
    actions->addWidget(BtLocate, 0, 1);
    actions->addWidget(BtCheckPlace, 1, 0);
    actions->addWidget(BtDeleteCurrent, 1, 1);
    actions->setColumnStretch(2, 1);
    actions->addWidget(BtPrendreAttendue, 0, 3);
    actions->addWidget(btQuit, 1, 3);
    droite->addLayout(actions);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({300, 700});

    PanelWait = new QFrame(this);
    PanelWait->setFrameShape(QFrame::Box);
    PanelWait->setAutoFillBackground(true);
    PanelWait->resize(345, 157);
    auto* attente = new QVBoxLayout(PanelWait);
    Label2 = new QLabel(PanelWait);
    Label2->setWordWrap(true);
    ProgressBar = new QProgressBar(PanelWait);
    BtCancel = new QPushButton(QStringLiteral("Arrêter le traitement"), PanelWait);
    attente->addWidget(Label2);
    attente->addWidget(ProgressBar);
    attente->addWidget(BtCancel);
    PanelWait->hide();

    TimerInit = new QTimer(this);
    TimerInit->setInterval(600);
    TimerInit->setSingleShot(true);
    TimerAff = new QTimer(this);
    TimerAff->setInterval(3000);
    TimerAff->setSingleShot(true);

    MyMessageDlg = [this](QMessageBox::Icon icone, const QString& texte,
                          QMessageBox::StandardButtons boutons) {
        QMessageBox m(icone, windowTitle(), texte, boutons, this);
        // A question's default answer is the one that changes nothing: Enter never destroys.
        if (boutons.testFlag(QMessageBox::No))
            m.setDefaultButton(QMessageBox::No);
        else if (boutons.testFlag(QMessageBox::Cancel))
            m.setDefaultButton(QMessageBox::Cancel);
        return static_cast<QMessageBox::StandardButton>(m.exec());
    };

    DemandeFichierExport = [this](const QString& propose) {
        QFileDialog dialogue(this, QStringLiteral("Exporter les lieux"), propose);
        dialogue.setAcceptMode(QFileDialog::AcceptSave);
        dialogue.setFileMode(QFileDialog::AnyFile);
        const QStringList filtres = {QStringLiteral("Fichiers KML (*.kml)"),
                                     QStringLiteral("Fichiers GeoJSON (*.geojson *.json)")};
        const QStringList suffixes = {QStringLiteral("kml"), QStringLiteral("geojson")};
        dialogue.setNameFilters(filtres);
        const bool geojson = QFileInfo(propose).suffix().toLower() != QLatin1String("kml");
        dialogue.selectNameFilter(filtres[geojson ? 1 : 0]);
        dialogue.setDefaultSuffix(suffixes[geojson ? 1 : 0]);
        // A name typed without extension takes the chosen type's; a typed one decides.
        connect(&dialogue, &QFileDialog::filterSelected, &dialogue,
                [&dialogue, &filtres, &suffixes](const QString& filtre) {
                    const qsizetype i = filtres.indexOf(filtre);
                    if (i >= 0) dialogue.setDefaultSuffix(suffixes[i]);
                });
        if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty())
            return QString();
        return dialogue.selectedFiles().constFirst();
    };

    connect(TimerInit, &QTimer::timeout, this, Garde([this] {
                TimerInit->stop();
                InitListPlaces();
                ShowAllPlaces(FilterList_);
                if (const auto lieu = std::exchange(aSelectionner_, std::nullopt))
                    SelectionneLieu(lieu->first, lieu->second);
            }));
    connect(TimerAff, &QTimer::timeout, this, [this] { AdvPanel->hide(); });
    connect(BtCancel, &QPushButton::clicked, this, [this] { CancelProcess = true; });
    for (QRadioButton* rb : {RBNotLocate, RBLocate, RBPlaceCheck})
        connect(rb, &QRadioButton::clicked, this, Garde([this] {
                    const TypeFilterDisplayList f = RBLocate->isChecked()       ? FilterLocate
                                                    : RBPlaceCheck->isChecked() ? FilterPlaceCheck
                                                                                : FilterNotLocate;
                    SetFilterList(f);
                    ShowAllPlaces(f);
                }));
    // Whatever moves the selection (mouse, arrow keys, type-ahead, the program) moves the map.
    connect(ListDisplayPlaces->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Garde([this] { ListDisplayPlacesClick(); }));
    connect(ListDisplayPlaces, &QListWidget::itemClicked, this,
            Garde([this] { ListDisplayPlacesClick(); }));
    connect(BtLocateAuto, &QPushButton::clicked, this, Garde([this] { BtLocateAutoClick(); }));
    connect(BtLocate, &QPushButton::clicked, this, Garde([this] { BtLocateClick(); }));
    connect(BtCheckPlace, &QPushButton::clicked, this, Garde([this] { BtCheckPlaceClick(); }));
    connect(BtDeleteCurrent, &QPushButton::clicked, this,
            Garde([this] { BtDeleteCurrentClick(); }));
    connect(BtDeleteAll, &QPushButton::clicked, this, Garde([this] { BtDeleteAllClick(); }));
    connect(BtReInit, &QPushButton::clicked, this, Garde([this] { BtReInitClick(); }));
    connect(BtAnnuler, &QPushButton::clicked, this, Garde([this] { BtAnnulerClick(); }));
    connect(RBAVerifier, &QRadioButton::clicked, this, Garde([this] { AfficheAVerifier(); }));
    connect(BtExporter, &QPushButton::clicked, this, Garde([this] { BtExporterClick(); }));
    connect(BtPrendreAttendue, &QPushButton::clicked, this,
            Garde([this] { BtPrendreAttendueClick(); }));
    connect(btQuit, &QPushButton::clicked, this, &QWidget::close);
    connect(WebOSMaps, &TWebOSMaps::OnMapClick, this,
            [this](QObject*, double lat, double lon, int, int) { WebOSMapsMapClick(lat, lon); });

    WebOSMaps->Launch();
    RBLocate->setChecked(true);
    SetFilterList(FilterLocate);

    // A base on read-only media or a full disk: viewed, never written.
    if (gestion_.Base.LectureSeule()) {
        for (QPushButton* b : {BtReInit, BtDeleteAll, BtAnnuler, BtLocateAuto, BtLocate,
                               BtCheckPlace, BtDeleteCurrent, BtPrendreAttendue})
            b->setEnabled(false);
        const std::string& raison = gestion_.Base.RaisonLectureSeule();
        LabelLectureSeule->setText(
            QStringLiteral("Base ouverte en lecture seule%1 : les lieux peuvent être consultés, "
                           "mais pas localisés ni modifiés.")
                .arg(raison.empty() ? QString()
                                    : QStringLiteral(" (%1)").arg(QString::fromStdString(raison))));
        LabelLectureSeule->show();
    }
}

TFormToolLocation::~TFormToolLocation() = default;

std::function<void()> TFormToolLocation::Garde(std::function<void()> action) {
    return [this, action = std::move(action)] {
        try {
            action();
        } catch (const std::exception& e) {
            // A base that fails under the window (damaged, gone, replaced by another program, a
            // full disk): said, and the window goes on.
            occupe_ = false;
            ShowPanelWait(false);
            MyMessageDlg(QMessageBox::Critical,
                         QStringLiteral("L'opération n'a pas pu aboutir :\n\n") +
                             QString::fromUtf8(e.what()),
                         QMessageBox::Ok);
        }
    };
}

void TFormToolLocation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    CancelProcess = false;
    MapLatitude = MapLongitude = 0;
    if (!chargee_) TimerInit->start();
}

void TFormToolLocation::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PanelWait->move(width() / 2 - PanelWait->width() / 2, height() / 2 - PanelWait->height() / 2);
}

bool TFormToolLocation::eventFilter(QObject* objet, QEvent* event) {
    // The map gets its size from the layout after the window's own resize: the notice follows
    // the map, not the window.
    if (objet == WebOSMaps && event->type() == QEvent::Resize) PlaceAvis();
    return QWidget::eventFilter(objet, event);
}

void TFormToolLocation::PlaceAvis() {
    AdvPanel->adjustSize();
    AdvPanel->move(std::max(0, WebOSMaps->width() - AdvPanel->width() - 10), 10);
}

void TFormToolLocation::ShowPanelWait(bool afficher, const QString& texte) {
    if (afficher) {
        // Over the window: the list, the map and the buttons stay where they are.
        Label2->setText(texte);
        PanelWait->move(width() / 2 - PanelWait->width() / 2,
                        height() / 2 - PanelWait->height() / 2);
        PanelWait->show();
        PanelWait->raise();
        PanelLeftList->setEnabled(false);
        PanelClientMain->setEnabled(false);
        CancelProcess = false;
    } else {
        PanelWait->hide();
        PanelLeftList->setEnabled(true);
        PanelClientMain->setEnabled(true);
    }
}

void TFormToolLocation::InitListPlaces() {
    ShowPanelWait(true, QStringLiteral("Lecture des lieux de la base…"));
    ProgressBar->setMaximum(100);
    TProgressRappel barre([this](int p) { ProgressBar->setValue(p); },
                          [] { QApplication::processEvents(); });
    ListPlaces_ = orlavine::InitListPlaces(gestion_, &CancelProcess, &barre);
    // The base says where each position came from; asked when a tooltip shows.
    provenances_.clear();
    ShowPanelWait(false);
}

bool TFormToolLocation::AddPlaceToShow(const SGeoChps* entree, int index) {
    QString texte = U(gestion_.FicDupli.Charge(entree->IdPlace));
    QString tri = texte;
    if (!texte.isEmpty()) texte += QLatin1Char('.');
    if (!entree->LieuDit.empty()) {
        const QString lieuDit = U(entree->LieuDit).trimmed();
        texte += QStringLiteral("<b> Lieu-dit : </b>") + lieuDit;
        tri += QLatin1Char(' ') + lieuDit;
    }
    if (texte.isEmpty()) return false;
    texte += MarqueIndex + QString::number(index) + FinIndex;
    // Rows are gathered, then sorted and put in the list at once (ShowAllPlaces).
    aAjouter_.push_back({std::move(tri), std::move(texte)});
    return true;
}

QString TFormToolLocation::BulleLigne(int ligne) const {
    const int index = GetItemIndexListPlaces(ligne);
    if (index < 0 || index >= static_cast<int>(ListPlaces_.size())) return {};
    const SGeoChps* e = ListPlaces_[static_cast<std::size_t>(index)].get();
    if (!e || (e->Latitude == 0 && e->Longitude == 0)) return QStringLiteral("Non localisé");
    // The position as the world map page shows it, the French way.
    QString bulle = U(geoloc::TexteLatLong(e->Latitude, e->Longitude, ','));
    // The commune at that position, by its name as written.
    if (const int c =
            atlas_ ? atlas_->CommuneProche(e->Latitude, e->Longitude, RayonCommuneKm) : -1;
        c >= 0)
        bulle += QStringLiteral("\nCommune la plus proche : ") +
                 VersQString(atlas_->NomOfficiel(c)) + QStringLiteral(" (") +
                 VersQString(atlas_->NomDepartement(
                     atlas_->Communes[static_cast<std::size_t>(c)].CodeInsee)) +
                 QLatin1Char(')');
    std::optional<Provenance> origine;
    if (const auto p = provenances_.find({e->IdPlace, e->LieuDit}); p != provenances_.end())
        origine = p->second;
    else if (const auto g = gestion_.Base.Geolocalisation(e->IdPlace, e->LieuDit))
        origine = g->Origine;
    if (origine)
        bulle +=
            QStringLiteral("\nSource : ") + U(std::string(geoloc::NomProvenanceFrancais(*origine)));
    if (RBAVerifier->isChecked() && ligne < static_cast<int>(aVerifier_.size())) {
        const geoloc::TPositionDouteuse& p = aVerifier_[static_cast<std::size_t>(ligne)];
        const QLocale francais(QLocale::French);
        bulle += QStringLiteral("\nAttendu : ") + U(p.Attendu) + QStringLiteral(" (") +
                 francais.toString(p.LatitudeAttendue, 'f', 5) + QStringLiteral(" ; ") +
                 francais.toString(p.LongitudeAttendue, 'f', 5) + QStringLiteral(")\nRaison : ") +
                 U(p.Raison);
    }
    return bulle;
}

void TFormToolLocation::ShowAllPlaces(TypeFilterDisplayList filtre) {
    // After a bulk run the panel keeps saying how the run ended while the list fills.
    const bool panneau = PanelWait->isHidden();
    if (panneau) {
        ShowPanelWait(true, QStringLiteral("Affichage des lieux…"));
        ProgressBar->setMaximum(static_cast<int>(ListPlaces_.size()));
        ProgressBar->setValue(0);
    }
    ListDisplayPlaces->setSortingEnabled(false);
    ListDisplayPlaces->setUpdatesEnabled(false);
    ListDisplayPlaces->clear();
    aAjouter_.clear();
    for (std::size_t i = 0; i < ListPlaces_.size() && !(panneau && CancelProcess); ++i) {
        const SGeoChps* e = ListPlaces_[i].get();
        if (e && ApplyFilter(e, filtre)) AddPlaceToShow(e, static_cast<int>(i));
        // Events now and then: a hundred thousand rounds would cost more than the rows.
        if (i % 1024 == 0) {
            if (panneau) ProgressBar->setValue(static_cast<int>(i + 1));
            QApplication::processEvents();
        }
    }
    if (panneau) ProgressBar->setValue(ProgressBar->maximum());
    // Sorted as the list would sort its texts, then inserted in one step.
    // Taken out first: inserting moves the selection, which moves the map and lets events
    // through, and a fill started from there must not pull these rows from under this one.
    std::vector<LigneAAjouter> lignes = std::move(aAjouter_);
    aAjouter_.clear();
    std::stable_sort(lignes.begin(), lignes.end(),
                     [](const LigneAAjouter& a, const LigneAAjouter& b) { return a.Tri < b.Tri; });
    QStringList textes;
    textes.reserve(static_cast<qsizetype>(lignes.size()));
    for (const LigneAAjouter& l : lignes)
        textes.push_back(l.Tri);
    ListDisplayPlaces->insertItems(0, textes);
    for (std::size_t r = 0; r < lignes.size() && static_cast<int>(r) < ListDisplayPlaces->count();
         ++r)
        ListDisplayPlaces->item(static_cast<int>(r))
            ->setData(TDelegueLigneHtml::RoleBalisage, lignes[r].Balisage);
    ColorListDisplay();
    ListDisplayPlaces->setUpdatesEnabled(true);
    if (panneau) ShowPanelWait(false);
    chargee_ = true;
    emit ListeAffichee();
}

void TFormToolLocation::ColorListDisplay() {
    // By position after sorting: lavender, then white, alternating. A previous prefix goes.
    static const QRegularExpression prefixe(QStringLiteral("^<body bgcolor=\"#[0-9A-Fa-f]{6}\">"));
    for (int r = 0; r < ListDisplayPlaces->count(); ++r) {
        QListWidgetItem* item = ListDisplayPlaces->item(r);
        QString balisage = item->data(TDelegueLigneHtml::RoleBalisage).toString();
        balisage.remove(prefixe);
        item->setData(TDelegueLigneHtml::RoleBalisage,
                      (r % 2 == 0 ? QStringLiteral("<body bgcolor=\"#E6E6FA\">")
                                  : QStringLiteral("<body bgcolor=\"#FFFFFF\">")) +
                          balisage);
    }
}

int TFormToolLocation::GetItemIndexListPlaces(int ligne) const {
    if (ligne < 0 || ligne >= ListDisplayPlaces->count()) return -1;
    QString texte =
        ListDisplayPlaces->item(ligne)->data(TDelegueLigneHtml::RoleBalisage).toString();
    const qsizetype debut = texte.indexOf(MarqueIndex);
    if (debut < 0) return -1;
    texte = texte.mid(debut);
    texte.remove(MarqueIndex);
    texte.remove(FinIndex);
    bool ok = false;
    const int index = texte.toInt(&ok);
    return ok ? index : -1;
}

int TFormToolLocation::GetItemIndexShowList(int index) const {
    for (int r = 0; r < ListDisplayPlaces->count(); ++r)
        if (GetItemIndexListPlaces(r) == index) return r;
    return -1;
}

void TFormToolLocation::SetFilterList(TypeFilterDisplayList filtre) {
    FilterList_ = filtre;
    UpdateButton(filtre);
}

void TFormToolLocation::UpdateButton(TypeFilterDisplayList filtre) {
    BtLocateAuto->setText(QStringLiteral("Géolocaliser ce lieu"));
    BtPrendreAttendue->setVisible(false);
    switch (filtre) {
    case FilterLocate:
        BtReInit->setVisible(true);
        CBRemplacerPositions->setVisible(true);
        BtReInit->setText(QStringLiteral("Tout re-géolocaliser"));
        BtDeleteAll->setVisible(true);
        for (QPushButton* b : {BtLocateAuto, BtLocate, BtCheckPlace, BtDeleteCurrent})
            b->setVisible(true);
        RBLocate->setChecked(true);
        break;
    case FilterNotLocate:
        BtReInit->setVisible(true);
        CBRemplacerPositions->setVisible(false);
        BtReInit->setText(QStringLiteral("Tout géolocaliser"));
        BtDeleteAll->setVisible(false);
        BtLocateAuto->setVisible(true);
        BtLocate->setVisible(true);
        BtCheckPlace->setVisible(false);
        BtDeleteCurrent->setVisible(false);
        RBNotLocate->setChecked(true);
        break;
    case FilterPlaceCheck:
        BtReInit->setVisible(false);
        CBRemplacerPositions->setVisible(false);
        BtDeleteAll->setVisible(true);
        BtLocateAuto->setVisible(false);
        BtLocate->setVisible(false);
        BtCheckPlace->setVisible(false);
        BtDeleteCurrent->setVisible(true);
        RBPlaceCheck->setChecked(true);
        break;
    }
}

SGeoChps* TFormToolLocation::EntreeSelectionnee() {
    const int index = GetItemIndexListPlaces(ListDisplayPlaces->currentRow());
    if (index < 0 || index >= static_cast<int>(ListPlaces_.size())) return nullptr;
    return ListPlaces_[static_cast<std::size_t>(index)].get();
}

QString TFormToolLocation::Description(const SGeoChps& e) const {
    QString d = QStringLiteral("Lieu : ") + U(gestion_.FicDupli.Charge(e.IdPlace));
    if (!e.LieuDit.empty()) d += QStringLiteral(". Lieu-dit : ") + U(e.LieuDit);
    return d;
}

void TFormToolLocation::Enregistre(const SGeoChps& e) {
    if (gestion_.ModuleBDD.IsEltTableGeoExist(&e))
        gestion_.ModuleBDD.UpdateCoordGeo(&e, false);
    else
        gestion_.ModuleBDD.AjouterEltTableGeo(&e, false);
    provenances_[{e.IdPlace, e.LieuDit}] = TModuleBDD::ProvenanceDeEtat(e.Etat);
}

void TFormToolLocation::ListDisplayPlacesClick() {
    const int index = GetItemIndexListPlaces(ListDisplayPlaces->currentRow());
    if (index < 0 || index >= static_cast<int>(ListPlaces_.size())) return;
    MapLatitude = MapLongitude = 0;
    if (const int r = ListDisplayPlaces->currentRow();
        RBAVerifier->isChecked() && r < static_cast<int>(aVerifier_.size())) {
        const geoloc::TPositionDouteuse& p = aVerifier_[static_cast<std::size_t>(r)];
        WebOSMaps->ArcGisMapCenterAt(p.LatitudeAttendue, p.LongitudeAttendue);
        return;
    }
    const SGeoChps* e = ListPlaces_[static_cast<std::size_t>(index)].get();
    if (e && e->Latitude != 0 && e->Longitude != 0)
        WebOSMaps->ArcGisMapCenterAt(e->Latitude, e->Longitude);
    else
        WebOSMaps->EffaceMarqueur(); // no position: the marker of the previous place goes
}

void TFormToolLocation::WebOSMapsMapClick(double latitude, double longitude) {
    MapLatitude = latitude;
    MapLongitude = longitude;
}

bool TFormToolLocation::SelectionneLieu(int idPlace, const std::string& lieuDit) {
    if (!chargee_) {
        aSelectionner_.emplace(idPlace, lieuDit);
        return true;
    }
    const int index = FindPlaceInList(ListPlaces_, idPlace, lieuDit);
    if (index < 0) return false;
    const SGeoChps* e = ListPlaces_[static_cast<std::size_t>(index)].get();
    const TypeFilterDisplayList filtre = ApplyFilter(e, FilterPlaceCheck) ? FilterPlaceCheck
                                         : ApplyFilter(e, FilterLocate)   ? FilterLocate
                                                                          : FilterNotLocate;
    SetFilterList(filtre);
    ShowAllPlaces(filtre);
    const int ligne = GetItemIndexShowList(index);
    ListDisplayPlaces->setCurrentRow(ligne);
    if (ligne >= 0) ListDisplayPlaces->scrollToItem(ListDisplayPlaces->item(ligne));
    return ligne >= 0;
}

void TFormToolLocation::VersLocalises(int index) {
    if (FilterList_ != FilterNotLocate) return;
    SetFilterList(FilterLocate);
    ShowAllPlaces(FilterLocate);
    ListDisplayPlaces->setCurrentRow(GetItemIndexShowList(index));
}

void TFormToolLocation::BtLocateAutoClick() {
    SGeoChps* e = EntreeSelectionnee();
    if (!e || occupe_) return; // one automatic location at a time
    occupe_ = true;
    const int index = GetItemIndexListPlaces(ListDisplayPlaces->currentRow());
    MapLatitude = MapLongitude = 0;
    const SGeoChps avant = *e;
    const geoloc::TResultatLocalisation r =
        geoloc::RelocatePlaceAuto(*e, !CBLieuDit->isChecked(), gestion_, services_, recherche_);
    occupe_ = false;
    if (r.Succes) {
        Enregistre(*e);
        provenances_[{e->IdPlace, e->LieuDit}] = r.Origine;
        WebOSMaps->ArcGisMapCenterAt(e->Latitude, e->Longitude);
        VersLocalises(index);
        return;
    }
    *e = avant;
    if (e->Latitude != 0 && e->Longitude != 0)
        WebOSMaps->ArcGisMapCenterAt(e->Latitude, e->Longitude);
    QString message =
        QStringLiteral("Aucun lieu n'a été trouvé pour « %1 » : le lieu reste non localisé.")
            .arg(U(r.TexteRecherche));
    if (r.Ambigu) {
        message = QStringLiteral("Plusieurs lieux correspondent aussi bien à « %1 » ; aucun n'a "
                                 "été retenu :")
                      .arg(U(r.TexteRecherche));
        for (const auto& c : r.Candidats)
            message += QStringLiteral("\n - ") + U(c.Libelle);
    }
    MyMessageDlg(QMessageBox::Information, message, QMessageBox::Ok);
}

void TFormToolLocation::BtLocateClick() {
    if (ListDisplayPlaces->currentRow() < 0) {
        MyMessageDlg(QMessageBox::Warning,
                     QStringLiteral("Vous devez commencer par choisir une adresse dans la liste "
                                    "de gauche."),
                     QMessageBox::Ok);
        return;
    }
    if (MapLatitude == 0 && MapLongitude == 0) {
        MyMessageDlg(QMessageBox::Warning,
                     QStringLiteral("Vous n'avez pas encore choisi de localisation sur la "
                                    "carte."),
                     QMessageBox::Ok);
        return;
    }
    SGeoChps* e = EntreeSelectionnee();
    if (!e) return;
    const int index = GetItemIndexListPlaces(ListDisplayPlaces->currentRow());
    if (MyMessageDlg(
            QMessageBox::Question,
            QStringLiteral("Souhaitez-vous définir l'emplacement que vous avez choisi "
                           "sur la carte (marqueur rouge) comme coordonnées de ce lieu ?\n") +
                Description(*e),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    // Journaled: « Annuler » gives back the position it replaces.
    TJournalGeo(gestion_.Base)
        .PlaceALaMain({e->IdPlace, e->LieuDit, MapLatitude, MapLongitude, EtatPlaceALaMain,
                       e->AdresseRech, Provenance::Main, DateMaintenant()});
    e->Latitude = MapLatitude;
    e->Longitude = MapLongitude;
    e->Etat = EtatPlaceALaMain;
    provenances_[{e->IdPlace, e->LieuDit}] = Provenance::Main;
    WebOSMaps->ArcGisMapCenterAt(e->Latitude, e->Longitude);
    if (FilterList_ == FilterNotLocate)
        VersLocalises(index);
    else {
        ShowAllPlaces(FilterList_);
        ListDisplayPlaces->setCurrentRow(GetItemIndexShowList(index));
    }
}

void TFormToolLocation::RestaureSelection(int r) {
    const int n = ListDisplayPlaces->count();
    int ligne = -1;
    if (n > r)
        ligne = r;
    else if (n >= r)
        ligne = r - 1;
    if (ligne >= 0) {
        ListDisplayPlaces->setCurrentRow(ligne);
        ListDisplayPlacesClick();
    }
}

void TFormToolLocation::BtCheckPlaceClick() {
    SGeoChps* e = EntreeSelectionnee();
    if (!e) return;
    if (e->Etat == EtatValide) {
        MyMessageDlg(QMessageBox::Warning, QStringLiteral("Cette adresse est déjà validée."),
                     QMessageBox::Ok);
        return;
    }
    // The map shows another point than the stored one (a click): validating would mark a
    // position the user is not looking at.
    if (MapLatitude != 0 || MapLongitude != 0) {
        MyMessageDlg(QMessageBox::Warning,
                     QStringLiteral("La carte montre le point que vous avez cliqué, pas la "
                                    "position enregistrée de ce lieu. Choisissez d'abord cette "
                                    "localisation, ou sélectionnez de nouveau le lieu pour "
                                    "revoir sa position."),
                     QMessageBox::Ok);
        return;
    }
    const int ligne = ListDisplayPlaces->currentRow();
    e->Etat = EtatValide;
    gestion_.ModuleBDD.UpdateCoordGeo(e, false);
    PlaceAvis();
    AdvPanel->show();
    AdvPanel->raise();
    TimerAff->start();
    ShowAllPlaces(FilterList_);
    RestaureSelection(ligne);
}

void TFormToolLocation::BtDeleteCurrentClick() {
    SGeoChps* e = EntreeSelectionnee();
    if (!e) return;
    if (MyMessageDlg(QMessageBox::Question,
                     QStringLiteral("Êtes-vous sûr de vouloir supprimer de la base la ligne "
                                    "sélectionnée ? ") +
                         Description(*e),
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    const int ligne = ListDisplayPlaces->currentRow();
    TJournalGeo(gestion_.Base).SupprimeUne(e->IdPlace, e->LieuDit);
    provenances_.erase({e->IdPlace, e->LieuDit});
    e->Latitude = e->Longitude = 0;
    e->Etat = EtatHorsTable;
    ShowAllPlaces(FilterList_);
    RestaureSelection(ligne);
}

void TFormToolLocation::Recharge() {
    InitListPlaces();
    if (RBAVerifier->isChecked())
        AfficheAVerifier();
    else
        ShowAllPlaces(FilterList_);
}

void TFormToolLocation::AfficheAVerifier() {
    const geoloc::TResolveurLieux* resolveur = recherche_ ? recherche_->Resolveur() : nullptr;
    if (!resolveur) return;
    RBAVerifier->setChecked(true);
    for (QPushButton* b :
         {BtReInit, BtDeleteAll, BtLocateAuto, BtLocate, BtCheckPlace, BtDeleteCurrent})
        b->setVisible(false);
    BtPrendreAttendue->setVisible(true);
    ShowPanelWait(true);
    ProgressBar->setMaximum(static_cast<int>(ListPlaces_.size()));
    try {
        if (!verificateur_)
            verificateur_ = std::make_unique<geoloc::TVerificateurPositions>(*resolveur);
        aVerifier_ = geoloc::VerifiePositions(gestion_, ListPlaces_, *verificateur_,
                                              [this](long fait, long) {
                                                  ProgressBar->setValue(static_cast<int>(fait));
                                                  if (fait % 256 == 0)
                                                      QApplication::processEvents();
                                              });
    } catch (const Erreur& e) {
        aVerifier_.clear();
        ShowPanelWait(false);
        MyMessageDlg(QMessageBox::Critical, QString::fromUtf8(e.what()), QMessageBox::Ok);
    }
    ShowPanelWait(false);
    // In the checker's order: row r is aVerifier_[r].
    ListDisplayPlaces->clear();
    const QLocale francais(QLocale::French);
    for (const geoloc::TPositionDouteuse& p : aVerifier_) {
        const int index = FindPlaceInList(ListPlaces_, p.IdPlace, p.LieuDit);
        // What a row of 60 pixels can show; the reason is in its tooltip.
        QString texte =
            p.Validee() ? QStringLiteral("<b>Validé, laissé tel quel :</b> ") : QString();
        texte += U(p.Texte);
        if (!p.LieuDit.empty()) texte += QStringLiteral("<b> Lieu-dit : </b>") + U(p.LieuDit);
        texte += QStringLiteral("<br><b>Attendu à %1 km :</b> ")
                     .arg(francais.toString(p.DistanceKm, 'f', 1)) +
                 U(p.Attendu);
        auto* item = new QListWidgetItem(U(p.Texte), ListDisplayPlaces);
        item->setData(TDelegueLigneHtml::RoleBalisage,
                      texte + MarqueIndex + QString::number(index) + FinIndex);
    }
    ColorListDisplay();
}

void TFormToolLocation::BtPrendreAttendueClick() {
    const int r = ListDisplayPlaces->currentRow();
    if (!RBAVerifier->isChecked() || r < 0 || r >= static_cast<int>(aVerifier_.size())) {
        MyMessageDlg(QMessageBox::Warning,
                     QStringLiteral("Vous devez commencer par choisir un lieu dans la liste "
                                    "de gauche."),
                     QMessageBox::Ok);
        return;
    }
    const geoloc::TPositionDouteuse p = aVerifier_[static_cast<std::size_t>(r)];
    if (p.Validee()) {
        MyMessageDlg(QMessageBox::Information,
                     QStringLiteral("Ce lieu est validé : sa position n'est pas changée."),
                     QMessageBox::Ok);
        return;
    }
    geoloc::TBilanCorrection bilan;
    try {
        bilan = geoloc::AppliquePositionsAttendues(gestion_, ListPlaces_, {p});
    } catch (const Erreur& e) {
        MyMessageDlg(QMessageBox::Critical, QString::fromUtf8(e.what()), QMessageBox::Ok);
        return;
    }
    provenances_.erase({p.IdPlace, p.LieuDit});
    WebOSMaps->ArcGisMapCenterAt(p.LatitudeAttendue, p.LongitudeAttendue);
    AfficheAVerifier();
    RestaureSelection(r);
    MyMessageDlg(QMessageBox::Information,
                 bilan.Corrigees > 0
                     ? QStringLiteral("« %1 » a pris la position attendue (%2). « Annuler la "
                                      "dernière géolocalisation » la remet.")
                           .arg(U(p.Texte), U(p.Attendu))
                     : QStringLiteral("« %1 » n'a pas été changé.").arg(U(p.Texte)),
                 QMessageBox::Ok);
}

void TFormToolLocation::BtDeleteAllClick() {
    const QString mot = FilterList_ == FilterLocate      ? QStringLiteral("localisés")
                        : FilterList_ == FilterNotLocate ? QStringLiteral("non localisés")
                                                         : QStringLiteral("validés");
    if (MyMessageDlg(QMessageBox::Question,
                     QStringLiteral("Êtes-vous sûr de vouloir supprimer la géolocalisation de "
                                    "tous vos lieux ") +
                         mot + QStringLiteral(" ?"),
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    std::vector<int> etats;
    for (int etat = 0; etat <= EtatValide; ++etat)
        if (EtatDansFiltre(etat, FilterList_)) etats.push_back(etat);
    TJournalGeo(gestion_.Base)
        .SupprimeTout(etats, "Supprimer toutes les localisations (" + mot.toStdString() + ")");
    Recharge();
}

void TFormToolLocation::BtReInitClick() {
    // The bar counts the places of the filter: entries before entry i that the filter shows.
    std::vector<long> rangs(ListPlaces_.size());
    long aFaire = 0;
    for (std::size_t i = 0; i < ListPlaces_.size(); ++i) {
        if (ListPlaces_[i] && ApplyFilter(ListPlaces_[i].get(), FilterList_)) ++aFaire;
        rangs[i] = aFaire;
    }
    const QString action = BtReInit->text();
    ShowPanelWait(true,
                  QStringLiteral("%1 : géolocalisation de %2 lieu(x)…").arg(action).arg(aFaire));
    ProgressBar->setMaximum(static_cast<int>(std::max(1L, aFaire)));
    ProgressBar->setValue(0);
    geoloc::TOptionsGeolocalisation options;
    options.Filtre = FilterList_;
    options.AvecLieuDit = false;
    options.RemplacerFichierEtMain = CBRemplacerPositions->isChecked();
    try {
        bilan_ = geoloc::ToutGeolocaliser(
            gestion_, ListPlaces_, services_, recherche_, options, &CancelProcess,
            [this, &rangs, aFaire, &action](long fait, long) {
                const long n = fait > 0 ? rangs[static_cast<std::size_t>(fait - 1)] : 0;
                ProgressBar->setValue(static_cast<int>(n));
                if (fait % 64 == 0) {
                    Label2->setText(
                        QStringLiteral("%1 : lieu %2 sur %3…").arg(action).arg(n).arg(aFaire));
                    QApplication::processEvents();
                }
            });
    } catch (const Erreur& e) {
        ShowPanelWait(false);
        MyMessageDlg(QMessageBox::Critical, QString::fromUtf8(e.what()), QMessageBox::Ok);
        return;
    }
    provenances_.clear(); // the run stored where its positions came from
    // The panel says how the run ended while the list fills again; the bar stays where the
    // run stopped.
    Label2->setText(bilan_.Interrompu
                        ? QStringLiteral("Arrêté à %1 sur %2.").arg(bilan_.Traitees).arg(aFaire)
                        : QStringLiteral("Terminé : %1 lieu(x) traité(s).").arg(bilan_.Traitees));
    ProgressBar->setValue(static_cast<int>(bilan_.Traitees));
    QApplication::processEvents();
    aFaire_ = aFaire;
    ShowAllPlaces(FilterList_);
    ShowPanelWait(false);
    if (ListDisplayPlaces->count() > 0) ListDisplayPlaces->setCurrentRow(0);
    AfficheBilan();
}

void TFormToolLocation::BtExporterClick() {
    // Offered beside the base, under the name of the file it was imported from.
    if (dernierExport_.isEmpty()) {
        const QFileInfo base(QFile::decodeName(gestion_.Base.Chemin().c_str()));
        QString nom = QFileInfo(U(gestion_.Base.NomFichierOrigine())).completeBaseName();
        if (nom.isEmpty()) nom = base.completeBaseName();
        dernierExport_ = base.absoluteDir().filePath(nom + QStringLiteral("-lieux.kml"));
    }
    const QString chemin = DemandeFichierExport ? DemandeFichierExport(dernierExport_) : QString();
    if (chemin.isEmpty()) return;
    dernierExport_ = chemin;
    ExporteLieuxVers(chemin);
}

bool TFormToolLocation::ExporteLieuxVers(const QString& chemin) {
    const std::filesystem::path sortie(QFile::encodeName(chemin).toStdString());
    geoloc::FormatLieux format = geoloc::FormatLieux::Kml;
    if (!geoloc::FormatLieuxParExtension(sortie, format)) {
        MyMessageDlg(QMessageBox::Warning,
                     QStringLiteral("Les lieux n'ont pas été exportés : le nom du fichier « %1 » "
                                    "doit finir par .kml (KML) ou par .geojson (GeoJSON).")
                         .arg(QFileInfo(chemin).fileName()),
                     QMessageBox::Ok);
        return false;
    }
    geoloc::TBilanExportLieux bilan;
    {
        // The same operation as `orlavine-cli base exporter --format kml|geojson`: a temporary
        // file beside the target, renamed over it once complete.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Curseur {
            ~Curseur() { QApplication::restoreOverrideCursor(); }
        } curseur;
        try {
            bilan = geoloc::ExporteLieux(gestion_.Base, sortie, format);
        } catch (const std::exception& e) {
            MyMessageDlg(QMessageBox::Critical,
                         QStringLiteral("Les lieux n'ont pas été exportés :\n\n") +
                             QString::fromUtf8(e.what()),
                         QMessageBox::Ok);
            return false;
        }
    }
    const QLocale francais(QLocale::French);
    MyMessageDlg(QMessageBox::Information,
                 QStringLiteral("%1 %2 dans %3 (%4).")
                     .arg(francais.toString(static_cast<qlonglong>(bilan.Entites)),
                          bilan.Entites > 1 ? QStringLiteral("lieux exportés")
                                            : QStringLiteral("lieu exporté"),
                          QFileInfo(chemin).fileName(),
                          format == geoloc::FormatLieux::Kml ? QStringLiteral("KML")
                                                             : QStringLiteral("GeoJSON")),
                 QMessageBox::Ok);
    return true;
}

void TFormToolLocation::BtAnnulerClick() {
    TJournalGeo journal(gestion_.Base);
    const auto lot = journal.DernierLot();
    if (!lot) {
        MyMessageDlg(QMessageBox::Information, QStringLiteral("Aucune géolocalisation à annuler."),
                     QMessageBox::Ok);
        return;
    }
    if (MyMessageDlg(QMessageBox::Question,
                     QStringLiteral("Annuler « %1 » (%2 lieu(x)) ?")
                         .arg(U(lot->Description))
                         .arg(lot->Entrees),
                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const TBilanAnnulation b = journal.AnnuleDernierLot();
    Recharge();
    QString message =
        QStringLiteral("%1 lieu(x) remis dans leur état précédent.").arg(b.Restaurees);
    if (b.Conservees)
        message += QStringLiteral(" %1 lieu(x) modifié(s) depuis ont été laissés tels quels.")
                       .arg(b.Conservees);
    MyMessageDlg(QMessageBox::Information, message, QMessageBox::Ok);
}

// ---- Summary of a bulk run ----------------------------------------------------------------

namespace {

QString NomEtatFr(int etat) {
    switch (etat) {
    case EtatLocaliseLu:
        return QStringLiteral("lus dans le fichier GEDCOM");
    case EtatHorsTable:
    case EtatNonLocalise:
        return QStringLiteral("non localisés");
    case EtatPlaceALaMain:
        return QStringLiteral("placés à la main");
    case EtatAdresseTrouvee:
        return QStringLiteral("trouvés par la recherche d'adresse");
    case EtatCommunePays:
        return QStringLiteral("à la position de leur commune (atlas)");
    case EtatValide:
        return QStringLiteral("validés, laissés tels quels");
    }
    return QStringLiteral("localisés");
}

constexpr int RoleLatitude = Qt::UserRole + 1;
constexpr int RoleLongitude = Qt::UserRole + 2;

} // namespace

void TFormToolLocation::AfficheBilan() {
    if (!DlgBilan) {
        DlgBilan = new QDialog(this);
        DlgBilan->setWindowTitle(QStringLiteral("Bilan de la géolocalisation"));
        DlgBilan->resize(520, 440);
        auto* d = new QVBoxLayout(DlgBilan);
        LbBilan = new QLabel(DlgBilan);
        LbBilan->setWordWrap(true);
        LbBilan->setTextInteractionFlags(Qt::TextSelectableByMouse);
        ArbreBilan = new QTreeWidget(DlgBilan);
        ArbreBilan->setHeaderLabel(
            QStringLiteral("Lieux restés sans position (un clic sur un candidat le montre)"));
        auto* boutons = new QDialogButtonBox(DlgBilan);
        BtBilanAnnuler = boutons->addButton(QStringLiteral("Annuler cette géolocalisation"),
                                            QDialogButtonBox::ActionRole);
        QPushButton* fermer = boutons->addButton(QDialogButtonBox::Close);
        fermer->setText(QStringLiteral("Fermer"));
        d->addWidget(LbBilan);
        d->addWidget(ArbreBilan, 1);
        d->addWidget(boutons);
        connect(boutons, &QDialogButtonBox::rejected, DlgBilan, &QDialog::hide);
        connect(ArbreBilan, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem* item) { BilanClick(item); });
        connect(ArbreBilan, &QTreeWidget::itemClicked, this,
                [this](QTreeWidgetItem* item) { BilanClick(item); });
        connect(BtBilanAnnuler, &QPushButton::clicked, this, [this] {
            DlgBilan->hide();
            BtAnnulerClick();
        });
    }
    const geoloc::TBilanGeolocalisation& b = bilan_;
    QString texte = b.Interrompu
                        ? QStringLiteral("<b>Arrêté à %1 sur %2.</b>").arg(b.Traitees).arg(aFaire_)
                        : QStringLiteral("<b>Terminé.</b>");
    texte += QStringLiteral("<br>%1 lieu(x) traité(s) : %2 localisé(s), %3 non localisé(s) "
                            "(dont %4 ambigu(s)), %5 validé(s) laissé(s) tel(s) quel(s).")
                 .arg(b.Traitees)
                 .arg(b.Localisees)
                 .arg(b.NonLocalisees)
                 .arg(b.Ambigues)
                 .arg(b.ValideesGardees);
    if (b.PositionsGardees > 0)
        texte += QStringLiteral("<br>%1 position(s) du fichier, placée(s) à la main ou de "
                                "lieux-dits gardée(s) : cochez « Remplacer aussi… » pour les "
                                "remplacer.")
                     .arg(b.PositionsGardees);
    if (!b.ParEtat.empty()) {
        texte += QStringLiteral("<br>Après la géolocalisation :");
        for (const auto& [etat, nombre] : b.ParEtat)
            texte += QStringLiteral("<br>&nbsp;&nbsp;• %1 : %2").arg(NomEtatFr(etat)).arg(nombre);
    }
    LbBilan->setText(texte);

    ArbreBilan->clear();
    const auto branche = [this](const QString& titre,
                                const std::vector<geoloc::TLieuNonLocalise>& lieux) {
        if (lieux.empty()) return;
        auto* racine = new QTreeWidgetItem(ArbreBilan, {titre.arg(lieux.size())});
        for (const geoloc::TLieuNonLocalise& l : lieux) {
            auto* lieu = new QTreeWidgetItem(racine, {U(l.Texte)});
            for (const geoloc::TCandidatAdresse& c : l.Candidats) {
                auto* candidat = new QTreeWidgetItem(
                    lieu,
                    {U(c.Libelle) + QStringLiteral(" (") +
                     U(geoloc::TexteLatLong(c.Latitude, c.Longitude, ',')) + QLatin1Char(')')});
                candidat->setData(0, RoleLatitude, c.Latitude);
                candidat->setData(0, RoleLongitude, c.Longitude);
            }
        }
        racine->setExpanded(true);
    };
    branche(QStringLiteral("Ambigus : %1 (aucun candidat n'a été retenu)"), b.Ambigus);
    branche(QStringLiteral("Non trouvés : %1"), b.NonTrouves);
    ArbreBilan->expandAll();
    ArbreBilan->setVisible(ArbreBilan->topLevelItemCount() > 0);
    BtBilanAnnuler->setEnabled(b.Lot != 0);
    DlgBilan->show();
    DlgBilan->raise();
}

void TFormToolLocation::BilanClick(QTreeWidgetItem* item) {
    if (!item || !item->data(0, RoleLatitude).isValid()) return;
    WebOSMaps->ArcGisMapCenterAt(item->data(0, RoleLatitude).toDouble(),
                                 item->data(0, RoleLongitude).toDouble());
}

} // namespace orlavine
