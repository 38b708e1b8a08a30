// The world map page of the main window: the address panel (place as stored, address being
// worked on, position, validation) over the world map control. The decisions are taken by
// geoloc::TPageMondeLogique; this file shows its answers and forwards the events.
#include "mapview/ansi_qt.h"
#include "mapview/web_osmaps.h"
#include "search/form_ask_location.h"
#include "search/form_ihm2.h"
#include "search/page_navigateur.h"
#include "search/vue_page_monde.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace orlavine {

namespace {

geoloc::TReponseRelocalisation DemandeParDialogue(const QString& question) {
    TFormAskLocation boite;
    boite.SetMessage(question);
    boite.exec();
    return {boite.Answer, boite.UseLieuDit()};
}

} // namespace

QWidget* TFormIhm2::ConstruitPageMonde() {
    vueMonde_ = std::make_unique<TVueFenetreMonde>(*this);
    Monde = std::make_unique<geoloc::TPageMondeLogique>(*vueMonde_, nullptr);
    // Positions on screen are written the French way, whatever the locale.
    Monde->SeparateurDecimal = ',';
    Monde->OnLocalisationSauvee = [this](SGeoChps* lieu) {
        if (OnLocalisationSauvee) OnLocalisationSauvee(lieu);
    };
    DemandeRelocalisation = DemandeParDialogue;
    DemandeConfirmation = [this](const QString& question) {
        QMessageBox boite(QMessageBox::Question, QStringLiteral("Confirmation"), question,
                          QMessageBox::Yes | QMessageBox::No, this);
        boite.setDefaultButton(QMessageBox::No);
        return boite.exec() == QMessageBox::Yes;
    };

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageMapWorld"));
    auto* disposition = new QVBoxLayout(page);
    disposition->setContentsMargins(2, 2, 2, 2);

    PanelSearchPlace = new QWidget(page);
    PanelSearchPlace->setObjectName(QStringLiteral("PanelSearchPlace"));
    auto* panneau = new QVBoxLayout(PanelSearchPlace);
    panneau->setContentsMargins(0, 0, 0, 0);
    auto* groupes = new QHBoxLayout;
    panneau->addLayout(groupes);

    GroupBox1 = new QGroupBox(QStringLiteral("Adresse d'origine :  "), PanelSearchPlace);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* origine = new QVBoxLayout(GroupBox1);
    lbPlace = new QLabel(GroupBox1);
    lbPlace->setObjectName(QStringLiteral("lbPlace"));
    lbPlace->setAlignment(Qt::AlignCenter);
    lbPlace->setWordWrap(true);
    lbPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BtRelocate = new QPushButton(QStringLiteral("Relocaliser l'adresse"), GroupBox1);
    BtRelocate->setObjectName(QStringLiteral("BtRelocate"));
    origine->addWidget(lbPlace, 1);
    origine->addWidget(BtRelocate, 0, Qt::AlignCenter);
    groupes->addWidget(GroupBox1, 3);

    GroupBox2 = new QGroupBox(QStringLiteral("Adresse actuelle : "), PanelSearchPlace);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* actuelle = new QGridLayout(GroupBox2);
    cbAddress = new QComboBox(GroupBox2);
    cbAddress->setObjectName(QStringLiteral("cbAddress"));
    cbAddress->setEditable(true);
    cbAddress->setInsertPolicy(QComboBox::NoInsert);
    cbAddress->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbAddress->setMinimumContentsLength(20);
    BtSearch = new QPushButton(GroupBox2);
    BtSearch->setObjectName(QStringLiteral("BtSearch"));
    BtSearch->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    BtSearch->setToolTip(QStringLiteral("Rechercher cette adresse"));
    LbLatLong = new QLabel(GroupBox2);
    LbLatLong->setObjectName(QStringLiteral("LbLatLong"));
    LbLatLong->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LbEtatRecherche = new QLabel(GroupBox2);
    LbEtatRecherche->setObjectName(QStringLiteral("LbEtatRecherche"));
    LbEtatRecherche->setWordWrap(true);
    LbEtatRecherche->setStyleSheet(QStringLiteral("color: #1f3f6e;"));
    LbEtatRecherche->hide();
    cbCandidats = new QComboBox(GroupBox2);
    cbCandidats->setObjectName(QStringLiteral("cbCandidats"));
    cbCandidats->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbCandidats->setMinimumContentsLength(20);
    cbCandidats->hide();
    BtLocatePerso = new QPushButton(QStringLiteral("Choisir cette localisation"), GroupBox2);
    BtLocatePerso->setObjectName(QStringLiteral("BtLocatePerso"));
    actuelle->addWidget(cbAddress, 0, 0);
    actuelle->addWidget(BtSearch, 0, 1);
    actuelle->addWidget(LbLatLong, 1, 0, 1, 2);
    actuelle->addWidget(LbEtatRecherche, 2, 0, 1, 2);
    actuelle->addWidget(cbCandidats, 3, 0, 1, 2);
    actuelle->addWidget(BtLocatePerso, 4, 0, 1, 2, Qt::AlignCenter);
    actuelle->setColumnStretch(0, 1);
    groupes->addWidget(GroupBox2, 4);

    GroupBox3 = new QGroupBox(QStringLiteral("Adresse validée : "), PanelSearchPlace);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    auto* validee = new QVBoxLayout(GroupBox3);
    Label3 = new QLabel(QStringLiteral("Vous avez vérifié la localisation de l'adresse, vous "
                                       "pouvez maintenant la marquer comme \"Validée\""),
                        GroupBox3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    btValidate = new QPushButton(QStringLiteral("Valider la localisation"), GroupBox3);
    btValidate->setObjectName(QStringLiteral("btValidate"));
    LabelValidate = new QLabel(QStringLiteral("Cette adresse est validée"), GroupBox3);
    LabelValidate->setObjectName(QStringLiteral("LabelValidate"));
    LabelValidate->setAlignment(Qt::AlignCenter);
    LabelValidate->setStyleSheet(QStringLiteral("color: #1a7f37; font-weight: bold;"));
    LabelValidate->hide();
    validee->addWidget(Label3, 1);
    validee->addWidget(btValidate, 0, Qt::AlignCenter);
    validee->addWidget(LabelValidate, 0, Qt::AlignCenter);
    groupes->addWidget(GroupBox3, 3);

    Label2 = new QLabel(QStringLiteral("La localisation est imprécise ? Cliquez sur la carte à "
                                       "l'endroit exact puis cliquez sur le bouton \"Choisir "
                                       "cette localisation\""),
                        PanelSearchPlace);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    panneau->addWidget(Label2);
    PanelSearchPlace->hide();
    disposition->addWidget(PanelSearchPlace);

    WebOSMaps = new TWebOSMaps(page);
    WebOSMaps->setObjectName(QStringLiteral("WebOSMaps"));
    // « Enregistrer la carte… » over the map: PNG, SVG or PDF of the view.
    WebOSMaps->OffreEnregistrement(true);
    disposition->addWidget(WebOSMaps, 1);
    connect(WebOSMaps, &TWebOSMaps::OnMapClick, this, &TFormIhm2::WebOSMapsMapClick);
    connect(WebOSMaps, &TWebOSMaps::OnMapResultSearchCoordinated, this,
            &TFormIhm2::WebOSMapsMapResultSearchCoordinated);
    connect(WebOSMaps, &TWebOSMaps::OnMapResultSearchAddress, this,
            &TFormIhm2::WebOSMapsMapResultSearchAddress);

    TimerMapLoaded = new QTimer(this);
    TimerMapLoaded->setObjectName(QStringLiteral("TimerMapLoaded"));
    TimerMapLoaded->setInterval(2000);
    TimerMapLoaded->setSingleShot(true);
    connect(TimerMapLoaded, &QTimer::timeout, this, &TFormIhm2::TimerMapLoadedTimer);

    connect(BtSearch, &QPushButton::clicked, this, &TFormIhm2::BtSearchClick);
    connect(cbAddress->lineEdit(), &QLineEdit::returnPressed, this, &TFormIhm2::BtSearchClick);
    connect(BtRelocate, &QPushButton::clicked, this, &TFormIhm2::BtRelocateClick);
    connect(BtLocatePerso, &QPushButton::clicked, this, &TFormIhm2::BtLocatePersoClick);
    connect(btValidate, &QPushButton::clicked, this, &TFormIhm2::btValidateClick);
    connect(cbCandidats, &QComboBox::activated, this, [this](int i) {
        if (i >= 0) Monde->ChoisitCandidat(static_cast<std::size_t>(i));
    });
    return page;
}

void TFormIhm2::FixeServicesLieux(geoloc::IHotePageMonde* services) {
    Monde->FixeHote(services);
}

void TFormIhm2::PlacePanneauRecherche(QWidget* page) {
    if (PanelSearchPlace->parentWidget() != page) {
        if (QWidget* ancienne = PanelSearchPlace->parentWidget())
            ancienne->layout()->removeWidget(PanelSearchPlace);
        PanelSearchPlace->setParent(page);
        static_cast<QVBoxLayout*>(page->layout())->insertWidget(0, PanelSearchPlace);
    }
    PanelSearchPlace->setVisible(panneauVisible_);
}

// ---- Entry points ----

void TFormIhm2::SetSGeoChps(const SGeoChps* lieu) {
    Monde->SetSGeoChps(lieu);
}

void TFormIhm2::ShowMapWorld(const QString& /*texte*/) {
    Monde->ShowMapWorld();
    LieuTexte = VersAnsi(QString::fromStdString(Monde->LieuTexte));
}

void TFormIhm2::showEvent(QShowEvent* evenement) {
    Monde->FormShow();
    QWidget::showEvent(evenement);
}

// ---- Events ----

void TFormIhm2::TimerMapLoadedTimer() {
    TimerMapLoaded->stop();
    Monde->TimerMapLoadedTimer();
}

void TFormIhm2::BtSearchClick() {
    Monde->BtSearchClick();
}

void TFormIhm2::BtRelocateClick() {
    Monde->BtRelocateClick();
}

void TFormIhm2::BtLocatePersoClick() {
    Monde->BtLocatePersoClick();
}

void TFormIhm2::btValidateClick() {
    Monde->btValidateClick();
}

void TFormIhm2::WebOSMapsMapClick(QObject* /*sender*/, double latitude, double longitude, int /*x*/,
                                  int /*y*/) {
    Monde->WebOSMapsMapClick(latitude, longitude);
}

void TFormIhm2::WebOSMapsMapResultSearchCoordinated(QObject* /*sender*/, const QString& adresse) {
    Monde->WebOSMapsMapResultSearchCoordinated(adresse.toStdString());
}

void TFormIhm2::WebOSMapsMapResultSearchAddress(QObject* /*sender*/, double latitude,
                                                double longitude, int, int) {
    Monde->WebOSMapsMapResultSearchAddress(latitude, longitude);
}

} // namespace orlavine
