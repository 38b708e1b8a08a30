#pragma once

#include <stdexcept>
#include <string>

namespace orlavine {

// The one error type of Orlavine. Every layer throws this or a class derived from it; the
// window or the command line catches it at its border and shows what() as is.
// The message is French (UTF-8) and names the file and, when known, the line or record:
//   "arbre.ged", ligne 12 : niveau attendu
class Erreur : public std::runtime_error {
public:
    explicit Erreur(const std::string& message) : std::runtime_error(message) {}
    // `ligne` 0 or less: the file only.
    Erreur(const std::string& fichier, long ligne, const std::string& detail)
        : std::runtime_error(Compose(fichier, ligne, detail)) {}

    static std::string Compose(const std::string& fichier, long ligne, const std::string& detail) {
        std::string m = "\"" + fichier + "\"";
        if (ligne > 0) m += ", ligne " + std::to_string(ligne);
        return m + " : " + detail;
    }
};

} // namespace orlavine
