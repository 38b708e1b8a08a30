// The genealogy base: one SQLite file made by importing a GEDCOM file. It keeps what the
// geolocation of places needs (the places, the events that name them, the geolocation table)
// and the imported file's bytes, so that the file can be written back with only its
// coordinates changed.
//
// Layout (schema version 2; PRAGMA user_version, application_id "ORLV"):
//   meta(cle, valeur)                      counts and facts of the import
//   fichier_origine(id = 1, nom, octets)   the imported file, byte for byte
//   lieux(id from 1, texte, commune, code_insee, code_postal, departement, region, pays,
//         supprime)
//   evenements(id, lieu -> lieux, lieu_dit, ligne_plac, etiquette, latitude_lue, longitude_lue,
//              map_sous_plac), indexed on (lieu, lieu_dit, ligne_plac)
//   geolocalisation(lieu -> lieux, lieu_dit, latitude, longitude, etat 0..7, adresse,
//                   provenance, date)       one row per place and lieu-dit
//   geoloc_lots, geoloc_journal             the last geolocation steps, to undo (journal_geo.h)
// Texts are UTF-8. Coordinates are decimal degrees, north and east positive.
#pragma once

#include "genealogie/base_sqlite.h"
#include "genealogie/verrou_base.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

// Where a stored position comes from.
enum class Provenance { Gedcom, Atlas, Geocodeur, GeocodeurEnLigne, Main };
// "gedcom", "atlas", "geocodeur", "geocodeur-en-ligne", "main"
std::string_view NomProvenance(Provenance p);
std::optional<Provenance> LitProvenance(std::string_view nom);

// Coordinates read from the GEDCOM file enter the geolocation table in this located state
// (2: "located, as the table stores it"), with the provenance Gedcom.
inline constexpr int EtatLuDansGedcom = 2;

// A place record: the place without its lieu-dit.
struct TLieu {
    int Id = 0;          // from 1, in the order the import met the places
    std::string Texte;   // display text: the parts that are not empty, joined by ", "
    std::string Commune; // town, without lieu-dit
    std::string CodeInsee;
    std::string CodePostal;
    std::string Departement;
    std::string Region;
    std::string Pays;
    bool Supprime = false;

    // The postal code, else the INSEE code.
    const std::string& Code() const { return CodePostal.empty() ? CodeInsee : CodePostal; }
    // The display text made of the parts (commune, code, department, region, country).
    std::string TexteDesParties() const;
};

struct TGeolocalisation {
    int IdLieu = 0;
    std::string LieuDit; // empty for the place itself
    double Latitude = 0;
    double Longitude = 0;
    int Etat = 1;
    std::string Adresse; // the search address the user chose; empty when none
    Provenance Origine = Provenance::Main;
    std::string Date; // when the position was stored, "AAAA-MM-JJTHH:MM:SSZ" (UTC)
};

// A geolocation read from columns 0 to 7 of `r`: lieu, lieu_dit, latitude, longitude, etat,
// adresse, provenance, date. An unknown provenance raises ErreurGenealogie naming the base
// and `ou` (where the row comes from: "la table de géolocalisation"...).
TGeolocalisation LitLigneGeolocalisation(const RequeteSqlite& r, const std::filesystem::path& base,
                                         std::string_view ou);

// An event as the traversal by place gives it.
struct TEvenementLieu {
    int IdLieu = 0;
    std::string LieuDit;
    long LignePlac = 0; // line of its PLAC in the imported file, from 1
};

// The same traversal read one event at a time, so that a long loop over a million events never
// holds them all, nor waits for all of them before its first step. The base must outlive it
// and not be written meanwhile.
class TParcoursEvenementsParLieu {
public:
    explicit TParcoursEvenementsParLieu(ConnexionSqlite& connexion);
    // The next event; false at the end.
    bool Suivant(TEvenementLieu& evenement);

private:
    RequeteSqlite requete_;
};

struct TComptesBase {
    long Individus = 0;
    long Familles = 0;
    long Evenements = 0; // events that name a place
    long Lieux = 0;
    long LieuxDits = 0;       // distinct (place, lieu-dit) pairs with a lieu-dit
    long CoordonneesLues = 0; // events whose place carried coordinates
    long LignesIgnorees = 0;  // lines the reader kept but did not understand
};

// What an import stores, whoever read the file.
struct TContenuImport {
    std::string NomFichier; // the file's name, for messages
    std::string Octets;     // the file as it was
    long Individus = 0;
    long Familles = 0;
    long LignesIgnorees = 0;
    std::string Encodage; // the character set the reader used, for information
    struct Evenement {
        long LignePlac = 0;
        std::string Etiquette; // BIRT, MARR...
        TLieu Lieu;            // Id ignored; Texte made of the parts when empty
        std::string LieuDit;
        std::optional<double> Latitude;
        std::optional<double> Longitude;
        bool SousPlac = false; // the coordinates were the PLAC's own MAP
    };
    std::vector<Evenement> Evenements;
};

struct OptionsImport {
    bool Remplacer = false; // an existing base at the target is replaced
    // Called from time to time with 0..100; returning false stops the import.
    std::function<bool(int)> Progression;
};

// The user stopped an import: nothing was written.
class ImportAnnule : public ErreurGenealogie {
public:
    using ErreurGenealogie::ErreurGenealogie;
};

// True when the file is a base made by CreeBase (its SQLite header carries our application id).
bool EstBaseOrlavine(const std::filesystem::path& chemin);

// Builds a new base from `contenu` in a temporary file of the target's folder, then moves it
// to `chemin`. An existing base is refused unless `options.Remplacer`, even one that another
// import created meanwhile (the move never replaces then); a file that is not a base is never
// replaced, nor a base that another program has open (the message names it). Whatever stops
// the import (error, cancel, a killed process), the target is either untouched or the
// complete new base; a killed import may leave a hidden ".NOM.import-XXXXXX" file beside it,
// which the next opening or import of the same base removes.
TComptesBase CreeBase(const TContenuImport& contenu, const std::filesystem::path& chemin,
                      const OptionsImport& options = {});

// What an import writes into the base being built, as the file is read.
class TRedacteurImport {
public:
    virtual ~TRedacteurImport() = default;
    // The file's next bytes, in order, up to the size announced to CreeBase.
    virtual void Octets(std::string_view morceau) = 0;
    virtual void Ajoute(const TContenuImport::Evenement& evenement) = 0;
    // Forgets the events added so far (they come again).
    virtual void Recommence() = 0;
    // 0..90 of the whole import; throws ImportAnnule when the user stops it.
    virtual void Avance(int pourcent) = 0;
};

// Given the writer, writes the file's bytes and events into it and gives the rest of what the
// base stores (TContenuImport without Octets and Evenements).
using RemplissageImport = std::function<TContenuImport(TRedacteurImport&)>;

// The same, the file's `taille` bytes and its events written by `remplit` as it reads them:
// memory does not grow with the file (its bytes go into the base by pieces).
TComptesBase CreeBase(const std::string& nomFichier, std::uint64_t taille,
                      const RemplissageImport& remplit, const std::filesystem::path& chemin,
                      const OptionsImport& options = {});

// Refused (ErreurGenealogie naming the program) while another program has the base open.
void VerifieRemplacable(const std::filesystem::path& chemin);

// An open base. While it is open, other Orlavine programs may open it too (SQLite lets one of
// them write at a time) but cannot replace it. Before each write (for the writes of a
// transaction: when it begins and before it commits) it checks that the file is still the one
// it opened: a base replaced or moved by another program is never written to (ErreurGenealogie
// "la base a été remplacée ... ; rien n'y a été écrit").
class TBaseGenealogie {
public:
    static constexpr int VersionSchema = 2;

    // Opens an existing base; an older schema is migrated (not when read-only). A base that
    // cannot be written (read-only file, folder or disk, full disk) is opened read-only:
    // LectureSeule() and RaisonLectureSeule() say so, and every write is refused with that
    // reason. Stale temporary files of killed imports of this base are removed.
    explicit TBaseGenealogie(const std::filesystem::path& chemin, bool lectureSeule = false);
    TBaseGenealogie(const TBaseGenealogie&) = delete;
    TBaseGenealogie& operator=(const TBaseGenealogie&) = delete;

    const std::filesystem::path& Chemin() const { return connexion_.Chemin(); }
    bool LectureSeule() const { return lectureSeule_; }
    // Why the base was opened read-only ("le disque est plein"...); empty when asked for.
    const std::string& RaisonLectureSeule() const { return raisonLectureSeule_; }
    ConnexionSqlite& Connexion() { return connexion_; }

    TComptesBase Comptes();
    std::string Meta(std::string_view cle);
    std::string NomFichierOrigine();
    std::string OctetsOrigine();

    // Places in id order (deleted ones included, flagged).
    std::vector<TLieu> Lieux();
    void MarqueLieuSupprime(int id, bool supprime);

    // Every event that names a place, by place id, then lieu-dit (byte order), then file order.
    std::vector<TEvenementLieu> EvenementsParLieu();
    long NombreEvenements();

    // The geolocation table, by place id then lieu-dit.
    std::vector<TGeolocalisation> Geolocalisations();
    std::optional<TGeolocalisation> Geolocalisation(int idLieu, std::string_view lieuDit);
    // False when the table already holds this place and lieu-dit (nothing changed then).
    bool AjouteGeolocalisation(const TGeolocalisation& g);
    // Stores position and state of an existing row; the provenance and date change only when
    // the position does, the search address only when one is given. False when there is no
    // such row.
    bool MetAJourGeolocalisation(int idLieu, std::string_view lieuDit, double latitude,
                                 double longitude, int etat, Provenance origine,
                                 std::string_view adresse = {});
    bool SupprimeGeolocalisation(int idLieu, std::string_view lieuDit);
    // Removes the rows whose state is one of `etats`; gives how many.
    int SupprimeGeolocalisations(std::span<const int> etats);

    // The PLAC lines whose place or lieu-dit got a new position since the import, with that
    // position, and those whose position the user deleted: what the export changes, by line.
    struct Changement {
        long LignePlac = 0;
        double Latitude = 0;
        double Longitude = 0;
        bool Retirer = false; // the user deleted the position: the PLAC's MAP goes
    };
    std::vector<Changement> ChangementsAExporter();

    // PRAGMA integrity_check: "ok" or the first problems.
    std::string VerifieIntegrite();
    // The quick structural check a base passes before the programs use it (PRAGMA
    // quick_check): a damaged base raises ErreurGenealogie naming the file and the first
    // problem found.
    void VerifieAvantUsage();

private:
    static ConnexionSqlite Connecte(const std::filesystem::path& chemin, const VerrouBase& verrou,
                                    bool& lectureSeule, std::string& raison);
    void Migre();
    // Declared in this order: the lock is taken before the connection and dropped after it.
    VerrouBase verrou_;
    bool lectureSeule_ = false;
    std::string raisonLectureSeule_;
    ConnexionSqlite connexion_;
};

// Now as "AAAA-MM-JJTHH:MM:SSZ".
std::string DateMaintenant();

} // namespace orlavine
