#include "tools/atlas-build/construction.h"

#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "tools/atlas-build/contours.h"
#include "tools/atlas-build/erreur_source.h"
#include "tools/atlas-build/positions.h"
#include "tools/atlas-build/projection.h"
#include "tools/atlas-build/voisinage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace orlavine::atlasbuild {

namespace {

bool OctetsAvant(const AnsiString& a, const AnsiString& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

TPointsDep ContourCarte(const Anneau& anneau) {
    TPointsDep contour;
    for (const PointGeo& g : anneau.Points) {
        const PointPlan p = VersCarte(g);
        const TPoint t{static_cast<std::int32_t>(std::lround(p.X)),
                       static_cast<std::int32_t>(std::lround(p.Y))};
        if (!contour.Points.empty() && contour.Points.back() == t) continue;
        contour.AjoutePoint(t.x, t.y);
    }
    while (contour.Points.size() > 1 && contour.Points.back() == contour.Points.front())
        contour.Points.pop_back();
    return contour;
}

// Non-zero winding rule on a closed ring, the point given in the ring's own units.
bool DansAnneau(const std::vector<TPoint>& anneau, double x, double y) {
    int enroulement = 0;
    const std::size_t n = anneau.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double x1 = anneau[i].x, y1 = anneau[i].y;
        const double x2 = anneau[(i + 1) % n].x, y2 = anneau[(i + 1) % n].y;
        const double cote = (x2 - x1) * (y - y1) - (x - x1) * (y2 - y1);
        if (y1 <= y) {
            if (y2 > y && cote > 0) ++enroulement;
        } else if (y2 <= y && cote < 0) {
            --enroulement;
        }
    }
    return enroulement != 0;
}

std::string Virgule(double valeur, int decimales) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.*f", decimales, valeur);
    std::string s = tampon;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string OuiNon(bool b) {
    return b ? "oui" : "NON";
}

} // namespace

int RangOfficiel(const CommuneOfficielle& commune, const CodeOfficiel& code) {
    if (commune.Code == "75056") return RangCapitale;
    if (code.ChefsLieuxRegions.count(commune.Code)) return RangCapitaleRegion;
    for (const DepartementOfficiel& d : code.Departements)
        if (d.ChefLieu == commune.Code) return RangPrefecture;
    if (code.ChefsLieuxArrondissements.count(commune.Code)) return RangSousPrefecture;
    if (commune.Population >= 2000) return RangVille;
    return RangCommune;
}

bool AvantDansAtlas(const TCommune& a, const TCommune& b) {
    if (a.Nom != b.Nom) return OctetsAvant(a.Nom, b.Nom);
    return OctetsAvant(a.CodeInsee, b.CodeInsee);
}

AtlasConstruit ConstruitAtlas(const OptionsConstruction& options) {
    AtlasConstruit atlas;
    const CodeOfficiel code = LitCodeOfficiel(options.Sources / CheminCodeOfficiel);
    const auto geonames = LitGeoNames(options.Sources / CheminGeoNames);
    std::map<std::string, PointGeo> csv;
    if (options.Coordonnees) csv = LitCoordonneesCsv(*options.Coordonnees);
    const std::vector<Anneau> anneaux =
        options.Contours ? LitContoursGeoJson(*options.Contours)
                         : LitContoursSvg(options.Sources / CheminDessinDepartements);

    BilanSources& bilan = atlas.Bilan;
    bilan.CommunesOfficielles = code.Communes.size();
    std::set<std::string> codes;
    for (const CommuneOfficielle& c : code.Communes) {
        codes.insert(c.Code);
        PointGeo position;
        if (const auto it = csv.find(c.Code); it != csv.end()) {
            position = it->second;
            ++bilan.PositionsCsv;
        } else if (const auto g = geonames.find(c.Code); g != geonames.end()) {
            position = ChoisitLieu(g->second, NomAtlas(c.Nom)).Position;
            ++bilan.PositionsGeoNames;
        } else {
            ++bilan.CommunesSansPosition;
            continue;
        }
        TCommune t;
        t.Latitude = static_cast<float>(position.Latitude);
        t.Longitude = static_cast<float>(position.Longitude);
        const PointPlan carte = VersCarte(position);
        t.XCarte = static_cast<float>(carte.X);
        t.YCarte = static_cast<float>(carte.Y);
        t.Rang = static_cast<std::uint8_t>(RangOfficiel(c, code));
        NomDecoupe nom = DecoupeNom(c.Nom, c.TypeLiaison);
        t.Nom = std::move(nom.Nom);
        t.Article = std::move(nom.Article);
        t.CodeInsee = c.Code;
        t.CodePostal = c.CodesPostaux.empty() ? std::string() : c.CodesPostaux.front();
        atlas.Communes.push_back(std::move(t));
    }
    for (const auto& [c, p] : csv)
        if (!codes.count(c)) ++bilan.LignesCsvInconnues;
    if (atlas.Communes.size() > NombreMaxCommunes)
        throw ErreurSource("plus de 65 536 communes positionnées : l'atlas n'en admet pas tant");

    std::sort(atlas.Communes.begin(), atlas.Communes.end(), AvantDansAtlas);
    CalculeVoisins(atlas.Communes, RayonVoisinsKm);

    const std::filesystem::path departementsJson =
        options.Sources / CheminCodeOfficiel / "departements.json";
    for (int n = 1; n <= NombreDepartements; ++n) {
        if (n == 20) {
            atlas.NomsDepartements.push_back("Corse");
            continue;
        }
        const std::string cle = CodeDepartement(n);
        const auto it = std::find_if(code.Departements.begin(), code.Departements.end(),
                                     [&](const DepartementOfficiel& d) { return d.Code == cle; });
        if (it == code.Departements.end())
            throw ErreurSource(departementsJson, 0, "département « " + cle + " » absent");
        atlas.NomsDepartements.push_back(Utf8VersCp1252(it->Nom));
    }
    atlas.Departements = code.Departements;

    bilan.Anneaux = anneaux.size();
    for (const Anneau& a : anneaux) {
        TPointsDep contour = ContourCarte(a);
        if (contour.Points.size() < 3) continue;
        atlas.Contours.push_back(std::move(contour));
        atlas.DepartementsContours.push_back(a.Departement);
    }
    if (atlas.Contours.size() > static_cast<std::size_t>(NombreContours)) {
        const std::filesystem::path source =
            options.Contours ? *options.Contours : options.Sources / CheminDessinDepartements;
        throw ErreurSource(source, 0,
                           std::to_string(atlas.Contours.size()) + " contours, " +
                               std::to_string(NombreContours) + " au plus");
    }
    return atlas;
}

FichiersAtlas EcritFichiers(const AtlasConstruit& atlas) {
    FichiersAtlas f;
    f.Communes = EcritCommunes(atlas.Communes);
    f.Departements = EcritNomsDepartements(atlas.NomsDepartements);
    f.Contours = EcritContours(atlas.Contours);
    return f;
}

RapportValidation ValideAtlas(const AtlasConstruit& atlas, const FichiersAtlas& fichiers) {
    RapportValidation r;
    const auto& communes = atlas.Communes;
    r.Communes = communes.size();
    for (const DepartementOfficiel& d : atlas.Departements)
        r.CommunesParDepartement[d.Code] = 0;
    for (const TCommune& c : communes)
        ++r.CommunesParDepartement[c.CodeInsee.substr(0, 2)];

    for (const DepartementOfficiel& d : atlas.Departements) {
        const bool presente = std::any_of(communes.begin(), communes.end(), [&](const TCommune& c) {
            return c.CodeInsee == d.ChefLieu && c.Rang >= RangPrefecture;
        });
        if (presente)
            ++r.PrefecturesPresentes;
        else
            r.PrefecturesManquantes.push_back(d.Code);
    }

    // Outlines by department, with their bounds for a quick rejection.
    std::map<std::string, std::vector<std::size_t>> contoursParDepartement;
    for (std::size_t i = 0; i < atlas.Contours.size(); ++i)
        contoursParDepartement[atlas.DepartementsContours[i]].push_back(i);
    for (const DepartementOfficiel& d : atlas.Departements)
        if (!contoursParDepartement.count(d.Code)) r.DepartementsSansContour.push_back(d.Code);
    for (const TCommune& c : communes) {
        const auto it = contoursParDepartement.find(c.CodeInsee.substr(0, 2));
        if (it == contoursParDepartement.end()) continue;
        for (const std::size_t k : it->second) {
            const TPointsDep& contour = atlas.Contours[k];
            const TRect& b = contour.RectEnglobant;
            if (c.XCarte < b.left || c.XCarte > b.right || c.YCarte < b.top || c.YCarte > b.bottom)
                continue;
            if (DansAnneau(contour.Points, c.XCarte, c.YCarte)) {
                ++r.CommunesDansDepartement;
                break;
            }
        }
    }
    r.PartDansDepartement =
        communes.empty() ? 0.0 : double(r.CommunesDansDepartement) / double(communes.size());

    r.NomsTries = true;
    for (std::size_t i = 0; i + 1 < communes.size(); ++i)
        if (OctetsAvant(communes[i + 1].Nom, communes[i].Nom)) r.NomsTries = false;

    for (const TCommune& c : communes) {
        if (c.Voisins.size() != c.DistancesVoisins.size()) {
            ++r.IndexHorsBornes;
            continue;
        }
        for (std::size_t k = 0; k < c.Voisins.size(); ++k) {
            ++r.VoisinesVerifiees;
            const std::size_t j = c.Voisins[k];
            if (j >= communes.size()) {
                ++r.IndexHorsBornes;
                continue;
            }
            if (c.DistancesVoisins[k] != TCarteFrance::DistanceCommunes(c, communes[j]) ||
                c.DistancesVoisins[k] > RayonVoisinsKm)
                ++r.DistancesFausses;
            if (k > 0 && std::make_pair(c.DistancesVoisins[k], c.Voisins[k]) <=
                             std::make_pair(c.DistancesVoisins[k - 1], c.Voisins[k - 1]))
                ++r.VoisinesNonTriees;
        }
    }

    try {
        std::vector<TCommune> relues;
        LitCommunes(fichiers.Communes, relues);
        std::vector<AnsiString> noms;
        LitNomsDepartements(fichiers.Departements, noms);
        std::vector<TDepartement> contours;
        LitContours(fichiers.Contours, contours);
        bool identiques = relues == communes && noms == atlas.NomsDepartements &&
                          contours.size() == static_cast<std::size_t>(NombreContours);
        for (std::size_t i = 0; identiques && i < contours.size(); ++i) {
            const std::vector<TPoint> attendus =
                i < atlas.Contours.size() ? atlas.Contours[i].Points : std::vector<TPoint>{};
            identiques = contours[i].Contour.Points == attendus;
        }
        r.RelectureIdentique = identiques;
    } catch (const ErreurAtlas&) {
        r.RelectureIdentique = false;
    }
    return r;
}

bool RapportValidation::Valide() const {
    return Communes > 0 && PrefecturesManquantes.empty() && DepartementsSansContour.empty() &&
           PartDansDepartement >= PartMinimaleDansDepartement && DistancesFausses == 0 &&
           IndexHorsBornes == 0 && VoisinesNonTriees == 0 && NomsTries && RelectureIdentique;
}

std::string RapportValidation::Texte(const AtlasConstruit& atlas) const {
    std::ostringstream t;
    const BilanSources& b = atlas.Bilan;
    t << "Rapport de validation de l'atlas\n";
    t << "Sources : " << b.CommunesOfficielles
      << " communes métropolitaines dans le code officiel, " << b.PositionsGeoNames
      << " positionnées par GeoNames, " << b.PositionsCsv << " par le fichier de coordonnées, "
      << b.CommunesSansPosition << " sans position (écartées)";
    if (b.LignesCsvInconnues > 0)
        t << ", " << b.LignesCsvInconnues << " codes du fichier de coordonnées inconnus";
    t << "\n";
    t << "Communes : " << Communes << "\n";
    t << "Communes par département :\n";
    int colonne = 0;
    for (const auto& [code, n] : CommunesParDepartement) {
        char tampon[32];
        std::snprintf(tampon, sizeof tampon, "  %-2s %5zu", code.c_str(), n);
        t << tampon << (++colonne % 8 == 0 ? "\n" : "");
    }
    if (colonne % 8 != 0) t << "\n";
    t << "Préfectures présentes : " << PrefecturesPresentes << " / " << atlas.Departements.size();
    for (const std::string& d : PrefecturesManquantes)
        t << " (manque " << d << ")";
    t << "\n";
    t << "Contours : " << atlas.Contours.size() << " anneaux (" << NombreContours
      << " enregistrements)";
    if (!DepartementsSansContour.empty()) {
        t << ", départements sans contour :";
        for (const std::string& d : DepartementsSansContour)
            t << " " << d;
    }
    t << "\n";
    t << "Communes dans le contour de leur département : " << CommunesDansDepartement << " / "
      << Communes << " = " << Virgule(100.0 * PartDansDepartement, 2) << " % (minimum "
      << Virgule(100.0 * PartMinimaleDansDepartement, 0)
      << " %) : " << OuiNon(PartDansDepartement >= PartMinimaleDansDepartement) << "\n";
    t << "Voisines vérifiées : " << VoisinesVerifiees
      << ", distances égales à DistanceCommunes : " << OuiNon(DistancesFausses == 0);
    if (DistancesFausses) t << " (" << DistancesFausses << " fausses)";
    t << ", triées : " << OuiNon(VoisinesNonTriees == 0)
      << ", index dans les bornes : " << OuiNon(IndexHorsBornes == 0) << "\n";
    t << "Noms triés : " << OuiNon(NomsTries) << "\n";
    t << "Relecture des fichiers identique : " << OuiNon(RelectureIdentique) << "\n";
    t << "Durée de construction : " << Virgule(DureeSecondes, 2) << " s\n";
    t << "Validation : " << (Valide() ? "réussie" : "ÉCHEC") << "\n";
    return t.str();
}

void InstalleAtlas(const FichiersAtlas& fichiers, const std::filesystem::path& sortie) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path cible = fs::absolute(sortie, ec).lexically_normal();
    if (ec) throw ErreurSource(sortie, 0, "chemin de sortie invalide");
    if (!cible.has_filename()) cible = cible.parent_path();
    const fs::path parent = cible.parent_path();
    fs::create_directories(parent, ec);
    if (ec) throw ErreurSource(parent, 0, "dossier impossible à créer (" + ec.message() + ")");

    // A fresh temporary folder beside the target, so that the renames stay on one volume.
    fs::path temporaire;
    const auto graine = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int essai = 0;; ++essai) {
        std::string nom = ".";
        nom += cible.filename().string();
        nom += ".tmp-";
        nom += std::to_string(graine);
        nom += '-';
        nom += std::to_string(essai);
        temporaire = parent / nom;
        if (fs::create_directory(temporaire, ec)) break;
        if (ec || essai > 100)
            throw ErreurSource(parent, 0, "dossier temporaire impossible à créer");
    }
    struct Nettoyage {
        fs::path dossier;
        ~Nettoyage() {
            std::error_code e;
            fs::remove_all(dossier, e);
        }
    } nettoyage{temporaire};

    const std::pair<const char*, const std::vector<std::uint8_t>*> contenus[] = {
        {NomFichierContours, &fichiers.Contours},
        {NomFichierCommunes, &fichiers.Communes},
        {NomFichierDepartements, &fichiers.Departements}};
    for (const auto& [nom, octets] : contenus) {
        std::ofstream f(temporaire / nom, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(octets->data()),
                static_cast<std::streamsize>(octets->size()));
        f.close();
        if (!f) throw ErreurSource(temporaire / nom, 0, "écriture impossible");
    }
    fs::create_directories(cible, ec);
    if (ec) throw ErreurSource(cible, 0, "dossier impossible à créer (" + ec.message() + ")");
    for (const auto& [nom, octets] : contenus) {
        fs::rename(temporaire / nom, cible / nom, ec);
        if (ec)
            throw ErreurSource(cible / nom, 0, "remplacement impossible (" + ec.message() + ")");
    }
}

} // namespace orlavine::atlasbuild
