#include "mapview/reponse_limitee.h"

#include "mapview/tuiles.h"

#include <QLocale>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace orlavine {

namespace {

// The reason of a reply cut off by SurveilleReponse, kept on the reply itself.
constexpr const char* ProprieteRefus = "orlavine_refus";

// The service's scheme, host and port, for comparing a redirect with it.
bool MemeOrigine(const QUrl& a, const QUrl& b) {
    const int defaut =
        a.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && a.port(defaut) == b.port(defaut);
}

void Refuse(QNetworkReply* r, const QString& raison) {
    if (r->isFinished() || r->property(ProprieteRefus).isValid()) return;
    r->setProperty(ProprieteRefus, raison);
    r->abort();
}

} // namespace

void PrepareRequete(QNetworkRequest& q, const TLimitesReponse& limites) {
    q.setHeader(QNetworkRequest::UserAgentHeader, UserAgentOrlavine());
    q.setTransferTimeout(static_cast<int>(limites.Inactivite.count()));
    // Each redirect is checked against the service's address (SurveilleReponse).
    q.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                   QNetworkRequest::UserVerifiedRedirectPolicy);
    q.setMaximumRedirectsAllowed(5);
}

void SurveilleReponse(QNetworkReply* r, const TLimitesReponse& limites) {
    const QUrl service = r->request().url();
    QObject::connect(r, &QNetworkReply::redirected, r, [r, service](const QUrl& vers) {
        const QUrl cible = r->url().resolved(vers);
        if (MemeOrigine(service, cible)) {
            emit r->redirectAllowed();
            return;
        }
        Refuse(r, QStringLiteral("redirection vers %1 refus\u00E9e : ce n'est pas le serveur "
                                 "choisi")
                      .arg(cible.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)));
    });
    const qint64 max = static_cast<qint64>(limites.TailleMax);
    const auto tropGrande = [max](qint64 octets) {
        return QStringLiteral("r\u00E9ponse trop grande (%1 octets ou plus, pour %2 au plus)")
            .arg(octets)
            .arg(max);
    };
    // Announced too large: refused before its body comes.
    QObject::connect(r, &QNetworkReply::metaDataChanged, r, [r, max, tropGrande] {
        bool lu = false;
        const qint64 annonce = r->header(QNetworkRequest::ContentLengthHeader).toLongLong(&lu);
        if (lu && annonce > max) Refuse(r, tropGrande(annonce));
    });
    // Nothing is read before the end: what comes waits in the reply. Each piece is counted as
    // it comes (the reply may hold back readyRead while pieces keep coming), and the reply
    // stops reading the connection when it holds twice the cap, however late this thread
    // gets to the count.
    r->setReadBufferSize(2 * max + 65536);
    QObject::connect(r, &QNetworkReply::downloadProgress, r,
                     [r, max, tropGrande](qint64 recus, qint64) {
                         if (recus > max) Refuse(r, tropGrande(recus));
                     });
    QObject::connect(r, &QIODevice::readyRead, r, [r, max, tropGrande] {
        if (r->bytesAvailable() > max) Refuse(r, tropGrande(r->bytesAvailable()));
    });
    auto* echeance = new QTimer(r);
    echeance->setSingleShot(true);
    const QString secondes =
        QLocale(QLocale::French).toString(static_cast<double>(limites.Echeance.count()) / 1000.0);
    QObject::connect(echeance, &QTimer::timeout, r, [r, secondes] {
        Refuse(r, QStringLiteral("pas de r\u00E9ponse compl\u00E8te dans le d\u00E9lai de %1 s")
                      .arg(secondes));
    });
    QObject::connect(r, &QNetworkReply::finished, echeance, &QTimer::stop);
    echeance->start(limites.Echeance);
}

QString RaisonEchecReseau(const QNetworkReply& r) {
    const QVariant refus = r.property(ProprieteRefus);
    if (refus.isValid()) return refus.toString();
    switch (r.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connexion refus\u00E9e");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("serveur introuvable");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("pas de r\u00E9ponse \u00E0 temps");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connexion ferm\u00E9e par le serveur");
    default:
        return r.errorString();
    }
}

} // namespace orlavine
