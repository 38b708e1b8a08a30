// The commands of orlavine-cli, callable without a process (tests).
#pragma once

#include "atlas/carte_france.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlavine::cli {

// Exit codes.
inline constexpr int SortieOk = 0;
inline constexpr int SortieDonnees = 1; // missing or damaged atlas
inline constexpr int SortieUsage = 2;   // bad command line

struct Options {
    std::string dossierAtlas;
    bool tsv = false;
    std::optional<int> rayonKm;
    std::string commande;
    std::vector<std::string> arguments; // UTF-8, as typed
};

// A whole decimal number between `minimum` and `maximum` in `texte`, put in `valeur`; false
// (and `valeur` untouched) for anything else.
bool LitEntier(const std::string& texte, int minimum, int maximum, int& valeur);

// Reads the command line (without the program name). On a usage error, writes a French
// message to `err` and returns nothing.
std::optional<Options> LitOptions(const std::vector<std::string>& args,
                                  const std::string& dossierParDefaut, std::ostream& err);

// Loads the atlas, or writes the loader's message to `err` and returns null.
std::unique_ptr<TCarteFrance> ChargeAtlas(const std::string& dossier, std::ostream& err);

// Index of the first commune that the text finds, as the search window finds it; -1 if none.
int PremiereCommune(const TCarteFrance& carte, const std::string& texteUtf8);
// All the communes the text finds, as the search window finds them (before its sort).
std::vector<std::uint16_t> Recherche(const TCarteFrance& carte, const std::string& texteUtf8);

// Runs recherche / voisins / distance / info on a loaded atlas; returns the exit code.
int Execute(const Options& options, TCarteFrance& carte, std::ostream& out, std::ostream& err);

struct TEnLigneCli;
struct TCarteArbreCli;

// The whole program: options, atlas, command. `enLigne`: the online search of the base
// commands, when the program has one; `carteArbre`: the drawing of `base carte`, likewise.
int Principal(const std::vector<std::string>& args, const std::string& dossierParDefaut,
              std::ostream& out, std::ostream& err, bool avecCarte = false,
              const TEnLigneCli* enLigne = nullptr, const TCarteArbreCli* carteArbre = nullptr);

void Aide(std::ostream& out, bool avecCarte = false);

} // namespace orlavine::cli
