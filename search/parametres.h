// What the window keeps between sessions: the host's settings store (QSettings), the window
// placement service and the last typed towns.
#pragma once

#include "host/chaines.h"

#include <QString>
#include <memory>

class QSettings;
class QWidget;

namespace orlavine {

// Base path of the host's keys, ending with a separator; the module's own key is this
// path followed directly by "Orlavine".
extern AnsiString StringBaseReg;
inline constexpr const char* CleModule = "Orlavine";
inline constexpr const char* ClePositionFenetre = "Software\\Talvek\\Communes";

// The settings store: the usual Qt/XDG place of the application, or the INI file given
// here (an empty path restores the usual place).
void DefinirFichierParametres(const QString& chemin);
// The INI file given above (empty: the usual place).
QString FichierParametresDefini();
std::unique_ptr<QSettings> OuvreParametres();

// A registry-style key ("Software\Talvek\Communes") as a settings group.
QString GroupeParametres(const AnsiString& cle);

// Restores the size and/or the position saved under `cle`; a position that no screen
// shows any more is ignored. Nothing saved: the window keeps its own.
void LecturePositFenetre(const AnsiString& cle, QWidget* fenetre, bool taille, bool position,
                         bool etat);
// Saves the size and/or the position of the window under `cle`.
void EnregPositFenetre(const AnsiString& cle, QWidget* fenetre, bool taille, bool position);

// The last typed towns, values "LastPlace1" and "LastPlace2" of the module's key.
struct TDernieresVilles {
    AnsiString Ville1;
    AnsiString Ville2;
};
// Missing or unreadable values read as empty; the key is created when missing.
TDernieresVilles LitDernieresVilles();
// False when the store could not be written (nothing is reported to the user).
bool EcritDernieresVilles(const TDernieresVilles& villes);

} // namespace orlavine
