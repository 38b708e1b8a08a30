// The picture `--capture FICHIER.png` asks for: the window as it shows, saved once it is ready.
#pragma once

#include <string>

class QWidget;

namespace orlavine {

// Saves `fenetre` as a PNG to `chemin` when `prete` (its content loaded) and prints the path;
// otherwise, or when the file cannot be written, says so in French on the terminal. The
// program's exit code: 0 saved, 1 not.
int EnregistreCaptureFenetre(QWidget& fenetre, bool prete, const std::string& chemin);

} // namespace orlavine
