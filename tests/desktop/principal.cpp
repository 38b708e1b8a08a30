// Test entry point: a QApplication on the offscreen platform, with the settings, the
// application data and the preferences of a fresh temporary home.
#include "search/parametres.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir maison;
    const QByteArray racine = maison.path().toUtf8();
    setenv("HOME", racine.constData(), 1);
    setenv("XDG_CONFIG_HOME", (racine + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (racine + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (racine + "/cache").constData(), 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlavine"));
    QApplication::setOrganizationName(QStringLiteral("Orlavine"));
    orlavine::DefinirFichierParametres(maison.filePath(QStringLiteral("parametres.ini")));
    return RUN_ALL_TESTS();
}
