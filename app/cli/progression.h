// The progress line of a long run of the command-line program, on the terminal only: one
// line of stderr rewritten in place ("\r"), in French, shown once the work has lasted a
// second, ended by a line feed.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace orlavine::cli {

// "1 234 567": groups of three digits separated by a space, as numbers are written on screen.
std::string NombreEcran(std::uint64_t n);

class LigneAvancement {
public:
    using Horloge = std::function<std::chrono::steady_clock::time_point()>;
    // `terminal`: whether `sortie` is a terminal (nothing is ever written otherwise).
    LigneAvancement(std::ostream& sortie, bool terminal, std::string titre,
                    Horloge horloge = &std::chrono::steady_clock::now);
    ~LigneAvancement();
    LigneAvancement(const LigneAvancement&) = delete;
    LigneAvancement& operator=(const LigneAvancement&) = delete;

    // "Titre : 45 % (detail)"; written when the percentage or the detail changed, at most
    // ten times a second (the last percentage always).
    void Montre(int pourcent, const std::string& detail = {});

private:
    std::ostream& sortie_;
    bool terminal_;
    std::string titre_;
    Horloge horloge_;
    std::chrono::steady_clock::time_point debut_;
    std::chrono::steady_clock::time_point derniere_;
    int pourcent_ = -1;
    bool montree_ = false;
};

} // namespace orlavine::cli
