// The data services the geolocation windows use, over the genealogy base: the geolocation
// table (TModuleBDD), the places file (TFicDupli, TFicheDupli, TEltDupWideChn), the events
// traversal by place (TFicEvens), the country file (TFicPays), the host-wide settings, the log
// and the progress reporting. Toolkit-free; texts are UTF-8 (the windows convert to UTF-16).
// None of them includes the atlas: what needs the atlas is a callback the program fills.
#pragma once

#include "genealogie/base.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orlavine {

// ---- Place with its geolocation -----------------------------------------------------------

// Geolocation states.
inline constexpr int EtatLocalise = 0;       // located, as the table stores it
inline constexpr int EtatNonLocalise = 1;    // not located
inline constexpr int EtatLocaliseLu = 2;     // located (read from the GEDCOM file)
inline constexpr int EtatHorsTable = 3;      // not located yet; not in the table
inline constexpr int EtatPlaceALaMain = 4;   // chosen by the user on the map
inline constexpr int EtatAdresseTrouvee = 5; // found by an address search
inline constexpr int EtatCommunePays = 6;    // the commune's position from the country file
inline constexpr int EtatValide = 7;         // validated by the user
static_assert(EtatLocaliseLu == EtatLuDansGedcom);

struct SGeoChps {
    int IdPlace = 0;         // record number in the places file, from 1
    std::string LieuDit;     // empty for the place itself
    std::string AdresseRech; // the search address the user chose; empty when none
    double Latitude = 0;     // degrees; 0 when not located
    double Longitude = 0;
    int Etat = EtatNonLocalise;

    SGeoChps() = default;
    // The coordinates are passed in single precision, as the host's record takes them, and
    // widened to the shortest decimal that gives the same float (48.11f -> 48.11).
    SGeoChps(int idPlace, std::string lieuDit, float latitude, float longitude, int etat,
             std::string adresse = {});
    explicit SGeoChps(const SGeoChps* autre) : SGeoChps(*autre) {}
};

// The place tool's filters.
enum TypeFilterDisplayList { FilterLocate = 0, FilterNotLocate = 1, FilterPlaceCheck = 2 };

// True when an entry of this state is shown under the filter: "Localisés" 0, 2, 4, 5, 6;
// "Non localisés" 1, 3; "Validés" 7. Any other state is shown under none.
bool EtatDansFiltre(int etat, TypeFilterDisplayList filtre);

// ---- Progress -----------------------------------------------------------------------------

// A progress bar as the data services see it. The window's bar moves and lets the window
// process its pending events (so that a cancel button can be clicked meanwhile); the command
// line's may print or do nothing.
class TProgressBar {
public:
    virtual ~TProgressBar() = default;
    virtual void SetPosition(int pourcent) = 0; // 0..100
    virtual void TraiteMessages() {}
};

// A bar made of two callbacks.
class TProgressRappel : public TProgressBar {
public:
    explicit TProgressRappel(std::function<void(int)> position, std::function<void()> messages = {})
        : position_(std::move(position)), messages_(std::move(messages)) {}
    void SetPosition(int pourcent) override {
        if (position_) position_(pourcent);
    }
    void TraiteMessages() override {
        if (messages_) messages_();
    }

private:
    std::function<void(int)> position_;
    std::function<void()> messages_;
};

class TManageProgress {
public:
    explicit TManageProgress(int = 0) {}
    // Moves the bar (clamped to 0..100) and lets the window process its pending events.
    void SetProgress(TProgressBar* barre, int pourcent);
};

// ---- Geolocation table --------------------------------------------------------------------

class TModuleBDD {
public:
    explicit TModuleBDD(TBaseGenealogie& base) : base_(base) {}

    // Appends one new entry per row of the table (rows of deleted places left out), in place
    // order; stops early when *annuler becomes true; moves the bar from 0 to 100.
    void GetListLocatedPlaces(std::vector<std::unique_ptr<SGeoChps>>& liste, const bool* annuler,
                              TProgressBar* barre);
    // True when the table holds this place id and lieu-dit.
    bool IsEltTableGeoExist(const SGeoChps* lieu);
    // Adds the entry as a new row (nothing when the table holds it already).
    void AjouterEltTableGeo(const SGeoChps* lieu, bool = false);
    // Stores latitude, longitude and state of the row with this place id and lieu-dit. An
    // entry the table does not hold yet (placed by hand from the "not located" list) is added,
    // rather than its position being lost.
    void UpdateCoordGeo(const SGeoChps* lieu, bool = false);
    // Removes the location of that place and lieu-dit.
    void DeleteLacatedPlaces(int idPlace, std::string_view lieuDit);
    // Removes the locations of every entry the filter shows.
    void DeleteAllLacatedPlaces(TypeFilterDisplayList filtre);

    // Where a position of this state comes from.
    static Provenance ProvenanceDeEtat(int etat);

private:
    TBaseGenealogie& base_;
};

// ---- Places file --------------------------------------------------------------------------

// Style and case values of ChargeElement that ask for the full place.
inline constexpr int StyleLieuComplet = 0x87;
inline constexpr int CasseLieuComplet = 0x3c;

class TFicDupli;

// The text element of a place record.
class TEltDupWideChn {
public:
    // The town, region and country parts.
    void GetVilleRegionPays(std::string& ville, std::string& region, std::string& pays) const;
    // The full place text (town, code, department, region, country, those not empty, joined by
    // ", "), whatever style is asked: the base keeps one text per place.
    std::string ChargeElement(int style = StyleLieuComplet, int casse = CasseLieuComplet) const;
    bool IsFicheSupprimee() const { return lieu_.Supprime; }

private:
    friend class TFicheDupli;
    TLieu lieu_;
};

// One record of the places file, read at once or later.
class TFicheDupli {
public:
    TFicheDupli(const TFicDupli* fichier, int idPlace, bool chargeMaintenant);
    // Reads record `idPlace`; false (and an empty record) when there is none.
    bool LectureMemoire(int idPlace);

    int IdPlace = 0;
    TEltDupWideChn Texte;    // its text element
    std::string CodeCommune; // its INSEE code, else its postal code

private:
    const TFicDupli* fichier_;
};

// The places file: the base's places, read once (there are a few tens of thousands at most).
class TFicDupli {
public:
    explicit TFicDupli(TBaseGenealogie& base);
    void Recharge();
    // The number of records; ids run from 1 to it.
    int NombreFiches() const { return static_cast<int>(lieux_.size()); }
    // The display text of the place; empty for an unknown id.
    std::string Charge(int idPlace) const;
    // The record, or null for an unknown id.
    const TLieu* Lieu(int idPlace) const;

private:
    TBaseGenealogie& base_;
    std::vector<TLieu> lieux_; // by id - 1
};

// ---- Events file --------------------------------------------------------------------------

class TFicEvens;

// An event record: the traversal fills its place record number and its lieu-dit.
struct TEvenement {
    TEvenement(TFicEvens* fichier, int id) : Fichier(fichier), Id(id) {}
    TFicEvens* Fichier;
    int Id;
    int IdPlace = 0;
    std::string LieuDit;
    long LignePlac = 0;
};

class TFicEvens {
public:
    static constexpr std::string_view CleParLieu = "ParLieu";

    explicit TFicEvens(TBaseGenealogie& base) : base_(base) {}
    // Starts a traversal. With the key "ParLieu": every event that names a place, by place id,
    // then lieu-dit, then file order; gives their number. Any other key gives 0.
    int PreProcessSearch(std::string_view texte, std::string_view cle, int parametre, bool);
    // Fills `evenement` with the next event; false when the traversal is over.
    bool GetEvenParcours(TEvenement& evenement, int sens = -1);
    void PostProcessSearch();

private:
    TBaseGenealogie& base_;
    std::unique_ptr<TParcoursEvenementsParLieu> parcours_; // read as the loop asks
    std::size_t restants_ = 0;
    TEvenementLieu courant_;
};

// ---- Country file -------------------------------------------------------------------------

// A commune of the country file, as the program's atlas answers.
struct CommunePays {
    std::string CodePostal;
    double Latitude = 0; // degrees
    double Longitude = 0;
};
// The program fills this with its atlas (this library has none): the commune named by a town
// and/or a code (INSEE or postal) in the given country, or nothing.
using RechercheCommunePays = std::function<std::optional<CommunePays>(
    std::string_view ville, std::string_view code, std::string_view codePays)>;

class TFicPays {
public:
    void DefinitRecherche(RechercheCommunePays recherche) { recherche_ = std::move(recherche); }
    bool ADesCommunes() const { return static_cast<bool>(recherche_); }
    // The commune's postal code, and its coordinates in degrees (longitude first); an empty
    // code, and the coordinates left unchanged, when the country file has no such commune.
    std::string GetCPByCom(std::string_view ville, std::string_view code, std::string_view codePays,
                           double& longitude, double& latitude) const;

private:
    RechercheCommunePays recherche_;
};

// ---- The file manager ---------------------------------------------------------------------

class TGestFichier {
public:
    explicit TGestFichier(TBaseGenealogie& base)
        : Base(base), ModuleBDD(base), FicDupli(base), FicEvens(base) {}
    TBaseGenealogie& Base;
    TModuleBDD ModuleBDD;
    TFicDupli FicDupli;
    TFicEvens FicEvens;
    TFicPays FicPays;
};

// ---- Host-wide settings and log -----------------------------------------------------------

// The application-data folder, ending with '/': $XDG_DATA_HOME/orlavine/, else
// ~/.local/share/orlavine/; created when missing.
std::string asRepAppData();
// Another folder (tests, or a program option); empty goes back to the default.
void DefinitRepAppData(std::string dossier);

// The default country name: the key "PaysParDefaut" of section [Hote] in "orlavine.ini" of
// the application-data folder; "France" when the key is missing (it may be set empty).
std::string asPaysParDefaut();
// Stores it; false (with the reason in `erreur`) when the file cannot be written.
bool DefinitPaysParDefaut(std::string_view pays, std::string* erreur = nullptr);

// The log file: "orlavine.log" in the application-data folder. Past TailleMaxLog bytes it
// becomes "orlavine.log.1", the previous ".1" becomes ".2": FichiersLog files at most.
std::string CheminLog();
inline constexpr long TailleMaxLog = 5L << 20;
inline constexpr int FichiersLog = 3;
// Appends one line "AAAA-MM-JJ HH:MM:SS message[ texte1][ texte2]" (local time; line breaks in
// the texts become spaces). False when the log cannot be written: a log line never stops the
// action it reports.
bool AddLog(std::string_view message, std::string_view texte1 = {}, std::string_view texte2 = {});

} // namespace orlavine
