#include "carte_arbre_bureau.h"

#include "app/donnees.h"
#include "atlas/carte_france.h"
#include "capture.h"
#include "genealogie/base.h"
#include "geoloc/ihm/frm_carte_arbre.h"
#include "host/erreur.h"
#include "mapview/attente.h"

#include <QApplication>
#include <cstdio>

#ifndef ORLAVINE_DONNEES_DEFAUT
#define ORLAVINE_DONNEES_DEFAUT "data"
#endif

namespace orlavine {

struct TCarteArbreBureau::Elements {
    Elements(const std::string& dossierAtlas, TBaseGenealogie& base, QWidget* parent)
        : Atlas(dossierAtlas), Fenetre(base, Parametres(Atlas), parent) {
        if (parent) Fenetre.setWindowFlag(Qt::Window);
    }
    static TParametresCarteArbre Parametres(const TCarteFrance& atlas) {
        TParametresCarteArbre p;
        p.FichierMonde = CheminDonnees("monde/monde.bin",
                                       std::string(ORLAVINE_DONNEES_DEFAUT) + "/monde/monde.bin");
        p.Atlas = &atlas;
        return p;
    }
    const TCarteFrance Atlas;
    TFormCarteArbre Fenetre;
};

TCarteArbreBureau::TCarteArbreBureau(const std::string& dossierAtlas, TBaseGenealogie& base,
                                     QWidget* parent)
    : d_(std::make_unique<Elements>(dossierAtlas, base, parent)) {}

TCarteArbreBureau::~TCarteArbreBureau() = default;

TFormCarteArbre& TCarteArbreBureau::Fenetre() {
    return d_->Fenetre;
}

int LanceCarteArbre(const std::string& dossierAtlas, const std::string& chemin,
                    const std::string& capture) {
    try {
        TBaseGenealogie base(chemin);
        base.VerifieAvantUsage();
        TCarteArbreBureau carte(dossierAtlas, base);
        TFormCarteArbre& fenetre = carte.Fenetre();
        if (!capture.empty())
            fenetre.MessageErreur = [](const QString& texte) {
                std::fprintf(stderr, "orlavine : %s\n", texte.toLocal8Bit().constData());
            };
        fenetre.show();
        if (capture.empty()) return QApplication::exec();

        AttendEnTraitantEvenements(std::chrono::seconds(60), [&] { return fenetre.Chargee(); });
        QCoreApplication::processEvents();
        // The side panel shows the place with the most events, as a click on it would.
        (void)fenetre.Vue->Rendu();
        const auto& disques = fenetre.Vue->Page().Disques;
        if (!disques.empty()) fenetre.Selectionne(disques.front().X, disques.front().Y);
        QCoreApplication::processEvents();
        return EnregistreCaptureFenetre(fenetre, fenetre.Chargee(), capture);
    } catch (const Erreur& e) {
        std::fprintf(stderr, "orlavine : %s\n", e.what());
        return 1;
    }
}

} // namespace orlavine
