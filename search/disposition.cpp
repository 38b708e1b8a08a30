#include "search/disposition.h"

#include <QEvent>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>

namespace orlavine {

int TContenuDefilant::heightForWidth(int largeur) const {
    return layout() != nullptr ? layout()->totalMinimumHeightForWidth(largeur)
                               : QWidget::heightForWidth(largeur);
}

TSeparateurOptions::TSeparateurOptions(QWidget* parent) : QSplitter(Qt::Vertical, parent) {
    setChildrenCollapsible(false);
}

void TSeparateurOptions::FixePanneaux(QScrollArea* haut, QWidget* bas) {
    haut_ = haut;
    bas_ = bas;
    // A second town's edit appearing above asks for more room at once.
    if (haut_ && haut_->widget()) haut_->widget()->installEventFilter(this);
}

int TSeparateurOptions::BesoinBas() const {
    if (!bas_) return 0;
    // The pane's height, less the view of its shown page, plus its tallest page: then no
    // page of the lower pane needs to scroll.
    int vue = -1;
    int page = 0;
    for (const QScrollArea* zone : bas_->findChildren<QScrollArea*>()) {
        if (!zone->widget()) continue;
        page = std::max(page, zone->widget()->sizeHint().height());
        if (zone->isVisible()) vue = zone->viewport()->height();
    }
    return vue < 0 ? bas_->height() : bas_->height() - vue + page;
}

void TSeparateurOptions::Equilibre() {
    if (!haut_ || !bas_ || count() != 2 || enCours_) return;
    const int total = height() - handleWidth();
    if (total <= 0) return;
    const QWidget* contenu = haut_->widget();
    const int largeur = haut_->viewport()->width();
    const int besoinHaut = contenu ? contenu->heightForWidth(largeur) : 0;
    const int bas = std::clamp(BesoinBas(), std::min(HauteurMinimaleBas, total / 2),
                               std::max(total - besoinHaut, HauteurMinimaleBas));
    enCours_ = true;
    setSizes({total - std::min(bas, total), std::min(bas, total)});
    enCours_ = false;
}

void TSeparateurOptions::resizeEvent(QResizeEvent* evenement) {
    QSplitter::resizeEvent(evenement);
    Equilibre();
}

bool TSeparateurOptions::eventFilter(QObject* objet, QEvent* evenement) {
    if (haut_ && objet == haut_->widget() && evenement->type() == QEvent::LayoutRequest)
        Equilibre();
    return QSplitter::eventFilter(objet, evenement);
}

} // namespace orlavine
