// orlavine-cli base ...: the genealogy base from the command line.
//   base importer FICHIER.ged --base BASE.sqlite [--remplacer]
//   base exporter --base BASE.sqlite SORTIE.ged
//   [--tsv] base lieux --base BASE.sqlite [--filtre localises|non-localises|valides]
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orlavine::cli {

// True when the command of the line is "base" (options before it are skipped).
bool EstCommandeBase(const std::vector<std::string>& args);

// Runs it; exit code 0 (done), 1 (bad file or base, French message naming it), 2 (usage).
int CommandeBase(const std::vector<std::string>& args, const std::string& dossierAtlas,
                 std::ostream& out, std::ostream& err);

void AideBase(std::ostream& out);

} // namespace orlavine::cli
