#include "app/cli/base.h"

#include "app/cli/commandes.h"
#include "app/communes_atlas.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/services_liste.h"

#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

namespace orlavine::cli {

namespace {

struct OptionsBase {
    std::string dossierAtlas;
    bool tsv = false;
    std::string action; // importer, exporter, lieux
    std::string base;
    bool remplacer = false;
    std::optional<TypeFilterDisplayList> filtre;
    std::vector<std::string> arguments;
};

bool OptionAValeur(const std::string& a) {
    return a == "--atlas" || a == "--rayon" || a == "--base" || a == "--filtre";
}

std::optional<OptionsBase> Lit(const std::vector<std::string>& args, const std::string& atlas,
                               std::ostream& err) {
    OptionsBase o;
    o.dossierAtlas = atlas;
    bool vuBase = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (OptionAValeur(a)) {
            if (i + 1 >= args.size()) {
                err << "orlavine-cli : l'option " << a << " attend une valeur.\n";
                return std::nullopt;
            }
            const std::string& v = args[++i];
            if (a == "--atlas") {
                o.dossierAtlas = v;
            } else if (a == "--base") {
                o.base = v;
            } else if (a == "--filtre") {
                if (v == "localises")
                    o.filtre = FilterLocate;
                else if (v == "non-localises")
                    o.filtre = FilterNotLocate;
                else if (v == "valides")
                    o.filtre = FilterPlaceCheck;
                else {
                    err << "orlavine-cli : filtre inconnu « " << v
                        << " » (localises, non-localises ou valides).\n";
                    return std::nullopt;
                }
            } else {
                err << "orlavine-cli : l'option " << a << " ne s'applique pas à la base.\n";
                return std::nullopt;
            }
        } else if (a == "--tsv") {
            o.tsv = true;
        } else if (a == "--remplacer") {
            o.remplacer = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            err << "orlavine-cli : option inconnue « " << a << " ».\n";
            return std::nullopt;
        } else if (!vuBase) {
            vuBase = true; // "base"
        } else if (o.action.empty()) {
            if (a != "importer" && a != "exporter" && a != "lieux") {
                err << "orlavine-cli : action inconnue « " << a
                    << " » (importer, exporter ou lieux).\n";
                return std::nullopt;
            }
            o.action = a;
        } else {
            o.arguments.push_back(a);
        }
    }
    if (o.action.empty()) {
        err << "orlavine-cli : base attend une action (importer, exporter ou lieux).\n";
        return std::nullopt;
    }
    if (o.base.empty()) {
        err << "orlavine-cli : base " << o.action << " attend --base BASE.sqlite.\n";
        return std::nullopt;
    }
    const std::size_t attendus = o.action == "lieux" ? 0 : 1;
    if (o.arguments.size() != attendus) {
        err << "orlavine-cli : base " << o.action << " attend "
            << (o.action == "importer"   ? "un fichier GEDCOM"
                : o.action == "exporter" ? "un fichier de sortie"
                                         : "aucun argument")
            << ".\n";
        return std::nullopt;
    }
    if (o.remplacer && o.action != "importer") {
        err << "orlavine-cli : --remplacer ne s'applique qu'à base importer.\n";
        return std::nullopt;
    }
    if (o.filtre && o.action != "lieux") {
        err << "orlavine-cli : --filtre ne s'applique qu'à base lieux.\n";
        return std::nullopt;
    }
    return o;
}

// Degrees with at most 6 decimals, trailing zeros dropped: "48.8566", "-1.5", "0".
std::string Degres(double valeur) {
    char texte[32];
    const auto r = std::to_chars(texte, texte + sizeof texte, valeur, std::chars_format::fixed, 6);
    std::string s(texte, r.ptr);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

int Importer(const OptionsBase& o, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    if (!o.remplacer && std::filesystem::exists(o.base, ec)) {
        err << "orlavine-cli : "
            << Erreur::Compose(o.base, 0, "une base existe déjà ; elle n'a pas été modifiée")
            << "\nAjoutez --remplacer pour la remplacer.\n";
        return SortieDonnees;
    }
    const auto carte = ChargeAtlas(o.dossierAtlas, err);
    if (!carte) return SortieDonnees;
    const CommunesAtlas communes(*carte);
    OptionsImportGedcom options;
    options.Remplacer = o.remplacer;
    options.EstCommune = communes.Test();
    const ResultatImport r = ImporteGedcom(o.arguments[0], o.base, options);

    constexpr std::size_t Montres = 20;
    for (std::size_t i = 0; i < r.Avertissements.size() && i < Montres; ++i) {
        const AvertissementGedcom& a = r.Avertissements[i];
        err << "orlavine-cli : avertissement : "
            << Erreur::Compose(o.arguments[0], a.Ligne, a.Texte) << '\n';
    }
    if (r.Avertissements.size() > Montres)
        err << "orlavine-cli : " << r.Avertissements.size() - Montres
            << " autres avertissements.\n";

    const TComptesBase& c = r.Comptes;
    const std::pair<const char*, long> chiffres[] = {
        {"individus", c.Individus},
        {"familles", c.Familles},
        {"événements", c.Evenements},
        {"lieux", c.Lieux},
        {"lieux-dits", c.LieuxDits},
        {"coordonnées lues", c.CoordonneesLues},
        {"lignes ignorées", c.LignesIgnorees},
    };
    for (const auto& [nom, valeur] : chiffres)
        out << nom << (o.tsv ? "\t" : " : ") << valeur << '\n';
    return SortieOk;
}

int Exporter(const OptionsBase& o, std::ostream& out) {
    TBaseGenealogie base(o.base);
    const std::size_t n = ExporteGedcom(base, o.arguments[0]);
    if (o.tsv)
        out << "lieux_modifies\t" << n << '\n';
    else
        out << o.arguments[0] << " : " << n << " lieu(x) d'événement aux coordonnées modifiées\n";
    return SortieOk;
}

int Lieux(const OptionsBase& o, std::ostream& out) {
    // Opened for writing when it can be (closing then leaves no side file behind), else read
    // only (a base on a read-only disk).
    std::unique_ptr<TBaseGenealogie> ouverte;
    try {
        ouverte = std::make_unique<TBaseGenealogie>(o.base);
    } catch (const ErreurGenealogie&) {
        ouverte = std::make_unique<TBaseGenealogie>(o.base, true);
    }
    TBaseGenealogie& base = *ouverte;
    TGestFichier gestion(base);
    const TListePlaces liste = InitListPlaces(gestion);
    const char* sep = o.tsv ? "\t" : " | ";
    for (std::size_t i = 0; i < liste.size(); ++i) {
        const SGeoChps& e = *liste[i];
        if (o.filtre && !ApplyFilter(&e, *o.filtre)) continue;
        out << i << sep << e.IdPlace << sep << e.LieuDit << sep
            << gestion.FicDupli.Charge(e.IdPlace) << sep << Degres(e.Latitude) << sep
            << Degres(e.Longitude) << sep << e.Etat << '\n';
    }
    return SortieOk;
}

} // namespace

bool EstCommandeBase(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (OptionAValeur(args[i])) {
            ++i;
            continue;
        }
        if (args[i].compare(0, 1, "-") == 0) continue;
        return args[i] == "base";
    }
    return false;
}

void AideBase(std::ostream& out) {
    out << "Usage : orlavine-cli [--atlas DOSSIER] [--tsv] base ACTION ...\n"
           "\n"
           "  base importer FICHIER.ged --base BASE.sqlite [--remplacer]\n"
           "        crée la base à partir du fichier GEDCOM et affiche ce qu'elle contient ;\n"
           "        une base existante n'est remplacée qu'avec --remplacer\n"
           "  base exporter --base BASE.sqlite SORTIE.ged\n"
           "        écrit le fichier importé avec les coordonnées modifiées depuis l'import\n"
           "  base lieux --base BASE.sqlite [--filtre localises|non-localises|valides]\n"
           "        liste des lieux de l'outil de géolocalisation : index, numéro du lieu,\n"
           "        lieu-dit, lieu, latitude, longitude, état\n";
}

int CommandeBase(const std::vector<std::string>& args, const std::string& dossierAtlas,
                 std::ostream& out, std::ostream& err) {
    for (const auto& a : args)
        if (a == "--aide" || a == "--help" || a == "-h") {
            AideBase(out);
            return SortieOk;
        }
    const auto options = Lit(args, dossierAtlas, err);
    if (!options) {
        err << "Essayez « orlavine-cli base --aide ».\n";
        return SortieUsage;
    }
    try {
        if (options->action == "importer") return Importer(*options, out, err);
        if (options->action == "exporter") return Exporter(*options, out);
        return Lieux(*options, out);
    } catch (const Erreur& e) {
        err << "orlavine-cli : " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "orlavine-cli : « " << options->base << " » : " << e.what() << '\n';
    }
    return SortieDonnees;
}

} // namespace orlavine::cli
