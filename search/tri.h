// Sorting of the two lists of the communes page: the Shell sort of the search results and
// the comparison of two rows of the neighbour list. No toolkit here.
#pragma once

#include "atlas/carte_france.h"
#include "atlas/types.h"

#include <cstdint>
#include <vector>

namespace orlavine {

// Column of a list, as clicked in its header.
inline constexpr int ColonneCode = 0;     // "Code INSEE"
inline constexpr int ColonneLibelle = 1;  // "Libellé"
inline constexpr int ColonneDistance = 2; // "Distance" (neighbour list only)

// Sort state of one list: the column and the direction (0 first, 1 reversed).
struct TEtatTri {
    int Colonne = ColonneLibelle;
    int Sens = 0;
    friend bool operator==(const TEtatTri&, const TEtatTri&) = default;
};

// A click on column `colonne`: the same column toggles the direction, another one starts
// again in the first direction.
void ActualiserTri(TEtatTri& etat, int colonne);

// Sorts `resultats` (indexes into `communes`) by the state of the result list.
// Direction 1 only reverses the vector: it assumes it is already in ascending order.
// Direction 0 is a Shell sort, ascending, keyed on CodeInsee (column 0) or Nom (column 1),
// compared byte by byte as unsigned values.
void Trier(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
           const TEtatTri& etat);

// One insertion step of the Shell sort, on the code or on the name: inserts element `j`
// into the chain that starts at `i` with gap `h`, then advances `j` by `h`.
void TrierCodes(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
                std::size_t& j, std::size_t i, std::size_t h);
void TrierLibs(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
               std::size_t& j, std::size_t i, std::size_t h);
void Permuter(std::vector<std::uint16_t>& resultats, std::size_t a, std::size_t b);

// Comparison of two rows of the neighbour list by its sort state (negative: `a` first).
// Direction 0 is descending, 1 ascending, for every column. Texts compare without regard
// to the case of ASCII letters; the distance is read back from its "NN km" text.
int ComparerVoisines(const TLigneVoisine& a, const TLigneVoisine& b, const TEtatTri& etat);

// The distance of a row, as the comparison reads it: the text less its last three
// characters, as an integer taken modulo 256; 0 when it does not parse.
int DistanceLigne(const AnsiString& distance);

} // namespace orlavine
