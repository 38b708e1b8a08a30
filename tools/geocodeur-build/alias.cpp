// Our own names: what French genealogists write for countries and provinces abroad (their
// towns are in geocodeur/exonymes.cpp). The former departments, regions and provinces of
// France come from geocodeur/faits.cpp, which the reading of place fields uses too.
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

const char* PaysOutreMer(const std::string& code) {
    static const std::map<std::string, const char*> pays = {
        {"971", "GP"}, {"972", "MQ"}, {"973", "GF"}, {"974", "RE"}, {"975", "PM"}, {"976", "YT"},
        {"977", "BL"}, {"978", "MF"}, {"984", "TF"}, {"986", "WF"}, {"987", "PF"}, {"988", "NC"},
    };
    const auto p = pays.find(code);
    return p == pays.end() ? nullptr : p->second;
}

} // namespace orlavine::geocodeurbuild
