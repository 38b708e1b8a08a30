// The network side of the online address search for the bulk runs: a GET sent and waited for
// on the calling thread, with the program named in it. The thread's events keep flowing
// meanwhile (a window stays drawn and its cancel button works; a local test server answers).
// A QCoreApplication must exist. The wait for a request's turn: mapview/attente.h.
#pragma once

#include "geocodeur/service_en_ligne.h"

#include <QString>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace orlavine {

class TTransportHttpQt final : public geocodeur::ITransportHttp {
public:
    // A request that gets no answer is given up after `delaiMs` milliseconds.
    explicit TTransportHttpQt(int delaiMs = 15000);
    ~TTransportHttpQt() override;

    // Raises geocodeur::ErreurReseau (French reason, naming the address) for anything but a
    // "200" answer.
    std::string Obtient(const std::string& adresse) override;

private:
    int delaiMs_;
    std::unique_ptr<QNetworkAccessManager> reseau_;
};

// Why a request failed, in French where the cause is a common one.
QString RaisonEchecReseau(const QNetworkReply& reponse);

} // namespace orlavine
