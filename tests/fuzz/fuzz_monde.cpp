// Fuzzing of the geocoder's world file reader. The header's size and checksum are set to
// agree with the input, so that the fuzzer reaches the tables behind them. Any bytes either
// load or raise ErreurGeocodeur naming the file. What loads holds together, is written back
// and read again to the same tables, and can be searched without a fault.
#include "geocodeur/geocodeur.h"
#include "geocodeur/monde.h"
#include "tests/fuzz/verifie.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

void Ecrit64(std::vector<std::uint8_t>& o, std::size_t position, std::uint64_t v) {
    for (int k = 0; k < 8; ++k)
        o[position + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine::geocodeur;
    std::vector<std::uint8_t> octets(donnees, donnees + taille);
    if (octets.size() >= 32) {
        std::uint64_t h = 14695981039346656037ull;
        for (std::size_t i = 32; i < octets.size(); ++i) {
            h ^= octets[i];
            h *= 1099511628211ull;
        }
        Ecrit64(octets, 16, octets.size() - 32);
        Ecrit64(octets, 24, h);
    }
    std::optional<TMonde> monde;
    try {
        monde.emplace(octets, "monde.dat");
    } catch (const ErreurGeocodeur& e) {
        EXIGE(std::string(e.what()).find("\"monde.dat\"") != std::string::npos);
        return 0;
    }

    for (std::size_t i = 0; i < monde->Lieux.size(); ++i) {
        const TLieu& l = monde->Lieux[i];
        EXIGE(l.Pays < monde->Pays.size());
        EXIGE(l.Province == AucuneProvince || l.Province < monde->Provinces.size());
        EXIGE(monde->NomLieu(i).size() <= 255);
    }
    DonneesMonde d;
    d.Pays = monde->Pays;
    d.Provinces = monde->Provinces;
    d.Departements = monde->Departements;
    d.Regions = monde->Regions;
    d.Lieux = monde->Lieux;
    d.Noms.assign(monde->Noms().begin(), monde->Noms().end());
    d.Cles = monde->ToutesLesCles();
    EXIGE(d.Cles.size() == monde->NombreCles());
    for (const TCleLieux& c : d.Cles)
        EXIGE(monde->Cibles(c.Cle) == c.Cibles);
    const TMonde relu(EcritMonde(d), "relu.dat");
    EXIGE(relu.Lieux == d.Lieux && relu.Pays == d.Pays && relu.Regions == d.Regions);
    EXIGE(relu.ToutesLesCles() == d.Cles);

    const TGeocodeur geocodeur(nullptr, std::move(*monde));
    std::vector<std::string> textes = {"Paris ; Belgique", "a, 75001, b", "x y z", " ; ; "};
    if (!d.Cles.empty()) textes.push_back(d.Cles.front().Cle + " ; " + d.Cles.back().Cle);
    for (const auto& t : textes)
        for (const TCandidat& c : geocodeur.Recherche(t))
            EXIGE(c.IndexLieu >= 0 && static_cast<std::size_t>(c.IndexLieu) < d.Lieux.size());
    if (!d.Lieux.empty())
        geocodeur.RechercheInverse(d.Lieux[0].Latitude * 1e-5, d.Lieux[0].Longitude * 1e-5);
    return 0;
}
