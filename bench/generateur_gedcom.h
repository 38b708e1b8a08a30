// A generated GEDCOM tree for the benchmarks: individuals with births, deaths and residences,
// families with marriages, places in the French "Lieudit, Commune, Code_INSEE, Département,
// Région, Pays" layout (a fifth with a lieu-dit, a quarter with MAP coordinates), notes split by
// CONC, extension tags. Deterministic: the same arguments give the same bytes.
#pragma once

#include "genealogie/encodages.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace orlavine {

struct TailleArbreGenere {
    std::size_t Lignes = 1000000;
    std::size_t Individus = 60000;
    std::size_t Lieux = 20000; // distinct places without their lieu-dit
};

// The whole file, CRLF line ends, in UTF-8, Windows-1252 or ANSEL (HEAD.CHAR says which).
// Exactly `taille.Lignes` lines when that is enough for the records asked for.
std::string GenereGedcom(const TailleArbreGenere& taille = {}, Encodage encodage = Encodage::Utf8);

// A base imported from a generated tree of 42,000 places (67,204 entries with their
// lieux-dits) in a temporary folder, every entry of the place tool's list located where
// `position` puts the i-th one; the folder goes with the object.
class TBaseGenereeLocalisee {
public:
    using Position = std::function<void(int i, float& latitude, float& longitude, int& etat)>;
    TBaseGenereeLocalisee(const std::string& prefixe, const Position& position);
    ~TBaseGenereeLocalisee();
    TBaseGenereeLocalisee(const TBaseGenereeLocalisee&) = delete;
    TBaseGenereeLocalisee& operator=(const TBaseGenereeLocalisee&) = delete;
    const std::filesystem::path& Base() const { return base_; }
    std::filesystem::path Chemin(const std::string& nom) const { return dossier_ / nom; }

private:
    std::filesystem::path dossier_;
    std::filesystem::path base_;
};

} // namespace orlavine
