// The one resolution of a place: from the parts of a place as the base stores them (or a place
// text split the same way when the file gave no FORM) to a position, with the reason of the
// answer. Every field is read for what it holds, whatever slot it came in: INSEE code
// (current, delegated, associated or former commune), postal code, department by name, number
// or former name, region (today's, before 2016, old province), country (French, English, ISO,
// short forms, « Royaume de France »), and abroad states and provinces (two-letter codes too).
//
// Deciding, in this order:
//  - a valid INSEE code decides when the name agrees with it (same key; the first words of the
//    name; a delegated, associated or former commune of it); a code that contradicts the name
//    is not trusted (warning) and the name is read with the department;
//  - otherwise the communes of that name, narrowed by the department, the postal code and the
//    region the text gives; several left that lie apart are « ambiguë », none is « non
//    localisé » (a namesake elsewhere is never taken);
//  - a name misspelt by one letter is accepted only inside the department or code given, and
//    only when exactly one commune fits;
//  - a department, region, province, state or country is never taken as the town, and when the
//    town is unknown no later field is tried in its place;
//  - a region or a country that does not agree never vetoes a commune found by code or by name
//    and department: it gives a warning;
//  - a field naming another country turns the French reading off: the answer must lie in that
//    country (and in the state or province the text names), found in the world file.
// The command line's geocoder, the bulk run, the place tool and the world map page all call
// this. Toolkit-free.
#pragma once

#include "genealogie/base.h"
#include "genealogie/lieux_gedcom.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {
class TCarteFrance;
}
namespace orlavine::geocodeur {
class TGeocodeur;
}

namespace orlavine::geoloc {

enum class TStatutResolution {
    Localise, // one place: Latitude, Longitude
    Ambigu,   // several places the text cannot tell apart: Candidats
    NonTrouve // nothing the text names: Raison says why, Candidats lists the near misses
};

// A place the resolution considered.
struct TCandidatResolution {
    double Latitude = 0.0; // degrees
    double Longitude = 0.0;
    std::string Libelle;            // UTF-8: "Monségur, Landes (40195), France"
    std::string CodePays;           // ISO 3166-1 alpha-2 ("FR" for the atlas)
    std::string CodeInsee;          // atlas communes only
    std::int32_t IndexCommune = -1; // index in TCarteFrance::Communes, or -1
    std::int32_t IndexLieu = -1;    // index in the world file's places, or -1
};

struct TResolution {
    TStatutResolution Statut = TStatutResolution::NonTrouve;
    TCandidatResolution Lieu;                // when located
    Provenance Origine = Provenance::Atlas;  // when located: atlas or geocoder
    std::string Raison;                      // French, one line: how it was found, or why not
    std::vector<std::string> Avertissements; // French: « la région « Anjou » est une ancienne
                                             // province », « code INSEE 29024 de Carhaix »...
    std::vector<TCandidatResolution> Candidats; // ambiguous, or names found elsewhere
    // What the text names above the town, for the check of a stored position: the French
    // departments it binds (empty: none or abroad), and the country (ISO, empty: unknown).
    std::vector<std::string> Departements;
    std::string Pays;

    bool Localise() const { return Statut == TStatutResolution::Localise; }
};

// The fields of a place as the resolution read them (for tests and the log).
struct TLectureLieu {
    std::string Ville;                     // the town's name as written
    std::string LieuDit;                   // a leading lieu-dit recognised in a raw text
    std::vector<std::string> CodesInsee;   // valid INSEE codes of the atlas among the codes
    std::vector<std::string> CodesPostaux; // postal codes of the atlas among the codes
    std::vector<std::string> Departements; // department codes named (name, number, former name)
    std::vector<std::string> Regions;      // departments covered by the region or province named
    std::string Pays;                      // ISO code of the country named, empty when none
    std::string Province;                  // abroad: the world file's province named, as keyed
    std::vector<std::string> Avertissements;
};

// What one run has read already: a field met again is not read again (a base repeats its
// departments, regions and countries), nor the place just read (a run meets the lieux-dits of
// a place one after the other). For one resolver, in one thread; a run keeps one while it
// lasts.
class TMemoireResolution {
public:
    TMemoireResolution();
    ~TMemoireResolution();
    TMemoireResolution(const TMemoireResolution&) = delete;
    TMemoireResolution& operator=(const TMemoireResolution&) = delete;

    struct Interne;

private:
    friend class TResolveurLieux;
    std::unique_ptr<Interne> d_;
};

class TResolveurLieux {
public:
    // `carte` may be null (no French communes); both must outlive the resolver.
    TResolveurLieux(const TCarteFrance* carte, const geocodeur::TGeocodeur& geocodeur);
    ~TResolveurLieux();
    TResolveurLieux(const TResolveurLieux&) = delete;
    TResolveurLieux& operator=(const TResolveurLieux&) = delete;

    // The place's stored parts. Its LieuDit is not searched: a lieu-dit takes its commune's
    // position.
    TResolution Resout(const PartiesLieu& parties) const;
    // The same answer, from `memoire` when the run met these parts already.
    TResolution Resout(const PartiesLieu& parties, TMemoireResolution& memoire) const;
    // A place text as typed or as a file without FORM writes it: "Monségur, Landes, France",
    // ", Châlons, 51108, Marne, Grand Est, FRANCE", "Panama City, Bay, FL, USA". Split on ";"
    // (else ","), each field read by its content; a leading lieu-dit is recognised only in
    // France.
    TResolution ResoutTexte(std::string_view texte) const;

    // How the fields of a place were read.
    TLectureLieu Lit(const PartiesLieu& parties) const;

    const TCarteFrance* Carte() const;
    const geocodeur::TGeocodeur& Geocodeur() const;

    struct Interne;

private:
    std::unique_ptr<Interne> d_;
};

// "Localisé : …", "Ambiguë : …", "Non localisé : …" with the reason and the warnings, on one
// line, for the run log and the command line.
std::string TexteResolution(const TResolution& r);

} // namespace orlavine::geoloc
