// The bounds every online request of the program keeps to (the address search, its bulk
// runs' sender, the map tiles): redirects only within the service's own scheme, host and port,
// an answer cut off as soon as it passes its size cap (so that an endless answer never holds
// more than the cap in memory), an idle time-out and a deadline for the whole request. A
// request cut off ends in error, and RaisonEchecReseau says why in French.
#pragma once

#include "host/reponse_en_ligne.h"

#include <QString>

class QNetworkReply;
class QNetworkRequest;

namespace orlavine {

// Names the program in the request, lets it follow redirects only to the same scheme, host
// and port, and gives it up after `limites.Inactivite` without a byte.
void PrepareRequete(QNetworkRequest& requete, const TLimitesReponse& limites);

// Watches the reply sent for a prepared request until it finishes: aborted at the first
// redirect away from its own scheme, host and port, as soon as its body (announced or received)
// passes `limites.TailleMax`, and at `limites.Echeance` after this call. An aborted answer is
// never kept in the network cache.
void SurveilleReponse(QNetworkReply* reponse, const TLimitesReponse& limites);

// Why a request failed, in French where the cause is a common one or one of the bounds above.
QString RaisonEchecReseau(const QNetworkReply& reponse);

} // namespace orlavine
