#include "app/communes_atlas.h"

#include "host/chaines.h"

namespace orlavine {

namespace {

// "2A004" and "20000" are both Corsica: department "20" for the comparison.
std::string DepartementDe(std::string_view code) {
    if (code.size() < 2) return {};
    if (code[0] == '2' && (code[1] == 'A' || code[1] == 'B' || code[1] == 'a' || code[1] == 'b'))
        return "20";
    return std::string(code.substr(0, 2));
}

bool EstFrance(std::string_view pays) {
    const std::string cle = CommunesAtlas::Cle(pays);
    return cle.empty() || cle == "FR" || cle == "FRANCE";
}

} // namespace

std::string CommunesAtlas::Cle(std::string_view nomUtf8) {
    const AnsiString majuscules = UpperANSIChaineAS(Utf8VersCp1252(nomUtf8), MajusculesSansAccents);
    std::string cle;
    std::string mot;
    auto finMot = [&] {
        if (mot.empty()) return;
        if (mot == "ST") mot = "SAINT";
        if (mot == "STE") mot = "SAINTE";
        if (!cle.empty()) cle += ' ';
        cle += mot;
        mot.clear();
    };
    for (char c : majuscules) {
        if (c == ' ' || c == '-' || c == '\'' || c == '.' || c == '\t')
            finMot();
        else
            mot += c;
    }
    finMot();
    return cle;
}

CommunesAtlas::CommunesAtlas(const TCarteFrance& carte) : carte_(carte) {
    for (std::size_t i = 0; i < carte.Communes.size(); ++i) {
        const TCommune& c = carte.Communes[i];
        parNom_.emplace(Cle(Cp1252VersUtf8(TCarteFrance::NomComplet(c))), i);
        parInsee_.emplace(c.CodeInsee, i);
        if (!c.CodePostal.empty()) parPostal_.emplace(c.CodePostal, i);
    }
    for (const TAutreCodePostal& a : carte.AutresCodesPostaux)
        parPostal_.emplace(a.Code, a.Index);
}

bool CommunesAtlas::EstCommune(std::string_view nom) const {
    const std::string cle = Cle(nom);
    return !cle.empty() && parNom_.count(cle) > 0;
}

CommunePays CommunesAtlas::Reponse(std::size_t index, const std::string& code) const {
    const TCommune& c = carte_.Communes[index];
    // The caller's code when it is one of the commune's postal codes: of a city with several
    // (Marseille 13001 to 13016) it names the district, which the record's own code does not.
    // Otherwise (an INSEE code, a code of the department only, no code) the record's own.
    const AnsiString& cp = carte_.ACodePostal(static_cast<int>(index), code) ? code : c.CodePostal;
    return {Cp1252VersUtf8(cp), c.Latitude, c.Longitude};
}

std::optional<CommunePays> CommunesAtlas::Cherche(std::string_view ville, std::string_view code,
                                                  std::string_view pays) const {
    if (!EstFrance(pays)) return std::nullopt;
    const std::string codeMaj = UpperANSIChaineAS(std::string(SansBlancs(code)), 2);
    const std::string cle = Cle(ville);
    if (!cle.empty()) {
        const auto [debut, fin] = parNom_.equal_range(cle);
        std::vector<std::size_t> homonymes;
        for (auto it = debut; it != fin; ++it)
            homonymes.push_back(it->second);
        if (homonymes.empty()) return std::nullopt;
        if (codeMaj.empty()) {
            if (homonymes.size() == 1) return Reponse(homonymes[0], codeMaj);
            return std::nullopt;
        }
        for (std::size_t i : homonymes) {
            const TCommune& c = carte_.Communes[i];
            if (c.CodeInsee == codeMaj || carte_.ACodePostal(static_cast<int>(i), codeMaj))
                return Reponse(i, codeMaj);
        }
        std::optional<std::size_t> seul;
        for (std::size_t i : homonymes)
            if (DepartementDe(carte_.Communes[i].CodeInsee) == DepartementDe(codeMaj)) {
                if (seul) return std::nullopt;
                seul = i;
            }
        if (seul) return Reponse(*seul, codeMaj);
        return std::nullopt;
    }
    if (codeMaj.empty()) return std::nullopt;
    if (const auto it = parInsee_.find(codeMaj); it != parInsee_.end())
        return Reponse(it->second, codeMaj);
    if (parPostal_.count(codeMaj) == 1) return Reponse(parPostal_.find(codeMaj)->second, codeMaj);
    return std::nullopt;
}

RechercheCommunePays CommunesAtlas::Recherche() const {
    return [this](std::string_view ville, std::string_view code, std::string_view pays) {
        return Cherche(ville, code, pays);
    };
}

TestCommune CommunesAtlas::Test() const {
    return [this](std::string_view nom) { return EstCommune(nom); };
}

} // namespace orlavine
