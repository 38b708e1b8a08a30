// The « Réglages » button of the desktop program: « Services en ligne… » reaches the running
// map and address search at once after OK, and leaves them alone after Annuler.
#include "mapview/geocodage_en_ligne.h"
#include "mapview/tuiles.h"
#include "mapview/web_osmaps.h"
#include "reglages_bureau.h"
#include "search/frm_services_en_ligne.h"
#include "search/parametres.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

// Opens the dialog from the menu and lets `reponse` fill and close it.
void Ouvre(QPushButton* bouton, std::function<void(TFrmServicesEnLigne&)> reponse) {
    QTimer::singleShot(0, [reponse] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFrmServicesEnLigne*>(w); d && d->isVisible())
                return reponse(*d);
        ADD_FAILURE() << "dialogue absent";
    });
    ASSERT_EQ(bouton->menu()->actions().size(), 1);
    QAction* action = bouton->menu()->actions().front();
    ASSERT_EQ(action->text(), QStringLiteral("Services en ligne…"));
    action->trigger();
}

TEST(ReglagesBureau, LesServicesEnLigneSAppliquentSansRedemarrer) {
    const QString precedent = FichierParametresDefini();
    QTemporaryDir dossier;
    DefinirFichierParametres(dossier.filePath(QStringLiteral("reglages.ini")));
    QWidget fenetre;
    auto* carte = new TWebOSMaps(&fenetre);
    TGeocodageEnLigne geocodage(nullptr);
    QPushButton* bouton = BoutonReglages(&fenetre, *carte, geocodage, QStringLiteral("/cache"));
    EXPECT_EQ(bouton->text(), QStringLiteral("Réglages"));

    const auto active = [](TFrmServicesEnLigne& d) {
        d.cbTuiles->setChecked(true);
        d.zeAdresseTuiles->setText(QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"));
        d.cbGeocodage->setChecked(true);
        d.zeAdresseGeocodage->setText(QStringLiteral("http://127.0.0.1:9"));
    };
    Ouvre(bouton, [&](TFrmServicesEnLigne& d) {
        active(d);
        d.Boutons->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(carte->Tuiles().Active());
    EXPECT_EQ(geocodage.Parametres(), TParametresGeocodageEnLigne{});

    Ouvre(bouton, [&](TFrmServicesEnLigne& d) {
        active(d);
        d.Boutons->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(carte->Tuiles().Parametres(),
              (TParametresTuiles{true, QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"),
                                 QStringLiteral("/cache")}));
    EXPECT_EQ(geocodage.Parametres(),
              (TParametresGeocodageEnLigne{true, QStringLiteral("http://127.0.0.1:9")}));

    // Turned off again, from what was stored.
    Ouvre(bouton, [](TFrmServicesEnLigne& d) {
        EXPECT_TRUE(d.cbTuiles->isChecked());
        d.cbTuiles->setChecked(false);
        d.cbGeocodage->setChecked(false);
        d.Boutons->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_FALSE(carte->Tuiles().Active());
    EXPECT_FALSE(geocodage.Parametres().Actif);
    DefinirFichierParametres(precedent);
}

} // namespace
} // namespace orlavine
