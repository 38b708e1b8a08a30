#include "bench/generateur_gedcom.h"

#include "genealogie/base_gedcom.h"
#include "genealogie/base_sqlite.h"
#include "genealogie/services_liste.h"

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace orlavine {

namespace {

const char* const Prenoms[] = {"Jean",   "Marie", "Pierre",   "Jeanne",    "Louis",   "Françoise",
                               "Joseph", "Anne",  "François", "Catherine", "Étienne", "Hélène"};
const char* const Noms[] = {"Martin",  "Bernard", "Dubois", "Thomas",   "Robert", "Richard",
                            "Petit",   "Durand",  "Leroy",  "Moreau",   "Simon",  "Laurent",
                            "Lefèvre", "Michel",  "Garçon", "Besançon", "Rhône",  "Guérin"};
const char* const Debuts[] = {"Saint-", "Sainte-", "Le ",   "La ",  "Les ",    "",
                              "",       "Mont",    "Ville", "Beau", "Château", "Fonte"};
const char* const Racines[] = {"martin", "nay",    "lieu", "fort",  "mont", "val",
                               "ré",     "champ",  "bois", "roche", "pré",  "court",
                               "ville",  "brière", "çon",  "gny"};
const char* const Regions[] = {
    "Auvergne-Rhône-Alpes", "Bretagne",           "Normandie",     "Occitanie",
    "Hauts-de-France",      "Grand Est",          "Île-de-France", "Nouvelle-Aquitaine",
    "Pays de la Loire",     "Centre-Val de Loire"};
const char* const LieuxDits[] = {"La Croix", "Le Moulin", "Les Granges", "La Forêt",
                                 "Le Pré",   "La Motte",  "Le Château",  "Les Éclats"};
const char* const Mois[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

struct Lieu {
    std::string Texte; // without the lieu-dit: "Commune, code, Département, Région, France"
    double Latitude;
    double Longitude;
};

// UTF-8 of the generator's accented letters into the file's set.
std::string Encode(const std::string& s, Encodage e) {
    if (e == Encodage::Utf8) return s;
    struct Lettre {
        const char* Utf8;
        const char* Windows;
        const char* Ansel;
    };
    static const Lettre lettres[] = {{"é", "\xE9",
                                      "\xE2"
                                      "e"},
                                     {"è", "\xE8",
                                      "\xE1"
                                      "e"},
                                     {"É", "\xC9",
                                      "\xE2"
                                      "E"},
                                     {"ô", "\xF4",
                                      "\xE3"
                                      "o"},
                                     {"ç", "\xE7",
                                      "\xF0"
                                      "c"},
                                     {"Î", "\xCE",
                                      "\xE3"
                                      "I"},
                                     {"ê", "\xEA",
                                      "\xE3"
                                      "e"}};
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        bool trouve = false;
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            for (const Lettre& l : lettres) {
                const std::string_view u = l.Utf8;
                if (s.compare(i, u.size(), u) == 0) {
                    r += e == Encodage::Ansel ? l.Ansel : l.Windows;
                    i += u.size();
                    trouve = true;
                    break;
                }
            }
        if (!trouve) r += s[i++];
    }
    return r;
}

} // namespace

std::string GenereGedcom(const TailleArbreGenere& taille, Encodage encodage) {
    std::mt19937 alea(20260101);
    auto au = [&](std::size_t n) { return static_cast<std::size_t>(alea() % n); };
    auto choix = [&](const auto& tableau) { return tableau[au(std::size(tableau))]; };

    std::vector<Lieu> lieux;
    lieux.reserve(taille.Lieux);
    for (std::size_t k = 0; k < taille.Lieux; ++k) {
        const int dep = 1 + static_cast<int>(k % 95);
        std::string nom = std::string(choix(Debuts)) + choix(Racines) + choix(Racines);
        nom[0] = static_cast<char>(nom[0] >= 'a' && nom[0] <= 'z' ? nom[0] - 32 : nom[0]);
        char code[8];
        std::snprintf(code, sizeof code, "%02d%03zu", dep, (k / 95) % 1000);
        lieux.push_back({nom + " " + std::to_string(k) + ", " + code + ", Département " +
                             std::to_string(dep) + ", " + choix(Regions) + ", France",
                         42.5 + au(6000) / 1000.0, -1.5 + au(8000) / 1000.0});
    }

    std::string t;
    t.reserve(taille.Lignes * 34);
    std::size_t lignes = 0;
    auto ligne = [&](const std::string& l) {
        t += l;
        t += "\r\n";
        ++lignes;
    };
    auto date = [&](int annee) {
        return std::to_string(1 + au(28)) + " " + Mois[au(12)] + " " + std::to_string(annee);
    };
    auto evenement = [&](const char* tag, int annee) {
        ligne(std::string("1 ") + tag);
        ligne("2 DATE " + date(annee));
        const Lieu& lieu = lieux[au(lieux.size())];
        const bool lieuDit = au(5) == 0;
        ligne(std::string("2 PLAC ") + (lieuDit ? choix(LieuxDits) : "") + ", " + lieu.Texte);
        if (au(4) == 0) {
            char lat[32], lon[32];
            std::snprintf(lat, sizeof lat, "4 LATI N%.5f", lieu.Latitude);
            std::snprintf(lon, sizeof lon, "4 LONG %c%.5f", lieu.Longitude < 0 ? 'W' : 'E',
                          lieu.Longitude < 0 ? -lieu.Longitude : lieu.Longitude);
            ligne("3 MAP");
            ligne(lat);
            ligne(lon);
        }
    };

    ligne("0 HEAD");
    ligne("1 SOUR ORLAVINE-BANC");
    ligne("1 GEDC");
    ligne("2 VERS 5.5.1");
    ligne("2 FORM LINEAGE-LINKED");
    ligne(std::string("1 CHAR ") + (encodage == Encodage::Ansel         ? "ANSEL"
                                    : encodage == Encodage::Windows1252 ? "ANSI"
                                                                        : "UTF-8"));
    ligne("1 PLAC");
    ligne("2 FORM Lieudit, Commune, Code_INSEE, Département, Région, Pays");

    const std::size_t familles = taille.Individus / 3;
    for (std::size_t i = 1; i <= taille.Individus; ++i) {
        const int naissance = 1700 + static_cast<int>(au(200));
        ligne("0 @I" + std::to_string(i) + "@ INDI");
        const char* prenom = choix(Prenoms);
        const char* nom = choix(Noms);
        ligne(std::string("1 NAME ") + prenom + " /" + nom + "/");
        ligne(i % 2 ? "1 SEX M" : "1 SEX F");
        evenement("BIRT", naissance);
        evenement("DEAT", naissance + 20 + static_cast<int>(au(70)));
        if (au(10) == 0) evenement("RESI", naissance + 25);
        ligne("1 FAMC @F" + std::to_string(1 + au(familles)) + "@");
        ligne("1 _UID " + std::to_string(alea()) + std::to_string(alea()));
        if (i % 10 == 0) {
            ligne("1 NOTE Né d'une famille de cultivateurs, il a vécu toute sa vie dans la "
                  "même paroisse et y a été ");
            ligne("2 CONC inhumé.");
        } else {
            ligne("1 NOTE Cultivateur");
        }
    }
    for (std::size_t f = 1; f <= familles; ++f) {
        ligne("0 @F" + std::to_string(f) + "@ FAM");
        ligne("1 HUSB @I" + std::to_string(1 + au(taille.Individus)) + "@");
        ligne("1 WIFE @I" + std::to_string(1 + au(taille.Individus)) + "@");
        ligne("1 CHIL @I" + std::to_string(1 + au(taille.Individus)) + "@");
        evenement("MARR", 1720 + static_cast<int>(au(200)));
    }
    // Notes up to the number of lines asked for.
    std::size_t note = 0;
    while (lignes + 1 < taille.Lignes) {
        if (note % 50 == 0)
            ligne("0 @N" + std::to_string(note / 50 + 1) + "@ NOTE Chronique");
        else
            ligne("1 CONT Registre paroissial, page " + std::to_string(note));
        ++note;
    }
    ligne("0 TRLR");
    return Encode(t, encodage);
}

TBaseGenereeLocalisee::TBaseGenereeLocalisee(const std::string& prefixe, const Position& position) {
    namespace fs = std::filesystem;
    std::string modele = (fs::temp_directory_path() / (prefixe + "-XXXXXX")).string();
    dossier_ = ::mkdtemp(modele.data());
    const fs::path arbre = dossier_ / "arbre.ged";
    TailleArbreGenere taille;
    taille.Lieux = 42000; // with their lieux-dits, 67,204 entries
    std::ofstream(arbre, std::ios::binary) << GenereGedcom(taille);
    base_ = dossier_ / "base.sqlite";
    ImporteGedcom(arbre, base_);
    TBaseGenealogie base(base_);
    TGestFichier gestion(base);
    const TListePlaces liste = InitListPlaces(gestion);
    TransactionSqlite t(base.Connexion());
    int i = 0;
    for (const auto& e : liste) {
        float latitude = 0, longitude = 0;
        int etat = EtatNonLocalise;
        position(i++, latitude, longitude, etat);
        SGeoChps g(e->IdPlace, e->LieuDit, latitude, longitude, etat);
        gestion.ModuleBDD.UpdateCoordGeo(&g);
    }
    t.Valide();
    fs::remove(arbre);
}

TBaseGenereeLocalisee::~TBaseGenereeLocalisee() {
    std::error_code ec;
    std::filesystem::remove_all(dossier_, ec);
}

} // namespace orlavine
