// Windows-1252 text of the atlas <-> Qt strings, at the border of the user interface.
#pragma once

#include "host/chaines.h"

#include <QString>

namespace orlavine {

inline QString VersQString(const AnsiString& texte) {
    return QString::fromStdString(Cp1252VersUtf8(texte));
}

inline AnsiString VersAnsi(const QString& texte) {
    return Utf8VersCp1252(texte.toStdString());
}

} // namespace orlavine
