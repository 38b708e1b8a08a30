// The official geographic code (communes, departments, regions, arrondissements) as
// published in JSON, and the form of names the atlas stores.
#pragma once

#include "atlas/types.h"
#include "host/chaines.h"

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::atlasbuild {

// One current commune of metropolitan France. Texts are UTF-8 as in the source.
struct CommuneOfficielle {
    std::string Code;
    std::string Nom;         // with its article: "Le Havre"
    int TypeLiaison = 0;     // article type: 2 "Le", 3 "La", 4 "Les", 5 "L'"...
    std::string Departement; // "01".."95", "2A", "2B"
    std::string Region;
    std::string Arrondissement;
    std::vector<std::string> CodesPostaux;
    long Population = 0;
    std::vector<std::string> AnciensCodes; // codes of the communes it was made from
};

// A delegated or associated commune of metropolitan France ("commune-deleguee",
// "commune-associee"), which belongs to the current commune `Parent`.
struct CommuneLieeOfficielle {
    std::string Code; // its own code; a delegated commune may share its parent's
    std::string Nom;  // with its article, UTF-8
    int TypeLiaison = 0;
    TNatureCommune Nature = TNatureCommune::Deleguee;
    std::string Parent; // code of the current commune ("chefLieu")
};

struct DepartementOfficiel {
    std::string Code;     // "01".."95", "2A", "2B"
    std::string Nom;      // UTF-8: "Côte-d'Or"
    std::string ChefLieu; // commune code of the prefecture
};

struct CodeOfficiel {
    std::vector<CommuneOfficielle> Communes;       // in the order of the source
    std::vector<CommuneLieeOfficielle> Liees;      // in the order of the source
    std::vector<DepartementOfficiel> Departements; // metropolitan, in the order of the source
    std::set<std::string> ChefsLieuxRegions;       // metropolitan regions only
    std::set<std::string> ChefsLieuxArrondissements;
};

// The 96 department codes of metropolitan France, "01" to "95" without "20", "2A" and "2B".
bool EstDepartementMetropolitain(std::string_view code);
const std::vector<std::string>& DepartementsMetropolitains();
// "01".."95" for a department number (20 gives "20", which no department has).
std::string CodeDepartement(int numero);
// Department number 1..95 of a department code ("2A"/"2B": 20); 0 when it is none.
int NumeroDepartement(std::string_view code);

// Reads communes.json, departements.json, regions.json and arrondissements.json of
// `dossier`. Keeps the current communes (type "commune-actuelle") of metropolitan France
// and their delegated and associated communes. Raises ErreurSource naming the file and the
// line of the first fault.
CodeOfficiel LitCodeOfficiel(const std::filesystem::path& dossier);

// The atlas form of a name given in UTF-8: Windows-1252, upper case without accents,
// spaces turned into hyphens. "Saint-Étienne-du-Rouvray" -> "SAINT-ETIENNE-DU-ROUVRAY".
AnsiString NomAtlas(std::string_view nomUtf8);

// Splits the official name into article and name the way the atlas stores them: only
// "Le" and "La" (article types 2 and 3) are taken apart, since the search drops those two
// from what is typed; "Les", "L'" and the others stay at the head of the name.
struct NomDecoupe {
    AnsiString Article; // "LE", "LA" or empty
    AnsiString Nom;     // "HAVRE", "LES-ANDELYS", "L'ISLE-ADAM"
};
NomDecoupe DecoupeNom(std::string_view nomUtf8, int typeLiaison);

// An atlas name without a leading article "LE-", "LA-", "LES-" or "L'", the form in which
// the centroid file gives names: "LES-ANDELYS" -> "ANDELYS".
AnsiString SansArticle(const AnsiString& nomAtlas);

// Checks that the npm package unpacked in `dossier` is `nom` at `version` (its
// package.json); raises ErreurSource naming package.json and the line otherwise.
void VerifieVersionPaquet(const std::filesystem::path& dossier, std::string_view nom,
                          std::string_view version);

} // namespace orlavine::atlasbuild
