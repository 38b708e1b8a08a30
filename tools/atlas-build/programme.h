// The atlas-build command: arguments, build, report, installation.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orlavine::atlasbuild {

// atlas-build --sources DIR --out DIR [--coordinates FILE.csv] [--outlines FILE.geojson]
// Prints the validation report on `sortie` and errors on `erreurs`; writes nothing unless
// the whole atlas was built and validated. Returns the exit status (0 success, 1 failure,
// 2 bad arguments).
int ProgrammeAtlasBuild(const std::vector<std::string>& arguments, std::ostream& sortie,
                        std::ostream& erreurs);

} // namespace orlavine::atlasbuild
