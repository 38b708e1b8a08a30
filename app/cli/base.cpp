#include "app/cli/base.h"

#include "app/cli/commandes.h"
#include "app/cli/progression.h"
#include "app/communes_atlas.h"
#include "app/donnees.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/cache_geocodage.h"
#include "genealogie/journal_geo.h"
#include "genealogie/services_liste.h"
#include "geocodeur/geocodeur.h"
#include "geocodeur/service_en_ligne.h"
#include "geoloc/carte_arbre.h"
#include "geoloc/export_lieux.h"
#include "geoloc/localisation_auto.h"
#include "geoloc/recherche_en_ligne.h"
#include "geoloc/resolution.h"
#include "geoloc/verification.h"
#include "host/chaines.h"

#include <charconv>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <unistd.h>

#ifndef ORLAVINE_GEOCODEUR_DEFAUT
#define ORLAVINE_GEOCODEUR_DEFAUT "data/geocodeur/monde.dat"
#endif

namespace orlavine::cli {

namespace {

struct OptionsBase {
    std::string dossierAtlas;
    bool tsv = false;
    std::string action; // importer, exporter, lieux, geolocaliser, annuler-geolocalisation
    std::string base;
    std::string geocodeur = CheminDonnees("geocodeur/monde.dat", ORLAVINE_GEOCODEUR_DEFAUT);
    bool remplacer = false;
    bool avecLieuDit = false;
    bool remplacerPositions = false; // also the file's and the hand-placed positions
    bool enLigne = false;
    std::string service; // --service: the online service's address
    std::optional<TypeFilterDisplayList> filtre;
    std::string format; // --format of base exporter: gedcom (default), kml, geojson
    std::string sortie; // --sortie of base carte
    int largeur = 1000, hauteur = 700;
    bool largeurLue = false, hauteurLue = false;
    bool france = false;
    std::vector<std::string> arguments;
};

bool OptionAValeur(const std::string& a) {
    return a == "--atlas" || a == "--rayon" || a == "--base" || a == "--filtre" ||
           a == "--geocodeur" || a == "--service" || a == "--format" || a == "--sortie" ||
           a == "--largeur" || a == "--hauteur";
}

// A picture side: 16 to 10000 pixels.
bool LitCote(const std::string& texte, int& valeur) {
    return LitEntier(texte, 16, 10000, valeur);
}

// The extension of a file name, in lower case; empty when it has none.
std::string Extension(const std::string& chemin) {
    const std::string nom = std::filesystem::path(chemin).filename().string();
    const std::size_t point = nom.rfind('.');
    if (point == std::string::npos || point == 0) return {};
    std::string e = nom.substr(point + 1);
    for (char& c : e)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return e;
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
            } else if (a == "--geocodeur") {
                o.geocodeur = v;
            } else if (a == "--service") {
                o.service = v;
            } else if (a == "--sortie") {
                o.sortie = v;
            } else if (a == "--largeur" || a == "--hauteur") {
                if (!LitCote(v, a == "--largeur" ? o.largeur : o.hauteur)) {
                    err << "orlavine-cli : valeur invalide pour " << a << " « " << v
                        << " » (un nombre entier de pixels de 16 à 10000).\n";
                    return std::nullopt;
                }
                (a == "--largeur" ? o.largeurLue : o.hauteurLue) = true;
            } else if (a == "--format") {
                if (v != "gedcom" && v != "kml" && v != "geojson") {
                    err << "orlavine-cli : format inconnu « " << v
                        << " » (gedcom, kml ou geojson).\n";
                    return std::nullopt;
                }
                o.format = v;
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
        } else if (a == "--avec-lieu-dit") {
            o.avecLieuDit = true;
        } else if (a == "--remplacer-positions") {
            o.remplacerPositions = true;
        } else if (a == "--en-ligne") {
            o.enLigne = true;
        } else if (a == "--france") {
            o.france = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            err << "orlavine-cli : option inconnue « " << a << " ».\n";
            return std::nullopt;
        } else if (!vuBase) {
            vuBase = true; // "base"
        } else if (o.action.empty()) {
            if (a != "importer" && a != "exporter" && a != "lieux" && a != "geolocaliser" &&
                a != "annuler-geolocalisation" && a != "verifier" && a != "carte") {
                err << "orlavine-cli : action inconnue « " << a
                    << " » (importer, exporter, lieux, geolocaliser, verifier, carte ou "
                       "annuler-geolocalisation).\n";
                return std::nullopt;
            }
            o.action = a;
        } else {
            o.arguments.push_back(a);
        }
    }
    if (o.action.empty()) {
        err << "orlavine-cli : base attend une action (importer, exporter, lieux, geolocaliser, "
               "verifier, carte ou annuler-geolocalisation).\n";
        return std::nullopt;
    }
    if (o.base.empty()) {
        err << "orlavine-cli : base " << o.action << " attend --base BASE.sqlite.\n";
        return std::nullopt;
    }
    const std::size_t attendus = o.action == "importer" || o.action == "exporter" ? 1 : 0;
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
    if (o.filtre && o.action != "lieux" && o.action != "geolocaliser") {
        err << "orlavine-cli : --filtre ne s'applique qu'à base lieux et base geolocaliser.\n";
        return std::nullopt;
    }
    if (!o.format.empty() && o.action != "exporter") {
        err << "orlavine-cli : --format ne s'applique qu'à base exporter.\n";
        return std::nullopt;
    }
    if ((o.avecLieuDit || o.enLigne || o.remplacerPositions) && o.action != "geolocaliser") {
        err << "orlavine-cli : "
            << (o.avecLieuDit ? "--avec-lieu-dit"
                : o.enLigne   ? "--en-ligne"
                              : "--remplacer-positions")
            << " ne s'applique qu'à base geolocaliser.\n";
        return std::nullopt;
    }
    if (!o.service.empty() && !o.enLigne) {
        err << "orlavine-cli : --service ne s'applique qu'avec --en-ligne.\n";
        return std::nullopt;
    }
    if ((!o.sortie.empty() || o.largeurLue || o.hauteurLue || o.france) && o.action != "carte") {
        err << "orlavine-cli : "
            << (!o.sortie.empty() ? "--sortie"
                : o.largeurLue    ? "--largeur"
                : o.hauteurLue    ? "--hauteur"
                                  : "--france")
            << " ne s'applique qu'à base carte.\n";
        return std::nullopt;
    }
    if (o.action == "carte") {
        if (o.sortie.empty()) {
            err << "orlavine-cli : base carte attend --sortie FICHIER.png|.svg|.pdf.\n";
            return std::nullopt;
        }
        const std::string e = Extension(o.sortie);
        if (e != "png" && e != "bmp" && e != "svg" && e != "pdf") {
            err << "orlavine-cli : le fichier « " << o.sortie
                << " » doit finir par .png, .svg ou .pdf (ou .bmp) : l'extension choisit le "
                   "format.\n";
            return std::nullopt;
        }
    }
    return o;
}

// Degrees with at most 6 decimals, trailing zeros dropped: "48.8566", "-1.5", "0".
std::string Degres(double valeur) {
    return TexteDecimal(valeur, 6);
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
    ResultatImport r;
    {
        LigneAvancement ligne(err, ::isatty(STDERR_FILENO), "Import");
        std::uint64_t lignes = 0;
        options.LignesLues = [&](std::uint64_t n) { lignes = n; };
        options.Progression = [&](int p) {
            ligne.Montre(p, NombreEcran(lignes) + " lignes");
            return true;
        };
        r = ImporteGedcom(o.arguments[0], o.base, options);
    }

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

int Exporter(const OptionsBase& o, std::ostream& out, std::ostream& err) {
    TBaseGenealogie base(o.base);
    if (o.format == "kml" || o.format == "geojson") {
        const geoloc::TBilanExportLieux b = geoloc::ExporteLieux(
            base, o.arguments[0],
            o.format == "kml" ? geoloc::FormatLieux::Kml : geoloc::FormatLieux::GeoJson);
        if (o.tsv) {
            out << "entites\t" << b.Entites << '\n';
            return SortieOk;
        }
        out << o.arguments[0] << " :\n"
            << b.Entites << (b.Entites > 1 ? " lieux localisés écrits" : " lieu localisé écrit")
            << " (" << (o.format == "kml" ? "KML" : "GeoJSON") << ").\n";
        return SortieOk;
    }
    RapportEcriture r;
    {
        LigneAvancement ligne(err, ::isatty(STDERR_FILENO), "Export");
        r = ExporteGedcom(base, o.arguments[0], [&](std::uint64_t ecrits, std::uint64_t total) {
            ligne.Montre(total ? static_cast<int>(ecrits * 100 / total) : 100,
                         NombreEcran(ecrits >> 20) + " Mo sur " + NombreEcran(total >> 20) + " Mo");
        });
    }
    if (o.tsv) {
        out << "lieux_modifies\t" << r.Ecrits << '\n'
            << "ordonnances_sans_coordonnees\t" << r.OrdonnancesSansCoordonnees << '\n'
            << "version_relevee\t" << r.VersionRelevee << '\n';
        return SortieOk;
    }
    out << o.arguments[0] << " :\n";
    for (const std::string& phrase : PhrasesExport(r))
        out << phrase << '\n';
    return SortieOk;
}

int Lieux(const OptionsBase& o, std::ostream& out) {
    // A base on a read-only or full disk opens read-only: it is listed all the same.
    TBaseGenealogie base(o.base);
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

// A run that would write into a base opened read-only: refused before any work.
int RefusLectureSeule(const TBaseGenealogie& base, std::ostream& err) {
    err << "orlavine-cli : "
        << Erreur::Compose(base.Chemin().string(), 0,
                           "la base ne peut être ouverte qu'en lecture (" +
                               base.RaisonLectureSeule() + ") ; elle n'a pas été modifiée")
        << '\n';
    return SortieDonnees;
}

// The progress line, on a terminal only: rewritten in place, at most once per percent.
class LigneProgression {
public:
    explicit LigneProgression(std::ostream& err) : err_(err), actif_(::isatty(STDERR_FILENO)) {}
    void operator()(long fait, long total) {
        if (!actif_ || total <= 0) return;
        const int pourcent = static_cast<int>(fait * 100 / total);
        if (pourcent == dernier_) return;
        dernier_ = pourcent;
        err_ << "\rGéolocalisation : " << pourcent << " % (" << fait << " / " << total << ")"
             << std::flush;
    }
    ~LigneProgression() {
        if (actif_ && dernier_ >= 0) err_ << '\n';
    }

private:
    std::ostream& err_;
    bool actif_;
    int dernier_ = -1;
};

// The online part of a run: the service asked for what the offline geocoder does not know.
struct EnLigne {
    std::unique_ptr<geocodeur::ITransportHttp> Transport;
    std::unique_ptr<TCacheGeocodageBase> Cache;
    std::unique_ptr<geocodeur::TServiceNominatim> Service;
    std::unique_ptr<geoloc::TRechercheEnLigne> Recherche;
};

int Geolocaliser(const OptionsBase& o, const TEnLigneCli* enLigne, std::ostream& out,
                 std::ostream& err) {
    std::string serveur;
    if (o.enLigne) {
        if (enLigne == nullptr || !enLigne->Transport) {
            err << "orlavine-cli : ce programme a été construit sans la recherche en ligne ; "
                   "sans --en-ligne la géolocalisation se fait hors ligne. La base n'a pas été "
                   "modifiée.\n";
            return SortieDonnees;
        }
        serveur = !o.service.empty()        ? o.service
                  : enLigne->AdresseService ? enLigne->AdresseService()
                                            : std::string();
        if (serveur.empty()) serveur = geocodeur::AdresseNominatimDefaut;
        try {
            (void)geocodeur::RequeteRecherche(serveur, "essai");
        } catch (const Erreur& e) {
            err << "orlavine-cli : adresse du service en ligne refusée : " << e.what() << '\n';
            return SortieUsage;
        }
    }
    const auto carte = ChargeAtlas(o.dossierAtlas, err);
    if (!carte) return SortieDonnees;
    const CommunesAtlas communes(*carte);
    const geocodeur::TGeocodeur geocodeur(carte.get(), o.geocodeur);
    geoloc::TRechercheGeocodeur horsLigne(geocodeur);

    TBaseGenealogie base(o.base);
    if (base.LectureSeule()) return RefusLectureSeule(base, err);
    TGestFichier gestion(base);
    gestion.FicPays.DefinitRecherche(communes.Recherche());
    const geoloc::TServicesLieuxBase services(gestion);
    geoloc::IRechercheAdresse* recherche = &horsLigne;
    EnLigne enLigneRun;
    if (o.enLigne) {
        enLigneRun.Transport = enLigne->Transport(err);
        if (!enLigneRun.Transport) return SortieDonnees;
        // Answers are kept in the base, shared with the windows' map.
        enLigneRun.Cache = std::make_unique<TCacheGeocodageBase>(base);
        const auto note = [&err](const std::string& message) {
            err << "orlavine-cli : " << message << '\n';
            AddLog(message);
        };
        enLigneRun.Service = std::make_unique<geocodeur::TServiceNominatim>(
            serveur, *enLigneRun.Transport, *enLigneRun.Cache, geocodeur::LimiteurNominatim(),
            enLigne->Attente, note);
        enLigneRun.Recherche =
            std::make_unique<geoloc::TRechercheEnLigne>(*enLigneRun.Service, &horsLigne, note);
        recherche = enLigneRun.Recherche.get();
    }
    TListePlaces liste = InitListPlaces(gestion);
    geoloc::TOptionsGeolocalisation options;
    options.Filtre = o.filtre.value_or(FilterNotLocate);
    options.AvecLieuDit = o.avecLieuDit;
    options.RemplacerFichierEtMain = o.remplacerPositions;
    geoloc::TBilanGeolocalisation bilan;
    {
        LigneProgression ligne(err);
        bilan = geoloc::ToutGeolocaliser(gestion, liste, services, recherche, options, nullptr,
                                         std::ref(ligne));
    }

    const char* sep = o.tsv ? "\t" : " : ";
    if (o.tsv) {
        out << "traitees\t" << bilan.Traitees << "\nlocalisees\t" << bilan.Localisees
            << "\nnon_localisees\t" << bilan.NonLocalisees << "\nambigues\t" << bilan.Ambigues
            << "\nvalidees_gardees\t" << bilan.ValideesGardees << "\npositions_gardees\t"
            << bilan.PositionsGardees << '\n';
        for (const auto& [etat, n] : bilan.ParEtat)
            out << "etat\t" << etat << '\t' << n << '\n';
    } else {
        out << "entrées traitées" << sep << bilan.Traitees << "\nlocalisées" << sep
            << bilan.Localisees << "\nnon localisées" << sep << bilan.NonLocalisees << " (dont "
            << bilan.Ambigues << " ambiguës)\nvalidées laissées telles quelles" << sep
            << bilan.ValideesGardees << "\npositions du fichier, de la main ou de lieux-dits "
            << "gardées" << sep << bilan.PositionsGardees << '\n';
        for (const auto& [etat, n] : bilan.ParEtat)
            out << "état " << etat << " (" << geoloc::NomEtatLieu(etat) << ")" << sep << n << '\n';
    }
    if (enLigneRun.Service) {
        const int reponses = enLigneRun.Recherche->ReponsesEnLigne();
        if (o.tsv) {
            out << "requetes_en_ligne\t" << enLigneRun.Service->RequetesEnvoyees()
                << "\nreponses_gardees\t" << enLigneRun.Service->ReponsesGardees()
                << "\nlocalisees_en_ligne\t" << reponses << '\n';
        } else {
            out << "requêtes en ligne" << sep << enLigneRun.Service->RequetesEnvoyees()
                << " (réponses déjà gardées : " << enLigneRun.Service->ReponsesGardees()
                << ")\nadresses trouvées en ligne" << sep << reponses << '\n';
            if (reponses > 0)
                out << "Adresses en ligne : © les contributeurs d'OpenStreetMap (ODbL), par "
                    << enLigneRun.Service->Serveur() << ".\n";
        }
    }
    // The run log, one entry a line (it is written to the log file as one line).
    std::string_view journal = bilan.Journal;
    const std::string_view entete = "ReInit BDD Location \r\n";
    if (journal.substr(0, entete.size()) == entete) journal.remove_prefix(entete.size());
    if (!journal.empty() && !o.tsv) out << "Journal :\n";
    while (!journal.empty()) {
        const std::size_t fin = journal.find("\n\r");
        out << journal.substr(0, fin) << '\n';
        if (fin == std::string_view::npos) break;
        journal.remove_prefix(fin + 2);
    }
    return SortieOk;
}

// A distance as the screen shows it: a decimal comma.
std::string DistanceEcran(std::string distance) {
    for (char& c : distance)
        if (c == '.') c = ',';
    return distance;
}

// The located places whose position lies far from what their text names.
int Verifier(const OptionsBase& o, std::ostream& out, std::ostream& err) {
    const auto carte = ChargeAtlas(o.dossierAtlas, err);
    if (!carte) return SortieDonnees;
    const geocodeur::TGeocodeur geocodeur(carte.get(), o.geocodeur);
    const geoloc::TResolveurLieux resolveur(carte.get(), geocodeur);
    const geoloc::TVerificateurPositions verificateur(resolveur);
    TBaseGenealogie base(o.base);
    TGestFichier gestion(base);
    const TListePlaces liste = InitListPlaces(gestion);
    std::vector<geoloc::TPositionDouteuse> douteuses;
    {
        LigneProgression ligne(err);
        douteuses = geoloc::VerifiePositions(gestion, liste, verificateur, std::ref(ligne));
    }
    for (const geoloc::TPositionDouteuse& p : douteuses) {
        // Distances in km with a point: machine-read with --tsv, and the same on screen.
        char km[32];
        const auto fin =
            std::to_chars(km, km + sizeof km, p.DistanceKm, std::chars_format::fixed, 1);
        const std::string distance(km, fin.ptr);
        if (o.tsv) {
            out << p.IdPlace << '\t' << p.LieuDit << '\t' << p.Texte << '\t' << Degres(p.Latitude)
                << '\t' << Degres(p.Longitude) << '\t' << p.Etat << '\t' << distance << '\t'
                << p.Attendu << '\t' << Degres(p.LatitudeAttendue) << '\t'
                << Degres(p.LongitudeAttendue) << '\t' << p.Raison << '\n';
        } else {
            out << "lieu " << p.IdPlace << (p.LieuDit.empty() ? "" : " ; lieu-dit " + p.LieuDit)
                << " : " << p.Texte << "\n  position " << Degres(p.Latitude) << ", "
                << Degres(p.Longitude) << " (" << geoloc::NomEtatLieu(p.Etat) << ")"
                << (p.Validee() ? ", validée : jamais modifiée" : "") << "\n  attendu " << p.Attendu
                << " (" << Degres(p.LatitudeAttendue) << ", " << Degres(p.LongitudeAttendue)
                << "), à " << DistanceEcran(distance) << " km : " << p.Raison << '\n';
        }
    }
    if (!o.tsv)
        out << douteuses.size() << " position(s) à vérifier sur " << liste.size()
            << " entrée(s).\n";
    return SortieOk;
}

// The map of the whole tree as a picture: every located place a disk over the world map.
int Carte(const OptionsBase& o, const TCarteArbreCli* dessin, std::ostream& out,
          std::ostream& err) {
    if (dessin == nullptr || !dessin->Ecrit) {
        err << "orlavine-cli : ce programme a été construit sans les cartes (Qt) ; base carte "
               "n'est pas disponible.\n";
        return SortieDonnees;
    }
    TBaseGenealogie base(o.base, true);
    const geoloc::TCarteArbre carte = geoloc::TCarteArbre::Lit(base);
    if (carte.Lieux().empty()) {
        err << "orlavine-cli : "
            << Erreur::Compose(o.base, 0,
                               "aucun lieu de la base n'est localisé, il n'y a rien à dessiner "
                               "(base geolocaliser les localise) ; aucun fichier n'a été écrit")
            << '\n';
        return SortieDonnees;
    }
    const monde::TVueMonde vue = carte.Cadre(o.largeur, o.hauteur, o.france);
    const geoloc::TBilanCarteArbre b = dessin->Ecrit(carte, vue, o.sortie, o.dossierAtlas);
    const auto lieux = static_cast<long>(carte.Lieux().size());
    if (o.tsv) {
        out << "lieux\t" << lieux << "\nsans_position\t" << carte.SansPosition() << "\ndisques\t"
            << b.Disques << "\netiquettes\t" << b.Etiquettes << '\n';
        return SortieOk;
    }
    out << o.sortie << " : " << o.largeur << " x " << o.hauteur
        << (o.france ? ", France seule" : ", tout l'arbre") << "\n"
        << lieux << (lieux > 1 ? " lieux localisés" : " lieu localisé") << ", "
        << carte.SansPosition() << " sans position ; " << b.Disques
        << (b.Disques > 1 ? " disques" : " disque") << " dans le cadre, " << b.Etiquettes
        << (b.Etiquettes > 1 ? " noms écrits.\n" : " nom écrit.\n");
    return SortieOk;
}

int AnnulerGeolocalisation(const OptionsBase& o, std::ostream& out, std::ostream& err) {
    TBaseGenealogie base(o.base);
    if (base.LectureSeule()) return RefusLectureSeule(base, err);
    TJournalGeo journal(base);
    const auto lot = journal.DernierLot();
    if (!lot) {
        out << "Aucune géolocalisation à annuler.\n";
        return SortieOk;
    }
    const TBilanAnnulation bilan = journal.AnnuleDernierLot();
    if (o.tsv) {
        out << "restaurees\t" << bilan.Restaurees << "\nconservees\t" << bilan.Conservees << '\n';
    } else {
        out << "Dernière géolocalisation annulée (" << lot->Description << ", " << lot->Debut
            << (lot->Fin.empty() ? ", interrompue" : "") << ") : " << bilan.Restaurees
            << " lieu(x) remis dans leur état précédent";
        if (bilan.Conservees)
            out << ", " << bilan.Conservees << " modifié(s) depuis laissé(s) tel(s) quel(s)";
        out << ".\n";
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
           "  base exporter --base BASE.sqlite [--format gedcom|kml|geojson] SORTIE\n"
           "        gedcom (par défaut) : écrit le fichier importé avec les coordonnées\n"
           "        modifiées depuis l'import ; kml, geojson : écrit les lieux localisés,\n"
           "        un point par lieu ou lieu-dit avec son texte, son état, sa provenance,\n"
           "        son nombre d'événements et leurs étiquettes\n"
           "  base lieux --base BASE.sqlite [--filtre localises|non-localises|valides]\n"
           "        liste des lieux de l'outil de géolocalisation : index, numéro du lieu,\n"
           "        lieu-dit, lieu, latitude, longitude, état\n"
           "  base geolocaliser --base BASE.sqlite [--filtre localises|non-localises|valides]\n"
           "        [--avec-lieu-dit] [--remplacer-positions] [--en-ligne [--service ADRESSE]]\n"
           "        [--geocodeur FICHIER]\n"
           "        géolocalise tous les lieux du filtre (non localisés par défaut) : la commune\n"
           "        du fichier des pays, sinon le géocodeur hors ligne ; un lieu validé n'est\n"
           "        jamais modifié, une réponse ambiguë n'est pas retenue. Les positions lues\n"
           "        dans le fichier ou placées à la main ne sont remplacées qu'avec\n"
           "        --remplacer-positions ; celle d'un lieu-dit cherché sans son lieu-dit est\n"
           "        toujours gardée. Avec --en-ligne,\n"
           "        les adresses que le géocodeur hors ligne ne connaît pas sont demandées au\n"
           "        service en ligne des réglages (ou --service), une requête par seconde, les\n"
           "        réponses gardées dans la base\n"
           "  base verifier --base BASE.sqlite [--geocodeur FICHIER]\n"
           "        liste les lieux localisés dont la position est loin de ce que leur texte\n"
           "        nomme (hors du département, plus loin que la taille de la commune), avec la\n"
           "        distance, le lieu attendu et la raison ; rien n'est modifié\n"
           "  base carte --base BASE.sqlite --sortie FICHIER.png|.svg|.pdf [--largeur L]\n"
           "        [--hauteur H] [--france]\n"
           "        carte de l'arbre : chaque lieu localisé est un disque sur la carte du\n"
           "        monde, de surface proportionnelle à son nombre d'événements et de la\n"
           "        couleur de son état (validé, localisé, lu dans le fichier, à vérifier),\n"
           "        les lieux aux événements les plus nombreux nommés ; cadrée sur tous les\n"
           "        lieux ou, avec --france, sur la France métropolitaine ; 1000 x 700 pixels\n"
           "        par défaut. L'extension choisit le format : PNG (ou BMP), ou dessin SVG\n"
           "        ou PDF dont les noms restent du texte\n"
           "  base annuler-geolocalisation --base BASE.sqlite\n"
           "        annule la dernière étape du journal (géolocalisation de tous les lieux,\n"
           "        suppression ou placement à la main dans les fenêtres) ; annuler encore\n"
           "        remonte d'une étape (dix au plus)\n";
}

int CommandeBase(const std::vector<std::string>& args, const std::string& dossierAtlas,
                 std::ostream& out, std::ostream& err, const TEnLigneCli* enLigne,
                 const TCarteArbreCli* carte) {
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
        if (options->action == "exporter") return Exporter(*options, out, err);
        if (options->action == "geolocaliser") return Geolocaliser(*options, enLigne, out, err);
        if (options->action == "annuler-geolocalisation")
            return AnnulerGeolocalisation(*options, out, err);
        if (options->action == "verifier") return Verifier(*options, out, err);
        if (options->action == "carte") return Carte(*options, carte, out, err);
        return Lieux(*options, out);
    } catch (const Erreur& e) {
        err << "orlavine-cli : " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "orlavine-cli : « " << options->base << " » : " << e.what() << '\n';
    }
    return SortieDonnees;
}

} // namespace orlavine::cli
