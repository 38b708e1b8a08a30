#include "app/cli/carte.h"

#include "app/cli/commandes.h"
#include "app/messages_qt.h"
#include "atlas/affichage.h"
#include "atlas/preferences.h"
#include "host/erreur.h"
#include "mapview/frm_france.h"

#include <QApplication>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>

namespace orlavine {

namespace {

constexpr int SortieOk = 0;
constexpr int SortieEchec = 1;
constexpr int SortieUsage = 2;

using cli::LitEntier;

bool LitReel(const std::string& texte, double minimum, double maximum, double& valeur) {
    double v = 0.0;
    const auto [fin, err] = std::from_chars(texte.data(), texte.data() + texte.size(), v);
    if (err != std::errc() || fin != texte.data() + texte.size() || !std::isfinite(v) ||
        v < minimum || v > maximum)
        return false;
    valeur = v;
    return true;
}

std::string Extension(const std::string& chemin) {
    const std::size_t point = chemin.rfind('.');
    const std::size_t barre = chemin.rfind('/');
    if (point == std::string::npos || (barre != std::string::npos && point < barre)) return {};
    std::string e = chemin.substr(point + 1);
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return e;
}

} // namespace

bool LitOptionsCarte(const std::vector<std::string>& args, TOptionsCarte& options,
                     std::string& erreur) {
    bool texteLu = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool avecValeur = a == "--sortie" || a == "--largeur" || a == "--hauteur" ||
                                a == "--zoom" || a == "--rayon";
        if (avecValeur && i + 1 >= args.size()) {
            erreur = "l'option " + a + " attend une valeur.";
            return false;
        }
        if (a == "--sortie") {
            options.Sortie = args[++i];
        } else if (a == "--largeur" || a == "--hauteur") {
            int& cible = a == "--largeur" ? options.Largeur : options.Hauteur;
            if (!LitEntier(args[++i], 16, 10000, cible)) {
                erreur = "valeur invalide pour " + a + " « " + args[i] +
                         " » (un nombre entier de pixels de 16 à 10000).";
                return false;
            }
        } else if (a == "--zoom") {
            if (!LitReel(args[++i], 0.01, 1000.0, options.Zoom)) {
                erreur = "zoom invalide « " + args[i] + " » (un nombre de 0.01 à 1000).";
                return false;
            }
        } else if (a == "--rayon") {
            if (!LitEntier(args[++i], 0, 255, options.RayonKm)) {
                erreur = "rayon invalide « " + args[i] +
                         " » (un nombre entier de kilomètres de 0 à 255).";
                return false;
            }
        } else if (a == "--voisines") {
            options.Voisines = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            erreur = "option inconnue « " + a + " » pour la commande carte.";
            return false;
        } else if (!texteLu) {
            options.Texte = a;
            texteLu = true;
        } else {
            erreur = "la commande carte attend un seul texte de recherche.";
            return false;
        }
    }
    if (!texteLu) {
        erreur = "la commande carte attend le texte d'une commune.";
        return false;
    }
    if (options.Sortie.empty()) {
        erreur = "la commande carte attend --sortie FICHIER.";
        return false;
    }
    const std::string e = Extension(options.Sortie);
    if (e != "png" && e != "bmp" && e != "svg" && e != "pdf") {
        erreur = "le fichier « " + options.Sortie + " » doit finir par .png, .bmp, .svg ou .pdf.";
        return false;
    }
    return true;
}

double ZoomCarteParDefaut(const TOptionsCarte& options) {
    if (!options.Voisines || options.RayonKm <= 0) return 1.2;
    // A radius of r km is r * 0.4 * zoom pixels: the disk spans 80 % of the smaller side.
    const int cote = std::min(options.Largeur, options.Hauteur);
    return 0.4 * cote / (options.RayonKm * 0.4);
}

std::unique_ptr<QApplication> ApplicationHorsEcran() {
    // No display is needed: the picture is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QApplication::instance() != nullptr) return nullptr;
    MessagesQtAuJournal("orlavine-cli");
    static int argc = 1;
    static char nom[] = "orlavine-cli";
    static char* argv[] = {nom, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

int CommandeCarte(const std::vector<std::string>& args, TCarteFrance& carte) {
    TOptionsCarte options;
    std::string erreur;
    if (!LitOptionsCarte(args, options, erreur)) {
        std::cerr << "orlavine-cli : " << erreur << "\nEssayez « orlavine-cli --aide ».\n";
        return SortieUsage;
    }
    const int index = cli::PremiereCommune(carte, options.Texte);
    if (index < 0) {
        std::cerr << "orlavine-cli : aucune commune ne correspond à « " << options.Texte << " ».\n";
        return SortieEchec;
    }

    const auto application = ApplicationHorsEcran();

    // The user's map preferences, as the map window would read them.
    const TPreferencesCarte preferences = LitPreferencesCarte(CheminPrefGraphDefaut());
    const TPreferencesCarte* anciennes = carte.Preferences;
    carte.Preferences = &preferences;

    // The display list of the search window for one town.
    carte.AfficherVoisines = options.Voisines;
    carte.AfficherDisque = true;
    TVillesChoisies villes;
    villes.Ville1 = index;
    villes.RayonKm = options.RayonKm;
    ComposeCommunesAffichees(carte, villes);

    int code = SortieOk;
    {
        TFrmFrance vue(nullptr, &carte);
        vue.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        vue.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        vue.resize(options.Largeur, options.Hauteur);
        vue.show();
        const double zoom = options.Zoom > 0.0 ? options.Zoom : ZoomCarteParDefaut(options);
        vue.ZoomTo(zoom, nullptr, false);
        vue.MajCommunesAffichees();
        vue.CentragePtEcran(carte.PositionCommuneAffichee(carte.IndexCommuneCentree));
        vue.CalculPositionLegende();
        // The picture shows the selected town in its largest blinking phase (red).
        carte.PhaseClignotement = 2;
        try {
            vue.EnregistreGraphique(QString::fromStdString(options.Sortie));
        } catch (const Erreur& e) {
            std::cerr << "orlavine-cli : " << e.what() << "\n";
            code = SortieEchec;
        }
        if (code == SortieOk) {
            const TCommune& c = carte.Communes[static_cast<std::size_t>(index)];
            std::cout << options.Sortie << " : " << Cp1252VersUtf8(TCarteFrance::NomComplet(c))
                      << " (" << c.CodeInsee << "), " << vue.LargeurUtile << " x "
                      << vue.HauteurUtile << ", zoom " << zoom << ", "
                      << carte.CommunesAffichees.size() << " commune(s)\n";
            if (!carte.ToutesCommunesPlacees())
                std::cout << "Certaines communes ne sont pas affichées (place insuffisante).\n";
        }
    }
    carte.Preferences = anciennes;
    return code;
}

} // namespace orlavine
