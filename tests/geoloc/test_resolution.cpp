// The one resolution of a place over the bundled atlas and world file: every field read for
// what it holds, the deciding rules, and nothing placed in another department, state or
// country than the text names.
#include "atlas/carte_france.h"
#include "geocodeur/cle.h"
#include "geocodeur/faits.h"
#include "geocodeur/geocodeur.h"
#include "geoloc/resolution.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

using namespace orlavine;
using namespace orlavine::geoloc;

namespace {

struct Donnees {
    std::unique_ptr<TCarteFrance> carte;
    std::unique_ptr<geocodeur::TGeocodeur> geocodeur;
    std::unique_ptr<TResolveurLieux> resolveur;
};

const Donnees& Bundled() {
    static const Donnees d = [] {
        Donnees r;
        r.carte = std::make_unique<TCarteFrance>(ORLAVINE_ATLAS_BUNDLED);
        r.geocodeur =
            std::make_unique<geocodeur::TGeocodeur>(r.carte.get(), ORLAVINE_MONDE_BUNDLED);
        r.resolveur = std::make_unique<TResolveurLieux>(r.carte.get(), *r.geocodeur);
        return r;
    }();
    return d;
}

enum Attendu { Localise, Ambigu, NonTrouve };

struct Cas {
    Cas(const char* t, Attendu s, const char* c = "", const char* l = "", bool a = false)
        : texte(t), statut(s), code(c), libelle(l), avertissement(a) {}
    const char* texte;
    Attendu statut;
    const char* code;    // located: the INSEE code, or the ISO country abroad
    const char* libelle; // located: the start of the label
    bool avertissement;  // located with a warning
};

void Verifie(const TResolution& r, const Cas& c, const std::string& contexte) {
    const TStatutResolution statut = c.statut == Localise ? TStatutResolution::Localise
                                     : c.statut == Ambigu ? TStatutResolution::Ambigu
                                                          : TStatutResolution::NonTrouve;
    ASSERT_EQ(r.Statut, statut) << contexte << " : " << TexteResolution(r);
    EXPECT_FALSE(r.Raison.empty()) << contexte;
    if (c.statut != Localise) return;
    if (r.Lieu.IndexCommune >= 0)
        EXPECT_EQ(r.Lieu.CodeInsee, c.code) << contexte << " : " << TexteResolution(r);
    else
        EXPECT_EQ(r.Lieu.CodePays, c.code) << contexte << " : " << TexteResolution(r);
    // Names compared by their search keys: the atlas's names may come with or without accents.
    EXPECT_EQ(geocodeur::Cle(r.Lieu.Libelle).rfind(geocodeur::Cle(c.libelle), 0), 0u)
        << contexte << " : " << r.Lieu.Libelle;
    EXPECT_EQ(!r.Avertissements.empty(), c.avertissement)
        << contexte << " : " << TexteResolution(r);
}

} // namespace

// Texts as typed or as a file without FORM writes them.
TEST(Resolution, TextsOfEachFamily) {
    const Cas cas[] = {
        // Provinces, regions, countries and states are never the town.
        {"Saint-Florent-le-Viel, Maine-et-Loire, Anjou, France", Localise, "49276",
         "Saint-Florent-le-Vieil", true},
        {"Saint-Florent, Maine-et-Loire", NonTrouve},
        {"Nuit-St-Georges, Côte-d'Or, Bourgogne, France", Localise, "21464", "Nuits-Saint-Georges",
         true},
        {"Trucdorf, Suisse", NonTrouve},
        {"Machinchose, Ohio, USA", NonTrouve},
        {"Smallville, Kansas, USA", NonTrouve},
        {"Anjou, France", NonTrouve},
        {"Bretagne, France", NonTrouve},
        {"Paris, France", Localise, "75056", "Paris"},
        // The department tells homonyms apart; without it they stay ambiguous.
        {"Monségur, Landes, France", Localise, "40190", "Monségur"},
        {"Monségur, , Landes, , FRANCE", Localise, "40190", "Monségur"},
        {"Monségur, 40, France", Localise, "40190", "Monségur"},
        {"Monségur, France", Ambigu},
        {"Valence, France", Ambigu},
        {"Valence, Drôme", Localise, "26362", "Valence"},
        {"Le Bourg, Monségur, Gironde, France", Localise, "33289", "Monségur"},
        // INSEE codes: short or older names, delegated communes, contradicting codes.
        {", Châlons, 51108, Marne, Grand Est, FRANCE", Localise, "51108", "Châlons"},
        {", Carhaix, 29024, Finistère, Bretagne, FRANCE", Localise, "29024", "Carhaix"},
        {", Fontevraud, 49140, Maine-et-Loire, , FRANCE", Localise, "49140", "Fontevraud"},
        {", Marly, 78372, Yvelines, Île-de-France, FRANCE", Localise, "78372", "Marly"},
        {", Morsang, 91435, Essonne, , FRANCE", Localise, "91435", "Morsang"},
        // Herchies's INSEE code, and Lassigny's postal code: read as the postal code.
        {"Lassigny, 60310, Oise, France", Localise, "60350", "Lassigny"},
        // A commune the atlas lacks (restored in 2024): its code binds the department, and
        // no namesake elsewhere is taken.
        {"L'Oie, 85165", NonTrouve},
        {"Châlons-sur-Marne", Localise, "51108", "Châlons"},
        {"Quimper, 35238, Finistère, France", Localise, "29232", "Quimper", true},
        // Regions and countries that are not today's never veto.
        {", Nantes, 44109, Loire-Atlantique, Bretagne, BRETAGNE", Localise, "44109", "Nantes",
         true},
        {", Saint-Lô, 50502, Manche, Normandie, BRETAGNE", Localise, "50502", "Saint-Lô", true},
        {"Strasbourg, 67482, Bas-Rhin, Alsace, Allemagne", Localise, "67482", "Strasbourg", true},
        // Former departments.
        {"Rouen, Seine-Inférieure, France", Localise, "76540", "Rouen", true},
        {"Versailles, Seine-et-Oise, Royaume de France", Localise, "78646", "Versailles", true},
        {"Paimpol, Côtes-du-Nord", Localise, "22162", "Paimpol", true},
        {"Saint-Cloud, Seine-et-Oise", Localise, "92064", "Saint-Cloud", true},
        // Old provinces cover parts of departments beyond their heart; the annexed territory.
        {"Dourdan, Orléanais, France", Localise, "91200", "Dourdan", true},
        {"Sens, Champagne", Localise, "89387", "Sens", true},
        {"Metz, Alsace-Lorraine", Localise, "57463", "Metz", true},
        {"Colmar, Haut-Rhin, Alsace-Lorraine, Allemagne", Localise, "68066", "Colmar", true},
        // Abroad: states by name or code, a county that is also a French commune.
        {"Panama City, Bay, FL, USA", Localise, "US", "Panama City"},
        {"Morgan City, St. Mary, Louisiana, USA", Localise, "US", "Morgan City"},
        {"Gainesville, Llano, TX, USA", Localise, "US", "Gainesville"},
        {"Gainesville, Texas, USA", Localise, "US", "Gainesville"},
        {"Springfield, Illinois, USA", Localise, "US", "Springfield"},
        {"Portland, Oregon, USA", Localise, "US", "Portland"},
        {"Chicago, IL, USA", Localise, "US", "Chicago"},
        {"London, UK", Localise, "GB", "London"},
        {"Londres ; Angleterre", Localise, "GB", "London"},
        {"Genève, Suisse", Localise, "CH", "Gen"},
        {"Paris ; Belgique", NonTrouve},
        {"Bruxelles, BE", Localise, "BE", "Brussels"},
        {"Paris, BE", NonTrouve},
        {"Springfield, USA", Ambigu},
    };
    for (const Cas& c : cas)
        Verifie(Bundled().resolveur->ResoutTexte(c.texte), c, c.texte);
}

// The parts of a place as the GEDCOM reader stores them under a FORM, fewer fields included.
TEST(Resolution, StoredPartsWhateverTheSlot) {
    struct CasParties {
        PartiesLieu parties;
        Cas attendu;
    };
    const CasParties cas[] = {
        // FORM City, County, State, Country with fewer fields: the state in the county slot.
        {{"", "Chicago", "", "", "IL", "USA", ""}, {"", Localise, "US", "Chicago"}},
        {{"", "London", "", "", "UK", "", ""}, {"", Localise, "GB", "London"}},
        {{"", "Gainesville", "", "", "Cooke", "Texas", "USA"}, {"", Localise, "US", "Gainesville"}},
        // A code in the department slot, a trailing blank.
        {{"", "Carhaix", "", "", "29024", "", "France "}, {"", Localise, "29024", "Carhaix"}},
        {{"", "Monségur", "", "", "Landes", "", "FRANCE"}, {"", Localise, "40190", "Monségur"}},
        // The lieu-dit slot holds the town when the town's slot holds the country.
        {{"Paris", "France", "", "", "", "", ""}, {"", Localise, "75056", "Paris", true}},
        // A province in the town slot of an unknown town's place.
        {{"", "Suisse", "", "", "", "", ""}, {"", NonTrouve}},
    };
    for (const CasParties& c : cas)
        Verifie(Bundled().resolveur->Resout(c.parties), c.attendu, c.parties.Commune);
}

// A run remembers the fields and the place it has just read: every answer is the one read
// afresh, whatever came before (the same place under another lieu-dit, a lieu-dit that stands
// for the town, another place sharing its department and region fields).
TEST(Resolution, ARunsMemoryGivesTheAnswersReadAfresh) {
    const auto& r = *Bundled().resolveur;
    const PartiesLieu lieux[] = {
        {"", "Carhaix", "29024", "", "Finistère", "Bretagne", "France"},
        {"Le Moulin", "Carhaix", "29024", "", "Finistère", "Bretagne", "France"},
        {"La Croix", "Carhaix", "29024", "", "Finistère", "Bretagne", "France"},
        {"Le Moulin", "Champbois 12", "29024", "", "Finistère", "Bretagne", "France"},
        {"", "Nuit-St-Georges", "", "", "Côte-d'Or", "Bourgogne", "France"},
        {"Paris", "France", "", "", "", "", ""},
        {"Lyon", "France", "", "", "", "", ""},
        {"", "France", "", "", "", "", ""},
        {"Panama City", "Bay", "", "", "FL", "USA", ""},
        {"Le Bourg", "Bay", "", "", "FL", "USA", ""},
        {"", "Rouen", "", "", "Seine-Inférieure", "Normandie", "Royaume de France"},
        {"", "Monségur", "", "", "Landes", "", "FRANCE"},
        {"", "Monségur", "", "", "Gironde", "", "FRANCE"},
    };
    TMemoireResolution memoire;
    const std::size_t n = std::size(lieux);
    // Each place once, each twice in a row, then every place again in another order.
    std::vector<std::size_t> ordre;
    for (std::size_t i = 0; i < n; ++i)
        ordre.insert(ordre.end(), {i, i, i});
    for (std::size_t i = 0; i < n; ++i)
        ordre.push_back((i * 5) % n);
    for (std::size_t i : ordre) {
        const PartiesLieu& p = lieux[i];
        const TResolution attendu = r.Resout(p);
        const TResolution lu = r.Resout(p, memoire);
        const std::string contexte = p.LieuDit + " / " + p.Commune + " / " + p.Departement;
        EXPECT_EQ(TexteResolution(lu), TexteResolution(attendu)) << contexte;
        EXPECT_EQ(lu.Lieu.Latitude, attendu.Lieu.Latitude) << contexte;
        EXPECT_EQ(lu.Lieu.Longitude, attendu.Lieu.Longitude) << contexte;
        EXPECT_EQ(lu.Candidats.size(), attendu.Candidats.size()) << contexte;
        EXPECT_EQ(lu.Departements, attendu.Departements) << contexte;
        EXPECT_EQ(lu.Pays, attendu.Pays) << contexte;
    }
    // A memory used with another resolver forgets what it read with the first one.
    const TResolveurLieux sansAtlas(nullptr, *Bundled().geocodeur);
    EXPECT_EQ(TexteResolution(sansAtlas.Resout(lieux[0], memoire)),
              TexteResolution(sansAtlas.Resout(lieux[0])));
}

// Whatever the text, a located place lies in the department, state and country it names.
TEST(Resolution, NeverInAnotherDepartmentOrCountry) {
    const auto& r = *Bundled().resolveur;
    for (const char* departement : {"Landes", "Gironde", "Lot-et-Garonne", "Dordogne", "Drôme"})
        for (const char* ville : {"Monségur", "Valence", "Bay", "Anjou", "Suisse", "Bourgogne"}) {
            const std::string texte = std::string(ville) + ", " + departement + ", France";
            const TResolution res = r.ResoutTexte(texte);
            if (!res.Localise()) continue;
            ASSERT_GE(res.Lieu.IndexCommune, 0) << texte;
            EXPECT_NE(res.Lieu.Libelle.find(departement), std::string::npos)
                << texte << " : " << res.Lieu.Libelle;
        }
    for (const char* texte : {"Bay, USA", "Bay, FL, USA", "Valence, Espagne", "Anjou, Québec",
                              "Suisse, Suisse", "Paris, Texas, USA"}) {
        const TResolution res = r.ResoutTexte(texte);
        if (res.Localise()) {
            EXPECT_NE(res.Lieu.CodePays, "FR") << texte;
        }
        for (const auto& c : res.Candidats)
            EXPECT_NE(c.CodePays, "FR") << texte;
    }
}

TEST(Resolution, FieldsReadForWhatTheyAre) {
    const auto& r = *Bundled().resolveur;
    const TLectureLieu l = r.Lit(
        {"", "Rouen", "76540", "76000", "Seine-Inférieure", "Normandie", "Royaume de France"});
    EXPECT_EQ(l.CodesInsee, std::vector<std::string>{"76540"});
    // 76540 is Rouen's INSEE code and the postal code of other communes: read as both.
    EXPECT_EQ(l.CodesPostaux, (std::vector<std::string>{"76540", "76000"}));
    EXPECT_EQ(l.Departements, std::vector<std::string>{"76"});
    EXPECT_EQ(l.Pays, "FR");
    const TLectureLieu us = r.Lit({"", "Austin", "", "", "", "TX", ""});
    EXPECT_EQ(us.Pays, "US");
    EXPECT_EQ(us.Province, "TX");
}

TEST(Faits, TablesAreConsistent) {
    for (const auto& z : geocodeur::ZonesFrancaises())
        for (const std::string& d : geocodeur::DepartementsDe(z))
            EXPECT_TRUE(d.size() == 2) << z.Nom << " " << d;
    for (const auto& e : geocodeur::CodesEtats())
        EXPECT_EQ(geocodeur::EtatDeCode(e.Code, e.Pays), &e);
    EXPECT_EQ(geocodeur::IsoDeForme("U.S.A."), "US");
    EXPECT_EQ(geocodeur::IsoDeForme("rfa"), "DE");
    EXPECT_FALSE(geocodeur::IsoDeForme("Bay"));
    ASSERT_EQ(geocodeur::ZonesFrancaisesDeCle("BOURGOGNE").size(), 2u); // region and province
    // What the world file gets: each name once, with the departments of all its entries.
    std::map<std::string, std::vector<std::string>> anciennes;
    for (const auto& z : geocodeur::ZonesAnciennes())
        EXPECT_TRUE(anciennes.emplace(z.Nom, z.Departements).second) << z.Nom;
    const std::pair<const char*, std::vector<std::string>> attendues[] = {
        {"Alsace", {"67", "68", "90"}},
        {"Alsace-Lorraine", {"57", "67", "68"}},
        {"Seine-et-Oise", {"78", "91", "95", "92", "93", "94"}},
        {"Orléanais", {"28", "41", "45", "78", "91"}},
        {"Corse", {"2A", "2B"}},
    };
    for (const auto& [nom, deps] : attendues)
        EXPECT_EQ(anciennes[nom], deps) << nom;
    EXPECT_FALSE(anciennes.count("Royaume de France"));
    EXPECT_FALSE(anciennes.count("Grand Est"));
}
