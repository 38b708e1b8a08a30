// The atlas answers the genealogy data's questions about French communes: the country file's
// GetCPByCom (postal code and position) and the GEDCOM reader's "is this element a town?".
// The genealogy library knows no atlas; the programs fill its callbacks with this.
#pragma once

#include "atlas/carte_france.h"
#include "genealogie/lieux_gedcom.h"
#include "genealogie/services.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orlavine {

class CommunesAtlas {
public:
    // Indexes the atlas's communes by name and codes; `carte` must outlive this object.
    explicit CommunesAtlas(const TCarteFrance& carte);

    // True when the UTF-8 name is the full name of a commune (case, accents, hyphens,
    // apostrophes and "St"/"Ste" for "Saint"/"Sainte" do not matter).
    bool EstCommune(std::string_view nom) const;

    // The commune named by a town and/or a code (INSEE or postal) in France ("Fr", "FR",
    // "France" or empty; any other country has no commune here). Matching:
    //  - town and code: among the communes of that name, the one whose INSEE or postal code is
    //    the code; otherwise the only one of that name in the code's department; otherwise none
    //    (a name and a code that disagree are not guessed between);
    //  - town alone: the commune of that name when there is exactly one (homonyms: none);
    //  - code alone: the commune with that INSEE code, else the only one with that postal code.
    // A postal code is any of the commune's ("13008" is Marseille's, beside its own 13001);
    // the answer gives the caller's code when it is one of them, else the commune's own.
    std::optional<CommunePays> Cherche(std::string_view ville, std::string_view code,
                                       std::string_view pays) const;

    // The callbacks, bound to this object.
    RechercheCommunePays Recherche() const;
    TestCommune Test() const;

    // The key names are compared by: upper case without accents, separators as single spaces.
    static std::string Cle(std::string_view nomUtf8);

private:
    // The commune's answer; its postal code is `code` when that is one of the commune's.
    CommunePays Reponse(std::size_t index, const std::string& code) const;
    const TCarteFrance& carte_;
    std::unordered_multimap<std::string, std::size_t> parNom_;
    std::unordered_map<std::string, std::size_t> parInsee_;
    std::unordered_multimap<std::string, std::size_t> parPostal_;
};

} // namespace orlavine
