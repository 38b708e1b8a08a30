// The advisory lock every Orlavine program takes on a base file while it has it open (a shared
// flock(2) on the file itself), and that an import takes exclusively while it replaces the
// file: a base open in one program is never replaced by another. Programs that know nothing of
// the lock (a file manager, a copy) are caught by the file's identity, which the opened base
// checks before it writes.
//
// One process holds one descriptor per base file, shared by all its openings: closing a
// descriptor of a file drops every POSIX lock the process holds on it, SQLite's included, so
// a descriptor is closed only once no connection of this process uses the file.
#pragma once

#include <compare>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace orlavine {

struct IdentiteFichier {
    dev_t Disque = 0;
    ino_t Noeud = 0;
    auto operator<=>(const IdentiteFichier&) const = default;
};

// The identity of the file `chemin` names now; nothing when it names none.
std::optional<IdentiteFichier> IdentiteDe(const std::filesystem::path& chemin);

// "orlavine-cli (processus 1234)": the first other process that holds a lock on the file,
// "ce programme (processus 1234)" for this one; empty when none is known.
std::string DetenteurDe(const IdentiteFichier& identite);

struct DescripteurVerrou;

class VerrouBase {
public:
    enum class Mode {
        Partage,  // an open base: waits (2 s at most) while an import replaces the file
        Exclusif, // a replacement: refused at once while any program has the base open
    };
    // ErreurGenealogie with the French reason when the file cannot be opened or locked; the
    // refusal of Exclusif names the program that holds the base.
    VerrouBase(const std::filesystem::path& chemin, Mode mode);
    ~VerrouBase();
    VerrouBase(VerrouBase&&) noexcept;
    VerrouBase& operator=(VerrouBase&&) noexcept;

    // The identity of the file locked.
    const IdentiteFichier& Identite() const;
    // The locked descriptor (read only), to read the file without opening it again.
    int Descripteur() const;

private:
    std::shared_ptr<DescripteurVerrou> d_;
};

} // namespace orlavine
