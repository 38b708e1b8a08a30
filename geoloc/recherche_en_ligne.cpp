#include "geoloc/recherche_en_ligne.h"

#include "geocodeur/service_en_ligne.h"

namespace orlavine::geoloc {

TRechercheEnLigne::TRechercheEnLigne(geocodeur::TServiceNominatim& service,
                                     IRechercheAdresse* horsLigne, Journal journal)
    : service_(service), horsLigne_(horsLigne), journal_(std::move(journal)) {}

void TRechercheEnLigne::Note(const std::string& message) const {
    if (journal_)
        journal_(message);
    else
        AddLog(message);
}

std::vector<TCandidatAdresse> TRechercheEnLigne::Recherche(std::string_view texte) {
    if (horsLigne_) {
        origine_ = horsLigne_->Origine();
        auto candidats = horsLigne_->Recherche(texte);
        if (!candidats.empty()) return candidats;
    }
    return RechercheService(texte);
}

std::vector<TCandidatAdresse> TRechercheEnLigne::RechercheInconnu(std::string_view texte) {
    return RechercheService(texte);
}

std::vector<TCandidatAdresse> TRechercheEnLigne::RechercheService(std::string_view texte) {
    origine_ = Provenance::GeocodeurEnLigne;
    if (!disponible_ || texte.empty()) return {};
    try {
        const auto lieux = service_.Recherche(texte);
        if (lieux.empty()) return {};
        const geocodeur::TLieuNominatim& l = lieux.front();
        if (l.Latitude == 0 || l.Longitude == 0) return {};
        ++reponsesEnLigne_;
        return {{l.Latitude, l.Longitude, l.Libelle, 0}};
    } catch (const geocodeur::ErreurReseau& e) {
        disponible_ = false;
        Note(std::string("Recherche en ligne interrompue : ") + e.what() +
             " ; la suite de la géolocalisation se fait hors ligne.");
    } catch (const Erreur& e) {
        // This text only: an answer that cannot be read, a text the service cannot be asked.
        Note(std::string("Recherche en ligne sans réponse lisible : ") + e.what());
    }
    return {};
}

} // namespace orlavine::geoloc
