#include "tools/atlas-build/programme.h"

#include "tools/atlas-build/construction.h"

#include <chrono>
#include <exception>

namespace orlavine::atlasbuild {

namespace {

constexpr const char* Usage =
    "Usage : atlas-build --sources DOSSIER --out DOSSIER [--centroids FICHIER.csv | "
    "--no-centroids] [--outlines FICHIER.geojson]\n"
    "  --sources       dossier des sources (scripts/fetch-sources.sh)\n"
    "  --out           dossier où écrire cc.dat, departement.txt, pointdepii.dat, "
    "ccliees.dat, ccpostaux.dat et ccnoms.dat\n"
    "  --centroids     centroïdes 2018 des communes (par défaut "
    "data/sources/centroides-communes-2018.csv)\n"
    "  --no-centroids  positions de GeoNames seules\n"
    "  --outlines      contours des départements en GeoJSON WGS84 au lieu du dessin SVG\n";

} // namespace

int ProgrammeAtlasBuild(const std::vector<std::string>& arguments, std::ostream& sortie,
                        std::ostream& erreurs) {
    OptionsConstruction options;
    std::filesystem::path dossierSortie;
    bool sources = false;
#ifdef ORLAVINE_CENTROIDES_PAR_DEFAUT
    options.Centroides = std::filesystem::path(ORLAVINE_CENTROIDES_PAR_DEFAUT);
#endif
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            sortie << Usage;
            return 0;
        }
        if (a == "--no-centroids") {
            options.Centroides.reset();
            continue;
        }
        if (a != "--sources" && a != "--out" && a != "--centroids" && a != "--outlines") {
            erreurs << "atlas-build : option inconnue « " << a << " »\n" << Usage;
            return 2;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            erreurs << "atlas-build : valeur manquante après « " << a << " »\n" << Usage;
            return 2;
        }
        const std::string& valeur = arguments[++i];
        if (a == "--sources") {
            options.Sources = valeur;
            sources = true;
        } else if (a == "--out") {
            dossierSortie = valeur;
        } else if (a == "--centroids") {
            options.Centroides = valeur;
        } else {
            options.Contours = valeur;
        }
    }
    if (!sources || dossierSortie.empty()) {
        erreurs << "atlas-build : --sources et --out sont obligatoires\n" << Usage;
        return 2;
    }

    try {
        const auto debut = std::chrono::steady_clock::now();
        const AtlasConstruit atlas = ConstruitAtlas(options);
        const FichiersAtlas fichiers = EcritFichiers(atlas);
        RapportValidation rapport = ValideAtlas(atlas, fichiers);
        rapport.DureeSecondes =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
        sortie << rapport.Texte(atlas);
        if (!rapport.Valide()) {
            erreurs << "atlas-build : validation échouée, aucun fichier écrit\n";
            return 1;
        }
        InstalleAtlas(fichiers, dossierSortie);
        sortie << "Atlas écrit dans " << dossierSortie.string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        erreurs << "atlas-build : " << e.what() << "\n";
        return 1;
    }
}

} // namespace orlavine::atlasbuild
