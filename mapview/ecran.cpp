#include "mapview/ecran.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace orlavine {

QRect ZoneEcran(const QRect& cadre) {
    const QScreen* meilleur = QGuiApplication::primaryScreen();
    long long aire = 0;
    for (const QScreen* ecran : QGuiApplication::screens()) {
        const QRect commun = ecran->availableGeometry().intersected(cadre);
        const long long a = static_cast<long long>(commun.width()) * commun.height();
        if (a > aire) {
            aire = a;
            meilleur = ecran;
        }
    }
    return meilleur ? meilleur->availableGeometry() : QRect();
}

void TientDansEcran(QWidget& fenetre) {
    const QRect zone = ZoneEcran(QRect(fenetre.pos(), fenetre.size()));
    if (zone.isEmpty()) return;
    // The frame's extra size: known once shown, otherwise a usual title bar and borders.
    const QRect exterieur = fenetre.frameGeometry();
    const int bordsL = fenetre.isVisible() ? exterieur.width() - fenetre.width() : 0;
    const int bordsH = fenetre.isVisible() ? exterieur.height() - fenetre.height() : 32;
    const QSize maxi(zone.width() - bordsL, zone.height() - bordsH);
    const QSize taille(
        std::max(fenetre.minimumWidth(), std::min(fenetre.width(), maxi.width())),
        std::max(fenetre.minimumHeight(), std::min(fenetre.height(), maxi.height())));
    if (taille != fenetre.size()) fenetre.resize(taille);
    const int x = std::clamp(fenetre.x(), zone.left(),
                             std::max(zone.left(), zone.right() + 1 - taille.width() - bordsL));
    const int y = std::clamp(fenetre.y(), zone.top(),
                             std::max(zone.top(), zone.bottom() + 1 - taille.height() - bordsH));
    if (QPoint(x, y) != fenetre.pos()) fenetre.move(x, y);
}

} // namespace orlavine
