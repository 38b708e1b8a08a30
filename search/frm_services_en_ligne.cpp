#include "search/frm_services_en_ligne.h"

#include "host/erreur.h"
#include "search/parametres.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>
#include <map>

namespace orlavine {

namespace {

[[noreturn]] void Refuse(const QString& message) {
    throw Erreur(message.toStdString());
}

// `quoi` names the address in the messages ("L'adresse des tuiles").
void VerifieDebut(const QString& adresse, const QString& quoi) {
    if (adresse.isEmpty()) Refuse(QStringLiteral("%1 est vide.").arg(quoi));
    // The services compare the scheme as written: lower case only.
    if (!adresse.startsWith(QLatin1String("http://")) &&
        !adresse.startsWith(QLatin1String("https://")))
        Refuse(QStringLiteral("%1 doit commencer par http:// ou https:// : « %2 ».")
                   .arg(quoi, adresse));
}

// `url` is the address as it will be asked for; `adresse` the one the user wrote.
void VerifieWeb(const QString& url, const QString& adresse, const QString& quoi) {
    VerifieDebut(url, quoi);
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty() || url.contains(QLatin1Char(' ')))
        Refuse(QStringLiteral("%1 n'est pas une adresse web valable : « %2 ».").arg(quoi, adresse));
}

} // namespace

TServicesEnLigne LitServicesEnLigne(const QSettings& reglages) {
    return {LitParametresTuiles(reglages, {}), LitParametresGeocodageEnLigne(reglages)};
}

void VerifieServicesEnLigne(const TServicesEnLigne& services) {
    const QString quoiTuiles = QStringLiteral("L'adresse des tuiles");
    const QString& tuiles = services.Tuiles.Adresse;
    VerifieDebut(tuiles, quoiTuiles);
    // The tile layer replaces exactly these three fields by the zoom level, column and row.
    QString reste = tuiles;
    for (const char* champ : {"{z}", "{x}", "{y}"}) {
        if (!tuiles.contains(QLatin1String(champ)))
            Refuse(QStringLiteral("%1 doit contenir {z}, {x} et {y} (niveau, colonne et ligne "
                                  "de la tuile) ; il y manque %2 : « %3 ».")
                       .arg(quoiTuiles, QLatin1String(champ), tuiles));
        reste.replace(QLatin1String(champ), QStringLiteral("0"));
    }
    if (reste.contains(u'{') || reste.contains(u'}')) {
        const qsizetype debut = reste.indexOf(u'{');
        const qsizetype fin = reste.indexOf(u'}', std::max<qsizetype>(debut, 0));
        const QString champ = debut >= 0 && fin > debut ? reste.mid(debut, fin - debut + 1)
                                                        : QStringLiteral("une accolade seule");
        Refuse(QStringLiteral("%1 contient %2, que le programme ne remplace pas (seuls {z}, {x} "
                              "et {y} le sont) : « %3 ».")
                   .arg(quoiTuiles, champ, tuiles));
    }
    VerifieWeb(reste, tuiles, quoiTuiles);
    const QString& service = services.Geocodage.Adresse;
    VerifieWeb(service, service, QStringLiteral("L'adresse du service de recherche"));
}

void EcritServicesEnLigne(QSettings& reglages, const TServicesEnLigne& services) {
    VerifieServicesEnLigne(services);
    // Qt keeps unwritten values in memory for every later reader of the same file: after a
    // failure they are put back as they were, so that the program never runs on values the
    // disk does not hold.
    std::map<QString, QVariant> avant;
    for (const QString& cle : reglages.allKeys())
        avant[cle] = reglages.value(cle);
    EcritParametresTuiles(reglages, services.Tuiles);
    EcritParametresGeocodageEnLigne(reglages, services.Geocodage);
    reglages.sync();
    if (reglages.status() == QSettings::NoError) return;
    const QSettings::Status etat = reglages.status();
    for (const QString& cle : reglages.allKeys())
        if (!avant.contains(cle)) reglages.remove(cle);
    for (const auto& [cle, valeur] : avant)
        reglages.setValue(cle, valeur);
    throw Erreur(reglages.fileName().toStdString(), 0,
                 etat == QSettings::FormatError
                     ? "fichier des réglages illisible ; les services en ligne n'ont pas été "
                       "enregistrés."
                     : "écriture impossible (fichier en lecture seule ou dossier "
                       "inaccessible) ; les services en ligne n'ont pas été enregistrés.");
}

TFrmServicesEnLigne::TFrmServicesEnLigne(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FrmServicesEnLigne"));
    setWindowTitle(QStringLiteral("Services en ligne"));
    AfficheMessage = [this](const QString& texte) {
        QMessageBox::warning(this, QStringLiteral("Services en ligne"), texte);
    };

    const TServicesEnLigne defaut;
    cbTuiles = new QCheckBox(QStringLiteral("Afficher le fond de carte en ligne (tuiles)"), this);
    zeAdresseTuiles = new QLineEdit(this);
    zeAdresseTuiles->setPlaceholderText(defaut.Tuiles.Adresse);
    cbGeocodage = new QCheckBox(QStringLiteral("Rechercher les adresses en ligne"), this);
    zeAdresseGeocodage = new QLineEdit(this);
    zeAdresseGeocodage->setPlaceholderText(defaut.Geocodage.Adresse);

    auto* grille = new QGridLayout;
    grille->setColumnMinimumWidth(0, 20);
    grille->setColumnStretch(2, 1);
    grille->addWidget(cbTuiles, 0, 0, 1, 3);
    auto* laTuiles = new QLabel(QStringLiteral("Adresse des tuiles :"), this);
    laTuiles->setBuddy(zeAdresseTuiles);
    grille->addWidget(laTuiles, 1, 1);
    grille->addWidget(zeAdresseTuiles, 1, 2);
    grille->setRowMinimumHeight(2, 8);
    grille->addWidget(cbGeocodage, 3, 0, 1, 3);
    auto* laGeocodage = new QLabel(QStringLiteral("Adresse du service :"), this);
    laGeocodage->setBuddy(zeAdresseGeocodage);
    grille->addWidget(laGeocodage, 4, 1);
    grille->addWidget(zeAdresseGeocodage, 4, 2);

    laConfidentialite = new QLabel(
        QStringLiteral(
            "Ces deux services sont désactivés par défaut\u00A0: sans eux, le programme "
            "fonctionne entièrement hors ligne. Une fois activés, ils envoient au serveur "
            "indiqué, avec votre adresse IP et le nom du programme\u00A0: pour le fond de carte, "
            "les numéros des tuiles de la région affichée\u00A0; pour la recherche, chaque "
            "adresse cherchée sur la carte du monde ou les coordonnées du point dont le nom "
            "est demandé.\n\n"
            "Le programme suit les règles d'usage des serveurs d'OpenStreetMap\u00A0: une "
            "recherche par seconde au plus, seulement celles que vous lancez, chaque réponse "
            "conservée (dans la base ouverte) pour ne jamais la redemander, les tuiles gardées "
            "en cache, et le crédit «\u00A0© les contributeurs d'OpenStreetMap\u00A0» affiché "
            "sur la carte. Pour un usage soutenu, indiquez votre propre serveur."),
        this);
    laConfidentialite->setWordWrap(true);
    laConfidentialite->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // French even when Qt's own translations are not installed.
    Boutons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    Boutons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    connect(Boutons, &QDialogButtonBox::accepted, this, &TFrmServicesEnLigne::accept);
    connect(Boutons, &QDialogButtonBox::rejected, this, &TFrmServicesEnLigne::reject);

    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(grille);
    colonne->addSpacing(6);
    colonne->addWidget(laConfidentialite);
    colonne->addStretch(1);
    colonne->addWidget(Boutons);
    // Wide enough for the default addresses and a readable paragraph.
    setMinimumWidth(560);

    FixeValeurs(LitServicesEnLigne(*OuvreParametres()));
}

TFrmServicesEnLigne::~TFrmServicesEnLigne() = default;

TServicesEnLigne TFrmServicesEnLigne::Valeurs() const {
    TServicesEnLigne s;
    s.Tuiles.Actif = cbTuiles->isChecked();
    s.Tuiles.Adresse = zeAdresseTuiles->text().trimmed();
    s.Geocodage.Actif = cbGeocodage->isChecked();
    s.Geocodage.Adresse = zeAdresseGeocodage->text().trimmed();
    return s;
}

void TFrmServicesEnLigne::FixeValeurs(const TServicesEnLigne& services) {
    cbTuiles->setChecked(services.Tuiles.Actif);
    zeAdresseTuiles->setText(services.Tuiles.Adresse);
    zeAdresseTuiles->setCursorPosition(0);
    cbGeocodage->setChecked(services.Geocodage.Actif);
    zeAdresseGeocodage->setText(services.Geocodage.Adresse);
    zeAdresseGeocodage->setCursorPosition(0);
}

void TFrmServicesEnLigne::accept() {
    try {
        EcritServicesEnLigne(*OuvreParametres(), Valeurs());
    } catch (const Erreur& e) {
        AfficheMessage(QString::fromUtf8(e.what()));
        return;
    }
    QDialog::accept();
}

bool ModifieServicesEnLigne(QWidget* parent, TServicesEnLigne& services) {
    TFrmServicesEnLigne dialogue(parent);
    if (dialogue.exec() != QDialog::Accepted) return false;
    services = dialogue.Valeurs();
    return true;
}

} // namespace orlavine
