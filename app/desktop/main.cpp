// orlavine: the desktop program. It plays the host of the main window: opens it on the
// communes page with the bundled atlas, offers an About box, and can save a picture of
// the window for documentation and tests.
//
//   orlavine [--atlas DOSSIER] [TEXTE]
//   orlavine --capture FICHIER.png [--onglet villes|carte] [--atlas DOSSIER] [TEXTE]
//   orlavine --base BASE.sqlite --outil-lieux [--capture FICHIER.png]
#include "a_propos.h"
#include "app/donnees.h"
#include "base_bureau.h"
#include "mapview/frm_france.h"
#include "mapview/traductions_qt.h"
#include "outil_lieux.h"
#include "search/form_ihm2.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef ORLAVINE_ATLAS_DEFAUT
#define ORLAVINE_ATLAS_DEFAUT "data/atlas"
#endif

namespace {

struct Options {
    std::string atlas = orlavine::CheminDonnees("atlas", ORLAVINE_ATLAS_DEFAUT);
    std::string base;
    std::string capture;
    std::string onglet;
    std::string texte;
    bool outilLieux = false;
    bool aide = false;
    std::string erreur;
};

void Usage(std::FILE* sortie) {
    std::fputs(
        "Usage : orlavine [--atlas DOSSIER] [--base BASE.sqlite] [TEXTE]\n"
        "        orlavine --capture FICHIER.png [--onglet villes|carte] [--atlas DOSSIER] "
        "[TEXTE]\n"
        "        orlavine --base BASE.sqlite --outil-lieux [--capture FICHIER.png]\n"
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
        "  --capture FICHIER   enregistre une image PNG de la fenêtre, une fois la recherche\n"
        "                      et la carte affichées, puis quitte (fonctionne sans écran)\n"
        "  --onglet NOM        page de droite de la capture : « carte » (par défaut) ou\n"
        "                      « villes »\n"
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
        else if (a == "--outil-lieux")
            o.outilLieux = true;
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
    if (o.erreur.empty() && !o.onglet.empty() && o.onglet != "villes" && o.onglet != "carte")
        o.erreur = "--onglet attend « villes » ou « carte »";
    return o;
}

bool AffichageDisponible() {
    const char* plateforme = std::getenv("QT_QPA_PLATFORM");
    if (plateforme && *plateforme) return true;
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

// Runs the event loop until `fini` holds or `ms` have gone by.
template <typename F>
void AttendreQue(F fini, int ms) {
    QElapsedTimer t;
    t.start();
    while (!fini() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Lets the typed search, the lists and the map settle, then saves the window as PNG.
int Capture(orlavine::TFormIhm2& fenetre, const Options& o) {
    using orlavine::TFormIhm2;
    // The typing delay, then the fill of the result list.
    AttendreQue([&] { return !fenetre.tiSaisie->isActive(); }, 5000);
    QCoreApplication::processEvents();
    const bool ville = TFormIhm2::Tag(fenetre.zaVilleSel1) != -1;
    if (o.onglet != "villes") {
        fenetre.pcMain->setCurrentWidget(fenetre.tsCarteGeo);
        QCoreApplication::processEvents();
        if (ville && fenetre.FrmFrance) {
            // Zoom on the town; the animation ends by showing its neighbours.
            fenetre.FrmFrance->ActionZoomVilleExecute();
            AttendreQue([&] { return !fenetre.FrmFrance->TimerZoom->isActive(); }, 8000);
        }
    }
    AttendreQue([] { return false; }, 400);
    const QPixmap image = fenetre.grab();
    const QString chemin = QString::fromStdString(o.capture);
    if (image.isNull() || !image.save(chemin, "PNG")) {
        std::fprintf(stderr, "orlavine : impossible d'enregistrer l'image « %s ».\n",
                     o.capture.c_str());
        return 1;
    }
    std::printf("%s\n", o.capture.c_str());
    // The picture shows the window as it is, but a capture without atlas is a failure.
    return fenetre.ErreurChargement.isEmpty() ? 0 : 1;
}

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

    QApplication app(argc, argv);
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

    // The genealogy base: a menu button, the base named on the command line or the last one.
    orlavine::BaseBureau base(&fenetre, o.atlas);
    if (!o.capture.empty())
        base.AfficheMessage = [](const QString& m, bool) {
            std::fprintf(stderr, "orlavine : %s\n", m.toLocal8Bit().constData());
        };
    base.BaseOuverte = [&fenetre](const QString& chemin) {
        fenetre.setWindowTitle(
            QStringLiteral("Localisation - %1").arg(QFileInfo(chemin).fileName()));
    };
    auto* boutonBase = new QPushButton(QStringLiteral("Base de données"), &fenetre);
    boutonBase->setMenu(base.Menu());
    fenetre.BarreBoutons->insertWidget(1, boutonBase);
    if (!o.base.empty())
        base.Ouvre(QString::fromLocal8Bit(o.base.c_str()));
    else
        base.OuvreDerniere();

    // A GEDCOM file given (the desktop opens .ged files with the program): import it.
    const QFileInfo gedcom(QString::fromLocal8Bit(o.texte.c_str()));
    const bool importer =
        gedcom.suffix().compare(QStringLiteral("ged"), Qt::CaseInsensitive) == 0 &&
        gedcom.isFile() && o.capture.empty();

    fenetre.show();
    if (importer)
        QTimer::singleShot(0, &fenetre,
                           [&base, gedcom] { base.Importer(gedcom.absoluteFilePath()); });
    else if (!o.texte.empty())
        fenetre.ShowCommuneFrance(QString::fromLocal8Bit(o.texte.c_str()));
    else
        fenetre.AdvOfficePagerMain->setCurrentWidget(fenetre.PageMapFrance);
    fenetre.zeVille1->setFocus();

    if (!o.capture.empty()) return Capture(fenetre, o);
    return QApplication::exec();
}
