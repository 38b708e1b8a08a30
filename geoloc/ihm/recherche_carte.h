// The map's own address search as the automatic location's search: asks the map control and
// waits for its answer, processing the window's events meanwhile (the answer comes queued on
// the user-interface thread), at most about 2 seconds. The answer is looked for before each
// short sleep, so that an offline answer is taken at once and a bulk run is not paced by the
// wait. A search asked while one waits (a click let through by the event processing) is
// refused rather than nested.
#pragma once

#include "geoloc/localisation_auto.h"

#include <QObject>

namespace orlavine {

class TWebOSMaps;

class TRechercheCarte : public QObject, public geoloc::IRechercheAdresse {
    Q_OBJECT

public:
    // `carte` must outlive this object; `origine`: what the map's search is (offline or online).
    TRechercheCarte(TWebOSMaps* carte, Provenance origine, int attenteMaxMs = 2000);
    // One candidate (the map's answer), or none: no answer in time, a zero coordinate, or a
    // search already waiting.
    std::vector<geoloc::TCandidatAdresse> Recherche(std::string_view texte) override;
    Provenance Origine() const override { return origine_; }
    bool EnAttente() const { return attente_; }

private:
    TWebOSMaps* carte_;
    Provenance origine_;
    int attenteMaxMs_;
    bool attente_ = false;
    // The map answers its searches in the order they were asked: answer n is for search n, so
    // a late answer to a search given up is not taken for the current one.
    long demandees_ = 0;
    long recues_ = 0;
    bool repondu_ = false;
    double latitude_ = 0, longitude_ = 0;
};

} // namespace orlavine
