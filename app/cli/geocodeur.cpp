#include "app/cli/geocodeur.h"

#include "app/cli/commandes.h"
#include "app/donnees.h"
#include "geocodeur/geocodeur.h"
#include "geoloc/normalisation.h"
#include "geoloc/resolution.h"

#include <charconv>
#include <ostream>

#ifndef ORLAVINE_GEOCODEUR_DEFAUT
#define ORLAVINE_GEOCODEUR_DEFAUT "data/geocodeur/monde.dat"
#endif

namespace orlavine::cli {

namespace {

// Decimal degrees with a point, whatever the locale.
std::string Degres(double valeur) {
    char tampon[32];
    const auto [fin, err] =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::fixed, 6);
    return err == std::errc() ? std::string(tampon, fin) : "0";
}

void Usage(std::ostream& err, const std::string& message) {
    err << "orlavine-cli : " << message << "\n"
        << "Usage : orlavine-cli [--atlas DOSSIER] [--geocodeur FICHIER] [--tsv] geocoder TEXTE\n"
           "        orlavine-cli normaliser TEXTE\n"
        << geocodeur::AttributionGeoNames << "\n";
}

} // namespace

std::optional<int> CommandeGeocodeur(const std::vector<std::string>& args,
                                     const std::string& dossierAtlas, std::ostream& out,
                                     std::ostream& err) {
    std::string commande, atlas = dossierAtlas,
                          fichier = CheminDonnees("geocodeur/monde.dat", ORLAVINE_GEOCODEUR_DEFAUT);
    std::vector<std::string> arguments;
    bool tsv = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--atlas" || a == "--geocodeur") {
            if (i + 1 >= args.size()) {
                if (commande.empty()) return std::nullopt; // not ours: the atlas usage says it
                Usage(err, "l'option " + a + " attend une valeur.");
                return SortieUsage;
            }
            (a == "--atlas" ? atlas : fichier) = args[++i];
        } else if (a == "--tsv") {
            tsv = true;
        } else if (commande.empty() && a.rfind("--", 0) != 0) {
            if (a != "geocoder" && a != "normaliser") return std::nullopt;
            commande = a;
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            if (commande.empty()) return std::nullopt;
            Usage(err, "option inconnue « " + a + " ».");
            return SortieUsage;
        } else {
            arguments.push_back(a);
        }
    }
    if (commande.empty()) return std::nullopt;
    if (arguments.size() != 1) {
        Usage(err, "la commande " + commande + " attend un texte.");
        return SortieUsage;
    }

    if (commande == "normaliser") {
        out << geoloc::DeleteCodePostal(arguments[0]) << '\n';
        return SortieOk;
    }

    const auto carte = ChargeAtlas(atlas, err);
    if (!carte) return SortieDonnees;
    try {
        const geocodeur::TGeocodeur geocodeur(carte.get(), fichier);
        // The place text read field by field, as the bulk run and the world map page read the
        // places of a base: one place, or the candidates it cannot tell apart, and why.
        const geoloc::TResolveurLieux resolveur(carte.get(), geocodeur);
        const geoloc::TResolution r = resolveur.ResoutTexte(arguments[0]);
        auto ligne = [&](const geoloc::TCandidatResolution& c, const char* statut) {
            const char* source =
                c.IndexCommune >= 0 ? geocodeur::SourceAtlas : geocodeur::SourceGeoNames;
            if (tsv)
                out << Degres(c.Latitude) << '\t' << Degres(c.Longitude) << '\t' << c.Libelle
                    << '\t' << source << '\t' << statut << '\n';
            else
                out << Degres(c.Latitude) << ' ' << Degres(c.Longitude) << "  " << c.Libelle
                    << "  (" << source << ")\n";
        };
        if (r.Localise()) ligne(r.Lieu, "localise");
        for (const geoloc::TCandidatResolution& c : r.Candidats)
            ligne(c, r.Statut == geoloc::TStatutResolution::Ambigu ? "ambigu" : "proche");
        if (!tsv) out << geoloc::TexteResolution(r) << '\n';
    } catch (const Erreur& e) {
        err << "orlavine-cli : géocodeur : " << e.what() << '\n';
        return SortieDonnees;
    }
    return SortieOk;
}

} // namespace orlavine::cli
