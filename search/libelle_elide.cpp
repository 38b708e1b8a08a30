#include "search/libelle_elide.h"

#include <QPainter>
#include <QStyle>

namespace orlavine {

TLibelleElide::TLibelleElide(const QString& texte, QWidget* parent) : QLabel(texte, parent) {
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize TLibelleElide::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    const int largeur = fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * margin();
    return QSize(largeur + m.left() + m.right(), QLabel::minimumSizeHint().height());
}

QSize TLibelleElide::sizeHint() const {
    QSize taille = QLabel::sizeHint();
    if (LargeurPreferee > 0) taille.setWidth(std::min(taille.width(), LargeurPreferee));
    return taille.expandedTo(minimumSizeHint());
}

QString TLibelleElide::TexteAffiche() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width() - 2 * margin());
}

void TLibelleElide::paintEvent(QPaintEvent* /*evenement*/) {
    const QString affiche = TexteAffiche();
    // Only a cut text needs its tooltip; setting it causes no repaint.
    const QString bulle = affiche == text() ? QString() : text();
    if (toolTip() != bulle) setToolTip(bulle);
    QPainter painter(this);
    const QRect zone = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, zone, static_cast<int>(alignment()), palette(), isEnabled(),
                          affiche, foregroundRole());
}

} // namespace orlavine
