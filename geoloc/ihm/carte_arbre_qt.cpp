#include "geoloc/ihm/carte_arbre_qt.h"

#include "mapview/graphique_vectoriel.h"
#include "mapview/surface_qt.h"

#include <QPaintEngine>
#include <QPainter>

namespace orlavine {

geoloc::TMiseEnPageArbre PeintCarteArbre(QPainter& painter, const geoloc::TCarteArbre& carte,
                                         const monde::TVueMonde& vue, monde::TCarteMonde* fond,
                                         geoloc::TBilanCarteArbre* bilan) {
    TSurfaceQt surface(painter, PoliceCarteDefaut());
    // Tens of thousands of small disks: on pixels, drawn the fast way.
    surface.FixeEllipsesPolygones(painter.paintEngine() != nullptr &&
                                  painter.paintEngine()->type() == QPaintEngine::Raster);
    return geoloc::DessineCarteArbre(surface, carte, vue, fond, bilan);
}

geoloc::TBilanCarteArbre EnregistreCarteArbre(const QString& chemin,
                                              const geoloc::TCarteArbre& carte,
                                              const monde::TVueMonde& vue,
                                              monde::TCarteMonde* fond) {
    geoloc::TBilanCarteArbre bilan;
    EcritGraphique(chemin, QSize(vue.Largeur, vue.Hauteur), QStringLiteral("Carte de l'arbre"),
                   [&](QPainter& painter) {
                       painter.setClipRect(QRect(0, 0, vue.Largeur, vue.Hauteur));
                       PeintCarteArbre(painter, carte, vue, fond, &bilan);
                   });
    return bilan;
}

} // namespace orlavine
