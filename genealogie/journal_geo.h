// The journal of the bulk geolocation runs: each run is one "lot"; every row of the
// geolocation table the run changes is noted with what it held before, so that the last run
// can be undone as one step. Only the last run is kept. Toolkit-free.
#pragma once

#include "genealogie/base.h"

#include <cstdint>
#include <optional>
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
    explicit TJournalGeo(TBaseGenealogie& base) : base_(base) {}

    // Starts a run: forgets the previous one. Called inside the transaction of the run's first
    // store, so that a run that stores nothing leaves the previous run undoable.
    std::int64_t OuvreLot(std::string_view description);
    // Marks the run as ended.
    void FermeLot(std::int64_t lot);

    // Stores a position found by the run for this place and lieu-dit, noting in the lot what
    // the row held before. A row validated by the user (state 7) is never changed: false then.
    // Provenance and date follow the position, as for any other change. The caller holds the
    // transaction (the run commits in batches).
    bool Enregistre(std::int64_t lot, const TGeolocalisation& nouvelle);

    std::optional<TLotGeo> DernierLot();

    // Gives every row the last run changed back what it held before (a row the run added is
    // removed), in one transaction, then forgets the run. A row changed since the run is kept.
    TBilanAnnulation AnnuleDernierLot();

private:
    TBaseGenealogie& base_;
};

} // namespace orlavine
