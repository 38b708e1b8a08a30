// orlavine-cli base ...: the genealogy base from the command line.
//   base importer FICHIER.ged --base BASE.sqlite [--remplacer]
//   base exporter --base BASE.sqlite SORTIE.ged
//   [--tsv] base lieux --base BASE.sqlite [--filtre localises|non-localises|valides]
//   [--tsv] base geolocaliser --base BASE.sqlite [--filtre ...] [--avec-lieu-dit]
//           [--en-ligne [--service ADRESSE]]
//   base annuler-geolocalisation --base BASE.sqlite
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace orlavine::geocodeur {
class ITransportHttp;
}

namespace orlavine::cli {

// What `base geolocaliser --en-ligne` needs from a program built with the network part.
struct TEnLigneCli {
    // The service named in the user's settings (empty: the public one).
    std::function<std::string()> AdresseService;
    // The sender of the requests, ready to run; null after writing why to the stream.
    std::function<std::unique_ptr<geocodeur::ITransportHttp>(std::ostream& err)> Transport;
    // The wait for a request's turn (empty: the thread sleeps).
    std::function<void(std::chrono::milliseconds)> Attente;
};

// True when the command of the line is "base" (options before it are skipped).
bool EstCommandeBase(const std::vector<std::string>& args);

// Runs it; exit code 0 (done), 1 (bad file or base, French message naming it), 2 (usage).
// `enLigne` null: the program has no online search and --en-ligne is refused.
int CommandeBase(const std::vector<std::string>& args, const std::string& dossierAtlas,
                 std::ostream& out, std::ostream& err, const TEnLigneCli* enLigne = nullptr);

void AideBase(std::ostream& out);

} // namespace orlavine::cli
