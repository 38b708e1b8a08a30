#include "geocodeur/faits.h"

#include "geocodeur/cle.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace orlavine::geocodeur {

namespace {

using Z = TZoneFrancaise;

// Departments under a former name, with the departments that followed them.
// Source: INSEE, code officiel géographique, historique des départements (renamings of
// 1941-1990; Seine and Seine-et-Oise divided by the law of 10 July 1964, in force 1968;
// Corsica divided in 1976, Golo and Liamone 1793-1811; Meurthe and Moselle reshaped in 1871;
// Rhône-et-Loire divided in 1793; Mont-Blanc and Léman 1792-1815).
constexpr Z DepartementsAnciensTable[] = {
    {"Seine-Inférieure", Z::DepartementAncien, "76"},
    {"Loire-Inférieure", Z::DepartementAncien, "44"},
    {"Charente-Inférieure", Z::DepartementAncien, "17"},
    {"Basses-Pyrénées", Z::DepartementAncien, "64"},
    {"Basses-Alpes", Z::DepartementAncien, "04"},
    {"Côtes-du-Nord", Z::DepartementAncien, "22"},
    {"Seine-et-Oise", Z::DepartementAncien, "78 91 95 92 93 94"},
    {"Seine", Z::DepartementAncien, "75 92 93 94"},
    {"Meurthe", Z::DepartementAncien, "54 57"},
    {"Mayenne-et-Loire", Z::DepartementAncien, "49"},
    {"Rhône-et-Loire", Z::DepartementAncien, "69 42"},
    {"Golo", Z::DepartementAncien, "2B"},
    {"Liamone", Z::DepartementAncien, "2A"},
    {"Corse", Z::DepartementAncien, "2A 2B"},
    {"Mont-Blanc", Z::DepartementAncien, "73 74"},
    {"Léman", Z::DepartementAncien, "74"},
    {"Haut-Rhin (Territoire de Belfort)", Z::DepartementAncien, "90"},
};

// Regions of France since 2016. Source: loi n° 2015-29 du 16 janvier 2015 and décret
// n° 2016-1266 for their names (INSEE, code officiel géographique).
constexpr Z RegionsActuellesTable[] = {
    {"Auvergne-Rhône-Alpes", Z::RegionActuelle, "01 03 07 15 26 38 42 43 63 69 73 74"},
    {"Bourgogne-Franche-Comté", Z::RegionActuelle, "21 25 39 58 70 71 89 90"},
    {"Bretagne", Z::RegionActuelle, "22 29 35 56"},
    {"Centre-Val de Loire", Z::RegionActuelle, "18 28 36 37 41 45"},
    {"Corse", Z::RegionActuelle, "2A 2B"},
    {"Grand Est", Z::RegionActuelle, "08 10 51 52 54 55 57 67 68 88"},
    {"Hauts-de-France", Z::RegionActuelle, "02 59 60 62 80"},
    {"Île-de-France", Z::RegionActuelle, "75 77 78 91 92 93 94 95"},
    {"Normandie", Z::RegionActuelle, "14 27 50 61 76"},
    {"Nouvelle-Aquitaine", Z::RegionActuelle, "16 17 19 23 24 33 40 47 64 79 86 87"},
    {"Occitanie", Z::RegionActuelle, "09 11 12 30 31 32 34 46 48 65 66 81 82"},
    {"Pays de la Loire", Z::RegionActuelle, "44 49 53 72 85"},
    {"Provence-Alpes-Côte d'Azur", Z::RegionActuelle, "04 05 06 13 83 84"},
};

// Regions of 1982-2015 that the 2016 reform merged or renamed. Source: loi n° 72-619 du
// 5 juillet 1972 and décret n° 60-516 du 2 juin 1960 (the 22 metropolitan regions).
constexpr Z RegionsAvant2016Table[] = {
    {"Alsace", Z::RegionAvant2016, "67 68"},
    {"Aquitaine", Z::RegionAvant2016, "24 33 40 47 64"},
    {"Auvergne", Z::RegionAvant2016, "03 15 43 63"},
    {"Basse-Normandie", Z::RegionAvant2016, "14 50 61"},
    {"Bourgogne", Z::RegionAvant2016, "21 58 71 89"},
    {"Centre", Z::RegionAvant2016, "18 28 36 37 41 45"},
    {"Champagne-Ardenne", Z::RegionAvant2016, "08 10 51 52"},
    {"Franche-Comté", Z::RegionAvant2016, "25 39 70 90"},
    {"Haute-Normandie", Z::RegionAvant2016, "27 76"},
    {"Languedoc-Roussillon", Z::RegionAvant2016, "11 30 34 48 66"},
    {"Limousin", Z::RegionAvant2016, "19 23 87"},
    {"Lorraine", Z::RegionAvant2016, "54 55 57 88"},
    {"Midi-Pyrénées", Z::RegionAvant2016, "09 12 31 32 46 65 81 82"},
    {"Nord-Pas-de-Calais", Z::RegionAvant2016, "59 62"},
    {"Picardie", Z::RegionAvant2016, "02 60 80"},
    {"Poitou-Charentes", Z::RegionAvant2016, "16 17 79 86"},
    {"Rhône-Alpes", Z::RegionAvant2016, "01 07 26 38 42 69 73 74"},
};

// Provinces of the kingdom in 1789 and the departments that cover them, generously (a
// province only binds a place to these departments, and never vetoes a commune found by its
// code or its department). Source: the map of the provinces in 1789 of the Atlas historique
// de la France (the departments their territories fall in), with Savoie and the Comté de Nice
// (1860).
constexpr Z ProvincesTable[] = {
    {"Alsace", Z::Province, "67 68 90"},
    {"Angoumois", Z::Province, "16 17 24"},
    {"Anjou", Z::Province, "49 37 53 72 79 85"},
    {"Artois", Z::Province, "62"},
    {"Aunis", Z::Province, "17"},
    {"Auvergne", Z::Province, "03 15 43 63"},
    {"Béarn", Z::Province, "64"},
    {"Berry", Z::Province, "18 36"},
    {"Bourbonnais", Z::Province, "03 18 23 63"},
    {"Bourgogne", Z::Province, "01 10 21 52 58 71 89"},
    {"Bretagne", Z::Province, "22 29 35 44 56"},
    {"Champagne", Z::Province, "02 08 10 51 52 55 77 89"},
    {"Comtat Venaissin", Z::Province, "84"},
    {"Comté de Foix", Z::Province, "09"},
    {"Comté de Nice", Z::Province, "06"},
    {"Corse", Z::Province, "2A 2B"},
    {"Dauphiné", Z::Province, "05 26 38"},
    {"Flandre", Z::Province, "59"},
    {"Flandres", Z::Province, "59"},
    {"Foix", Z::Province, "09"},
    {"Franche-Comté", Z::Province, "25 39 70 90"},
    {"Gascogne", Z::Province, "09 31 32 33 40 47 64 65 82"},
    {"Guyenne", Z::Province, "12 24 33 40 46 47 82"},
    {"Hainaut", Z::Province, "59"},
    {"Île-de-France", Z::Province, "02 60 75 77 78 91 92 93 94 95"},
    {"Languedoc", Z::Province, "07 11 30 31 34 43 48 81 82"},
    {"Limousin", Z::Province, "19 23 24 87"},
    {"Lorraine", Z::Province, "54 55 57 88"},
    {"Lyonnais", Z::Province, "42 69"},
    {"Maine", Z::Province, "53 61 72"},
    {"Marche", Z::Province, "03 23 87"},
    {"Navarre", Z::Province, "64"},
    {"Nivernais", Z::Province, "58"},
    {"Normandie", Z::Province, "14 27 50 61 76"},
    {"Orléanais", Z::Province, "28 41 45 78 91"},
    {"Périgord", Z::Province, "24"},
    {"Picardie", Z::Province, "02 60 62 80"},
    {"Poitou", Z::Province, "16 79 85 86"},
    {"Provence", Z::Province, "04 05 06 13 83 84"},
    {"Quercy", Z::Province, "46 82"},
    {"Roussillon", Z::Province, "66"},
    {"Rouergue", Z::Province, "12"},
    {"Saintonge", Z::Province, "16 17"},
    {"Savoie", Z::Province, "73 74"},
    {"Touraine", Z::Province, "37"},
    {"Vivarais", Z::Province, "07"},
    {"Velay", Z::Province, "43"},
    {"Gévaudan", Z::Province, "48"},
    {"Forez", Z::Province, "42"},
    {"Beaujolais", Z::Province, "69 71"},
    {"Bigorre", Z::Province, "65"},
    {"Barrois", Z::Province, "52 54 55"},
    {"Perche", Z::Province, "28 61"},
    {"Vexin", Z::Province, "27 60 78 95"},
    {"Beauce", Z::Province, "28 45 78 91"},
    {"Brie", Z::Province, "02 51 77"},
    // France before the departments.
    {"Royaume de France", Z::Royaume, ""},
    {"Royaume", Z::Royaume, ""},
};

// The territory Germany annexed by the treaty of Frankfurt (10 May 1871) until November 1918
// (the treaty of Versailles confirmed its return): the Bas-Rhin, the Haut-Rhin without
// Belfort, the Moselle and part of the Meurthe, that is today's 57, 67 and 68.
constexpr Z AnnexionsTable[] = {
    {"Alsace-Lorraine", Z::Annexion, "57 67 68"},
};

constexpr std::array<std::span<const Z>, 5> Tables = {
    std::span<const Z>(DepartementsAnciensTable), std::span<const Z>(RegionsActuellesTable),
    std::span<const Z>(RegionsAvant2016Table), std::span<const Z>(ProvincesTable),
    std::span<const Z>(AnnexionsTable)};

// The two-letter postal abbreviations of the United States (USPS Publication 28, appendix B)
// and of Canada (Canada Post, "Addressing guidelines"), with the world file's province codes
// (GeoNames admin1: the same letters for the United States, numbers for Canada).
constexpr TCodeEtat CodesEtatsTable[] = {
    {"AL", "US", "Alabama", "AL"},
    {"AK", "US", "Alaska", "AK"},
    {"AZ", "US", "Arizona", "AZ"},
    {"AR", "US", "Arkansas", "AR"},
    {"CA", "US", "California", "CA"},
    {"CO", "US", "Colorado", "CO"},
    {"CT", "US", "Connecticut", "CT"},
    {"DE", "US", "Delaware", "DE"},
    {"DC", "US", "District of Columbia", "DC"},
    {"FL", "US", "Florida", "FL"},
    {"GA", "US", "Georgia", "GA"},
    {"HI", "US", "Hawaii", "HI"},
    {"ID", "US", "Idaho", "ID"},
    {"IL", "US", "Illinois", "IL"},
    {"IN", "US", "Indiana", "IN"},
    {"IA", "US", "Iowa", "IA"},
    {"KS", "US", "Kansas", "KS"},
    {"KY", "US", "Kentucky", "KY"},
    {"LA", "US", "Louisiana", "LA"},
    {"ME", "US", "Maine", "ME"},
    {"MD", "US", "Maryland", "MD"},
    {"MA", "US", "Massachusetts", "MA"},
    {"MI", "US", "Michigan", "MI"},
    {"MN", "US", "Minnesota", "MN"},
    {"MS", "US", "Mississippi", "MS"},
    {"MO", "US", "Missouri", "MO"},
    {"MT", "US", "Montana", "MT"},
    {"NE", "US", "Nebraska", "NE"},
    {"NV", "US", "Nevada", "NV"},
    {"NH", "US", "New Hampshire", "NH"},
    {"NJ", "US", "New Jersey", "NJ"},
    {"NM", "US", "New Mexico", "NM"},
    {"NY", "US", "New York", "NY"},
    {"NC", "US", "North Carolina", "NC"},
    {"ND", "US", "North Dakota", "ND"},
    {"OH", "US", "Ohio", "OH"},
    {"OK", "US", "Oklahoma", "OK"},
    {"OR", "US", "Oregon", "OR"},
    {"PA", "US", "Pennsylvania", "PA"},
    {"RI", "US", "Rhode Island", "RI"},
    {"SC", "US", "South Carolina", "SC"},
    {"SD", "US", "South Dakota", "SD"},
    {"TN", "US", "Tennessee", "TN"},
    {"TX", "US", "Texas", "TX"},
    {"UT", "US", "Utah", "UT"},
    {"VT", "US", "Vermont", "VT"},
    {"VA", "US", "Virginia", "VA"},
    {"WA", "US", "Washington", "WA"},
    {"WV", "US", "West Virginia", "WV"},
    {"WI", "US", "Wisconsin", "WI"},
    {"WY", "US", "Wyoming", "WY"},
    {"AB", "CA", "Alberta", "01"},
    {"BC", "CA", "British Columbia", "02"},
    {"MB", "CA", "Manitoba", "03"},
    {"NB", "CA", "New Brunswick", "04"},
    {"NL", "CA", "Newfoundland and Labrador", "05"},
    {"NS", "CA", "Nova Scotia", "07"},
    {"ON", "CA", "Ontario", "08"},
    {"PE", "CA", "Prince Edward Island", "09"},
    {"QC", "CA", "Quebec", "10"},
    {"SK", "CA", "Saskatchewan", "11"},
    {"YT", "CA", "Yukon", "12"},
    {"NT", "CA", "Northwest Territories", "13"},
    {"NU", "CA", "Nunavut", "14"},
};

// Short forms and names of countries seen in French and English records that the world
// file's names (French, English and local names of i18n-iso-countries) may lack. Sources:
// ISO 3166-1 for the codes; the usual abbreviations of French usage (RFA, RDA) and English
// usage (UK, USA, U.S.A.).
constexpr TFormePays FormesPaysTable[] = {
    {"UK", "GB"},         {"U.K.", "GB"},          {"GB", "GB"},
    {"G.B.", "GB"},       {"England", "GB"},       {"Scotland", "GB"},
    {"Wales", "GB"},      {"Great Britain", "GB"}, {"United Kingdom", "GB"},
    {"USA", "US"},        {"U.S.A.", "US"},        {"US", "US"},
    {"U.S.", "US"},       {"United States", "US"}, {"United States of America", "US"},
    {"Etats-Unis", "US"}, {"E.U.", "US"},          {"EUA", "US"},
    {"RFA", "DE"},        {"R.F.A.", "DE"},        {"BRD", "DE"},
    {"RDA", "DE"},        {"R.D.A.", "DE"},        {"DDR", "DE"},
    {"Germany", "DE"},    {"Deutschland", "DE"},   {"Prusse", "DE"},
    {"Belgium", "BE"},    {"Switzerland", "CH"},   {"Schweiz", "CH"},
    {"Italy", "IT"},      {"Italia", "IT"},        {"Spain", "ES"},
    {"España", "ES"},     {"Netherlands", "NL"},   {"Holland", "NL"},
    {"Canada", "CA"},     {"Luxemburg", "LU"},     {"Poland", "PL"},
    {"Polska", "PL"},     {"Austria", "AT"},       {"Portugal", "PT"},
    {"Ireland", "IE"},    {"Eire", "IE"},          {"Algeria", "DZ"},
    {"FR", "FR"},         {"France", "FR"},
};

// Communes renamed or merged under a new name, by the names records carry. Source: INSEE,
// code officiel géographique, historique des communes (changes of name).
constexpr TNomAncienCommune NomsAnciensTable[] = {
    {"Châlons-sur-Marne", "51108"},   {"Fontevrault", "49140"},       {"Cette", "34301"},
    {"Boulogne-sur-Seine", "92012"},  {"Mantes-Gassicourt", "78361"}, {"Mantes-sur-Seine", "78361"},
    {"Montreuil-sous-Bois", "93048"}, {"Charleville", "08105"},       {"Mézières", "08105"},
};

} // namespace

std::span<const TNomAncienCommune> NomsAnciensCommunes() {
    return NomsAnciensTable;
}

std::span<const TZoneFrancaise> ZonesFrancaises() {
    static const std::vector<TZoneFrancaise> toutes = [] {
        std::vector<TZoneFrancaise> v;
        for (const auto& t : Tables)
            v.insert(v.end(), t.begin(), t.end());
        return v;
    }();
    return toutes;
}

std::vector<const TZoneFrancaise*> ZonesFrancaisesDeCle(std::string_view cle) {
    struct Entree {
        std::string cle;
        const TZoneFrancaise* zone;
    };
    static const std::vector<Entree> index = [] {
        std::vector<Entree> v;
        for (const TZoneFrancaise& z : ZonesFrancaises())
            v.push_back({Cle(z.Nom), &z});
        std::stable_sort(v.begin(), v.end(),
                         [](const Entree& a, const Entree& b) { return a.cle < b.cle; });
        return v;
    }();
    std::vector<const TZoneFrancaise*> r;
    auto it = std::lower_bound(index.begin(), index.end(), cle,
                               [](const Entree& e, std::string_view c) { return e.cle < c; });
    for (; it != index.end() && it->cle == cle; ++it)
        r.push_back(it->zone);
    return r;
}

std::vector<TZoneAncienne> ZonesAnciennes() {
    std::vector<TZoneAncienne> r;
    std::unordered_map<std::string, std::size_t> parNom;
    for (const TZoneFrancaise& z : ZonesFrancaises()) {
        if (z.Nature == Z::RegionActuelle || z.Nature == Z::Royaume) continue;
        const auto [it, nouveau] = parNom.emplace(z.Nom, r.size());
        if (nouveau) r.push_back({z.Nom, {}});
        auto& deps = r[it->second].Departements;
        for (std::string& d : DepartementsDe(z))
            if (std::find(deps.begin(), deps.end(), d) == deps.end()) deps.push_back(std::move(d));
    }
    return r;
}

std::vector<std::string> DepartementsDe(const TZoneFrancaise& zone) {
    std::vector<std::string> r;
    std::string_view s = zone.Departements;
    while (!s.empty()) {
        const std::size_t espace = s.find(' ');
        if (espace != 0) r.emplace_back(s.substr(0, espace));
        if (espace == std::string_view::npos) break;
        s.remove_prefix(espace + 1);
    }
    return r;
}

const char* LibelleNature(TZoneFrancaise::Genre nature) {
    switch (nature) {
    case Z::DepartementAncien:
        return "ancien département";
    case Z::RegionActuelle:
        return "région";
    case Z::RegionAvant2016:
        return "région d'avant 2016";
    case Z::Province:
        return "ancienne province";
    case Z::Royaume:
        return "nom de la France d'avant 1792";
    case Z::Annexion:
        return "région annexée par l'Allemagne de 1871 à 1918";
    }
    return "";
}

std::span<const TCodeEtat> CodesEtats() {
    return CodesEtatsTable;
}

const TCodeEtat* EtatDeCode(std::string_view code, std::string_view pays) {
    if (code.size() != 2) return nullptr;
    char c[2];
    for (int i = 0; i < 2; ++i) {
        c[i] = code[static_cast<std::size_t>(i)];
        if (c[i] >= 'a' && c[i] <= 'z') c[i] = static_cast<char>(c[i] - 32);
    }
    for (const TCodeEtat& e : CodesEtatsTable)
        if (e.Code[0] == c[0] && e.Code[1] == c[1] && (pays.empty() || pays == e.Pays)) return &e;
    return nullptr;
}

std::span<const TFormePays> FormesPays() {
    return FormesPaysTable;
}

const std::string* IsoDeCle(const std::string& cle) {
    static const std::unordered_map<std::string, std::string> parCle = [] {
        std::unordered_map<std::string, std::string> m;
        for (const TFormePays& f : FormesPaysTable)
            m.emplace(Cle(f.Forme), f.Iso);
        return m;
    }();
    const auto it = parCle.find(cle);
    return it == parCle.end() ? nullptr : &it->second;
}

std::optional<std::string> IsoDeForme(std::string_view texte) {
    if (const std::string* iso = IsoDeCle(Cle(texte))) return *iso;
    return std::nullopt;
}

} // namespace orlavine::geocodeur
