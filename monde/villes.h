// The towns of the world drawn on the world map beside the atlas's communes: a value list
// given by the program (from whatever gazetteer it has), projected once onto the Mercator
// plane, given the scale from which each shows, and filed by cells so that a paint only
// looks at the places of its view.
#pragma once

#include "host/chaines.h"

#include <cstdint>
#include <vector>

namespace orlavine::monde {

// One place as the program gives it.
struct TVilleMonde {
    double Latitude = 0.0;  // degrees
    double Longitude = 0.0; // degrees
    AnsiString Nom;         // its label, Windows-1252
    std::uint32_t Population = 0;
    std::uint8_t Importance = 0; // 0 place, 1 seat of a division, 2 capital of a country
};

// Classes of places, from the least to the most important; each shows from a scale on.
enum ClasseVille : std::uint8_t {
    ClasseVillage = 0,      // every place
    ClasseBourg = 1,        // 5 000 inhabitants and more
    ClasseVilleMoyenne = 2, // 50 000 and more, or a seat of 20 000 and more
    ClasseGrandeVille = 3,  // 200 000 and more, or a seat of 100 000 and more
    ClasseMetropole = 4,    // a million and more
    ClasseCapitale = 5,     // capital of a country
};
inline constexpr int NombreClassesVille = 6;

ClasseVille ClassePourVille(std::uint32_t population, std::uint8_t importance);
// The largest scale denominator (1:N, at 96 pixels per inch) at which a class is drawn.
double DenominateurMaxClasse(ClasseVille classe);

class TVillesMonde {
public:
    TVillesMonde() = default;
    // Places outside the Mercator limits or with invalid coordinates are left out.
    explicit TVillesMonde(const std::vector<TVilleMonde>& villes);

    // One place as filed: Mercator position (longitude, Mercator y in degrees).
    struct TVille {
        float X = 0, Y = 0;
        std::uint32_t Population = 0;
        std::uint8_t Classe = 0;
        std::uint32_t Index = 0; // in Noms
    };

    std::size_t Nombre() const { return villes_.size(); }
    const TVille& Ville(std::size_t i) const { return villes_[i]; }
    const AnsiString& Nom(std::uint32_t index) const { return noms_[index]; }

    // Appends to `sortie` the positions (in Ville) of the places of class `classeMin` and
    // above inside the Mercator box; shifted by `decalage` degrees of longitude (the copies
    // of the world across the 180th meridian). Only the cells the box meets are read.
    void Cherche(double xMin, double xMax, double yMin, double yMax, double decalage, int classeMin,
                 std::vector<std::uint32_t>& sortie) const;

    // Size of a cell, Mercator degrees.
    static constexpr double CoteCellule = 2.0;

private:
    static constexpr int Colonnes = 180; // 360 degrees of longitude
    static constexpr int Lignes = 180;   // Mercator y from -180 to 180
    static int Colonne(double x);
    static int Ligne(double y);

    // By cell (row-major), then by decreasing class and population.
    std::vector<TVille> villes_;
    std::vector<std::uint32_t> debuts_; // Colonnes * Lignes + 1 offsets into villes_
    std::vector<AnsiString> noms_;
};

} // namespace orlavine::monde
