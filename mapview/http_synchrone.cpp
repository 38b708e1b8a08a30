#include "mapview/http_synchrone.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace orlavine {

TTransportHttpQt::TTransportHttpQt(TLimitesReponse limites)
    : limites_(limites), reseau_(std::make_unique<QNetworkAccessManager>()) {}

TTransportHttpQt::~TTransportHttpQt() = default;

std::string TTransportHttpQt::Obtient(const std::string& adresse) {
    QNetworkRequest q(QUrl::fromEncoded(QByteArray::fromStdString(adresse)));
    PrepareRequete(q, limites_);
    std::unique_ptr<QNetworkReply> r(reseau_->get(q));
    SurveilleReponse(r.get(), limites_);
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
