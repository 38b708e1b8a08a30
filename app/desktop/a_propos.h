// The About box of the desktop program, with the attributions of the atlas data.
#pragma once

#include <QString>

class QWidget;

namespace orlavine {

// The "Sources et licences" section of the data README (Markdown), or a summary of it when
// the file cannot be read.
QString AttributionsDonnees(const QString& cheminReadme);

void AfficheAPropos(QWidget* parent);

} // namespace orlavine
