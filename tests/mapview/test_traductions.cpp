// Qt's own dialogs speak French once the program installs Qt's French catalogue.
#include "mapview/traductions_qt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

QStringList Textes(const QWidget& w) {
    QStringList textes{w.windowTitle()};
    for (const QLabel* l : w.findChildren<QLabel*>())
        textes << l->text();
    for (const QPushButton* b : w.findChildren<QPushButton*>())
        textes << b->text();
    return textes;
}

TEST(TraductionsQt, LesDialoguesDeQtSontEnFrancais) {
    QTemporaryDir vide;
    EXPECT_FALSE(InstalleTraductionsQt(vide.path())); // no catalogue there: stays English
    EXPECT_EQ(QCoreApplication::translate("QColorDialog", "&Basic colors"), "&Basic colors");

    ASSERT_TRUE(InstalleTraductionsQt())
        << "qtbase_fr.qm introuvable : paquet qt6-translations-l10n manquant ?";
    EXPECT_TRUE(InstalleTraductionsQt()); // a second call changes nothing
    EXPECT_EQ(QLocale().language(), QLocale::French);

    QColorDialog couleur;
    const QStringList c = Textes(couleur);
    EXPECT_FALSE(c.contains("&Basic colors")) << c.join(" | ").toStdString();
    EXPECT_FALSE(c.contains("Cancel"));
    EXPECT_TRUE(c.contains(QString::fromUtf8("Couleurs de &base")) ||
                c.contains(QString::fromUtf8("&Couleurs de base")))
        << c.join(" | ").toStdString();

    QFileDialog enregistre(nullptr, "Enregistrement");
    enregistre.setOption(QFileDialog::DontUseNativeDialog);
    enregistre.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList f = Textes(enregistre);
    EXPECT_FALSE(f.contains("File &name:")) << f.join(" | ").toStdString();
    EXPECT_FALSE(f.contains("&Save")) << f.join(" | ").toStdString();
    EXPECT_TRUE(f.contains("&Enregistrer")) << f.join(" | ").toStdString();

    QPrinter imprimante;
    QPrintDialog impression(&imprimante);
    EXPECT_EQ(impression.windowTitle(), "Imprimer") << impression.windowTitle().toStdString();
}

} // namespace
} // namespace orlavine
