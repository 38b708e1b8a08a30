// Qt's own texts in French: the standard dialogs (save, print, colour, messages) and
// buttons come from Qt's translation catalogues, installed once per application.
#pragma once

#include <QString>

namespace orlavine {

// Installs Qt's French catalogue ("qtbase_fr.qm") from Qt's translations folder, or from
// `dossier` when one is given, and makes French the default locale. False when the
// catalogue is missing or unreadable (Qt's texts then stay in English). Installing twice
// is harmless.
bool InstalleTraductionsQt(const QString& dossier = QString());

} // namespace orlavine
