// orlavine: the desktop program. It plays the host of the main window: opens it on the
// communes page with the bundled atlas, offers an About box, and can save a picture of
// the window for documentation and tests.
//
//   orlavine [--atlas DOSSIER] [TEXTE]
//   orlavine --capture FICHIER.png [--onglet villes|carte] [--atlas DOSSIER] [TEXTE]
//   orlavine --base BASE.sqlite --lieu ID [--lieu-dit TEXTE] [--capture FICHIER.png]
//   orlavine --base BASE.sqlite --outil-lieux [--capture FICHIER.png]
//   orlavine --base BASE.sqlite --carte-arbre [--capture FICHIER.png]
#include "a_propos.h"
#include "app/communes_atlas.h"
#include "app/donnees.h"
#include "app/messages_qt.h"
#include "base_bureau.h"
#include "capture.h"
#include "carte_arbre_bureau.h"
#include "genealogie/services.h"
#include "geocodage_bureau.h"
#include "geocodeur/limiteur.h"
#include "geoloc/hote_base.h"
#include "mapview/attente.h"
#include "mapview/frm_france.h"
#include "mapview/geocodage_en_ligne.h"
#include "mapview/traductions_qt.h"
#include "mapview/tuiles.h"
#include "mapview/villes_monde.h"
#include "mapview/web_osmaps.h"
#include "outil_lieux.h"
#include "reglages_bureau.h"
#include "search/form_ihm2.h"
#include "search/parametres.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef ORLAVINE_ATLAS_DEFAUT
#define ORLAVINE_ATLAS_DEFAUT "data/atlas"
#endif
#ifndef ORLAVINE_MONDE_DEFAUT
#define ORLAVINE_MONDE_DEFAUT "data/monde/monde.bin"
#endif
#ifndef ORLAVINE_GEOCODEUR_DEFAUT
#define ORLAVINE_GEOCODEUR_DEFAUT "data/geocodeur/monde.dat"
#endif

namespace {

struct Options {
    std::string atlas = orlavine::CheminDonnees("atlas", ORLAVINE_ATLAS_DEFAUT);
    std::string base;
    std::string capture;
    std::string onglet;
    std::string texte;
    int lieu = 0; // 0: no place asked for
    std::string lieuDit;
    bool outilLieux = false;
    bool carteArbre = false;
    bool aide = false;
    std::string erreur;
};

void Usage(std::FILE* sortie) {
    std::fputs(
        "Usage : orlavine [--atlas DOSSIER] [--base BASE.sqlite] [TEXTE]\n"
        "        orlavine --capture FICHIER.png [--onglet villes|carte] [--atlas DOSSIER] "
        "[TEXTE]\n"
        "        orlavine --base BASE.sqlite --lieu ID [--lieu-dit TEXTE] [--capture FICHIER.png]\n"
        "        orlavine --base BASE.sqlite --outil-lieux [--capture FICHIER.png]\n"
        "        orlavine --base BASE.sqlite --carte-arbre [--capture FICHIER.png]\n"
        "\n"
        "Ouvre la fenêtre « Localisation » sur la page des communes. TEXTE (par exemple\n"
        "« Versailles » ou « 78646 ») est cherché dans la première ville.\n"
        "\n"
        "  --atlas DOSSIER     dossier des fichiers cc.dat, departement.txt et pointdepii.dat\n"
        "                      (par défaut : " ORLAVINE_ATLAS_DEFAUT ")\n"
        "  --base BASE.sqlite  ouvre cette base généalogique (sinon la dernière ouverte)\n"
        "  FICHIER.ged         importe ce fichier GEDCOM dans une nouvelle base\n"
        "  --outil-lieux       ouvre l'outil de géolocalisation des lieux de la base --base\n"
        "                      (avec --capture : une image une fois la liste chargée)\n"
        "  --carte-arbre       ouvre la carte de l'arbre de la base --base (avec --capture :\n"
        "                      une image une fois les lieux lus, le lieu aux événements les\n"
        "                      plus nombreux décrit)\n"
        "  --capture FICHIER   enregistre une image PNG de la fenêtre, une fois la recherche\n"
        "                      et la carte affichées, puis quitte (fonctionne sans écran)\n"
        "  --onglet NOM        page de droite de la capture : « carte » (par défaut) ou\n"
        "                      « villes »\n"
        "  --lieu ID           ouvre la page « Localiser sur la carte » sur le lieu ID de la\n"
        "                      base ; la capture attend la réponse de la recherche\n"
        "  --lieu-dit TEXTE    le lieu-dit de ce lieu\n"
        "  -h, --aide          affiche cette aide\n",
        sortie);
}

Options LitOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto valeur = [&](std::string& cible) {
            if (i + 1 >= argc) {
                o.erreur = "l'option " + a + " attend une valeur";
                return;
            }
            cible = argv[++i];
        };
        if (a == "-h" || a == "--aide" || a == "--help")
            o.aide = true;
        else if (a == "--atlas")
            valeur(o.atlas);
        else if (a == "--capture")
            valeur(o.capture);
        else if (a == "--base")
            valeur(o.base);
        else if (a == "--onglet")
            valeur(o.onglet);
        else if (a == "--lieu-dit")
            valeur(o.lieuDit);
        else if (a == "--lieu") {
            std::string id;
            valeur(id);
            char* fin = nullptr;
            const long n = id.empty() ? 0 : std::strtol(id.c_str(), &fin, 10);
            if (o.erreur.empty() && (id.empty() || *fin != '\0' || n <= 0 || n > 1000000000))
                o.erreur =
                    "--lieu attend le numéro d'un lieu de la base (1, 2, ...), pas « " + id + " »";
            else
                o.lieu = static_cast<int>(n);
        } else if (a == "--outil-lieux")
            o.outilLieux = true;
        else if (a == "--carte-arbre")
            o.carteArbre = true;
        else if (a.rfind("--", 0) == 0)
            o.erreur = "option inconnue : " + a;
        else if (o.texte.empty())
            o.texte = a;
        else
            o.texte += " " + a;
        if (!o.erreur.empty()) break;
    }
    if (o.erreur.empty() && o.outilLieux && o.base.empty())
        o.erreur = "--outil-lieux attend --base BASE.sqlite";
    if (o.erreur.empty() && o.carteArbre && o.base.empty())
        o.erreur = "--carte-arbre attend --base BASE.sqlite";
    if (o.erreur.empty() && o.carteArbre && o.outilLieux)
        o.erreur = "--carte-arbre et --outil-lieux ne vont pas ensemble";
    if (o.erreur.empty() && !o.onglet.empty() && o.onglet != "villes" && o.onglet != "carte")
        o.erreur = "--onglet attend « villes » ou « carte »";
    if (o.erreur.empty() && !o.lieuDit.empty() && o.lieu == 0)
        o.erreur = "--lieu-dit va avec --lieu";
    return o;
}

bool AffichageDisponible() {
    const char* plateforme = std::getenv("QT_QPA_PLATFORM");
    if (plateforme && *plateforme) return true;
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

int EnregistreCapture(orlavine::TFormIhm2& fenetre, const Options& o) {
    return orlavine::EnregistreCaptureFenetre(fenetre, true, o.capture);
}

// The world map page: waits for the map, for the place's search and its answer, then for the
// map drawn on the place, and saves the window as PNG.
int CaptureMonde(orlavine::TFormIhm2& fenetre, const Options& o, const bool& reponduCarte) {
    const auto* lieu = fenetre.Monde->LieuGeo.get();
    orlavine::AttendEnTraitantEvenements(std::chrono::seconds(20), [&] {
        return fenetre.WebOSMaps->Pret() && !fenetre.TimerMapLoaded->isActive() &&
               (!lieu || lieu->Etat != orlavine::EtatHorsTable || reponduCarte);
    });
    orlavine::AttendEnTraitantEvenements(std::chrono::milliseconds(400));
    return EnregistreCapture(fenetre, o);
}

// Lets the typed search, the lists and the map settle, then saves the window as PNG.
int Capture(orlavine::TFormIhm2& fenetre, const Options& o) {
    using orlavine::TFormIhm2;
    // The typing delay, then the fill of the result list.
    orlavine::AttendEnTraitantEvenements(std::chrono::seconds(5),
                                         [&] { return !fenetre.tiSaisie->isActive(); });
    QCoreApplication::processEvents();
    const bool ville = TFormIhm2::Tag(fenetre.zaVilleSel1) != -1;
    if (o.onglet != "villes") {
        fenetre.pcMain->setCurrentWidget(fenetre.tsCarteGeo);
        QCoreApplication::processEvents();
        if (ville && fenetre.FrmFrance) {
            // Zoom on the town; the animation ends by showing its neighbours.
            fenetre.FrmFrance->ActionZoomVilleExecute();
            orlavine::AttendEnTraitantEvenements(
                std::chrono::seconds(8), [&] { return !fenetre.FrmFrance->TimerZoom->isActive(); });
        }
    }
    orlavine::AttendEnTraitantEvenements(std::chrono::milliseconds(400));
    if (EnregistreCapture(fenetre, o) != 0) return 1;
    // The picture shows the window as it is, but a capture without atlas is a failure.
    return fenetre.ErreurChargement.isEmpty() ? 0 : 1;
}

// Every exception an event handler lets through stops here: the user reads it in French and
// the program goes on, rather than aborting on Qt's complaint.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* cible, QEvent* evenement) override {
        try {
            return QApplication::notify(cible, evenement);
        } catch (const std::exception& e) {
            Signale(QString::fromUtf8(e.what()));
        } catch (...) {
            Signale(QStringLiteral("erreur inconnue"));
        }
        return false;
    }
    // Without anyone to answer a box (captures): the terminal.
    bool SansDialogue = false;

private:
    void Signale(const QString& message) {
        std::fprintf(stderr, "orlavine : %s\n", message.toLocal8Bit().constData());
        if (SansDialogue || signalant_) return;
        signalant_ = true;
        QMessageBox::critical(
            QApplication::activeWindow(), QStringLiteral("Orlavine"),
            QStringLiteral("L'opération n'a pas pu aboutir :\n\n%1").arg(message));
        signalant_ = false;
    }
    bool signalant_ = false;
};

int Principal(const Options& o, TApplication& app);

} // namespace

int main(int argc, char** argv) {
    const Options o = LitOptions(argc, argv);
    if (o.aide) {
        Usage(stdout);
        return 0;
    }
    if (!o.erreur.empty()) {
        std::fprintf(stderr, "orlavine : %s\n\n", o.erreur.c_str());
        Usage(stderr);
        return 2;
    }
    if (!AffichageDisponible()) {
        if (o.capture.empty()) {
            std::fputs("orlavine : aucun écran n'est disponible (ni DISPLAY ni WAYLAND_DISPLAY).\n"
                       "  - pour une image de la fenêtre : orlavine --capture FICHIER.png "
                       "[TEXTE]\n"
                       "  - pour l'atlas en ligne de commande : orlavine-cli --aide\n"
                       "  - ou sous un écran virtuel : xvfb-run orlavine [TEXTE]\n",
                       stderr);
            return 2;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    orlavine::MessagesQtAuJournal("orlavine");
    TApplication app(argc, argv);
    app.SansDialogue = !o.capture.empty();
    try {
        return Principal(o, app);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orlavine : %s\n", e.what());
        return 1;
    }
}

namespace {

int Principal(const Options& o, TApplication&) {
    QApplication::setApplicationName(QStringLiteral("Orlavine"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlavine"));
    // Qt's dialogs (save, print, colour) and standard buttons in French.
    if (!orlavine::InstalleTraductionsQt())
        std::fputs("orlavine : traductions françaises de Qt absentes (paquet "
                   "qt6-translations-l10n) ; les boîtes de dialogue de Qt seront en anglais.\n",
                   stderr);
    // The installed menu entry and icon (share/applications, share/icons) go with the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("orlavine"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("orlavine")));

    if (o.outilLieux) return orlavine::LanceOutilLieux(o.atlas, o.base, o.capture);
    if (o.carteArbre) return orlavine::LanceCarteArbre(o.atlas, o.base, o.capture);

    orlavine::TFormIhm2 fenetre;
    fenetre.DossierAtlas = o.atlas;
    if (!o.capture.empty()) {
        // A capture runs without anyone to answer a dialog: messages go to the terminal.
        fenetre.AfficheMessage = [](const QString& m) {
            std::fprintf(stderr, "orlavine : %s\n", m.toLocal8Bit().constData());
        };
    }

    auto* aPropos = new QPushButton(QStringLiteral("À propos..."), &fenetre);
    fenetre.BarreBoutons->insertWidget(0, aPropos);
    QObject::connect(aPropos, &QPushButton::clicked, &fenetre,
                     [&fenetre] { orlavine::AfficheAPropos(&fenetre); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &fenetre);
    QObject::connect(f1, &QShortcut::activated, &fenetre,
                     [&fenetre] { orlavine::AfficheAPropos(&fenetre); });

    // ---- The world map page: the world file, the offline geocoder, the open base ----
    // The map started loading with the window: its world file is named before the first
    // events run (the atlas's wait form processes them).
    fenetre.WebOSMaps->FixeFichierMonde(
        orlavine::CheminDonnees("monde/monde.bin", ORLAVINE_MONDE_DEFAUT));
    fenetre.InitCommuneFrance(); // the geocoder and the country file answer from the atlas
    std::unique_ptr<orlavine::CommunesAtlas> communes;
    std::unique_ptr<orlavine::geocodeur::TGeocodeur> geocodeur;
    std::unique_ptr<orlavine::IGeocodage> geocodage;
    std::unique_ptr<orlavine::geoloc::TResolveurLieux> resolveur;
    if (fenetre.Carte) {
        communes = std::make_unique<orlavine::CommunesAtlas>(*fenetre.Carte);
        fenetre.WebOSMaps->FixeAtlas(fenetre.Carte.get());
    }
    try {
        geocodeur = std::make_unique<orlavine::geocodeur::TGeocodeur>(
            fenetre.Carte.get(),
            orlavine::CheminDonnees("geocodeur/monde.dat", ORLAVINE_GEOCODEUR_DEFAUT));
        geocodage = std::make_unique<orlavine::TGeocodageHorsLigne>(*geocodeur);
        // The world map page resolves a place of the base as the bulk run does.
        resolveur =
            std::make_unique<orlavine::geoloc::TResolveurLieux>(fenetre.Carte.get(), *geocodeur);
        // The gazetteer's towns abroad on the map, beside the atlas's communes.
        fenetre.WebOSMaps->FixeVilles(
            orlavine::VillesMondePartagees(geocodeur->Monde(), fenetre.Carte.get()));
    } catch (const orlavine::Erreur& e) {
        // Without the world file the map still finds the communes of the atlas.
        std::fprintf(stderr, "orlavine : %s\n", e.what());
        if (fenetre.Carte)
            geocodage = std::make_unique<orlavine::TGeocodageCommunes>(*fenetre.Carte);
    }
    // The online address search, only when the user turned it on in the settings; the
    // offline search answers otherwise and whenever the service fails. Its one request a
    // second is shared with the program's other processes through a file in the cache folder.
    orlavine::TGeocodageEnLigne geocodageEnLigne(geocodage.get());
    geocodageEnLigne.FixeParametres(
        orlavine::LitParametresGeocodageEnLigne(*orlavine::OuvreParametres()));
    if (const QString pourquoi = orlavine::PartageToursGeocodageEnLigne(); !pourquoi.isEmpty())
        std::fprintf(stderr,
                     "orlavine : %s ; l'intervalle d'une seconde ne vaut que pour ce "
                     "programme.\n",
                     pourquoi.toLocal8Bit().constData());
    fenetre.WebOSMaps->FixeGeocodage(&geocodageEnLigne);
    // Online tiles, only when the user turned them on; kept in the cache folder.
    const QString dossierTuiles = [] {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        return cache.isEmpty() ? QString() : QDir(cache).filePath(QStringLiteral("tuiles"));
    }();
    fenetre.WebOSMaps->FixeParametresTuiles(
        orlavine::LitParametresTuiles(*orlavine::OuvreParametres(), dossierTuiles));
    bool reponduCarte = false;
    QObject::connect(fenetre.WebOSMaps, &orlavine::TWebOSMaps::OnMapResultSearchAddress, &fenetre,
                     [&reponduCarte] { reponduCarte = true; });

    // The genealogy base: a menu button, the base named on the command line or the last one.
    std::unique_ptr<orlavine::TGestFichier> gestion;
    std::unique_ptr<orlavine::geoloc::THotePageMondeBase> hote;
    orlavine::BaseBureau base(&fenetre, o.atlas);
    // The online search's answers are kept in the open base.
    orlavine::TCacheGeocodageBureau cacheGeocodage(base);
    geocodageEnLigne.FixeCache(&cacheGeocodage);
    // The world map page works on the base open now.
    auto lieBase = [&] {
        fenetre.FixeServicesLieux(nullptr);
        hote.reset();
        gestion.reset();
        if (!base.Base()) return;
        gestion = std::make_unique<orlavine::TGestFichier>(*base.Base());
        if (communes) gestion->FicPays.DefinitRecherche(communes->Recherche());
        hote = std::make_unique<orlavine::geoloc::THotePageMondeBase>(*gestion);
        hote->FixeResolveur(resolveur.get());
        fenetre.FixeServicesLieux(hote.get());
    };
    fenetre.OnLocalisationSauvee = [&](orlavine::SGeoChps* lieu) {
        if (!hote || !lieu) return;
        try {
            hote->EnregistreLieu(*lieu);
        } catch (const std::exception& e) {
            fenetre.AfficheMessage(QString::fromUtf8(e.what()));
        }
    };
    if (!o.capture.empty())
        base.AfficheMessage = [](const QString& m, bool) {
            std::fprintf(stderr, "orlavine : %s\n", m.toLocal8Bit().constData());
        };
    base.BaseOuverte = [&fenetre, &lieBase](const QString& chemin) {
        lieBase();
        fenetre.setWindowTitle(
            QStringLiteral("Localisation - %1").arg(QFileInfo(chemin).fileName()));
    };
    auto* boutonBase = new QPushButton(QStringLiteral("Base de données"), &fenetre);
    boutonBase->setMenu(base.Menu());
    fenetre.BarreBoutons->insertWidget(1, boutonBase);

    // The online services, turned on or off from the program and applied at once.
    fenetre.BarreBoutons->insertWidget(
        2, orlavine::BoutonReglages(&fenetre, *fenetre.WebOSMaps, geocodageEnLigne, dossierTuiles));
    if (!o.base.empty()) {
        // A base refused (not a base, damaged) has been said; a place of it cannot be opened.
        if (!base.Ouvre(QString::fromLocal8Bit(o.base.c_str())) && o.lieu != 0) return 1;
    } else {
        base.OuvreDerniere();
    }

    // One place of the base on the world map page.
    if (o.lieu != 0) {
        if (!base.Base()) {
            std::fputs("orlavine : --lieu demande une base ouverte (--base BASE.sqlite).\n",
                       stderr);
            return 2;
        }
        const orlavine::TLieu* l = gestion->FicDupli.Lieu(o.lieu);
        if (!l || l->Supprime) {
            std::fprintf(stderr, "orlavine : la base « %s » n'a pas de lieu %d.\n",
                         base.Base()->Chemin().string().c_str(), o.lieu);
            return 1;
        }
        // Opening a place creates nothing: the place and lieu-dit must be an entry of the base.
        if (const std::string raison =
                orlavine::geoloc::RaisonEntreeAbsente(*gestion, o.lieu, o.lieuDit);
            !raison.empty()) {
            std::fprintf(stderr, "orlavine : %s (--lieu-dit).\n", raison.c_str());
            return 1;
        }
        orlavine::SGeoChps lieu;
        lieu.IdPlace = o.lieu;
        lieu.LieuDit = o.lieuDit;
        lieu.Etat = orlavine::EtatHorsTable;
        if (const auto g = base.Base()->Geolocalisation(o.lieu, o.lieuDit);
            g && g->Etat != orlavine::EtatNonLocalise) {
            lieu.Latitude = g->Latitude;
            lieu.Longitude = g->Longitude;
            lieu.Etat = g->Etat;
            lieu.AdresseRech = g->Adresse;
        }
        fenetre.SetSGeoChps(&lieu);
    }

    // A GEDCOM file given (the desktop opens .ged files with the program): import it.
    const QFileInfo gedcom(QString::fromLocal8Bit(o.texte.c_str()));
    const bool importer =
        gedcom.suffix().compare(QStringLiteral("ged"), Qt::CaseInsensitive) == 0 &&
        gedcom.isFile() && o.capture.empty();

    fenetre.show();
    if (o.lieu != 0)
        fenetre.ShowMapWorld({});
    else if (importer)
        QTimer::singleShot(0, &fenetre,
                           [&base, gedcom] { base.Importer(gedcom.absoluteFilePath()); });
    else if (!o.texte.empty())
        fenetre.ShowCommuneFrance(QString::fromLocal8Bit(o.texte.c_str()));
    else
        fenetre.AdvOfficePagerMain->setCurrentWidget(fenetre.PageMapFrance);
    if (o.lieu == 0) fenetre.zeVille1->setFocus();

    if (!o.capture.empty() && o.lieu != 0) return CaptureMonde(fenetre, o, reponduCarte);
    if (!o.capture.empty()) return Capture(fenetre, o);
    return QApplication::exec();
}

} // namespace
