#include "monde_essai.h"

#include "geocodeur/cle.h"

#include <algorithm>
#include <map>

namespace orlavine::geocodeur::essai {

namespace {

TCommune Commune(const char* article, const char* nom, const char* insee, const char* postal,
                 float latitude, float longitude, std::uint8_t rang = 0) {
    TCommune c;
    c.Article = article;
    c.Nom = nom;
    c.CodeInsee = insee;
    c.CodePostal = postal;
    c.Latitude = latitude;
    c.Longitude = longitude;
    c.Rang = rang;
    return c;
}

} // namespace

std::unique_ptr<TCarteFrance> AtlasEssai() {
    std::vector<TCommune> communes = {
        Commune("LE", "HAVRE", "76351", "76600", 49.4938f, 0.1077f, 6),
        Commune("", "PARIS", "75056", "75001", 48.8534f, 2.3488f, 9),
        Commune("", "SAINT-MARTIN", "09270", "09100", 43.10f, 1.60f),
        Commune("", "SAINT-MARTIN", "2A300", "20100", 41.70f, 8.90f),
        Commune("", "SAINT-MARTIN", "76601", "76680", 49.80f, 1.20f),
        Commune("", "VALENCE", "26362", "26000", 44.9256f, 4.8920f, 7),
        Commune("", "VALENCE", "82186", "82400", 44.1082f, 0.8910f),
    };
    std::vector<AnsiString> noms;
    for (int n = 1; n <= 95; ++n)
        noms.push_back("DEPARTEMENT " + std::to_string(n));
    // Paris and Saint-Martin (76) have a second postal code.
    return std::make_unique<TCarteFrance>(
        std::vector<TDepartement>{}, std::move(communes), std::move(noms),
        std::vector<TCommuneLiee>{}, std::vector<TAutreCodePostal>{{1, "75008"}, {4, "76450"}});
}

DonneesMonde MondeEssai() {
    DonneesMonde d;
    auto pays = [&](const char* iso, const char* nom, std::vector<std::string> cles = {}) {
        d.Pays.push_back({iso, nom, std::move(cles)});
    };
    pays("BE", "Belgique");
    pays("ES", "Espagne");
    pays("FJ", "Fidji");
    pays("FR", "France");
    pays("GB", "Royaume-Uni", {"ANGLETERRE"});
    pays("GP", "Guadeloupe");
    pays("US", "\xC3\x89tats-Unis d'Am\xC3\xA9rique", {"USA", "ETATS UNIS"});
    enum { BE, ES, FJ, FR, GB, GP, US };
    d.Provinces = {
        {BE, "WAL", "R\xC3\xA9gion wallonne", {"WALLONIE"}},
        {BE, "VLG", "R\xC3\xA9gion flamande", {"FLANDRE"}},
        {US, "TX", "Texas", {}},
        {US, "LA", "Louisiane", {}},
        {GB, "ENG", "Angleterre", {}},
    };
    enum { WAL, VLG, TX, LA, ENG };
    d.Departements = {
        {"09", "Ari\xC3\xA8ge", "FR", {}},  {"26", "Dr\xC3\xB4me", "FR", {}},
        {"2A", "Corse-du-Sud", "FR", {}},   {"75", "Paris", "FR", {}},
        {"76", "Seine-Maritime", "FR", {}}, {"82", "Tarn-et-Garonne", "FR", {}},
        {"971", "Guadeloupe", "GP", {}},
    };
    d.Regions = {
        {"Normandie", {"14", "27", "50", "61", "76"}, {}},
        {"Midi-Pyr\xC3\xA9n\xC3\xA9"
         "es",
         {"09", "12", "31", "32", "46", "65", "81", "82"},
         {}},
        {"Corse", {"2A", "2B"}, {}},
    };

    std::map<std::string, std::vector<std::uint32_t>> cles;
    auto lieu = [&](const char* nom, int p, int province, double lat, double lon,
                    std::uint32_t population, std::vector<std::string> alternatifs = {}) {
        TLieu l;
        l.Latitude = static_cast<std::int32_t>(lat * 1e5);
        l.Longitude = static_cast<std::int32_t>(lon * 1e5);
        l.Nom = AjouteNom(d.Noms, nom);
        l.Pays = static_cast<std::uint16_t>(p);
        l.Province = province < 0 ? AucuneProvince : static_cast<std::uint16_t>(province);
        l.Population = population;
        const auto index = static_cast<std::uint32_t>(d.Lieux.size());
        d.Lieux.push_back(l);
        cles[Cle(nom)].push_back(index * 2);
        for (const auto& a : alternatifs)
            cles[Cle(a)].push_back(index * 2 + 1);
    };
    lieu("Paris", US, TX, 33.66094, -95.55551, 24782);
    lieu("Saint-Martin", BE, WAL, 50.5012, 4.64782, 900);
    lieu("Antwerpen", BE, VLG, 51.22047, 4.40026, 459805, {"Anvers", "Antwerp"});
    lieu("London", GB, ENG, 51.50853, -0.12574, 8961989, {"Londres"});
    lieu("Londres", ES, -1, 40.0, -3.0, 600); // a namesake under its own name
    lieu("Sainte-Rose", GP, -1, 16.33238, -61.69793, 20192);
    lieu("Valencia", ES, -1, 39.46975, -0.37739, 814208, {"Valence"});
    // 40 km north of a point that lies 31 km north of Saint-Martin (2A).
    lieu("Punta Nord", ES, -1, 41.70 + 71.0 / 111.2, 8.90, 500);
    lieu("Levuka Est", FJ, -1, -17.68, 179.95, 1000);
    lieu("Vunisea Ouest", FJ, -1, -17.68, -179.95, 1000);
    for (auto& [cle, cibles] : cles)
        d.Cles.push_back({cle, cibles});
    return d;
}

} // namespace orlavine::geocodeur::essai
