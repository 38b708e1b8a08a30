#include "monde/villes.h"

#include "monde/projection.h"

#include <algorithm>
#include <cmath>

namespace orlavine::monde {

ClasseVille ClassePourVille(std::uint32_t population, std::uint8_t importance) {
    const bool siege = importance >= 1;
    if (importance >= 2) return ClasseCapitale;
    if (population >= 1'000'000) return ClasseMetropole;
    if (population >= 200'000 || (siege && population >= 100'000)) return ClasseGrandeVille;
    if (population >= 50'000 || (siege && population >= 20'000)) return ClasseVilleMoyenne;
    if (population >= 5'000) return ClasseBourg;
    return ClasseVillage;
}

double DenominateurMaxClasse(ClasseVille classe) {
    // The same steps as the communes' ranks where they meet: the big towns with the
    // prefectures, the middle ones with the sub-prefectures, the small ones with every
    // commune; villages only closer in, where they are as dense as the communes.
    switch (classe) {
    case ClasseCapitale:
        return 60e6;
    case ClasseMetropole:
        return 25e6;
    case ClasseGrandeVille:
        return 12e6;
    case ClasseVilleMoyenne:
        return 5e6;
    case ClasseBourg:
        return 1.8e6;
    case ClasseVillage:
        break;
    }
    return 0.7e6;
}

int TVillesMonde::Colonne(double x) {
    return std::clamp(static_cast<int>(std::floor((x + 180.0) / CoteCellule)), 0, Colonnes - 1);
}

int TVillesMonde::Ligne(double y) {
    return std::clamp(static_cast<int>(std::floor((y + 180.0) / CoteCellule)), 0, Lignes - 1);
}

namespace {

struct TClee {
    std::uint32_t Cellule;
    TVillesMonde::TVille Ville;
    std::uint8_t Importance;
};

// Gazetteers list the districts of the great cities among the towns (a borough, a sector):
// a town next to a more important one of its class or above (a seat next to a plain place,
// else the more populous), closer than this, goes one class down, so that the city alone
// shows at the smaller scales.
constexpr double RayonQuartierKm = 8.0;

void DeclasseQuartiers(std::vector<TClee>& clees) {
    constexpr double kmParDegre = 111.195;
    constexpr double rayon = RayonQuartierKm / kmParDegre; // degrees of latitude
    struct TGrand {
        double Lat, Lon;
        std::uint32_t Population;
        std::uint8_t Classe, Importance;
        std::size_t Clee;
    };
    std::vector<TGrand> grands;
    for (std::size_t i = 0; i < clees.size(); ++i) {
        const TVillesMonde::TVille& v = clees[i].Ville;
        if (v.Classe >= ClasseVilleMoyenne)
            grands.push_back({LatitudeDepuisMercatorY(v.Y), v.X, v.Population, v.Classe,
                              clees[i].Importance, i});
    }
    std::sort(grands.begin(), grands.end(),
              [](const TGrand& a, const TGrand& b) { return a.Lat < b.Lat; });
    std::vector<std::size_t> declasses;
    std::size_t debut = 0;
    for (const TGrand& g : grands) {
        if (g.Classe >= ClasseCapitale) continue;
        while (grands[debut].Lat < g.Lat - rayon)
            ++debut;
        const double cosLat = std::cos(g.Lat * 3.14159265358979323846 / 180.0);
        for (std::size_t j = debut; j < grands.size() && grands[j].Lat <= g.Lat + rayon; ++j) {
            const TGrand& h = grands[j];
            const bool plus = h.Importance != g.Importance ? h.Importance > g.Importance
                                                           : h.Population > g.Population;
            if (!plus || h.Classe < g.Classe) continue;
            const double dx = (h.Lon - g.Lon) * cosLat, dy = h.Lat - g.Lat;
            if (dx * dx + dy * dy <= rayon * rayon) {
                declasses.push_back(g.Clee);
                break;
            }
        }
    }
    // Classes compared as they came: a district never lowers its neighbour.
    for (std::size_t i : declasses)
        --clees[i].Ville.Classe;
}

} // namespace

TVillesMonde::TVillesMonde(const std::vector<TVilleMonde>& villes) {
    std::vector<TClee> clees;
    clees.reserve(villes.size());
    noms_.reserve(villes.size());
    for (const TVilleMonde& v : villes) {
        if (!std::isfinite(v.Latitude) || !std::isfinite(v.Longitude) ||
            std::abs(v.Latitude) > LatitudeMaxMercator || std::abs(v.Longitude) > 180.0)
            continue;
        TVille f;
        f.X = static_cast<float>(v.Longitude);
        f.Y = static_cast<float>(MercatorY(v.Latitude));
        f.Population = v.Population;
        f.Classe = ClassePourVille(v.Population, v.Importance);
        f.Index = static_cast<std::uint32_t>(noms_.size());
        noms_.push_back(v.Nom);
        const auto cellule = static_cast<std::uint32_t>(Ligne(f.Y) * Colonnes + Colonne(f.X));
        clees.push_back({cellule, f, v.Importance});
    }
    DeclasseQuartiers(clees);
    std::sort(clees.begin(), clees.end(), [](const TClee& a, const TClee& b) {
        if (a.Cellule != b.Cellule) return a.Cellule < b.Cellule;
        if (a.Ville.Classe != b.Ville.Classe) return a.Ville.Classe > b.Ville.Classe;
        if (a.Ville.Population != b.Ville.Population)
            return a.Ville.Population > b.Ville.Population;
        return a.Ville.Index < b.Ville.Index;
    });
    villes_.reserve(clees.size());
    debuts_.assign(static_cast<std::size_t>(Colonnes) * Lignes + 1, 0);
    for (const TClee& c : clees) {
        villes_.push_back(c.Ville);
        ++debuts_[c.Cellule + 1];
    }
    for (std::size_t i = 1; i < debuts_.size(); ++i)
        debuts_[i] += debuts_[i - 1];
}

void TVillesMonde::Cherche(double xMin, double xMax, double yMin, double yMax, double decalage,
                           int classeMin, std::vector<std::uint32_t>& sortie) const {
    if (villes_.empty()) return;
    // The box in the plane of the places' own copy of the world.
    xMin -= decalage;
    xMax -= decalage;
    if (xMax < -180.0 || xMin > 180.0 || yMax < -180.0 || yMin > 180.0) return;
    const int c0 = Colonne(xMin), c1 = Colonne(xMax);
    const int l0 = Ligne(yMin), l1 = Ligne(yMax);
    for (int l = l0; l <= l1; ++l)
        for (int c = c0; c <= c1; ++c) {
            const auto cellule = static_cast<std::size_t>(l * Colonnes + c);
            for (std::uint32_t i = debuts_[cellule]; i < debuts_[cellule + 1]; ++i) {
                const TVille& v = villes_[i];
                if (v.Classe < classeMin) break; // by decreasing class within a cell
                if (v.X >= xMin && v.X <= xMax && v.Y >= yMin && v.Y <= yMax) sortie.push_back(i);
            }
        }
}

} // namespace orlavine::monde
