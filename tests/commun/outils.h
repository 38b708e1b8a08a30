// Helpers shared by the test programs: temporary folders, whole files, small communes and
// the message of a call that fails.
#pragma once

#include "atlas/fichiers.h"
#include "atlas/types.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace orlavine::test {

inline std::string LitFichier(const std::filesystem::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void EcritFichier(const std::filesystem::path& chemin, const std::string& contenu) {
    std::filesystem::create_directories(chemin.parent_path());
    std::ofstream(chemin, std::ios::binary | std::ios::trunc) << contenu;
}

// The message of the exception E that `f` raises ("" when it raises none).
template <typename E, typename F>
std::string MessageDe(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

inline ::testing::AssertionResult Contient(const std::string& texte, const std::string& morceau) {
    if (texte.find(morceau) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << texte << "\" sans \"" << morceau << "\"";
}

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

// A folder of its own, removed with its content at the end of the test.
class DossierTemporaire {
public:
    DossierTemporaire() {
        static int compteur = 0;
        chemin_ =
            std::filesystem::temp_directory_path() /
            ("orlavine-test-" + std::to_string(::getpid()) + "-" + std::to_string(++compteur));
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
};

} // namespace orlavine::test
