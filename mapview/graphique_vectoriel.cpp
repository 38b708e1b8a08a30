#include "mapview/graphique_vectoriel.h"

#include "host/erreur.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <memory>

namespace orlavine {

namespace {

// The file is written beside its place and put there only once whole: a failed write leaves
// the file that was there as it was.
std::unique_ptr<QSaveFile> OuvreFichier(const QString& chemin) {
    auto fichier = std::make_unique<QSaveFile>(chemin);
    if (!fichier->open(QIODevice::WriteOnly))
        throw Erreur(chemin.toStdString(), 0,
                     "impossible d'écrire le fichier ; aucun fichier n'a été modifié.");
    return fichier;
}

void Termine(QSaveFile& fichier) {
    if (!fichier.commit())
        throw Erreur(fichier.fileName().toStdString(), 0,
                     "impossible de terminer l'écriture du fichier ; aucun fichier n'a été "
                     "modifié.");
}

} // namespace

void EnregistreImage(const QImage& image, const QString& chemin, FormatGraphique format) {
    const std::string nom = chemin.toStdString();
    if (format != FormatGraphique::Png && format != FormatGraphique::Bmp)
        throw Erreur(nom, 0, "ce format n'est pas un format d'image (PNG ou BMP).");
    if (image.isNull()) throw Erreur(nom, 0, "la carte est vide, il n'y a rien à enregistrer.");
    const auto fichier = OuvreFichier(chemin);
    if (!image.save(fichier.get(), format == FormatGraphique::Png ? "PNG" : "BMP")) {
        fichier->cancelWriting();
        throw Erreur(nom, 0, "impossible d'écrire le fichier ; aucun fichier n'a été modifié.");
    }
    Termine(*fichier);
}

bool FormatParExtension(const QString& chemin, FormatGraphique& format) {
    const QString e = QFileInfo(chemin).suffix().toLower();
    if (e == QLatin1String("png"))
        format = FormatGraphique::Png;
    else if (e == QLatin1String("bmp"))
        format = FormatGraphique::Bmp;
    else if (e == QLatin1String("svg"))
        format = FormatGraphique::Svg;
    else if (e == QLatin1String("pdf"))
        format = FormatGraphique::Pdf;
    else
        return false;
    return true;
}

void EcritGraphiqueVectoriel(const QString& chemin, FormatGraphique format, QSize taille, int ppp,
                             const QString& titre, const std::function<void(QPainter&)>& peintre) {
    const std::string nom = chemin.toStdString();
    if (taille.isEmpty()) throw Erreur(nom, 0, "la carte est vide, il n'y a rien à enregistrer.");
    ppp = ppp > 0 ? ppp : 96;
    if (format != FormatGraphique::Svg && format != FormatGraphique::Pdf)
        throw Erreur(nom, 0, "ce format n'est pas un format vectoriel (SVG ou PDF).");
    const auto fichier = OuvreFichier(chemin);
    std::unique_ptr<QPaintDevice> device;
    if (format == FormatGraphique::Svg) {
        auto svg = std::make_unique<QSvgGenerator>();
        svg->setOutputDevice(fichier.get());
        svg->setSize(taille);
        svg->setViewBox(QRect(QPoint(0, 0), taille));
        // Fonts given in points are sized for this resolution, as on the screen.
        svg->setResolution(ppp);
        svg->setTitle(titre);
        svg->setDescription(QStringLiteral("Orlavine"));
        device = std::move(svg);
    } else if (format == FormatGraphique::Pdf) {
        auto pdf = std::make_unique<QPdfWriter>(fichier.get());
        pdf->setResolution(ppp);
        pdf->setTitle(titre);
        pdf->setCreator(QStringLiteral("Orlavine"));
        const QSizeF points(taille.width() * 72.0 / ppp, taille.height() * 72.0 / ppp);
        pdf->setPageLayout(
            QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF()));
        device = std::move(pdf);
    }
    {
        QPainter painter;
        if (!painter.begin(device.get())) {
            fichier->cancelWriting();
            throw Erreur(nom, 0, "impossible d'écrire le fichier ; aucun fichier n'a été modifié.");
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        peintre(painter);
        if (!painter.end()) {
            fichier->cancelWriting();
            throw Erreur(nom, 0,
                         "impossible de terminer l'écriture du fichier ; aucun fichier n'a été "
                         "modifié.");
        }
    }
    device.reset(); // the PDF writer ends its file when it goes
    Termine(*fichier);
}

void EcritGraphique(const QString& chemin, QSize taille, const QString& titre,
                    const std::function<void(QPainter&)>& peintre, int ppp) {
    const std::string nom = chemin.toStdString();
    FormatGraphique format = FormatGraphique::Png;
    if (!FormatParExtension(chemin, format))
        throw Erreur(nom, 0, "le nom doit finir par .png, .bmp, .svg ou .pdf.");
    if (format == FormatGraphique::Svg || format == FormatGraphique::Pdf) {
        EcritGraphiqueVectoriel(chemin, format, taille, ppp, titre, peintre);
        return;
    }
    if (taille.isEmpty()) throw Erreur(nom, 0, "la carte est vide, il n'y a rien à enregistrer.");
    QImage image(taille, QImage::Format_RGB32);
    if (image.isNull()) throw Erreur(nom, 0, "l'image est trop grande pour la mémoire.");
    ppp = ppp > 0 ? ppp : 96;
    image.setDotsPerMeterX(qRound(ppp / 0.0254));
    image.setDotsPerMeterY(qRound(ppp / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        peintre(painter);
    }
    EnregistreImage(image, chemin, format);
}

} // namespace orlavine
