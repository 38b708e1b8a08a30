#include "geocodeur/service_en_ligne.h"

#include "host/cache_textes.h"

#include <thread>

namespace orlavine::geocodeur {

TServiceNominatim::TServiceNominatim(std::string serveur, ITransportHttp& transport,
                                     ICacheTextes& cache, TLimiteurDebit& limiteur, Attente attente,
                                     Avertissement avertissement)
    : serveur_(std::move(serveur)), transport_(transport), cache_(cache), limiteur_(limiteur),
      attente_(std::move(attente)), avertissement_(std::move(avertissement)) {}

void TServiceNominatim::Avertit(const std::string& message) const {
    if (avertissement_) avertissement_(message);
}

std::vector<TLieuNominatim> TServiceNominatim::Recherche(std::string_view texte) {
    const std::string requete = RequeteRecherche(serveur_, texte);
    try {
        if (const auto garde = cache_.Lit(requete)) {
            try {
                auto lieux = LitReponseRecherche(*garde, requete);
                ++gardees_;
                return lieux;
            } catch (const ErreurNominatim& e) {
                // A damaged kept answer is asked again and replaced.
                Avertit(std::string("réponse gardée illisible, demandée à nouveau : ") + e.what());
            }
        }
    } catch (const Erreur& e) {
        Avertit(std::string("réponses gardées illisibles : ") + e.what());
    }

    const TLimiteurDebit::Duree delai = limiteur_.Reserve();
    if (delai.count() > 0) {
        if (attente_)
            attente_(delai);
        else
            std::this_thread::sleep_for(delai);
    }
    ++envoyees_;
    const std::string texteReponse = transport_.Obtient(requete);
    // Whatever the transport let through, an answer beyond the cap is neither read nor kept.
    if (texteReponse.size() > TailleMaxReponseEnLigne)
        throw ErreurReseau(requete, 0,
                           "réponse de " + std::to_string(texteReponse.size()) +
                               " octets refusée : trop grande (au plus " +
                               std::to_string(TailleMaxReponseEnLigne) + ")");
    auto lieux = LitReponseRecherche(texteReponse, requete);
    try {
        cache_.Ecrit(requete, texteReponse);
    } catch (const Erreur& e) {
        Avertit(std::string("réponse non gardée : ") + e.what());
    }
    return lieux;
}

} // namespace orlavine::geocodeur
