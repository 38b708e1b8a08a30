// monde-build: builds the world file "monde.bin" from the Natural Earth packages.
#include "tools/monde-build/construction.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orlavine::mondebuild::ProgrammeMondeBuild(arguments, std::cout, std::cerr);
}
