// The map command: its options and the picture it writes.
#include "app/cli/carte.h"
#include "host/chaines.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/outils.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

TEST(CommandeCarte, OptionsRefusees) {
    const std::vector<std::vector<std::string>> mauvaises = {
        {},
        {"VERSAILLES"},
        {"VERSAILLES", "--sortie"},
        {"VERSAILLES", "--sortie", "x.jpg"},
        {"VERSAILLES", "--sortie", "x.svgz"},
        {"VERSAILLES", "--sortie", "x.png", "--largeur", "0"},
        {"VERSAILLES", "--sortie", "x.png", "--zoom", "abc"},
        {"VERSAILLES", "--sortie", "x.png", "--rayon", "-3"},
        {"VERSAILLES", "PARIS", "--sortie", "x.png"},
        {"VERSAILLES", "--sortie", "x.png", "--inconnue"},
    };
    for (const auto& args : mauvaises) {
        TOptionsCarte options;
        std::string erreur;
        EXPECT_FALSE(LitOptionsCarte(args, options, erreur)) << args.size();
        EXPECT_FALSE(erreur.empty());
    }
    TOptionsCarte options;
    std::string erreur;
    ASSERT_TRUE(
        LitOptionsCarte({"le chesnay", "--sortie", "/tmp/a.PNG", "--largeur", "640", "--hauteur",
                         "480", "--zoom", "2.5", "--rayon", "12", "--voisines"},
                        options, erreur));
    EXPECT_EQ(options.Texte, "le chesnay");
    EXPECT_EQ(options.Largeur, 640);
    EXPECT_EQ(options.Hauteur, 480);
    EXPECT_DOUBLE_EQ(options.Zoom, 2.5);
    EXPECT_EQ(options.RayonKm, 12);
    EXPECT_TRUE(options.Voisines);
    // With the neighbours, the radius disk spans 80 % of the smaller side.
    EXPECT_DOUBLE_EQ(ZoomCarteParDefaut(options), 0.4 * 480 / (12 * 0.4));
    options.Voisines = false;
    EXPECT_DOUBLE_EQ(ZoomCarteParDefaut(options), 1.2);
}

TEST(CommandeCarte, ImageDeLaVilleAvecSesVoisines) {
    const test::DossierTemporaire temporaire;
    const auto& dossier = temporaire.Chemin();
    setenv("XDG_DATA_HOME", dossier.c_str(), 1); // no user preferences
    auto carte = essai::AtlasEssai();
    const char* demande = std::getenv("ORLAVINE_IMAGE_ESSAI");
    const std::string sortie = demande ? demande : (dossier / "v.png").string();
    ASSERT_EQ(
        CommandeCarte({"VERSAILLES", "--rayon", "12", "--voisines", "--sortie", sortie}, *carte),
        0);
    QImage image(QString::fromStdString(sortie));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 1000);
    EXPECT_EQ(image.height(), 700);
    // The town is in the middle, drawn red (its largest phase).
    const int v = essai::IndexCode(carte->Communes, "78646");
    ASSERT_GE(v, 0);
    const QColor centre = image.pixelColor(500, 350);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 40);
    EXPECT_LT(centre.blue(), 40);
    // The neighbours within the radius are on the map, right after the town.
    const auto& versailles = carte->Communes[static_cast<std::size_t>(v)];
    const auto n = static_cast<std::size_t>(std::count_if(versailles.DistancesVoisins.begin(),
                                                          versailles.DistancesVoisins.end(),
                                                          [](int d) { return d <= 12; }));
    ASSERT_GT(n, 5u);
    ASSERT_GT(carte->CommunesAffichees.size(), n);
    EXPECT_EQ(carte->CommunesAffichees[0].IndexCommune, v);
    for (std::size_t k = 0; k < n; ++k)
        EXPECT_EQ(carte->CommunesAffichees[k + 1].IndexCommune, versailles.Voisins[k]);

    // BMP by the extension; nothing found: no file, exit 1.
    const auto bmp = dossier / "v.bmp";
    EXPECT_EQ(
        CommandeCarte({"PARIS", "--sortie", bmp.string(), "--largeur", "300", "--hauteur", "200"},
                      *carte),
        0);
    EXPECT_EQ(QImage(QString::fromStdString(bmp.string())).width(), 300);
    EXPECT_EQ(CommandeCarte({"ZZZZ", "--sortie", (dossier / "z.png").string()}, *carte), 1);
    EXPECT_FALSE(std::filesystem::exists(dossier / "z.png"));
    EXPECT_EQ(CommandeCarte({"PARIS", "--sortie", "/nonexistent-dir/x.png"}, *carte), 1);
    unsetenv("XDG_DATA_HOME");
}

// The texts of the <text> elements of an SVG file, which must parse to the end.
std::vector<QString> TextesSvg(const QString& chemin) {
    QFile fichier(chemin);
    EXPECT_TRUE(fichier.open(QIODevice::ReadOnly)) << chemin.toStdString();
    QXmlStreamReader xml(&fichier);
    std::vector<QString> textes;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
            textes.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements));
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return textes;
}

// Mean absolute difference per channel of two pictures of the same size, from 0 to 255.
double EcartMoyen(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double somme = 0.0;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, j);
            const QRgb q = y.pixel(i, j);
            somme += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    return somme / (3.0 * x.width() * x.height());
}

// The same view as PNG, SVG and PDF: the vector files hold the labels as text and draw
// what the pixels show.
TEST(CommandeCarte, CarteVectorielleSvgEtPdf) {
    const test::DossierTemporaire temporaire;
    const auto& dossier = temporaire.Chemin();
    setenv("XDG_DATA_HOME", dossier.c_str(), 1); // no user preferences
    auto carte = essai::AtlasEssai();
    const auto sortie = [&](const char* extension) {
        return (dossier / (std::string("v.") + extension)).string();
    };
    for (const char* extension : {"png", "svg", "pdf"})
        ASSERT_EQ(CommandeCarte({"VERSAILLES", "--rayon", "12", "--voisines", "--largeur", "800",
                                 "--hauteur", "600", "--sortie", sortie(extension)},
                                *carte),
                  0)
            << extension;
    const QImage png(QString::fromStdString(sortie("png")));
    ASSERT_EQ(png.size(), QSize(800, 600));

    // Every label the map placed is an SVG text element, as written on the map.
    const QString svg = QString::fromStdString(sortie("svg"));
    const std::vector<QString> textes = TextesSvg(svg);
    ASSERT_FALSE(textes.empty());
    const auto contient = [&](const QString& nom) {
        return std::any_of(textes.begin(), textes.end(),
                           [&](const QString& t) { return t.trimmed() == nom; });
    };
    EXPECT_TRUE(contient(QStringLiteral("Versailles")));
    std::size_t places = 0;
    for (const TCommuneAffiche& e : carte->CommunesAffichees) {
        if (!(e.TextePlace && e.SymboleVisible)) continue;
        ++places;
        const QString libelle = QString::fromStdString(Cp1252VersUtf8(e.Libelle));
        EXPECT_TRUE(contient(libelle)) << libelle.toStdString();
    }
    EXPECT_GT(places, 5u);
    QSvgRenderer lecteur(svg);
    ASSERT_TRUE(lecteur.isValid());
    EXPECT_EQ(lecteur.viewBox(), QRect(0, 0, 800, 600));
    QImage rendu(png.size(), QImage::Format_RGB32);
    rendu.fill(Qt::white);
    {
        QPainter painter(&rendu);
        lecteur.render(&painter);
    }
    const double ecartSvg = EcartMoyen(rendu, png);
    RecordProperty("ecart_svg", std::to_string(ecartSvg));
    EXPECT_LT(ecartSvg, 4.0);

    // The PDF page, rasterised at the screen's resolution, is the PNG up to antialiasing.
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm absent : PDF non comparé";
    QProcess rasterisation;
    rasterisation.start(pdftoppm,
                        {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                         QStringLiteral("-singlefile"), QString::fromStdString(sortie("pdf")),
                         QString::fromStdString((dossier / "page").string())});
    ASSERT_TRUE(rasterisation.waitForFinished(60000));
    ASSERT_EQ(rasterisation.exitCode(), 0);
    const QImage page(QString::fromStdString((dossier / "page.png").string()));
    ASSERT_EQ(page.size(), png.size());
    const double ecartPdf = EcartMoyen(page, png);
    RecordProperty("ecart_pdf", std::to_string(ecartPdf));
    EXPECT_LT(ecartPdf, 4.0);
    unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace orlavine
