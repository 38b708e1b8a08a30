// The map preferences that the atlas reads while it adds ranked towns and draws, and
// their file "pref-graph.ini" (section "Graph"). The preferences window owns one and hands
// the atlas a pointer to it; the command line reads the same file the same way.
#pragma once

#include "host/geometrie.h"

#include <cstdint>
#include <filesystem>

namespace orlavine {

struct TPreferencesCarte {
    bool Capital = true;
    bool Prefecture = true;
    bool SsPrefecture = true;
    bool R3 = true;
    bool R5 = true;
    bool R8 = true;
    bool R10 = true;
    bool R12 = true;
    bool R20 = true;
    bool R50 = true;
    bool R100 = true;
    bool DisqueDegrade = true;
    TColor Coul100km = 0xF0FBFF;
    TColor CoulCentral = 0x5B5BFF;
    bool Animation15s = false;
    TColor FondLegende = 0xF0FBFF;
    std::int32_t PositionLegende = 1;

    friend bool operator==(const TPreferencesCarte&, const TPreferencesCarte&) = default;
};

// Number of entries of the legend position list ("Ne pas l'afficher !" .. "en Bas à Droite").
inline constexpr int NombrePositionsLegende = 5;

// "pref-graph.ini" in the application-data folder ($XDG_DATA_HOME/Orlavine, else
// ~/.local/share/Orlavine).
std::filesystem::path CheminPrefGraphDefaut();

// The seventeen keys of section "Graph" of an ini file. A missing file, section or key, a
// value that is not a number, or one out of range (a colour outside 0 to 0xFFFFFF, a legend
// position outside the list) gives the default of that key.
TPreferencesCarte LitPreferencesCarte(const std::filesystem::path& cheminIni);
// The same values with every out-of-range field set back to its default.
TPreferencesCarte PreferencesReparees(TPreferencesCarte p);
// Rewrites the file with exactly the seventeen keys, in order, atomically (out-of-range
// values are written as their defaults). Raises Erreur, naming the file, when it could not
// be written; the old file is then unchanged.
void EcritPreferencesCarte(const std::filesystem::path& cheminIni, const TPreferencesCarte& p);
// Legend corner code of a legend list item: 0 none, 8 top left, 6 top right, 7 bottom
// left, 5 bottom right; 6 for any other value.
int CoinLegende(int positionLegende);

} // namespace orlavine
