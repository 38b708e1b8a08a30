#include "app/cli/progression.h"

#include <utility>

namespace orlavine::cli {

std::string NombreEcran(std::uint64_t n) {
    const std::string chiffres = std::to_string(n);
    std::string r;
    for (std::size_t i = 0; i < chiffres.size(); ++i) {
        if (i > 0 && (chiffres.size() - i) % 3 == 0) r += ' ';
        r += chiffres[i];
    }
    return r;
}

LigneAvancement::LigneAvancement(std::ostream& sortie, bool terminal, std::string titre,
                                 Horloge horloge)
    : sortie_(sortie), terminal_(terminal), titre_(std::move(titre)), horloge_(std::move(horloge)) {
    debut_ = horloge_();
}

LigneAvancement::~LigneAvancement() {
    if (montree_) sortie_ << '\n' << std::flush;
}

void LigneAvancement::Montre(int pourcent, const std::string& detail) {
    if (!terminal_) return;
    const auto maintenant = horloge_();
    // A short run shows nothing; then at most ten lines a second, the end always.
    if (maintenant - debut_ < std::chrono::seconds(1)) return;
    if (pourcent == pourcent_ && maintenant - derniere_ < std::chrono::seconds(1)) return;
    if (pourcent < 100 && montree_ && maintenant - derniere_ < std::chrono::milliseconds(100))
        return;
    pourcent_ = pourcent;
    derniere_ = maintenant;
    montree_ = true;
    sortie_ << '\r' << titre_ << " : " << pourcent << " %";
    if (!detail.empty()) sortie_ << " (" << detail << ')';
    // Spaces over what a longer line before may have left.
    sortie_ << "    " << std::flush;
}

} // namespace orlavine::cli
