#include "outil_lieux.h"

#include "app/communes_atlas.h"
#include "app/donnees.h"
#include "capture.h"
#include "genealogie/cache_geocodage.h"
#include "geocodeur/geocodeur.h"
#include "geocodeur/service_en_ligne.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "geoloc/recherche_en_ligne.h"
#include "mapview/attente.h"
#include "mapview/geocodage.h"
#include "mapview/geocodage_en_ligne.h"
#include "mapview/http_synchrone.h"
#include "mapview/villes_monde.h"
#include "search/parametres.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSettings>
#include <cstdio>
#include <memory>

#ifndef ORLAVINE_DONNEES_DEFAUT
#define ORLAVINE_DONNEES_DEFAUT "data"
#endif

namespace orlavine {

struct TOutilLieux::Elements {
    Elements(const std::string& dossierAtlas, TBaseGenealogie& base, QWidget* parent)
        : Carte(dossierAtlas), Communes(Carte),
          Geocodeur(&Carte,
                    CheminDonnees("geocodeur/monde.dat",
                                  std::string(ORLAVINE_DONNEES_DEFAUT) + "/geocodeur/monde.dat")),
          Recherche(Geocodeur), EnLigne(base, Recherche), GeocodageCarte(Carte), Gestion(base),
          Services(AvecPays(Gestion, Communes)),
          Fenetre(Gestion, Services, EnLigne.Recherche(Recherche),
                  Parametres(Carte, Geocodeur, GeocodageCarte), parent) {
        if (parent) {
            // A window of its own above the main one, which waits meanwhile: the base cannot
            // be closed under the tool while one of its loops processes events.
            Fenetre.setWindowFlag(Qt::Window);
            Fenetre.setWindowModality(Qt::WindowModal);
        }
    }
    // The country file finds communes in the atlas.
    static TGestFichier& AvecPays(TGestFichier& gestion, const CommunesAtlas& communes) {
        gestion.FicPays.DefinitRecherche(communes.Recherche());
        return gestion;
    }
    static TParametresOutilLieux Parametres(const TCarteFrance& carte,
                                            const geocodeur::TGeocodeur& geocodeur,
                                            TGeocodageCommunes& geocodage) {
        TParametresOutilLieux p;
        p.FichierMonde = CheminDonnees("monde/monde.bin",
                                       std::string(ORLAVINE_DONNEES_DEFAUT) + "/monde/monde.bin");
        p.Atlas = &carte;
        p.Geocodage = &geocodage;
        p.Villes = VillesMondePartagees(geocodeur.Monde(), &carte);
        return p;
    }

    // When the user turned the online address search on, the runs ask the service for the
    // places the offline geocoder does not know, with the map's settings, turns and kept
    // answers (in the base).
    struct RechercheEnLigne {
        RechercheEnLigne(TBaseGenealogie& base, geoloc::IRechercheAdresse& horsLigne) {
            const TParametresGeocodageEnLigne p = LitParametresGeocodageEnLigne(*OuvreParametres());
            if (!p.Actif) return;
            Transport = std::make_unique<TTransportHttpQt>();
            Cache = std::make_unique<TCacheGeocodageBase>(base);
            Service = std::make_unique<geocodeur::TServiceNominatim>(
                p.Adresse.toStdString(), *Transport, *Cache, geocodeur::LimiteurNominatim(),
                [](std::chrono::milliseconds d) { AttendEnTraitantEvenements(d); },
                [](const std::string& m) { AddLog("Géocodage en ligne : " + m); });
            EnLigne = std::make_unique<geoloc::TRechercheEnLigne>(*Service, &horsLigne);
        }
        geoloc::IRechercheAdresse* Recherche(geoloc::IRechercheAdresse& horsLigne) {
            return EnLigne ? static_cast<geoloc::IRechercheAdresse*>(EnLigne.get()) : &horsLigne;
        }
        std::unique_ptr<TTransportHttpQt> Transport;
        std::unique_ptr<TCacheGeocodageBase> Cache;
        std::unique_ptr<geocodeur::TServiceNominatim> Service;
        std::unique_ptr<geoloc::TRechercheEnLigne> EnLigne;
    };

    const TCarteFrance Carte;
    const CommunesAtlas Communes;
    const geocodeur::TGeocodeur Geocodeur;
    geoloc::TRechercheGeocodeur Recherche;
    RechercheEnLigne EnLigne;
    TGeocodageCommunes GeocodageCarte;
    TGestFichier Gestion;
    const geoloc::TServicesLieuxBase Services;
    TFormToolLocation Fenetre;
};

TOutilLieux::TOutilLieux(const std::string& dossierAtlas, TBaseGenealogie& base, QWidget* parent)
    : d_(std::make_unique<Elements>(dossierAtlas, base, parent)) {}

TOutilLieux::~TOutilLieux() = default;

TFormToolLocation& TOutilLieux::Fenetre() {
    return d_->Fenetre;
}

int LanceOutilLieux(const std::string& dossierAtlas, const std::string& chemin,
                    const std::string& capture) {
    try {
        TBaseGenealogie base(chemin);
        base.VerifieAvantUsage();
        TOutilLieux outil(dossierAtlas, base);
        TFormToolLocation& fenetre = outil.Fenetre();
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
        AttendEnTraitantEvenements(std::chrono::seconds(60),
                                   [&] { return fenetre.ListeChargee() && t.elapsed() >= 1000; });
        if (fenetre.ListDisplayPlaces->count() > 0) {
            fenetre.ListDisplayPlaces->setCurrentRow(0);
            fenetre.ListDisplayPlacesClick();
        }
        QCoreApplication::processEvents();
        return EnregistreCaptureFenetre(fenetre, fenetre.ListeChargee(), capture);
    } catch (const Erreur& e) {
        std::fprintf(stderr, "orlavine : %s\n", e.what());
        return 1;
    }
}

} // namespace orlavine
