// The world map's address search in the desktop program: the offline geocoder.
#pragma once

#include "base_bureau.h"
#include "genealogie/cache_geocodage.h"
#include "geocodeur/geocodeur.h"
#include "mapview/geocodage.h"

#include <algorithm>

namespace orlavine {

class TGeocodageHorsLigne final : public IGeocodage {
public:
    explicit TGeocodageHorsLigne(const geocodeur::TGeocodeur& geocodeur) : geocodeur_(geocodeur) {}

    // The best candidate; none when the best two have the same score and lie apart (the text
    // does not tell namesakes apart: no answer is better than a wrong one).
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) override {
        const auto candidats = geocodeur_.Recherche(adresse);
        if (candidats.empty()) return std::nullopt;
        const auto& premier = candidats.front();
        if (candidats.size() > 1 && candidats[1].Score == premier.Score &&
            geocodeur::DistanceKm(premier.Latitude, premier.Longitude, candidats[1].Latitude,
                                  candidats[1].Longitude) > MemeLieuKm)
            return std::nullopt;
        return monde::TPointGeo{premier.Latitude, premier.Longitude};
    }
    // The best-scored candidates when they lie apart: namesakes the text does not tell apart.
    std::vector<TCandidatCarte> Homonymes(const std::string& adresse) override {
        const auto candidats = geocodeur_.Recherche(adresse);
        std::vector<TCandidatCarte> homonymes;
        if (candidats.size() < 2 || candidats[1].Score != candidats.front().Score) return homonymes;
        for (const auto& c : candidats) {
            if (c.Score != candidats.front().Score) break;
            const bool connu = std::any_of(homonymes.begin(), homonymes.end(), [&](const auto& h) {
                return geocodeur::DistanceKm(h.Point.Latitude, h.Point.Longitude, c.Latitude,
                                             c.Longitude) <= MemeLieuKm;
            });
            if (!connu) homonymes.push_back({{c.Latitude, c.Longitude}, c.Libelle});
        }
        if (homonymes.size() < 2) homonymes.clear();
        return homonymes;
    }
    std::string ChercheLieu(double latitude, double longitude) override {
        const auto lieu = geocodeur_.RechercheInverse(latitude, longitude);
        return lieu ? lieu->Libelle : std::string();
    }

    // Two candidates closer than this are the same place written twice.
    static constexpr double MemeLieuKm = 5.0;

private:
    const geocodeur::TGeocodeur& geocodeur_;
};

// The online search's answers kept in the base open at the time of each use (none open: not
// kept), so that replacing or closing the base never leaves the cache on a closed one.
class TCacheGeocodageBureau final : public ICacheTextes {
public:
    explicit TCacheGeocodageBureau(const BaseBureau& base) : base_(base) {}
    std::optional<std::string> Lit(const std::string& requete) override {
        if (TBaseGenealogie* b = base_.Base()) return TCacheGeocodageBase(*b).Lit(requete);
        return std::nullopt;
    }
    void Ecrit(const std::string& requete, const std::string& reponse) override {
        if (TBaseGenealogie* b = base_.Base()) TCacheGeocodageBase(*b).Ecrit(requete, reponse);
    }

private:
    const BaseBureau& base_;
};

} // namespace orlavine
