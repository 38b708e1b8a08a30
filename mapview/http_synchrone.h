// The network side of the online address search for the bulk runs: a GET sent and waited for
// on the calling thread, with the program named in it. The thread's events keep flowing
// meanwhile (a window stays drawn and its cancel button works; a local test server answers).
// A QCoreApplication must exist. The wait for a request's turn: mapview/attente.h.
#pragma once

#include "geocodeur/service_en_ligne.h"
#include "mapview/reponse_limitee.h"

#include <QString>
#include <memory>

class QNetworkAccessManager;

namespace orlavine {

class TTransportHttpQt final : public geocodeur::ITransportHttp {
public:
    // Each request keeps to `limites` (mapview/reponse_limitee.h).
    explicit TTransportHttpQt(TLimitesReponse limites = {});
    ~TTransportHttpQt() override;

    // Raises geocodeur::ErreurReseau (French reason, naming the address) for anything but a
    // "200" answer within the bounds.
    std::string Obtient(const std::string& adresse) override;

private:
    TLimitesReponse limites_;
    std::unique_ptr<QNetworkAccessManager> reseau_;
};

} // namespace orlavine
