#include "tools/geocodeur-build/construction.h"

#include "geocodeur/cle.h"
#include "geocodeur/faits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

namespace orlavine::geocodeurbuild {

namespace fs = std::filesystem;
using geocodeur::Cle;
using geocodeur::CleLatine;
using geocodeur::ErreurGeocodeur;
using json = nlohmann::json;

namespace {

constexpr std::size_t LongueurMaxCleAlternative = 40;

std::string LitTexte(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    if (!f)
        throw ErreurGeocodeur("Source \"" + chemin.string() +
                              "\" absente : lancer scripts/fetch-sources.sh.");
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

json LitJson(const fs::path& chemin) {
    try {
        return json::parse(LitTexte(chemin));
    } catch (const json::exception& e) {
        throw ErreurGeocodeur(
            Erreur::Compose(chemin.string(), 0, std::string("JSON illisible : ") + e.what()));
    }
}

// The names of a JSON value that is a string or a list of strings.
std::vector<std::string> Noms(const json& v) {
    std::vector<std::string> noms;
    if (v.is_string()) noms.push_back(v.get<std::string>());
    if (v.is_array())
        for (const auto& n : v)
            if (n.is_string()) noms.push_back(n.get<std::string>());
    return noms;
}

// Province names also go without their leading "Canton de", "Wilaya de", "Province du"...
void AjouteCles(std::set<std::string>& cles, const std::string& nom) {
    const std::string cle = Cle(nom);
    if (cle.empty() || !CleLatine(cle)) return;
    cles.insert(cle);
    static const char* prefixes[] = {
        "CANTON DE ", "CANTON DU ",      "CANTON DES ",     "CANTON D ",      "WILAYA DE ",
        "WILAYA D ",  "PROVINCE DE ",    "PROVINCE DU ",    "PROVINCE D ",    "REGION DE ",
        "REGION DU ", "REGION D ",       "ETAT DE ",        "ETAT DU ",       "ETAT D ",
        "COMTE DE ",  "DEPARTEMENT DE ", "DEPARTEMENT DU ", "GOUVERNORAT DE "};
    for (const char* p : prefixes) {
        const std::string_view prefixe(p);
        if (cle.size() > prefixe.size() && cle.compare(0, prefixe.size(), prefixe) == 0)
            cles.insert(cle.substr(prefixe.size()));
    }
}

std::vector<std::string> VersListe(const std::set<std::string>& s) {
    return {s.begin(), s.end()};
}

std::vector<std::string_view> Champs(std::string_view ligne) {
    std::vector<std::string_view> champs;
    std::size_t debut = 0;
    for (;;) {
        const std::size_t fin = ligne.find('\t', debut);
        champs.push_back(ligne.substr(debut, fin == std::string_view::npos ? fin : fin - debut));
        if (fin == std::string_view::npos) break;
        debut = fin + 1;
    }
    return champs;
}

bool LitDegres(std::string_view texte, double limite, std::int32_t& valeur) {
    double d = 0;
    const auto [fin, err] = std::from_chars(texte.data(), texte.data() + texte.size(), d);
    if (err != std::errc() || fin != texte.data() + texte.size() || !std::isfinite(d) ||
        std::fabs(d) > limite)
        return false;
    valeur = static_cast<std::int32_t>(std::lround(d * 1e5));
    return true;
}

} // namespace

geocodeur::DonneesMonde ConstruitMonde(const fs::path& sources, RapportConstruction* rapport) {
    geocodeur::DonneesMonde d;
    RapportConstruction r;

    // ---- Countries: French name first, English names and our aliases as keys.
    const json fr = LitJson(sources / CheminPaysFr);
    const json en = LitJson(sources / CheminPaysEn);
    if (!fr.contains("countries") || !fr["countries"].is_object())
        throw ErreurGeocodeur(
            Erreur::Compose((sources / CheminPaysFr).string(), 0, "objet \"countries\" absent"));
    std::map<std::string, std::set<std::string>> clesPays;
    std::map<std::string, std::string> nomPays;
    for (const auto& [iso, valeur] : fr["countries"].items()) {
        const auto noms = Noms(valeur);
        if (iso.size() != 2 || noms.empty()) continue;
        nomPays[iso] = noms.front();
        for (const auto& n : noms)
            AjouteCles(clesPays[iso], n);
        if (en.contains("countries") && en["countries"].contains(iso))
            for (const auto& n : Noms(en["countries"][iso]))
                AjouteCles(clesPays[iso], n);
    }
    std::map<std::string, std::vector<std::string>> aliasProvinces; // "CC/ADMIN" -> names
    for (const AliasPays& a : AliasDePays()) {
        const std::string cible = a.iso;
        if (cible.size() == 2) {
            if (!nomPays.count(cible))
                throw ErreurGeocodeur("Alias « " + std::string(a.nom) + " » vers un pays inconnu " +
                                      cible);
            AjouteCles(clesPays[cible], a.nom);
        } else {
            aliasProvinces[cible].push_back(a.nom);
        }
        ++r.alias;
    }

    // Countries of GeoNames without a French name keep their code as name.
    const std::string geonames = LitTexte(sources / CheminGeoNames);
    {
        std::size_t debut = 0;
        while (debut < geonames.size()) {
            std::size_t fin = geonames.find('\n', debut);
            if (fin == std::string::npos) fin = geonames.size();
            const auto champs = Champs(std::string_view(geonames).substr(debut, fin - debut));
            if (champs.size() > 8 && champs[8].size() == 2 &&
                !nomPays.count(std::string(champs[8])))
                nomPays[std::string(champs[8])] = std::string(champs[8]);
            debut = fin + 1;
        }
    }
    std::map<std::string, std::uint16_t> indexPays;
    for (const auto& [iso, nom] : nomPays) {
        indexPays[iso] = static_cast<std::uint16_t>(d.Pays.size());
        d.Pays.push_back({iso, nom, VersListe(clesPays[iso])});
    }

    // ---- Provinces (first-level divisions), French name first, not France's own regions.
    std::map<std::pair<std::string, std::string>, std::uint16_t> indexProvinces;
    for (const auto& [iso, _] : nomPays) {
        if (iso == "FR") continue;
        const fs::path dossier = sources / CheminProvinces / iso;
        if (!fs::exists(dossier / "fr.json")) continue;
        struct Prov {
            std::string nom;
            std::set<std::string> cles;
        };
        std::map<std::string, Prov> provinces;
        for (const char* langue : {"fr.json", "en.json", "geonames.json"}) {
            if (!fs::exists(dossier / langue)) continue;
            const json liste = LitJson(dossier / langue);
            if (!liste.is_array()) continue;
            for (const auto& p : liste) {
                if (!p.contains("admin") || !p["admin"].is_string() || !p.contains("name") ||
                    !p["name"].is_string())
                    continue;
                const std::string admin = p["admin"].get<std::string>();
                const std::string nom = p["name"].get<std::string>();
                if (admin.empty() || nom.empty()) continue;
                Prov& prov = provinces[admin];
                if (prov.nom.empty()) prov.nom = nom;
                AjouteCles(prov.cles, nom);
            }
        }
        for (auto& [admin, prov] : provinces) {
            for (const auto& a : aliasProvinces[iso + "/" + admin])
                AjouteCles(prov.cles, a);
            aliasProvinces.erase(iso + "/" + admin);
            indexProvinces[{iso, admin}] = static_cast<std::uint16_t>(d.Provinces.size());
            d.Provinces.push_back({indexPays.at(iso), admin, prov.nom, VersListe(prov.cles)});
        }
    }
    for (const auto& [cible, noms] : aliasProvinces)
        throw ErreurGeocodeur("Alias « " + noms.front() + " » vers une province inconnue " + cible);

    // ---- Departments and regions of France.
    const json departements = LitJson(sources / CheminDepartements);
    const json regions = LitJson(sources / CheminRegions);
    std::map<std::string, std::vector<std::string>> departementsDeRegion;
    for (const auto& dep : departements) {
        if (!dep.contains("code") || !dep.contains("nom") || !dep.contains("region")) continue;
        const std::string code = dep["code"].get<std::string>();
        const char* outreMer = PaysOutreMer(code);
        const bool metropole = code.size() == 2;
        if (!metropole && !outreMer) continue;
        geocodeur::TDepartementFr f;
        f.Code = code;
        f.Nom = dep["nom"].get<std::string>();
        f.Pays = metropole ? "FR" : outreMer;
        std::set<std::string> cles;
        AjouteCles(cles, f.Nom);
        f.Cles = VersListe(cles);
        d.Departements.push_back(std::move(f));
        departementsDeRegion[dep["region"].get<std::string>()].push_back(code);
    }
    for (const auto& reg : regions) {
        if (!reg.contains("code") || !reg.contains("nom")) continue;
        const auto deps = departementsDeRegion.find(reg["code"].get<std::string>());
        if (deps == departementsDeRegion.end()) continue;
        geocodeur::TRegionFr f;
        f.Nom = reg["nom"].get<std::string>();
        f.Departements = deps->second;
        std::set<std::string> cles;
        AjouteCles(cles, f.Nom);
        f.Cles = VersListe(cles);
        d.Regions.push_back(std::move(f));
    }
    // The former departments, regions and provinces: the same facts as the reading of place
    // fields.
    for (geocodeur::TZoneAncienne& a : geocodeur::ZonesAnciennes()) {
        geocodeur::TRegionFr f;
        f.Nom = std::move(a.Nom);
        f.Departements = std::move(a.Departements);
        std::set<std::string> cles;
        AjouteCles(cles, f.Nom);
        f.Cles = VersListe(cles);
        d.Regions.push_back(std::move(f));
    }

    // ---- Places: every place outside metropolitan France (the atlas has those).
    std::map<std::string, std::map<std::uint32_t, bool>> cles; // key -> place -> alternate
    auto ajouteCle = [&](const std::string& cle, std::uint32_t lieu, bool alternatif) {
        if (cle.empty() || cle.size() > geocodeur::LongueurMaxCle) return;
        auto& cibles = cles[cle];
        const auto e = cibles.find(lieu);
        if (e == cibles.end())
            cibles.emplace(lieu, alternatif);
        else
            e->second = e->second && alternatif;
    };
    std::map<std::pair<std::string, std::string>, std::pair<std::uint32_t, std::uint32_t>>
        plusPeuple; // (country, name) -> (place, population), for the exonyms
    std::size_t numeroLigne = 0;
    std::size_t debut = 0;
    while (debut < geonames.size()) {
        std::size_t fin = geonames.find('\n', debut);
        if (fin == std::string::npos) fin = geonames.size();
        ++numeroLigne;
        const std::string_view ligne = std::string_view(geonames).substr(debut, fin - debut);
        debut = fin + 1;
        if (ligne.empty()) continue;
        const auto c = Champs(ligne);
        auto faute = [&](const std::string& detail) {
            return ErreurGeocodeur(
                Erreur::Compose(CheminGeoNames, static_cast<long>(numeroLigne), detail));
        };
        if (c.size() < 15) throw faute("moins de 15 champs");
        const std::string iso(c[8]);
        if (iso == "FR") continue;
        geocodeur::TLieu lieu;
        if (!LitDegres(c[4], 90, lieu.Latitude) || !LitDegres(c[5], 180, lieu.Longitude))
            throw faute("coordonnées illisibles");
        const auto p = indexPays.find(iso);
        if (p == indexPays.end()) throw faute("pays inconnu " + iso);
        lieu.Pays = p->second;
        const auto prov = indexProvinces.find({iso, std::string(c[10])});
        if (prov != indexProvinces.end())
            lieu.Province = prov->second;
        else
            ++r.lieuxSansProvince;
        std::uint32_t population = 0;
        std::from_chars(c[14].data(), c[14].data() + c[14].size(), population);
        lieu.Population = population;
        const std::string_view code = c[7];
        lieu.Genre = code == "PPLC" ? 2 : (code.substr(0, 4) == "PPLA" ? 1 : 0);
        lieu.Nom = geocodeur::AjouteNom(d.Noms, c[1]);
        const auto index = static_cast<std::uint32_t>(d.Lieux.size());
        d.Lieux.push_back(lieu);

        const std::string cleNom = Cle(c[1]);
        if (CleLatine(cleNom)) ajouteCle(cleNom, index, false);
        ajouteCle(Cle(c[2]), index, false);
        const bool siege = code == "PPLC" || code == "PPLA" || code == "PPLA2";
        if (population >= PopulationNomsAlternatifs || siege) {
            std::size_t a = 0;
            const std::string_view alternatifs = c[3];
            while (a < alternatifs.size()) {
                std::size_t b = alternatifs.find(',', a);
                if (b == std::string_view::npos) b = alternatifs.size();
                const std::string cle = Cle(alternatifs.substr(a, b - a));
                if (CleLatine(cle) && cle.size() <= LongueurMaxCleAlternative)
                    ajouteCle(cle, index, true);
                a = b + 1;
            }
        }
        auto& meilleur = plusPeuple[{iso, std::string(c[1])}];
        if (meilleur.second < population || (meilleur.first == 0 && meilleur.second == 0))
            meilleur = {index, population};
    }

    // ---- Our exonyms.
    for (const AliasLieu& e : Exonymes()) {
        const auto lieu = plusPeuple.find({e.iso, e.cible});
        if (lieu == plusPeuple.end()) {
            r.exonymesIntrouvables.push_back(e.nom);
            continue;
        }
        // Our own French names count as the place's name, not as an alternate one.
        ajouteCle(Cle(e.nom), lieu->second.first, false);
        ++r.alias;
    }

    for (auto& [cle, cibles] : cles) {
        geocodeur::TCleLieux k;
        k.Cle = cle;
        for (const auto& [lieu, alternatif] : cibles)
            k.Cibles.push_back(lieu * 2 + (alternatif ? 1 : 0));
        d.Cles.push_back(std::move(k));
    }

    r.lieux = d.Lieux.size();
    r.pays = d.Pays.size();
    r.provinces = d.Provinces.size();
    r.cles = d.Cles.size();
    if (rapport) *rapport = r;
    return d;
}

} // namespace orlavine::geocodeurbuild
