#include "bench/generateur.h"

#include "atlas/carte_france.h"
#include "atlas/fichiers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace orlavine {

namespace {

// Random draws built on the raw engine only: the standard distributions differ from one
// library to another, the atlas must not.
class Hasard {
public:
    explicit Hasard(std::uint32_t graine) : moteur_(graine) {}
    double Uniforme() { return moteur_() / 4294967296.0; } // [0, 1)
    std::size_t Entier(std::size_t n) { return static_cast<std::size_t>(Uniforme() * n); }
    bool Chance(double p) { return Uniforme() < p; }
    double Normale() {
        const double u1 = 1.0 - Uniforme(); // (0, 1]
        const double u2 = Uniforme();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
    }
    const char* Parmi(std::span<const char* const> liste) { return liste[Entier(liste.size())]; }

private:
    std::mt19937 moteur_;
};

// How the names of a region sound.
enum class Style { Centre, Nord, Est, Bretagne, SudOuest, SudEst, Corse };

struct InfoDepartement {
    const char* Code;   // first two characters of the INSEE codes
    double Latitude;    // centre, degrees
    double Longitude;   // centre, degrees
    int Poids;          // about the number of communes it has
    double Etalement;   // standard deviation of the latitudes around the centre, degrees
    double Allongement; // east-west spread relative to the north-south one
    Style Sonorite;
    std::uint8_t RangChefLieu; // 7, or 8 for a regional capital, 9 for Paris
};

using S = Style;
constexpr std::array<InfoDepartement, 96> Departements = {{
    {"01", 46.10, 5.35, 393, 0.28, 1.0, S::SudEst, 7},
    {"02", 49.55, 3.55, 800, 0.32, 1.0, S::Nord, 7},
    {"03", 46.40, 3.20, 317, 0.28, 1.2, S::Centre, 7},
    {"04", 44.10, 6.25, 198, 0.30, 1.0, S::SudEst, 7},
    {"05", 44.65, 6.30, 163, 0.28, 1.0, S::SudEst, 7},
    {"06", 43.90, 7.15, 163, 0.22, 1.0, S::SudEst, 7},
    {"07", 44.75, 4.40, 339, 0.30, 0.8, S::SudEst, 7},
    {"08", 49.60, 4.65, 449, 0.28, 1.0, S::Nord, 7},
    {"09", 42.95, 1.50, 331, 0.22, 1.4, S::SudOuest, 7},
    {"10", 48.30, 4.15, 431, 0.28, 1.1, S::Centre, 7},
    {"11", 43.10, 2.40, 436, 0.25, 1.3, S::SudOuest, 7},
    {"12", 44.30, 2.65, 285, 0.32, 1.1, S::SudOuest, 7},
    {"13", 43.50, 5.10, 119, 0.16, 1.5, S::SudEst, 8},
    {"14", 49.10, -0.35, 538, 0.20, 1.6, S::Centre, 7},
    {"15", 45.05, 2.65, 247, 0.28, 1.0, S::SudOuest, 7},
    {"16", 45.70, 0.20, 383, 0.28, 1.0, S::SudOuest, 7},
    {"17", 45.75, -0.70, 466, 0.35, 0.8, S::SudOuest, 7},
    {"18", 47.05, 2.50, 290, 0.32, 0.9, S::Centre, 7},
    {"19", 45.35, 1.90, 280, 0.25, 1.2, S::SudOuest, 7},
    {"2A", 41.85, 8.95, 124, 0.25, 0.5, S::Corse, 8},
    {"2B", 42.40, 9.20, 236, 0.28, 0.5, S::Corse, 7},
    {"21", 47.45, 4.75, 698, 0.32, 1.1, S::Centre, 8},
    {"22", 48.45, -2.85, 355, 0.20, 1.7, S::Bretagne, 7},
    {"23", 46.10, 2.00, 256, 0.22, 1.2, S::Centre, 7},
    {"24", 45.10, 0.75, 520, 0.32, 1.0, S::SudOuest, 7},
    {"25", 47.15, 6.35, 585, 0.28, 1.0, S::Est, 7},
    {"26", 44.70, 5.15, 364, 0.35, 0.7, S::SudEst, 7},
    {"27", 49.10, 1.00, 600, 0.25, 1.3, S::Centre, 7},
    {"28", 48.40, 1.35, 370, 0.30, 1.0, S::Centre, 7},
    {"29", 48.25, -4.10, 279, 0.25, 1.3, S::Bretagne, 7},
    {"30", 44.00, 4.20, 351, 0.28, 1.2, S::SudEst, 7},
    {"31", 43.40, 1.20, 586, 0.35, 0.8, S::SudOuest, 8},
    {"32", 43.70, 0.45, 461, 0.25, 1.2, S::SudOuest, 7},
    {"33", 44.85, -0.55, 535, 0.38, 0.9, S::SudOuest, 8},
    {"34", 43.60, 3.40, 342, 0.22, 1.5, S::SudEst, 7},
    {"35", 48.15, -1.65, 333, 0.28, 1.0, S::Bretagne, 8},
    {"36", 46.80, 1.55, 243, 0.28, 1.1, S::Centre, 7},
    {"37", 47.25, 0.70, 273, 0.28, 1.0, S::Centre, 7},
    {"38", 45.25, 5.55, 512, 0.32, 1.0, S::SudEst, 7},
    {"39", 46.75, 5.70, 509, 0.32, 0.7, S::Est, 7},
    {"40", 43.95, -0.75, 327, 0.35, 0.9, S::SudOuest, 7},
    {"41", 47.60, 1.40, 267, 0.25, 1.4, S::Centre, 7},
    {"42", 45.70, 4.20, 323, 0.32, 0.7, S::SudEst, 7},
    {"43", 45.10, 3.80, 257, 0.25, 1.2, S::SudEst, 7},
    {"44", 47.35, -1.70, 212, 0.25, 1.4, S::Bretagne, 8},
    {"45", 47.90, 2.15, 326, 0.25, 1.5, S::Centre, 8},
    {"46", 44.60, 1.60, 313, 0.25, 1.2, S::SudOuest, 7},
    {"47", 44.35, 0.45, 319, 0.25, 1.2, S::SudOuest, 7},
    {"48", 44.50, 3.50, 152, 0.22, 1.1, S::SudEst, 7},
    {"49", 47.40, -0.55, 186, 0.25, 1.4, S::Centre, 7},
    {"50", 49.10, -1.30, 446, 0.40, 0.5, S::Centre, 7},
    {"51", 48.95, 4.20, 613, 0.32, 1.2, S::Centre, 7},
    {"52", 48.10, 5.20, 426, 0.32, 0.8, S::Est, 7},
    {"53", 48.15, -0.65, 242, 0.28, 0.9, S::Centre, 7},
    {"54", 48.80, 6.15, 591, 0.38, 0.6, S::Est, 7},
    {"55", 49.00, 5.40, 499, 0.38, 0.6, S::Est, 7},
    {"56", 47.85, -2.80, 250, 0.20, 1.6, S::Bretagne, 7},
    {"57", 49.05, 6.65, 725, 0.25, 1.3, S::Est, 7},
    {"58", 47.10, 3.50, 309, 0.28, 1.1, S::Centre, 7},
    {"59", 50.45, 3.25, 648, 0.28, 1.0, S::Nord, 8},
    {"60", 49.40, 2.45, 679, 0.22, 1.6, S::Nord, 7},
    {"61", 48.60, 0.10, 385, 0.20, 1.8, S::Centre, 7},
    {"62", 50.50, 2.30, 890, 0.22, 1.4, S::Nord, 7},
    {"63", 45.70, 3.15, 464, 0.30, 1.1, S::SudEst, 7},
    {"64", 43.25, -0.75, 546, 0.20, 1.8, S::SudOuest, 7},
    {"65", 43.05, 0.15, 470, 0.25, 0.8, S::SudOuest, 7},
    {"66", 42.60, 2.50, 226, 0.15, 1.6, S::SudOuest, 7},
    {"67", 48.65, 7.55, 514, 0.32, 0.6, S::Est, 8},
    {"68", 47.85, 7.25, 366, 0.30, 0.6, S::Est, 7},
    {"69", 45.85, 4.65, 267, 0.25, 0.7, S::SudEst, 8},
    {"70", 47.65, 6.10, 542, 0.22, 1.4, S::Est, 7},
    {"71", 46.65, 4.55, 565, 0.28, 1.4, S::Centre, 7},
    {"72", 47.95, 0.20, 365, 0.25, 1.2, S::Centre, 7},
    {"73", 45.50, 6.45, 285, 0.22, 1.5, S::SudEst, 7},
    {"74", 46.05, 6.40, 279, 0.22, 1.2, S::SudEst, 7},
    {"75", 48.856, 2.352, 1, 0.0, 1.0, S::Centre, 9},
    {"76", 49.65, 1.00, 708, 0.20, 1.8, S::Centre, 8},
    {"77", 48.60, 2.95, 510, 0.28, 1.0, S::Centre, 7},
    {"78", 48.80, 1.85, 259, 0.18, 1.1, S::Centre, 7},
    {"79", 46.55, -0.30, 256, 0.35, 0.6, S::SudOuest, 7},
    {"80", 49.95, 2.30, 772, 0.20, 1.7, S::Nord, 7},
    {"81", 43.80, 2.15, 319, 0.25, 1.2, S::SudOuest, 7},
    {"82", 44.05, 1.30, 195, 0.20, 1.3, S::SudOuest, 7},
    {"83", 43.45, 6.20, 153, 0.20, 1.6, S::SudEst, 7},
    {"84", 44.00, 5.15, 151, 0.18, 1.4, S::SudEst, 7},
    {"85", 46.65, -1.30, 258, 0.25, 1.3, S::Centre, 7},
    {"86", 46.55, 0.45, 266, 0.35, 0.8, S::SudOuest, 7},
    {"87", 45.90, 1.25, 195, 0.25, 1.0, S::SudOuest, 7},
    {"88", 48.20, 6.40, 507, 0.20, 1.6, S::Est, 7},
    {"89", 47.80, 3.55, 423, 0.28, 1.2, S::Centre, 7},
    {"90", 47.65, 6.90, 101, 0.08, 1.0, S::Est, 7},
    {"91", 48.50, 2.25, 194, 0.14, 1.2, S::Centre, 7},
    {"92", 48.85, 2.22, 36, 0.04, 1.0, S::Centre, 7},
    {"93", 48.92, 2.48, 40, 0.04, 1.2, S::Centre, 7},
    {"94", 48.78, 2.47, 47, 0.04, 1.2, S::Centre, 7},
    {"95", 49.07, 2.20, 184, 0.12, 1.6, S::Centre, 7},
}};

// Names of departments 1 to 95, upper case as the atlas keeps them (UTF-8 here).
// clang-format off
constexpr std::array<const char*, 95> NomsDepartementsUtf8 = {
    "AIN", "AISNE", "ALLIER", "ALPES-DE-HAUTE-PROVENCE", "HAUTES-ALPES", "ALPES-MARITIMES",
    "ARDÈCHE", "ARDENNES", "ARIÈGE", "AUBE", "AUDE", "AVEYRON", "BOUCHES-DU-RHÔNE", "CALVADOS",
    "CANTAL", "CHARENTE", "CHARENTE-MARITIME", "CHER", "CORRÈZE", "CORSE", "CÔTE-D'OR",
    "CÔTES-D'ARMOR", "CREUSE", "DORDOGNE", "DOUBS", "DRÔME", "EURE", "EURE-ET-LOIR", "FINISTÈRE",
    "GARD", "HAUTE-GARONNE", "GERS", "GIRONDE", "HÉRAULT", "ILLE-ET-VILAINE", "INDRE",
    "INDRE-ET-LOIRE", "ISÈRE", "JURA", "LANDES", "LOIR-ET-CHER", "LOIRE", "HAUTE-LOIRE",
    "LOIRE-ATLANTIQUE", "LOIRET", "LOT", "LOT-ET-GARONNE", "LOZÈRE", "MAINE-ET-LOIRE", "MANCHE",
    "MARNE", "HAUTE-MARNE", "MAYENNE", "MEURTHE-ET-MOSELLE", "MEUSE", "MORBIHAN", "MOSELLE",
    "NIÈVRE", "NORD", "OISE", "ORNE", "PAS-DE-CALAIS", "PUY-DE-DÔME", "PYRÉNÉES-ATLANTIQUES",
    "HAUTES-PYRÉNÉES", "PYRÉNÉES-ORIENTALES", "BAS-RHIN", "HAUT-RHIN", "RHÔNE", "HAUTE-SAÔNE",
    "SAÔNE-ET-LOIRE", "SARTHE", "SAVOIE", "HAUTE-SAVOIE", "PARIS", "SEINE-MARITIME",
    "SEINE-ET-MARNE", "YVELINES", "DEUX-SÈVRES", "SOMME", "TARN", "TARN-ET-GARONNE", "VAR",
    "VAUCLUSE", "VENDÉE", "VIENNE", "HAUTE-VIENNE", "VOSGES", "YONNE", "TERRITOIRE DE BELFORT",
    "ESSONNE", "HAUTS-DE-SEINE", "SEINE-SAINT-DENIS", "VAL-DE-MARNE", "VAL-D'OISE"};
// clang-format on

// ---- Names -------------------------------------------------------------------------------

constexpr const char* Debuts[] = {
    "AR",  "AU",  "BAR", "BEL", "BER", "BLAN", "BOU", "BRE",  "CAS",  "CHA",  "CHAM", "CHE",
    "COR", "COU", "DAM", "ES",  "FON", "FRE",  "GAR", "GER",  "GRAN", "LA",   "LAN",  "LOU",
    "MAR", "MAS", "MON", "MOR", "NEU", "OR",   "PER", "PLAN", "POM",  "QUIN", "RO",   "ROU",
    "SAL", "SAU", "SER", "TOR", "TOU", "VAL",  "VAU", "VER",  "VIL",  "AM",   "AN",   "BAI",
    "CLE", "DOM", "GOU", "HAU", "JU",  "LI",   "MEZ", "NO",   "PRE",  "SOU",  "TRI",  "VI"};
constexpr const char* DebutsBretons[] = {"PLOU", "KER", "TRE", "LAN",  "LOC", "GUI",
                                         "PLE",  "PLO", "PEN", "TREG", "LEZ", "QUIM"};
constexpr const char* Milieux[] = {"",   "",   "",   "",   "BI", "DE", "GNE", "LI", "LO",
                                   "MI", "NI", "RI", "SE", "TI", "VE", "RA",  "CE", "BE"};
constexpr const char* FinsCentre[] = {"Y",    "IGNY", "VILLE", "AY",      "ET",   "IERES",
                                      "EUIL", "ON",   "ANS",   "ONVILLE", "ILLY", "ERY",
                                      "OIS",  "EAUX", "ENNES", "IN",      "ERES", "OUX"};
constexpr const char* FinsNord[] = {"COURT",   "GHEM",   "HEM", "ECQUES", "INGHEM", "VILLE",
                                    "Y",       "IES",    "AIN", "ERQUE",  "BECQUE", "ON",
                                    "ENCOURT", "ICOURT", "OY",  "ELLES"};
constexpr const char* FinsEst[] = {"HEIM",   "ANGE",   "INGEN",   "VILLER", "VILLE", "ACH",
                                   "HOFFEN", "WILLER", "ING",     "COURT",  "EY",    "ANGES",
                                   "BACH",   "DORF",   "ONCOURT", "IERES"};
constexpr const char* FinsBretonnes[] = {"EC", "AN", "OU", "EN", "IC",   "ERN", "ENEC",
                                         "OC", "AZ", "ON", "EL", "ERIN", "OET", "ELEC"};
constexpr const char* FinsSudOuest[] = {"AC",  "ARGUES", "ENS",   "AN",   "OS",   "ET",
                                        "AS",  "ECH",    "OUS",   "AT",   "ERES", "ADE",
                                        "IAC", "EIX",    "AGUET", "OUILH"};
constexpr const char* FinsSudEst[] = {"ES", "AN", "IEU", "OZ",   "AZ", "EYS",  "ANE",  "ARGUES",
                                      "AS", "ET", "OLE", "AGNE", "ON", "IEUX", "ASSE", "ILLE"};
constexpr const char* FinsCorses[] = {"ACCIA", "ANO",  "ELLO", "ASCA", "INCO", "OLI",
                                      "ETO",   "ACCE", "ONE",  "ALE",  "OGNA", "ICCIA"};

constexpr const char* Saints[] = {
    "MARTIN",    "GERMAIN",    "JEAN",       "PIERRE",  "LAURENT", "GEORGES", "ETIENNE",
    "HILAIRE",   "DENIS",      "JULIEN",     "AUBIN",   "MAURICE", "VINCENT", "CYR",
    "PAUL",      "SULPICE",    "LOUP",       "MEDARD",  "MARCEL",  "ANDRE",   "MICHEL",
    "NICOLAS",   "SAUVEUR",    "BONNET",     "REMY",    "QUENTIN", "ROMAIN",  "SEBASTIEN",
    "AMAND",     "BRICE",      "CHRISTOPHE", "DIDIER",  "EUGENE",  "FLOUR",   "GENIS",
    "JACQUES",   "JUST",       "LEGER",      "LUBIN",   "MAMERT",  "OUEN",    "PALAIS",
    "PRIEST",    "SORLIN",     "VALERY",     "VIVIEN",  "YRIEIX",  "BENOIT",  "CLAUDE",
    "DIZIER",    "FIRMIN",     "GILLES",     "LEONARD", "LOUIS",   "OMER",    "PARDOUX",
    "SATURNIN",  "SYMPHORIEN", "THIBAULT",   "VALLIER", "VICTOR",  "AGNAN",   "ALBAN",
    "BARTHELEME"};
constexpr const char* Saintes[] = {"MARIE",  "COLOMBE",    "FOY",       "GENEVIEVE", "CROIX",
                                   "ANNE",   "MARGUERITE", "RADEGONDE", "EULALIE",   "LUCE",
                                   "CECILE", "HELENE",     "MARTHE",    "SEVERE",    "SOLANGE",
                                   "AGATHE", "GEMME",      "FEYRE",     "MAXIME",    "ODILE"};
constexpr const char* Rivieres[] = {
    "SEINE",    "LOIRE", "MARNE", "AUBE",  "OISE",   "SAONE",   "RHONE",  "GARONNE",
    "DORDOGNE", "LOT",   "TARN",  "YONNE", "CHER",   "INDRE",   "VIENNE", "MEUSE",
    "MOSELLE",  "SOMME", "AISNE", "ORNE",  "SARTHE", "MAYENNE", "ALLIER", "ISERE",
    "DROME",    "AUDE",  "ADOUR", "MER",   "ORGE",   "EURE",    "ESCAUT", "SARRE",
    "CHARENTE", "DOUBS", "AIN",   "LOIR",  "VEZERE", "BLAISE",  "OUCHE",  "SEILLE"};
constexpr const char* Pays[] = {"BRIE",    "BRESSE",    "VEXIN",    "CAUX",     "ARGONNE",
                                "AUXOIS",  "FOREZ",     "GATINAIS", "DIOIS",    "BEAUJOLAIS",
                                "VELAY",   "CHAMPAGNE", "SOLOGNE",  "TRIEVES",  "QUERCY",
                                "DEVOLUY", "OISANS",    "BOCAGE",   "MONTAGNE", "FORET"};
constexpr const char* MotsCourants[] = {
    "VILLENEUVE", "CHATEAUNEUF", "NEUVILLE",  "BEAUMONT",  "MONTIGNY",    "VILLIERS",
    "FONTAINE",   "BOURG",       "ROCHEFORT", "CHAMPAGNE", "MONTREUIL",   "VILLEMUR",
    "BELLEVUE",   "MAISONS",     "MOUTIERS",  "BREUIL",    "PLESSIS",     "FRESNES",
    "CHATILLON",  "CHAMPIGNY",   "SAVIGNY",   "VERNEUIL",  "MONTFORT",    "BEAULIEU",
    "BELLEGARDE", "MIREBEAU",    "VALENCE",   "AUBIGNY",   "CHAMPIGNEUL", "ROMAGNY"};
constexpr const char* Qualificatifs[] = {"LE-GRAND",    "LE-PETIT",  "LE-ROI",      "LE-CHATEL",
                                         "LE-VIEUX",    "LE-COMTE",  "LA-FORET",    "LA-RIVIERE",
                                         "LA-GARENNE",  "LA-VILLE",  "LE-BOCAGE",   "LE-HAUT",
                                         "LA-CAMPAGNE", "LE-MARCHE", "LA-MONTAGNE", "LE-PONT"};
constexpr const char* ApresSous[] = {"BOIS", "MONT", "ROCHE", "CHATEAU", "COTE", "FORET"};
constexpr const char* ApresDu[] = {"BOIS", "MONT", "LAC", "PIN", "PONT", "VAL", "PUY", "CHATEAU"};
constexpr const char* ApresDes[] = {"PRES", "BOIS", "VIGNES", "CHAMPS", "NOES", "MONTS"};
constexpr const char* NomsAvecLe[] = {"MESNIL",  "PLESSIS", "BREUIL",   "THEIL",  "BOURG",
                                      "PIN",     "VAL",     "MONT",     "FRESNE", "CHATELET",
                                      "PONTET",  "BOUSCAT", "CHEYLARD", "VERNET", "PUY",
                                      "PERTHUS", "MAS",     "ROVE",     "LUC",    "TEIL"};
constexpr const char* NomsAvecLa[] = {
    "CHAPELLE", "ROCHE", "FERTE",      "BASTIDE",  "SALLE", "MOTTE",       "VILLEDIEU",
    "TRINITE",  "GARDE", "BAULE",      "COURONNE", "MURE",  "SOUTERRAINE", "TOUR",
    "CELLE",    "BREDE", "FOUILLOUSE", "FERRIERE", "GRAVE", "CHARITE"};
constexpr const char* NomsAvecLes[] = {"ESSARTS",   "MOUTIERS", "ANDELYS",   "AIX",   "HOUCHES",
                                       "AVANCHERS", "MAGES",    "PAVILLONS", "LILAS", "ULIS",
                                       "SABLES",    "ROUSSES",  "CABANNES",  "VANS",  "ORMES"};

std::span<const char* const> Fins(Style style) {
    switch (style) {
    case Style::Nord:
        return FinsNord;
    case Style::Est:
        return FinsEst;
    case Style::Bretagne:
        return FinsBretonnes;
    case Style::SudOuest:
        return FinsSudOuest;
    case Style::SudEst:
        return FinsSudEst;
    case Style::Corse:
        return FinsCorses;
    case Style::Centre:
        break;
    }
    return FinsCentre;
}

bool Voyelle(char c) {
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U' || c == 'Y';
}

// Joins two syllables without a run of vowels across the seam: "QUINTI" + "IERES" gives
// "QUINTIERES", "LOUGNE" + "EYS" "LOUGNEYS".
void Joint(AnsiString& nom, std::string_view suite) {
    while (!suite.empty() && nom.size() > 2 && Voyelle(nom.back()) && Voyelle(suite.front()))
        nom.pop_back();
    if (!nom.empty() && !suite.empty() && Voyelle(nom.back()) && Voyelle(suite.front()) &&
        suite.size() > 1)
        suite.remove_prefix(1);
    nom += suite;
}

AnsiString Radical(Hasard& h, Style style) {
    AnsiString nom =
        (style == Style::Bretagne && h.Chance(0.6)) ? h.Parmi(DebutsBretons) : h.Parmi(Debuts);
    Joint(nom, h.Parmi(Milieux));
    Joint(nom, h.Parmi(Fins(style)));
    return nom;
}

AnsiString Base(Hasard& h, Style style) {
    return h.Chance(0.25) ? AnsiString(h.Parmi(MotsCourants)) : Radical(h, style);
}

// "-SUR-MARNE", "-LES-BEAUNE", "-EN-BRIE", "-LE-GRAND"...
AnsiString Complement(Hasard& h, Style style) {
    switch (h.Entier(10)) {
    case 0:
    case 1:
    case 2:
        return AnsiString("-SUR-") + h.Parmi(Rivieres);
    case 3:
        return AnsiString("-EN-") + h.Parmi(Pays);
    case 4:
        return "-LES-" + Radical(h, style);
    case 5: { // elided before a vowel: "-D'ASCQ"
        const AnsiString suite = Radical(h, style);
        return (Voyelle(suite.front()) ? "-D'" : "-DE-") + suite;
    }
    case 6:
        return AnsiString("-") + h.Parmi(Qualificatifs);
    case 7:
        return AnsiString("-SOUS-") +
               (h.Chance(0.5) ? AnsiString(h.Parmi(ApresSous)) : Radical(h, style));
    case 8:
        return AnsiString("-DU-") + h.Parmi(ApresDu);
    default:
        return AnsiString("-DES-") + h.Parmi(ApresDes);
    }
}

// A name as the atlas stores it (upper case, words joined by "-", article apart).
void NomCommune(Hasard& h, Style style, AnsiString& nom, AnsiString& article) {
    article.clear();
    const double r = h.Uniforme();
    if (r < 0.09) {
        const std::size_t a = h.Entier(10);
        if (a < 4) {
            article = "LE";
            nom = h.Parmi(NomsAvecLe);
        } else if (a < 8) {
            article = "LA";
            nom = h.Parmi(NomsAvecLa);
        } else {
            article = "LES";
            nom = h.Parmi(NomsAvecLes);
        }
        if (h.Chance(0.3))
            nom += AnsiString("-SAINT-") + h.Parmi(Saints);
        else if (h.Chance(0.4))
            nom += Complement(h, style);
    } else if (r < 0.21) {
        nom = AnsiString("SAINT-") + h.Parmi(Saints);
        if (h.Chance(0.55)) nom += Complement(h, style);
    } else if (r < 0.245) {
        nom = AnsiString("SAINTE-") + h.Parmi(Saintes);
        if (h.Chance(0.5)) nom += Complement(h, style);
    } else if (r < 0.40) {
        nom = Base(h, style) + Complement(h, style);
    } else {
        nom = h.Chance(0.1) ? AnsiString(h.Parmi(MotsCourants)) : Radical(h, style);
    }
}

// ---- Positions ---------------------------------------------------------------------------

constexpr double LatitudeMin = 41.35, LatitudeMax = 51.08;
constexpr double LongitudeMin = -4.80, LongitudeMax = 9.56;
constexpr double KmParDegre = 40076.59 / 360.0;
constexpr double UnitesParKm = 0.4 * 520.0; // map units: a kilometre is 0.4 pixel at zoom 1
constexpr double Pi = 3.14159265358979323846;
const double CosinusMoyen = std::cos(46.5 * Pi / 180.0);

float XCarte(double longitude) {
    return static_cast<float>((longitude - LongitudeMin) * KmParDegre * CosinusMoyen * UnitesParKm);
}
float YCarte(double latitude) {
    return static_cast<float>((LatitudeMax - latitude) * KmParDegre * UnitesParKm);
}

double Tronquee(Hasard& h, double limite) {
    double v = h.Normale();
    while (std::abs(v) > limite)
        v = h.Normale();
    return v;
}

// Number of communes of each department: `nombre` shared out by weight, at least one each;
// Paris is a single commune.
std::vector<std::size_t> Repartition(std::size_t nombre) {
    std::vector<std::size_t> parts(Departements.size(), 1);
    double total = 0;
    std::size_t fixes = 0;
    for (const auto& d : Departements) {
        if (d.Poids > 1)
            total += d.Poids;
        else
            ++fixes;
    }
    const std::size_t aPartager = nombre - fixes;
    std::vector<std::pair<double, std::size_t>> restes;
    std::size_t donnes = fixes;
    for (std::size_t i = 0; i < Departements.size(); ++i) {
        if (Departements[i].Poids <= 1) continue;
        const double exact = static_cast<double>(aPartager) * Departements[i].Poids / total;
        parts[i] = std::max<std::size_t>(1, static_cast<std::size_t>(exact));
        donnes += parts[i];
        restes.emplace_back(exact - std::floor(exact), i);
    }
    std::stable_sort(restes.begin(), restes.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; donnes < nombre; k = (k + 1) % restes.size()) {
        ++parts[restes[k].second];
        ++donnes;
    }
    // Departments raised to one commune may leave a small excess: take it from the largest.
    while (donnes > nombre) {
        --*std::max_element(parts.begin(), parts.end());
        --donnes;
    }
    return parts;
}

struct Brouillon {
    TCommune Commune;
    std::size_t Departement = 0;
    double Latitude = 0;
    double Longitude = 0;
};

std::string Chiffres(unsigned valeur, int largeur) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%0*u", largeur, valeur);
    return texte;
}

// Postal codes of a department: one per post office, "NN000" for the chief town.
std::vector<AnsiString> CodesPostaux(Hasard& h, const InfoDepartement& d, std::size_t bureaux) {
    std::vector<unsigned> dizaines;
    unsigned premier = 0, dernier = 99;
    AnsiString prefixe = d.Code;
    if (prefixe == "2A") {
        prefixe = "20";
        dernier = 19;
    } else if (prefixe == "2B") {
        prefixe = "20";
        premier = 20;
        dernier = 29;
    }
    dizaines.push_back(premier);
    std::vector<unsigned> libres;
    for (unsigned k = premier + 1; k <= dernier; ++k)
        libres.push_back(k);
    while (dizaines.size() < bureaux && !libres.empty()) {
        const std::size_t i = h.Entier(libres.size());
        dizaines.push_back(libres[i]);
        libres.erase(libres.begin() + static_cast<std::ptrdiff_t>(i));
    }
    std::vector<AnsiString> codes;
    for (unsigned k : dizaines)
        codes.push_back(prefixe + Chiffres(k * 10, 3));
    return codes;
}

void GenereDepartement(Hasard& h, std::size_t index, std::size_t nombre,
                       std::vector<Brouillon>& brouillons) {
    const InfoDepartement& d = Departements[index];
    const std::size_t premier = brouillons.size();
    const double etalementLon = d.Etalement * d.Allongement / std::cos(d.Latitude * Pi / 180.0);
    const std::size_t sousPrefectures = nombre > 40 ? 2 + h.Entier(2) : 0;
    for (std::size_t k = 0; k < nombre; ++k) {
        Brouillon b;
        b.Departement = index;
        if (k == 0) { // the chief town, near the centre
            b.Latitude = d.Latitude + 0.05 * d.Etalement * h.Normale();
            b.Longitude = d.Longitude + 0.05 * etalementLon * h.Normale();
        } else {
            b.Latitude = d.Latitude + d.Etalement * Tronquee(h, 2.2);
            b.Longitude = d.Longitude + etalementLon * Tronquee(h, 2.2);
        }
        b.Latitude = std::clamp(b.Latitude, LatitudeMin, LatitudeMax);
        b.Longitude = std::clamp(b.Longitude, LongitudeMin, LongitudeMax);
        TCommune& c = b.Commune;
        c.Latitude = static_cast<float>(b.Latitude);
        c.Longitude = static_cast<float>(b.Longitude);
        c.XCarte = XCarte(b.Longitude);
        c.YCarte = YCarte(b.Latitude);
        if (d.RangChefLieu == RangCapitale) {
            c.Nom = "PARIS";
        } else {
            NomCommune(h, d.Sonorite, c.Nom, c.Article);
        }
        if (k == 0)
            c.Rang = d.RangChefLieu;
        else if (k <= sousPrefectures)
            c.Rang = RangSousPrefecture;
        else if (h.Chance(0.06))
            c.Rang = RangChefLieuCanton;
        else if (h.Chance(0.03))
            c.Rang = RangVille;
        else
            c.Rang = RangCommune;
        brouillons.push_back(std::move(b));
    }
    // Post offices at the first communes (the chief town first); each commune takes the
    // code of the nearest one.
    const std::size_t bureaux = std::max<std::size_t>(1, nombre / 12);
    const std::vector<AnsiString> codes = CodesPostaux(h, d, bureaux);
    for (std::size_t k = premier; k < brouillons.size(); ++k) {
        std::size_t meilleur = 0;
        double distanceMin = 1e300;
        for (std::size_t j = 0; j < codes.size(); ++j) {
            const Brouillon& bureau = brouillons[premier + j];
            const double dy = brouillons[k].Latitude - bureau.Latitude;
            const double dx = (brouillons[k].Longitude - bureau.Longitude) * CosinusMoyen;
            if (dx * dx + dy * dy < distanceMin) {
                distanceMin = dx * dx + dy * dy;
                meilleur = j;
            }
        }
        brouillons[k].Commune.CodePostal = codes[meilleur];
    }
    if (d.RangChefLieu == RangCapitale) brouillons[premier].Commune.CodePostal = "75001";
}

// INSEE codes follow the alphabetical order inside a department, with a few gaps left by
// merged communes.
void NumeroteInsee(Hasard& h, std::vector<Brouillon>& brouillons) {
    std::vector<unsigned> dernier(Departements.size(), 0);
    std::vector<std::size_t> restants(Departements.size(), 0);
    for (const Brouillon& b : brouillons)
        ++restants[b.Departement];
    for (Brouillon& b : brouillons) {
        const std::size_t d = b.Departement;
        --restants[d];
        unsigned numero = dernier[d] + 1;
        if (h.Chance(0.12) && numero + 1 + restants[d] <= 999) ++numero;
        dernier[d] = numero;
        if (Departements[d].RangChefLieu == RangCapitale) numero = 56;
        b.Commune.CodeInsee = Departements[d].Code + Chiffres(numero, 3);
    }
}

// Neighbours within RayonVoisinsGenere km, nearest first, found through a grid of cells at
// least that wide.
void CalculeVoisins(std::vector<TCommune>& communes) {
    constexpr double PasLat = 0.19, PasLon = 0.30; // >= 20 km up to 51.1 degrees north
    const int lignes = static_cast<int>((LatitudeMax - LatitudeMin) / PasLat) + 1;
    const int colonnes = static_cast<int>((LongitudeMax - LongitudeMin) / PasLon) + 1;
    auto ligne = [&](const TCommune& c) {
        return std::clamp(static_cast<int>((c.Latitude - LatitudeMin) / PasLat), 0, lignes - 1);
    };
    auto colonne = [&](const TCommune& c) {
        return std::clamp(static_cast<int>((c.Longitude - LongitudeMin) / PasLon), 0, colonnes - 1);
    };
    std::vector<std::vector<std::uint16_t>> cases(static_cast<std::size_t>(lignes * colonnes));
    for (std::size_t i = 0; i < communes.size(); ++i)
        cases[static_cast<std::size_t>(ligne(communes[i]) * colonnes + colonne(communes[i]))]
            .push_back(static_cast<std::uint16_t>(i));

    constexpr double Marge = RayonVoisinsGenere + 1.5; // km, for the flat estimate
    std::vector<std::pair<int, std::uint16_t>> trouves;
    for (std::size_t i = 0; i < communes.size(); ++i) {
        TCommune& c = communes[i];
        trouves.clear();
        const int l0 = ligne(c), c0 = colonne(c);
        for (int l = std::max(0, l0 - 1); l <= std::min(lignes - 1, l0 + 1); ++l) {
            for (int k = std::max(0, c0 - 1); k <= std::min(colonnes - 1, c0 + 1); ++k) {
                for (std::uint16_t j : cases[static_cast<std::size_t>(l * colonnes + k)]) {
                    if (j == i) continue;
                    const TCommune& autre = communes[j];
                    const double dy = (autre.Latitude - c.Latitude) * KmParDegre;
                    const double dx = (autre.Longitude - c.Longitude) * KmParDegre *
                                      std::cos((autre.Latitude + c.Latitude) * Pi / 360.0);
                    if (dx * dx + dy * dy > Marge * Marge) continue;
                    const int km = TCarteFrance::DistanceCommunes(c, autre);
                    if (km <= RayonVoisinsGenere) trouves.emplace_back(km, j);
                }
            }
        }
        std::sort(trouves.begin(), trouves.end());
        c.Voisins.reserve(trouves.size());
        c.DistancesVoisins.reserve(trouves.size());
        for (const auto& [km, j] : trouves) {
            c.Voisins.push_back(j);
            c.DistancesVoisins.push_back(static_cast<std::uint8_t>(km));
        }
    }
}

// A closed outline of `points` points around a centre, radii in km.
TPointsDep Contour(Hasard& h, double latitude, double longitude, double rayonNS, double rayonEO,
                   int points, std::int32_t numero, std::int32_t genre) {
    TPointsDep contour;
    const double x0 = XCarte(longitude), y0 = YCarte(latitude);
    const double phase1 = h.Uniforme() * 2 * Pi, phase2 = h.Uniforme() * 2 * Pi;
    for (int i = 0; i < points; ++i) {
        const double t = 2 * Pi * i / points;
        const double forme = 1.0 + 0.12 * std::sin(3 * t + phase1) +
                             0.06 * std::sin(7 * t + phase2) + 0.03 * (h.Uniforme() - 0.5);
        const double x = x0 + std::cos(t) * rayonEO * forme * UnitesParKm;
        const double y = y0 - std::sin(t) * rayonNS * forme * UnitesParKm;
        contour.AjoutePoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
    }
    contour.Indices = {numero, genre};
    return contour;
}

std::vector<TPointsDep> Contours(Hasard& h) {
    std::vector<TPointsDep> contours;
    for (const InfoDepartement& d : Departements) {
        const double etalement = std::max(d.Etalement, 0.05);
        const double rayonNS = 2.0 * etalement * KmParDegre;
        const double rayonEO = rayonNS * d.Allongement;
        const std::int32_t numero = (d.Code[1] == 'A' || d.Code[1] == 'B') ? 20 : std::stoi(d.Code);
        contours.push_back(Contour(h, d.Latitude, d.Longitude, rayonNS, rayonEO, 240, numero, 0));
    }
    // Islands and enclaves fill the remaining records.
    while (contours.size() < static_cast<std::size_t>(NombreContours)) {
        const InfoDepartement& d = Departements[h.Entier(Departements.size())];
        const double rayon = 2.0 + 4.0 * h.Uniforme();
        const double latitude = d.Latitude + d.Etalement * 2.5 * (h.Uniforme() - 0.5);
        const double longitude = d.Longitude + d.Etalement * 2.5 * (h.Uniforme() - 0.5);
        contours.push_back(Contour(h, latitude, longitude, rayon, rayon, 16, 0, 1));
    }
    return contours;
}

} // namespace

AtlasGenere GenereAtlas(std::size_t nombre, std::uint32_t graine) {
    if (nombre < Departements.size() || nombre > NombreMaxCommunes)
        throw std::invalid_argument("GenereAtlas : nombre de communes hors limites");
    Hasard h(graine);
    const std::vector<std::size_t> parts = Repartition(nombre);
    std::vector<Brouillon> brouillons;
    brouillons.reserve(nombre);
    for (std::size_t d = 0; d < Departements.size(); ++d)
        GenereDepartement(h, d, parts[d], brouillons);

    // Byte order of the names; the generation order settles ties.
    std::stable_sort(
        brouillons.begin(), brouillons.end(),
        [](const Brouillon& a, const Brouillon& b) { return a.Commune.Nom < b.Commune.Nom; });
    NumeroteInsee(h, brouillons);

    AtlasGenere atlas;
    atlas.Communes.reserve(brouillons.size());
    for (Brouillon& b : brouillons)
        atlas.Communes.push_back(std::move(b.Commune));
    CalculeVoisins(atlas.Communes);
    for (const char* nom : NomsDepartementsUtf8)
        atlas.NomsDepartements.push_back(Utf8VersCp1252(nom));
    atlas.Contours = Contours(h);
    return atlas;
}

void EcritAtlas(const AtlasGenere& atlas, const std::filesystem::path& dossier) {
    std::filesystem::create_directories(dossier);
    EcritFichierAtomique(dossier / NomFichierCommunes, EcritCommunes(atlas.Communes));
    EcritFichierAtomique(dossier / NomFichierDepartements,
                         EcritNomsDepartements(atlas.NomsDepartements));
    EcritFichierAtomique(dossier / NomFichierContours, EcritContours(atlas.Contours));
}

} // namespace orlavine
