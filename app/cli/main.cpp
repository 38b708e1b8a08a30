// orlavine-cli: searches, neighbours and distances of the atlas from the command line.
#include "app/cli/commandes.h"
#include "app/donnees.h"

#include <iostream>
#include <sstream>

#ifdef ORLAVINE_AVEC_CARTE
#include "app/cli/carte.h"
#include "app/cli/carte_arbre.h"
#include "app/cli/en_ligne_qt.h"
#endif

#ifndef ORLAVINE_ATLAS_DEFAUT
#define ORLAVINE_ATLAS_DEFAUT "data/atlas"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string atlas = orlavine::CheminDonnees("atlas", ORLAVINE_ATLAS_DEFAUT);
#ifdef ORLAVINE_AVEC_CARTE
    // Only to route the map command: the usage messages come from Principal below.
    std::ostringstream silence;
    const auto options = orlavine::cli::LitOptions(args, atlas, silence);
    if (options && options->commande == "carte") {
        const auto carte = orlavine::cli::ChargeAtlas(options->dossierAtlas, std::cerr);
        if (!carte) return orlavine::cli::SortieDonnees;
        return CommandeCarte(options->arguments, *carte);
    }
#endif
#ifdef ORLAVINE_AVEC_CARTE
    // The online search of the base commands goes through Qt Network.
    const orlavine::cli::TEnLigneCli enLigne = orlavine::cli::EnLigneQt();
    // The tree map of the base commands is drawn with Qt too.
    const orlavine::cli::TCarteArbreCli carteArbre = orlavine::cli::CarteArbreQt();
    return orlavine::cli::Principal(args, atlas, std::cout, std::cerr, true, &enLigne, &carteArbre);
#else
    return orlavine::cli::Principal(args, atlas, std::cout, std::cerr, false);
#endif
}
