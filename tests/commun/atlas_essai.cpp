#include "atlas_essai.h"

#include "atlas/fichiers.h"

#include <algorithm>
#include <cmath>

namespace orlavine::essai {

namespace {

struct Ligne {
    const char* code;
    const char* postal;
    const char* article;
    const char* nom; // Windows-1252, upper case without accents
    double lat;
    double lon;
    int rang;
};

constexpr Ligne Lignes[] = {
    {"78646", "78000", "", "VERSAILLES", 48.80229, 2.11750, 7},
    {"78158", "78150", "LE", "CHESNAY", 48.82671, 2.12982, 5},
    {"78686", "78220", "", "VIROFLAY", 48.80272, 2.17131, 0},
    {"78640", "78140", "", "VELIZY-VILLACOUBLAY", 48.78384, 2.19735, 5},
    {"78117", "78530", "", "BUC", 48.77261, 2.12490, 0},
    {"78322", "78350", "", "JOUY-EN-JOSAS", 48.76589, 2.16352, 0},
    {"78545", "78210", "", "SAINT-CYR-L'ECOLE", 48.80648, 2.06562, 5},
    {"78297", "78280", "", "GUYANCOURT", 48.77305, 2.07586, 0},
    {"78524", "78150", "", "ROCQUENCOURT", 48.83287, 2.10482, 0},
    {"78043", "78870", "", "BAILLY", 48.83690, 2.08038, 0},
    {"78551", "78100", "", "SAINT-GERMAIN-EN-LAYE", 48.94109, 2.09925, 6},
    {"78498", "78300", "", "POISSY", 48.92361, 2.02757, 5},
    {"92046", "92240", "", "MALAKOFF", 48.81657, 2.29610, 0},
    {"93066", "93200", "", "SAINT-DENIS", 48.92960, 2.35930, 6},
    {"75056", "75001", "", "PARIS", 48.85661, 2.34280, 9},
    {"76351", "76600", "LE", "HAVRE", 49.49663, 0.14024, 6},
    {"17300", "17000", "LA", "ROCHELLE", 46.16189, -1.17504, 7},
    {"27016", "27700", "LES", "ANDELYS", 49.24560, 1.42836, 6},
    {"2A004", "20000", "", "AJACCIO", 41.93461, 8.70064, 8},
    {"2B033", "20200", "", "BASTIA", 42.68641, 9.42503, 7},
    {"35288", "35400", "", "SAINT-MALO", 48.63990, -1.98089, 6},
    {"83115", "83120", "", "SAINTE-MAXIME", 43.35655, 6.61161, 0},
    {"24520", "24200", "", "SARLAT-LA-CANEDA", 44.89827, 1.20672, 6},
    {"13055", "13000", "", "MARSEILLE", 43.29164, 5.42050, 8},
    {"69123", "69000", "", "LYON", 45.75485, 4.83638, 8},
    {"29232", "29000", "", "QUIMPER", 47.99696, -4.09104, 7},
};

// Map units: 1 km is 208 units (0.4 pixel per km at zoom 1), origin at 51.5 N, 5.5 W.
constexpr double UnitesParKm = 208.0;
double XCarte(double lon, double lat) {
    return (lon + 5.5) * 111.32 * std::cos(lat * M_PI / 180.0) * UnitesParKm;
}
double YCarte(double lat) {
    return (51.5 - lat) * 111.2 * UnitesParKm;
}

// A square of `cote` km whose north-west corner is (x0, y0) km from Versailles.
TPointsDep Carre(double x0Km, double y0Km, double coteKm) {
    TPointsDep p;
    for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
        p.AjoutePoint(
            static_cast<int>(XCarte(2.1175, 48.80229) + (x0Km + dx * coteKm) * UnitesParKm),
            static_cast<int>(YCarte(48.80229) + (y0Km + dy * coteKm) * UnitesParKm));
    return p;
}

} // namespace

std::vector<TCommune> CommunesEssai() {
    std::vector<TCommune> communes;
    for (const Ligne& l : Lignes) {
        TCommune c;
        c.Latitude = static_cast<float>(l.lat);
        c.Longitude = static_cast<float>(l.lon);
        c.XCarte = static_cast<float>(XCarte(l.lon, l.lat));
        c.YCarte = static_cast<float>(YCarte(l.lat));
        c.Rang = static_cast<std::uint8_t>(l.rang);
        c.Nom = l.nom;
        c.Article = l.article;
        c.CodeInsee = l.code;
        c.CodePostal = l.postal;
        communes.push_back(c);
    }
    std::sort(communes.begin(), communes.end(),
              [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
    for (std::size_t i = 0; i < communes.size(); ++i) {
        std::vector<std::pair<int, std::uint16_t>> voisines;
        for (std::size_t j = 0; j < communes.size(); ++j) {
            const int d = TCarteFrance::DistanceCommunes(communes[i], communes[j]);
            if (i != j && d <= 255) voisines.emplace_back(d, static_cast<std::uint16_t>(j));
        }
        std::sort(voisines.begin(), voisines.end());
        for (auto [d, j] : voisines) {
            communes[i].Voisins.push_back(j);
            communes[i].DistancesVoisins.push_back(static_cast<std::uint8_t>(d));
        }
    }
    return communes;
}

std::vector<TPointsDep> ContoursEssai() {
    // The country: a hexagon about 900 km across.
    TPointsDep pays;
    const double cx = XCarte(2.5, 46.6), cy = YCarte(46.6);
    for (int k = 0; k < 6; ++k) {
        const double a = k * M_PI / 3 + 0.3;
        pays.AjoutePoint(static_cast<int>(cx + 450 * UnitesParKm * std::cos(a)),
                         static_cast<int>(cy + 450 * UnitesParKm * std::sin(a)));
    }
    return {pays, Carre(-40, -25, 38), Carre(-2, -25, 30), Carre(-40, 13, 38), Carre(-2, 5, 35)};
}

std::vector<AnsiString> NomsDepartementsEssai() {
    std::vector<AnsiString> noms;
    for (int n = 1; n <= NombreDepartements; ++n)
        noms.push_back("Dept " + std::to_string(n));
    noms[13 - 1] = "Bouches-du-Rh\xF4ne";
    noms[17 - 1] = "Charente-Maritime";
    noms[20 - 1] = "Corse";
    noms[75 - 1] = "Paris";
    noms[76 - 1] = "Seine-Maritime";
    noms[78 - 1] = "Yvelines";
    noms[92 - 1] = "Hauts-de-Seine";
    noms[93 - 1] = "Seine-Saint-Denis";
    return noms;
}

std::unique_ptr<TCarteFrance> AtlasEssai() {
    std::vector<TDepartement> deps;
    for (TPointsDep& p : ContoursEssai()) {
        deps.emplace_back();
        deps.back().Contour = std::move(p);
    }
    return std::make_unique<TCarteFrance>(std::move(deps), CommunesEssai(),
                                          NomsDepartementsEssai());
}

void EcritAtlasEssai(const std::filesystem::path& dossier) {
    std::filesystem::create_directories(dossier);
    EcritFichierAtomique(dossier / NomFichierCommunes, EcritCommunes(CommunesEssai()));
    EcritFichierAtomique(dossier / NomFichierDepartements,
                         EcritNomsDepartements(NomsDepartementsEssai()));
    EcritFichierAtomique(dossier / NomFichierContours, EcritContours(ContoursEssai()));
}

int IndexCode(const std::vector<TCommune>& communes, const AnsiString& code) {
    for (std::size_t i = 0; i < communes.size(); ++i)
        if (communes[i].CodeInsee == code) return static_cast<int>(i);
    return -1;
}

} // namespace orlavine::essai
