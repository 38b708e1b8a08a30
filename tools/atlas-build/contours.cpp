#include "tools/atlas-build/contours.h"

#include "tools/atlas-build/code_officiel.h"
#include "tools/atlas-build/erreur_source.h"

#include <cctype>
#include <charconv>
#include <nlohmann/json.hpp>

namespace orlavine::atlasbuild {

namespace {

using Json = nlohmann::json;

bool EstBlanc(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

// Reads the SVG number at `pos` (after separators); false when there is none.
bool LitNombreSvg(std::string_view texte, std::size_t& pos, std::size_t fin, double& valeur) {
    while (pos < fin && EstBlanc(texte[pos]))
        ++pos;
    if (pos >= fin) return false;
    std::size_t p = pos;
    if (texte[p] == '+' || texte[p] == '-') ++p;
    bool chiffres = false;
    while (p < fin && std::isdigit(static_cast<unsigned char>(texte[p])))
        ++p, chiffres = true;
    if (p < fin && texte[p] == '.') {
        ++p;
        while (p < fin && std::isdigit(static_cast<unsigned char>(texte[p])))
            ++p, chiffres = true;
    }
    if (!chiffres) return false;
    if (p < fin && (texte[p] == 'e' || texte[p] == 'E')) {
        std::size_t q = p + 1;
        if (q < fin && (texte[q] == '+' || texte[q] == '-')) ++q;
        if (q < fin && std::isdigit(static_cast<unsigned char>(texte[q]))) {
            while (q < fin && std::isdigit(static_cast<unsigned char>(texte[q])))
                ++q;
            p = q;
        }
    }
    std::string_view nombre = texte.substr(pos, p - pos);
    if (nombre.front() == '+') nombre.remove_prefix(1);
    if (!LitReel(nombre, valeur)) return false;
    pos = p;
    return true;
}

// The value of attribute `nom` in the text of one element: offsets of its value, or false.
bool Attribut(std::string_view texte, std::size_t debut, std::size_t fin, std::string_view nom,
              std::size_t& valeurDebut, std::size_t& valeurFin) {
    std::size_t p = debut;
    while ((p = texte.find(nom, p)) != std::string_view::npos && p < fin) {
        const bool separe = p > debut && std::isspace(static_cast<unsigned char>(texte[p - 1]));
        std::size_t q = p + nom.size();
        while (q < fin && std::isspace(static_cast<unsigned char>(texte[q])))
            ++q;
        if (separe && q < fin && texte[q] == '=') {
            ++q;
            while (q < fin && std::isspace(static_cast<unsigned char>(texte[q])))
                ++q;
            if (q < fin && (texte[q] == '"' || texte[q] == '\'')) {
                const std::size_t f = texte.find(texte[q], q + 1);
                if (f == std::string_view::npos || f >= fin) return false;
                valeurDebut = q + 1;
                valeurFin = f;
                return true;
            }
        }
        p += nom.size();
    }
    return false;
}

} // namespace

std::vector<std::vector<PointPlan>> LitTraceSvg(std::string_view texte, std::size_t debut,
                                                std::size_t fin,
                                                const std::filesystem::path& fichier) {
    std::vector<std::vector<PointPlan>> anneaux;
    std::vector<PointPlan> courant;
    PointPlan point, depart;
    char commande = 0;
    auto ferme = [&] {
        if (courant.size() >= 3) anneaux.push_back(std::move(courant));
        courant.clear();
    };
    auto erreur = [&](std::size_t pos, const std::string& detail) {
        throw ErreurSource(fichier, LigneDePosition(texte, pos), detail);
    };

    std::size_t pos = debut;
    while (true) {
        while (pos < fin && EstBlanc(texte[pos]))
            ++pos;
        if (pos >= fin) break;
        const char c = texte[pos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            if (std::string_view("MmLlHhVvZz").find(c) == std::string_view::npos)
                erreur(pos, std::string("commande de tracé « ") + c + " » non prise en charge");
            ++pos;
            if (c == 'Z' || c == 'z') {
                ferme();
                point = depart;
                commande = 0;
                continue;
            }
            commande = c;
        } else if (commande == 0) {
            erreur(pos, "nombre sans commande de tracé");
        }

        const std::size_t avant = pos;
        double a = 0, b = 0;
        if (!LitNombreSvg(texte, pos, fin, a)) erreur(avant, "nombre attendu dans le tracé");
        const bool relatif = std::islower(static_cast<unsigned char>(commande));
        switch (commande) {
        case 'M':
        case 'm':
        case 'L':
        case 'l':
            if (!LitNombreSvg(texte, pos, fin, b)) erreur(pos, "coordonnée y attendue");
            point = relatif ? PointPlan{point.X + a, point.Y + b} : PointPlan{a, b};
            if (commande == 'M' || commande == 'm') {
                ferme();
                depart = point;
                commande = relatif ? 'l' : 'L'; // further pairs are line-tos
            }
            break;
        case 'H':
        case 'h':
            point.X = relatif ? point.X + a : a;
            break;
        default: // V, v
            point.Y = relatif ? point.Y + a : a;
            break;
        }
        courant.push_back(point);
    }
    ferme();
    return anneaux;
}

std::vector<Anneau> LitContoursSvg(const std::filesystem::path& chemin) {
    const std::string texte = LitTexte(chemin);
    std::vector<Anneau> anneaux;
    std::size_t p = 0;
    while ((p = texte.find("<path", p)) != std::string::npos) {
        const std::size_t fin = texte.find('>', p);
        if (fin == std::string::npos)
            throw ErreurSource(chemin, LigneDePosition(texte, p), "élément <path> non terminé");
        std::size_t idDebut = 0, idFin = 0, dDebut = 0, dFin = 0;
        if (!Attribut(texte, p, fin, "id", idDebut, idFin))
            throw ErreurSource(chemin, LigneDePosition(texte, p), "élément <path> sans id");
        const std::string id = texte.substr(idDebut, idFin - idDebut);
        if (EstDepartementMetropolitain(id)) {
            if (!Attribut(texte, p, fin, "d", dDebut, dFin))
                throw ErreurSource(chemin, LigneDePosition(texte, p),
                                   "département « " + id + " » sans tracé");
            for (auto& trace : LitTraceSvg(texte, dDebut, dFin, chemin)) {
                Anneau a;
                a.Departement = id;
                for (const PointPlan& q : trace)
                    a.Points.push_back(GeoDepuisDessin(q.X, q.Y));
                anneaux.push_back(std::move(a));
            }
        }
        p = fin;
    }
    return anneaux;
}

std::vector<Anneau> LitContoursGeoJson(const std::filesystem::path& chemin) {
    const std::string texte = LitTexte(chemin);
    Json racine;
    try {
        racine = Json::parse(texte);
    } catch (const Json::parse_error& e) {
        throw ErreurSource(chemin, LigneDePosition(texte, e.byte > 0 ? e.byte - 1 : 0),
                           "JSON invalide");
    }
    const auto entites = racine.is_object() ? racine.find("features") : racine.end();
    if (!racine.is_object() || entites == racine.end() || !entites->is_array())
        throw ErreurSource(chemin, 1, "FeatureCollection avec « features » attendue");

    auto erreur = [&](std::size_t k, const std::string& detail) {
        const auto debuts = DebutsElementsJson(texte, 1);
        const long ligne = debuts.size() == entites->size() ? LigneDePosition(texte, debuts[k]) : 0;
        throw ErreurSource(chemin, ligne, "entité n° " + std::to_string(k + 1) + " : " + detail);
    };
    auto anneau = [&](std::size_t k, const Json& coordonnees, const std::string& code) {
        if (!coordonnees.is_array() || coordonnees.empty() || !coordonnees[0].is_array())
            erreur(k, "coordonnées de polygone invalides");
        Anneau a;
        a.Departement = code;
        for (const Json& pt : coordonnees[0]) {
            if (!pt.is_array() || pt.size() < 2 || !pt[0].is_number() || !pt[1].is_number())
                erreur(k, "point invalide");
            const PointGeo g{pt[1].get<double>(), pt[0].get<double>()};
            if (g.Latitude < -90 || g.Latitude > 90 || g.Longitude < -180 || g.Longitude > 180)
                erreur(k, "point hors limites");
            a.Points.push_back(g);
        }
        if (a.Points.size() > 1 && a.Points.front().Latitude == a.Points.back().Latitude &&
            a.Points.front().Longitude == a.Points.back().Longitude)
            a.Points.pop_back();
        return a;
    };

    std::vector<Anneau> anneaux;
    for (std::size_t k = 0; k < entites->size(); ++k) {
        const Json& f = (*entites)[k];
        if (!f.is_object()) erreur(k, "objet attendu");
        const auto props = f.find("properties");
        if (props == f.end() || !props->is_object()) erreur(k, "« properties » absent");
        const auto code = props->find("code");
        if (code == props->end() || !code->is_string()) erreur(k, "propriété « code » absente");
        if (!EstDepartementMetropolitain(code->get<std::string>())) continue;
        const auto geometrie = f.find("geometry");
        if (geometrie == f.end() || !geometrie->is_object()) erreur(k, "« geometry » absent");
        const auto type = geometrie->find("type");
        const auto coordonnees = geometrie->find("coordinates");
        if (type == geometrie->end() || !type->is_string() || coordonnees == geometrie->end())
            erreur(k, "géométrie invalide");
        if (*type == "Polygon") {
            anneaux.push_back(anneau(k, *coordonnees, *code));
        } else if (*type == "MultiPolygon") {
            if (!coordonnees->is_array()) erreur(k, "coordonnées de multipolygone invalides");
            for (const Json& polygone : *coordonnees)
                anneaux.push_back(anneau(k, polygone, *code));
        } else {
            erreur(k, "géométrie « " + type->get<std::string>() + " » non prise en charge");
        }
    }
    return anneaux;
}

} // namespace orlavine::atlasbuild
