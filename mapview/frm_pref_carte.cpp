#include "mapview/frm_pref_carte.h"

#include "mapview/combo_couleur.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>

namespace orlavine {

TFrmPrefCarte* FrmPrefCarte = nullptr;

namespace {

QString T(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TFrmPrefCarte::TFrmPrefCarte(QWidget* owner, std::filesystem::path cheminIni)
    : QWidget(owner), cheminIni_(std::move(cheminIni)) {
    SignaleErreur = [](const std::string& message) {
        std::fprintf(stderr, "Orlavine : %s\n", message.c_str());
    };
    if (FrmPrefCarte == nullptr) FrmPrefCarte = this;
    ConstruitControles();
    ChargePreferences();
    FixeDlg();
}

TFrmPrefCarte::~TFrmPrefCarte() {
    try {
        SauvePreferences();
    } catch (const std::exception& e) {
        if (SignaleErreur) SignaleErreur(e.what());
    }
    if (FrmPrefCarte == this) FrmPrefCarte = nullptr;
}

void TFrmPrefCarte::ConstruitControles() {
    setWindowTitle(T("Préférences graphiques…"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    resize(452, 217);

    auto* racine = new QVBoxLayout(this);
    racine->setContentsMargins(0, 0, 0, 0);
    auto* Preference = new QGroupBox(T("Préférences"), this);
    Preference->setObjectName(QStringLiteral("Preference"));
    racine->addWidget(Preference);
    auto* dansPanneau = new QVBoxLayout(Preference);
    AdvOfficePager1 = new QTabWidget(Preference);
    AdvOfficePager1->setObjectName(QStringLiteral("AdvOfficePager1"));
    dansPanneau->addWidget(AdvOfficePager1);

    // Each page scrolls when the panel is smaller than its controls, so that nothing is
    // ever squeezed over its neighbour.
    auto defilante = [](QWidget* page) {
        auto* zone = new QScrollArea;
        zone->setObjectName(page->objectName() + QStringLiteral("Defilement"));
        zone->setWidget(page);
        zone->setWidgetResizable(true);
        zone->setFrameShape(QFrame::NoFrame);
        zone->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        return zone;
    };

    // ---- Page "Carte": the ranked towns, the disks, then the legend, one under another ----
    tsCarte = new QWidget;
    tsCarte->setObjectName(QStringLiteral("tsCarte"));
    auto* colonneCarte = new QVBoxLayout(tsCarte);
    colonneCarte->setContentsMargins(4, 4, 4, 4);

    auto* GroupBox2 = new QGroupBox(T("Affichage des :"), tsCarte);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* l2 = new QVBoxLayout(GroupBox2);
    l2->setSpacing(2);
    cbAffCapitale = new QRadioButton(T("Capitales de région"), GroupBox2);
    cbAffPrefec = new QRadioButton(T("Capitales de région et des Préfectures"), GroupBox2);
    cbAffSsPrefec = new QRadioButton(T("Capitales, Préfectures et Sous-Préfectures"), GroupBox2);
    cbAffCapitale->setChecked(true);
    for (QRadioButton* b : {cbAffCapitale, cbAffPrefec, cbAffSsPrefec})
        l2->addWidget(b);
    colonneCarte->addWidget(GroupBox2);

    auto* GroupBox3 =
        new QGroupBox(T("Autour de la ville sélectionnée, afficher un rayon de :"), tsCarte);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    auto* l3 = new QGridLayout(GroupBox3);
    l3->setVerticalSpacing(2);
    const char* libelles[] = {"3 Km", "5 Km", "8 Km", "10 Km", "12 Km", "20 Km", "50 Km", "100 Km"};
    QCheckBox** cases[] = {&cbR3, &cbR5, &cbR8, &cbR10, &cbR12, &cbR20, &cbR50, &cbR100};
    for (int i = 0; i < 8; ++i) {
        *cases[i] = new QCheckBox(T(libelles[i]), GroupBox3);
        (*cases[i])->setChecked(true);
        l3->addWidget(*cases[i], i / 4, i % 4);
    }
    colonneCarte->addWidget(GroupBox3);

    auto* GroupBox1 = new QGroupBox(T("Légende"), tsCarte);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* l1 = new QFormLayout(GroupBox1);
    l1->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    cbcFondLegende = new TComboBoxColor(GroupBox1);
    l1->addRow(new QLabel(T("Couleur de fond :"), GroupBox1), cbcFondLegende);
    cbPositionLegende = new QComboBox(GroupBox1);
    cbPositionLegende->addItems({T("Ne pas l'afficher !"), T("En haut à gauche"),
                                 T("En haut à droite"), T("En bas à gauche"),
                                 T("En bas à droite")});
    l1->addRow(new QLabel(T("Position sur l'écran :"), GroupBox1), cbPositionLegende);
    colonneCarte->addWidget(GroupBox1);
    colonneCarte->addStretch(1);
    AdvOfficePager1->addTab(defilante(tsCarte), T("Carte"));

    // ---- Page "Couleurs" ----
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto* grilleCouleurs = new QGridLayout(TabSheet2);
    grilleCouleurs->setContentsMargins(4, 4, 4, 4);
    cbAnimation15s = new QCheckBox(T("L'animation du point est limitée à 15 s"), TabSheet2);
    cbDisqueDegrade =
        new QCheckBox(T("Dégradé de couleurs pour les disques de distance"), TabSheet2);
    cbDisqueDegrade->setChecked(true);
    grilleCouleurs->addWidget(cbAnimation15s, 0, 0, 1, 2);
    grilleCouleurs->addWidget(cbDisqueDegrade, 1, 0, 1, 2);
    grilleCouleurs->addWidget(new QLabel(T("Couleur du disque de 100 km"), TabSheet2), 2, 0);
    cbc100km = new TComboBoxColor(TabSheet2);
    grilleCouleurs->addWidget(cbc100km, 2, 1);
    grilleCouleurs->addWidget(new QLabel(T("Couleur du disque central"), TabSheet2), 3, 0);
    cbcCentral = new TComboBoxColor(TabSheet2);
    grilleCouleurs->addWidget(cbcCentral, 3, 1);
    grilleCouleurs->setRowStretch(4, 1);
    grilleCouleurs->setColumnStretch(1, 1);
    AdvOfficePager1->addTab(defilante(TabSheet2), T("Couleurs"));
    AdvOfficePager1->setCurrentIndex(1); // "Couleurs" first

    // Every control reports a change.
    for (QRadioButton* b : {cbAffCapitale, cbAffPrefec, cbAffSsPrefec})
        connect(b, &QRadioButton::toggled, this, &TFrmPrefCarte::PreferenceChange);
    for (QCheckBox* c :
         {cbR3, cbR5, cbR8, cbR10, cbR12, cbR20, cbR50, cbR100, cbDisqueDegrade, cbAnimation15s})
        connect(c, &QCheckBox::toggled, this, &TFrmPrefCarte::PreferenceChange);
    for (TComboBoxColor* c : {cbc100km, cbcCentral, cbcFondLegende})
        connect(c, &TComboBoxColor::CouleurChangee, this, &TFrmPrefCarte::PreferenceChange);
    connect(cbPositionLegende, &QComboBox::currentIndexChanged, this,
            &TFrmPrefCarte::PreferenceChange);
}

void TFrmPrefCarte::ChargePreferences() {
    static_cast<TPreferencesCarte&>(*this) = LitPreferencesCarte(cheminIni_);
}

void TFrmPrefCarte::SauvePreferences() {
    EcritPreferencesCarte(cheminIni_, *this);
}

void TFrmPrefCarte::FixeDlg() {
    const QSignalBlocker b1(cbAffCapitale), b2(cbAffPrefec), b3(cbAffSsPrefec);
    // Only one radio button can be on: the last one whose field is set.
    QRadioButton* allume = nullptr;
    if (Capital) allume = cbAffCapitale;
    if (Prefecture) allume = cbAffPrefec;
    if (SsPrefecture) allume = cbAffSsPrefec;
    if (allume != nullptr) {
        allume->setChecked(true);
    } else {
        for (QRadioButton* r : {cbAffCapitale, cbAffPrefec, cbAffSsPrefec}) {
            r->setAutoExclusive(false);
            r->setChecked(false);
            r->setAutoExclusive(true);
        }
    }
    const std::pair<QCheckBox*, bool> cases[] = {{cbR3, R3},
                                                 {cbR5, R5},
                                                 {cbR8, R8},
                                                 {cbR10, R10},
                                                 {cbR12, R12},
                                                 {cbR20, R20},
                                                 {cbR50, R50},
                                                 {cbR100, R100},
                                                 {cbDisqueDegrade, DisqueDegrade},
                                                 {cbAnimation15s, Animation15s}};
    for (const auto& [c, valeur] : cases) {
        const QSignalBlocker bloque(c);
        c->setChecked(valeur);
    }
    for (const auto& [c, valeur] : {std::pair<TComboBoxColor*, TColor>{cbc100km, Coul100km},
                                    {cbcCentral, CoulCentral},
                                    {cbcFondLegende, FondLegende}}) {
        const QSignalBlocker bloque(c);
        c->FixeCouleurPersonnelle(valeur);
    }
    {
        const QSignalBlocker bloque(cbPositionLegende);
        // An index outside the list shows no item.
        cbPositionLegende->setCurrentIndex(
            PositionLegende >= 0 && PositionLegende < cbPositionLegende->count() ? PositionLegende
                                                                                 : -1);
    }
    hide();
}

void TFrmPrefCarte::bbOkClick() {
    Capital = cbAffCapitale->isChecked();
    Prefecture = cbAffPrefec->isChecked();
    SsPrefecture = cbAffSsPrefec->isChecked();
    R3 = cbR3->isChecked();
    R5 = cbR5->isChecked();
    R8 = cbR8->isChecked();
    R10 = cbR10->isChecked();
    R12 = cbR12->isChecked();
    R20 = cbR20->isChecked();
    R50 = cbR50->isChecked();
    R100 = cbR100->isChecked();
    DisqueDegrade = cbDisqueDegrade->isChecked();
    Coul100km = cbc100km->CouleurPersonnelle();
    CoulCentral = cbcCentral->CouleurPersonnelle();
    Animation15s = cbAnimation15s->isChecked();
    FondLegende = cbcFondLegende->CouleurPersonnelle();
    PositionLegende = cbPositionLegende->currentIndex();
}

void TFrmPrefCarte::bbCancelClick() {
    hide();
}

void TFrmPrefCarte::PreferenceChange() {
    emit OnChange(this);
}

int TFrmPrefCarte::GetPositionLegende() const {
    return CoinLegende(PositionLegende);
}

} // namespace orlavine
