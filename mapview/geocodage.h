// The address search behind the world map widget: text -> position and position -> text.
// The widget only calls it; the program plugs in the geocoder it has (the offline
// geocoder, or the trivial search over the atlas's communes below). No toolkit here.
#pragma once

#include "monde/projection.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orlavine {

class TCarteFrance;

// A place among namesakes the text does not tell apart.
struct TCandidatCarte {
    monde::TPointGeo Point;
    std::string Libelle;
};

class IGeocodage {
public:
    virtual ~IGeocodage() = default;
    // The namesakes an address names equally well, for which ChercheAdresse answers nothing
    // (empty: the text tells them apart, or finds nothing).
    virtual std::vector<TCandidatCarte> Homonymes(const std::string& /*adresse*/) { return {}; }
    // Why the online service could not answer the last search (French); empty when it
    // answered or was not asked.
    virtual std::string ServiceInjoignable() const { return {}; }
    // The best position for an address (UTF-8); none when nothing was found.
    virtual std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) = 0;
    // The text of the place nearest to a point (UTF-8); empty when nothing is near.
    virtual std::string ChercheLieu(double latitude, double longitude) = 0;

    // The same searches answering later, for searches that go over the network: the answer
    // is given to `reponse` on the calling thread, once, with `enLigne` true when it came
    // from the online service (whose credit the map then shows). These default ones answer
    // at once from the searches above; they may raise what those raise, before answering.
    using TReponseAdresse = std::function<void(std::optional<monde::TPointGeo>, bool enLigne)>;
    using TReponseLieu = std::function<void(std::string, bool enLigne)>;
    virtual void ChercheAdresseDiffere(const std::string& adresse, TReponseAdresse reponse) {
        reponse(ChercheAdresse(adresse), false);
    }
    virtual void ChercheLieuDiffere(double latitude, double longitude, TReponseLieu reponse) {
        reponse(ChercheLieu(latitude, longitude), false);
    }
};

// A stand-in over the communes of the atlas: the address's ","- or ";"-separated elements
// are tried as commune names, a postal code or department number among them choosing
// between namesakes; the reverse search gives the nearest commune within 30 km as
// "Nom, code postal, Département, France".
class TGeocodageCommunes final : public IGeocodage {
public:
    explicit TGeocodageCommunes(const TCarteFrance& atlas) : atlas_(atlas) {}
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) override;
    std::string ChercheLieu(double latitude, double longitude) override;

    static constexpr double RayonLieuKm = 30.0;

private:
    const TCarteFrance& atlas_;
};

} // namespace orlavine
