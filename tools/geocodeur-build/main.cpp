// geocodeur-build --sources DIR --out FILE: writes the geocoder's world file.
#include "atlas/fichiers.h"
#include "tools/geocodeur-build/construction.h"

#include <chrono>
#include <iostream>

int main(int argc, char** argv) {
    using namespace orlavine;
    std::string sources, sortie;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sources" && i + 1 < argc)
            sources = argv[++i];
        else if (a == "--out" && i + 1 < argc)
            sortie = argv[++i];
        else {
            std::cerr << "Usage : geocodeur-build --sources DOSSIER --out FICHIER\n";
            return 2;
        }
    }
    if (sources.empty() || sortie.empty()) {
        std::cerr << "Usage : geocodeur-build --sources DOSSIER --out FICHIER\n";
        return 2;
    }
    try {
        const auto debut = std::chrono::steady_clock::now();
        geocodeurbuild::RapportConstruction rapport;
        const auto donnees = geocodeurbuild::ConstruitMonde(sources, &rapport);
        const auto octets = geocodeur::EcritMonde(donnees);
        // Read back before replacing the bundled file.
        geocodeur::TMonde relu(octets, sortie);
        if (relu.Lieux.size() != donnees.Lieux.size() || relu.NombreCles() != donnees.Cles.size())
            throw geocodeur::ErreurGeocodeur("Relecture de \"" + sortie + "\" incohérente.");
        EcritFichierAtomique(sortie, octets);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - debut)
                            .count();
        std::cout << "lieux : " << rapport.lieux
                  << " (sans province : " << rapport.lieuxSansProvince
                  << ")\npays : " << rapport.pays << "\nprovinces : " << rapport.provinces
                  << "\ndépartements : " << donnees.Departements.size()
                  << "\nrégions et provinces de France : " << donnees.Regions.size()
                  << "\nclés : " << rapport.cles << "\nalias : " << rapport.alias
                  << "\ntaille : " << octets.size() << " octets\ndurée : " << ms << " ms\n";
        for (const auto& e : rapport.exonymesIntrouvables)
            std::cout << "exonyme sans lieu : " << e << '\n';
        return rapport.exonymesIntrouvables.empty() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "geocodeur-build : " << e.what() << '\n';
        return 1;
    }
}
