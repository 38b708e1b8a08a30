#include "mapview/combo_couleur.h"

#include "mapview/surface_qt.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace orlavine {

namespace {

struct CouleurNommee {
    const char* Nom;
    TColor Couleur;
};

constexpr CouleurNommee CouleursStandard[] = {
    {"Noir", 0x000000},     {"Marron", 0x000080},      {"Vert", 0x008000},
    {"Olive", 0x008080},    {"Bleu marine", 0x800000}, {"Violet", 0x800080},
    {"Sarcelle", 0x808000}, {"Gris", 0x808080},        {"Argent", 0xC0C0C0},
    {"Rouge", 0x0000FF},    {"Citron vert", 0x00FF00}, {"Jaune", 0x00FFFF},
    {"Bleu", 0xFF0000},     {"Fuchsia", 0xFF00FF},     {"Bleu clair", 0xFFFF00},
    {"Blanc", 0xFFFFFF},    {"Crème", 0xF0FBFF},       {"Rouge clair", 0x5B5BFF},
};
constexpr int IndexPersonnalise = 0;

QIcon Pastille(TColor couleur) {
    QPixmap pixmap(16, 12);
    pixmap.fill(VersQColor(couleur));
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

} // namespace

TComboBoxColor::TComboBoxColor(QWidget* parent) : QComboBox(parent) {
    miseAJour_ = true;
    addItem(QString::fromUtf8("Personnalisée..."));
    for (const CouleurNommee& c : CouleursStandard)
        addItem(Pastille(c.Couleur), QString::fromUtf8(c.Nom), QVariant::fromValue(c.Couleur));
    miseAJour_ = false;
    FixeCouleurPersonnelle(couleur_);
    connect(this, &QComboBox::activated, this, &TComboBoxColor::Choisi);
}

void TComboBoxColor::MajEntreePersonnelle() {
    setItemIcon(IndexPersonnalise, Pastille(couleur_));
}

void TComboBoxColor::FixeCouleurPersonnelle(TColor couleur) {
    couleur_ = couleur & 0xFFFFFF;
    miseAJour_ = true;
    MajEntreePersonnelle();
    int index = IndexPersonnalise;
    for (int i = 1; i < count(); ++i)
        if (itemData(i).value<TColor>() == couleur_) index = i;
    setCurrentIndex(index);
    miseAJour_ = false;
}

void TComboBoxColor::Choisi(int index) {
    if (miseAJour_) return;
    TColor nouvelle = couleur_;
    if (index == IndexPersonnalise) {
        const QColor c =
            QColorDialog::getColor(VersQColor(couleur_), this, QString::fromUtf8("Couleur"));
        if (!c.isValid()) {
            FixeCouleurPersonnelle(couleur_);
            return;
        }
        nouvelle = DepuisQColor(c);
    } else {
        nouvelle = itemData(index).value<TColor>();
    }
    const bool change = nouvelle != couleur_;
    FixeCouleurPersonnelle(nouvelle);
    if (change) emit CouleurChangee(couleur_);
}

} // namespace orlavine
