// A small atlas of real communes around Versailles and a few towns elsewhere, written to a
// folder with the atlas writers, for the tests of the communes page.
#pragma once

#include "atlas/types.h"

#include <filesystem>
#include <vector>

namespace orlavine::essai {

// The communes, in the byte order of their names, with their neighbours within 255 km.
std::vector<TCommune> CommunesEssai();
// The 95 department names (those of the test communes filled in, the others "Dept NN").
std::vector<AnsiString> NomsDepartementsEssai();
// Writes "cc.dat", "departement.txt" and "pointdepii.dat" into `dossier`.
void EcritAtlasEssai(const std::filesystem::path& dossier);
// Index of the commune whose code is `code` (-1 when absent).
int IndexCode(const std::vector<TCommune>& communes, const AnsiString& code);

} // namespace orlavine::essai
