// The progress line of the command-line program: only on a terminal, only once a run has
// lasted a second, rewritten in place and ended by a line feed.
#include "app/cli/progression.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace orlavine::cli {
namespace {

using namespace std::chrono_literals;

TEST(Progression, OnATerminalOnlyAndAfterASecond) {
    const struct {
        bool Terminal;
        std::vector<std::pair<std::chrono::milliseconds, int>> Etapes; // time and percent
        const char* Attendu;
    } lignes[] = {
        // Not a terminal (a pipe, a file): nothing, however long.
        {false, {{0ms, 0}, {5000ms, 50}, {9000ms, 100}}, ""},
        // A run shorter than a second: nothing.
        {true, {{0ms, 0}, {300ms, 50}, {900ms, 100}}, ""},
        // Longer: from the first second on, the same line rewritten, then a line feed.
        {true,
         {{0ms, 0}, {500ms, 10}, {1200ms, 45}, {1250ms, 46}, {1400ms, 46}, {2500ms, 100}},
         "\rImport : 45 % (1 234 567 lignes)    \rImport : 46 % (1 234 567 lignes)    "
         "\rImport : 100 % (1 234 567 lignes)    \n"},
    };
    for (const auto& l : lignes) {
        std::ostringstream sortie;
        auto maintenant = std::chrono::steady_clock::time_point{};
        {
            LigneAvancement ligne(sortie, l.Terminal, "Import", [&] { return maintenant; });
            const auto debut = maintenant;
            for (const auto& [temps, pourcent] : l.Etapes) {
                maintenant = debut + temps;
                ligne.Montre(pourcent, NombreEcran(1234567) + " lignes");
            }
        }
        EXPECT_EQ(sortie.str(), l.Attendu);
    }
}

TEST(Progression, NumbersInGroupsOfThree) {
    for (const auto& [n, texte] : {std::pair<std::uint64_t, const char*>{0, "0"},
                                   {999, "999"},
                                   {1000, "1 000"},
                                   {1234567, "1 234 567"},
                                   {20000000, "20 000 000"}})
        EXPECT_EQ(NombreEcran(n), texte);
}

} // namespace
} // namespace orlavine::cli
