// Analysis of the text typed in a town field: the kind of search and the cleaned text.
#pragma once

#include "host/chaines.h"

namespace orlavine {

enum TypeSaisie : int {
    SaisieVide = 0, // nothing to search
    SaisieCode = 1, // department number, INSEE or postal code
    SaisieNom = 2,  // first letters of a name
};

// Classifies `texte` and rewrites it in place into the form the atlas search expects:
// "  le havre " -> "HAVRE " (name), "75" (code), "2a004" -> "2A004" (code),
// "75001 Paris" -> "75001" (code), "7" (name).
int AnalyserSaisie(AnsiString& texte);

} // namespace orlavine
