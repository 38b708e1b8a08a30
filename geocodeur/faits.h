// Facts the reading of a place text needs beyond the atlas and the world file: the former
// names of the departments with the departments that followed them, the regions of France
// (today's, those before 2016), the provinces of the old kingdom and the territory annexed in
// 1871 with the departments they cover (geocodeur-build writes them into the world file's
// regions too, so that both searches read them alike), the two-letter postal abbreviations of
// the United States and Canada, and the short forms of country names genealogists write (UK,
// USA, RFA...). Small fixed tables, each with its source in faits.cpp. Toolkit-free, no
// genealogy data.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geocodeur {

// A French area named by a field: a department under a former name, a region or a province.
struct TZoneFrancaise {
    enum Genre : unsigned char {
        DepartementAncien, // "Seine-Inférieure": a former name of a department
        RegionActuelle,    // a region since 2016
        RegionAvant2016,   // "Bourgogne", "Basse-Normandie"
        Province,          // "Anjou", "Saintonge"
        Royaume,           // "Royaume de France": France before 1792
        Annexion,          // "Alsace-Lorraine": annexed by Germany from 1871 to 1918
    };
    const char* Nom;          // UTF-8, as written on the record
    Genre Nature;             //
    const char* Departements; // the department codes it covers, separated by spaces
};

// Every entry of the table (for tests).
std::span<const TZoneFrancaise> ZonesFrancaises();
// The entries whose name has this search key (geocodeur::Cle); a name may be a region and a
// province at once ("Bourgogne"): each comes.
std::vector<const TZoneFrancaise*> ZonesFrancaisesDeCle(std::string_view cle);
// The former areas of France by name, each once with the departments of all its entries
// (a name may be a region before 2016 and a province: "Alsace" 67 68 and 67 68 90), in the
// order of the tables: the former departments, the regions before 2016, the provinces and
// the annexed territory. Today's regions (the official list has them) and the names of France
// before 1792 (no department) are left out. What geocodeur-build writes into the world file.
struct TZoneAncienne {
    std::string Nom;
    std::vector<std::string> Departements;
};
std::vector<TZoneAncienne> ZonesAnciennes();
// The department codes of an entry ("78 91 95" -> {"78", "91", "95"}).
std::vector<std::string> DepartementsDe(const TZoneFrancaise& zone);
// « ancien département », « région d'avant 2016 », « ancienne province »... for the messages.
const char* LibelleNature(TZoneFrancaise::Genre nature);

// A state of the United States or a province or territory of Canada by its postal
// abbreviation.
struct TCodeEtat {
    const char* Code;   // "TX"
    const char* Pays;   // ISO 3166-1 alpha-2: "US" or "CA"
    const char* Nom;    // the English name, as the world file's provinces carry it
    const char* Admin1; // the world file's province code (GeoNames admin1): "TX", "10"
};
std::span<const TCodeEtat> CodesEtats();
// The state of an abbreviation (upper or lower case; "T.X." is not one), in country `pays`
// when given ("US", "CA"), else in either.
const TCodeEtat* EtatDeCode(std::string_view code, std::string_view pays = {});

// A country by a short form or a name the world file may lack: "UK", "USA", "U.S.A.", "RFA",
// "RDA", "Angleterre"... compared by search key.
struct TFormePays {
    const char* Forme; // as written
    const char* Iso;   // ISO 3166-1 alpha-2
};
std::span<const TFormePays> FormesPays();
// The ISO code of a short form ("U.S.A." -> "US"), or nothing.
std::optional<std::string> IsoDeForme(std::string_view texte);
// The same from a search key already made (geocodeur::Cle); null when none.
const std::string* IsoDeCle(const std::string& cle);

// A former name of a commune and the INSEE code of the commune that bears it today.
struct TNomAncienCommune {
    const char* Nom;       // "Châlons-sur-Marne"
    const char* CodeInsee; // "51108"
};
std::span<const TNomAncienCommune> NomsAnciensCommunes();

} // namespace orlavine::geocodeur
