#include "mapview/villes_monde.h"

#include "atlas/carte_france.h"
#include "geocodeur/exonymes.h"
#include "geocodeur/monde.h"
#include "host/chaines.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <unordered_set>

namespace orlavine {

namespace {

// The department codes of the atlas's communes: "01" ... "95", "2A", "971" ...
std::set<std::string> DepartementsAtlas(const TCarteFrance& atlas) {
    std::set<std::string> codes;
    for (const TCommune& c : atlas.Communes) {
        const std::string& code = c.CodeInsee;
        if (code.size() < 2) continue;
        const bool outreMer = code.starts_with("97") || code.starts_with("98");
        codes.insert(code.substr(0, outreMer && code.size() >= 3 ? 3 : 2));
    }
    return codes;
}

} // namespace

std::vector<monde::TVilleMonde> VillesDuMonde(const geocodeur::TMonde& monde,
                                              const TCarteFrance* atlas) {
    // The countries drawn as communes.
    std::vector<bool> exclu(monde.Pays.size(), false);
    std::set<std::string> isoExclus{"FR"};
    if (atlas != nullptr) {
        const std::set<std::string> codes = DepartementsAtlas(*atlas);
        for (const geocodeur::TDepartementFr& d : monde.Departements)
            if (codes.contains(d.Code)) isoExclus.insert(d.Pays);
    }
    for (std::size_t p = 0; p < monde.Pays.size(); ++p)
        exclu[p] = isoExclus.contains(monde.Pays[p].Iso);

    // Our French names, on the most populous place of that name in its country.
    std::map<std::pair<std::string_view, std::string_view>, const geocodeur::TExonyme*> exonymes;
    std::unordered_set<std::string_view> cibles;
    for (const geocodeur::TExonyme& e : geocodeur::Exonymes()) {
        exonymes.emplace(std::pair<std::string_view, std::string_view>{e.iso, e.cible}, &e);
        cibles.insert(e.cible);
    }
    std::map<const geocodeur::TExonyme*, std::size_t> porteurs;
    for (std::size_t i = 0; i < monde.Lieux.size(); ++i) {
        const geocodeur::TLieu& l = monde.Lieux[i];
        if (l.Pays >= monde.Pays.size() || !cibles.contains(monde.NomLieu(i))) continue;
        const auto e = exonymes.find({monde.Pays[l.Pays].Iso, monde.NomLieu(i)});
        if (e == exonymes.end()) continue;
        const auto [p, nouveau] = porteurs.emplace(e->second, i);
        if (!nouveau && monde.Lieux[p->second].Population < l.Population) p->second = i;
    }
    std::vector<const char*> francais(monde.Lieux.size(), nullptr);
    for (const auto& [e, i] : porteurs)
        francais[i] = e->nom;

    std::vector<monde::TVilleMonde> villes;
    villes.reserve(monde.Lieux.size());
    for (std::size_t i = 0; i < monde.Lieux.size(); ++i) {
        const geocodeur::TLieu& l = monde.Lieux[i];
        if (l.Pays < exclu.size() && exclu[l.Pays]) continue;
        const std::string_view utf8 = francais[i] ? francais[i] : monde.NomLieu(i);
        AnsiString nom = Utf8VersCp1252(utf8);
        // Windows-1252 writes '?' for what it cannot hold.
        if (nom.empty() ||
            std::count(nom.begin(), nom.end(), '?') != std::count(utf8.begin(), utf8.end(), '?'))
            continue;
        villes.push_back({l.Latitude * 1e-5, l.Longitude * 1e-5, std::move(nom), l.Population,
                          static_cast<std::uint8_t>(std::min<int>(l.Genre, 2))});
    }
    return villes;
}

std::shared_ptr<const monde::TVillesMonde> VillesMondePartagees(const geocodeur::TMonde& monde,
                                                                const TCarteFrance* atlas) {
    return std::make_shared<const monde::TVillesMonde>(VillesDuMonde(monde, atlas));
}

} // namespace orlavine
