#include "reglages_bureau.h"

#include "mapview/geocodage_en_ligne.h"
#include "mapview/web_osmaps.h"
#include "search/frm_services_en_ligne.h"

#include <QMenu>
#include <QPushButton>

namespace orlavine {

QPushButton* BoutonReglages(QWidget* fenetre, TWebOSMaps& carte, TGeocodageEnLigne& geocodage,
                            const QString& dossierTuiles) {
    auto* bouton = new QPushButton(QStringLiteral("Réglages"), fenetre);
    bouton->setObjectName(QStringLiteral("BoutonReglages"));
    auto* menu = new QMenu(bouton);
    menu->addAction(QStringLiteral("Services en ligne…"), fenetre,
                    [fenetre, &carte, &geocodage, dossierTuiles] {
                        TServicesEnLigne services;
                        if (!ModifieServicesEnLigne(fenetre, services)) return;
                        geocodage.FixeParametres(services.Geocodage);
                        services.Tuiles.DossierCache = dossierTuiles;
                        carte.FixeParametresTuiles(services.Tuiles);
                    });
    bouton->setMenu(menu);
    return bouton;
}

} // namespace orlavine
