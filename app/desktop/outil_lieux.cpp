#include "outil_lieux.h"

#include "app/communes_atlas.h"
#include "app/donnees.h"
#include "geocodeur/geocodeur.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "mapview/geocodage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QThread>
#include <cstdio>
#include <memory>

#ifndef ORLAVINE_DONNEES_DEFAUT
#define ORLAVINE_DONNEES_DEFAUT "data"
#endif

namespace orlavine {

int LanceOutilLieux(const std::string& dossierAtlas, const std::string& chemin,
                    const std::string& capture) {
    try {
        const TCarteFrance carte(dossierAtlas);
        const CommunesAtlas communes(carte);
        const geocodeur::TGeocodeur geocodeur(
            &carte, CheminDonnees("geocodeur/monde.dat",
                                  std::string(ORLAVINE_DONNEES_DEFAUT) + "/geocodeur/monde.dat"));
        geoloc::TRechercheGeocodeur recherche(geocodeur);
        TGeocodageCommunes geocodageCarte(carte);

        TBaseGenealogie base(chemin);
        TGestFichier gestion(base);
        gestion.FicPays.DefinitRecherche(communes.Recherche());
        const geoloc::TServicesLieuxBase services(gestion);
        TParametresOutilLieux params;
        params.FichierMonde = CheminDonnees(
            "monde/monde.bin", std::string(ORLAVINE_DONNEES_DEFAUT) + "/monde/monde.bin");
        params.Atlas = &carte;
        params.Geocodage = &geocodageCarte;
        TFormToolLocation fenetre(gestion, services, &recherche, params);
        if (!capture.empty()) {
            // Nobody answers a dialog during a capture: messages go to the terminal.
            fenetre.MyMessageDlg = [](QMessageBox::Icon, const QString& texte,
                                      QMessageBox::StandardButtons) {
                std::fprintf(stderr, "orlavine : %s\n", texte.toLocal8Bit().constData());
                return QMessageBox::No;
            };
        }
        fenetre.show();
        if (capture.empty()) return QApplication::exec();

        // The list is loaded 600 ms after the window shows; the map settles meanwhile.
        QElapsedTimer t;
        t.start();
        while ((!fenetre.ListeChargee() || t.elapsed() < 1000) && t.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        if (fenetre.ListDisplayPlaces->count() > 0) {
            fenetre.ListDisplayPlaces->setCurrentRow(0);
            fenetre.ListDisplayPlacesClick();
        }
        QCoreApplication::processEvents();
        if (!fenetre.ListeChargee() || !fenetre.grab().save(QString::fromStdString(capture))) {
            std::fprintf(stderr, "orlavine : impossible d'enregistrer l'image « %s ».\n",
                         capture.c_str());
            return 1;
        }
        std::printf("%s\n", capture.c_str());
        return 0;
    } catch (const Erreur& e) {
        std::fprintf(stderr, "orlavine : %s\n", e.what());
        return 1;
    }
}

} // namespace orlavine
