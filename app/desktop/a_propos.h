// The About box of the desktop program, with the attributions of the atlas data.
#pragma once

#include <QString>
#include <memory>

class QDialog;

class QWidget;

namespace orlavine {

// The "Sources et licences" section of the data README (Markdown), or a summary of it when
// the file cannot be read.
QString AttributionsDonnees(const QString& cheminReadme);

// The box: the text scrolls, the whole box fits the screen (a 1024 x 600 one too).
std::unique_ptr<QDialog> BoiteAPropos(QWidget* parent);
void AfficheAPropos(QWidget* parent);

} // namespace orlavine
