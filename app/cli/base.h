// orlavine-cli base ...: the genealogy base from the command line.
//   base importer FICHIER.ged --base BASE.sqlite [--remplacer]
//   base exporter --base BASE.sqlite SORTIE.ged
//   [--tsv] base lieux --base BASE.sqlite [--filtre localises|non-localises|valides]
//   [--tsv] base geolocaliser --base BASE.sqlite [--filtre ...] [--avec-lieu-dit]
//           [--en-ligne [--service ADRESSE]]
//   base annuler-geolocalisation --base BASE.sqlite
//   [--tsv] base carte --base BASE.sqlite --sortie F.png|F.svg|F.pdf [--largeur L]
//           [--hauteur H] [--france]
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
namespace orlavine::geoloc {
class TCarteArbre;
struct TBilanCarteArbre;
} // namespace orlavine::geoloc
namespace orlavine::monde {
struct TVueMonde;
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

// What `base carte` needs from a program built with the drawing part: writes the tree map
// of `vue` to `sortie` (PNG, BMP, SVG or PDF by its extension) over the world map, with the
// departments of the atlas in `dossierAtlas`. Raises Erreur naming the file that failed.
struct TCarteArbreCli {
    std::function<geoloc::TBilanCarteArbre(const geoloc::TCarteArbre& carte,
                                           const monde::TVueMonde& vue, const std::string& sortie,
                                           const std::string& dossierAtlas)>
        Ecrit;
};

// True when the command of the line is "base" (options before it are skipped).
bool EstCommandeBase(const std::vector<std::string>& args);

// Runs it; exit code 0 (done), 1 (bad file or base, French message naming it), 2 (usage).
// `enLigne` null: the program has no online search and --en-ligne is refused; `carte` null:
// it has no drawing and `base carte` is refused.
int CommandeBase(const std::vector<std::string>& args, const std::string& dossierAtlas,
                 std::ostream& out, std::ostream& err, const TEnLigneCli* enLigne = nullptr,
                 const TCarteArbreCli* carte = nullptr);

void AideBase(std::ostream& out);

} // namespace orlavine::cli
