#include "tools/atlas-build/code_officiel.h"

#include "tools/atlas-build/erreur_source.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

namespace orlavine::atlasbuild {

namespace {

using Json = nlohmann::json;

// A parsed JSON file that can name the line of its top-level elements.
class FichierJson {
public:
    explicit FichierJson(std::filesystem::path chemin)
        : chemin_(std::move(chemin)), texte_(LitTexte(chemin_)) {
        try {
            json_ = Json::parse(texte_);
        } catch (const Json::parse_error& e) {
            throw ErreurSource(chemin_, LigneDePosition(texte_, e.byte > 0 ? e.byte - 1 : 0),
                               "JSON invalide");
        }
        if (!json_.is_array()) throw ErreurSource(chemin_, 1, "un tableau JSON est attendu");
    }

    const Json& Racine() const { return json_; }

    [[noreturn]] void Erreur(std::size_t element, const std::string& detail) const {
        const auto debuts = DebutsElementsJson(texte_, 0);
        const long ligne = element < debuts.size() ? LigneDePosition(texte_, debuts[element]) : 0;
        throw ErreurSource(chemin_, ligne, detail);
    }

    std::string Texte(const Json& objet, std::size_t element, const char* champ) const {
        const auto it = objet.find(champ);
        if (it == objet.end() || !it->is_string())
            Erreur(element, std::string("champ « ") + champ + " » absent ou non textuel");
        return it->get<std::string>();
    }

    // An optional text field: empty when absent or null.
    std::string TexteFacultatif(const Json& objet, std::size_t element, const char* champ) const {
        const auto it = objet.find(champ);
        if (it == objet.end() || it->is_null()) return {};
        if (!it->is_string()) Erreur(element, std::string("champ « ") + champ + " » non textuel");
        return it->get<std::string>();
    }

    long Entier(const Json& objet, std::size_t element, const char* champ, long defaut) const {
        const auto it = objet.find(champ);
        if (it == objet.end() || it->is_null()) return defaut;
        if (!it->is_number_integer())
            Erreur(element, std::string("champ « ") + champ + " » non entier");
        return it->get<long>();
    }

    const Json& Objet(std::size_t element) const {
        const Json& o = json_[element];
        if (!o.is_object()) Erreur(element, "un objet JSON est attendu");
        return o;
    }

private:
    std::filesystem::path chemin_;
    std::string texte_;
    Json json_;
};

std::vector<std::string> FaitDepartementsMetropolitains() {
    std::vector<std::string> codes;
    for (int n = 1; n <= 95; ++n) {
        if (n == 20) {
            codes.push_back("2A");
            codes.push_back("2B");
        } else {
            codes.push_back(CodeDepartement(n));
        }
    }
    return codes;
}

} // namespace

const std::vector<std::string>& DepartementsMetropolitains() {
    static const std::vector<std::string> codes = FaitDepartementsMetropolitains();
    return codes;
}

bool EstDepartementMetropolitain(std::string_view code) {
    const auto& codes = DepartementsMetropolitains();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::string CodeDepartement(int numero) {
    char code[16];
    std::snprintf(code, sizeof code, "%02d", numero);
    return code;
}

int NumeroDepartement(std::string_view code) {
    if (!EstDepartementMetropolitain(code)) return 0;
    if (code == "2A" || code == "2B") return 20;
    return (code[0] - '0') * 10 + (code[1] - '0');
}

CodeOfficiel LitCodeOfficiel(const std::filesystem::path& dossier) {
    CodeOfficiel code;

    // Departments first: they say which communes are metropolitan.
    {
        const FichierJson f(dossier / "departements.json");
        for (std::size_t i = 0; i < f.Racine().size(); ++i) {
            const Json& o = f.Objet(i);
            DepartementOfficiel d;
            d.Code = f.Texte(o, i, "code");
            if (!EstDepartementMetropolitain(d.Code)) continue;
            d.Nom = f.Texte(o, i, "nom");
            d.ChefLieu = f.Texte(o, i, "chefLieu");
            if (std::any_of(code.Departements.begin(), code.Departements.end(),
                            [&](const DepartementOfficiel& x) { return x.Code == d.Code; }))
                f.Erreur(i, "département « " + d.Code + " » en double");
            code.Departements.push_back(std::move(d));
        }
    }
    {
        const FichierJson f(dossier / "regions.json");
        for (std::size_t i = 0; i < f.Racine().size(); ++i) {
            const Json& o = f.Objet(i);
            f.Texte(o, i, "code");
            const std::string chefLieu = f.Texte(o, i, "chefLieu");
            // A region is metropolitan when its chef-lieu is.
            if (chefLieu.size() == 5 && EstDepartementMetropolitain(chefLieu.substr(0, 2)))
                code.ChefsLieuxRegions.insert(chefLieu);
        }
    }
    {
        const FichierJson f(dossier / "arrondissements.json");
        for (std::size_t i = 0; i < f.Racine().size(); ++i) {
            const Json& o = f.Objet(i);
            f.Texte(o, i, "code");
            code.ChefsLieuxArrondissements.insert(f.Texte(o, i, "chefLieu"));
        }
    }
    {
        const FichierJson f(dossier / "communes.json");
        std::map<std::string, std::size_t> vus;
        std::vector<std::pair<CommuneLieeOfficielle, std::size_t>> liees;
        std::set<std::string> liesVues;
        for (std::size_t i = 0; i < f.Racine().size(); ++i) {
            const Json& o = f.Objet(i);
            const std::string codeCommune = f.Texte(o, i, "code");
            const std::string type = f.Texte(o, i, "type");
            const std::string departement = f.TexteFacultatif(o, i, "departement");
            if (!EstDepartementMetropolitain(departement)) continue;
            if (type == "commune-deleguee" || type == "commune-associee") {
                CommuneLieeOfficielle l;
                l.Code = codeCommune;
                // Its code keeps the department it had: Escaufourt (02285) is associated
                // with a commune of the Nord.
                if (l.Code.size() != 5 || !EstDepartementMetropolitain(l.Code.substr(0, 2)))
                    f.Erreur(i, "code commune « " + l.Code + " » invalide");
                l.Nom = f.Texte(o, i, "nom");
                if (l.Nom.empty()) f.Erreur(i, "nom vide");
                l.TypeLiaison = static_cast<int>(f.Entier(o, i, "typeLiaison", 0));
                l.Nature = type == "commune-deleguee" ? TNatureCommune::Deleguee
                                                      : TNatureCommune::Associee;
                l.Parent = f.Texte(o, i, "chefLieu");
                liees.emplace_back(std::move(l), i);
                continue;
            }
            if (type != "commune-actuelle") continue;
            if (codeCommune.size() != 5 || codeCommune.compare(0, 2, departement) != 0)
                f.Erreur(i, "code commune « " + codeCommune + " » hors de son département");
            if (!vus.emplace(codeCommune, i).second)
                f.Erreur(i, "commune « " + codeCommune + " » en double");

            CommuneOfficielle c;
            c.Code = codeCommune;
            c.Nom = f.Texte(o, i, "nom");
            if (c.Nom.empty()) f.Erreur(i, "nom vide");
            c.TypeLiaison = static_cast<int>(f.Entier(o, i, "typeLiaison", 0));
            c.Departement = departement;
            c.Region = f.TexteFacultatif(o, i, "region");
            c.Arrondissement = f.TexteFacultatif(o, i, "arrondissement");
            c.Population = f.Entier(o, i, "population", 0);
            if (const auto it = o.find("codesPostaux"); it != o.end() && !it->is_null()) {
                if (!it->is_array()) f.Erreur(i, "champ « codesPostaux » non tableau");
                for (const Json& cp : *it) {
                    if (!cp.is_string()) f.Erreur(i, "code postal non textuel");
                    c.CodesPostaux.push_back(cp.get<std::string>());
                }
            }
            if (const auto it = o.find("anciensCodes"); it != o.end() && !it->is_null()) {
                if (!it->is_array()) f.Erreur(i, "champ « anciensCodes » non tableau");
                for (const Json& a : *it) {
                    if (!a.is_string() || a.get<std::string>().size() != 5)
                        f.Erreur(i, "ancien code invalide");
                    c.AnciensCodes.push_back(a.get<std::string>());
                }
            }
            code.Communes.push_back(std::move(c));
        }
        // A delegated or associated commune belongs to a current commune of the file, and
        // its code is no other current commune's.
        for (auto& [l, i] : liees) {
            if (!vus.count(l.Parent))
                f.Erreur(i, "commune de rattachement « " + l.Parent + " » inconnue");
            if (l.Code != l.Parent && vus.count(l.Code))
                f.Erreur(i, "code « " + l.Code + " » d'une autre commune actuelle");
            if (!liesVues.insert(l.Code + l.Nom).second)
                f.Erreur(i, "commune « " + l.Code + " » en double");
            code.Liees.push_back(std::move(l));
        }
    }
    return code;
}

AnsiString NomAtlas(std::string_view nomUtf8) {
    return RemplaceCar(UpperANSIChaineAS(Utf8VersCp1252(nomUtf8), MajusculesSansAccents), ' ', '-');
}

NomDecoupe DecoupeNom(std::string_view nomUtf8, int typeLiaison) {
    NomDecoupe d;
    std::string_view prefixe;
    if (typeLiaison == 2)
        prefixe = "Le ";
    else if (typeLiaison == 3)
        prefixe = "La ";
    if (!prefixe.empty() && nomUtf8.size() > prefixe.size() &&
        NomAtlas(nomUtf8.substr(0, prefixe.size() - 1)) == NomAtlas(prefixe.substr(0, 2))) {
        if (nomUtf8[prefixe.size() - 1] == ' ') {
            d.Article = NomAtlas(prefixe.substr(0, 2));
            d.Nom = NomAtlas(nomUtf8.substr(prefixe.size()));
            return d;
        }
    }
    d.Nom = NomAtlas(nomUtf8);
    return d;
}

AnsiString SansArticle(const AnsiString& nomAtlas) {
    for (const char* article : {"LE-", "LA-", "LES-", "L'"}) {
        const std::string_view a(article);
        if (nomAtlas.size() > a.size() && nomAtlas.compare(0, a.size(), a) == 0)
            return nomAtlas.substr(a.size());
    }
    return nomAtlas;
}

void VerifieVersionPaquet(const std::filesystem::path& dossier, std::string_view nom,
                          std::string_view version) {
    const std::filesystem::path chemin = dossier / "package.json";
    const std::string texte = LitTexte(chemin);
    Json paquet;
    try {
        paquet = Json::parse(texte);
    } catch (const Json::parse_error& e) {
        throw ErreurSource(chemin, LigneDePosition(texte, e.byte > 0 ? e.byte - 1 : 0),
                           "JSON invalide");
    }
    // The line of a field, for the message: where its key first appears.
    auto ligne = [&](const char* champ) {
        const auto p = texte.find(std::string("\"") + champ + "\"");
        return p == std::string::npos ? 0L : LigneDePosition(texte, p);
    };
    const auto texteDe = [&](const char* champ) {
        const auto it = paquet.is_object() ? paquet.find(champ) : paquet.end();
        return it != paquet.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    if (texteDe("name") != nom)
        throw ErreurSource(chemin, ligne("name"),
                           "paquet « " + texteDe("name") + " », « " + std::string(nom) +
                               " » attendu");
    if (texteDe("version") != version)
        throw ErreurSource(chemin, ligne("version"),
                           "version « " + texteDe("version") + " » de " + std::string(nom) +
                               ", « " + std::string(version) + " » attendue");
}

} // namespace orlavine::atlasbuild
