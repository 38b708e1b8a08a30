// TLibelleElide: a one-line label whose size never follows its text. A text wider than the
// label is cut with an ellipsis (the whole text goes to its tooltip), so that a long name
// or status text can neither widen the window nor push its neighbours.
#pragma once

#include <QLabel>

namespace orlavine {

class TLibelleElide : public QLabel {
public:
    explicit TLibelleElide(const QString& texte = QString(), QWidget* parent = nullptr);

    // Room for an ellipsis only: the layout may shrink the label that far.
    QSize minimumSizeHint() const override;
    // The text's width, up to `LargeurPreferee` pixels (0: no limit).
    QSize sizeHint() const override;
    int LargeurPreferee = 0;

    // The text as it is drawn in the current width.
    QString TexteAffiche() const;

protected:
    void paintEvent(QPaintEvent* evenement) override;
};

} // namespace orlavine
