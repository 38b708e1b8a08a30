#include "tools/atlas-build/voisinage.h"

#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "tools/atlas-build/projection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <utility>

namespace orlavine::atlasbuild {

void CalculeVoisins(std::vector<TCommune>& communes, int rayonKm,
                    const std::vector<bool>& voisinesPossibles) {
    if (communes.size() > NombreMaxCommunes)
        throw std::length_error("plus de 65 536 communes : index des voisines hors de 16 bits");
    if (rayonKm < 0 || rayonKm > 255) throw std::out_of_range("rayon des voisines hors de 0..255");
    if (!voisinesPossibles.empty() && voisinesPossibles.size() != communes.size())
        throw std::invalid_argument("une marque de voisine possible par commune est attendue");
    auto possible = [&](std::size_t i) {
        return voisinesPossibles.empty() || voisinesPossibles[i];
    };

    // Candidates are taken from a square wider than the radius: the plane's scale and the
    // sphere of DistanceCommunes differ from each other by well under 1 % over France.
    const double marge = std::max(3.0, rayonKm * 0.2);
    const double portee = rayonKm + marge; // km
    const double cote = std::max(5.0, portee / 2.0);
    const int etendue = static_cast<int>(std::ceil(portee / cote));

    struct Position {
        double x, y; // km
    };
    std::vector<Position> positions(communes.size());
    std::map<std::pair<long, long>, std::vector<std::uint32_t>> grille;
    auto cellule = [&](double v) { return static_cast<long>(std::floor(v / cote)); };
    for (std::size_t i = 0; i < communes.size(); ++i) {
        const PointPlan p = Lambert93({communes[i].Latitude, communes[i].Longitude});
        positions[i] = {p.X / 1000.0, p.Y / 1000.0};
        if (!possible(i)) continue;
        grille[{cellule(positions[i].x), cellule(positions[i].y)}].push_back(
            static_cast<std::uint32_t>(i));
    }

    std::vector<std::vector<std::pair<int, std::uint16_t>>> voisins(communes.size());
    for (std::size_t i = 0; i < communes.size(); ++i) {
        const long cx = cellule(positions[i].x), cy = cellule(positions[i].y);
        for (long gx = cx - etendue; gx <= cx + etendue; ++gx) {
            for (long gy = cy - etendue; gy <= cy + etendue; ++gy) {
                const auto it = grille.find({gx, gy});
                if (it == grille.end()) continue;
                for (const std::uint32_t j : it->second) {
                    // Each pair of possible neighbours once, stored on both sides; another
                    // commune takes its neighbours without being one.
                    const bool deuxSens = possible(i);
                    if (deuxSens ? j <= i : j == i) continue;
                    const double dx = positions[j].x - positions[i].x;
                    const double dy = positions[j].y - positions[i].y;
                    if (dx * dx + dy * dy > portee * portee) continue;
                    const int d = TCarteFrance::DistanceCommunes(communes[i], communes[j]);
                    if (d > rayonKm) continue;
                    voisins[i].push_back({d, static_cast<std::uint16_t>(j)});
                    if (deuxSens) voisins[j].push_back({d, static_cast<std::uint16_t>(i)});
                }
            }
        }
    }

    for (std::size_t i = 0; i < communes.size(); ++i) {
        auto& v = voisins[i];
        std::sort(v.begin(), v.end());
        TCommune& c = communes[i];
        c.Voisins.clear();
        c.DistancesVoisins.clear();
        c.Voisins.reserve(v.size());
        c.DistancesVoisins.reserve(v.size());
        for (const auto& [d, j] : v) {
            c.Voisins.push_back(j);
            c.DistancesVoisins.push_back(static_cast<std::uint8_t>(d));
        }
    }
}

} // namespace orlavine::atlasbuild
