// A small atlas of real communes around Versailles and a few towns elsewhere, with a
// hexagon for the country and four square departments around Versailles.
#pragma once

#include "atlas/carte_france.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace orlavine::essai {

// The communes, in the byte order of their names, with their neighbours within 255 km.
std::vector<TCommune> CommunesEssai();
std::vector<TPointsDep> ContoursEssai();
// The 95 department names (those of the test communes filled in, the others "Dept NN").
std::vector<AnsiString> NomsDepartementsEssai();

std::unique_ptr<TCarteFrance> AtlasEssai();
// Writes "cc.dat", "departement.txt" and "pointdepii.dat" into `dossier`.
void EcritAtlasEssai(const std::filesystem::path& dossier);
// Index of the commune whose code is `code` (-1 when absent).
int IndexCode(const std::vector<TCommune>& communes, const AnsiString& code);

} // namespace orlavine::essai
