// The places and country files of the genealogy base as the normalisation wants them, shared
// by the world map page's host and the automatic location. No toolkit here.
#pragma once

#include "genealogie/services.h"
#include "geoloc/normalisation.h"

#include <string>

namespace orlavine::geoloc {

class TServicesLieuxBase final : public IServicesLieux {
public:
    // The default country is read once, now.
    explicit TServicesLieuxBase(const TGestFichier& gestion);
    TPartiesLieu PartiesLieu(int idLieu) const override;
    std::string PaysParDefaut() const override { return pays_; }
    std::string GetCPByCom(const std::string& ville, const std::string& code,
                           const std::string& codePays, double& longitude,
                           double& latitude) const override;

private:
    const TGestFichier& gestion_;
    std::string pays_;
};

} // namespace orlavine::geoloc
