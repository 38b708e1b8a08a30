// Layout helpers of the main window's left panel, so that it stays readable at every size.
#pragma once

#include <QSplitter>
#include <QWidget>

class QScrollArea;

namespace orlavine {

// The content of a scroll area whose layout holds wrapped texts. For a given width it asks
// only for the height its layout cannot do without (a scroll area otherwise gives it its
// preferred height and scrolls as soon as the view is smaller), so the content fills the
// view and scrolls only below its true minimum.
class TContenuDefilant : public QWidget {
public:
    using QWidget::QWidget;
    int heightForWidth(int largeur) const override;
};

// A vertical splitter of two scrolling panes: the choice of a commune above, the
// preferences below. Whenever its height or the upper pane's content changes, the upper
// pane gets the height its content cannot do without, the lower one what its tallest page
// asks for, and the upper one whatever is left; a pane scrolls only when the window is too
// small for both. The user may still move the boundary until the next change.
class TSeparateurOptions : public QSplitter {
public:
    explicit TSeparateurOptions(QWidget* parent = nullptr);
    // The upper pane's scroll area and the lower pane (whose scroll areas, one per page,
    // are looked up when balancing); to call once both are in the splitter.
    void FixePanneaux(QScrollArea* haut, QWidget* bas);
    void Equilibre();

    // The lower pane never goes below this height while the upper one can give it room.
    static constexpr int HauteurMinimaleBas = 150;

protected:
    void resizeEvent(QResizeEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    int BesoinBas() const;
    QScrollArea* haut_ = nullptr;
    QWidget* bas_ = nullptr;
    bool enCours_ = false;
};

} // namespace orlavine
