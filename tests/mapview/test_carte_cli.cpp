// The map command: its options and the picture it writes.
#include "app/cli/carte.h"
#include "host/chaines.h"
#include "host/erreur.h"
#include "mapview/graphique_vectoriel.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/graphique_essai.h"
#include "tests/commun/outils.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
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
    const std::vector<QString> textes = test::TextesSvg(svg);
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
    const double ecartSvg = test::EcartMoyen(rendu, png);
    RecordProperty("ecart_svg", std::to_string(ecartSvg));
    EXPECT_LT(ecartSvg, 4.0);

    // The PDF page, rasterised at the screen's resolution, is the PNG up to antialiasing.
    if (!test::PdftoppmPresent()) GTEST_SKIP() << "pdftoppm absent : PDF non comparé";
    const QImage page = test::RasterisePdf(sortie("pdf"), dossier);
    ASSERT_EQ(page.size(), png.size());
    const double ecartPdf = test::EcartMoyen(page, png);
    RecordProperty("ecart_pdf", std::to_string(ecartPdf));
    EXPECT_LT(ecartPdf, 4.0);
    unsetenv("XDG_DATA_HOME");
}

// A picture whose writing fails, in the painting or at the file, leaves the file that was
// there as it was, and nothing beside it.
TEST(CommandeCarte, UneEcritureEchoueeGardeLAncienFichier) {
    const test::DossierTemporaire temporaire;
    const auto& dossier = temporaire.Chemin();
    const auto casse = [](QPainter&) { throw Erreur("peintre", 1, "dessin interrompu"); };
    for (const char* nom : {"a.svg", "a.pdf", "a.png"}) {
        const auto chemin = dossier / nom;
        test::EcritFichier(chemin, "ancien");
        EXPECT_THROW(EcritGraphique(QString::fromStdString(chemin.string()), QSize(40, 30),
                                    QStringLiteral("essai"), casse),
                     Erreur)
            << nom;
        EXPECT_EQ(test::LitFichier(chemin), "ancien") << nom;
    }
    // A folder in the way of the file: refused, the folder kept.
    std::filesystem::create_directory(dossier / "b.png");
    EXPECT_THROW(EnregistreImage(QImage(4, 4, QImage::Format_RGB32),
                                 QString::fromStdString((dossier / "b.png").string()),
                                 FormatGraphique::Png),
                 Erreur);
    EXPECT_TRUE(std::filesystem::is_directory(dossier / "b.png"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier), {}), 4);
}

} // namespace
} // namespace orlavine
