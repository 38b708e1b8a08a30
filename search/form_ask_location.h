// TFormAskLocation: the question asked before a place with a lieu-dit is located again. Three
// answers ("Oui", "Non", "Annuler") and a check box "Ignorer le lieu-dit dans la
// localisation automatique"; the box's state and the dialog's placement are kept in the
// settings under "Software\Talvek\Lignolis2018\FormAskLocation".
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace orlavine {

class TFormAskLocation : public QDialog {
    Q_OBJECT

public:
    explicit TFormAskLocation(QWidget* owner = nullptr);
    ~TFormAskLocation() override;

    // -1 while open or when closed by other means; 1 "Oui", 2 "Non", 3 "Annuler".
    int Answer = -1;

    // The question (the label wraps it).
    void SetMessage(const QString& texte);
    // True when the box "Ignorer le lieu-dit..." is not checked.
    bool UseLieuDit() const;

    // Restores the placement and the check box (called when shown).
    void FormShow();
    // Stores them (called when closed, whatever the answer).
    void FormClose();

    QLabel* Label = nullptr;
    QCheckBox* CBLieuDit = nullptr;
    QPushButton* BtYes = nullptr;
    QPushButton* BtNo = nullptr;
    QPushButton* BtCancel = nullptr;

    // Settings group of the dialog, and its values.
    static QString GroupeStockage();

public slots:
    void BtYesClick(QObject* sender);

protected:
    void showEvent(QShowEvent* evenement) override;
    void done(int resultat) override;
};

// The dialog while it is open (null otherwise).
extern TFormAskLocation* FormAskLocation;

} // namespace orlavine
