// The place tool of the desktop program: `orlavine --base BASE.sqlite --outil-lieux
// [--capture FICHIER.png]` and the « Base de données » menu open it the same way, with the
// bundled atlas (country file), offline geocoder and world map.
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace orlavine {

class TBaseGenealogie;
class TFormToolLocation;

// The window and everything it stands on, on a base opened by the caller (which must outlive
// it). Throws Erreur when the atlas, the geocoder's file or the base cannot be read.
class TOutilLieux {
public:
    // `parent`: the window it belongs to (it is then a separate window above it), or null.
    TOutilLieux(const std::string& dossierAtlas, TBaseGenealogie& base, QWidget* parent = nullptr);
    ~TOutilLieux();
    TOutilLieux(const TOutilLieux&) = delete;
    TOutilLieux& operator=(const TOutilLieux&) = delete;

    TFormToolLocation& Fenetre();

private:
    struct Elements;
    std::unique_ptr<Elements> d_;
};

// Runs the window until it is closed; with `capture`, saves a picture of it once the list is
// loaded and returns. Exit code: 0, 1 (missing data or damaged base, French message on stderr).
int LanceOutilLieux(const std::string& dossierAtlas, const std::string& base,
                    const std::string& capture);

} // namespace orlavine
