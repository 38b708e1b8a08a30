#include "mapview/geocodage_en_ligne.h"

#include "geocodeur/limiteur.h"
#include "geocodeur/nominatim.h"
#include "host/cache_textes.h"
#include "mapview/reponse_limitee.h"

#include <QDebug>
#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace orlavine {

namespace {

QString Q(const std::string& texte) {
    return QString::fromStdString(texte);
}

} // namespace

TParametresGeocodageEnLigne LitParametresGeocodageEnLigne(const QSettings& reglages) {
    TParametresGeocodageEnLigne p;
    p.Actif = reglages.value(QStringLiteral("GeocodageEnLigne/Actif"), false).toBool();
    const QString adresse =
        reglages.value(QStringLiteral("GeocodageEnLigne/Adresse")).toString().trimmed();
    if (!adresse.isEmpty()) p.Adresse = adresse;
    return p;
}

void EcritParametresGeocodageEnLigne(QSettings& reglages, const TParametresGeocodageEnLigne& p) {
    reglages.setValue(QStringLiteral("GeocodageEnLigne/Actif"), p.Actif);
    reglages.setValue(QStringLiteral("GeocodageEnLigne/Adresse"), p.Adresse);
}

QString PartageToursGeocodageEnLigne() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return QStringLiteral("pas de dossier de cache pour le verrou du g\u00E9ocodage en ligne");
    const QString chemin = QDir(cache).filePath(QStringLiteral("geocodage-en-ligne.verrou"));
    if (!geocodeur::LimiteurNominatim().FixeFichierVerrou(chemin.toStdString()))
        return QStringLiteral("verrou du g\u00E9ocodage en ligne impossible dans %1").arg(cache);
    return {};
}

TGeocodageEnLigne::TGeocodageEnLigne(IGeocodage* horsLigne, QObject* parent)
    : QObject(parent), horsLigne_(horsLigne), reseau_(new QNetworkAccessManager(this)),
      memoire_(std::make_unique<TCacheTextesMemoire>()),
      limiteur_(&geocodeur::LimiteurNominatim()) {}

TGeocodageEnLigne::~TGeocodageEnLigne() {
    // Requests still running are dropped without answering anyone.
    for (QNetworkReply* r : reseau_->findChildren<QNetworkReply*>())
        r->disconnect(this);
    delete reseau_;
}

void TGeocodageEnLigne::FixeParametres(const TParametresGeocodageEnLigne& parametres) {
    parametres_ = parametres;
}

void TGeocodageEnLigne::FixeCache(ICacheTextes* cache) {
    cache_ = cache;
}

ICacheTextes& TGeocodageEnLigne::Cache() {
    return cache_ != nullptr ? *cache_ : *memoire_;
}

std::optional<std::string> TGeocodageEnLigne::LitCache(const std::string& requete) {
    try {
        return Cache().Lit(requete);
    } catch (const std::exception& e) {
        qWarning().noquote() << "G\u00E9ocodage en ligne : r\u00E9ponses gard\u00E9es illisibles :"
                             << QString::fromUtf8(e.what());
        return std::nullopt;
    }
}

void TGeocodageEnLigne::EcritCache(const std::string& requete, const std::string& reponse) {
    try {
        Cache().Ecrit(requete, reponse);
    } catch (const std::exception& e) {
        qWarning().noquote() << "G\u00E9ocodage en ligne : r\u00E9ponse non gard\u00E9e :"
                             << QString::fromUtf8(e.what());
    }
}

void TGeocodageEnLigne::Echec(const QString& message) {
    derniereErreur_ = message;
    qWarning().noquote() << "G\u00E9ocodage en ligne :" << message
                         << "; la recherche hors ligne r\u00E9pond.";
}

std::optional<monde::TPointGeo> TGeocodageEnLigne::ChercheAdresse(const std::string& adresse) {
    if (parametres_.Actif) {
        try {
            const std::string requete =
                geocodeur::RequeteRecherche(parametres_.Adresse.toStdString(), adresse);
            if (const auto texte = LitCache(requete)) {
                const auto lieux = geocodeur::LitReponseRecherche(*texte, requete);
                if (!lieux.empty()) return monde::TPointGeo{lieux[0].Latitude, lieux[0].Longitude};
            }
        } catch (const Erreur&) {
            // A bad address or a damaged kept answer: the offline search answers.
        }
    }
    return horsLigne_ != nullptr ? horsLigne_->ChercheAdresse(adresse) : std::nullopt;
}

std::string TGeocodageEnLigne::ChercheLieu(double latitude, double longitude) {
    if (parametres_.Actif) {
        try {
            const std::string requete =
                geocodeur::RequeteInverse(parametres_.Adresse.toStdString(), latitude, longitude);
            if (const auto texte = LitCache(requete))
                if (const auto lieu = geocodeur::LitReponseInverse(*texte, requete))
                    return lieu->Libelle;
        } catch (const Erreur&) {
        }
    }
    return horsLigne_ != nullptr ? horsLigne_->ChercheLieu(latitude, longitude) : std::string();
}

void TGeocodageEnLigne::Demande(const std::function<std::string()>& requeteDe, Lecture lit,
                                std::function<void()> horsLigne) {
    if (!parametres_.Actif) return horsLigne();
    std::string requete;
    try {
        requete = requeteDe();
    } catch (const Erreur& e) {
        Echec(QString::fromUtf8(e.what()));
        return horsLigne();
    }
    // An answer's text: read, kept when it came from the service, then answered; false when
    // it cannot be read (already logged).
    const auto traite = [this, requete, lit](const std::string& texte, bool garder) -> bool {
        std::function<void()> suite;
        try {
            suite = lit(texte, requete);
        } catch (const Erreur& e) {
            Echec(QString::fromUtf8(e.what()));
            return false;
        }
        if (garder) EcritCache(requete, texte);
        derniereErreur_.clear();
        suite();
        return true;
    };
    if (const auto texte = LitCache(requete); texte && traite(*texte, false)) return;
    Envoie(requete, [traite, horsLigne](std::optional<std::string> texte) {
        if (!texte || !traite(*texte, true)) horsLigne();
    });
}

void TGeocodageEnLigne::ChercheAdresseDiffere(const std::string& adresse, TReponseAdresse reponse) {
    std::function<void()> horsLigne = [this, adresse, reponse] {
        std::optional<monde::TPointGeo> p;
        try {
            if (horsLigne_ != nullptr) p = horsLigne_->ChercheAdresse(adresse);
        } catch (const std::exception& e) {
            qWarning().noquote() << "Recherche d'adresse :" << QString::fromUtf8(e.what());
        }
        reponse(p, false);
    };
    Demande(
        [this, adresse] {
            return geocodeur::RequeteRecherche(parametres_.Adresse.toStdString(), adresse);
        },
        // The service's best place; nothing found online, the offline search may still know
        // the place (an old commune, a French exonym).
        [reponse, horsLigne](const std::string& texte,
                             const std::string& requete) -> std::function<void()> {
            const auto lieux = geocodeur::LitReponseRecherche(texte, requete);
            if (lieux.empty()) return horsLigne;
            const monde::TPointGeo p{lieux[0].Latitude, lieux[0].Longitude};
            return [reponse, p] { reponse(p, true); };
        },
        horsLigne);
}

void TGeocodageEnLigne::ChercheLieuDiffere(double latitude, double longitude,
                                           TReponseLieu reponse) {
    std::function<void()> horsLigne = [this, latitude, longitude, reponse] {
        std::string lieu;
        try {
            if (horsLigne_ != nullptr) lieu = horsLigne_->ChercheLieu(latitude, longitude);
        } catch (const std::exception& e) {
            qWarning().noquote() << "Recherche de lieu :" << QString::fromUtf8(e.what());
        }
        reponse(lieu, false);
    };
    Demande(
        [this, latitude, longitude] {
            return geocodeur::RequeteInverse(parametres_.Adresse.toStdString(), latitude,
                                             longitude);
        },
        [reponse, horsLigne](const std::string& texte,
                             const std::string& requete) -> std::function<void()> {
            const auto lieu = geocodeur::LitReponseInverse(texte, requete);
            if (!lieu || lieu->Libelle.empty()) return horsLigne;
            return [reponse, nom = lieu->Libelle] { reponse(nom, true); };
        },
        horsLigne);
}

void TGeocodageEnLigne::Envoie(const std::string& requete,
                               std::function<void(std::optional<std::string>)> traite) {
    // The turn is reserved now, so that searches asked together leave a second apart.
    const auto delai = limiteur_->Reserve();
    QTimer::singleShot(delai, this, [this, requete, traite] {
        QNetworkRequest q(QUrl::fromEncoded(QByteArray::fromStdString(requete)));
        PrepareRequete(q, limites_);
        ++envoyees_;
        emit RequeteEnvoyee(Q(requete));
        QNetworkReply* r = reseau_->get(q);
        SurveilleReponse(r, limites_);
        connect(r, &QNetworkReply::finished, this, [this, r, requete, traite] {
            r->deleteLater();
            const int statut = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (r->error() != QNetworkReply::NoError || statut != 200) {
                QString detail = RaisonEchecReseau(*r);
                if (statut != 0) detail = QStringLiteral("HTTP %1, %2").arg(statut).arg(detail);
                Echec(QStringLiteral("\"%1\" : service injoignable ou en erreur (%2)")
                          .arg(Q(requete), detail));
                return traite(std::nullopt);
            }
            traite(r->readAll().toStdString());
        });
    });
}

} // namespace orlavine
