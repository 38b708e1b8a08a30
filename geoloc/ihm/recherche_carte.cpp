#include "geoloc/ihm/recherche_carte.h"

#include "mapview/attente.h"
#include "mapview/web_osmaps.h"

namespace orlavine {

TRechercheCarte::TRechercheCarte(TWebOSMaps* carte, Provenance origine, int attenteMaxMs)
    : QObject(carte), carte_(carte), origine_(origine), attenteMaxMs_(attenteMaxMs) {
    connect(carte_, &TWebOSMaps::OnMapResultSearchAddress, this,
            [this](QObject*, double latitude, double longitude, int, int) {
                ++recues_;
                if (!attente_ || recues_ != demandees_) return; // a late answer
                repondu_ = true;
                latitude_ = latitude;
                longitude_ = longitude;
            });
}

std::vector<geoloc::TCandidatAdresse> TRechercheCarte::Recherche(std::string_view texte) {
    if (attente_) return {};
    attente_ = true;
    repondu_ = false;
    latitude_ = longitude_ = 0;
    ++demandees_;
    carte_->ArcGisMapSearchAdress(
        QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size())));
    AttendEnTraitantEvenements(std::chrono::milliseconds(attenteMaxMs_),
                               [this] { return repondu_; });
    attente_ = false;
    if (!repondu_ || latitude_ == 0 || longitude_ == 0) return {};
    return {{latitude_, longitude_, std::string(texte), 0}};
}

} // namespace orlavine
