#include "geocodeur/exonymes.h"

namespace orlavine::geocodeur {

const std::vector<TExonyme>& Exonymes() {
    static const std::vector<TExonyme> exonymes = {
        {"Anvers", "BE", "Antwerpen"},
        {"Malines", "BE", "Mechelen"},
        {"Louvain", "BE", "Leuven"},
        {"Gand", "BE", "Gent"},
        {"Bruges", "BE", "Brugge"},
        {"Courtrai", "BE", "Kortrijk"},
        {"Ypres", "BE", "Ieper"},
        {"Mayence", "DE", "Mainz"},
        {"Aix-la-Chapelle", "DE", "Aachen"},
        {"Trèves", "DE", "Trier"},
        {"Coblence", "DE", "Koblenz"},
        {"Cologne", "DE", "Köln"},
        {"Francfort", "DE", "Frankfurt am Main"},
        {"Ratisbonne", "DE", "Regensburg"},
        {"Sarrebruck", "DE", "Saarbrücken"},
        {"Sarrelouis", "DE", "Saarlouis"},
        {"Deux-Ponts", "DE", "Zweibrücken"},
        {"Munich", "DE", "Munich"},
        {"Londres", "GB", "London"},
        {"Douvres", "GB", "Dover"},
        {"Cantorbéry", "GB", "Canterbury"},
        {"Édimbourg", "GB", "Edinburgh"},
        {"Barcelone", "ES", "Barcelona"},
        {"Saragosse", "ES", "Zaragoza"},
        {"Séville", "ES", "Sevilla"},
        {"Bâle", "CH", "Basel"},
        {"Lucerne", "CH", "Luzern"},
        {"Turin", "IT", "Turin"},
        {"Gênes", "IT", "Genoa"},
        {"Milan", "IT", "Milan"},
        {"Florence", "IT", "Florence"},
        {"Venise", "IT", "Venice"},
        {"Naples", "IT", "Naples"},
        {"Rome", "IT", "Rome"},
        {"La Nouvelle-Orléans", "US", "New Orleans"},
        {"Nouvelle-Orléans", "US", "New Orleans"},
        {"Alger", "DZ", "Algiers"},
        {"Constantine", "DZ", "Constantine"},
        {"Oran", "DZ", "Oran"},
    };
    return exonymes;
}

} // namespace orlavine::geocodeur
