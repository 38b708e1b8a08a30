// Small atlases written with the atlas writers, in a temporary folder per test.
#pragma once

#include "atlas/fichiers.h"
#include "atlas/types.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orlavine::test {

inline TCommune Commune(const std::string& nom, const std::string& insee, float lat = 48.8f,
                        float lon = 2.3f, std::uint8_t rang = 0, const std::string& article = "") {
    TCommune c;
    c.Nom = nom;
    c.CodeInsee = insee;
    c.CodePostal = insee;
    c.Latitude = lat;
    c.Longitude = lon;
    c.XCarte = lon * 1000.0f;
    c.YCarte = (51.0f - lat) * 1000.0f;
    c.Rang = rang;
    c.Article = article;
    return c;
}

inline std::vector<AnsiString> NomsDepartements() {
    std::vector<AnsiString> noms;
    for (int n = 1; n <= 95; ++n)
        noms.push_back("DEPARTEMENT " + std::to_string(n));
    noms[19] = "CORSE";
    noms[75] = "SEINE-MARITIME";
    noms[20] = "C\xD4TE-D'OR";
    noms[91] = "HAUTS-DE-SEINE";
    noms[70] = "Sa\xF4ne-et-Loire";
    return noms;
}

class DossierTemporaire {
public:
    DossierTemporaire() {
        chemin_ =
            std::filesystem::temp_directory_path() /
            ("orlavine-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(compteur_++) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(chemin_);
        std::filesystem::create_directories(chemin_);
    }
    ~DossierTemporaire() {
        std::error_code ec;
        std::filesystem::remove_all(chemin_, ec);
    }
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;
    const std::filesystem::path& Chemin() const { return chemin_; }

    void Ecrit(const char* nom, const std::vector<std::uint8_t>& octets) const {
        EcritFichierAtomique(chemin_ / nom, octets);
    }
    // The three files of an atlas.
    void EcritAtlas(const std::vector<TCommune>& communes,
                    const std::vector<TPointsDep>& contours = {},
                    const std::vector<AnsiString>& noms = NomsDepartements()) const {
        Ecrit(NomFichierCommunes, EcritCommunes(communes));
        Ecrit(NomFichierDepartements, EcritNomsDepartements(noms));
        Ecrit(NomFichierContours, EcritContours(contours));
    }

private:
    std::filesystem::path chemin_;
    static inline int compteur_ = 0;
};

} // namespace orlavine::test
