// The address search of a bulk run when the user allows the online service: the offline
// geocoder answers first, and only the texts it does not know are asked online. A run over a
// whole tree thus sends as few requests as it can (most places are communes the offline
// geocoder knows, at once), and an answer the offline geocoder finds ambiguous stays refused
// rather than being settled by the service's first guess. When the service cannot be reached,
// the rest of the run goes on offline and the log says so once. Toolkit-free.
#pragma once

#include "geoloc/localisation_auto.h"

#include <functional>
#include <string>

namespace orlavine::geocodeur {
class TServiceNominatim;
}

namespace orlavine::geoloc {

class TRechercheEnLigne final : public IRechercheAdresse {
public:
    // What the run's log should say about the service (in French).
    using Journal = std::function<void(const std::string&)>;

    // `service` and `horsLigne` must outlive the search; `horsLigne` may be null (online only).
    TRechercheEnLigne(geocodeur::TServiceNominatim& service, IRechercheAdresse* horsLigne,
                      Journal journal = {});

    std::vector<TCandidatAdresse> Recherche(std::string_view texte) override;
    // The source of the last answer: the offline geocoder's or the online service's.
    Provenance Origine() const override { return origine_; }
    // The offline search's resolution; the service answers for the places it finds nowhere.
    const TResolveurLieux* Resolveur() const override {
        return horsLigne_ ? horsLigne_->Resolveur() : nullptr;
    }
    std::vector<TCandidatAdresse> RechercheInconnu(std::string_view texte) override;

    // Online answers taken (the OpenStreetMap credit is owed for them).
    int ReponsesEnLigne() const { return reponsesEnLigne_; }
    // False once the service failed to answer: the rest of the run is offline.
    bool ServiceDisponible() const { return disponible_; }

private:
    std::vector<TCandidatAdresse> RechercheService(std::string_view texte);
    void Note(const std::string& message) const;

    geocodeur::TServiceNominatim& service_;
    IRechercheAdresse* horsLigne_;
    Journal journal_;
    Provenance origine_ = Provenance::GeocodeurEnLigne;
    bool disponible_ = true;
    int reponsesEnLigne_ = 0;
};

} // namespace orlavine::geoloc
