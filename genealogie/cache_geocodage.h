// The online address search's answers kept in the genealogy base, so that a place asked once
// is never asked again, whichever window or command asks. Its table lives beside the base's
// own tables and is created on first use; the base's schema is left as it is.
#pragma once

#include "host/cache_textes.h"

namespace orlavine {

class TBaseGenealogie;

class TCacheGeocodageBase final : public ICacheTextes {
public:
    // `base` must outlive the cache, which holds nothing else: one may be made for each use.
    explicit TCacheGeocodageBase(TBaseGenealogie& base) : base_(base) {}

    // Raise ErreurGenealogie (a read-only base cannot keep answers, for instance).
    std::optional<std::string> Lit(const std::string& requete) override;
    void Ecrit(const std::string& requete, const std::string& reponse) override;

private:
    TBaseGenealogie& base_;
};

} // namespace orlavine
