#include "mapview/tuiles.h"

#include "mapview/reponse_limitee.h"

#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QSettings>
#include <algorithm>
#include <cmath>

#ifndef ORLAVINE_VERSION
#define ORLAVINE_VERSION "0"
#endif

namespace orlavine {

namespace {

constexpr int NiveauMax = 19;
constexpr int TuilesEnMemoire = 512;

// A tile of the view: its column before wrapping (for its place on screen) and its row.
struct TPlaceTuile {
    long long Colonne;
    int Ligne;
};

QList<TPlaceTuile> Places(const monde::TVueMonde& v, int z) {
    QList<TPlaceTuile> places;
    const double n = std::ldexp(1.0, z);
    const double s = v.PixelsParDegre;
    const double cy = monde::MercatorY(v.Centre.Latitude);
    const auto colonne = [&](double x) {
        return static_cast<long long>(
            std::floor(((x - v.Largeur / 2.0) / s + v.Centre.Longitude + 180.0) * n / 360.0));
    };
    const auto ligne = [&](double y) {
        return static_cast<long long>(
            std::floor((180.0 - (cy - (y - v.Hauteur / 2.0) / s)) * n / 360.0));
    };
    const long long c0 = colonne(0.0), c1 = colonne(v.Largeur - 1e-9);
    const long long r0 = std::max(0LL, ligne(0.0));
    const long long r1 = std::min(static_cast<long long>(n) - 1, ligne(v.Hauteur - 1e-9));
    if (c1 - c0 > 4096 || r1 - r0 > 4096) return places; // never at sane scales
    for (long long r = r0; r <= r1; ++r)
        for (long long c = c0; c <= c1; ++c)
            places.push_back({c, static_cast<int>(r)});
    return places;
}

int Enroule(long long colonne, int z) {
    const long long n = 1LL << z;
    return static_cast<int>(((colonne % n) + n) % n);
}

} // namespace

TParametresTuiles LitParametresTuiles(const QSettings& reglages, const QString& dossierCache) {
    TParametresTuiles p;
    p.Actif = reglages.value(QStringLiteral("CarteEnLigne/Actif"), false).toBool();
    const QString adresse =
        reglages.value(QStringLiteral("CarteEnLigne/AdresseTuiles")).toString().trimmed();
    if (!adresse.isEmpty()) p.Adresse = adresse;
    p.DossierCache = dossierCache;
    return p;
}

void EcritParametresTuiles(QSettings& reglages, const TParametresTuiles& p) {
    reglages.setValue(QStringLiteral("CarteEnLigne/Actif"), p.Actif);
    reglages.setValue(QStringLiteral("CarteEnLigne/AdresseTuiles"), p.Adresse);
}

QString UserAgentOrlavine() {
    return QStringLiteral("Orlavine/") + QStringLiteral(ORLAVINE_VERSION);
}

int NiveauTuiles(const monde::TVueMonde& vue) {
    const double z = std::round(std::log2(vue.PixelsParDegre * 360.0 / 256.0));
    if (!std::isfinite(z)) return 0;
    return static_cast<int>(std::clamp(z, 0.0, static_cast<double>(NiveauMax)));
}

QList<TTuile> TuilesVisibles(const monde::TVueMonde& vue) {
    const int z = NiveauTuiles(vue);
    QList<TTuile> tuiles;
    for (const TPlaceTuile& p : Places(vue, z)) {
        const TTuile t{z, Enroule(p.Colonne, z), p.Ligne};
        if (!tuiles.contains(t)) tuiles.push_back(t);
    }
    return tuiles;
}

TCoucheTuiles::TCoucheTuiles(QObject* parent)
    : QObject(parent), reseau_(new QNetworkAccessManager(this)) {
    memoire_.setMaxCost(TuilesEnMemoire);
}

TCoucheTuiles::~TCoucheTuiles() = default;

void TCoucheTuiles::FixeParametres(const TParametresTuiles& parametres) {
    if (parametres == parametres_) return;
    parametres_ = parametres;
    memoire_.clear();
    echecs_.clear();
    attente_.clear();
    enCours_.clear();
    // A new manager: answers of the old one, for the old address, are dropped with it.
    reseau_->deleteLater();
    reseau_ = new QNetworkAccessManager(this);
    if (!parametres_.DossierCache.isEmpty()) {
        auto* cache = new QNetworkDiskCache(reseau_);
        cache->setCacheDirectory(parametres_.DossierCache);
        cache->setMaximumCacheSize(parametres_.TailleCacheOctets);
        reseau_->setCache(cache);
    }
}

QString TCoucheTuiles::Cle(const TTuile& t) {
    return QStringLiteral("%1/%2/%3").arg(t.Z).arg(t.X).arg(t.Y);
}

bool TCoucheTuiles::Dessine(QPainter& painter, const monde::TVueMonde& v) {
    attente_.clear();
    if (!parametres_.Actif) return false;
    const int z = NiveauTuiles(v);
    const double n = std::ldexp(1.0, z);
    const double cote = v.PixelsParDegre * 360.0 / n;
    const double cy = monde::MercatorY(v.Centre.Latitude);
    bool dessine = false;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const TPlaceTuile& p : Places(v, z)) {
        const TTuile t{z, Enroule(p.Colonne, z), p.Ligne};
        const QString cle = Cle(t);
        if (const QImage* image = memoire_.object(cle)) {
            const double x = v.Largeur / 2.0 + (static_cast<double>(p.Colonne) * 360.0 / n - 180.0 -
                                                v.Centre.Longitude) *
                                                   v.PixelsParDegre;
            const double y =
                v.Hauteur / 2.0 - (180.0 - p.Ligne * 360.0 / n - cy) * v.PixelsParDegre;
            // Whole pixels on both edges, so that neighbouring tiles leave no seam.
            const QRect cible(
                QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))),
                QPoint(static_cast<int>(std::floor(x + cote)) - 1,
                       static_cast<int>(std::floor(y + cote)) - 1));
            painter.drawImage(cible, *image);
            dessine = true;
        } else if (!echecs_.contains(cle) && !enCours_.contains(cle) && !attente_.contains(t)) {
            attente_.push_back(t);
        }
    }
    painter.restore();
    Envoie();
    return dessine;
}

bool TCoucheTuiles::Couvre(const monde::TVueMonde& v) const {
    if (!parametres_.Actif) return false;
    const QList<TTuile> tuiles = TuilesVisibles(v);
    return std::all_of(tuiles.begin(), tuiles.end(),
                       [this](const TTuile& t) { return memoire_.contains(Cle(t)); });
}

void TCoucheTuiles::Envoie() {
    while (enCours_.size() < EnCoursMax && !attente_.isEmpty()) {
        const TTuile t = attente_.takeFirst();
        const QString cle = Cle(t);
        QString adresse = parametres_.Adresse;
        adresse.replace(QStringLiteral("{z}"), QString::number(t.Z))
            .replace(QStringLiteral("{x}"), QString::number(t.X))
            .replace(QStringLiteral("{y}"), QString::number(t.Y));
        const QUrl url(adresse);
        if (!url.isValid() ||
            (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
            echecs_.insert(cle);
            continue;
        }
        QNetworkRequest requete(url);
        PrepareRequete(requete, parametres_.Limites);
        // Fresh tiles come from the disk cache, stale ones are revalidated.
        requete.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::PreferNetwork);
        requete.setAttribute(QNetworkRequest::CacheSaveControlAttribute, true);
        QNetworkReply* reponse = reseau_->get(requete);
        SurveilleReponse(reponse, parametres_.Limites);
        enCours_.insert(cle);
        ++envoyees_;
        QNetworkAccessManager* gestionnaire = reseau_;
        connect(reponse, &QNetworkReply::finished, this, [this, reponse, cle, gestionnaire] {
            reponse->deleteLater();
            if (gestionnaire != reseau_) return; // the settings changed meanwhile
            Recu(reponse, cle);
        });
    }
}

void TCoucheTuiles::Recu(QNetworkReply* reponse, const QString& cle) {
    enCours_.remove(cle);
    QImage image;
    if (reponse->error() == QNetworkReply::NoError) image.loadFromData(reponse->readAll());
    if (image.isNull()) {
        echecs_.insert(cle);
    } else {
        memoire_.insert(cle, new QImage(std::move(image)), 1);
        emit TuileArrivee();
    }
    Envoie();
}

} // namespace orlavine
