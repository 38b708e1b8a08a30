// The world map control: answers queued after the call, (0, 0) for nothing, clicks, zoom
// and pan, a missing world file, and pictures of the bundled world at three scales.
#include "atlas/carte_france.h"
#include "mapview/geocodage.h"
#include "mapview/web_osmaps.h"
#include "monde/dessin.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/graphique_essai.h"
#include "tests/commun/outils.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

namespace fs = std::filesystem;
const fs::path FichierMonde = ORLAVINE_MONDE_LIVRE;

// A geocoder that answers from a table and counts its calls.
class GeocodageEssai : public IGeocodage {
public:
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& a) override {
        ++Appels;
        if (a == "Versailles") return monde::TPointGeo{48.8049, 2.1204};
        return std::nullopt;
    }
    std::string ChercheLieu(double lat, double) override {
        ++Appels;
        return lat > 48.0 ? "Versailles, 78000, Yvelines, France" : "";
    }
    int Appels = 0;
};

class CarteMondeWidget : public ::testing::Test {
protected:
    void SetUp() override {
        carte.FixeFichierMonde(FichierMonde);
        carte.FixeGeocodage(&geocodage);
        carte.resize(1000, 700);
        carte.show();
        carte.Launch();
        ASSERT_FALSE(carte.Pret()) << "ready inside Launch";
        ASSERT_TRUE(QTest::qWaitFor([this] { return carte.Pret(); }, 5000));
    }
    GeocodageEssai geocodage;
    TWebOSMaps carte;
};

TEST_F(CarteMondeWidget, AnswersArriveAfterTheCallReturns) {
    QSignalSpy adresse(&carte, &TWebOSMaps::OnMapResultSearchAddress);
    QSignalSpy lieu(&carte, &TWebOSMaps::OnMapResultSearchCoordinated);
    carte.ArcGisMapSearchAdress(QStringLiteral("Versailles"));
    carte.ArcGisMapSearchAdress(QStringLiteral("Nulle-Part-sur-Rien"));
    carte.ArcGisMapGetAddress(48.8, 2.12);
    carte.ArcGisMapGetAddress(10.0, 2.12);
    EXPECT_EQ(adresse.count(), 0);
    EXPECT_EQ(lieu.count(), 0);
    EXPECT_EQ(geocodage.Appels, 0) << "searched inside the call";

    ASSERT_TRUE(QTest::qWaitFor([&] { return adresse.count() == 2 && lieu.count() == 2; }, 2000));
    EXPECT_EQ(adresse[0][0].value<QObject*>(), &carte);
    EXPECT_NEAR(adresse[0][1].toDouble(), 48.8049, 1e-9);
    EXPECT_NEAR(adresse[0][2].toDouble(), 2.1204, 1e-9);
    EXPECT_EQ(adresse[1][1].toDouble(), 0.0); // nothing found: (0, 0)
    EXPECT_EQ(adresse[1][2].toDouble(), 0.0);
    EXPECT_EQ(lieu[0][1].toString(), QStringLiteral("Versailles, 78000, Yvelines, France"));
    EXPECT_EQ(lieu[1][1].toString(), QString());
}

TEST_F(CarteMondeWidget, WithoutGeocoderOrWithBadInputEverySearchAnswersNothing) {
    QSignalSpy adresse(&carte, &TWebOSMaps::OnMapResultSearchAddress);
    QSignalSpy lieu(&carte, &TWebOSMaps::OnMapResultSearchCoordinated);
    carte.ArcGisMapSearchAdress(QString());       // empty text: the geocoder is not asked
    carte.ArcGisMapGetAddress(123.0, 500.0);      // out of range
    carte.ArcGisMapGetAddress(std::nan(""), 2.0); // not a number
    carte.FixeGeocodage(nullptr);
    carte.ArcGisMapSearchAdress(QStringLiteral("Versailles"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return adresse.count() == 2 && lieu.count() == 2; }, 2000));
    EXPECT_EQ(geocodage.Appels, 0);
    for (const auto& r : adresse) {
        EXPECT_EQ(r[1].toDouble(), 0.0);
        EXPECT_EQ(r[2].toDouble(), 0.0);
    }
    for (const auto& r : lieu)
        EXPECT_TRUE(r[1].toString().isEmpty());
}

TEST_F(CarteMondeWidget, CentreMovesTheMarkerAndIgnoresBadCoordinates) {
    carte.ArcGisMapCenterAt(43.6047, 1.4442);
    EXPECT_NEAR(carte.Vue().Centre.Latitude, 43.6047, 1e-12);
    EXPECT_TRUE(carte.MarqueurVisible());
    EXPECT_NEAR(carte.Marqueur().Longitude, 1.4442, 1e-12);
    carte.ArcGisMapCenterAt(95.0, 1.0);
    carte.ArcGisMapCenterAt(std::nan(""), 1.0);
    EXPECT_NEAR(carte.Vue().Centre.Latitude, 43.6047, 1e-12);
    const QImage image = carte.grab().toImage();
    // The marker's red at the centre of the map.
    const QColor c = image.pixelColor(500, 350 - 6);
    EXPECT_GT(c.red(), 150);
    EXPECT_LT(c.green(), 100);
}

TEST_F(CarteMondeWidget, ClickReportsThePointAfterTheHandlerAndDragPans) {
    carte.ArcGisMapCenterAt(48.8, 2.3);
    carte.FixeEchelle(1e6);
    QSignalSpy clic(&carte, &TWebOSMaps::OnMapClick);
    const monde::TPointGeo attendu = carte.Vue().VersGeo(600, 300);
    QTest::mouseClick(&carte, Qt::LeftButton, {}, QPoint(600, 300));
    ASSERT_EQ(clic.count(), 1);
    EXPECT_NEAR(clic[0][1].toDouble(), attendu.Latitude, 1e-9);
    EXPECT_NEAR(clic[0][2].toDouble(), attendu.Longitude, 1e-9);
    EXPECT_EQ(clic[0][3].toInt(), 600);
    EXPECT_EQ(clic[0][4].toInt(), 300);
    EXPECT_NEAR(carte.Marqueur().Latitude, attendu.Latitude, 1e-9);

    // The position under the mouse, as the map shows it: latitude first, French decimals.
    QTest::mouseMove(&carte, QPoint(600, 300));
    const monde::TPointGeo sous = carte.Vue().VersGeo(600, 300);
    EXPECT_EQ(carte.TextePositionSouris(),
              QStringLiteral("Lat : %1 , Long : %2")
                  .arg(QString::number(sous.Latitude, 'f', 5).replace('.', ','),
                       QString::number(sous.Longitude, 'f', 5).replace('.', ',')));

    // A drag of (100, 50) pixels: the point that was under (500, 350) is under (600, 400), and
    // no click is reported.
    const monde::TPointGeo avant = carte.Vue().VersGeo(500, 350);
    QTest::mousePress(&carte, Qt::LeftButton, {}, QPoint(500, 350));
    QTest::mouseMove(&carte, QPoint(550, 375));
    QTest::mouseMove(&carte, QPoint(600, 400));
    QTest::mouseRelease(&carte, Qt::LeftButton, {}, QPoint(600, 400));
    EXPECT_EQ(clic.count(), 1);
    const monde::TPointEcran e = carte.Vue().VersEcran(avant);
    EXPECT_NEAR(e.X, 600.0, 1e-6);
    EXPECT_NEAR(e.Y, 400.0, 1e-6);
}

TEST_F(CarteMondeWidget, WheelAndButtonsZoom) {
    carte.FixeEchelle(4e6);
    const double avant = carte.Vue().PixelsParDegre;
    const monde::TPointGeo sous = carte.Vue().VersGeo(700, 200);
    QWheelEvent roue(QPointF(700, 200), carte.mapToGlobal(QPointF(700, 200)), QPoint(),
                     QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&carte, &roue);
    EXPECT_NEAR(carte.Vue().PixelsParDegre, 2.0 * avant, 1e-9);
    // The point under the wheel stays under it.
    const monde::TPointEcran e = carte.Vue().VersEcran(sous);
    EXPECT_NEAR(e.X, 700.0, 1e-6);
    EXPECT_NEAR(e.Y, 200.0, 1e-6);

    // The zoom buttons; the save button is there only once the owner offers it.
    auto boutons = carte.findChildren<QToolButton*>();
    ASSERT_EQ(boutons.removeAll(carte.BoutonEnregistrer()), 1);
    EXPECT_TRUE(carte.BoutonEnregistrer()->isHidden());
    ASSERT_EQ(boutons.size(), 2);
    for (QToolButton* b : boutons) {
        const double p = carte.Vue().PixelsParDegre;
        b->click();
        const double r = carte.Vue().PixelsParDegre / p;
        EXPECT_TRUE(std::abs(r - 2.0) < 1e-9 || std::abs(r - 0.5) < 1e-9) << r;
    }
    // The scale has limits both ways.
    for (int i = 0; i < 60; ++i)
        carte.ZoomeAutour(2.0, 10, 10);
    EXPECT_LE(carte.Vue().PixelsParDegre, monde::TVueMonde::EchelleMax);
    for (int i = 0; i < 60; ++i)
        carte.ZoomeAutour(0.5, 10, 10);
    EXPECT_GE(carte.Vue().PixelsParDegre, monde::TVueMonde::EchelleMin);
}

TEST(CarteMondeSansFichier, IsReadyWithTheMessageAndStillAnswers) {
    TWebOSMaps carte;
    carte.FixeFichierMonde("/nulle/part/monde.bin");
    carte.resize(400, 300);
    carte.Launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Pret(); }, 2000));
    EXPECT_TRUE(carte.Erreur().contains(QStringLiteral("non existant")))
        << carte.Erreur().toStdString();
    QSignalSpy adresse(&carte, &TWebOSMaps::OnMapResultSearchAddress);
    carte.ArcGisMapSearchAdress(QStringLiteral("Paris"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return adresse.count() == 1; }, 2000));
    EXPECT_EQ(adresse[0][1].toDouble(), 0.0);
    // The attribution is drawn all the same.
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter p(&image);
    carte.DessineSur(p, 400, 300);
    EXPECT_FALSE(carte.DernierDessin().RectAttribution.EstVide());
    // Once the file is there, Refresh reads it.
    carte.FixeFichierMonde(FichierMonde);
    carte.Refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Erreur().isEmpty(); }, 5000));
    carte.DessineSur(p, 400, 300);
    EXPECT_GT(carte.DernierDessin().PartiesTerres, 0);
}

TEST(GeocodageCommunes, FindsCommunesByNameAndCodeAndTheNearestOne) {
    auto atlas = essai::AtlasEssai();
    TGeocodageCommunes g(*atlas);
    const auto& c = atlas->Communes;
    const int v = essai::IndexCode(c, "78646"); // Versailles
    ASSERT_GE(v, 0);
    const auto p = g.ChercheAdresse("Versailles, 78000, Yvelines, France");
    ASSERT_TRUE(p.has_value());
    EXPECT_FLOAT_EQ(static_cast<float>(p->Latitude), c[static_cast<std::size_t>(v)].Latitude);
    EXPECT_FALSE(g.ChercheAdresse("Versailles, 13").has_value()) << "wrong department";
    // Articles and case as people write them, the department after a semicolon.
    const auto havre = g.ChercheAdresse("le havre, 76600, Seine-Maritime, FRANCE");
    ASSERT_TRUE(havre.has_value());
    EXPECT_NEAR(havre->Latitude, 49.49663, 1e-4);
    ASSERT_TRUE(g.ChercheAdresse("La Rochelle ; 17").has_value());
    EXPECT_FALSE(g.ChercheAdresse("Havre").has_value()) << "a name is matched whole";
    EXPECT_FALSE(g.ChercheAdresse("").has_value());
    EXPECT_FALSE(g.ChercheAdresse("Atlantide").has_value());
    const std::string lieu = g.ChercheLieu(c[static_cast<std::size_t>(v)].Latitude + 0.001,
                                           c[static_cast<std::size_t>(v)].Longitude);
    EXPECT_EQ(lieu.rfind("Versailles, ", 0), 0u) << lieu;
    EXPECT_EQ(g.ChercheLieu(0.0, -30.0), ""); // mid-ocean
}

// Pictures of the bundled world at 1000 x 700: whole world, Europe, around Paris at about
// 1:1M; written under <build>/captures for a look.
TEST(CarteMondeImages, WorldEuropeAndParis) {
    if (!fs::exists(FichierMonde)) GTEST_SKIP() << "carte du monde absente";
    std::unique_ptr<TCarteFrance> atlas;
    try {
        atlas = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
    } catch (const Erreur&) {
        GTEST_SKIP() << "atlas livré absent";
    }
    TWebOSMaps carte;
    carte.FixeFichierMonde(FichierMonde);
    carte.FixeAtlas(atlas.get());
    carte.resize(1000, 700);
    carte.Launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Pret(); }, 5000));
    ASSERT_TRUE(carte.Erreur().isEmpty()) << carte.Erreur().toStdString();
    fs::create_directories(ORLAVINE_CAPTURES);
    const auto rend = [&](const char* nom) {
        QImage image(1000, 700, QImage::Format_RGB32);
        QPainter p(&image);
        carte.DessineSur(p, 1000, 700);
        p.end();
        image.save(QString::fromStdString((fs::path(ORLAVINE_CAPTURES) / nom).string()));
        return image;
    };
    const auto couleur = [](const QImage& i, const monde::TVueMonde& v, double lat, double lon) {
        const monde::TPointEcran e = v.VersEcran({lat, lon});
        return i.pixel(static_cast<int>(e.X), static_cast<int>(e.Y)) & 0xFFFFFFu;
    };
    const QRgb mer = qRgb(170, 211, 223) & 0xFFFFFFu, terre = qRgb(242, 239, 233) & 0xFFFFFFu;

    carte.Englobe(-60, -180, 80, 180);
    QImage monde = rend("monde.png");
    EXPECT_EQ(carte.DernierDessin().Detail, monde::Niveau::Monde110M);
    EXPECT_EQ(couleur(monde, carte.Vue(), 30.0, -40.0), mer);
    EXPECT_EQ(couleur(monde, carte.Vue(), 60.0, 100.0), terre); // Siberia
    EXPECT_EQ(carte.DernierDessin().Communes, 0);

    // Centred on the 180th meridian: the world continues on both sides.
    carte.ArcGisMapCenterAt(0.0, 180.0);
    carte.FixeEchelle(1.2e8);
    QImage pacifique = rend("pacifique.png");
    EXPECT_EQ(couleur(pacifique, carte.Vue(), 64.0, 170.0), terre); // Chukotka, west of 180
    EXPECT_EQ(couleur(pacifique, carte.Vue(), 64.0, 205.0), terre); // Alaska, east of it
    EXPECT_EQ(couleur(pacifique, carte.Vue(), 0.0, 210.0), mer);
    EXPECT_TRUE(carte.DernierDessin().MarqueurDessine);

    carte.Englobe(35, -12, 60, 30);
    QImage europe = rend("europe.png");
    EXPECT_EQ(carte.DernierDessin().Detail, monde::Niveau::Monde50M);
    EXPECT_EQ(couleur(europe, carte.Vue(), 45.0, -15.0), mer);
    EXPECT_GT(carte.DernierDessin().Frontieres, 20);

    carte.ArcGisMapCenterAt(48.8566, 2.3522);
    carte.FixeEchelle(1e6);
    QImage paris = rend("paris.png");
    EXPECT_EQ(carte.DernierDessin().Detail, monde::Niveau::Monde10M);
    EXPECT_GT(carte.DernierDessin().Communes, 300);
    EXPECT_GT(carte.DernierDessin().Libelles, 20);
    EXPECT_GT(carte.DernierDessin().Departements, 5);
    EXPECT_TRUE(carte.DernierDessin().MarqueurDessine);
}

// The view saved as PNG, SVG and PDF through the screen's drawing: the labels stay text, the
// SVG and the PDF page draw what the PNG shows; a bad name or folder raises and writes nothing.
TEST(CarteMondeImages, SavedAsPngSvgAndPdf) {
    if (!fs::exists(FichierMonde)) GTEST_SKIP() << "carte du monde absente";
    std::unique_ptr<TCarteFrance> atlas;
    try {
        atlas = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_LIVRE);
    } catch (const Erreur&) {
        GTEST_SKIP() << "atlas livré absent";
    }
    TWebOSMaps carte;
    carte.FixeFichierMonde(FichierMonde);
    carte.FixeAtlas(atlas.get());
    carte.resize(800, 600);
    carte.show();
    carte.Launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return carte.Pret(); }, 5000));
    ASSERT_TRUE(carte.Erreur().isEmpty()) << carte.Erreur().toStdString();
    carte.ArcGisMapCenterAt(48.8049, 2.1204); // Versailles
    carte.FixeEchelle(1e6);

    const test::DossierTemporaire temporaire;
    const fs::path& dossier = temporaire.Chemin();
    const auto sortie = [&](const char* extension) {
        return dossier / (std::string("versailles.") + extension);
    };
    for (const char* extension : {"png", "svg", "pdf"}) {
        carte.EnregistreCarte(QString::fromStdString(sortie(extension).string()));
        ASSERT_TRUE(fs::exists(sortie(extension))) << extension;
    }
    const int libelles = carte.DernierDessin().Libelles;
    EXPECT_GT(libelles, 20);
    const QImage png(QString::fromStdString(sortie("png").string()));
    ASSERT_EQ(png.size(), QSize(800, 600));
    // Kept under <build>/captures for a look.
    fs::create_directories(ORLAVINE_CAPTURES);
    for (const char* extension : {"png", "svg", "pdf"})
        fs::copy_file(sortie(extension),
                      fs::path(ORLAVINE_CAPTURES) / (std::string("carte-monde.") + extension),
                      fs::copy_options::overwrite_existing);

    // Every label is a text element, as written on the map, and so are the credits.
    const QString svg = QString::fromStdString(sortie("svg").string());
    const std::vector<QString> textes = test::TextesSvg(svg);
    EXPECT_GE(static_cast<int>(textes.size()), libelles);
    const auto contient = [&](const QString& texte) {
        return std::any_of(textes.begin(), textes.end(),
                           [&](const QString& t) { return t.trimmed() == texte; });
    };
    for (const char* nom : {"Versailles", "Paris", "Saint-Germain-en-Laye", "Évry-Courcouronnes"})
        EXPECT_TRUE(contient(QString::fromUtf8(nom))) << nom;
    EXPECT_TRUE(std::any_of(textes.begin(), textes.end(),
                            [](const QString& t) { return t.startsWith("Données : "); }));
    QSvgRenderer lecteur(svg);
    ASSERT_TRUE(lecteur.isValid());
    EXPECT_EQ(lecteur.viewBox(), QRect(0, 0, 800, 600));
    QImage rendu(png.size(), QImage::Format_RGB32);
    rendu.fill(Qt::white);
    {
        QPainter painter(&rendu);
        lecteur.render(&painter);
    }
    // Qt's SVG reader lays the glyphs out again, a pixel aside here and there: on a map this
    // dense in labels the drawing is compared a quarter of its size.
    const double ecartSvg = test::EcartMoyen(rendu, png, 4);
    RecordProperty("ecart_svg", std::to_string(ecartSvg));
    EXPECT_LT(ecartSvg, 4.0);

    // Bad names and a missing folder: the message names the file, nothing is written.
    for (const fs::path& mauvais :
         {dossier / "carte.jpg", dossier / "carte.bmp", dossier / "carte",
          dossier / "absent" / "carte.png", dossier / "absent" / "carte.svg",
          dossier / "absent" / "carte.pdf"}) {
        const std::string message = test::MessageDe<Erreur>(
            [&] { carte.EnregistreCarte(QString::fromStdString(mauvais.string())); });
        EXPECT_TRUE(test::Contient(message, mauvais.string()));
        EXPECT_FALSE(fs::exists(mauvais));
    }

    // The PDF page, rasterised at the screen's resolution, is the PNG up to antialiasing.
    if (!test::PdftoppmPresent()) GTEST_SKIP() << "pdftoppm absent : PDF non comparé";
    const QImage page = test::RasterisePdf(sortie("pdf"), dossier);
    ASSERT_EQ(page.size(), png.size());
    const double ecartPdf = test::EcartMoyen(page, png);
    RecordProperty("ecart_pdf", std::to_string(ecartPdf));
    EXPECT_LT(ecartPdf, 4.0);
}

} // namespace
} // namespace orlavine
