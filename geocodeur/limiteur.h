// At most one request a second to the online address search, for the whole program: every
// sender reserves its turn here and waits until then. When a lock file is given (in the
// cache folder), the turns are shared with the program's other processes too (the CLI's bulk
// run and the windows): the file holds the time of the last turn given, under flock.
// No toolkit here.
#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>

namespace orlavine::geocodeur {

class TLimiteurDebit {
public:
    using Duree = std::chrono::milliseconds;

    explicit TLimiteurDebit(Duree intervalle = std::chrono::seconds(1)) : intervalle_(intervalle) {}

    // Shares the turns with other processes through that file (created when missing; empty
    // path: this process only). Returns false, and keeps to this process, when the file
    // cannot be opened.
    bool FixeFichierVerrou(const std::filesystem::path& chemin);
    const std::filesystem::path& FichierVerrou() const { return fichier_; }

    // Reserves the next turn: how long to wait from now before sending (0: send now). Turns
    // are at least one interval apart, whoever asks.
    Duree Reserve();

    Duree Intervalle() const { return intervalle_; }

private:
    const Duree intervalle_;
    std::mutex verrou_;
    std::filesystem::path fichier_;
    bool premier_ = true;
    std::chrono::steady_clock::time_point dernier_{};
};

// The one limiter of the online address search in this process.
TLimiteurDebit& LimiteurNominatim();

} // namespace orlavine::geocodeur
