#include "geoloc/hote_base.h"

#include "genealogie/journal_geo.h"
#include "geoloc/localisation_auto.h"
#include "host/erreur.h"

#include <algorithm>
#include <cmath>

namespace orlavine::geoloc {

std::string RaisonEntreeAbsente(TGestFichier& gestion, int idLieu, std::string_view lieuDit) {
    TBaseGenealogie& base = gestion.Base;
    if (base.Geolocalisation(idLieu, lieuDit)) return {};
    std::vector<std::string> employes;
    RequeteSqlite r(base.Connexion(),
                    "SELECT DISTINCT lieu_dit FROM evenements WHERE lieu = ? ORDER BY lieu_dit");
    r.Lie(1, idLieu);
    while (r.Pas())
        employes.emplace_back(r.Texte(0));
    if (std::find(employes.begin(), employes.end(), lieuDit) != employes.end()) return {};
    const std::string lieu =
        "le lieu " + std::to_string(idLieu) + " (" + gestion.FicDupli.Charge(idLieu) + ")";
    if (employes.empty()) return lieu + " n'est employé par aucun événement";
    std::string liste;
    for (const std::string& l : employes)
        liste += (liste.empty() ? "« " : ", « ") + (l.empty() ? "sans lieu-dit" : l) + " »";
    if (lieuDit.empty())
        return lieu + " n'est employé qu'avec un lieu-dit (" + liste + ") : choisissez-en un";
    return lieu + " n'est jamais employé avec le lieu-dit « " + std::string(lieuDit) +
           " » (employé : " + liste + ")";
}

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
    const auto avant = gestion_.Base.Geolocalisation(lieu.IdPlace, lieu.LieuDit);
    if (!avant) {
        if (const std::string raison = RaisonEntreeAbsente(gestion_, lieu.IdPlace, lieu.LieuDit);
            !raison.empty())
            throw Erreur("Position non enregistrée : " + raison + ".");
    }
    // A hand placement, or a position that replaces another, is journaled: « Annuler la
    // dernière géolocalisation » (place tool, command line) gives the previous one back.
    const bool remplace =
        avant && (avant->Latitude != lieu.Latitude || avant->Longitude != lieu.Longitude);
    if (lieu.Etat == EtatPlaceALaMain || remplace) {
        TJournalGeo(gestion_.Base)
            .PlaceALaMain({lieu.IdPlace, lieu.LieuDit, lieu.Latitude, lieu.Longitude, lieu.Etat,
                           lieu.AdresseRech, TModuleBDD::ProvenanceDeEtat(lieu.Etat),
                           DateMaintenant()},
                          lieu.Etat == EtatPlaceALaMain ? "Placer un lieu à la main"
                                                        : "Localiser un lieu sur la carte");
        return;
    }
    gestion_.ModuleBDD.UpdateCoordGeo(&lieu);
}

} // namespace orlavine::geoloc
