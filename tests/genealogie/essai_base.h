// Helpers of the base tests: a temporary folder and small import contents.
#pragma once

#include "genealogie/base.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace orlavine::test {

class DossierTemporaire {
public:
    DossierTemporaire() {
        std::string modele = (std::filesystem::temp_directory_path() / "orlavine-XXXXXX").string();
        chemin_ = ::mkdtemp(modele.data());
    }
    ~DossierTemporaire() {
        std::error_code ec;
        std::filesystem::permissions(chemin_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(chemin_, ec);
    }
    const std::filesystem::path& operator()() const { return chemin_; }
    std::filesystem::path operator/(const std::string& nom) const { return chemin_ / nom; }

private:
    std::filesystem::path chemin_;
};

inline TLieu LieuDe(std::string commune, std::string code = {}, std::string pays = "France") {
    TLieu l;
    l.Commune = std::move(commune);
    l.CodePostal = std::move(code);
    l.Pays = std::move(pays);
    return l;
}

inline TContenuImport::Evenement Ev(long ligne, TLieu lieu, std::string lieuDit = {},
                                    std::optional<double> lat = {},
                                    std::optional<double> lon = {}) {
    TContenuImport::Evenement e;
    e.LignePlac = ligne;
    e.Etiquette = "BIRT";
    e.Lieu = std::move(lieu);
    e.LieuDit = std::move(lieuDit);
    e.Latitude = lat;
    e.Longitude = lon;
    e.SousPlac = lat.has_value();
    return e;
}

// Paris (2 events, one with a lieu-dit), Lyon with coordinates, Brest.
inline TContenuImport ContenuSimple() {
    TContenuImport c;
    c.NomFichier = "arbre.ged";
    c.Octets = "0 HEAD\n0 TRLR\n";
    c.Individus = 3;
    c.Familles = 1;
    c.LignesIgnorees = 2;
    c.Evenements.push_back(Ev(10, LieuDe("Paris", "75001")));
    c.Evenements.push_back(Ev(20, LieuDe("Lyon", "69001"), "", 45.76, 4.83));
    c.Evenements.push_back(Ev(30, LieuDe("Paris", "75001"), "Montmartre"));
    c.Evenements.push_back(Ev(40, LieuDe("Brest", "29200"), "Recouvrance", 48.38, -4.5));
    c.Evenements.push_back(Ev(50, LieuDe("Lyon", "69001"), "", 45.0, 4.0));
    return c;
}

} // namespace orlavine::test
