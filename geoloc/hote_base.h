// The world map page's host over the genealogy base: the place texts of the places file, the
// normalisation with the places and country files, the log, and the storing of a located
// place into the geolocation table. No toolkit here.
#pragma once

#include "genealogie/services.h"
#include "geoloc/normalisation.h"
#include "geoloc/page_monde.h"
#include "geoloc/services_base.h"

namespace orlavine::geoloc {

// Why place `idLieu` with `lieuDit` ("" for the place itself) is no entry of the base, in
// French; empty when it is one: an event uses it, or the geolocation table holds it. Opening
// such a place, or storing a position for it, would create an entry no event refers to.
std::string RaisonEntreeAbsente(TGestFichier& gestion, int idLieu, std::string_view lieuDit);

class THotePageMondeBase final : public IHotePageMonde {
public:
    explicit THotePageMondeBase(TGestFichier& gestion) : gestion_(gestion), lieux_(gestion) {}

    std::string TexteLieu(int idPlace) const override;
    std::string NormalizeAddress(double& longitude, double& latitude, std::string_view adresse,
                                 int idPlace, std::string_view lieuDit) const override;
    void AddLog(const std::string& ligne) override;
    // With a resolution (FixeResolveur), the place's parts are resolved as the bulk run does.
    std::optional<TResolution> ResoutLieu(int idPlace) const override;
    // The resolution to use (null: none; the text is searched). It must outlive the host.
    void FixeResolveur(const TResolveurLieux* resolveur) { resolveur_ = resolveur; }

    // Stores the position and state of a place saved by the page (a place the table does not
    // hold yet is added). A position out of range, or a place and lieu-dit that no event uses,
    // is refused (orlavine::Erreur), the base unchanged.
    void EnregistreLieu(const SGeoChps& lieu);

private:
    TGestFichier& gestion_;
    TServicesLieuxBase lieux_;
    const TResolveurLieux* resolveur_ = nullptr;
};

} // namespace orlavine::geoloc
