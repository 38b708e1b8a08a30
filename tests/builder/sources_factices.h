// Small made-up sources for the builder's tests, laid out like the cache of
// scripts/fetch-sources.sh, with one prefecture per department inside a square
// outline, and a few communes chosen for their names and ranks.
#pragma once

#include "atlas/types.h"
#include "tests/commun/outils.h"
#include "tools/atlas-build/projection.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orlavine::atlasbuild::test {

using orlavine::test::Contient;
using orlavine::test::DossierTemporaire;
using orlavine::test::EcritFichier;
using orlavine::test::LitFichier;

// The commune of code `code` in a built or loaded atlas (nullptr when absent).
template <typename Atlas>
const TCommune* Trouve(const Atlas& atlas, const std::string& code) {
    for (const TCommune& c : atlas.Communes)
        if (c.CodeInsee == code) return &c;
    return nullptr;
}

struct CommuneFactice {
    std::string Code, Nom;
    int TypeLiaison = 0;
    long Population = 100;
    PointGeo Position;
    bool Positionnee = true; // has a GeoNames row
    std::string CodePostal = "00000";
    std::vector<std::string> AnciensCodes;
};

// A delegated ("commune-deleguee") or associated ("commune-associee") commune.
struct LieeFactice {
    std::string Code, Nom, Type, Parent;
};

// A line of the centroid file.
struct CentroideFactice {
    std::string Code, Nom;
    PointGeo Position;
};

// The made-up sources: departments in a 12-column grid of 0.6° squares, each with its
// prefecture at the centre; extra communes in departments "01" and "75".
class SourcesFactices {
public:
    SourcesFactices();
    // The centre of the square of a department.
    static PointGeo Centre(const std::string& departement);
    // Writes the whole sources folder into `dossier`.
    void Ecrit(const std::filesystem::path& dossier) const;
    // Writes the centroid file, in the committed format.
    void EcritCentroides(const std::filesystem::path& fichier) const;

    std::vector<CommuneFactice> Communes;
    // Around "Fusionnée" (01011): a delegated commune with its own centroid (01020), one
    // sharing the parent's code that GeoNames names ("Ancienne", 01011), one that is the
    // parent itself (left out), an associated one placed nowhere (01021), and among the
    // parent's former codes 01022, named by the centroids, and 01023, named nowhere.
    std::vector<LieeFactice> Liees;
    // A centroid for the prefectures of 01 and 75, 01001 (moved), the former commune
    // 01022, the delegated 01020, the parent 01011, and 01024, the former commune "Sans
    // Position" (01010) was made from.
    std::vector<CentroideFactice> Centroides;
    std::string LignesGeoNamesEnPlus; // appended to cities500.txt
};

} // namespace orlavine::atlasbuild::test
