#include "tools/monde-build/construction.h"

#include "host/ini.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <sstream>

namespace orlavine::mondebuild {

namespace fs = std::filesystem;
using json = nlohmann::json;
using monde::GenreCouche;
using monde::Niveau;
using monde::TCoucheMonde;
using monde::TDonneesMonde;
using monde::TGrille;

namespace {

[[noreturn]] void Refuse(const std::string& fichier, const std::string& detail) {
    throw Erreur(fichier, 0, detail);
}

std::string LitFichierTexte(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    if (!f)
        throw Erreur("Fichier source \"" + chemin.string() +
                     "\" absent : lancer scripts/fetch-sources.sh");
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The points of a chain of arcs, each arc's first point dropped after the first arc (it is
// the last point of the one before); ~i is arc i reversed.
void Enchaine(const TTopologie& t, const std::vector<int>& arcs, std::vector<std::int32_t>& x,
              std::vector<std::int32_t>& y) {
    x.clear();
    y.clear();
    for (int ref : arcs) {
        const bool inverse = ref < 0;
        const std::size_t i = static_cast<std::size_t>(inverse ? ~ref : ref);
        if (i >= t.ArcsX.size()) Refuse(t.Fichier, "arc " + std::to_string(ref) + " inexistant");
        const auto& ax = t.ArcsX[i];
        const auto& ay = t.ArcsY[i];
        const std::size_t n = ax.size();
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t j = inverse ? n - 1 - k : k;
            if (k == 0 && !x.empty()) continue;
            x.push_back(ax[j]);
            y.push_back(ay[j]);
        }
    }
    // Quantisation can leave the same point twice in a row.
    std::size_t w = 0;
    for (std::size_t r = 0; r < x.size(); ++r) {
        if (w > 0 && x[r] == x[w - 1] && y[r] == y[w - 1]) continue;
        x[w] = x[r];
        y[w] = y[r];
        ++w;
    }
    x.resize(w);
    y.resize(w);
}

void DerouleAnneau(std::vector<std::int32_t>& x, std::vector<std::int32_t>& y, const TGrille& g);

// A ring: closed, its closing point dropped, unwrapped across the 180th meridian.
bool Anneau(const TTopologie& t, const std::vector<int>& arcs, std::vector<std::int32_t>& x,
            std::vector<std::int32_t>& y) {
    Enchaine(t, arcs, x, y);
    if (x.size() > 1 && x.front() == x.back() && y.front() == y.back()) {
        x.pop_back();
        y.pop_back();
    }
    // A ring along one parallel (the pole of a spherical Antarctica) has no area.
    if (x.empty() || std::all_of(y.begin(), y.end(), [&](std::int32_t v) { return v == y[0]; }))
        return false;
    DerouleAnneau(x, y, t.Grille);
    return x.size() >= 3;
}

// Natural Earth's rings are spherical: one that crosses the 180th meridian jumps from one
// side of the plane to the other. The jumps are taken out so that the ring runs on past
// +-180 degrees (the map draws the world's copies on either side). A ring around a pole
// (Antarctica) crosses once: it is closed along the pole's parallel.
void DerouleAnneau(std::vector<std::int32_t>& x, std::vector<std::int32_t>& y, const TGrille& g) {
    const std::int64_t tour = std::llround(360.0 / g.PasX);
    std::int64_t decalage = 0;
    std::int32_t precedent = x.empty() ? 0 : x[0];
    for (std::size_t k = 1; k < x.size(); ++k) {
        const std::int64_t d = static_cast<std::int64_t>(x[k]) - precedent;
        precedent = x[k];
        if (d > tour / 2) decalage -= tour;
        if (d < -tour / 2) decalage += tour;
        x[k] = static_cast<std::int32_t>(x[k] + decalage);
    }
    // The closing edge, back to the first point, may cross too (Fiji); a ring that ends one
    // turn away from where it began goes round a pole.
    if (!x.empty()) {
        const std::int64_t d = static_cast<std::int64_t>(x[0]) - precedent;
        if (d > tour / 2) decalage -= tour;
        if (d < -tour / 2) decalage += tour;
    }
    if (decalage == 0) return;
    double latitude = 0.0;
    for (std::int32_t v : y)
        latitude += g.OrigineY + v * g.PasY;
    const double pole = latitude < 0.0 ? -90.0 : 90.0;
    const auto yPole = static_cast<std::int32_t>(std::llround((pole - g.OrigineY) / g.PasY));
    const std::int32_t premier = x.front(), dernier = x.back();
    x.push_back(dernier);
    y.push_back(yPole);
    x.push_back(premier);
    y.push_back(yPole);
}

// A line that crosses the 180th meridian becomes two lines; `ajoute` takes each piece.
template <class Ajoute>
void CoupeLigne(const std::vector<std::int32_t>& x, const std::vector<std::int32_t>& y,
                const TGrille& g, Ajoute ajoute) {
    const std::int64_t demiTour = std::llround(180.0 / g.PasX);
    std::size_t debut = 0;
    for (std::size_t k = 1; k <= x.size(); ++k) {
        if (k == x.size() || std::llabs(static_cast<std::int64_t>(x[k]) - x[k - 1]) > demiTour) {
            if (k - debut >= 2)
                ajoute(std::span(x).subspan(debut, k - debut),
                       std::span(y).subspan(debut, k - debut));
            debut = k;
        }
    }
}

// Grid points of `de` moved onto grid `vers`.
void Regrille(const TGrille& de, const TGrille& vers, std::vector<std::int32_t>& x,
              std::vector<std::int32_t>& y) {
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double lon = de.OrigineX + x[i] * de.PasX;
        const double lat = de.OrigineY + y[i] * de.PasY;
        x[i] = static_cast<std::int32_t>(std::llround((lon - vers.OrigineX) / vers.PasX));
        y[i] = static_cast<std::int32_t>(std::llround((lat - vers.OrigineY) / vers.PasY));
    }
}

std::vector<int> ListeArcs(const json& j, const std::string& fichier) {
    if (!j.is_array()) Refuse(fichier, "liste d'arcs attendue");
    std::vector<int> v;
    v.reserve(j.size());
    for (const json& a : j) {
        if (!a.is_number_integer()) Refuse(fichier, "indice d'arc non entier");
        v.push_back(a.get<int>());
    }
    return v;
}

TTopologie::TGeometrie LitGeometrie(const json& g, const std::string& fichier) {
    TTopologie::TGeometrie r;
    r.Type = g.value("type", "");
    if (!g.contains("arcs")) return r; // null geometry
    const json& arcs = g["arcs"];
    if (r.Type == "Polygon") {
        r.Anneaux.emplace_back();
        for (const json& anneau : arcs)
            r.Anneaux.back().push_back(ListeArcs(anneau, fichier));
    } else if (r.Type == "MultiPolygon") {
        for (const json& poly : arcs) {
            r.Anneaux.emplace_back();
            for (const json& anneau : poly)
                r.Anneaux.back().push_back(ListeArcs(anneau, fichier));
        }
    } else if (r.Type == "LineString") {
        r.Lignes.push_back(ListeArcs(arcs, fichier));
    } else if (r.Type == "MultiLineString") {
        for (const json& ligne : arcs)
            r.Lignes.push_back(ListeArcs(ligne, fichier));
    }
    return r;
}

TTopologie ChargeTopologie(const fs::path& chemin) {
    return LitTopologie(LitFichierTexte(chemin), chemin.filename().string());
}

// Point-in-polygon by the even-odd rule on the grid of a layer, in degrees.
bool DansPartie(const TCoucheMonde& c, std::size_t p, double lat, double lon) {
    bool dedans = false;
    const std::uint32_t d = c.Debuts[p], f = c.Debuts[p + 1];
    for (std::uint32_t i = d, j = f - 1; i < f; j = i++) {
        const double xi = c.Grille.OrigineX + c.X[i] * c.Grille.PasX;
        const double yi = c.Grille.OrigineY + c.Y[i] * c.Grille.PasY;
        const double xj = c.Grille.OrigineX + c.X[j] * c.Grille.PasX;
        const double yj = c.Grille.OrigineY + c.Y[j] * c.Grille.PasY;
        if ((yi > lat) != (yj > lat) && lon < (xj - xi) * (lat - yi) / (yj - yi) + xi)
            dedans = !dedans;
    }
    return dedans;
}

bool DansCouche(const TCoucheMonde* c, double lat, double lon) {
    if (c == nullptr) return false;
    for (std::size_t p = 0; p < c->NombreParties(); ++p)
        if (DansPartie(*c, p, lat, lon)) return true;
    return false;
}

} // namespace

const std::vector<TTopologie::TGeometrie>& TTopologie::Objet(const std::string& nom) const {
    for (const auto& [n, g] : Objets)
        if (n == nom) return g;
    Refuse(Fichier, "objet \xC2\xAB " + nom + " \xC2\xBB absent");
}

TTopologie LitTopologie(const std::string& texte, const std::string& fichier) {
    json j;
    try {
        j = json::parse(texte);
    } catch (const json::parse_error& e) {
        Refuse(fichier, std::string("JSON illisible (") + e.what() + ")");
    }
    if (!j.is_object() || j.value("type", "") != "Topology")
        Refuse(fichier, "ce n'est pas une topologie TopoJSON");
    TTopologie t;
    t.Fichier = fichier;
    try {
        const json& tr = j.at("transform");
        t.Grille.PasX = tr.at("scale").at(0).get<double>();
        t.Grille.PasY = tr.at("scale").at(1).get<double>();
        t.Grille.OrigineX = tr.at("translate").at(0).get<double>();
        t.Grille.OrigineY = tr.at("translate").at(1).get<double>();
        const json& arcs = j.at("arcs");
        t.ArcsX.reserve(arcs.size());
        t.ArcsY.reserve(arcs.size());
        for (std::size_t a = 0; a < arcs.size(); ++a) {
            auto& ax = t.ArcsX.emplace_back();
            auto& ay = t.ArcsY.emplace_back();
            std::int64_t x = 0, y = 0;
            for (const json& p : arcs[a]) {
                x += p.at(0).get<std::int64_t>();
                y += p.at(1).get<std::int64_t>();
                if (std::llabs(x) > (1 << 30) || std::llabs(y) > (1 << 30))
                    Refuse(fichier, "arc " + std::to_string(a) + " hors de la grille");
                ax.push_back(static_cast<std::int32_t>(x));
                ay.push_back(static_cast<std::int32_t>(y));
            }
            if (ax.size() < 2)
                Refuse(fichier, "arc " + std::to_string(a) + " de moins de 2 points");
        }
        for (const auto& [nom, objet] : j.at("objects").items()) {
            std::vector<TTopologie::TGeometrie> geos;
            if (objet.value("type", "") == "GeometryCollection") {
                for (const json& g : objet.at("geometries"))
                    geos.push_back(LitGeometrie(g, fichier));
            } else {
                geos.push_back(LitGeometrie(objet, fichier));
            }
            t.Objets.emplace_back(nom, std::move(geos));
        }
    } catch (const json::exception& e) {
        Refuse(fichier, std::string("topologie incompl\xC3\xA8te (") + e.what() + ")");
    }
    return t;
}

void AjouteTerres(const TTopologie& t, TCoucheMonde& terres, TCoucheMonde& eaux) {
    std::vector<std::int32_t> x, y;
    for (const auto& g : t.Objet("land")) {
        for (const auto& poly : g.Anneaux) {
            for (std::size_t r = 0; r < poly.size(); ++r) {
                if (!Anneau(t, poly[r], x, y)) continue;
                std::vector<std::int32_t> ex = x, ey = y;
                Regrille(t.Grille, (r == 0 ? terres : eaux).Grille, ex, ey);
                (r == 0 ? terres : eaux).AjoutePartie(ex, ey);
            }
        }
    }
}

void AjouteFrontieres(const TTopologie& t, TCoucheMonde& frontieres) {
    // The countries using each arc.
    std::map<std::size_t, std::set<std::size_t>> pays;
    const auto& geos = t.Objet("countries");
    for (std::size_t g = 0; g < geos.size(); ++g)
        for (const auto& poly : geos[g].Anneaux)
            for (const auto& anneau : poly)
                for (int ref : anneau)
                    pays[static_cast<std::size_t>(ref < 0 ? ~ref : ref)].insert(g);
    std::vector<std::int32_t> x, y;
    for (const auto& [arc, qui] : pays) {
        if (qui.size() < 2) continue;
        Enchaine(t, {static_cast<int>(arc)}, x, y);
        Regrille(t.Grille, frontieres.Grille, x, y);
        CoupeLigne(x, y, frontieres.Grille,
                   [&](auto px, auto py) { frontieres.AjoutePartie(px, py); });
    }
}

void AjoutePolygones(const TTopologie& t, const std::string& objet, TCoucheMonde& couche) {
    std::vector<std::int32_t> x, y;
    for (const auto& g : t.Objet(objet))
        for (const auto& poly : g.Anneaux)
            for (const auto& anneau : poly) {
                if (!Anneau(t, anneau, x, y)) continue;
                Regrille(t.Grille, couche.Grille, x, y);
                couche.AjoutePartie(x, y);
            }
}

void AjouteLignes(const TTopologie& t, const std::string& objet, TCoucheMonde& couche) {
    std::vector<std::int32_t> x, y;
    for (const auto& g : t.Objet(objet))
        for (const auto& ligne : g.Lignes) {
            Enchaine(t, ligne, x, y);
            Regrille(t.Grille, couche.Grille, x, y);
            CoupeLigne(x, y, couche.Grille, [&](auto px, auto py) { couche.AjoutePartie(px, py); });
        }
}

TDonneesMonde ConstruitMonde(const fs::path& sources) {
    const fs::path wa = sources / DossierWorldAtlas;
    const fs::path st = sources / DossierSaneTopojson;
    const TTopologie lacs110 = ChargeTopologie(st / "world_110m.json");
    const TTopologie lacs50 = ChargeTopologie(st / "world_50m.json");
    TDonneesMonde d;
    const struct {
        Niveau N;
        const char* Fichier;
        const TTopologie* Eaux;
    } niveaux[] = {{Niveau::Monde110M, "countries-110m.json", &lacs110},
                   {Niveau::Monde50M, "countries-50m.json", &lacs50},
                   {Niveau::Monde10M, "countries-10m.json", &lacs50}};
    for (const auto& n : niveaux) {
        const TTopologie pays = ChargeTopologie(wa / n.Fichier);
        auto couche = [&](GenreCouche g) {
            TCoucheMonde c;
            c.Genre = g;
            c.Detail = n.N;
            c.Grille = pays.Grille;
            return c;
        };
        TCoucheMonde terres = couche(GenreCouche::Terres);
        TCoucheMonde frontieres = couche(GenreCouche::Frontieres);
        TCoucheMonde lacs = couche(GenreCouche::Lacs);
        TCoucheMonde fleuves = couche(GenreCouche::Fleuves);
        AjouteTerres(pays, terres, lacs);
        AjouteFrontieres(pays, frontieres);
        AjoutePolygones(*n.Eaux, "lakes", lacs);
        AjouteLignes(*n.Eaux, "rivers", fleuves);
        for (TCoucheMonde* c : {&terres, &frontieres, &lacs, &fleuves}) {
            c->Prepare();
            d.Couches.push_back(std::move(*c));
        }
    }
    return d;
}

bool ValideMonde(const TDonneesMonde& d, std::ostream& rapport) {
    static const char* const NomsNiveaux[] = {"1:110M", "1:50M", "1:10M"};
    static const char* const NomsGenres[] = {"", "terres", "fronti\xC3\xA8res", "lacs", "fleuves"};
    bool valide = true;
    for (const TCoucheMonde& c : d.Couches)
        rapport << std::setw(7) << NomsNiveaux[static_cast<int>(c.Detail)] << "  " << std::setw(11)
                << NomsGenres[static_cast<int>(c.Genre)] << "  " << std::setw(6)
                << c.NombreParties() << " tracés  " << std::setw(7) << c.X.size() << " points\n";
    const struct {
        const char* Nom;
        double Lat, Lon;
        bool Terre;
    } lieux[] = {{"Paris", 48.8566, 2.3522, true},        {"Lyon", 45.764, 4.8357, true},
                 {"Atlantique nord", 30.0, -40.0, false}, {"mer Caspienne", 42.0, 50.5, false},
                 {"Ottawa", 45.42, -75.69, true},         {"océan Indien", -20.0, 75.0, false}};
    for (int n = 0; n < monde::NombreNiveaux; ++n) {
        const Niveau niveau = static_cast<Niveau>(n);
        for (const auto& l : lieux) {
            const bool terre = DansCouche(d.Couche(GenreCouche::Terres, niveau), l.Lat, l.Lon) &&
                               !DansCouche(d.Couche(GenreCouche::Lacs, niveau), l.Lat, l.Lon);
            if (terre != l.Terre) {
                rapport << "ÉCHEC " << NomsNiveaux[n] << " : " << l.Nom
                        << (l.Terre ? " devrait être sur terre\n" : " devrait être en mer\n");
                valide = false;
            }
        }
        for (GenreCouche g : {GenreCouche::Terres, GenreCouche::Frontieres, GenreCouche::Lacs,
                              GenreCouche::Fleuves}) {
            const TCoucheMonde* c = d.Couche(g, niveau);
            if (c == nullptr || c->NombreParties() == 0) {
                rapport << "ÉCHEC " << NomsNiveaux[n] << " : couche "
                        << NomsGenres[static_cast<int>(g)] << " vide\n";
                valide = false;
            }
        }
    }
    return valide;
}

int ProgrammeMondeBuild(const std::vector<std::string>& arguments, std::ostream& sortie,
                        std::ostream& erreurs) {
    constexpr const char* Usage = "Usage : monde-build --sources DOSSIER --out FICHIER\n"
                                  "  --sources  dossier des sources (scripts/fetch-sources.sh)\n"
                                  "  --out      fichier à écrire (data/monde/monde.bin)\n";
    fs::path sources, sortieFichier;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            sortie << Usage;
            return 0;
        }
        if ((a != "--sources" && a != "--out") || i + 1 >= arguments.size()) {
            erreurs << "monde-build : argument « " << a << " » inattendu ou sans valeur\n" << Usage;
            return 2;
        }
        (a == "--sources" ? sources : sortieFichier) = arguments[++i];
    }
    if (sources.empty() || sortieFichier.empty()) {
        erreurs << "monde-build : --sources et --out sont obligatoires\n" << Usage;
        return 2;
    }
    try {
        const auto debut = std::chrono::steady_clock::now();
        const TDonneesMonde d = ConstruitMonde(sources);
        const std::vector<std::uint8_t> octets = monde::EcritDonneesMonde(d);
        // What is written must read back to the same layers.
        if (!(monde::LitDonneesMonde(octets).Couches == d.Couches))
            throw Erreur("relecture du fichier construit différente des données");
        const bool valide = ValideMonde(d, sortie);
        sortie << "Taille : " << octets.size() << " octets, " << d.NombrePoints() << " points, "
               << std::fixed << std::setprecision(1)
               << std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count()
               << " s\n";
        if (!valide) {
            erreurs << "monde-build : validation échouée, aucun fichier écrit\n";
            return 1;
        }
        std::string erreur;
        if (!EcritFichierTexteAtomique(
                sortieFichier,
                std::string_view(reinterpret_cast<const char*>(octets.data()), octets.size()),
                &erreur))
            throw Erreur(sortieFichier.filename().string(), 0, "écriture impossible : " + erreur);
        sortie << "Carte du monde écrite dans " << sortieFichier.string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        erreurs << "monde-build : " << e.what() << "\n";
        return 1;
    }
}

} // namespace orlavine::mondebuild
