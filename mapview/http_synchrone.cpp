#include "mapview/http_synchrone.h"

#include "mapview/tuiles.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace orlavine {

QString RaisonEchecReseau(const QNetworkReply& r) {
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

TTransportHttpQt::TTransportHttpQt(int delaiMs)
    : delaiMs_(delaiMs), reseau_(std::make_unique<QNetworkAccessManager>()) {}

TTransportHttpQt::~TTransportHttpQt() = default;

std::string TTransportHttpQt::Obtient(const std::string& adresse) {
    QNetworkRequest q(QUrl::fromEncoded(QByteArray::fromStdString(adresse)));
    q.setHeader(QNetworkRequest::UserAgentHeader, UserAgentOrlavine());
    q.setTransferTimeout(delaiMs_);
    std::unique_ptr<QNetworkReply> r(reseau_->get(q));
    if (!r->isFinished()) {
        QEventLoop boucle;
        QObject::connect(r.get(), &QNetworkReply::finished, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
    const int statut = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (r->error() != QNetworkReply::NoError || statut != 200) {
        QString detail = RaisonEchecReseau(*r);
        if (statut != 0) detail = QStringLiteral("HTTP %1, %2").arg(statut).arg(detail);
        throw geocodeur::ErreurReseau(
            adresse, 0, "service injoignable ou en erreur (" + detail.toStdString() + ")");
    }
    return r->readAll().toStdString();
}

} // namespace orlavine
