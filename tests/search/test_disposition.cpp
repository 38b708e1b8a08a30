// The window's layout at its minimum, default and a large size, in both modes and on every
// page: no widget cut by its parent or overlapping a neighbour, no text squeezed below its
// size, a map that keeps most of the width, a status text that never resizes anything.
// With ORLAVINE_IMAGES=DIR each checked state is also saved as a PNG picture there.
#include "mapview/frm_france.h"
#include "mapview/frm_pref_carte.h"
#include "search/form_ihm2.h"
#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"
#include "tests/search/atlas_fenetre.h"

#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>

using namespace orlavine;

namespace {

QString Nom(const QWidget* w) {
    QString n = w->objectName();
    if (n.isEmpty()) n = QString::fromLatin1(w->metaObject()->className());
    if (const auto* l = qobject_cast<const QLabel*>(w)) n += " «" + l->text().left(30) + "»";
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        n += " «" + b->text().left(30) + "»";
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) n += " «" + g->title().left(30) + "»";
    return n;
}

// The widgets a layout places, through its nested layouts.
void WidgetsDe(const QLayout* layout, QList<QWidget*>& widgets) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* w = item->widget())
            widgets << w;
        else if (const QLayout* sous = item->layout())
            WidgetsDe(sous, widgets);
    }
}

// A text control smaller than the size its text needs shows it cut.
bool TexteCoupe(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || l->wordWrap() == false) {
            if (l->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) return false;
            return l->width() < l->minimumSizeHint().width() ||
                   l->height() < l->minimumSizeHint().height();
        }
        return l->height() < l->heightForWidth(l->width());
    }
    if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
        qobject_cast<const QLineEdit*>(w) || qobject_cast<const QGroupBox*>(w))
        return w->width() < w->minimumSizeHint().width() ||
               w->height() < w->minimumSizeHint().height();
    return false;
}

// Faults of every laid-out container shown under `racine`.
QStringList Defauts(QWidget* racine) {
    QStringList defauts;
    QList<QWidget*> parents{racine};
    parents += racine->findChildren<QWidget*>();
    for (QWidget* p : parents) {
        if (!p->isVisible() || p->layout() == nullptr) continue;
        QList<QWidget*> enfants;
        WidgetsDe(p->layout(), enfants);
        enfants.removeIf([](const QWidget* w) { return !w->isVisible(); });
        for (int i = 0; i < enfants.size(); ++i) {
            const QWidget* w = enfants[i];
            if (!p->rect().contains(w->geometry())) defauts << Nom(w) + " dépasse de " + Nom(p);
            if (TexteCoupe(w)) defauts << Nom(w) + " est plus petit que son texte";
            for (int j = i + 1; j < enfants.size(); ++j)
                if (w->geometry().intersects(enfants[j]->geometry()))
                    defauts << Nom(w) + " chevauche " + Nom(enfants[j]);
        }
    }
    return defauts;
}

class Disposition : public essai::AtlasFenetre {
protected:
    void SetUp() override {
        essai::EffaceParametres();
        f = std::make_unique<TFormIhm2>();
        f->DossierAtlas = Atlas();
        f->AfficheMessage = [](const QString&) {};
        f->show();
        f->ShowCommuneFrance("versailles");
        f->tiSaisieTimer();
        QApplication::processEvents();
    }

    void Taille(QSize taille) {
        f->resize(taille);
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QTest::qWait(5);
        }
    }

    // Checks the window as it is shown and saves its picture when asked.
    void Verifie(const QString& etat) {
        QApplication::processEvents();
        const QStringList defauts = Defauts(f.get());
        EXPECT_TRUE(defauts.isEmpty())
            << etat.toStdString() << ":\n  " << defauts.join("\n  ").toStdString();
        const QByteArray images = qgetenv("ORLAVINE_IMAGES");
        if (!images.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(images));
            f->grab().save(QDir(QString::fromLocal8Bit(images)).filePath(etat + ".png"));
        }
    }

    std::unique_ptr<TFormIhm2> f;
};

} // namespace

TEST_F(Disposition, EveryPageReadableFromTheMinimumSizeUp) {
    const QSize minimum = f->minimumSize();
    ASSERT_GE(minimum.width(), 600);
    ASSERT_LE(minimum.width(), 1024); // a small laptop screen still holds it
    ASSERT_LE(minimum.height(), 700);
    for (const QSize taille : {minimum, QSize(1027, 687), QSize(1700, 1050)}) {
        Taille(taille);
        EXPECT_EQ(f->size(), taille);
        for (const bool deuxVilles : {false, true}) {
            if (f->sbChoix2Villes->isChecked() != deuxVilles) f->sbChoix2Villes->click();
            QApplication::processEvents();
            for (const int onglet : {0, 1}) { // the preferences' "Carte", then "Couleurs"
                FrmPrefCarte->AdvOfficePager1->setCurrentIndex(onglet);
                for (QWidget* page : {f->tsVilles, f->tsCarteGeo}) {
                    if (deuxVilles && page == f->tsVilles) continue; // hidden in that mode
                    f->pcMain->setCurrentWidget(page);
                    Verifie(QStringLiteral("fenetre-%1x%2-%3-%4-%5")
                                .arg(taille.width())
                                .arg(taille.height())
                                .arg(deuxVilles ? "deux-villes" : "une-ville")
                                .arg(onglet == 0 ? "pref-carte" : "pref-couleurs")
                                .arg(page == f->tsVilles ? "listes" : "carte"));
                }
            }
        }
        // The map keeps most of the room: never narrower than the left panel.
        f->pcMain->setCurrentWidget(f->tsCarteGeo);
        QApplication::processEvents();
        ASSERT_NE(f->FrmFrance, nullptr);
        EXPECT_GE(f->FrmFrance->width(), 380) << taille.width();
        EXPECT_GE(f->FrmFrance->width(), f->PanOption->width()) << taille.width();
        EXPECT_GE(f->FrmFrance->height(), 300) << taille.height();
    }
}

TEST_F(Disposition, TheStatusTextNeverResizesTheWindow) {
    Taille(QSize(1027, 687));
    f->pcMain->setCurrentWidget(f->tsCarteGeo);
    QApplication::processEvents();
    const QSize fenetre = f->size();
    const int statut = f->LabelStatusCarteGeo->width();
    const int gauche = f->PanOption->width();
    f->OnLabelCarteGeo(QString("78646 - VERSAILLES (Yvelines), Préfecture ").repeated(8));
    QApplication::processEvents();
    EXPECT_EQ(f->size(), fenetre);
    EXPECT_EQ(f->LabelStatusCarteGeo->width(), statut);
    EXPECT_EQ(f->PanOption->width(), gauche);
    EXPECT_LE(f->minimumSizeHint().width(), fenetre.width());
    // The same at the minimum size.
    Taille(f->minimumSize());
    const QSize petite = f->size();
    f->OnLabelCarteGeo(QString("Une commune au nom très long ").repeated(12));
    QApplication::processEvents();
    EXPECT_EQ(f->size(), petite);
    Verifie(QStringLiteral("statut-long"));
    // A long selected name in two-town mode does not widen the left panel either.
    f->sbChoix2Villes->click();
    QApplication::processEvents();
    f->zaVilleSel1->setText(QString("SAINT-REMY-EN-BOUZEMONT-SAINT-GENEST-ET-ISSON ").repeated(3));
    QApplication::processEvents();
    EXPECT_EQ(f->size(), petite);
}

TEST_F(Disposition, TheWholeMapFitsTheViewAtEverySize) {
    f->pcMain->setCurrentWidget(f->tsCarteGeo);
    for (const QSize taille : {f->minimumSize(), QSize(1027, 687), QSize(1700, 1050)}) {
        Taille(taille);
        TFrmFrance* carte = f->FrmFrance;
        carte->ActionZoomCarteEntiereExecute();
        QApplication::processEvents();
        const TRect image = carte->RectImage;
        EXPECT_FALSE(carte->horizontalScrollBar()->isVisible()) << taille.width();
        EXPECT_FALSE(carte->verticalScrollBar()->isVisible()) << taille.width();
        EXPECT_LE(image.Largeur(), carte->LargeurUtile);
        EXPECT_LE(image.Hauteur(), carte->HauteurUtile);
        // It fills the view in one direction at least (a few pixels of margin).
        EXPECT_TRUE(image.Largeur() >= carte->LargeurUtile - 24 ||
                    image.Hauteur() >= carte->HauteurUtile - 24)
            << image.Largeur() << "x" << image.Hauteur() << " in " << carte->LargeurUtile << "x"
            << carte->HauteurUtile;
        Verifie(QStringLiteral("carte-entiere-%1x%2").arg(taille.width()).arg(taille.height()));
    }
}

// A small screen: the main window's minimum, title bar included, fits an 800 x 600 screen,
// and the world map page with its panel is readable there.
TEST_F(Disposition, TheMainWindowFitsAnEightHundredBySixHundredScreen) {
    EXPECT_LE(f->minimumSize().width(), 800);
    EXPECT_LE(f->minimumSize().height(), 560);
    EXPECT_LE(f->minimumSizeHint().height(), 560);
    Taille(QSize(800, 560));
    EXPECT_EQ(f->size(), QSize(800, 560));
    SGeoChps lieu;
    lieu.IdPlace = 4;
    lieu.Etat = EtatAdresseTrouvee;
    lieu.Latitude = 43.1;
    lieu.Longitude = 1.7;
    f->SetSGeoChps(&lieu);
    f->ShowMapWorld({});
    Verifie(QStringLiteral("fenetre-800x560-monde"));
    const QRect barre(f->btQuit->mapTo(f.get(), QPoint(0, 0)), f->btQuit->size());
    EXPECT_TRUE(f->rect().contains(barre));
}

// A saved place comes back; one on a screen that is gone, or a size too small to use, is
// ignored; a geometry saved on a larger screen, or partly off this one, is brought inside it.
TEST(PositionFenetre, ASavedGeometryComesBackInsideTheScreen) {
    const AnsiString cle = "Software\\Talvek\\Essai";
    QWidget a, b, c;
    a.resize(640, 480);
    a.move(100, 120);
    EnregPositFenetre(cle, &a, true, true);
    LecturePositFenetre(cle, &b, true, true, false);
    EXPECT_EQ(b.size(), QSize(640, 480));
    EXPECT_EQ(b.pos(), QPoint(100, 120));
    // A place on a screen that is gone and a size too small to use are both ignored.
    OuvreParametres()->setValue("Software/Talvek/Essai/Position", QPoint(50000, 50000));
    OuvreParametres()->setValue("Software/Talvek/Essai/Taille", QSize(20, 10));
    c.resize(300, 200);
    c.move(7, 9);
    LecturePositFenetre(cle, &c, true, true, false);
    EXPECT_EQ(c.size(), QSize(300, 200));
    EXPECT_EQ(c.pos(), QPoint(7, 9));

    QWidget grande;
    grande.resize(3000, 2000);
    grande.move(700, 500);
    EnregPositFenetre("EssaiEcran", &grande, true, true);
    QWidget relue;
    LecturePositFenetre("EssaiEcran", &relue, true, true, false);
    const QRect zone = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(zone.contains(QRect(relue.pos(), relue.size())))
        << relue.x() << "," << relue.y() << " " << relue.width() << "x" << relue.height();
}
