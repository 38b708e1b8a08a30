#include "geoloc/hote_base.h"

#include "geoloc/localisation_auto.h"
#include "host/erreur.h"

#include <cmath>

namespace orlavine::geoloc {

std::string THotePageMondeBase::TexteLieu(int idPlace) const {
    return gestion_.FicDupli.Charge(idPlace);
}

std::string THotePageMondeBase::NormalizeAddress(double& longitude, double& latitude,
                                                 std::string_view adresse, int idPlace,
                                                 std::string_view lieuDit) const {
    return geoloc::NormalizeAddress(lieux_, longitude, latitude, adresse, idPlace, lieuDit);
}

std::optional<TResolution> THotePageMondeBase::ResoutLieu(int idPlace) const {
    if (!resolveur_ || !gestion_.FicDupli.Lieu(idPlace)) return std::nullopt;
    return resolveur_->Resout(PartiesDuLieu(gestion_, idPlace, {}));
}

void THotePageMondeBase::AddLog(const std::string& ligne) {
    orlavine::AddLog(ligne, {}, {});
}

void THotePageMondeBase::EnregistreLieu(const SGeoChps& lieu) {
    if (!std::isfinite(lieu.Latitude) || !std::isfinite(lieu.Longitude) ||
        std::abs(lieu.Latitude) > 90 || std::abs(lieu.Longitude) > 180)
        throw Erreur("Position hors limites pour le lieu " + std::to_string(lieu.IdPlace) +
                     " : latitude " + std::to_string(lieu.Latitude) + ", longitude " +
                     std::to_string(lieu.Longitude) + ".");
    gestion_.ModuleBDD.UpdateCoordGeo(&lieu);
}

} // namespace orlavine::geoloc
