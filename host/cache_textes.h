// A cache of answer texts by request text: what an online service answered, kept so that the
// same request is never sent twice. Implementations: in memory (below) and in the genealogy
// base (genealogie/cache_geocodage.h). No toolkit here.
#pragma once

#include "host/erreur.h"
#include "host/reponse_en_ligne.h"

#include <map>
#include <optional>
#include <string>

namespace orlavine {

class ICacheTextes {
public:
    virtual ~ICacheTextes() = default;
    // The answer kept for that request; none when it was never kept.
    virtual std::optional<std::string> Lit(const std::string& requete) = 0;
    // Keeps (or replaces) the answer to that request. Raises orlavine::Erreur when it cannot,
    // and for an answer larger than TailleMaxReponseEnLigne, which is never kept.
    virtual void Ecrit(const std::string& requete, const std::string& reponse) = 0;
};

// Raises Erreur for an answer too large to be kept.
inline void RefuseTropGrande(const std::string& reponse) {
    if (reponse.size() > TailleMaxReponseEnLigne)
        throw Erreur("réponse de " + std::to_string(reponse.size()) +
                     " octets : trop grande pour être gardée (au plus " +
                     std::to_string(TailleMaxReponseEnLigne) + ")");
}

// For the life of the program only.
class TCacheTextesMemoire final : public ICacheTextes {
public:
    std::optional<std::string> Lit(const std::string& requete) override {
        const auto i = textes_.find(requete);
        if (i == textes_.end()) return std::nullopt;
        return i->second;
    }
    void Ecrit(const std::string& requete, const std::string& reponse) override {
        RefuseTropGrande(reponse);
        textes_[requete] = reponse;
    }
    std::size_t Taille() const { return textes_.size(); }

private:
    std::map<std::string, std::string> textes_;
};

} // namespace orlavine
