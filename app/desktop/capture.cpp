#include "capture.h"

#include "host/erreur.h"
#include "mapview/graphique_vectoriel.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

namespace orlavine {

int EnregistreCaptureFenetre(QWidget& fenetre, bool prete, const std::string& chemin) {
    try {
        if (!prete) throw Erreur(chemin, 0, "la fenêtre n'a pas fini de se charger.");
        EnregistreImage(fenetre.grab().toImage(), QString::fromStdString(chemin),
                        FormatGraphique::Png);
    } catch (const Erreur& e) {
        std::fprintf(stderr, "orlavine : impossible d'enregistrer l'image : %s\n", e.what());
        return 1;
    }
    std::printf("%s\n", chemin.c_str());
    return 0;
}

} // namespace orlavine
