// TComboBoxColor: a drop-down of colours with a user-defined entry that opens the colour
// dialog. CouleurPersonnelle is the chosen colour.
#pragma once

#include "host/geometrie.h"

#include <QComboBox>

namespace orlavine {

class TComboBoxColor : public QComboBox {
    Q_OBJECT

public:
    explicit TComboBoxColor(QWidget* parent = nullptr);

    TColor CouleurPersonnelle() const { return couleur_; }
    void FixeCouleurPersonnelle(TColor couleur);

signals:
    // The user chose another colour.
    void CouleurChangee(TColor couleur);

private:
    void Choisi(int index);
    void MajEntreePersonnelle();
    TColor couleur_ = 0xFFFFFF;
    bool miseAJour_ = false;
};

} // namespace orlavine
