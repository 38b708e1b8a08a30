#include "tools/atlas-build/erreur_source.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace orlavine::atlasbuild {

namespace {

std::string Message(const std::filesystem::path& fichier, long ligne, const std::string& detail) {
    std::string m = fichier.string();
    if (ligne > 0) m += ", ligne " + std::to_string(ligne);
    return m + " : " + detail;
}

} // namespace

ErreurSource::ErreurSource(const std::filesystem::path& fichier, long ligne,
                           const std::string& detail)
    : Erreur(Message(fichier, ligne, detail)) {}

std::string LitTexte(const std::filesystem::path& chemin) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(chemin, ec))
        throw ErreurSource(chemin, 0, "fichier absent");
    std::ifstream entree(chemin, std::ios::binary);
    if (!entree) throw ErreurSource(chemin, 0, "fichier illisible");
    std::ostringstream contenu;
    contenu << entree.rdbuf();
    if (entree.bad()) throw ErreurSource(chemin, 0, "erreur de lecture");
    return std::move(contenu).str();
}

long LigneDePosition(std::string_view texte, std::size_t position) {
    position = std::min(position, texte.size());
    return 1 + static_cast<long>(std::count(texte.begin(), texte.begin() + position, '\n'));
}

std::vector<std::size_t> DebutsElementsJson(std::string_view texte, int profondeur) {
    std::vector<std::size_t> debuts;
    int niveau = 0; // nesting depth of the current position
    bool dansChaine = false;
    bool echappe = false;
    bool cible = false; // inside the array we are looking for, at its own level
    bool attendElement = false;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (dansChaine) {
            if (echappe)
                echappe = false;
            else if (c == '\\')
                echappe = true;
            else if (c == '"')
                dansChaine = false;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        const bool auNiveauCible = cible && niveau == profondeur + 1;
        if (auNiveauCible && attendElement && c != ']') {
            debuts.push_back(i);
            attendElement = false;
        }
        if (c == '"') {
            dansChaine = true;
        } else if (c == '[' || c == '{') {
            if (!cible && c == '[' && niveau == profondeur && debuts.empty()) {
                cible = true;
                attendElement = true;
            }
            ++niveau;
        } else if (c == ']' || c == '}') {
            --niveau;
            if (cible && niveau == profondeur) return debuts;
        } else if (c == ',' && auNiveauCible) {
            attendElement = true;
        }
    }
    return debuts;
}

bool LitReel(std::string_view champ, double& valeur) {
    if (champ.empty()) return false;
    const char* debut = champ.data();
    const char* fin = champ.data() + champ.size();
    if (*debut == '+') ++debut;
    const auto [p, ec] = std::from_chars(debut, fin, valeur);
    return ec == std::errc() && p == fin && std::isfinite(valeur);
}

} // namespace orlavine::atlasbuild
