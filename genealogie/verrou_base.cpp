#include "genealogie/verrou_base.h"

#include "genealogie/base_sqlite.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace orlavine {

namespace fs = std::filesystem;

struct DescripteurVerrou {
    int Fd = -1;
    IdentiteFichier Identite;
    DescripteurVerrou(int fd, IdentiteFichier identite) : Fd(fd), Identite(identite) {}
    ~DescripteurVerrou() { ::close(Fd); }
    DescripteurVerrou(const DescripteurVerrou&) = delete;
    DescripteurVerrou& operator=(const DescripteurVerrou&) = delete;
};

namespace {

// The shared descriptors of this process, by file.
std::mutex& MutexPartages() {
    static std::mutex m;
    return m;
}
std::map<IdentiteFichier, std::weak_ptr<DescripteurVerrou>>& Partages() {
    static std::map<IdentiteFichier, std::weak_ptr<DescripteurVerrou>> p;
    return p;
}
std::shared_ptr<DescripteurVerrou> PartageDe(const IdentiteFichier& id) {
    std::lock_guard verrou(MutexPartages());
    const auto it = Partages().find(id);
    return it == Partages().end() ? nullptr : it->second.lock();
}

IdentiteFichier IdentiteDeStat(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

[[noreturn]] void Echec(const fs::path& chemin, int numero) {
    throw ErreurGenealogie(chemin.string(), 0, RaisonSysteme(numero));
}

// The file opened for reading, with its identity; ErreurGenealogie when it cannot be.
std::pair<int, IdentiteFichier> OuvreFichier(const fs::path& chemin) {
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) Echec(chemin, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int numero = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        Echec(chemin, numero);
    }
    return {fd, IdentiteDeStat(st)};
}

std::string NomProgramme(long pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/comm");
    std::string nom;
    std::getline(f, nom);
    return nom.empty() ? "un programme" : nom;
}

} // namespace

std::optional<IdentiteFichier> IdentiteDe(const fs::path& chemin) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0) return std::nullopt;
    return IdentiteDeStat(st);
}

std::string DetenteurDe(const IdentiteFichier& identite) {
    // /proc/locks: "1: FLOCK  ADVISORY  READ 1234 08:02:131074 0 EOF" (a waiter has "->").
    std::ifstream f("/proc/locks");
    std::string ligne;
    char fichier[64];
    std::snprintf(fichier, sizeof fichier, "%02x:%02x:%lu", ::major(identite.Disque),
                  ::minor(identite.Disque), static_cast<unsigned long>(identite.Noeud));
    long autre = 0;
    bool nous = false;
    while (std::getline(f, ligne)) {
        std::istringstream champs(ligne);
        std::string numero, type, genre, acces, id;
        long pid = 0;
        champs >> numero >> type;
        if (type == "->") continue;
        champs >> genre >> acces >> pid >> id;
        if (!champs || id != fichier) continue;
        if (pid == ::getpid())
            nous = true;
        else if (autre == 0 && pid > 0)
            autre = pid;
    }
    if (autre != 0) return NomProgramme(autre) + " (processus " + std::to_string(autre) + ")";
    if (nous || PartageDe(identite))
        return "ce programme (processus " + std::to_string(::getpid()) + ")";
    return {};
}

VerrouBase::VerrouBase(const fs::path& chemin, Mode mode) {
    using namespace std::chrono_literals;
    const auto limite = std::chrono::steady_clock::now() + 2s;
    for (;;) {
        const auto id = IdentiteDe(chemin);
        if (!id) Echec(chemin, errno);
        // Held by this process already: shared, or refused without opening the file again.
        if (auto partage = PartageDe(*id)) {
            if (mode == Mode::Exclusif)
                throw ErreurGenealogie(chemin.string(), 0,
                                       "la base est ouverte par " + DetenteurDe(*id) +
                                           " ; elle n'a pas été remplacée : fermez-la puis "
                                           "recommencez");
            d_ = std::move(partage);
            return;
        }
        const auto [fd, ouvert] = OuvreFichier(chemin);
        if (ouvert != *id) { // replaced between the two looks
            ::close(fd);
            continue;
        }
        if (::flock(fd, (mode == Mode::Exclusif ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            const int numero = errno;
            if (numero == EWOULDBLOCK) {
                ::close(fd);
                const std::string qui = DetenteurDe(*id);
                if (mode == Mode::Exclusif)
                    throw ErreurGenealogie(
                        chemin.string(), 0,
                        "la base est ouverte par " + (qui.empty() ? "un autre programme" : qui) +
                            " ; elle n'a pas été remplacée : fermez ce programme puis "
                            "recommencez");
                if (std::chrono::steady_clock::now() > limite)
                    throw ErreurGenealogie(chemin.string(), 0,
                                           "la base est en cours de remplacement par " +
                                               (qui.empty() ? "un autre programme" : qui) +
                                               " ; réessayez dans un instant");
                std::this_thread::sleep_for(50ms);
                continue;
            }
            // A file system without locks (some network shares): the identity check remains.
        }
        // Replaced while we waited for the lock: the lock is on the old file.
        if (IdentiteDe(chemin) != *id) {
            ::close(fd);
            continue;
        }
        d_ = std::make_shared<DescripteurVerrou>(fd, *id);
        if (mode == Mode::Partage) {
            std::lock_guard verrou(MutexPartages());
            Partages()[*id] = d_;
        }
        return;
    }
}

VerrouBase::~VerrouBase() {
    if (!d_) return;
    const IdentiteFichier id = d_->Identite;
    d_.reset();
    std::lock_guard verrou(MutexPartages());
    const auto it = Partages().find(id);
    if (it != Partages().end() && it->second.expired()) Partages().erase(it);
}

VerrouBase::VerrouBase(VerrouBase&&) noexcept = default;
VerrouBase& VerrouBase::operator=(VerrouBase&&) noexcept = default;

const IdentiteFichier& VerrouBase::Identite() const {
    return d_->Identite;
}

int VerrouBase::Descripteur() const {
    return d_->Fd;
}

} // namespace orlavine
