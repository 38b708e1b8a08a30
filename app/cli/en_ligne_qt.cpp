#include "app/cli/en_ligne_qt.h"

#include "app/messages_qt.h"
#include "mapview/attente.h"
#include "mapview/geocodage_en_ligne.h"
#include "mapview/http_synchrone.h"
#include "search/parametres.h"

#include <QCoreApplication>
#include <QSettings>
#include <ostream>

namespace orlavine::cli {

namespace {

// The event loop the requests run in, made on first use: a command that stays offline never
// starts Qt. The name is the windows' one, so that both find the same settings and the same
// cache folder (and its lock file).
void DemarreQt() {
    if (QCoreApplication::instance() != nullptr) return;
    MessagesQtAuJournal("orlavine-cli");
    static int argc = 1;
    static char nom[] = "orlavine-cli";
    static char* argv[] = {nom, nullptr};
    static QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orlavine"));
}

} // namespace

TEnLigneCli EnLigneQt() {
    TEnLigneCli e;
    e.AdresseService = [] {
        DemarreQt();
        return LitParametresGeocodageEnLigne(*OuvreParametres()).Adresse.toStdString();
    };
    e.Transport = [](std::ostream& err) -> std::unique_ptr<geocodeur::ITransportHttp> {
        DemarreQt();
        if (const QString pourquoi = PartageToursGeocodageEnLigne(); !pourquoi.isEmpty())
            err << "orlavine-cli : " << pourquoi.toStdString()
                << " ; l'intervalle d'une seconde ne vaut que pour ce programme.\n";
        return std::make_unique<TTransportHttpQt>();
    };
    e.Attente = [](std::chrono::milliseconds duree) { AttendEnTraitantEvenements(duree); };
    return e;
}

} // namespace orlavine::cli
