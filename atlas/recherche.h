// From typed text to the communes found: the one path that the search window and the
// command line share. The strict search answers first and alone whenever it finds
// something; a name it does not find is tried again in a more forgiving form.
#pragma once

#include "atlas/carte_france.h"

#include <cstdint>
#include <vector>

namespace orlavine {

// Which attempt gave the answer of a name search.
enum class TEtapeRecherche {
    Aucune,      // nothing found, or nothing to search
    Stricte,     // the text as typed (prefix, star and final-space conventions)
    Saints,      // "ST" / "STE" / "ST." / "STE." written out as SAINT / SAINTE
    SansArticle, // the names compared without a leading LES, L', LE or LA
    Etoile,      // the text anywhere in the name
    Code,        // a code search: INSEE codes, then postal codes
};

struct TResultatRecherche {
    std::vector<std::uint16_t> Communes; // indexes into TCarteFrance::Communes
    TEtapeRecherche Etape = TEtapeRecherche::Aucune;
    std::size_t NombreInsee = 0; // code search: how many of Communes matched the INSEE code
};

// Searches the text already analysed by AnalyserSaisie in `mode`:
// - name mode: the strict search; when it finds nothing, in this order and up to the first
//   attempt that finds something: the saints written out, then the names without a leading
//   article, then the star search of the text (saints written out);
// - code mode: the strict INSEE search, followed by the communes not yet found that have a
//   postal code (their own or one of their other codes) beginning with the typed digits.
// Each attempt gives its communes in the order of the table.
TResultatRecherche RechercheTolerante(const TCarteFrance& carte, AnsiString texte, int mode);

// The same for a raw text as typed in a town field (Windows-1252): analysis, then search.
TResultatRecherche RechercheSaisie(const TCarteFrance& carte, const AnsiString& saisie);

// "ST-ETIENNE" -> "SAINT-ETIENNE", "STE.FOY" -> "SAINTE-FOY", "VILLERS-ST-PAUL" ->
// "VILLERS-SAINT-PAUL": the abbreviations as whole words of a hyphen-joined name.
AnsiString DevelopperSaints(const AnsiString& texte);

// The name without its leading "LES-", "L'", "LE-" or "LA-" (unchanged when it has none).
std::string_view SansArticle(std::string_view nom);

} // namespace orlavine
