// The online address search of the Nominatim kind, without the network: the request addresses
// and the reading of the answers (JSON, "jsonv2"). The program sends the requests itself, only
// when the user turned the online search on. No toolkit here.
#pragma once

#include "host/erreur.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geocodeur {

// A request that cannot be built or an answer that cannot be read.
class ErreurNominatim : public Erreur {
public:
    using Erreur::Erreur;
};

// The public service; the settings may name another one of the same kind.
inline constexpr const char* AdresseNominatimDefaut = "https://nominatim.openstreetmap.org";

// Percent-encoding of a query value (UTF-8 bytes): letters, digits and "-._~" are kept,
// everything else becomes %XX (upper-case hex), the space included.
std::string EncodePourcent(std::string_view texte);

// "<serveur>/search?q=<texte>&format=jsonv2&limit=<limite>&accept-language=fr".
// `serveur`: "http://" or "https://" and a host, a trailing "/" ignored. Raises
// ErreurNominatim for another address, an empty text or a limit outside 1 to 50.
std::string RequeteRecherche(std::string_view serveur, std::string_view texte, int limite = 1);
// "<serveur>/reverse?lat=<lat>&lon=<lon>&format=jsonv2&accept-language=fr", degrees with a
// point and 7 decimals. Raises ErreurNominatim for coordinates out of range.
std::string RequeteInverse(std::string_view serveur, double latitude, double longitude);

struct TLieuNominatim {
    double Latitude = 0.0;
    double Longitude = 0.0;
    std::string Libelle; // display_name, UTF-8
};

// The answer to a search: the places best first (none found: empty). `source` (the request)
// names the answer in messages. Raises ErreurNominatim for an answer that is not the expected
// JSON, a place without valid coordinates, or the service's own error message.
std::vector<TLieuNominatim> LitReponseRecherche(std::string_view json, std::string_view source);
// The answer to a reverse search: the place, or none when the service found nothing there.
std::optional<TLieuNominatim> LitReponseInverse(std::string_view json, std::string_view source);

} // namespace orlavine::geocodeur
