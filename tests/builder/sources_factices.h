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

    std::vector<CommuneFactice> Communes;
    std::string LignesGeoNamesEnPlus; // appended to cities500.txt
};

} // namespace orlavine::atlasbuild::test
