#include "app/cli/commandes.h"

#include "app/cli/base.h"
#include "app/cli/geocodeur.h"
#include "atlas/erreurs.h"
#include "atlas/recherche.h"

#include <charconv>
#include <ostream>

namespace orlavine::cli {

namespace {

std::string U(const AnsiString& ansi) {
    return Cp1252VersUtf8(ansi);
}

bool LitEntierPositif(const std::string& texte, int& valeur) {
    const auto [fin, err] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    return err == std::errc() && fin == texte.data() + texte.size() && valeur >= 0;
}

bool CommandeConnue(const std::string& c) {
    return c == "recherche" || c == "voisins" || c == "distance" || c == "info" || c == "carte";
}

std::size_t ArgumentsAttendus(const std::string& c) {
    if (c == "info") return 0;
    if (c == "distance") return 2;
    return 1;
}

void LigneCommune(const TCarteFrance& carte, int index, bool tsv, std::ostream& out,
                  const std::string& distance = {}) {
    const TCommune& c = carte.Communes[static_cast<std::size_t>(index)];
    const std::string nom = U(TCarteFrance::NomComplet(c));
    const std::string departement = U(carte.NomDepartement(c.CodeInsee));
    const std::string rang = U(LibelleRang(c.Rang));
    // "commune déléguée de X"... for a commune that is part of another one, else "".
    const std::string qualificatif = U(carte.QualificatifCommune(index));
    if (tsv) {
        out << c.CodeInsee << '\t' << nom << '\t' << departement << '\t' << rang;
        if (!distance.empty()) out << '\t' << distance;
        if (!qualificatif.empty()) out << '\t' << qualificatif;
    } else {
        out << c.CodeInsee << "  " << nom;
        if (!departement.empty()) out << " (" << departement << ")";
        if (!rang.empty()) out << ", " << rang;
        if (!qualificatif.empty()) out << ", " << qualificatif;
        if (!distance.empty()) out << " : " << distance << " km";
    }
    out << '\n';
}

} // namespace

void Aide(std::ostream& out, bool avecCarte) {
    out << "Usage : orlavine-cli [--atlas DOSSIER] [--tsv] COMMANDE ARGUMENTS...\n"
           "\n"
           "Commandes :\n"
           "  recherche TEXTE            communes trouvées comme dans la fenêtre de recherche\n"
           "                             (DUN : commence par, *DUN : contient, \"*DUN \" : finit "
           "par,\n"
           "                             75 : département ou code, 20004 : codes corses,\n"
           "                             13001 : code INSEE puis code postal ; un nom introuvable\n"
           "                             est cherché avec St/Ste développés, sans article, puis\n"
           "                             n'importe où dans le nom)\n"
           "  voisins TEXTE --rayon KM   voisines de la première commune trouvée\n"
           "  distance TEXTE1 TEXTE2     distance entre les premières communes trouvées\n"
           "  info                       contenu de l'atlas\n";
    if (avecCarte)
        out << "  carte TEXTE --sortie FICHIER [--largeur L] [--hauteur H] [--zoom Z]\n"
               "        [--rayon KM] [--voisines]\n"
               "                             image de la carte (PNG, BMP, SVG ou PDF)\n";
    out << "  geocoder TEXTE             lieux trouvés, du meilleur au moins bon : latitude,\n"
           "                             longitude, libellé, source (hors ligne)\n"
           "  normaliser TEXTE           le texte tel que la recherche d'adresse le reçoit\n"
           "  base ACTION ...            base généalogique : importer, exporter, lieux,\n"
           "                             geolocaliser, verifier, carte,\n"
           "                             annuler-geolocalisation\n"
           "                             (orlavine-cli base --aide)\n"
           "\n"
           "Options :\n"
           "  --atlas DOSSIER   dossier de cc.dat, departement.txt, pointdepii.dat, ccliees.dat,\n"
           "                    ccpostaux.dat et ccnoms.dat\n"
           "  --geocodeur FICHIER  fichier des lieux du monde du géocodeur (geocoder, base)\n"
           "  --tsv             champs séparés par des tabulations ; une commune déléguée,\n"
           "                    associée ou ancienne dit ce qu'elle est au dernier champ\n";
}

bool LitEntier(const std::string& texte, int minimum, int maximum, int& valeur) {
    int v = 0;
    const auto [fin, err] = std::from_chars(texte.data(), texte.data() + texte.size(), v);
    if (err != std::errc() || fin != texte.data() + texte.size() || v < minimum || v > maximum)
        return false;
    valeur = v;
    return true;
}

std::optional<Options> LitOptions(const std::vector<std::string>& args,
                                  const std::string& dossierParDefaut, std::ostream& err) {
    Options options;
    options.dossierAtlas = dossierParDefaut;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options.commande == "carte") { // the map command reads its own options
            if (a == "--atlas" && i + 1 < args.size())
                options.dossierAtlas = args[++i];
            else
                options.arguments.push_back(a);
            continue;
        }
        if (a == "--atlas" || a == "--rayon") {
            if (i + 1 >= args.size()) {
                err << "orlavine-cli : l'option " << a << " attend une valeur.\n";
                return std::nullopt;
            }
            const std::string& valeur = args[++i];
            if (a == "--atlas") {
                options.dossierAtlas = valeur;
            } else {
                int rayon = 0;
                if (!LitEntierPositif(valeur, rayon)) {
                    err << "orlavine-cli : rayon invalide « " << valeur
                        << " » (un nombre entier de kilomètres).\n";
                    return std::nullopt;
                }
                options.rayonKm = rayon;
            }
        } else if (a == "--tsv") {
            options.tsv = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            err << "orlavine-cli : option inconnue « " << a << " ».\n";
            return std::nullopt;
        } else if (options.commande.empty()) {
            if (!CommandeConnue(a)) {
                err << "orlavine-cli : commande inconnue « " << a << " ».\n";
                return std::nullopt;
            }
            options.commande = a;
        } else {
            options.arguments.push_back(a);
        }
    }
    if (options.commande.empty()) {
        err << "orlavine-cli : commande manquante.\n";
        return std::nullopt;
    }
    if (options.commande != "carte" &&
        options.arguments.size() != ArgumentsAttendus(options.commande)) {
        err << "orlavine-cli : la commande " << options.commande << " attend "
            << ArgumentsAttendus(options.commande) << " argument(s).\n";
        return std::nullopt;
    }
    if (options.commande == "voisins" && !options.rayonKm) {
        err << "orlavine-cli : la commande voisins attend --rayon KM.\n";
        return std::nullopt;
    }
    return options;
}

std::unique_ptr<TCarteFrance> ChargeAtlas(const std::string& dossier, std::ostream& err) {
    try {
        return std::make_unique<TCarteFrance>(dossier);
    } catch (const ErreurAtlas& e) {
        err << "orlavine-cli : atlas « " << dossier << " » : " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "orlavine-cli : atlas « " << dossier << " » illisible : " << e.what() << '\n';
    }
    return nullptr;
}

std::vector<std::uint16_t> Recherche(const TCarteFrance& carte, const std::string& texteUtf8) {
    return RechercheSaisie(carte, Utf8VersCp1252(texteUtf8)).Communes;
}

int PremiereCommune(const TCarteFrance& carte, const std::string& texteUtf8) {
    const auto resultats = Recherche(carte, texteUtf8);
    return resultats.empty() ? -1 : resultats.front();
}

int Execute(const Options& options, TCarteFrance& carte, std::ostream& out, std::ostream& err) {
    const bool tsv = options.tsv;
    if (options.commande == "info") {
        std::size_t points = 0, contours = 0;
        for (const TDepartement& d : carte.Departements) {
            points += d.Contour.Points.size();
            if (d.AUnContour()) ++contours;
        }
        const std::pair<const char*, std::size_t> chiffres[] = {
            {"communes", carte.Communes.size()},
            {"departements", carte.NomsDepartements.size()},
            {"contours", carte.Departements.size()},
            {"contours_traces", contours},
            {"points_contours", points},
        };
        for (const auto& [nom, valeur] : chiffres)
            out << nom << (tsv ? "\t" : " : ") << valeur << '\n';
        return SortieOk;
    }
    if (options.commande == "recherche") {
        for (std::uint16_t i : Recherche(carte, options.arguments[0]))
            LigneCommune(carte, i, tsv, out);
        return SortieOk;
    }
    if (options.commande == "voisins") {
        const int index = PremiereCommune(carte, options.arguments[0]);
        if (index < 0) return SortieOk;
        carte.RechercheVoisines(index, *options.rayonKm);
        for (const TCommuneVoisine& v : carte.CommunesVoisines)
            LigneCommune(carte, v.IndexCommune, tsv, out, std::to_string(v.Distance));
        return SortieOk;
    }
    if (options.commande == "distance") {
        const int a = PremiereCommune(carte, options.arguments[0]);
        const int b = PremiereCommune(carte, options.arguments[1]);
        if (a < 0 || b < 0) return SortieOk;
        const TCommune& ca = carte.Communes[static_cast<std::size_t>(a)];
        const TCommune& cb = carte.Communes[static_cast<std::size_t>(b)];
        const int km = TCarteFrance::DistanceCommunes(ca, cb);
        if (tsv)
            out << ca.CodeInsee << '\t' << U(TCarteFrance::NomComplet(ca)) << '\t' << cb.CodeInsee
                << '\t' << U(TCarteFrance::NomComplet(cb)) << '\t' << km << '\n';
        else
            out << U(TCarteFrance::NomComplet(ca)) << " (" << ca.CodeInsee << ") - "
                << U(TCarteFrance::NomComplet(cb)) << " (" << cb.CodeInsee << ") : " << km
                << " km\n";
        return SortieOk;
    }
    err << "orlavine-cli : la commande " << options.commande
        << " n'est pas disponible dans cette version.\n";
    return SortieUsage;
}

int Principal(const std::vector<std::string>& args, const std::string& dossierParDefaut,
              std::ostream& out, std::ostream& err, bool avecCarte, const TEnLigneCli* enLigne,
              const TCarteArbreCli* carteArbre) {
    if (EstCommandeBase(args))
        return CommandeBase(args, dossierParDefaut, out, err, enLigne, carteArbre);
    for (const auto& a : args)
        if (a == "--aide" || a == "--help" || a == "-h") {
            Aide(out, avecCarte);
            return SortieOk;
        }
    if (const auto code = CommandeGeocodeur(args, dossierParDefaut, out, err)) return *code;
    const auto options = LitOptions(args, dossierParDefaut, err);
    if (!options) {
        err << "Essayez « orlavine-cli --aide ».\n";
        return SortieUsage;
    }
    const auto carte = ChargeAtlas(options->dossierAtlas, err);
    if (!carte) return SortieDonnees;
    return Execute(*options, *carte, out, err);
}

} // namespace orlavine::cli
