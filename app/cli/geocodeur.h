// The geocoder's commands of orlavine-cli: "geocoder TEXTE" and "normaliser TEXTE".
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace orlavine::cli {

// Runs the command when it is "geocoder" or "normaliser" and returns its exit code; nothing
// for any other command. Options: --atlas DOSSIER (default `dossierAtlas`), --geocodeur
// FICHIER (default the bundled "monde.dat"), --tsv.
std::optional<int> CommandeGeocodeur(const std::vector<std::string>& args,
                                     const std::string& dossierAtlas, std::ostream& out,
                                     std::ostream& err);

} // namespace orlavine::cli
