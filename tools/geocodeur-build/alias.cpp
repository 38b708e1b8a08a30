// Our own names: what French genealogists write for countries and provinces abroad (their
// towns are in geocodeur/exonymes.cpp), and the former regions and provinces of France with
// the departments they cover (generous sets: a region here only rules out places outside
// them).
#include "tools/geocodeur-build/construction.h"

#include <map>

namespace orlavine::geocodeurbuild {

const std::vector<AliasPays>& AliasDePays() {
    static const std::vector<AliasPays> alias = {
        {"Angleterre", "GB/ENG"},
        {"Écosse", "GB/SCT"},
        {"Pays de Galles", "GB/WLS"},
        {"Irlande du Nord", "GB/NIR"},
        {"Grande-Bretagne", "GB"},
        {"Royaume-Uni", "GB"},
        {"États-Unis", "US"},
        {"Etats-Unis d'Amérique", "US"},
        {"Amérique", "US"},
        {"Louisiane", "US/LA"},
        {"Allemagne", "DE"},
        {"RFA", "DE"},
        {"Belgique", "BE"},
        {"Wallonie", "BE/WAL"},
        {"Flandre", "BE/VLG"},
        {"Flandres", "BE/VLG"},
        // Belgian provinces (second-level in GeoNames): their region.
        {"Anvers", "BE/VLG"},
        {"Limbourg", "BE/VLG"},
        {"Flandre-Occidentale", "BE/VLG"},
        {"Flandre-Orientale", "BE/VLG"},
        {"Brabant", "BE/VLG"},
        {"Brabant", "BE/WAL"},
        {"Brabant", "BE/BRU"},
        {"Brabant flamand", "BE/VLG"},
        {"Brabant wallon", "BE/WAL"},
        {"Hainaut", "BE/WAL"},
        {"Liège", "BE/WAL"},
        {"Luxembourg", "BE/WAL"},
        {"Namur", "BE/WAL"},
        {"Hollande", "NL"},
        {"Limbourg", "NL/05"},
        {"Pays-Bas", "NL"},
        {"Suisse", "CH"},
        {"Italie", "IT"},
        {"Espagne", "ES"},
        {"Algérie", "DZ"},
        {"Maroc", "MA"},
        {"Tunisie", "TN"},
        {"Québec", "CA/10"},
        {"Bas-Canada", "CA/10"},
        {"Acadie", "CA"},
        {"Luxembourg", "LU"},
        {"Monaco", "MC"},
        {"Russie", "RU"},
        {"Pologne", "PL"},
        {"Autriche", "AT"},
        {"Bavière", "DE/02"},
        {"Rhénanie", "DE/07"},
        {"Rhénanie", "DE/08"},
        {"Sarre", "DE/09"},
        {"Piémont", "IT/12"},
        {"Sardaigne", "IT/14"},
        {"Catalogne", "ES/56"},
    };
    return alias;
}

const std::vector<RegionAncienne>& RegionsAnciennes() {
    static const std::vector<RegionAncienne> regions = {
        // Regions before 2016.
        {"Alsace", "67 68"},
        {"Aquitaine", "24 33 40 47 64"},
        {"Auvergne", "03 15 43 63"},
        {"Basse-Normandie", "14 50 61"},
        {"Haute-Normandie", "27 76"},
        {"Bourgogne", "21 58 71 89"},
        {"Centre", "18 28 36 37 41 45"},
        {"Champagne-Ardenne", "08 10 51 52"},
        {"Franche-Comté", "25 39 70 90"},
        {"Languedoc-Roussillon", "11 30 34 48 66"},
        {"Limousin", "19 23 87"},
        {"Lorraine", "54 55 57 88"},
        {"Midi-Pyrénées", "09 12 31 32 46 65 81 82"},
        {"Nord-Pas-de-Calais", "59 62"},
        {"Picardie", "02 60 80"},
        {"Poitou-Charentes", "16 17 79 86"},
        {"Rhône-Alpes", "01 07 26 38 42 69 73 74"},
        // Departments renamed or divided.
        {"Seine-Inférieure", "76"},
        {"Loire-Inférieure", "44"},
        {"Charente-Inférieure", "17"},
        {"Basses-Pyrénées", "64"},
        {"Basses-Alpes", "04"},
        {"Côtes-du-Nord", "22"},
        {"Seine-et-Oise", "78 91 95"},
        {"Seine", "75 92 93 94"},
        {"Corse", "2A 2B"},
        {"Alsace-Lorraine", "57 67 68"},
        {"Comté de Nice", "06"},
        // Provinces of the old kingdom.
        {"Lyonnais", "69 42"},
        {"Forez", "42"},
        {"Beaujolais", "69 71"},
        {"Provence", "04 05 06 13 83 84"},
        {"Dauphiné", "38 26 05"},
        {"Languedoc", "07 11 30 31 34 43 48 81 82"},
        {"Gascogne", "09 31 32 33 40 47 64 65 82"},
        {"Guyenne", "12 24 33 40 46 47 82"},
        {"Béarn", "64"},
        {"Bigorre", "65"},
        {"Roussillon", "66"},
        {"Quercy", "46 82"},
        {"Rouergue", "12"},
        {"Gévaudan", "48"},
        {"Vivarais", "07"},
        {"Velay", "43"},
        {"Savoie", "73 74"},
        {"Angoumois", "16"},
        {"Saintonge", "16 17"},
        {"Aunis", "17"},
        {"Poitou", "79 85 86"},
        {"Anjou", "49 37 53 72"},
        {"Touraine", "37"},
        {"Berry", "18 36"},
        {"Orléanais", "28 41 45"},
        {"Nivernais", "58"},
        {"Bourbonnais", "03"},
        {"Marche", "23 87"},
        {"Périgord", "24"},
        {"Artois", "62"},
        {"Flandre", "59"},
        {"Flandres", "59"},
        {"Hainaut", "59"},
        {"Champagne", "02 08 10 51 52 77"},
        {"Brie", "02 51 77"},
        {"Beauce", "28 45 78 91"},
        {"Vexin", "27 60 78 95"},
        {"Perche", "28 61"},
        {"Barrois", "52 54 55"},
        {"Comtat Venaissin", "84"},
        {"Navarre", "64"},
    };
    return regions;
}

const char* PaysOutreMer(const std::string& code) {
    static const std::map<std::string, const char*> pays = {
        {"971", "GP"}, {"972", "MQ"}, {"973", "GF"}, {"974", "RE"}, {"975", "PM"}, {"976", "YT"},
        {"977", "BL"}, {"978", "MF"}, {"984", "TF"}, {"986", "WF"}, {"987", "PF"}, {"988", "NC"},
    };
    const auto p = pays.find(code);
    return p == pays.end() ? nullptr : p->second;
}

} // namespace orlavine::geocodeurbuild
