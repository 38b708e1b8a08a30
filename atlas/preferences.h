// The map preferences that the atlas reads while it adds ranked towns and draws.
// The preferences window owns one and hands the atlas a pointer to it.
#pragma once

#include "host/geometrie.h"

#include <cstdint>

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

} // namespace orlavine
