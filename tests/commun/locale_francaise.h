// The C library's locale set to French (decimal comma) for one test, as QApplication sets the
// user's locale in the programs; restored afterwards. Every number written to a file, a request
// or a key must come out the same under it.
#pragma once

#include <clocale>
#include <string>

namespace orlavine::test {

class LocaleFrancaise {
public:
    LocaleFrancaise() {
        if (const char* avant = std::setlocale(LC_ALL, nullptr)) avant_ = avant;
        for (const char* nom : {"fr_FR.UTF-8", "fr_FR.utf8", "fr_FR"})
            if (std::setlocale(LC_ALL, nom)) {
                active_ = true;
                break;
            }
    }
    ~LocaleFrancaise() { std::setlocale(LC_ALL, avant_.c_str()); }
    LocaleFrancaise(const LocaleFrancaise&) = delete;
    LocaleFrancaise& operator=(const LocaleFrancaise&) = delete;
    // False when the system lacks the locale (scripts/bootstrap.sh generates it).
    bool Active() const { return active_; }

private:
    std::string avant_ = "C";
    bool active_ = false;
};

} // namespace orlavine::test

// Skips the test when the French locale is missing, saying how to get it.
#define ORLAVINE_SOUS_LOCALE_FRANCAISE(nom)                                                        \
    ::orlavine::test::LocaleFrancaise nom;                                                         \
    if (!nom.Active()) GTEST_SKIP() << "locale fr_FR.UTF-8 absente : scripts/bootstrap.sh"
