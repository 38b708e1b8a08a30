// Linked into every test program: the C library takes the user's locale before the tests run,
// as the desktop program's QApplication does, so that the suite run under
// LC_ALL=fr_FR.UTF-8 (see .ci/run) meets the decimal comma wherever the programs would.
#include <clocale>

namespace {

const bool LocaleUtilisateur = [] {
    std::setlocale(LC_ALL, "");
    return true;
}();

} // namespace
