// Errors in the source files of the atlas builder, and the helpers that locate them.
#pragma once

#include "host/erreur.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::atlasbuild {

// A source file is missing or damaged. The message is French (UTF-8) and names the file
// and, when known, the line: "communes.json, ligne 12 : champ « nom » absent".
class ErreurSource : public Erreur {
public:
    ErreurSource(const std::filesystem::path& fichier, long ligne, const std::string& detail);
    explicit ErreurSource(const std::string& message) : Erreur(message) {}
};

// The whole content of a text file; ErreurSource when it is missing or unreadable.
std::string LitTexte(const std::filesystem::path& chemin);

// Line number (from 1) of a byte offset of a text.
long LigneDePosition(std::string_view texte, std::size_t position);

// Byte offsets where the elements of the first array opened at nesting depth `profondeur`
// of a JSON text begin (0: the top-level array; 1: an array value of the top-level object).
// The text need not be valid past that array; used to name the line of a bad element.
std::vector<std::size_t> DebutsElementsJson(std::string_view texte, int profondeur);

// Strict decimal number of the whole field ("45.2", "-1e-3"), locale-independent.
bool LitReel(std::string_view champ, double& valeur);

} // namespace orlavine::atlasbuild
