// Texts and small decisions of the communes page, kept apart from the window so that they
// can be checked without it. No toolkit here.
#pragma once

#include "atlas/carte_france.h"

#include <optional>

namespace orlavine {

// "Sélection : 9 km" (Windows-1252).
AnsiString TexteRayon(int rayonKm);

// The sentence about the chosen commune and its neighbours in CommunesVoisines:
// "Versailles, code INSEE : 78646, code Postal : 78000, du département Yvelines, est
// entourée de 12 communes à moins de 9 km."; for a commune that is part of another one:
// "Esquibien, commune déléguée de Audierne, code INSEE : 29049, du département ..."
AnsiString PhraseCommuneSel(const TCarteFrance& carte, int indexCommune, int rayonKm);

// The sentence about one neighbour row: "Le Chesnay est à 3 km de Versailles."
AnsiString PhraseComVois(const AnsiString& nomVoisine, const AnsiString& distance,
                         const AnsiString& nomVille);

// The text put into the first town edit for a place text: its first ";"-separated element,
// trimmed, when it holds a ";", else the whole text.
AnsiString TexteVillePourLieu(const AnsiString& lieu);

// The text put into the first town edit by a double click on a neighbour row.
AnsiString TexteVilleVoisine(const TLigneVoisine& ligne);

// Navigation keys typed in a town edit (Windows virtual-key codes).
inline constexpr int ToucheHaut = 38;
inline constexpr int ToucheBas = 40;
inline constexpr int TouchePageHaut = 33;
inline constexpr int TouchePageBas = 34;
inline constexpr int ToucheDebut = 36;
inline constexpr int ToucheFin = 35;

struct TNavigation {
    int Index = 0;         // the entry to select
    bool Consommee = true; // the key stops here (Home and End also reach the edit)
};

// The entry that a navigation key selects in a list of `n` entries whose selected entry is
// `i`; nothing when the key is not a navigation key or the list is empty.
std::optional<TNavigation> Navigation(int touche, int i, int n);

} // namespace orlavine
