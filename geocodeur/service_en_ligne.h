// The online address search asked one text at a time, waiting for the answer: the bulk runs
// (the place tool and `orlavine-cli base geolocaliser --en-ligne`) go through it. It keeps to
// the service's usage policy the same way the map does: a kept answer is never asked again,
// and a request leaves only when its turn comes (one a second for the whole program, shared
// with the other processes through the limiter's lock file). The sending itself is the
// program's (ITransportHttp): no toolkit and no network here.
#pragma once

#include "geocodeur/limiteur.h"
#include "geocodeur/nominatim.h"
#include "host/reponse_en_ligne.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {
class ICacheTextes;
}

namespace orlavine::geocodeur {

// The service could not be reached, or did not answer with a page (HTTP error, timeout).
class ErreurReseau : public Erreur {
public:
    using Erreur::Erreur;
};

// One GET: the body of a "200" answer. Raises ErreurReseau otherwise, naming the address. A
// transport follows no redirect away from the address's scheme, host and port, and cuts an
// answer off at the bounds of TLimitesReponse (host/reponse_en_ligne.h).
class ITransportHttp {
public:
    virtual ~ITransportHttp() = default;
    virtual std::string Obtient(const std::string& adresse) = 0;
};

class TServiceNominatim {
public:
    // How the caller waits for its turn (by default the thread sleeps); a window processes
    // its events meanwhile.
    using Attente = std::function<void(TLimiteurDebit::Duree)>;
    // Problems that do not stop the search (a kept answer that cannot be read or written).
    using Avertissement = std::function<void(const std::string&)>;

    // `transport`, `cache` and `limiteur` must outlive the service. `serveur` as
    // RequeteRecherche takes it.
    TServiceNominatim(std::string serveur, ITransportHttp& transport, ICacheTextes& cache,
                      TLimiteurDebit& limiteur, Attente attente = {},
                      Avertissement avertissement = {});

    // The places the service gives for `texte`, best first (its first one only, as the map
    // asks, so that the map and the bulk runs share the kept answers). Raises ErreurNominatim
    // (a text that cannot be asked, an answer that cannot be read) or ErreurReseau (also for
    // an answer larger than TailleMaxReponseEnLigne, which is not kept).
    std::vector<TLieuNominatim> Recherche(std::string_view texte);

    const std::string& Serveur() const { return serveur_; }
    int RequetesEnvoyees() const { return envoyees_; }
    int ReponsesGardees() const { return gardees_; } // answered from the cache

private:
    void Avertit(const std::string& message) const;

    std::string serveur_;
    ITransportHttp& transport_;
    ICacheTextes& cache_;
    TLimiteurDebit& limiteur_;
    Attente attente_;
    Avertissement avertissement_;
    int envoyees_ = 0;
    int gardees_ = 0;
};

} // namespace orlavine::geocodeur
