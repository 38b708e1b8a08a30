#include "app/messages_qt.h"

#include "genealogie/services.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace orlavine {

namespace {
const char* programme_ = "orlavine";
}

void MessagesQtAuJournal(const char* programme) {
    programme_ = programme;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& texte) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s : erreur fatale de Qt : %s\n", programme_,
                         texte.toLocal8Bit().constData());
            std::abort();
        }
        AddLog("Qt :", texte.toStdString());
    });
}

} // namespace orlavine
