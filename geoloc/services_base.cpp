#include "geoloc/services_base.h"

namespace orlavine::geoloc {

TServicesLieuxBase::TServicesLieuxBase(const TGestFichier& gestion)
    : gestion_(gestion), pays_(asPaysParDefaut()) {}

TPartiesLieu TServicesLieuxBase::PartiesLieu(int idLieu) const {
    const TLieu* lieu = gestion_.FicDupli.Lieu(idLieu);
    if (!lieu) return {};
    return {lieu->Commune, lieu->Region, lieu->Pays, lieu->Code()};
}

std::string TServicesLieuxBase::GetCPByCom(const std::string& ville, const std::string& code,
                                           const std::string& codePays, double& longitude,
                                           double& latitude) const {
    return gestion_.FicPays.GetCPByCom(ville, code, codePays, longitude, latitude);
}

} // namespace orlavine::geoloc
