// A small made-up atlas around a town called VERSAILLES, for the map view's tests.
#pragma once

#include "atlas/carte_france.h"

#include <filesystem>
#include <memory>

namespace orlavine::essai {

// Map units of a geographic position (1 km = 208 units, as the real atlas).
float XCarte(double longitude);
float YCarte(double latitude);

// Communes sorted by name with their neighbours within 20 km; outlines: a large
// hexagon and four square departments around the town.
std::vector<TCommune> CommunesEssai();
std::vector<TPointsDep> ContoursEssai();
std::vector<AnsiString> NomsDepartementsEssai();

std::unique_ptr<TCarteFrance> AtlasEssai();
// Writes "cc.dat", "departement.txt" and "pointdepii.dat" into `dossier`.
void EcritAtlasEssai(const std::filesystem::path& dossier);

// Index of the commune named `nom` (-1 when missing).
int IndexCommune(const TCarteFrance& carte, const char* nom);

} // namespace orlavine::essai
