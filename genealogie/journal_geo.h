// The journal of the geolocation table's changes: each bulk run, and each destructive action of
// the user (delete one or all positions, a hand placement), is one "lot"; every row it changes
// is noted with what it held before, so that the last lot can be undone as one step, then the
// one before. The last LotsGardes lots are kept. Toolkit-free.
#pragma once

#include "genealogie/base.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orlavine {

// Schema 1 -> 2: the provenance "geocodeur-en-ligne" (the table is rebuilt, SQLite cannot
// change a CHECK in place) and the two journal tables.
inline constexpr std::string_view MigrationJournalGeo = R"sql(
CREATE TABLE geolocalisation_v2(
    lieu INTEGER NOT NULL REFERENCES lieux(id),
    lieu_dit TEXT NOT NULL DEFAULT '',
    latitude REAL NOT NULL DEFAULT 0 CHECK (latitude BETWEEN -90 AND 90),
    longitude REAL NOT NULL DEFAULT 0 CHECK (longitude BETWEEN -180 AND 180),
    etat INTEGER NOT NULL CHECK (etat BETWEEN 0 AND 7),
    adresse TEXT NOT NULL DEFAULT '',
    provenance TEXT NOT NULL CHECK (provenance IN ('gedcom', 'atlas', 'geocodeur',
                                                   'geocodeur-en-ligne', 'main')),
    date TEXT NOT NULL,
    PRIMARY KEY (lieu, lieu_dit)) WITHOUT ROWID;
INSERT INTO geolocalisation_v2 SELECT lieu, lieu_dit, latitude, longitude, etat, adresse,
    provenance, date FROM geolocalisation;
DROP TABLE geolocalisation;
ALTER TABLE geolocalisation_v2 RENAME TO geolocalisation;
CREATE TABLE geoloc_lots(
    id INTEGER PRIMARY KEY,
    debut TEXT NOT NULL,
    fin TEXT,
    description TEXT NOT NULL DEFAULT '');
CREATE TABLE geoloc_journal(
    lot INTEGER NOT NULL REFERENCES geoloc_lots(id) ON DELETE CASCADE,
    lieu INTEGER NOT NULL,
    lieu_dit TEXT NOT NULL,
    avant INTEGER NOT NULL CHECK (avant IN (0, 1)),
    latitude REAL, longitude REAL, etat INTEGER, adresse TEXT, provenance TEXT, date TEXT,
    apres_latitude REAL NOT NULL,
    apres_longitude REAL NOT NULL,
    apres_etat INTEGER NOT NULL,
    PRIMARY KEY (lot, lieu, lieu_dit)) WITHOUT ROWID;
)sql";

// The last run, as the journal holds it.
struct TLotGeo {
    std::int64_t Id = 0;
    std::string Debut;       // "AAAA-MM-JJTHH:MM:SSZ"
    std::string Fin;         // empty when the run did not end (stopped by a crash or a kill)
    std::string Description; // what the run was ("Tout géolocaliser", filter...)
    long Entrees = 0;        // rows it changed
};

struct TBilanAnnulation {
    long Restaurees = 0; // rows given back what they held before the run
    long Conservees = 0; // rows changed since the run (by hand, validated): left as they are
};

class TJournalGeo {
public:
    // Lots that can be undone one after the other; older ones are forgotten.
    static constexpr int LotsGardes = 10;

    explicit TJournalGeo(TBaseGenealogie& base) : base_(base) {}

    // Starts a lot, forgetting the oldest beyond LotsGardes. Called inside the transaction of
    // the lot's first change, so that a run that stores nothing leaves no empty lot.
    std::int64_t OuvreLot(std::string_view description);
    // Marks the run as ended.
    void FermeLot(std::int64_t lot);

    // Stores a position found by the run for this place and lieu-dit, noting in the lot what
    // the row held before. A row validated by the user (state 7) is never changed: false then.
    // Provenance and date follow the position, as for any other change. The caller holds the
    // transaction (the run commits in batches).
    bool Enregistre(std::int64_t lot, const TGeolocalisation& nouvelle);
    // The same for a change the user asked for: a validated row is changed too.
    void Remplace(std::int64_t lot, const TGeolocalisation& nouvelle);
    // Removes the row, noting it in the lot; false when there is none.
    bool Supprime(std::int64_t lot, int idLieu, std::string_view lieuDit);

    // The user's destructive actions, each one lot in one transaction:
    // a hand placement (or any position the user stores for one place);
    void PlaceALaMain(const TGeolocalisation& nouvelle,
                      std::string_view description = "Placer un lieu à la main");
    // the position of one place removed (false when it had none);
    bool SupprimeUne(int idLieu, std::string_view lieuDit);
    // the positions of every row in one of `etats` removed; gives how many.
    long SupprimeTout(std::span<const int> etats, std::string_view description);

    std::optional<TLotGeo> DernierLot();

    // Gives every row the last lot changed back what it held before (a row it added is removed,
    // a row it removed comes back), in one transaction, then forgets the lot: the one before
    // becomes the last. A row changed since the lot is kept.
    TBilanAnnulation AnnuleDernierLot();

private:
    // Remplace, given what the row held before.
    void Remplace(std::int64_t lot, const TGeolocalisation& nouvelle,
                  const std::optional<TGeolocalisation>& avant);

    TBaseGenealogie& base_;
};

} // namespace orlavine
