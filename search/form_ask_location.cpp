#include "search/form_ask_location.h"

#include "search/parametres.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

namespace orlavine {

TFormAskLocation* FormAskLocation = nullptr;

namespace {

const char* const CleCase = "CBLieuDit.Checked";
const char* const CleGeometrie = "Placement";

// Booleans are stored as words; these read as true, anything else as false.
bool LitBooleen(const QString& texte) {
    const QString t = texte.trimmed().toUpper();
    return t == QLatin1String("TRUE") || t == QLatin1String("YES") || t == QLatin1String("Y");
}

QPushButton* Bouton(const QString& texte, int x, QWidget* parent) {
    auto* b = new QPushButton(texte, parent);
    b->setGeometry(x, 125, 80, 33);
    return b;
}

} // namespace

QString TFormAskLocation::GroupeStockage() {
    return GroupeParametres("Software\\Talvek\\Lignolis2018") + QStringLiteral("/FormAskLocation");
}

TFormAskLocation::TFormAskLocation(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FormAskLocation"));
    setWindowTitle(QStringLiteral("Confirmation"));
    setFont(QFont(QStringLiteral("Tahoma")));
    setFixedSize(408, 170);
    move(343, 231);

    Label = new QLabel(QStringLiteral("Question"), this);
    Label->setObjectName(QStringLiteral("Label"));
    Label->setGeometry(59, 23, 310, 54);
    Label->setWordWrap(true);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    CBLieuDit =
        new QCheckBox(QStringLiteral("Ignorer le lieu-dit dans la localisation automatique"), this);
    CBLieuDit->setObjectName(QStringLiteral("CBLieuDit"));
    CBLieuDit->move(59, 88);
    CBLieuDit->adjustSize();

    BtYes = Bouton(QStringLiteral("Oui"), 59, this);
    BtYes->setObjectName(QStringLiteral("BtYes"));
    QFont gras = BtYes->font();
    gras.setBold(true);
    BtYes->setFont(gras);
    BtYes->setDefault(true);
    BtNo = Bouton(QStringLiteral("Non"), 165, this);
    BtNo->setObjectName(QStringLiteral("BtNo"));
    BtCancel = Bouton(QStringLiteral("Annuler"), 268, this);
    BtCancel->setObjectName(QStringLiteral("BtCancel"));
    // White faces, orange when hovered, silver when pressed or disabled.
    setStyleSheet(QStringLiteral(
        "QPushButton { background: white; border: 1px solid silver; border-radius: 3px; }"
        "QPushButton:hover { background: #E37A3E; border-color: #E37A3E; color: white; }"
        "QPushButton:pressed, QPushButton:disabled { border-color: silver; }"));
    for (QPushButton* b : {BtYes, BtNo, BtCancel})
        connect(b, &QPushButton::clicked, this, [this, b] { BtYesClick(b); });
    FormAskLocation = this;
}

TFormAskLocation::~TFormAskLocation() {
    if (FormAskLocation == this) FormAskLocation = nullptr;
}

void TFormAskLocation::SetMessage(const QString& texte) {
    Label->setText(texte);
    QCoreApplication::processEvents();
}

bool TFormAskLocation::UseLieuDit() const {
    return !CBLieuDit->isChecked();
}

void TFormAskLocation::BtYesClick(QObject* sender) {
    if (sender == BtYes)
        Answer = 1;
    else if (sender == BtNo)
        Answer = 2;
    else if (sender == BtCancel)
        Answer = 3;
    else
        return;
    done(Answer == 1 ? QDialog::Accepted : QDialog::Rejected);
}

void TFormAskLocation::FormShow() {
    Answer = -1;
    auto reglages = OuvreParametres();
    reglages->beginGroup(GroupeStockage());
    if (reglages->contains(CleCase))
        CBLieuDit->setChecked(LitBooleen(reglages->value(CleCase).toString()));
    const QByteArray placement = reglages->value(CleGeometrie).toByteArray();
    if (!placement.isEmpty()) restoreGeometry(placement);
    reglages->endGroup();
}

void TFormAskLocation::FormClose() {
    auto reglages = OuvreParametres();
    reglages->beginGroup(GroupeStockage());
    reglages->setValue(CleCase,
                       CBLieuDit->isChecked() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    reglages->setValue(CleGeometrie, saveGeometry());
    reglages->endGroup();
    reglages->sync();
}

void TFormAskLocation::showEvent(QShowEvent* evenement) {
    FormShow();
    QDialog::showEvent(evenement);
}

void TFormAskLocation::done(int resultat) {
    FormClose();
    QDialog::done(resultat);
}

} // namespace orlavine
