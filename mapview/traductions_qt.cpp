#include "mapview/traductions_qt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace orlavine {

bool InstalleTraductionsQt(const QString& dossier) {
    static QPointer<QTranslator> installe;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    if (installe) return true;
    const QString ou =
        dossier.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : dossier;
    // Owned by the application: it lives as long as the texts it translates.
    auto* traducteur = new QTranslator(QCoreApplication::instance());
    if (!traducteur->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                          ou)) {
        delete traducteur;
        return false;
    }
    QCoreApplication::installTranslator(traducteur);
    installe = traducteur;
    return true;
}

} // namespace orlavine
