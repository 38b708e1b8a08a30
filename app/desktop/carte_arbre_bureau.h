// The map of the whole tree in the desktop program: `orlavine --base BASE.sqlite --carte-arbre
// [--capture FICHIER.png]` and the « Base de données » menu open it the same way, with the
// bundled world map and the atlas's departments.
#pragma once

#include <memory>
#include <string>

class QWidget;

namespace orlavine {

class TBaseGenealogie;
class TFormCarteArbre;

// The window and what it stands on, on a base opened by the caller (which must outlive it).
// Throws Erreur when the atlas cannot be read.
class TCarteArbreBureau {
public:
    // `parent`: the window it belongs to (it is then a separate window above it), or null.
    TCarteArbreBureau(const std::string& dossierAtlas, TBaseGenealogie& base,
                      QWidget* parent = nullptr);
    ~TCarteArbreBureau();
    TCarteArbreBureau(const TCarteArbreBureau&) = delete;
    TCarteArbreBureau& operator=(const TCarteArbreBureau&) = delete;

    TFormCarteArbre& Fenetre();

private:
    struct Elements;
    std::unique_ptr<Elements> d_;
};

// Runs the window until it is closed; with `capture`, saves a picture of it once the places
// are read (the place with the most events listed in the side panel) and returns. Exit code:
// 0, 1 (missing data or damaged base, French message on stderr).
int LanceCarteArbre(const std::string& dossierAtlas, const std::string& base,
                    const std::string& capture);

} // namespace orlavine
