#include "app/cli/carte_arbre.h"

#include "app/cli/carte.h"
#include "app/donnees.h"
#include "atlas/carte_france.h"
#include "geoloc/ihm/carte_arbre_qt.h"
#include "host/erreur.h"
#include "mapview/web_osmaps.h"
#include "monde/dessin.h"

#include <QApplication>
#include <memory>

#ifndef ORLAVINE_MONDE_DEFAUT
#define ORLAVINE_MONDE_DEFAUT "data/monde/monde.bin"
#endif

namespace orlavine::cli {

TCarteArbreCli CarteArbreQt() {
    TCarteArbreCli c;
    c.Ecrit = [](const geoloc::TCarteArbre& carte, const monde::TVueMonde& vue,
                 const std::string& sortie, const std::string& dossierAtlas) {
        const auto application = ApplicationHorsEcran();
        // The world beneath and the departments of France, as the window draws them.
        const std::string fichierMonde = CheminDonnees("monde/monde.bin", ORLAVINE_MONDE_DEFAUT);
        const auto donnees = DonneesMondePartagees(fichierMonde);
        std::unique_ptr<TCarteFrance> atlas;
        try {
            atlas = std::make_unique<TCarteFrance>(dossierAtlas);
        } catch (const std::exception& e) {
            throw Erreur(dossierAtlas, 0, std::string("atlas illisible : ") + e.what());
        }
        monde::TCarteMonde fond(donnees.get(), atlas.get());
        return EnregistreCarteArbre(QString::fromStdString(sortie), carte, vue, &fond);
    };
    return c;
}

} // namespace orlavine::cli
