// The located places of a genealogy base written for other programs: GeoJSON (RFC 7946) and
// KML 2.2, one feature per located place or lieu-dit, with its text, lieu-dit, position,
// state, provenance, number of events and event tags. Numbers are written with a point
// whatever the locale; the files are UTF-8. No toolkit here.
#pragma once

#include "genealogie/base.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geoloc {

enum class FormatLieux { GeoJson, Kml };

// One located place or lieu-dit of the geolocation table.
struct TLieuExporte {
    int IdPlace = 0;     // the place's record number in the base
    std::string Texte;   // the place's display text
    std::string LieuDit; // empty for the place itself
    double Latitude = 0; // WGS 84 degrees
    double Longitude = 0;
    int Etat = 0;
    Provenance Origine = Provenance::Main;
    long Evenements = 0;                 // events naming this place and lieu-dit
    std::vector<std::string> Etiquettes; // their tags (BIRT, MARR...), distinct, in byte order
};

// The French name of a geolocation state ("validé", "localisé (fichier GEDCOM)"...).
std::string_view NomEtatLieu(int etat);

// Every located entry of the geolocation table (located or validated states), deleted places
// left out, by place id then lieu-dit. The base keeps positions within ±90° and ±180°.
// `sansPosition`, when given, receives the number of places and lieux-dits that events name
// but that have no position (deleted places left out).
std::vector<TLieuExporte> LieuxLocalises(TBaseGenealogie& base, long* sansPosition = nullptr);

// The documents, UTF-8.
std::string EcritGeoJson(const std::vector<TLieuExporte>& lieux);
std::string EcritKml(const std::vector<TLieuExporte>& lieux, std::string_view titre);

// The format named by the file's extension, case ignored: ".kml", ".geojson" or ".json";
// false for any other.
bool FormatLieuxParExtension(const std::filesystem::path& fichier, FormatLieux& format);

struct TBilanExportLieux {
    long Entites = 0; // features written
};

// Writes the base's located places to `sortie` through a temporary file renamed over it; on
// failure the previous file is untouched and ErreurGenealogie names it with the French reason.
TBilanExportLieux ExporteLieux(TBaseGenealogie& base, const std::filesystem::path& sortie,
                               FormatLieux format);

} // namespace orlavine::geoloc
