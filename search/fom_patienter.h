// The wait form shown while the atlas loads: "Traitement en cours...", a label and a
// progress bar.
#pragma once

#include "atlas/progression.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace orlavine {

class TFomPatienter : public QWidget, public IProgression {
    Q_OBJECT
public:
    explicit TFomPatienter(QWidget* parent = nullptr);

    void FixeMaximum(int maximum) override;
    void FixePosition(int position) override;
    int Position() const override;
    void Montrer() override;
    void Fermer() override;
    void TraiterMessages() override;

    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
};

} // namespace orlavine
