#include "geocodeur/limiteur.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace orlavine::geocodeur {

namespace {

// Closes the descriptor, releasing its flock.
class Descripteur {
public:
    explicit Descripteur(int fd) : fd_(fd) {}
    ~Descripteur() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;
    int operator()() const { return fd_; }

private:
    int fd_;
};

std::int64_t MaintenantMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The turn shared with other processes: reads the last turn given (milliseconds since the
// epoch, text), reserves the next one and writes it, under an exclusive flock. The delay from
// now; none when the file cannot be used.
std::optional<std::int64_t> ReserveFichier(const std::filesystem::path& chemin,
                                           std::int64_t intervalle, std::int64_t delaiLocal) {
    const Descripteur fd(::open(chemin.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (fd() < 0) return std::nullopt;
    while (::flock(fd(), LOCK_EX) != 0)
        if (errno != EINTR) return std::nullopt;
    char tampon[32] = {};
    const ssize_t lus = ::pread(fd(), tampon, sizeof tampon - 1, 0);
    const std::int64_t maintenant = MaintenantMs();
    std::int64_t dernier = 0;
    if (lus > 0) dernier = std::strtoll(tampon, nullptr, 10);
    // A turn far in the future is a clock that went back or a damaged file: ignored.
    if (dernier > maintenant + 60 * intervalle) dernier = 0;
    const std::int64_t tour = std::max({maintenant + delaiLocal, dernier + intervalle, maintenant});
    const std::string texte = std::to_string(tour) + "\n";
    if (::pwrite(fd(), texte.data(), texte.size(), 0) != static_cast<ssize_t>(texte.size()) ||
        ::ftruncate(fd(), static_cast<off_t>(texte.size())) != 0)
        return std::nullopt;
    return tour - maintenant;
}

} // namespace

bool TLimiteurDebit::FixeFichierVerrou(const std::filesystem::path& chemin) {
    std::lock_guard garde(verrou_);
    fichier_.clear();
    if (chemin.empty()) return true;
    const Descripteur fd(::open(chemin.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (fd() < 0) return false;
    fichier_ = chemin;
    return true;
}

TLimiteurDebit::Duree TLimiteurDebit::Reserve() {
    std::lock_guard garde(verrou_);
    const auto maintenant = std::chrono::steady_clock::now();
    auto tour = maintenant;
    if (!premier_) tour = std::max(maintenant, dernier_ + intervalle_);
    auto delai = std::chrono::duration_cast<Duree>(tour - maintenant);
    if (!fichier_.empty())
        if (const auto commun = ReserveFichier(fichier_, intervalle_.count(), delai.count()))
            delai = std::max(delai, Duree(*commun));
    premier_ = false;
    dernier_ = maintenant + delai;
    return delai;
}

TLimiteurDebit& LimiteurNominatim() {
    static TLimiteurDebit limiteur;
    return limiteur;
}

} // namespace orlavine::geocodeur
