// Locating the places of the database without the user: one entry (RelocatePlaceAuto) or
// every entry of a filter in one run ("Tout géolocaliser" / "Tout re-géolocaliser"). The
// window and the command line share these operations. Toolkit-free.
#pragma once

#include "genealogie/services_liste.h"
#include "geoloc/normalisation.h"
#include "geoloc/resolution.h"
#include "geoloc/services_base.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geocodeur {
class TGeocodeur;
}

namespace orlavine::geoloc {

// A place an address search proposes.
struct TCandidatAdresse {
    double Latitude = 0; // degrees
    double Longitude = 0;
    std::string Libelle;
    int Score = 0; // equal scores: the text does not tell the candidates apart
};

// An address search: the offline geocoder, an online service, or the map's search in the
// window (which waits for the map's answer).
class IRechercheAdresse {
public:
    virtual ~IRechercheAdresse() = default;
    // Candidates best first; empty when nothing is found (or no answer came in time).
    virtual std::vector<TCandidatAdresse> Recherche(std::string_view texte) = 0;
    // What a position it found is recorded as.
    virtual Provenance Origine() const = 0;
    // The resolution of the places of the base, when this search has one: a place is then
    // read field by field (TResolveurLieux) rather than searched as a text.
    virtual const TResolveurLieux* Resolveur() const { return nullptr; }
    // Asked only for a place the resolution found nowhere (an online service); empty here.
    virtual std::vector<TCandidatAdresse> RechercheInconnu(std::string_view /*texte*/) {
        return {};
    }
};

// The offline geocoder as an address search, with the resolution of the places over the
// geocoder's atlas and world file. The geocoder must outlive it.
class TRechercheGeocodeur : public IRechercheAdresse {
public:
    explicit TRechercheGeocodeur(const geocodeur::TGeocodeur& geocodeur);
    std::vector<TCandidatAdresse> Recherche(std::string_view texte) override;
    Provenance Origine() const override { return Provenance::Geocodeur; }
    const TResolveurLieux* Resolveur() const override { return &resolveur_; }

private:
    const geocodeur::TGeocodeur& geocodeur_;
    TResolveurLieux resolveur_;
};

// Two candidates of the best score farther apart than this are two places (homonyms); closer,
// they are the same place under two names.
inline constexpr double DistanceHomonymesKm = 2.0;

struct TResultatLocalisation {
    bool Succes = false;
    bool Ambigu = false;                     // several equally good places: none taken
    std::vector<TCandidatAdresse> Candidats; // the equally good ones, when ambiguous
    std::string TexteRecherche;              // what was searched
    Provenance Origine = Provenance::Main;   // on success: where the position comes from
    std::string Raison;                      // the resolution's reason (French), when it ran
    std::vector<std::string> Avertissements; // the resolution's warnings
};

// The parts of a place of the base, with the entry's lieu-dit.
PartiesLieu PartiesDuLieu(const TGestFichier& gestion, int idPlace, std::string_view lieuDit);

// Locates one entry. When the search has a resolution (TRechercheGeocodeur), the place's parts
// are resolved (a French commune: state 6, a place abroad: state 5); a place the resolution
// finds nowhere may still be asked to an online service (RechercheInconnu). Otherwise (or when
// the lieu-dit takes part in the search) the country file first (the commune's position,
// state 6), else the address search (state 5). On success the entry
// takes the position and state; otherwise it is left as it was. An answer that several places
// fit equally well is not taken. `recherche` may be null (country file only). Writes the log
// line of a success. A run passes its `memoire` of the resolution (places met again).
TResultatLocalisation RelocatePlaceAuto(SGeoChps& entree, bool avecLieuDit,
                                        const TGestFichier& gestion, const IServicesLieux& services,
                                        IRechercheAdresse* recherche,
                                        TMemoireResolution* memoire = nullptr);

// The entry as the log names it: the place's display text, then " ; Lieu-dit : " and the
// lieu-dit when it has one.
std::string TexteJournal(const TGestFichier& gestion, const SGeoChps& entree);

struct TOptionsGeolocalisation {
    TypeFilterDisplayList Filtre = FilterNotLocate;
    bool AvecLieuDit = false; // the window's run never uses it
    int TailleLot = 256;      // entries per commit
    // Positions read from the file (provenance gedcom) or placed by the user (main) are kept
    // unless this is set. A located lieu-dit searched without its lieu-dit is always kept: its
    // commune's position would be less precise.
    bool RemplacerFichierEtMain = false;
};

// A place a run left without a position, for the window's summary.
struct TLieuNonLocalise {
    int IdPlace = 0;
    std::string LieuDit;
    std::string Texte;                       // as the log names it (TexteJournal)
    std::vector<TCandidatAdresse> Candidats; // the equally good ones, when ambiguous
};

struct TBilanGeolocalisation {
    long Traitees = 0;      // entries of the filter that were tried
    long Localisees = 0;    // located and stored
    long NonLocalisees = 0; // nothing found (ambiguous ones included)
    long Ambigues = 0;
    long ValideesGardees = 0;    // validated entries left alone
    long PositionsGardees = 0;   // from the file, by hand, or a lieu-dit's own: left alone
    std::map<int, long> ParEtat; // state of the tried entries after the run
    std::string Journal;         // the run log, as one text
    bool Interrompu = false;     // stopped by the cancel request
    std::int64_t Lot = 0;        // the journal's lot of this run
    std::vector<TLieuNonLocalise> Ambigus;    // with their candidates
    std::vector<TLieuNonLocalise> NonTrouves; // nothing found
};

// Progress of a run: entries done so far out of the entries of the list.
using ProgressionGeolocalisation = std::function<void(long fait, long total)>;

// "Tout géolocaliser" / "Tout re-géolocaliser": every entry of the list that the filter shows
// is located automatically and stored, validated entries (state 7) never. The base is checked
// first (a damaged base gets nothing written). Stores are committed by batches and noted in
// the journal, so that a killed run keeps what it stored and the run can be undone
// (TJournalGeo::AnnuleDernierLot). `annuler` is read after each entry.
TBilanGeolocalisation ToutGeolocaliser(TGestFichier& gestion, TListePlaces& liste,
                                       const IServicesLieux& services, IRechercheAdresse* recherche,
                                       const TOptionsGeolocalisation& options,
                                       const bool* annuler = nullptr,
                                       const ProgressionGeolocalisation& progression = {});

} // namespace orlavine::geoloc
