#include "geoloc/resolution.h"

#include "atlas/carte_france.h"
#include "geocodeur/cle.h"
#include "geocodeur/faits.h"
#include "geocodeur/geocodeur.h"
#include "host/chaines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace orlavine::geoloc {

namespace {

using geocodeur::Cle;
using geocodeur::TZoneFrancaise;

// Two places closer than this are the same place under two names (a delegated commune and
// the new commune that took its name).
constexpr double MemePlaceKm = 2.0;
constexpr std::size_t NombreMaxCandidats = 20;
constexpr std::size_t NombreMaxChamps = 16;
constexpr std::size_t LongueurMaxTexte = 1024;

std::string Guillemets(std::string_view t) {
    return "« " + std::string(t) + " »";
}

bool Contient(const std::vector<std::string>& v, std::string_view s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

void AjouteUnique(std::vector<std::string>& v, std::string s) {
    if (!Contient(v, s)) v.push_back(std::move(s));
}

// True when the two keys differ by one letter missing, extra or changed.
bool UneLettre(std::string_view a, std::string_view b) {
    if (a.size() > b.size()) std::swap(a, b);
    if (b.size() - a.size() > 1) return false;
    // One letter off keeps either the first letter or the last one.
    if (b.size() > 1 && a.front() != b.front() && a.back() != b.back()) return false;
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size()) return i < a.size() && a.substr(i + 1) == b.substr(i + 1);
    return a.substr(i) == b.substr(i + 1);
}

// One field of the place, read by its content.
struct Champ {
    std::string texte; // trimmed, as written
    std::string cle;
    enum Genre : unsigned char { Vide, Code, Numero, Nom } genre = Vide;
    std::string code; // Code: the five characters, upper case; Numero: the department code
    // What the name names besides a town.
    std::vector<std::string> departements; // a department of today, by its name
    std::vector<const TZoneFrancaise*> zonesFr;
    std::vector<std::string> departementsZones; // of zonesFr, each once, in their order
    bool ancienDepartement = false;             // zonesFr reads as a former department
    std::string pays;                           // ISO code of a country it names
    std::vector<std::uint16_t> provinces;
    const geocodeur::TCodeEtat* etat = nullptr;

    bool Zone() const {
        return !departements.empty() || !zonesFr.empty() || !pays.empty() || !provinces.empty() ||
               etat != nullptr;
    }
};

// The fields of one place, in their order, wherever they are kept (read for this place, or
// remembered by a run): the reading never copies a field.
class Champs {
public:
    Champs() = default;
    explicit Champs(const std::vector<Champ>& v) {
        for (const Champ& c : v)
            Ajoute(c);
    }
    void Ajoute(const Champ& c) {
        if (n_ < v_.size()) v_[n_++] = &c;
    }
    void AjouteDevant(const Champ& c) {
        if (n_ == v_.size()) --n_;
        std::move_backward(v_.begin(), v_.begin() + static_cast<std::ptrdiff_t>(n_),
                           v_.begin() + static_cast<std::ptrdiff_t>(n_ + 1));
        v_[0] = &c;
        ++n_;
    }
    std::size_t size() const { return n_; }
    const Champ& operator[](std::size_t k) const { return *v_[k]; }
    const Champ& front() const { return *v_[0]; }

private:
    std::array<const Champ*, NombreMaxChamps + 1> v_{};
    std::size_t n_ = 0;
};

// Communes by a five-character code (INSEE: two digits or 2A, 2B, then three digits; postal: five
// digits) in flat tables: the place of a code is computed, not hashed. A code of another shape
// goes to a small map.
class IndexCodes {
public:
    void Ajoute(std::string_view code, std::int32_t commune) {
        if (const auto r = Rang(code))
            provisoire_.emplace_back(*r, commune);
        else
            autres_[std::string(code)].push_back(commune);
    }
    // After the last Ajoute: each code's communes in the order they came.
    void Termine() {
        debuts_.assign(NombreRangs + 1, 0);
        for (const auto& [r, i] : provisoire_)
            ++debuts_[r + 1];
        for (std::size_t r = 0; r < NombreRangs; ++r)
            debuts_[r + 1] += debuts_[r];
        communes_.resize(provisoire_.size());
        std::vector<std::uint32_t> suivant(debuts_.begin(), debuts_.end() - 1);
        for (const auto& [r, i] : provisoire_)
            communes_[suivant[r]++] = i;
        provisoire_ = {};
    }
    std::span<const std::int32_t> operator[](std::string_view code) const {
        if (const auto r = Rang(code))
            return debuts_.empty() ? std::span<const std::int32_t>()
                                   : std::span<const std::int32_t>(communes_).subspan(
                                         debuts_[*r], debuts_[*r + 1] - debuts_[*r]);
        const auto a = autres_.find(std::string(code));
        return a == autres_.end() ? std::span<const std::int32_t>() : a->second;
    }
    bool Contient(std::string_view code) const { return !(*this)[code].empty(); }

private:
    static constexpr std::size_t NombreRangs = 10 * 12 * 1000;
    static bool Chiffre(char c) { return c >= '0' && c <= '9'; }
    static std::optional<std::size_t> Rang(std::string_view code) {
        if (code.size() != 5 || !Chiffre(code[0]) || !Chiffre(code[2]) || !Chiffre(code[3]) ||
            !Chiffre(code[4]))
            return std::nullopt;
        std::size_t second = 0;
        if (Chiffre(code[1]))
            second = static_cast<std::size_t>(code[1] - '0');
        else if (code[1] == 'A' || code[1] == 'B')
            second = static_cast<std::size_t>(10 + (code[1] - 'A'));
        else
            return std::nullopt;
        return (static_cast<std::size_t>(code[0] - '0') * 12 + second) * 1000 +
               static_cast<std::size_t>(code[2] - '0') * 100 +
               static_cast<std::size_t>(code[3] - '0') * 10 +
               static_cast<std::size_t>(code[4] - '0');
    }
    std::vector<std::pair<std::size_t, std::int32_t>> provisoire_;
    std::vector<std::uint32_t> debuts_;
    std::vector<std::int32_t> communes_;
    std::unordered_map<std::string, std::vector<std::int32_t>> autres_;
};

// A commune of a department, with what the search of a name one letter off looks at first.
struct CleDepartement {
    std::int32_t index;
    std::uint32_t taille; // of its key
    char premiere;        // its key's first and last characters
    char derniere;
};

} // namespace

struct TResolveurLieux::Interne {
    const TCarteFrance* carte;
    const geocodeur::TGeocodeur& geocodeur;
    const geocodeur::TMonde& monde;

    std::vector<std::string> cleCommune;                               // per atlas index
    std::vector<std::string> departementCommune;                       // per atlas index
    std::unordered_map<std::string, std::vector<std::int32_t>> parNom; // key -> communes
    IndexCodes parInsee;                                               // code -> communes
    IndexCodes parPostal;                                              // code -> communes
    std::unordered_map<std::string, std::vector<CleDepartement>> parDepartement;
    std::unordered_map<std::string, std::vector<std::string>> anciensNoms; // key -> INSEE codes
    std::unordered_map<std::string, std::string> departementParCle;        // key -> code
    std::unordered_map<std::string, std::string> nomDepartement;           // code -> name
    std::unordered_map<std::string, std::uint16_t> paysParCle;
    std::unordered_map<std::string, std::vector<std::uint16_t>> provincesParCle;
    std::unordered_map<std::string, std::uint16_t> paysParIso;
    std::unordered_map<const TZoneFrancaise*, std::vector<std::string>> departementsZone;
    // Every key some area table knows: a town's name is looked up in them only when it is here.
    std::unordered_set<std::string> clesZones;

    Interne(const TCarteFrance* c, const geocodeur::TGeocodeur& g)
        : carte(c), geocodeur(g), monde(g.Monde()) {
        if (carte) {
            const std::size_t n = carte->Communes.size();
            cleCommune.reserve(n);
            departementCommune.reserve(n);
            for (std::size_t i = 0; i < n; ++i) {
                const TCommune& commune = carte->Communes[i];
                const auto index = static_cast<std::int32_t>(i);
                cleCommune.push_back(Cle(Cp1252VersUtf8(TCarteFrance::NomComplet(commune))));
                departementCommune.push_back(MajusculesAscii(commune.CodeInsee.substr(0, 2)));
                parNom[cleCommune.back()].push_back(index);
                parInsee.Ajoute(MajusculesAscii(commune.CodeInsee), index);
                if (!commune.CodePostal.empty()) parPostal.Ajoute(commune.CodePostal, index);
                const std::string& k = cleCommune.back();
                parDepartement[departementCommune.back()].push_back(
                    {index, static_cast<std::uint32_t>(k.size()), k.empty() ? '\0' : k.front(),
                     k.empty() ? '\0' : k.back()});
            }
            for (const TAutreCodePostal& a : carte->AutresCodesPostaux)
                if (a.Index < n) parPostal.Ajoute(a.Code, static_cast<std::int32_t>(a.Index));
            parInsee.Termine();
            parPostal.Termine();
            // By the length of their key: a name one letter off is within one of it.
            for (auto& [dep, v] : parDepartement)
                std::stable_sort(v.begin(), v.end(),
                                 [](const CleDepartement& a, const CleDepartement& b) {
                                     return a.taille < b.taille;
                                 });
        }
        for (const TZoneFrancaise& z : geocodeur::ZonesFrancaises()) {
            departementsZone.emplace(&z, geocodeur::DepartementsDe(z));
            clesZones.insert(Cle(z.Nom));
        }
        for (const geocodeur::TFormePays& f : geocodeur::FormesPays())
            clesZones.insert(Cle(f.Forme));
        for (const auto& a : geocodeur::NomsAnciensCommunes())
            anciensNoms[Cle(a.Nom)].push_back(a.CodeInsee);
        for (const geocodeur::TDepartementFr& d : monde.Departements) {
            if (d.Pays != "FR") continue;
            nomDepartement[d.Code] = d.Nom;
            departementParCle.emplace(Cle(d.Nom), d.Code);
            for (const std::string& k : d.Cles)
                departementParCle.emplace(k, d.Code);
        }
        for (std::size_t i = 0; i < monde.Pays.size(); ++i) {
            const auto p = static_cast<std::uint16_t>(i);
            paysParIso.emplace(monde.Pays[i].Iso, p);
            paysParCle.emplace(Cle(monde.Pays[i].Nom), p);
            for (const std::string& k : monde.Pays[i].Cles)
                paysParCle.emplace(k, p);
        }
        for (std::size_t i = 0; i < monde.Provinces.size(); ++i) {
            const auto p = static_cast<std::uint16_t>(i);
            auto ajoute = [&](const std::string& k) {
                auto& v = provincesParCle[k];
                if (std::find(v.begin(), v.end(), p) == v.end()) v.push_back(p);
            };
            ajoute(Cle(monde.Provinces[i].Nom));
            for (const std::string& k : monde.Provinces[i].Cles)
                ajoute(k);
        }
        for (const auto& [k, v] : departementParCle)
            clesZones.insert(k);
        for (const auto& [k, v] : paysParCle)
            clesZones.insert(k);
        for (const auto& [k, v] : provincesParCle)
            clesZones.insert(k);
    }

    // The department codes of a French area of the facts' table.
    const std::vector<std::string>& DepartementsZone(const TZoneFrancaise* z) const {
        return departementsZone.at(z);
    }

    // ---- Reading the fields ----

    Champ LitChamp(std::string_view brut) const {
        Champ c;
        c.texte = std::string(SansBlancs(brut));
        if (c.texte.empty()) return c;
        const std::string haut = MajusculesAscii(c.texte);
        const bool corse = haut.size() >= 2 && haut[0] == '2' && (haut[1] == 'A' || haut[1] == 'B');
        if (haut.size() == 5 && (QueChiffres(haut) || (corse && QueChiffres(haut.substr(2))))) {
            c.genre = Champ::Code;
            c.code = haut;
            return c;
        }
        if ((haut.size() == 2 && corse) || (QueChiffres(haut) && haut.size() <= 3)) {
            std::string code = haut.size() == 1 ? "0" + haut : haut;
            if (nomDepartement.count(code) || code == "20") {
                c.genre = Champ::Numero;
                c.code = code;
                return c;
            }
        }
        c.cle = Cle(c.texte);
        if (c.cle.empty() || QueChiffres(haut)) {
            c.genre = Champ::Vide;
            return c;
        }
        c.genre = Champ::Nom;
        if (clesZones.count(c.cle)) {
            if (const auto d = departementParCle.find(c.cle); d != departementParCle.end())
                c.departements.push_back(d->second);
            c.zonesFr = geocodeur::ZonesFrancaisesDeCle(c.cle);
            // A former department binds like a department; a region or a province binds softly.
            for (const TZoneFrancaise* z : c.zonesFr) {
                if (z->Nature == TZoneFrancaise::DepartementAncien) c.ancienDepartement = true;
                for (const std::string& d : DepartementsZone(z))
                    AjouteUnique(c.departementsZones, d);
            }
            // "Corse" is a region today: read as one.
            if (std::any_of(c.zonesFr.begin(), c.zonesFr.end(), [](const TZoneFrancaise* z) {
                    return z->Nature == TZoneFrancaise::RegionActuelle;
                }))
                c.ancienDepartement = false;
            if (const std::string* iso = geocodeur::IsoDeCle(c.cle))
                c.pays = *iso;
            else if (const auto p = paysParCle.find(c.cle); p != paysParCle.end())
                c.pays = monde.Pays[p->second].Iso;
            if (const auto p = provincesParCle.find(c.cle); p != provincesParCle.end())
                c.provinces = p->second;
        }
        // A two-letter field in capitals is a state's or a province's postal abbreviation.
        if (c.texte.size() == 2 && haut == c.texte) {
            c.etat = geocodeur::EtatDeCode(c.texte);
            // Else an ISO 3166-1 code ("BE", "ES"); one that is also a state's ("DE") reads as
            // the state, never as a country it might not be.
            if (!c.etat && c.pays.empty() && paysParIso.count(haut)) c.pays = haut;
        }
        return c;
    }

    std::vector<Champ> Decoupe(std::string_view texte) const {
        if (texte.size() > LongueurMaxTexte) {
            std::size_t n = LongueurMaxTexte;
            while (n > 0 && (static_cast<unsigned char>(texte[n]) & 0xC0) == 0x80)
                --n;
            texte = texte.substr(0, n);
        }
        const char separateur = texte.find(';') != std::string_view::npos ? ';' : ',';
        std::vector<Champ> champs;
        std::size_t debut = 0;
        while (debut <= texte.size() && champs.size() < NombreMaxChamps) {
            std::size_t fin = texte.find(separateur, debut);
            if (fin == std::string_view::npos) fin = texte.size();
            champs.push_back(LitChamp(texte.substr(debut, fin - debut)));
            debut = fin + 1;
        }
        return champs;
    }

    // ---- The atlas ----

    bool EstActuelle(std::int32_t i) const {
        return carte->NatureCommune(i) == TNatureCommune::Actuelle;
    }

    TCandidatResolution CandidatCommune(std::int32_t index) const {
        const TCommune& c = carte->Communes[static_cast<std::size_t>(index)];
        TCandidatResolution r;
        r.Latitude = c.Latitude;
        r.Longitude = c.Longitude;
        r.CodePays = "FR";
        r.CodeInsee = c.CodeInsee;
        r.IndexCommune = index;
        r.Libelle = Cp1252VersUtf8(carte->NomOfficiel(index));
        const auto d = nomDepartement.find(departementCommune[static_cast<std::size_t>(index)]);
        if (d != nomDepartement.end()) r.Libelle += ", " + d->second;
        r.Libelle += " (" + c.CodeInsee + "), France";
        return r;
    }

    TCandidatResolution CandidatLieu(std::uint32_t index) const {
        const geocodeur::TLieu& l = monde.Lieux[index];
        TCandidatResolution r;
        r.Latitude = l.Latitude * 1e-5;
        r.Longitude = l.Longitude * 1e-5;
        r.CodePays = monde.Pays[l.Pays].Iso;
        r.IndexLieu = static_cast<std::int32_t>(index);
        r.Libelle = std::string(monde.NomLieu(index));
        const std::string& pays = monde.Pays[l.Pays].Nom;
        if (l.Province != geocodeur::AucuneProvince) {
            const std::string& province = monde.Provinces[l.Province].Nom;
            if (Cle(province) != Cle(pays) && province != r.Libelle) r.Libelle += ", " + province;
        }
        r.Libelle += ", " + pays;
        return r;
    }

    std::string NomCommune(std::int32_t i) const { return Cp1252VersUtf8(carte->NomOfficiel(i)); }

    // The communes of these indexes as distinct places (a delegated commune next to the new
    // commune of its name counts once, as the current one).
    std::vector<std::int32_t> Places(std::vector<std::int32_t> communes) const {
        std::stable_sort(communes.begin(), communes.end(), [&](std::int32_t a, std::int32_t b) {
            return EstActuelle(a) > EstActuelle(b);
        });
        std::vector<std::int32_t> places;
        for (std::int32_t i : communes) {
            const TCommune& c = carte->Communes[static_cast<std::size_t>(i)];
            const bool meme = std::any_of(places.begin(), places.end(), [&](std::int32_t p) {
                const TCommune& q = carte->Communes[static_cast<std::size_t>(p)];
                return p == i || geocodeur::DistanceKm(c.Latitude, c.Longitude, q.Latitude,
                                                       q.Longitude) <= MemePlaceKm;
            });
            if (!meme) places.push_back(i);
        }
        return places;
    }

    // The name agrees with commune `i` of an INSEE code: its name, the first words of its name,
    // the name of one of its delegated, associated or former communes, or a former name.
    // The agreeing commune (the delegated one when the name is its), or -1.
    // `homonymes`: the communes of key `cle` when the caller has them already.
    std::int32_t Accord(const std::string& cle, std::int32_t i, bool& approche,
                        const std::vector<std::int32_t>* homonymes = nullptr) const {
        approche = false;
        const std::string& nom = cleCommune[static_cast<std::size_t>(i)];
        if (nom == cle) return i;
        if (nom.size() > cle.size() && nom.compare(0, cle.size(), cle) == 0 &&
            nom[cle.size()] == ' ')
            return i;
        const int parent = carte->CommuneDeRattachement(i);
        const std::int32_t actuelle = parent >= 0 ? parent : i;
        if (!homonymes) {
            const auto n = parNom.find(cle);
            if (n != parNom.end()) homonymes = &n->second;
        }
        if (homonymes)
            for (std::int32_t j : *homonymes)
                if (j == actuelle || carte->CommuneDeRattachement(j) == actuelle) return j;
        if (const auto a = anciensNoms.find(cle); a != anciensNoms.end())
            for (const std::string& code : a->second)
                if (MajusculesAscii(
                        carte->Communes[static_cast<std::size_t>(actuelle)].CodeInsee) == code)
                    return actuelle;
        if (UneLettre(nom, cle)) {
            approche = true;
            return i;
        }
        return -1;
    }

    // ---- Resolution ----

    struct Contexte {
        std::vector<std::string> insee;                // valid INSEE codes of the atlas
        std::vector<std::string> postaux;              // postal codes of the atlas
        std::vector<std::string> deps;                 // departments named
        std::vector<std::vector<std::string>> regions; // each region or province: its deps
        std::vector<std::string> nomsRegions;          // as written, for the messages
        std::string paysEtranger;                      // ISO of a foreign country named
        std::string nomPaysEtranger;                   // as written
        bool france = false;                           // a field names France
        std::vector<std::uint16_t> provinces;          // foreign provinces named
        std::string nomProvince;
        std::vector<std::string> avertissements;
        std::vector<std::string> inconnus; // codes the atlas does not know
        std::vector<std::vector<const TZoneFrancaise*>> zonesRegions; // per region field
    };

    Contexte LitContexte(const Champs& champs, std::size_t ville) const {
        Contexte x;
        // The foreign country first: it decides how a name that is also a province reads.
        for (std::size_t k = 0; k < champs.size(); ++k) {
            if (k == ville) continue;
            const Champ& c = champs[k];
            if (c.genre != Champ::Nom) continue;
            if (!c.pays.empty() && c.pays != "FR" && c.departements.empty() && c.zonesFr.empty()) {
                if (x.paysEtranger.empty()) {
                    x.paysEtranger = c.pays;
                    x.nomPaysEtranger = c.texte;
                }
            } else if (c.pays == "FR") {
                x.france = true;
            }
        }
        for (std::size_t k = 0; k < champs.size(); ++k) {
            if (k == ville) continue;
            const Champ& c = champs[k];
            switch (c.genre) {
            case Champ::Vide:
                break;
            case Champ::Code:
                if (!x.paysEtranger.empty()) break; // a ZIP code abroad
                {
                    const bool insee = parInsee.Contient(c.code);
                    const bool postal = parPostal.Contient(c.code);
                    if (insee) AjouteUnique(x.insee, c.code);
                    if (postal) AjouteUnique(x.postaux, c.code);
                    if (!insee && !postal) AjouteUnique(x.inconnus, c.code);
                }
                break;
            case Champ::Numero:
                if (!x.paysEtranger.empty()) break;
                if (c.code == "20") {
                    AjouteUnique(x.deps, "2A");
                    AjouteUnique(x.deps, "2B");
                } else {
                    AjouteUnique(x.deps, c.code);
                }
                break;
            case Champ::Nom:
                LitNom(c, x);
                break;
            }
        }
        // A code the atlas does not know still says the department ("L'Oie, 85165": a
        // commune the atlas lacks is not replaced by a namesake elsewhere).
        if (x.deps.empty() && x.insee.empty() && x.postaux.empty())
            for (const std::string& code : x.inconnus) {
                const std::string dep = code.substr(0, 2);
                if (nomDepartement.count(dep)) AjouteUnique(x.deps, dep);
            }
        return x;
    }

    void LitNom(const Champ& c, Contexte& x) const {
        // A province of the foreign country named reads as that province ("Jura, Suisse").
        std::vector<std::uint16_t> provincesDuPays;
        for (std::uint16_t p : c.provinces)
            if (!x.paysEtranger.empty() &&
                monde.Pays[monde.Provinces[p].Pays].Iso == x.paysEtranger)
                provincesDuPays.push_back(p);
        if (c.etat && (x.paysEtranger.empty() || x.paysEtranger == c.etat->Pays)) {
            if (x.paysEtranger.empty()) {
                x.paysEtranger = c.etat->Pays;
                x.nomPaysEtranger = c.texte;
            }
            for (std::size_t p = 0; p < monde.Provinces.size(); ++p)
                if (monde.Provinces[p].Code == c.etat->Admin1 &&
                    monde.Pays[monde.Provinces[p].Pays].Iso == c.etat->Pays)
                    AjouteProvince(x, static_cast<std::uint16_t>(p), c.texte);
            return;
        }
        if (!provincesDuPays.empty()) {
            for (std::uint16_t p : provincesDuPays)
                AjouteProvince(x, p, c.texte);
            return;
        }
        if (!c.departements.empty()) {
            for (const std::string& d : c.departements)
                AjouteUnique(x.deps, d);
            return;
        }
        if (!c.zonesFr.empty()) {
            // A former department binds like a department; a region or a province binds
            // softly (it never vetoes a commune found otherwise).
            const std::vector<std::string>& deps = c.departementsZones;
            if (c.ancienDepartement) {
                std::string aujourdhui;
                for (const std::string& d : deps) {
                    if (const auto n = nomDepartement.find(d); n != nomDepartement.end())
                        aujourdhui += (aujourdhui.empty() ? "" : ", ") + n->second;
                    AjouteUnique(x.deps, d);
                }
                x.avertissements.push_back(Guillemets(c.texte) +
                                           " est un ancien département (aujourd'hui " + aujourdhui +
                                           ")");
            } else if (!deps.empty()) {
                x.regions.push_back(deps);
                x.nomsRegions.push_back(c.texte);
                x.zonesRegions.push_back(c.zonesFr);
            } else {
                x.avertissements.push_back(Guillemets(c.texte) + " est un " +
                                           geocodeur::LibelleNature(c.zonesFr.front()->Nature));
            }
            x.france = true;
            return;
        }
        if (!c.pays.empty()) return; // the country, read above
        if (!c.provinces.empty() && x.paysEtranger.empty()) {
            // A province without a country: the country it lies in, when only one.
            const std::uint16_t pays = monde.Provinces[c.provinces.front()].Pays;
            const bool unSeul =
                std::all_of(c.provinces.begin(), c.provinces.end(),
                            [&](std::uint16_t p) { return monde.Provinces[p].Pays == pays; });
            if (unSeul && monde.Pays[pays].Iso != "FR") {
                x.paysEtranger = monde.Pays[pays].Iso;
                x.nomPaysEtranger = c.texte;
                for (std::uint16_t p : c.provinces)
                    AjouteProvince(x, p, c.texte);
            }
        }
        // Any other name after the town (a county, a parish) is not read.
    }

    static void AjouteProvince(Contexte& x, std::uint16_t p, const std::string& nom) {
        if (std::find(x.provinces.begin(), x.provinces.end(), p) == x.provinces.end())
            x.provinces.push_back(p);
        if (x.nomProvince.empty()) x.nomProvince = nom;
    }

    bool DansDeps(std::int32_t i, const std::vector<std::string>& deps) const {
        return Contient(deps, departementCommune[static_cast<std::size_t>(i)]);
    }

    bool APostal(std::int32_t i, const std::vector<std::string>& postaux) const {
        const int parent = carte->CommuneDeRattachement(i);
        for (const std::string& p : postaux)
            if (carte->ACodePostal(i, p) || (parent >= 0 && carte->ACodePostal(parent, p)))
                return true;
        return false;
    }

    // The departments a text binds a French commune to: those named, else those of its
    // codes.
    std::vector<std::string> DepartementsLies(const Contexte& x) const {
        if (!x.deps.empty()) return x.deps;
        std::vector<std::string> deps;
        for (const std::string& code : x.insee)
            for (std::int32_t i : parInsee[code])
                AjouteUnique(deps, departementCommune[static_cast<std::size_t>(i)]);
        for (const std::string& code : x.postaux)
            for (std::int32_t i : parPostal[code])
                AjouteUnique(deps, departementCommune[static_cast<std::size_t>(i)]);
        return deps;
    }

    void Localise(TResolution& r, std::int32_t commune, std::string raison) const {
        r.Statut = TStatutResolution::Localise;
        r.Lieu = CandidatCommune(commune);
        r.Origine = Provenance::Atlas;
        r.Raison = std::move(raison);
        const int parent = carte->CommuneDeRattachement(commune);
        if (parent >= 0)
            r.Raison += " (" + Cp1252VersUtf8(carte->QualificatifCommune(commune)) + ")";
        r.Pays = "FR";
        if (r.Departements.empty())
            r.Departements.push_back(departementCommune[static_cast<std::size_t>(commune)]);
    }

    // Regions and provinces never veto: a commune outside them is kept, with a warning; a
    // region of before 2016 or an old province that holds it is said too.
    void VerifieRegions(TResolution& r, const Contexte& x) const {
        if (!r.Localise() || r.Lieu.IndexCommune < 0) return;
        for (std::size_t k = 0; k < x.regions.size(); ++k) {
            if (!DansDeps(r.Lieu.IndexCommune, x.regions[k])) {
                r.Avertissements.push_back(Guillemets(x.nomsRegions[k]) + " ne contient pas " +
                                           NomCommune(r.Lieu.IndexCommune) + " : non retenu");
                continue;
            }
            const TZoneFrancaise* ancienne = nullptr;
            bool actuelle = false;
            for (const TZoneFrancaise* z : x.zonesRegions[k]) {
                if (!DansDeps(r.Lieu.IndexCommune, DepartementsZone(z))) continue;
                if (z->Nature == TZoneFrancaise::RegionActuelle) actuelle = true;
                if (!ancienne) ancienne = z;
            }
            if (!actuelle && ancienne)
                r.Avertissements.push_back(Guillemets(x.nomsRegions[k]) + " est une " +
                                           geocodeur::LibelleNature(ancienne->Nature));
        }
    }

    // France: the town `cle` with what the other fields say. Nothing when the name is not a
    // French commune's and nothing French binds it (the caller may look abroad).
    std::optional<TResolution> ResoutFrance(const Champ& ville, const Contexte& x) const {
        TResolution r;
        r.Avertissements = x.avertissements;
        for (const std::string& code : x.inconnus)
            r.Avertissements.push_back("code " + Guillemets(code) +
                                       " inconnu de l'atlas : non retenu");
        const std::string& cle = ville.cle;
        const auto nom = parNom.find(cle);
        const std::vector<std::int32_t> vide;
        const std::vector<std::int32_t>& homonymes = nom != parNom.end() ? nom->second : vide;

        // 1. A valid INSEE code decides when the name agrees with it.
        for (const std::string& code : x.insee) {
            for (std::int32_t i : parInsee[code]) {
                bool approche = false;
                const std::int32_t j = Accord(cle, i, approche, &homonymes);
                if (j < 0) continue;
                if (approche)
                    r.Avertissements.push_back(Guillemets(ville.texte) + " lu comme " +
                                               NomCommune(j));
                Localise(r, j, "code INSEE " + code + " de " + NomCommune(i));
                VerifieRegions(r, x);
                return r;
            }
        }
        std::optional<std::size_t> codeEcarte; // the warning of a code set aside
        for (const std::string& code : x.insee) {
            // A code that is also the postal code of a commune of that name is that postal
            // code (« Lassigny, 60310 »: Herchies's INSEE code, Lassigny's postal code).
            const bool postalDuNom =
                std::any_of(homonymes.begin(), homonymes.end(),
                            [&](std::int32_t i) { return APostal(i, {code}); });
            if (postalDuNom) continue;
            codeEcarte = r.Avertissements.size();
            r.Avertissements.push_back("le code INSEE " + code + " est celui de " +
                                       NomCommune(parInsee[code].front()) + ", pas de " +
                                       Guillemets(ville.texte) + " : code écarté");
        }

        // 2. The communes of that name (and of a former name), narrowed by the department and
        //    the postal code; the region narrows only when it leaves one.
        std::vector<std::int32_t> communes = homonymes;
        if (const auto a = anciensNoms.find(cle); a != anciensNoms.end())
            for (const std::string& code : a->second)
                for (std::int32_t i : parInsee[code])
                    if (EstActuelle(i)) communes.push_back(i);
        std::vector<std::string> deps = x.deps;
        if (deps.empty()) {
            // An INSEE code that was not trusted still says the department.
            for (const std::string& code : x.insee)
                for (std::int32_t i : parInsee[code])
                    AjouteUnique(deps, departementCommune[static_cast<std::size_t>(i)]);
        }
        const bool lie = !deps.empty() || !x.postaux.empty();
        if (communes.empty() && !lie && x.regions.empty() && !x.france) return std::nullopt;

        std::vector<std::int32_t> retenues;
        for (std::int32_t i : communes) {
            if (!deps.empty() && !DansDeps(i, deps)) continue;
            if (!x.postaux.empty() && deps.empty() && !APostal(i, x.postaux)) continue;
            retenues.push_back(i);
        }
        // A postal code tells apart homonyms of one department.
        if (!x.postaux.empty() && retenues.size() > 1) {
            std::vector<std::int32_t> parCode;
            for (std::int32_t i : retenues)
                if (APostal(i, x.postaux)) parCode.push_back(i);
            if (!parCode.empty()) retenues = std::move(parCode);
        }
        std::vector<std::int32_t> places = Places(retenues);
        if (places.size() > 1 && !x.regions.empty()) {
            std::vector<std::int32_t> dansRegion;
            for (std::int32_t i : places)
                if (std::all_of(x.regions.begin(), x.regions.end(),
                                [&](const auto& reg) { return DansDeps(i, reg); }))
                    dansRegion.push_back(i);
            if (!dansRegion.empty()) places = std::move(dansRegion);
        }
        r.Departements = deps;
        r.Pays = "FR";
        if (places.size() == 1) {
            std::string raison = Guillemets(ville.texte);
            if (!x.deps.empty())
                raison += " dans le département";
            else if (!deps.empty())
                raison += " dans le département de son code";
            else if (!x.postaux.empty())
                raison += " et son code postal";
            else if (homonymes.empty())
                raison += ", ancien nom";
            else
                raison += ", seule commune de ce nom";
            Localise(r, places.front(), std::move(raison));
            if (codeEcarte)
                r.Avertissements[*codeEcarte] += " (localisé par le nom et le département)";
            VerifieRegions(r, x);
            return r;
        }
        if (places.size() > 1) {
            r.Statut = TStatutResolution::Ambigu;
            r.Raison = std::to_string(places.size()) + " communes nommées " +
                       Guillemets(ville.texte) +
                       (lie ? " là où le texte les place" : " ; le texte ne dit pas laquelle");
            for (std::int32_t i : places)
                if (r.Candidats.size() < NombreMaxCandidats)
                    r.Candidats.push_back(CandidatCommune(i));
            return r;
        }

        // 3. One letter off, only inside the department or code given, only when one fits.
        if (lie) {
            std::vector<std::int32_t> proches;
            for (const std::string& d : deps) {
                const auto dc = parDepartement.find(d);
                if (dc == parDepartement.end()) continue;
                const auto debut = std::lower_bound(
                    dc->second.begin(), dc->second.end(), cle.size() - 1,
                    [](const CleDepartement& e, std::size_t n) { return e.taille < n; });
                for (auto it = debut; it != dc->second.end(); ++it) {
                    if (it->taille > cle.size() + 1) break;
                    // One letter off keeps the first letter or the last one (UneLettre).
                    if (it->taille > 1 && cle.size() > 1 && it->premiere != cle.front() &&
                        it->derniere != cle.back())
                        continue;
                    if (UneLettre(cleCommune[static_cast<std::size_t>(it->index)], cle))
                        proches.push_back(it->index);
                }
            }
            if (deps.empty())
                for (const std::string& code : x.postaux)
                    for (std::int32_t i : parPostal[code])
                        if (UneLettre(cleCommune[static_cast<std::size_t>(i)], cle))
                            proches.push_back(i);
            const auto placesProches = Places(proches);
            if (placesProches.size() == 1) {
                r.Avertissements.push_back(Guillemets(ville.texte) + " lu comme " +
                                           NomCommune(placesProches.front()));
                Localise(r, placesProches.front(),
                         "nom à une lettre près, seul dans le département");
                VerifieRegions(r, x);
                return r;
            }
            for (std::int32_t i : placesProches)
                if (r.Candidats.size() < NombreMaxCandidats)
                    r.Candidats.push_back(CandidatCommune(i));
        }
        r.Statut = TStatutResolution::NonTrouve;
        if (communes.empty())
            r.Raison = "aucune commune nommée " + Guillemets(ville.texte) +
                       (lie ? " dans ce que le texte désigne" : "");
        else
            r.Raison = "aucune commune nommée " + Guillemets(ville.texte) +
                       " dans le département ou le code donné (une ailleurs : non retenue)";
        if (r.Candidats.empty())
            for (std::int32_t i : Places(communes))
                if (r.Candidats.size() < NombreMaxCandidats)
                    r.Candidats.push_back(CandidatCommune(i));
        return r;
    }

    // Abroad, or in France when nothing French names the town: the world file's places of
    // that name in the country and province the text names.
    TResolution ResoutMonde(const Champ& ville, const Contexte& x) const {
        TResolution r;
        r.Avertissements = x.avertissements;
        r.Pays = x.paysEtranger;
        r.Origine = Provenance::Geocodeur;
        std::optional<std::uint16_t> pays;
        if (!x.paysEtranger.empty())
            if (const auto p = paysParIso.find(x.paysEtranger); p != paysParIso.end())
                pays = p->second;
        struct Trouve {
            std::uint32_t index;
            int score;
        };
        std::vector<Trouve> trouves;
        for (std::uint32_t cible : monde.Cibles(ville.cle)) {
            const std::uint32_t index = cible >> 1;
            const geocodeur::TLieu& l = monde.Lieux[index];
            if (pays && l.Pays != *pays) continue;
            if (!x.provinces.empty() &&
                std::find(x.provinces.begin(), x.provinces.end(), l.Province) == x.provinces.end())
                continue;
            const int score = (cible & 1) ? 1 : 2;
            auto deja = std::find_if(trouves.begin(), trouves.end(),
                                     [&](const Trouve& t) { return t.index == index; });
            if (deja != trouves.end())
                deja->score = std::max(deja->score, score);
            else
                trouves.push_back({index, score});
        }
        const std::string ou = !x.nomProvince.empty()       ? " (" + x.nomProvince + ")"
                               : !x.nomPaysEtranger.empty() ? " (" + x.nomPaysEtranger + ")"
                                                            : "";
        if (trouves.empty()) {
            r.Statut = TStatutResolution::NonTrouve;
            r.Raison =
                "aucun lieu nommé " + Guillemets(ville.texte) +
                (ou.empty() ? " en France ni dans le monde" : " là où le texte le place" + ou);
            return r;
        }
        int meilleur = 0;
        for (const Trouve& t : trouves)
            meilleur = std::max(meilleur, t.score);
        std::vector<std::uint32_t> places;
        for (const Trouve& t : trouves) {
            if (t.score != meilleur) continue;
            const geocodeur::TLieu& l = monde.Lieux[t.index];
            const bool meme = std::any_of(places.begin(), places.end(), [&](std::uint32_t p) {
                const geocodeur::TLieu& q = monde.Lieux[p];
                return geocodeur::DistanceKm(l.Latitude * 1e-5, l.Longitude * 1e-5,
                                             q.Latitude * 1e-5, q.Longitude * 1e-5) <= MemePlaceKm;
            });
            if (!meme) places.push_back(t.index);
        }
        std::stable_sort(places.begin(), places.end(), [&](std::uint32_t a, std::uint32_t b) {
            return monde.Lieux[a].Population > monde.Lieux[b].Population;
        });
        // A capital is the place its name means when nothing else is said ("Londres").
        if (places.size() > 1 && monde.Lieux[places.front()].Genre == 2 &&
            std::none_of(places.begin() + 1, places.end(),
                         [&](std::uint32_t p) { return monde.Lieux[p].Genre == 2; }))
            places.resize(1);
        if (places.size() == 1) {
            r.Statut = TStatutResolution::Localise;
            r.Lieu = CandidatLieu(places.front());
            r.Raison = Guillemets(ville.texte) + (ou.empty() ? " (lieux du monde)" : ou);
            r.Pays = r.Lieu.CodePays;
            return r;
        }
        r.Statut = TStatutResolution::Ambigu;
        r.Raison = std::to_string(places.size()) + " lieux nommés " + Guillemets(ville.texte) +
                   (ou.empty() ? "" : ou) + " ; le texte ne dit pas lequel";
        for (std::uint32_t p : places)
            if (r.Candidats.size() < NombreMaxCandidats) r.Candidats.push_back(CandidatLieu(p));
        return r;
    }

    bool NomDeCommune(const std::string& cle) const { return parNom.count(cle) > 0; }

    // A zone name in the town's slot is a town only when the text binds it, or when a commune
    // of that name lies in the zone itself (Paris).
    bool ZoneCommeVille(const Champ& c, const Contexte& x) const {
        if (!c.Zone()) return true;
        const auto n = parNom.find(c.cle);
        if (!x.deps.empty() || !x.insee.empty() || !x.postaux.empty()) return true;
        // Not a French commune: a town of the world file of that name ("Genève", "Luxembourg").
        if (n == parNom.end()) return !monde.Cibles(c.cle).empty();
        for (std::int32_t i : n->second)
            if (Contient(c.departements, departementCommune[static_cast<std::size_t>(i)]))
                return true;
        return false;
    }

    TResolution ResoutVille(const Champs& champs, std::size_t ville, const Contexte& x) const {
        const Champ& v = champs[ville];
        // A French code or department that the town agrees with keeps the reading French
        // whatever the country field says.
        bool francaisFort = false;
        if (carte && !x.paysEtranger.empty()) {
            for (const std::string& code : x.insee)
                for (std::int32_t i : parInsee[code]) {
                    bool approche = false;
                    francaisFort = francaisFort || Accord(v.cle, i, approche) >= 0;
                }
            if (const auto n = parNom.find(v.cle); n != parNom.end())
                for (std::int32_t i : n->second)
                    francaisFort = francaisFort || DansDeps(i, x.deps);
        }
        TResolution r;
        if (!x.paysEtranger.empty() && !francaisFort) {
            r = ResoutMonde(v, x);
        } else if (auto f = carte ? ResoutFrance(v, x) : std::nullopt) {
            r = std::move(*f);
            if (!x.paysEtranger.empty())
                r.Avertissements.push_back("le pays " + Guillemets(x.nomPaysEtranger) +
                                           " ne s'accorde pas avec le code ou le département : "
                                           "non retenu");
        } else {
            r = ResoutMonde(v, x);
        }
        return r;
    }

    // Every field read; `ville` the field in the town's slot when known (a FORM), else the
    // first name; `lieuDitPossible` lets a raw text's first field be a lieu-dit.
    TResolution Resoudre(const Champs& champs, std::optional<std::size_t> slot,
                         bool lieuDitPossible) const {
        // The town: the slot's field when it holds a name, else the first name that is not
        // only an area; an area after the town is never a town.
        std::vector<std::size_t> noms;
        for (std::size_t k = 0; k < champs.size(); ++k)
            if (champs[k].genre == Champ::Nom) noms.push_back(k);
        std::optional<std::size_t> ville;
        if (slot && *slot < champs.size() && champs[*slot].genre == Champ::Nom)
            ville = *slot;
        else if (!noms.empty())
            ville = noms.front();
        TResolution r;
        if (!ville) {
            r.Raison = "aucun nom de commune ni de lieu dans le texte";
            return r;
        }
        const Contexte x = LitContexte(champs, *ville);
        const std::size_t villeLue = *ville;
        if (!ZoneCommeVille(champs[*ville], x)) {
            // "Anjou, France": an area alone names no town.
            const auto suivant =
                std::find_if(noms.begin(), noms.end(), [&](std::size_t k) { return k > *ville; });
            if (suivant == noms.end() || champs[*suivant].Zone()) {
                r.Raison = Guillemets(champs[*ville].texte) +
                           " désigne une région, un département ou un pays, pas une commune";
                return r;
            }
            ville = *suivant;
        }
        if (*ville == villeLue)
            r = ResoutVille(champs, *ville, x);
        else
            r = ResoutVille(champs, *ville, LitContexte(champs, *ville));
        // "Le Bourg, Monségur, Landes": the first field may be a lieu-dit of the second.
        if (lieuDitPossible && !r.Localise()) {
            const auto suivant =
                std::find_if(noms.begin(), noms.end(), [&](std::size_t k) { return k > *ville; });
            if (suivant != noms.end() && !champs[*suivant].Zone() &&
                NomDeCommune(champs[*suivant].cle) && x.paysEtranger.empty()) {
                TResolution r2 = ResoutVille(champs, *suivant, LitContexte(champs, *suivant));
                if (r2.Localise() || !NomDeCommune(champs[*ville].cle)) {
                    r2.Raison += " ; " + Guillemets(champs[*ville].texte) + " lu comme lieu-dit";
                    return r2;
                }
            }
        }
        return r;
    }

    // The lieu-dit stands for the town when the town's slot holds none ("Paris, France" under a
    // FORM that starts with the lieu-dit), or when the place lies abroad: the lieu-dit layout is
    // French ("Panama City, Bay, FL, USA" read without FORM as the lieu-dit of Bay).
    bool LieuDitCommeVille(const Champs& champs) const {
        const Champ& commune = champs.front();
        const auto x = LitContexte(champs, champs.size());
        const bool sansVille =
            commune.genre != Champ::Nom ||
            (commune.Zone() && (!NomDeCommune(commune.cle) || !ZoneCommeVille(commune, x)));
        return sansVille || !x.paysEtranger.empty();
    }

    TResolution ResoutLieuDit(Champs champs, const Champ& lieuDit, const std::string& texte) const {
        champs.AjouteDevant(lieuDit);
        TResolution r = Resoudre(champs, 0, false);
        r.Avertissements.push_back("le lieu-dit " + Guillemets(texte) + " lu comme la commune");
        return r;
    }
};

struct TMemoireResolution::Interne {
    struct Lieu {
        std::optional<bool> lieuDitCommeVille;
        std::optional<TResolution> resolution; // without a lieu-dit that stands for the town
    };
    struct Hachage {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    const TResolveurLieux* resolveur = nullptr; // whose readings these are
    std::unordered_map<std::string, Champ, Hachage, std::equal_to<>> champs; // by raw text
    // The last place read: a run meets the lieux-dits of a place one after the other.
    std::string cleLieu; // its slots, each ended by a NUL
    Lieu lieu;
    std::string tampon;
};

TMemoireResolution::TMemoireResolution() : d_(std::make_unique<Interne>()) {}

TMemoireResolution::~TMemoireResolution() = default;

TResolveurLieux::TResolveurLieux(const TCarteFrance* carte, const geocodeur::TGeocodeur& geocodeur)
    : d_(std::make_unique<Interne>(carte, geocodeur)) {}

TResolveurLieux::~TResolveurLieux() = default;

const TCarteFrance* TResolveurLieux::Carte() const {
    return d_->carte;
}

const geocodeur::TGeocodeur& TResolveurLieux::Geocodeur() const {
    return d_->geocodeur;
}

namespace {

std::array<std::string_view, 6> Slots(const PartiesLieu& p) {
    return {p.Commune, p.CodeInsee, p.CodePostal, p.Departement, p.Region, p.Pays};
}

} // namespace

TResolution TResolveurLieux::Resout(const PartiesLieu& parties) const {
    const auto slots = Slots(parties);
    std::array<Champ, 6> lus;
    Champs champs;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        lus[k] = d_->LitChamp(slots[k]);
        champs.Ajoute(lus[k]);
    }
    if (!parties.LieuDit.empty()) {
        const Champ lieuDit = d_->LitChamp(parties.LieuDit);
        if (lieuDit.genre == Champ::Nom && d_->LieuDitCommeVille(champs))
            return d_->ResoutLieuDit(champs, lieuDit, parties.LieuDit);
    }
    return d_->Resoudre(champs, 0, false);
}

TResolution TResolveurLieux::Resout(const PartiesLieu& parties, TMemoireResolution& memoire) const {
    TMemoireResolution::Interne& m = *memoire.d_;
    const auto slots = Slots(parties);
    std::string& cle = m.tampon;
    cle.clear();
    for (std::string_view s : slots) {
        cle += s;
        cle += '\0';
    }
    if (m.resolveur != this) {
        m.champs.clear();
        m.cleLieu.clear();
        m.lieu = {};
        m.resolveur = this;
    }
    if (cle != m.cleLieu) {
        std::swap(m.cleLieu, cle);
        m.lieu = {};
    }
    TMemoireResolution::Interne::Lieu& lieu = m.lieu;
    auto lit = [&](std::string_view texte) -> const Champ& {
        auto c = m.champs.find(texte);
        if (c == m.champs.end())
            c = m.champs.emplace(std::string(texte), d_->LitChamp(texte)).first;
        return c->second;
    };
    // The town and its code rarely come back but with the same place: read as they come, once.
    std::optional<std::array<Champ, 2>> ville;
    auto champs = [&] {
        if (!ville) ville = std::array<Champ, 2>{d_->LitChamp(slots[0]), d_->LitChamp(slots[1])};
        Champs v;
        for (std::size_t k = 0; k < slots.size(); ++k)
            v.Ajoute(k < 2 ? (*ville)[k] : lit(slots[k]));
        return v;
    };
    if (!parties.LieuDit.empty()) {
        const Champ& lieuDit = lit(parties.LieuDit);
        if (lieuDit.genre == Champ::Nom) {
            if (!lieu.lieuDitCommeVille) lieu.lieuDitCommeVille = d_->LieuDitCommeVille(champs());
            if (*lieu.lieuDitCommeVille)
                return d_->ResoutLieuDit(champs(), lieuDit, parties.LieuDit);
        }
    }
    if (!lieu.resolution) lieu.resolution = d_->Resoudre(champs(), 0, false);
    return *lieu.resolution;
}

TResolution TResolveurLieux::ResoutTexte(std::string_view texte) const {
    const std::vector<Champ> lus = d_->Decoupe(texte);
    return d_->Resoudre(Champs(lus), std::nullopt, true);
}

TLectureLieu TResolveurLieux::Lit(const PartiesLieu& parties) const {
    std::vector<Champ> lus;
    lus.reserve(7);
    for (std::string_view s : Slots(parties))
        lus.push_back(d_->LitChamp(s));
    const Champs champs(lus);
    const auto x = d_->LitContexte(champs, 0);
    TLectureLieu l;
    l.Ville = champs.front().texte;
    l.CodesInsee = x.insee;
    l.CodesPostaux = x.postaux;
    l.Departements = x.deps;
    for (const auto& reg : x.regions)
        for (const std::string& d : reg)
            AjouteUnique(l.Regions, d);
    l.Pays = !x.paysEtranger.empty() ? x.paysEtranger : x.france ? "FR" : "";
    l.Province = x.nomProvince;
    l.Avertissements = x.avertissements;
    return l;
}

std::string TexteResolution(const TResolution& r) {
    std::string t;
    switch (r.Statut) {
    case TStatutResolution::Localise:
        t = "Localisé : " + r.Lieu.Libelle + " — " + r.Raison;
        break;
    case TStatutResolution::Ambigu:
        t = "Ambiguë : " + r.Raison;
        break;
    case TStatutResolution::NonTrouve:
        t = "Non localisé : " + r.Raison;
        break;
    }
    for (const std::string& a : r.Avertissements)
        t += " ; attention : " + a;
    return t;
}

} // namespace orlavine::geoloc
