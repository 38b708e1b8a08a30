// atlas-build: builds "cc.dat", "departement.txt" and "pointdepii.dat" from open data.
#include "tools/atlas-build/programme.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orlavine::atlasbuild::ProgrammeAtlasBuild(arguments, std::cout, std::cerr);
}
