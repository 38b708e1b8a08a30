#include "atlas_essai.h"

#include "atlas/fichiers.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

namespace orlavine::essai {

namespace {
constexpr double LongitudeOrigine = -5.0;
constexpr double LatitudeOrigine = 51.5;
constexpr double KmParDegreLongitude = 73.3;
constexpr double KmParDegreLatitude = 111.2;
constexpr double UnitesParKm = 208.0;
constexpr double LongitudeCentre = 2.13;
constexpr double LatitudeCentre = 48.80;

TCommune Commune(const std::string& nom, double dxKm, double dyKm, std::uint8_t rang,
                 const std::string& code) {
    TCommune c;
    c.Longitude = static_cast<float>(LongitudeCentre + dxKm / KmParDegreLongitude);
    c.Latitude = static_cast<float>(LatitudeCentre - dyKm / KmParDegreLatitude);
    c.XCarte = XCarte(c.Longitude);
    c.YCarte = YCarte(c.Latitude);
    c.Rang = rang;
    c.Nom = nom;
    c.CodeInsee = code;
    c.CodePostal = code;
    return c;
}

void AjouteCarre(std::vector<TPointsDep>& contours, double x0Km, double y0Km, double coteKm) {
    TPointsDep p;
    const double x0 = XCarte(LongitudeCentre) + x0Km * UnitesParKm;
    const double y0 = YCarte(LatitudeCentre) + y0Km * UnitesParKm;
    const double c = coteKm * UnitesParKm;
    // Ragged edges, as real borders are.
    for (int i = 0; i < 40; ++i) {
        const double t = i / 10.0;
        const double bruit = std::sin(i * 1.7) * 0.6 * UnitesParKm;
        double x = 0, y = 0;
        if (t < 1)
            x = x0 + c * t, y = y0 + bruit;
        else if (t < 2)
            x = x0 + c + bruit, y = y0 + c * (t - 1);
        else if (t < 3)
            x = x0 + c * (3 - t), y = y0 + c + bruit;
        else
            x = x0 + bruit, y = y0 + c * (4 - t);
        p.AjoutePoint(static_cast<int>(x), static_cast<int>(y));
    }
    contours.push_back(std::move(p));
}

} // namespace

float XCarte(double longitude) {
    return static_cast<float>((longitude - LongitudeOrigine) * KmParDegreLongitude * UnitesParKm);
}
float YCarte(double latitude) {
    return static_cast<float>((LatitudeOrigine - latitude) * KmParDegreLatitude * UnitesParKm);
}

std::vector<TCommune> CommunesEssai() {
    std::vector<TCommune> communes;
    communes.push_back(Commune("VERSAILLES", 0, 0, 7, "78646"));
    communes.push_back(Commune("PARIS", 17, -4, 9, "75056"));
    communes.push_back(Commune("NANTERRE", 10, -10, 7, "92050"));
    communes.push_back(Commune("RAMBOUILLET", -22, 22, 6, "78517"));
    communes.push_back(Commune("EVRY", 28, 22, 7, "91228"));
    communes.push_back(Commune("ORLEANS", 0, 105, 8, "45234"));
    communes.push_back(Commune("CHEVREUSE", -8, 10, 5, "78160"));
    communes.push_back(Commune("SAINT-CYR-L'ECOLE", -3, 1, 4, "78545"));
    communes.push_back(Commune("VIROFLAY", 3, -1, 0, "78686"));
    communes.push_back(Commune("LE-CHESNAY", 1, -2, 0, "78158"));
    communes.back().Nom = "CHESNAY";
    communes.back().Article = "LE";
    const char* noms[] = {"BUC",
                          "JOUY-EN-JOSAS",
                          "VELIZY-VILLACOUBLAY",
                          "GUYANCOURT",
                          "TRAPPES",
                          "PLAISIR",
                          "BOIS-D'ARCY",
                          "FONTENAY-LE-FLEURY",
                          "ROCQUENCOURT",
                          "BAILLY",
                          "NOISY-LE-ROI",
                          "MEUDON",
                          "SEVRES",
                          "CHAVILLE",
                          "MONTIGNY-LE-BRETONNEUX",
                          "LES-LOGES-EN-JOSAS",
                          "TOUSSUS-LE-NOBLE",
                          "SACLAY",
                          "MAGNY-LES-HAMEAUX",
                          "ELANCOURT"};
    for (int k = 0; k < 20; ++k) {
        const double angle = k * 2.399963;
        const double r = 2.5 + 0.55 * k;
        communes.push_back(Commune(noms[k], r * std::cos(angle), r * std::sin(angle),
                                   k % 7 == 3 ? 5 : 0, "78" + std::to_string(100 + k)));
    }
    std::sort(communes.begin(), communes.end(),
              [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    for (std::size_t i = 0; i < communes.size(); ++i)
        for (std::size_t j = 0; j < communes.size(); ++j) {
            if (i == j) continue;
            const int d = TCarteFrance::DistanceCommunes(communes[i], communes[j]);
            if (d <= 20) {
                communes[i].Voisins.push_back(static_cast<std::uint16_t>(j));
                communes[i].DistancesVoisins.push_back(static_cast<std::uint8_t>(d));
            }
        }
    return communes;
}

std::vector<TPointsDep> ContoursEssai() {
    std::vector<TPointsDep> contours;
    // The country: a hexagon about 900 km across.
    TPointsDep pays;
    const double cx = XCarte(2.5), cy = YCarte(46.6);
    for (int k = 0; k < 6; ++k) {
        const double a = k * 3.14159265 / 3 + 0.3;
        pays.AjoutePoint(static_cast<int>(cx + 450 * UnitesParKm * std::cos(a)),
                         static_cast<int>(cy + 450 * UnitesParKm * std::sin(a)));
    }
    contours.push_back(std::move(pays));
    AjouteCarre(contours, -40, -25, 38);
    AjouteCarre(contours, -2, -25, 30);
    AjouteCarre(contours, -40, 13, 38);
    AjouteCarre(contours, -2, 5, 35);
    return contours;
}

std::vector<AnsiString> NomsDepartementsEssai() {
    std::vector<AnsiString> noms;
    for (int n = 1; n <= 95; ++n)
        noms.push_back("DEPARTEMENT-" + std::to_string(n));
    noms[77] = "YVELINES";
    noms[74] = "PARIS";
    return noms;
}

std::unique_ptr<TCarteFrance> AtlasEssai() {
    std::vector<TDepartement> deps;
    for (TPointsDep& p : ContoursEssai()) {
        TDepartement d;
        d.Contour = std::move(p);
        deps.push_back(std::move(d));
    }
    return std::make_unique<TCarteFrance>(std::move(deps), CommunesEssai(),
                                          NomsDepartementsEssai());
}

void EcritAtlasEssai(const std::filesystem::path& dossier) {
    std::filesystem::create_directories(dossier);
    auto ecrit = [&](const char* nom, const std::vector<std::uint8_t>& octets) {
        std::ofstream f(dossier / nom, std::ios::binary);
        f.write(reinterpret_cast<const char*>(octets.data()),
                static_cast<std::streamsize>(octets.size()));
    };
    ecrit(NomFichierCommunes, EcritCommunes(CommunesEssai()));
    ecrit(NomFichierDepartements, EcritNomsDepartements(NomsDepartementsEssai()));
    ecrit(NomFichierContours, EcritContours(ContoursEssai()));
}

int IndexCommune(const TCarteFrance& carte, const char* nom) {
    for (std::size_t i = 0; i < carte.Communes.size(); ++i)
        if (carte.Communes[i].Nom == nom) return static_cast<int>(i);
    return -1;
}

} // namespace orlavine::essai
