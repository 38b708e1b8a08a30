// Reading back the vector pictures of the maps: the texts of an SVG file, the page of a PDF
// rasterised by poppler's `pdftoppm`, and how far two pictures are apart.
#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace orlavine::test {

// The texts of the <text> elements of an SVG file, which must parse to the end.
inline std::vector<QString> TextesSvg(const QString& chemin) {
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

// Mean absolute difference per channel of two pictures of the same size, from 0 to 255;
// with `reduction` > 1, of the two pictures reduced that many times (a glyph laid out a pixel
// aside then weighs little, a missing layer or a wrong size still does).
inline double EcartMoyen(const QImage& a, const QImage& b, int reduction = 1) {
    const auto reduit = [reduction](const QImage& i) {
        const QImage rgb = i.convertToFormat(QImage::Format_RGB32);
        if (reduction <= 1) return rgb;
        return rgb.scaled(rgb.width() / reduction, rgb.height() / reduction, Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
    };
    const QImage x = reduit(a);
    const QImage y = reduit(b);
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

// True when poppler's rasteriser is installed (the bootstrap installs poppler-utils).
inline bool PdftoppmPresent() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// The first page of `pdf` rasterised at `ppp` dots per inch into `dossier`/page.png; a null
// picture (and a test failure) when pdftoppm fails.
inline QImage RasterisePdf(const std::filesystem::path& pdf, const std::filesystem::path& dossier,
                           int ppp = 96) {
    QProcess rasterisation;
    rasterisation.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
                        {QStringLiteral("-r"), QString::number(ppp), QStringLiteral("-png"),
                         QStringLiteral("-singlefile"), QString::fromStdString(pdf.string()),
                         QString::fromStdString((dossier / "page").string())});
    EXPECT_TRUE(rasterisation.waitForFinished(60000));
    EXPECT_EQ(rasterisation.exitCode(), 0) << rasterisation.readAllStandardError().toStdString();
    return QImage(QString::fromStdString((dossier / "page.png").string()));
}

} // namespace orlavine::test
