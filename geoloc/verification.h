// Checking the positions a file or the user gave: a located place whose position lies far from
// what its text names (outside the department's outline, more than a commune's size from the
// commune, outside the country) is listed with the distance, the expected place and the
// reason. Validated places (state 7) are listed too but never changed. The expected positions
// can be taken as one journaled lot, undone like a bulk run (TJournalGeo::AnnuleDernierLot).
// The command line (`base verifier`) and the place tool's « À vérifier » list share this.
// Toolkit-free.
#pragma once

#include "genealogie/lieux_gedcom.h"
#include "genealogie/services.h"
#include "genealogie/services_liste.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlavine::geoloc {

class TMemoireResolution;
class TResolveurLieux;

// The size of a commune is estimated from its nearest stored neighbour, within these bounds
// (the largest, Arles, reaches about 25 km from its centroid); a position farther than its
// size plus the tolerance from the commune's position is listed.
inline constexpr double TailleMinCommuneKm = 2.0;
inline constexpr double TailleMaxCommuneKm = 20.0;
inline constexpr double ToleranceCommuneKm = 3.0;
// A place abroad: a position farther than this from the place of the world file.
inline constexpr double DistanceMaxLieuMondeKm = 50.0;

// A located place whose position does not lie in what its text names.
struct TPositionDouteuse {
    int IdPlace = 0;
    std::string LieuDit;
    std::string Texte;     // the place's display text (UTF-8)
    double Latitude = 0.0; // as stored, degrees
    double Longitude = 0.0;
    int Etat = EtatLocalise;
    double LatitudeAttendue = 0.0; // the position of what the text names
    double LongitudeAttendue = 0.0;
    double DistanceKm = 0.0; // from the stored position to the expected one
    std::string Attendu;     // "Redon, Ille-et-Vilaine (35236), France"
    std::string Raison;      // « hors du département d'Ille-et-Vilaine », ...
    // What taking the expected position stores: a commune of the atlas (state 6, atlas), a
    // place of the world file (state 5, geocoder).
    Provenance Origine = Provenance::Atlas;
    bool Validee() const { return Etat == EtatValide; }
};

// Checks one position against what a place's text names.
class TVerificateurPositions {
public:
    // The resolver (with its atlas) must outlive the checker. Reads the department outlines
    // of the atlas once.
    explicit TVerificateurPositions(const TResolveurLieux& resolveur);
    ~TVerificateurPositions();
    TVerificateurPositions(const TVerificateurPositions&) = delete;
    TVerificateurPositions& operator=(const TVerificateurPositions&) = delete;

    // The place `parties` at (latitude, longitude): nothing when the position lies in what
    // the text names, or when the text names nothing the resolution locates (nothing to
    // compare with). Fills every field but IdPlace, LieuDit, Texte and Etat. With `memoire`
    // (made for this checker), a pass over many places reads each field and place once.
    std::optional<TPositionDouteuse> Verifie(const PartiesLieu& parties, double latitude,
                                             double longitude,
                                             TMemoireResolution* memoire = nullptr) const;

    // The department code whose outline holds the position ("" outside every outline).
    std::string DepartementSous(double latitude, double longitude) const;

    struct Interne;

private:
    std::unique_ptr<Interne> d_;
};

// Progress of a check: entries done out of the entries of the list.
using ProgressionVerification = std::function<void(long fait, long total)>;

// Every located entry of the list (states 0, 2, 4, 5, 6 and 7) checked against its place's
// parts, in list order.
std::vector<TPositionDouteuse> VerifiePositions(const TGestFichier& gestion,
                                                const TListePlaces& liste,
                                                const TVerificateurPositions& verificateur,
                                                const ProgressionVerification& progression = {});

struct TBilanCorrection {
    long Corrigees = 0;       // stored at the expected position
    long ValideesGardees = 0; // validated: left as they are
    std::int64_t Lot = 0;     // the journal's lot (0: nothing stored)
};

// Gives each listed place its expected position (state and provenance after its Origine), as
// one lot of the journal that TJournalGeo::AnnuleDernierLot undoes; validated places never
// change. The entries of `liste` follow. One transaction.
TBilanCorrection AppliquePositionsAttendues(TGestFichier& gestion, TListePlaces& liste,
                                            const std::vector<TPositionDouteuse>& positions);

} // namespace orlavine::geoloc
