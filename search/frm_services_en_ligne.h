// TFrmServicesEnLigne: the « Services en ligne » dialog, where the user turns the online map
// tiles and the online address search on or off and gives their addresses. Both are off by
// default; the dialog says what leaves the computer once they are on. OK checks the
// addresses, writes them to the settings store (OuvreParametres) and closes; a bad address or
// a store that cannot be written is reported and the dialog stays open. The program applies
// the values at once (Valeurs) without restarting.
#pragma once

#include "mapview/geocodage_en_ligne.h"
#include "mapview/tuiles.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSettings;

namespace orlavine {

// The two online services as the settings store keeps them.
struct TServicesEnLigne {
    TParametresTuiles Tuiles;
    TParametresGeocodageEnLigne Geocodage;
    friend bool operator==(const TServicesEnLigne&, const TServicesEnLigne&) = default;
};

// Reads both services (the tiles without a cache folder: the program adds its own).
TServicesEnLigne LitServicesEnLigne(const QSettings& reglages);
// Throws Erreur with a French message when an address cannot be used: not starting with
// http:// or https://, no server name, or a tile address without {z}, {x} and {y} or with
// another {…} field that nothing would replace.
void VerifieServicesEnLigne(const TServicesEnLigne& services);
// Checks, then writes both services and flushes the store. Nothing is written when an
// address is refused. A store that cannot be written throws Erreur naming its file, and the
// values read back through the settings stay the ones on disk.
void EcritServicesEnLigne(QSettings& reglages, const TServicesEnLigne& services);

class TFrmServicesEnLigne : public QDialog {
    Q_OBJECT

public:
    // Loads the stored values into the controls.
    explicit TFrmServicesEnLigne(QWidget* owner = nullptr);
    ~TFrmServicesEnLigne() override;

    // What the controls say now (addresses trimmed). After OK: what was written.
    TServicesEnLigne Valeurs() const;
    // Puts `services` into the controls.
    void FixeValeurs(const TServicesEnLigne& services);

    // How a refusal or a failed write is shown (a warning box unless replaced).
    std::function<void(const QString&)> AfficheMessage;

    QCheckBox* cbTuiles = nullptr;
    QLineEdit* zeAdresseTuiles = nullptr;
    QCheckBox* cbGeocodage = nullptr;
    QLineEdit* zeAdresseGeocodage = nullptr;
    QLabel* laConfidentialite = nullptr;
    QDialogButtonBox* Boutons = nullptr;

public slots:
    // Checks and writes; closes only when the settings were written.
    void accept() override;
};

// Shows the dialog; true (and `services` set to the written values) after OK.
bool ModifieServicesEnLigne(QWidget* parent, TServicesEnLigne& services);

} // namespace orlavine
