// The « Réglages » button of the desktop program's button row. Its entry « Services en
// ligne… » opens the online services dialog; after OK the new values reach the running map
// (online tiles) and address search at once, with no restart.
#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace orlavine {

class TGeocodageEnLigne;
class TWebOSMaps;

// The button, owned by `fenetre`; `carte` and `geocodage` must outlive it. The tiles are kept
// in `dossierTuiles` (empty: in memory only).
QPushButton* BoutonReglages(QWidget* fenetre, TWebOSMaps& carte, TGeocodageEnLigne& geocodage,
                            const QString& dossierTuiles);

} // namespace orlavine
