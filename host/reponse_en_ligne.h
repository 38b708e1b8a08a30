// What one answer of an online service may cost the program: its size, the silence allowed
// while it comes, and the time the whole request may take. A misbehaving service (an endless
// or huge answer, a server that trickles) is cut off at these bounds, and nothing larger than
// the size cap is ever kept. No toolkit here.
#pragma once

#include <chrono>
#include <cstddef>

namespace orlavine {

// The largest answer of the online address search that is read or kept (1 MiB: a real answer
// of one place is a few kilobytes).
inline constexpr std::size_t TailleMaxReponseEnLigne = std::size_t{1} << 20;

struct TLimitesReponse {
    std::size_t TailleMax = TailleMaxReponseEnLigne; // bytes of the body, once decoded
    std::chrono::milliseconds Inactivite{15000};     // nothing received for this long
    std::chrono::milliseconds Echeance{30000};       // the whole request, redirects included
    friend bool operator==(const TLimitesReponse&, const TLimitesReponse&) = default;
};

} // namespace orlavine
