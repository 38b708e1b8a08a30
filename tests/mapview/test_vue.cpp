// The zoomable view and the map window: coordinates, zoom, animation, legend, hover,
// export, a rendered picture and the toolbar images.
#include "host/erreur.h"
#include "mapview/frm_france.h"
#include "mapview/frm_zoom.h"
#include "mapview/icones.h"
#include "mapview/surface_qt.h"
#include "tests/commun/atlas_essai.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

class VueEssai : public TFrmZoom {
public:
    using TFrmZoom::FormMouseDown;
    using TFrmZoom::FormMouseMove;
    using TFrmZoom::FormMouseUp;
};

class CarteEssai : public TFrmFrance {
public:
    using TFrmFrance::FormMouseMove;
    using TFrmFrance::TFrmFrance;
    void FctInvalidate(const TRect& r) override {
        Invalides.push_back(r);
        TFrmFrance::FctInvalidate(r);
    }
    std::vector<TRect> Invalides;
};

void Montre(QWidget& vue, int w, int h) {
    vue.resize(w, h);
    vue.show();
    QApplication::processEvents();
}

// A view of 400 x 300 over an image of w x h pixels at zoom 1.
void Prepare(TFrmZoom& vue, int w, int h) {
    Montre(vue, 400, 300);
    vue.RectImage = TRect{0, 0, w, h};
    vue.ZoomTo(1.0, nullptr, true);
    QApplication::processEvents();
}

TEST(VueZoom, DecalageDeCentrage) {
    VueEssai vue;
    Prepare(vue, 300, 1000);
    EXPECT_EQ(vue.Decalage.x, 55); // 100 pixels narrower than the view
    EXPECT_EQ(vue.Decalage.y, 0);  // taller than the view
    vue.Centrage = false;
    vue.RectImage = TRect{0, 0, 10, 10};
    vue.CalculOffset();
    EXPECT_EQ(vue.Decalage.x, 55);
}

TEST(VueZoom, ConversionsDeCoordonnees) {
    VueEssai vue;
    Prepare(vue, 2000, 1500);
    vue.RectImage = TRect{-100, 50, 1900, 1550};
    vue.ZoomTo(1.0, nullptr, true);
    vue.FixeScrollPos(TPoint{30, 40});
    ASSERT_EQ(vue.ScrollPos(), (TPoint{30, 40}));
    const TPoint client{12, 7};
    EXPECT_EQ(vue.ChgtRepAbsEcran(vue.ChgtRepEcranAbs(client)), (TPoint{42, 47}));
    EXPECT_EQ(vue.ChgtRepEcranAbs(client), (TPoint{12 + 30 - 100, 7 + 40 + 50}));
    EXPECT_EQ(vue.ChgtRepAbsEcran(TRect{10, 20, 0, 0}), (TRect{100, -50, 110, -30}));
    vue.Zoom = 0.0;
    EXPECT_EQ(vue.ClientToImg(client), (TPoint{42, 47}));
    vue.Zoom = 2.0;
    EXPECT_EQ(vue.ClientToImg(client), (TPoint{21, 24})); // 23.5 rounds to 24
    EXPECT_EQ(vue.ImgToClient(TPoint{21, 24}), (TPoint{12, 8}));
    EXPECT_EQ(vue.SGetClientRect(),
              (TRect{30, 40, 30 + vue.viewport()->width(), 40 + vue.viewport()->height()}));
    vue.UpdateScroll(nullptr);
    EXPECT_EQ(vue.ScrollPos(), (TPoint{30, 40}));
    const TPoint centre{500, 600};
    vue.UpdateScroll(&centre);
    const TPoint q = vue.ChgtRepAbsEcran(centre);
    EXPECT_EQ(vue.ScrollPos(), (TPoint{q.x - 200, q.y - 150}));
}

TEST(VueZoom, GlissementALaSouris) {
    VueEssai vue;
    Prepare(vue, 2000, 1500);
    vue.FixeScrollPos(TPoint{100, 100});
    vue.FormMouseDown(50, 50);
    EXPECT_TRUE(vue.Glissement);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::SizeAllCursor);
    vue.FormMouseMove(60, 50);
    EXPECT_EQ(vue.ScrollPos(), (TPoint{90, 100}));
    vue.FormMouseUp(60, 50);
    EXPECT_FALSE(vue.Glissement);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    vue.FormMouseMove(90, 90); // no button: no panning
    EXPECT_EQ(vue.ScrollPos(), (TPoint{90, 100}));
}

TEST(VueZoom, ZoomFitEtZoomAdjust) {
    VueEssai vue;
    Prepare(vue, 1000, 500);
    EXPECT_DOUBLE_EQ(vue.AdjustedZoom(TRect{0, 0, 100, 100}), 0.1);
    vue.RectImage = TRect{};
    EXPECT_DOUBLE_EQ(vue.AdjustedZoom(), 1.0);
    vue.ZoomAdjust(); // empty image: nothing
    EXPECT_DOUBLE_EQ(vue.Zoom, 1.0);

    vue.RectImage = TRect{0, 0, 1000, 500};
    vue.ZoomTo(2.0, nullptr, true);
    TRect dehors{5000, 5000, 5100, 5100};
    vue.ZoomFit(dehors);
    EXPECT_DOUBLE_EQ(vue.Zoom, 2.0);
    vue.FixeScrollPos(TPoint{0, 0});
    TRect dedans{10, 10, 48, 28}; // grown by 1: 40 x 20
    vue.ZoomFit(dedans);
    const double attendu =
        std::min(vue.viewport()->width() * 2.0 / 40, vue.viewport()->height() * 2.0 / 20);
    EXPECT_DOUBLE_EQ(vue.Zoom, attendu);

    // The image measured at zoom 2 fits the view at 2 x min(ratio of heights, of widths).
    vue.RectImage = TRect{0, 0, 1000, 500};
    vue.ZoomTo(2.0, nullptr, true);
    vue.ZoomAdjust();
    EXPECT_DOUBLE_EQ(vue.Zoom, 2.0 * std::min(300.0 / 500, 400.0 / 1000));
}

class Carte : public ::testing::Test {
protected:
    void SetUp() override {
        FixeCouleurClignotement(0);
        atlas = essai::AtlasEssai();
        atlas->Preferences = &prefs;
        ville = essai::IndexCode(atlas->Communes, "78646");
        atlas->AjouteCommuneAffichee(ville, "", true, true);
        atlas->IndexCommuneCentree = 0;
    }
    TPreferencesCarte prefs;
    std::unique_ptr<TCarteFrance> atlas;
    int ville = -1;
};

TEST_F(Carte, AnimationDuZoomJusquACent) {
    CarteEssai frm(nullptr, atlas.get());
    EXPECT_DOUBLE_EQ(atlas->Zoom, 1.2); // the whole map at first
    EXPECT_EQ(frm.RectImage, atlas->RectCarte);
    QSignalSpy voisines(&frm, &TFrmFrance::OnAfficherVoisines);
    QSignalSpy zooms(&frm, &TFrmFrance::OnZoom);
    frm.ActionZoomVilleExecute();
    ASSERT_TRUE(frm.TimerZoom->isActive());
    int tops = 0;
    while (frm.TimerZoom->isActive() && tops < 1000) {
        frm.TimerZoomTimer();
        ++tops;
    }
    EXPECT_EQ(tops, 48);
    EXPECT_EQ(atlas->Zoom, 100.0);
    EXPECT_EQ(frm.Zoom, 100.0);
    EXPECT_EQ(zooms.count(), 48);
    EXPECT_EQ(voisines.count(), 1);
    EXPECT_TRUE(atlas->AfficherVoisines);
    EXPECT_TRUE(frm.ActionAfficherCommunesVoisines->isChecked());
    // Whole map: fitted to the view, neighbours off.
    frm.ActionZoomCarteEntiereExecute();
    const double entiere = frm.Zoom;
    EXPECT_LE(frm.RectImage.Largeur(), frm.Width()); // not shown: its own size
    EXPECT_LE(frm.RectImage.Hauteur(), frm.Height());
    EXPECT_FALSE(atlas->AfficherVoisines);
    EXPECT_FALSE(frm.ActionAfficherCommunesVoisines->isChecked());
    frm.ActionZoomPlusExecute();
    EXPECT_DOUBLE_EQ(frm.Zoom, entiere * 1.2);
    frm.ActionAfficherDisqueExecute();
    EXPECT_FALSE(atlas->AfficherDisque);
    EXPECT_FALSE(frm.ActionAfficherDisque->isChecked());
}

TEST_F(Carte, ClignotementLimiteAQuinzeSecondes) {
    prefs.Animation15s = true;
    CarteEssai frm(nullptr, atlas.get());
    frm.DemarreAnimation();
    EXPECT_TRUE(frm.TimerAffichageVille->isActive());
    for (int i = 0; i < 75; ++i)
        frm.TimerAffichageVilleTimer();
    ASSERT_EQ(frm.Invalides.size(), 75u);
    EXPECT_EQ(frm.Invalides[0], Grow(atlas->CommunesAffichees[0].RectSymbole, 1, 1));
    frm.TimerAffichageVilleTimer();
    EXPECT_EQ(frm.Invalides.size(), 75u); // the 76th tick invalidates nothing
    frm.ZoomTo(frm.Zoom, nullptr, false); // a zoom restarts the count
    frm.TimerAffichageVilleTimer();
    EXPECT_EQ(frm.Invalides.size(), 76u);

    prefs.Animation15s = false;
    for (int i = 0; i < 100; ++i)
        frm.TimerAffichageVilleTimer();
    EXPECT_EQ(frm.Invalides.size(), 176u);
}

TEST_F(Carte, CentreSansCommuneClignotante) {
    atlas->ViderCommunesAffichees();
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 300, 200);
    frm.ZoomTo(10.0, nullptr, true);
    const TPoint q = frm.ChgtRepAbsEcran(TPoint{0, 0});
    const int x = std::clamp(q.x - frm.Width() / 2, 0, frm.horizontalScrollBar()->maximum());
    const int y = std::clamp(q.y - frm.Height() / 2, 0, frm.verticalScrollBar()->maximum());
    EXPECT_EQ(frm.ScrollPos(), (TPoint{x, y}));
}

TEST_F(Carte, PositionDeLaLegende) {
    CarteEssai frm(nullptr, atlas.get());
    ASSERT_EQ(frm.Ppp(), 96);
    frm.LargeurUtile = 500;
    frm.HauteurUtile = 400;
    const std::pair<int, TPoint> cas[] = {
        {2, TPoint{345, 5}}, {1, TPoint{5, 5}}, {4, TPoint{345, 275}},
        {3, TPoint{5, 275}}, {0, TPoint{0, 0}},
    };
    for (const auto& [position, attendu] : cas) {
        prefs.PositionLegende = position;
        frm.CalculPositionLegende();
        EXPECT_EQ(frm.PointLegende, attendu) << position;
    }
    EXPECT_EQ(frm.PositionLegende(), 0);
}

TEST_F(Carte, SurvolTexteEtTexteInfo) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 400, 300);
    frm.ZoomTo(20.0, nullptr, false);
    frm.CentragePtEcran(atlas->PositionCommuneAffichee(0));
    QSignalSpy textes(&frm, &TFrmFrance::OnTexteSurvol);
    const TPoint p = frm.ChgtRepAbsEcran(atlas->CommunesAffichees[0].Position) - frm.ScrollPos();
    EXPECT_EQ(p, (TPoint{200, 150})); // the middle of the view
    frm.FormMouseMove(p.x + 5, p.y + 5);
    ASSERT_EQ(textes.count(), 1);
    EXPECT_TRUE(textes[0][0].toString().startsWith(QStringLiteral("78646 - Versailles")) ||
                textes[0][0].toString().startsWith(QStringLiteral("78646 - VERSAILLES")))
        << textes[0][0].toString().toStdString();
    EXPECT_EQ(frm.viewport()->cursor().shape(), Qt::PointingHandCursor);
    frm.FormMouseMove(p.x + 6, p.y);
    EXPECT_EQ(textes[1][0].toString(), QString());
    EXPECT_EQ(frm.viewport()->cursor().shape(), Qt::ArrowCursor);
    atlas->TexteInfo = "Versailles \xE0 17 km de Paris";
    frm.FormMouseMove(p.x + 60, p.y);
    EXPECT_EQ(textes[2][0].toString(), QString::fromUtf8("Versailles à 17 km de Paris"));
}

TEST(Impression, LaCarteRemplitLaLargeurOuLaHauteurCentree) {
    // Limited by the width: as wide as the area, centred vertically.
    EXPECT_EQ(RectImpression(600, 400, 4800, 6000), (TRect{0, 1400, 4800, 4600}));
    EXPECT_EQ(RectImpression(600, 400, 1000, 1400), (TRect{0, 366, 1000, 1033}));
    // Limited by the height (a landscape page): as high as the area, centred horizontally.
    EXPECT_EQ(RectImpression(600, 400, 6000, 2000), (TRect{1500, 0, 4500, 2000}));
    // A picture larger than the area shrinks to it.
    EXPECT_EQ(RectImpression(3000, 100, 600, 600), (TRect{0, 290, 600, 310}));
    EXPECT_TRUE(RectImpression(0, 400, 1000, 1000).EstVide());
    EXPECT_TRUE(RectImpression(600, 0, 1000, 1000).EstVide());
    EXPECT_TRUE(RectImpression(600, 400, 0, 1000).EstVide());
}

// A PDF printer at several resolutions, in portrait and landscape: the printed picture
// fills the printable width or height with the view's proportions, centred.
TEST_F(Carte, ImpressionPdfRemplitLaPage) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 600, 400);
    const QSize vue(frm.LargeurUtile, frm.HauteurUtile);
    const double proportions = static_cast<double>(vue.width()) / vue.height();
    QTemporaryDir dossier;
    for (const int ppp : {300, 600, 1200, 2400}) {
        for (const auto sens : {QPageLayout::Portrait, QPageLayout::Landscape}) {
            const QString pdf =
                dossier.filePath(QStringLiteral("carte-%1-%2.pdf").arg(ppp).arg(sens));
            QPrinter imprimante(QPrinter::HighResolution);
            imprimante.setOutputFormat(QPrinter::PdfFormat);
            imprimante.setOutputFileName(pdf);
            imprimante.setResolution(ppp);
            imprimante.setPageSize(QPageSize(QPageSize::A4));
            imprimante.setPageOrientation(sens);
            imprimante.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
            const QRect zone = imprimante.pageLayout().paintRectPixels(imprimante.resolution());
            const TRect r = frm.ImprimeGraphique(imprimante);
            SCOPED_TRACE(pdf.toStdString());
            ASSERT_FALSE(r.EstVide());
            EXPECT_TRUE(r.Largeur() == zone.width() || r.Hauteur() == zone.height());
            EXPECT_LE(r.Largeur(), zone.width());
            EXPECT_LE(r.Hauteur(), zone.height());
            EXPECT_NEAR(static_cast<double>(r.Largeur()) / r.Hauteur(), proportions, 0.01);
            EXPECT_LE(std::abs(r.left - (zone.width() - r.right)), 1);
            EXPECT_LE(std::abs(r.top - (zone.height() - r.bottom)), 1);
            // At least 90 % of the printable width on a portrait page, whatever the dots
            // per inch the printer reports.
            if (sens == QPageLayout::Portrait) {
                EXPECT_GE(r.Largeur() * 10, zone.width() * 9);
            }
            EXPECT_GT(QFileInfo(pdf).size(), 1000);
        }
    }
}

// The drawn area of one real PDF page, rasterised: the picture (on a grey background, to
// tell it from the paper) spans the printable height of a landscape A4 page, centred.
TEST_F(Carte, ImpressionPdfMesureeSurLaPageRasterisee) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) absent";
    CarteEssai frm(nullptr, atlas.get());
    QPalette palette = frm.viewport()->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    palette.setColor(QPalette::Base, QColor(128, 128, 128));
    frm.viewport()->setPalette(palette);
    Montre(frm, 400, 300);           // 4:3, narrower than the landscape printable area
    frm.ZoomTo(0.3, nullptr, false); // the map in the middle, grey all around
    QApplication::processEvents();
    QTemporaryDir dossier;
    const QString pdf = dossier.filePath(QStringLiteral("carte.pdf"));
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(pdf);
    imprimante.setResolution(1200);
    imprimante.setPageSize(QPageSize(QPageSize::A4));
    imprimante.setPageOrientation(QPageLayout::Landscape);
    imprimante.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    ASSERT_FALSE(frm.ImprimeGraphique(imprimante).EstVide());

    QProcess rasterise;
    rasterise.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                               QStringLiteral("-singlefile"), pdf, dossier.filePath("page")});
    ASSERT_TRUE(rasterise.waitForFinished(30000));
    ASSERT_EQ(rasterise.exitCode(), 0) << rasterise.readAllStandardError().toStdString();
    const QImage page(dossier.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    // Landscape A4 at 100 dpi: 1169 x 827 pixels, 10 mm margins of 39 pixels.
    EXPECT_NEAR(page.width(), 1169, 2);
    EXPECT_NEAR(page.height(), 827, 2);
    int gauche = page.width(), droite = -1, haut = page.height(), bas = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 250) {
                gauche = std::min(gauche, x);
                droite = std::max(droite, x);
                haut = std::min(haut, y);
                bas = std::max(bas, y);
            }
    ASSERT_GE(droite, gauche);
    const int largeur = droite - gauche + 1;
    const int hauteur = bas - haut + 1;
    const double marge = 10 / 25.4 * 100;
    EXPECT_NEAR(hauteur, page.height() - 2 * marge, 3); // the whole printable height
    EXPECT_NEAR(static_cast<double>(largeur) / hauteur,
                static_cast<double>(frm.LargeurUtile) / frm.HauteurUtile, 0.02);
    EXPECT_NEAR(gauche, page.width() - 1 - droite, 3); // centred
    EXPECT_NEAR(haut, page.height() - 1 - bas, 3);
}

TEST_F(Carte, ExportSansBarresDeDefilement) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 400, 300);
    frm.ZoomTo(0.5, nullptr, false); // the whole map is smaller than the view: no bars
    QApplication::processEvents();
    QImage image = frm.PlaceImageDansBitmap();
    EXPECT_EQ(image.format(), QImage::Format_RGB16);
    EXPECT_EQ(image.size(), QSize(400, 300));
    frm.ZoomTo(20.0, nullptr, false);
    QApplication::processEvents();
    ASSERT_TRUE(frm.verticalScrollBar()->isVisible());
    EXPECT_EQ(frm.LargeurUtile, 400 - frm.verticalScrollBar()->width());
    image = frm.PlaceImageDansBitmap();
    EXPECT_EQ(image.size(), QSize(frm.LargeurUtile, frm.HauteurUtile));
    EXPECT_EQ(image.size(), frm.viewport()->size());
}

// The save of the picture, by the extension: the window's dialog offers the four types and
// every one is written; an unknown type or folder is refused with the file's name.
TEST_F(Carte, EnregistrementParExtension) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 400, 300);
    frm.ZoomTo(2.0, nullptr, false);
    QApplication::processEvents();
    QTemporaryDir dossier;
    ASSERT_TRUE(dossier.isValid());
    const std::vector<std::pair<QString, QByteArray>> formats = {
        {"c.bmp", "BM"}, {"c.PNG", "\x89PNG"}, {"c.svg", "<?xml"}, {"c.pdf", "%PDF-"}};
    for (const auto& [nom, debut] : formats) {
        const QString chemin = dossier.filePath(nom);
        frm.EnregistreGraphique(chemin);
        QFile fichier(chemin);
        ASSERT_TRUE(fichier.open(QIODevice::ReadOnly)) << nom.toStdString();
        EXPECT_TRUE(fichier.read(16).startsWith(debut)) << nom.toStdString();
    }
    for (const QString& mauvais : {dossier.filePath("c.jpg"), QStringLiteral("/inexistant/c.svg"),
                                   QStringLiteral("/inexistant/c.pdf")}) {
        try {
            frm.EnregistreGraphique(mauvais);
            ADD_FAILURE() << mauvais.toStdString();
        } catch (const Erreur& e) {
            EXPECT_TRUE(QString::fromStdString(e.what()).contains(mauvais)) << e.what();
        }
        EXPECT_FALSE(QFileInfo::exists(mauvais));
    }

    // The dialog lists the four types; it is closed without saving.
    QStringList filtres;
    QTimer::singleShot(0, [&] {
        auto* dialogue = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialogue == nullptr) return;
        filtres = dialogue->nameFilters();
        if (const char* capture = std::getenv("ORLAVINE_CAPTURE_DIALOGUE"))
            dialogue->grab().save(QString::fromLocal8Bit(capture));
        dialogue->reject();
    });
    frm.ActionEnregistrerGraphique->trigger();
    ASSERT_EQ(filtres.size(), 4);
    EXPECT_TRUE(filtres[2].contains("*.svg"));
    EXPECT_TRUE(filtres[3].contains("*.pdf"));
}

// A picture of the map: the blinking symbol, a disk and an outline where they must be.
TEST_F(Carte, RenduDisqueContourEtSymbole) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 600, 500);
    frm.ZoomTo(2.0, nullptr, false);
    QApplication::processEvents();
    atlas->PhaseClignotement = 0;
    QImage image(frm.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        frm.PeintVue(painter);
    }
    auto client = [&](TPoint p) { return frm.ChgtRepAbsEcran(p) - frm.ScrollPos(); };
    auto couleur = [&](TPoint p) { return DepuisQColor(image.pixelColor(p.x, p.y)); };
    // One paint from phase 0 ends in phase 2: the town is green.
    const TPoint ville = client(atlas->CommunesAffichees[0].Position);
    EXPECT_EQ(couleur(ville), 0x008000u);
    // 70 km east: inside the 100 km disk only, whose colour is the 100 km colour.
    const TPoint disque{ville.x + static_cast<int>(70 * 0.4 * 2.0), ville.y};
    EXPECT_EQ(couleur(disque), prefs.Coul100km);
    // 150 km east: outside every disk, on the white land.
    EXPECT_EQ(couleur(TPoint{ville.x + static_cast<int>(150 * 0.4 * 2.0), ville.y}), 0xFFFFFFu);
    // An outline crossing the disks stays black.
    const auto& contour = atlas->Departements[1].ContourEcran.Points;
    ASSERT_FALSE(contour.empty());
    const TPoint sommet = client(contour[1]);
    bool noir = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (couleur(TPoint{sommet.x + dx, sommet.y + dy}) == 0) noir = true;
    EXPECT_TRUE(noir);
    // The legend at the top left corner, framed in black on its background.
    prefs.PositionLegende = 1;
    frm.CalculPositionLegende();
    EXPECT_EQ(frm.PointLegende, (TPoint{5, 5}));
}

// The map sent by e-mail is attached under a name that says what it is.
TEST_F(Carte, LaCarteEnvoyeeParCourrielPorteLeNomDesVilles) {
    CarteEssai frm(nullptr, atlas.get());
    Montre(frm, 400, 300);
    EXPECT_EQ(frm.NomPieceJointe(), "carte-versailles.bmp");
    const int cyr = essai::IndexCode(atlas->Communes, "78545");
    atlas->AjouteCommuneAffichee(cyr, "", true, false);
    atlas->AjouteCommuneAffichee(essai::IndexCode(atlas->Communes, "76351"), "", false, false);
    EXPECT_EQ(frm.NomPieceJointe(), "carte-versailles-saint-cyr-l-ecole.bmp"); // blinking only
    atlas->Communes[static_cast<std::size_t>(cyr)].Nom = "\xC9VRY-SUR-\xC0"
                                                         "A";
    EXPECT_EQ(frm.NomPieceJointe(), "carte-versailles-evry-sur-aa.bmp");
    atlas->ViderCommunesAffichees();
    EXPECT_EQ(frm.NomPieceJointe(), "carte.bmp");

    // The action itself, with no mail program: the saved message holds the picture under
    // that name.
    atlas->AjouteCommuneAffichee(ville, "", true, true);
    QTemporaryDir dossier;
    const QByteArray path = qgetenv("PATH"), donnees = qgetenv("XDG_DATA_HOME"),
                     temporaire = qgetenv("TMPDIR");
    qputenv("PATH", dossier.path().toUtf8()); // no xdg-email there
    qputenv("TMPDIR", dossier.path().toUtf8());
    qputenv("XDG_DATA_HOME", dossier.filePath("donnees").toUtf8());
    QString message;
    QTimer ferme;
    QObject::connect(&ferme, &QTimer::timeout, [&] {
        if (auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = boite->text();
            boite->accept();
        }
    });
    ferme.start(10);
    frm.ActionEnvoyerMailExecute();
    ferme.stop();
    qputenv("PATH", path);
    if (temporaire.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", temporaire);
    if (donnees.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", donnees);
    EXPECT_TRUE(message.contains(QString::fromUtf8("courriel"))) << message.toStdString();
    const QFileInfoList messages =
        QDir(dossier.filePath("donnees/Orlavine")).entryInfoList({"*.eml"}, QDir::Files);
    ASSERT_EQ(messages.size(), 1);
    QFile eml(messages[0].filePath());
    ASSERT_TRUE(eml.open(QIODevice::ReadOnly));
    const QByteArray texte = eml.readAll();
    EXPECT_TRUE(texte.contains("filename=\"carte-versailles.bmp\""))
        << texte.left(800).toStdString();
    EXPECT_TRUE(texte.contains("Content-Type: image/bmp"));
    const QStringList pieces = QDir(dossier.path()).entryList({"orv*"}, QDir::Dirs);
    ASSERT_EQ(pieces.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(dossier.filePath(pieces[0] + "/carte-versailles.bmp")));
}

TEST(Icones, OnzeImagesDessinees) {
    for (int i = 0; i < NombreIcones; ++i) {
        const QIcon icone = IconeCarte(i); // valid SVG that draws something
        ASSERT_FALSE(icone.isNull()) << i;
        const QImage image = icone.pixmap(32, 32).toImage();
        int opaques = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0) ++opaques;
        EXPECT_GT(opaques, 40) << i;
    }
    EXPECT_TRUE(IconeCarte(NombreIcones).isNull());
}

} // namespace
} // namespace orlavine
