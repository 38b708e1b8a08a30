// The « Services en ligne » dialog on a settings file of its own: what it loads, what it
// refuses, what OK and Annuler leave on disk, and a store that cannot be written.
#include "search/frm_services_en_ligne.h"
#include "search/parametres.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace orlavine {
namespace {

class ServicesEnLigne : public ::testing::Test {
protected:
    void SetUp() override {
        precedent_ = FichierParametresDefini();
        ASSERT_TRUE(dossier_.isValid());
        fichier_ = dossier_.filePath(QStringLiteral("reglages.ini"));
        DefinirFichierParametres(fichier_);
    }
    void TearDown() override { DefinirFichierParametres(precedent_); }

    QByteArray SurDisque() const {
        QFile f(fichier_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
    }
    // The dialog, its messages caught.
    std::unique_ptr<TFrmServicesEnLigne> Dialogue() {
        auto d = std::make_unique<TFrmServicesEnLigne>();
        d->AfficheMessage = [this](const QString& m) { messages_.push_back(m); };
        d->show();
        return d;
    }

    QTemporaryDir dossier_;
    QString fichier_;
    QString precedent_;
    QStringList messages_;
};

TEST_F(ServicesEnLigne, ChargeLesValeursEnregistreesSinonLesDefauts) {
    {
        auto d = Dialogue();
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Services en ligne"));
        EXPECT_EQ(d->Valeurs(), TServicesEnLigne{}); // both off, the default addresses
        EXPECT_FALSE(d->cbTuiles->isChecked());
        EXPECT_FALSE(d->cbGeocodage->isChecked());
        // At its default size every control lies inside the window.
        for (const QWidget* w : d->findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            EXPECT_TRUE(d->rect().contains(w->geometry()))
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }
        EXPECT_GT(d->laConfidentialite->height(), 3 * d->fontMetrics().height());
    }
    {
        QSettings r(fichier_, QSettings::IniFormat);
        r.setValue(QStringLiteral("CarteEnLigne/Actif"), true);
        r.setValue(QStringLiteral("CarteEnLigne/AdresseTuiles"),
                   QStringLiteral("http://127.0.0.1:8080/t/{z}/{x}/{y}.png"));
        r.setValue(QStringLiteral("GeocodageEnLigne/Actif"), true);
        r.setValue(QStringLiteral("GeocodageEnLigne/Adresse"),
                   QStringLiteral("https://geo.example.org/"));
    }
    auto d = Dialogue();
    EXPECT_TRUE(d->cbTuiles->isChecked());
    EXPECT_EQ(d->zeAdresseTuiles->text(),
              QStringLiteral("http://127.0.0.1:8080/t/{z}/{x}/{y}.png"));
    EXPECT_TRUE(d->cbGeocodage->isChecked());
    EXPECT_EQ(d->zeAdresseGeocodage->text(), QStringLiteral("https://geo.example.org/"));
}

TEST_F(ServicesEnLigne, UneAdresseInutilisableEstRefuseeSansRienEcrire) {
    const TServicesEnLigne bon;
    EXPECT_NO_THROW(VerifieServicesEnLigne(bon));
    struct TCas {
        QString Tuiles, Service, Attendu;
    };
    const TCas cas[] = {
        {"tile.example.org/{z}/{x}/{y}.png", bon.Geocodage.Adresse,
         "L'adresse des tuiles doit commencer par http:// ou https://"},
        {"https://tile.example.org/{z}/{x}.png", bon.Geocodage.Adresse, "il y manque {y}"},
        {"https://{s}.tile.example.org/{z}/{x}/{y}.png", bon.Geocodage.Adresse,
         "contient {s}, que le programme ne remplace pas"},
        {"https:///{z}/{x}/{y}.png", bon.Geocodage.Adresse, "n'est pas une adresse web valable"},
        {"", bon.Geocodage.Adresse, "L'adresse des tuiles est vide."},
        {bon.Tuiles.Adresse, "ftp://geo.example.org",
         "L'adresse du service de recherche doit commencer par http:// ou https://"},
        {bon.Tuiles.Adresse, "HTTPS://geo.example.org", "doit commencer par http://"},
        {bon.Tuiles.Adresse, "https://geo example.org", "n'est pas une adresse web valable"},
    };
    auto d = Dialogue();
    d->cbTuiles->setChecked(true);
    d->cbGeocodage->setChecked(true);
    for (const TCas& c : cas) {
        messages_.clear();
        d->zeAdresseTuiles->setText(c.Tuiles);
        d->zeAdresseGeocodage->setText(c.Service);
        d->Boutons->button(QDialogButtonBox::Ok)->click();
        ASSERT_EQ(messages_.size(), 1) << c.Tuiles.toStdString();
        EXPECT_TRUE(messages_[0].contains(c.Attendu)) << messages_[0].toStdString();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(SurDisque(), "(absent)");
    }
}

TEST_F(ServicesEnLigne, OkEcritCeQueLesLecteursLisentAnnulerRien) {
    {
        QSettings r(fichier_, QSettings::IniFormat);
        r.setValue(QStringLiteral("Base/Derniere"), QStringLiteral("/tmp/arbre.sqlite"));
    }
    const QByteArray avant = SurDisque();
    auto d = Dialogue();
    d->cbTuiles->setChecked(true);
    d->zeAdresseTuiles->setText(QStringLiteral("  http://127.0.0.1:9/{z}/{x}/{y}.png "));
    d->cbGeocodage->setChecked(true);
    d->zeAdresseGeocodage->setText(QStringLiteral("http://127.0.0.1:9"));
    d->Boutons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(SurDisque(), avant);

    d = Dialogue();
    EXPECT_FALSE(d->cbTuiles->isChecked());
    d->cbTuiles->setChecked(true);
    d->zeAdresseTuiles->setText(QStringLiteral("  http://127.0.0.1:9/{z}/{x}/{y}.png "));
    d->zeAdresseGeocodage->setText(QStringLiteral("http://127.0.0.1:9"));
    d->Boutons->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'\n').toStdString();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);

    TServicesEnLigne attendu;
    attendu.Tuiles.Actif = true;
    attendu.Tuiles.Adresse = QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png");
    attendu.Geocodage.Adresse = QStringLiteral("http://127.0.0.1:9");
    EXPECT_EQ(d->Valeurs(), attendu);
    // Read back from disk by the readers the program uses, the other keys untouched.
    QSettings relu(fichier_, QSettings::IniFormat);
    EXPECT_EQ(LitParametresTuiles(relu, QStringLiteral("/cache")),
              (TParametresTuiles{true, attendu.Tuiles.Adresse, QStringLiteral("/cache")}));
    EXPECT_EQ(LitParametresGeocodageEnLigne(relu), attendu.Geocodage);
    QStringList cles = relu.allKeys();
    cles.sort();
    EXPECT_EQ(cles,
              QStringList({"Base/Derniere", "CarteEnLigne/Actif", "CarteEnLigne/AdresseTuiles",
                           "GeocodageEnLigne/Actif", "GeocodageEnLigne/Adresse"}));
}

TEST_F(ServicesEnLigne, UnFichierQuOnNePeutEcrireEstSignaleEtRienNeChange) {
    {
        QSettings r(fichier_, QSettings::IniFormat);
        r.setValue(QStringLiteral("GeocodageEnLigne/Adresse"),
                   QStringLiteral("https://geo.example.org"));
    }
    // A read-only file stops a user; the superuser is stopped by a file name that is taken
    // by a folder (the settings then read as empty).
    QString cible = fichier_;
    if (geteuid() == 0) {
        cible = dossier_.filePath(QStringLiteral("dossier.ini"));
        ASSERT_TRUE(QDir().mkpath(cible));
        DefinirFichierParametres(cible);
    } else {
        ASSERT_TRUE(QFile::setPermissions(fichier_, QFile::ReadOwner));
    }
    auto d = Dialogue();
    const TServicesEnLigne avant = d->Valeurs();
    d->cbGeocodage->setChecked(true);
    d->Boutons->button(QDialogButtonBox::Ok)->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(cible)) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[0].contains(QStringLiteral("écriture impossible")))
        << messages_[0].toStdString();
    EXPECT_TRUE(d->isVisible());
    // The program reading the settings now still sees what the disk holds.
    EXPECT_EQ(LitServicesEnLigne(*OuvreParametres()), avant);
}

} // namespace
} // namespace orlavine
