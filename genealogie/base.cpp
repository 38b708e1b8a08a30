#include "genealogie/base.h"

#include "genealogie/journal_geo.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <stdio.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace orlavine {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t IdApplication = 0x4F524C56; // "ORLV"

// Each entry brings the schema from its index to the next version.
constexpr std::string_view Migrations[] = {
    // 0 -> 1
    R"sql(
CREATE TABLE meta(
    cle TEXT PRIMARY KEY,
    valeur TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE fichier_origine(
    id INTEGER PRIMARY KEY CHECK (id = 1),
    nom TEXT NOT NULL,
    octets BLOB NOT NULL);
CREATE TABLE lieux(
    id INTEGER PRIMARY KEY CHECK (id >= 1),
    texte TEXT NOT NULL,
    commune TEXT NOT NULL DEFAULT '',
    code_insee TEXT NOT NULL DEFAULT '',
    code_postal TEXT NOT NULL DEFAULT '',
    departement TEXT NOT NULL DEFAULT '',
    region TEXT NOT NULL DEFAULT '',
    pays TEXT NOT NULL DEFAULT '',
    supprime INTEGER NOT NULL DEFAULT 0 CHECK (supprime IN (0, 1)));
CREATE TABLE evenements(
    id INTEGER PRIMARY KEY,
    lieu INTEGER NOT NULL REFERENCES lieux(id),
    lieu_dit TEXT NOT NULL DEFAULT '',
    ligne_plac INTEGER NOT NULL CHECK (ligne_plac >= 1),
    etiquette TEXT NOT NULL DEFAULT '',
    latitude_lue REAL,
    longitude_lue REAL,
    map_sous_plac INTEGER NOT NULL DEFAULT 0);
CREATE TABLE geolocalisation(
    lieu INTEGER NOT NULL REFERENCES lieux(id),
    lieu_dit TEXT NOT NULL DEFAULT '',
    latitude REAL NOT NULL DEFAULT 0 CHECK (latitude BETWEEN -90 AND 90),
    longitude REAL NOT NULL DEFAULT 0 CHECK (longitude BETWEEN -180 AND 180),
    etat INTEGER NOT NULL CHECK (etat BETWEEN 0 AND 7),
    adresse TEXT NOT NULL DEFAULT '',
    provenance TEXT NOT NULL CHECK (provenance IN ('gedcom', 'atlas', 'geocodeur', 'main')),
    date TEXT NOT NULL,
    PRIMARY KEY (lieu, lieu_dit)) WITHOUT ROWID;
)sql",
    // 1 -> 2
    MigrationJournalGeo,
};
static_assert(std::size(Migrations) == TBaseGenealogie::VersionSchema);

// The index of the traversal by place, made after the bulk insert (faster than keeping it up).
// It holds every column the traversal reads, so the traversal never visits the table itself.
constexpr std::string_view IndexEvenements = "CREATE INDEX IF NOT EXISTS evenements_par_lieu ON "
                                             "evenements(lieu, lieu_dit, ligne_plac)";

void Applique(ConnexionSqlite& c, int depuis) {
    for (int v = depuis; v < TBaseGenealogie::VersionSchema; ++v) {
        c.Execute(Migrations[v]);
        if (v == 0) c.Execute(IndexEvenements);
    }
    c.Execute("PRAGMA user_version = " + std::to_string(TBaseGenealogie::VersionSchema));
}

std::string Joint(std::initializer_list<std::string_view> parties) {
    std::string texte;
    for (std::string_view p : parties) {
        if (p.empty()) continue;
        if (!texte.empty()) texte += ", ";
        texte += p;
    }
    return texte;
}

// Removes a file (and the side files SQLite may have made) unless released.
class FichierProvisoire {
public:
    explicit FichierProvisoire(fs::path chemin) : chemin_(std::move(chemin)) {}
    ~FichierProvisoire() {
        if (chemin_.empty()) return;
        std::error_code ec;
        for (const char* suffixe : {"", "-journal", "-wal", "-shm"})
            fs::remove(fs::path(chemin_.string() + suffixe), ec);
    }
    FichierProvisoire(const FichierProvisoire&) = delete;
    FichierProvisoire& operator=(const FichierProvisoire&) = delete;
    const fs::path& Chemin() const { return chemin_; }
    void Libere() { chemin_.clear(); }

private:
    fs::path chemin_;
};

[[noreturn]] void EchecSysteme(const fs::path& chemin, int numero, std::string_view quoi) {
    throw ErreurGenealogie(chemin.string(), 0, std::string(quoi) + " : " + RaisonSysteme(numero));
}

void SynchroniseFichier(const fs::path& chemin) {
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) EchecSysteme(chemin, errno, "écriture de la base impossible");
    const int rc = ::fsync(fd);
    const int numero = errno;
    ::close(fd);
    if (rc != 0) EchecSysteme(chemin, numero, "écriture de la base impossible");
}

void SynchroniseDossier(const fs::path& dossier) {
    const int fd = ::open(dossier.empty() ? "." : dossier.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return; // the rename is done; durability of the folder entry is best effort
    ::fsync(fd);
    ::close(fd);
}

// Before a base is renamed over an old one, the old one's write-ahead log must be empty:
// SQLite would otherwise replay it onto the new file.
void VideJournalAncienneBase(const fs::path& chemin) {
    const fs::path wal = chemin.string() + "-wal";
    std::error_code ec;
    try {
        ConnexionSqlite ancienne(chemin, ConnexionSqlite::Acces::Ecriture);
        ancienne.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        ancienne.Ferme();
    } catch (const ErreurGenealogie&) {
        // Not a base we can open: it is being replaced on request; its log is worthless.
        fs::remove(wal, ec);
        fs::remove(fs::path(chemin.string() + "-shm"), ec);
        return;
    }
    if (fs::exists(wal, ec) && fs::file_size(wal, ec) > 0)
        throw ErreurGenealogie(chemin.string(), 0,
                               "la base est utilisée par un autre programme ; fermez-le puis "
                               "recommencez");
}

// Closes the descriptor (and so releases its lock) at the end of the import.
class VerrouImport {
public:
    explicit VerrouImport(int fd) : fd_(fd) {}
    ~VerrouImport() { ::close(fd_); }
    VerrouImport(const VerrouImport&) = delete;
    VerrouImport& operator=(const VerrouImport&) = delete;

private:
    int fd_;
};

// Removes the temporary files that killed imports of this base left behind: those whose lock
// nobody holds any more.
void RetireImportsAbandonnes(const fs::path& chemin) {
    const std::string prefixe = "." + chemin.filename().string() + ".import-";
    std::error_code ec;
    const fs::path dossier = chemin.parent_path().empty() ? fs::path(".") : chemin.parent_path();
    for (const auto& entree : fs::directory_iterator(dossier, ec)) {
        const std::string nom = entree.path().filename().string();
        if (nom.size() != prefixe.size() + 6 || nom.compare(0, prefixe.size(), prefixe) != 0)
            continue;
        const int fd = ::open(entree.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignore;
            for (const char* suffixe : {"", "-journal", "-wal", "-shm"})
                fs::remove(fs::path(entree.path().string() + suffixe), ignore);
        }
        ::close(fd);
    }
}

[[noreturn]] void ExisteDeja(const fs::path& chemin) {
    throw ErreurGenealogie(chemin.string(), 0,
                           "une base existe déjà à cet endroit (créée par un autre programme "
                           "pendant cet import) ; elle n'a pas été modifiée et cet import n'a "
                           "rien écrit");
}

// Moves the complete new base `provisoire` to `chemin`. Without `remplacer` the move fails
// rather than replace a file that appeared meanwhile (no check-then-rename). With it, an
// existing base is replaced under its exclusive lock, so never while another program has it
// open.
void PlaceBase(const fs::path& provisoire, const fs::path& chemin, bool remplacer) {
    for (int essai = 0; essai < 3; ++essai) {
        std::error_code ec;
        if (remplacer && fs::exists(chemin, ec)) {
            const VerrouBase verrou(chemin, VerrouBase::Mode::Exclusif);
            VideJournalAncienneBase(chemin);
            if (::rename(provisoire.c_str(), chemin.c_str()) != 0)
                EchecSysteme(chemin, errno, "impossible de remplacer la base");
            return;
        }
        if (::renameat2(AT_FDCWD, provisoire.c_str(), AT_FDCWD, chemin.c_str(), RENAME_NOREPLACE) ==
            0)
            return;
        int numero = errno;
        if (numero == EINVAL || numero == ENOSYS) {
            // A file system without exclusive rename: a hard link fails the same way.
            if (::link(provisoire.c_str(), chemin.c_str()) == 0) {
                ::unlink(provisoire.c_str());
                return;
            }
            numero = errno;
        }
        if (numero != EEXIST) EchecSysteme(chemin, numero, "impossible de créer la base");
        if (!remplacer) ExisteDeja(chemin);
    }
    ExisteDeja(chemin);
}

// The first 100 bytes of an SQLite file: the signature, the format, the application id.
bool EnteteOrlavine(const unsigned char* entete, std::size_t taille) {
    if (taille < 72 || std::memcmp(entete, "SQLite format 3", 16) != 0) return false;
    const std::int64_t id =
        (std::int64_t{entete[68]} << 24) | (entete[69] << 16) | (entete[70] << 8) | entete[71];
    return id == IdApplication;
}

// A write that failed because the disk or the file refuses writes: the base is still sound
// and can be read.
bool EcritureImpossible(const ErreurSqlite& e) {
    const int systeme = e.Systeme();
    switch (e.Code() & 0xff) {
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return true;
    case SQLITE_IOERR:
        return systeme == ENOSPC || systeme == EDQUOT || systeme == EROFS || systeme == EACCES ||
               systeme == EPERM || systeme == EFBIG;
    default:
        return false;
    }
}

// Why a base cannot be written, from what its file and folder allow; empty when it can.
std::string RaisonSansEcriture(const fs::path& chemin) {
    if (::access(chemin.c_str(), W_OK) != 0)
        return errno == EROFS ? "le disque de la base est en lecture seule"
                              : "le fichier de la base est protégé en écriture";
    const fs::path dossier = chemin.parent_path().empty() ? fs::path(".") : chemin.parent_path();
    if (::access(dossier.c_str(), W_OK) != 0)
        return errno == EROFS ? "le disque de la base est en lecture seule"
                              : "le dossier de la base est protégé en écriture";
    return {};
}

} // namespace

void VerifieRemplacable(const fs::path& chemin) {
    const VerrouBase verrou(chemin, VerrouBase::Mode::Exclusif);
}

bool EstBaseOrlavine(const fs::path& chemin) {
    unsigned char entete[72] = {};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(chemin.c_str(), "rb"),
                                                      &std::fclose);
    return f && EnteteOrlavine(entete, std::fread(entete, 1, sizeof entete, f.get()));
}

std::string_view NomProvenance(Provenance p) {
    switch (p) {
    case Provenance::Gedcom:
        return "gedcom";
    case Provenance::Atlas:
        return "atlas";
    case Provenance::Geocodeur:
        return "geocodeur";
    case Provenance::GeocodeurEnLigne:
        return "geocodeur-en-ligne";
    case Provenance::Main:
        return "main";
    }
    return "main";
}

std::optional<Provenance> LitProvenance(std::string_view nom) {
    for (Provenance p : {Provenance::Gedcom, Provenance::Atlas, Provenance::Geocodeur,
                         Provenance::GeocodeurEnLigne, Provenance::Main})
        if (NomProvenance(p) == nom) return p;
    return std::nullopt;
}

std::string TLieu::TexteDesParties() const {
    return Joint({Commune, Code(), Departement, Region, Pays});
}

std::string DateMaintenant() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char texte[32];
    std::strftime(texte, sizeof texte, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return texte;
}

// ---- Import -------------------------------------------------------------------------------

namespace {

// The rows of an import, written as the file is read.
class RedacteurBase : public TRedacteurImport {
public:
    RedacteurBase(ConnexionSqlite& c, std::uint64_t taille, std::function<void(int)> avance)
        : c_(c), taille_(taille), avance_(std::move(avance)),
          blob_(c, "fichier_origine", "octets", 1, true),
          insereLieu_(c, "INSERT INTO lieux(id, texte, commune, code_insee, code_postal, "
                         "departement, region, pays, supprime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          insereEvenement_(c, "INSERT INTO evenements(lieu, lieu_dit, ligne_plac, etiquette, "
                              "latitude_lue, longitude_lue, map_sous_plac) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?)"),
          insereGeo_(c, "INSERT INTO geolocalisation(lieu, lieu_dit, latitude, longitude, etat, "
                        "adresse, provenance, date) VALUES (?, ?, ?, ?, ?, '', 'gedcom', ?) "
                        "ON CONFLICT(lieu, lieu_dit) DO NOTHING"),
          date_(DateMaintenant()) {}

    void Octets(std::string_view morceau) override {
        if (morceau.size() > taille_ - ecrits_)
            throw ErreurGenealogie(c_.Chemin().string(), 0,
                                   "le fichier importé a changé pendant sa lecture ; aucune base "
                                   "n'a été écrite");
        blob_.Ecrit(ecrits_, morceau);
        ecrits_ += morceau.size();
    }
    void Ajoute(const TContenuImport::Evenement& e) override {
        std::string texte = e.Lieu.Texte.empty() ? e.Lieu.TexteDesParties() : e.Lieu.Texte;
        auto [it, nouveau] =
            idParTexte_.try_emplace(std::move(texte), static_cast<int>(idParTexte_.size() + 1));
        const int id = it->second;
        if (nouveau) {
            insereLieu_.Lie(1, id)
                .Lie(2, it->first)
                .Lie(3, e.Lieu.Commune)
                .Lie(4, e.Lieu.CodeInsee)
                .Lie(5, e.Lieu.CodePostal)
                .Lie(6, e.Lieu.Departement)
                .Lie(7, e.Lieu.Region)
                .Lie(8, e.Lieu.Pays)
                .Lie(9, e.Lieu.Supprime ? 1 : 0)
                .Execute();
            insereLieu_.Reinitialise();
        }
        insereEvenement_.Lie(1, id)
            .Lie(2, e.LieuDit)
            .Lie(3, static_cast<std::int64_t>(e.LignePlac))
            .Lie(4, e.Etiquette)
            .Lie(5, e.Latitude)
            .Lie(6, e.Longitude)
            .Lie(7, e.SousPlac && e.Latitude && e.Longitude ? 1 : 0)
            .Execute();
        insereEvenement_.Reinitialise();
        ++evenements_;
        if (e.Latitude && e.Longitude) {
            ++coordonneesLues_;
            // The first coordinates met for a place and lieu-dit are kept.
            insereGeo_.Lie(1, id)
                .Lie(2, e.LieuDit)
                .Lie(3, *e.Latitude)
                .Lie(4, *e.Longitude)
                .Lie(5, EtatLuDansGedcom)
                .Lie(6, date_)
                .Execute();
            insereGeo_.Reinitialise();
        }
    }
    void Recommence() override {
        c_.Execute("DELETE FROM evenements; DELETE FROM geolocalisation; DELETE FROM lieux;");
        idParTexte_.clear();
        evenements_ = 0;
        coordonneesLues_ = 0;
    }
    void Avance(int pourcent) override { avance_(std::clamp(pourcent, 0, 90)); }

    // Once the file is read: its bytes all there, the blob closed.
    void Termine() {
        if (ecrits_ != taille_)
            throw ErreurGenealogie(c_.Chemin().string(), 0,
                                   "le fichier importé a changé pendant sa lecture ; aucune base "
                                   "n'a été écrite");
    }
    long Evenements() const { return evenements_; }
    long Lieux() const { return static_cast<long>(idParTexte_.size()); }
    long CoordonneesLues() const { return coordonneesLues_; }
    const std::string& Date() const { return date_; }

private:
    ConnexionSqlite& c_;
    std::uint64_t taille_;
    std::uint64_t ecrits_ = 0;
    std::function<void(int)> avance_;
    BlobSqlite blob_;
    RequeteSqlite insereLieu_, insereEvenement_, insereGeo_;
    std::string date_;
    std::unordered_map<std::string, int> idParTexte_;
    long evenements_ = 0;
    long coordonneesLues_ = 0;
};

} // namespace

TComptesBase CreeBase(const TContenuImport& contenu, const fs::path& chemin,
                      const OptionsImport& options) {
    return CreeBase(
        contenu.NomFichier, contenu.Octets.size(),
        [&](TRedacteurImport& r) {
            r.Octets(contenu.Octets);
            const std::size_t total = contenu.Evenements.size();
            for (std::size_t i = 0; i < total; ++i) {
                r.Ajoute(contenu.Evenements[i]);
                if ((i & 0x3fff) == 0) r.Avance(static_cast<int>(i * 90 / (total ? total : 1)));
            }
            TContenuImport infos;
            infos.Individus = contenu.Individus;
            infos.Familles = contenu.Familles;
            infos.LignesIgnorees = contenu.LignesIgnorees;
            infos.Encodage = contenu.Encodage;
            return infos;
        },
        chemin, options);
}

TComptesBase CreeBase(const std::string& nomFichier, std::uint64_t taille,
                      const RemplissageImport& remplit, const fs::path& chemin,
                      const OptionsImport& options) {
    std::error_code ec;
    if (!options.Remplacer && fs::exists(chemin, ec))
        throw ErreurGenealogie(chemin.string(), 0,
                               "une base existe déjà à cet endroit ; elle n'a pas été modifiée "
                               "(demandez son remplacement pour l'écraser)");
    if (fs::is_directory(chemin, ec))
        throw ErreurGenealogie(chemin.string(), 0, RaisonSysteme(EISDIR));
    // Refused now rather than after the work, while another program has the base open.
    if (fs::exists(chemin, ec)) VerifieRemplacable(chemin);
    // Replacing is for bases: any other file (a GEDCOM file named by mistake) is kept.
    if (fs::exists(chemin, ec) && !EstBaseOrlavine(chemin))
        throw ErreurGenealogie(chemin.string(), 0,
                               "ce fichier n'est pas une base Orlavine ; il n'a pas été remplacé");
    const fs::path dossier = chemin.parent_path();
    if (!dossier.empty() && !fs::is_directory(dossier, ec))
        throw ErreurGenealogie(chemin.string(), 0,
                               "le dossier « " + dossier.string() + " » n'existe pas");

    auto avance = [&](int pourcent) {
        if (options.Progression && !options.Progression(pourcent))
            throw ImportAnnule(chemin.string(), 0, "import annulé ; aucune base n'a été écrite");
    };
    avance(0);

    // The temporary file: same folder, so that the final rename is atomic.
    std::string modele = (dossier / ("." + chemin.filename().string() + ".import-XXXXXX")).string();
    RetireImportsAbandonnes(chemin);
    const int fd = ::mkstemp(modele.data());
    if (fd < 0) EchecSysteme(chemin, errno, "impossible d'écrire dans ce dossier");
    // Held until the end: a file of a killed import is told from one being written by its lock.
    VerrouImport verrou(fd);
    ::flock(fd, LOCK_EX);
    FichierProvisoire provisoire{fs::path(modele)};
    ::chmod(modele.c_str(), 0644);

    TComptesBase comptes;
    {
        ConnexionSqlite c(provisoire.Chemin(), ConnexionSqlite::Acces::Ecriture);
        // The file is thrown away unless complete: no journal is needed while it is built.
        c.Execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
                  "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -16384;"
                  "PRAGMA foreign_keys = ON;");
        c.Execute("PRAGMA application_id = " + std::to_string(IdApplication));
        TransactionSqlite t(c);
        c.Execute(Migrations[0]);
        Applique(c, 1);

        {
            // The file's bytes go into the blob by pieces as they are read.
            RequeteSqlite f(c, "INSERT INTO fichier_origine(id, nom, octets) "
                               "VALUES (1, ?, zeroblob(?))");
            f.Lie(1, nomFichier).Lie(2, static_cast<std::int64_t>(taille)).Execute();
        }
        std::string date;
        TContenuImport infos;
        {
            RedacteurBase redacteur(c, taille, avance);
            infos = remplit(redacteur);
            redacteur.Termine();
            comptes.Evenements = redacteur.Evenements();
            comptes.Lieux = redacteur.Lieux();
            comptes.CoordonneesLues = redacteur.CoordonneesLues();
            date = redacteur.Date();
        }
        comptes.Individus = infos.Individus;
        comptes.Familles = infos.Familles;
        comptes.LignesIgnorees = infos.LignesIgnorees;
        c.Execute(IndexEvenements);
        comptes.LieuxDits = static_cast<long>(
            c.Entier("SELECT count(*) FROM (SELECT DISTINCT lieu, lieu_dit FROM evenements "
                     "WHERE lieu_dit <> '')")
                .value_or(0));

        {
            RequeteSqlite meta(c, "INSERT INTO meta(cle, valeur) VALUES (?, ?)");
            const std::pair<const char*, std::string> valeurs[] = {
                {"individus", std::to_string(comptes.Individus)},
                {"familles", std::to_string(comptes.Familles)},
                {"coordonnees_lues", std::to_string(comptes.CoordonneesLues)},
                {"lignes_ignorees", std::to_string(comptes.LignesIgnorees)},
                {"encodage", infos.Encodage},
                {"date_import", date},
            };
            for (const auto& [cle, valeur] : valeurs) {
                meta.Lie(1, cle).Lie(2, valeur).Execute();
                meta.Reinitialise();
            }
        }
        avance(95);
        t.Valide();
        // Written in the header, so every later connection uses the write-ahead log.
        c.Execute("PRAGMA journal_mode = WAL");
        c.Ferme();
    }
    SynchroniseFichier(provisoire.Chemin());
    avance(100);

    PlaceBase(provisoire.Chemin(), chemin, options.Remplacer);
    provisoire.Libere();
    SynchroniseDossier(dossier);
    return comptes;
}

// ---- Opened base --------------------------------------------------------------------------

namespace {

// A file SQLite cannot read as a database, or finds damaged, is said so; any other error is
// left to the caller.
void LeveSiEndommagee(const fs::path& chemin, const ErreurSqlite& e) {
    const int code = e.Code() & 0xff;
    if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
        throw ErreurGenealogie(chemin.string(), 0,
                               "ce fichier n'est pas une base Orlavine (ou il est endommagé)");
}

} // namespace

ConnexionSqlite TBaseGenealogie::Connecte(const fs::path& chemin, const VerrouBase& verrou,
                                          bool& lectureSeule, std::string& raison) {
    // The header is read before SQLite opens the file: a file that is not ours is refused
    // without a journal or a shared-memory file made beside it.
    unsigned char entete[100] = {};
    const ssize_t lus = ::pread(verrou.Descripteur(), entete, sizeof entete, 0);
    if (lus < 0) EchecSysteme(chemin, errno, "lecture impossible");
    if (!EnteteOrlavine(entete, static_cast<std::size_t>(lus)))
        throw ErreurGenealogie(chemin.string(), 0, "ce fichier n'est pas une base Orlavine");

    if (!lectureSeule) {
        raison = RaisonSansEcriture(chemin);
        lectureSeule = !raison.empty();
    }
    if (!lectureSeule) {
        const bool walAvant = fs::exists(chemin.string() + "-wal");
        const bool shmAvant = fs::exists(chemin.string() + "-shm");
        try {
            ConnexionSqlite c(chemin, ConnexionSqlite::Acces::Ecriture);
            // The first read makes the write-ahead log's side files: a full disk shows here.
            (void)c.Entier("PRAGMA user_version");
            RetireImportsAbandonnes(chemin);
            return c;
        } catch (const ErreurSqlite& e) {
            LeveSiEndommagee(chemin, e);
            if (!EcritureImpossible(e)) throw;
            raison = e.Raison();
            lectureSeule = true;
        }
        // What the failed opening made and left empty goes.
        std::error_code ec;
        for (const auto& [suffixe, avant] : {std::pair{"-wal", walAvant}, {"-shm", shmAvant}}) {
            const fs::path p = chemin.string() + suffixe;
            if (!avant && fs::exists(p, ec) && fs::file_size(p, ec) == 0) fs::remove(p, ec);
        }
    }
    // Read-only: the write-ahead log is read when there is one; without one the file alone is
    // the whole base and is opened as immutable (no lock, no side file to make).
    // (When read-only was asked for a base that could be written, the usual opening.)
    const bool immuable =
        !raison.empty() && entete[18] == 2 &&
        !(fs::exists(chemin.string() + "-wal") && fs::exists(chemin.string() + "-shm"));
    try {
        ConnexionSqlite c(chemin, immuable ? ConnexionSqlite::Acces::LectureImmuable
                                           : ConnexionSqlite::Acces::Lecture);
        (void)c.Entier("PRAGMA user_version");
        return c;
    } catch (const ErreurSqlite& e) {
        LeveSiEndommagee(chemin, e);
        throw;
    }
}

TBaseGenealogie::TBaseGenealogie(const fs::path& chemin, bool lectureSeule)
    : verrou_(chemin, VerrouBase::Mode::Partage), lectureSeule_(lectureSeule),
      connexion_(Connecte(chemin, verrou_, lectureSeule_, raisonLectureSeule_)) {
    std::optional<std::int64_t> id;
    try {
        id = connexion_.Entier("PRAGMA application_id");
    } catch (const ErreurSqlite& e) {
        LeveSiEndommagee(chemin, e);
        throw;
    }
    if (id.value_or(0) != IdApplication)
        throw ErreurGenealogie(chemin.string(), 0, "ce fichier n'est pas une base Orlavine");
    const auto version = connexion_.Entier("PRAGMA user_version").value_or(0);
    if (version > VersionSchema)
        throw ErreurGenealogie(chemin.string(), 0,
                               "base créée par une version plus récente d'Orlavine (schéma " +
                                   std::to_string(version) + ")");
    if (!lectureSeule_) {
        connexion_.Execute("PRAGMA foreign_keys = ON");
        connexion_.Execute("PRAGMA journal_mode = WAL");
    } else if (version < VersionSchema) {
        throw ErreurGenealogie(chemin.string(), 0,
                               "base d'une version antérieure : ouvrez-la en écriture pour la "
                               "mettre à jour");
    }
    // From now on every write first checks that the file is still the one opened.
    connexion_.AvantEcriture([chemin = Chemin(), identite = verrou_.Identite(),
                              lecture = lectureSeule_, raison = raisonLectureSeule_] {
        if (lecture)
            throw ErreurGenealogie(chemin.string(), 0,
                                   "la base est ouverte en lecture seule" +
                                       (raison.empty() ? std::string() : " (" + raison + ")") +
                                       " ; rien n'y a été écrit");
        const auto actuelle = IdentiteDe(chemin);
        if (!actuelle)
            throw ErreurGenealogie(chemin.string(), 0,
                                   "la base a été déplacée ou supprimée depuis son ouverture ; "
                                   "rien n'y a été écrit : rouvrez-la");
        if (*actuelle != identite)
            throw ErreurGenealogie(chemin.string(), 0,
                                   "la base a été remplacée par un autre fichier depuis son "
                                   "ouverture ; rien n'y a été écrit : rouvrez-la");
    });
    if (!lectureSeule_ && version < VersionSchema) Migre();
}

void TBaseGenealogie::Migre() {
    TransactionSqlite t(connexion_);
    const auto version = connexion_.Entier("PRAGMA user_version").value_or(0);
    Applique(connexion_, static_cast<int>(version));
    t.Valide();
}

std::string TBaseGenealogie::Meta(std::string_view cle) {
    RequeteSqlite r(connexion_, "SELECT valeur FROM meta WHERE cle = ?");
    r.Lie(1, cle);
    return r.Pas() ? std::string(r.Texte(0)) : std::string();
}

TComptesBase TBaseGenealogie::Comptes() {
    auto nombre = [&](std::string_view cle) {
        const std::string v = Meta(cle);
        return v.empty() ? 0L : std::stol(v);
    };
    TComptesBase c;
    c.Individus = nombre("individus");
    c.Familles = nombre("familles");
    c.CoordonneesLues = nombre("coordonnees_lues");
    c.LignesIgnorees = nombre("lignes_ignorees");
    c.Evenements = NombreEvenements();
    c.Lieux = static_cast<long>(connexion_.Entier("SELECT count(*) FROM lieux").value_or(0));
    c.LieuxDits = static_cast<long>(
        connexion_
            .Entier("SELECT count(*) FROM (SELECT DISTINCT lieu, lieu_dit FROM evenements "
                    "WHERE lieu_dit <> '')")
            .value_or(0));
    return c;
}

std::string TBaseGenealogie::NomFichierOrigine() {
    RequeteSqlite r(connexion_, "SELECT nom FROM fichier_origine WHERE id = 1");
    return r.Pas() ? std::string(r.Texte(0)) : std::string();
}

std::string TBaseGenealogie::OctetsOrigine() {
    RequeteSqlite r(connexion_, "SELECT octets FROM fichier_origine WHERE id = 1");
    if (!r.Pas()) throw ErreurGenealogie(Chemin().string(), 0, "le fichier importé manque");
    return std::string(r.Octets(0));
}

std::vector<TLieu> TBaseGenealogie::Lieux() {
    std::vector<TLieu> lieux;
    RequeteSqlite r(connexion_, "SELECT id, texte, commune, code_insee, code_postal, "
                                "departement, region, pays, supprime FROM lieux ORDER BY id");
    while (r.Pas()) {
        TLieu l;
        l.Id = static_cast<int>(r.Entier(0));
        l.Texte = r.Texte(1);
        l.Commune = r.Texte(2);
        l.CodeInsee = r.Texte(3);
        l.CodePostal = r.Texte(4);
        l.Departement = r.Texte(5);
        l.Region = r.Texte(6);
        l.Pays = r.Texte(7);
        l.Supprime = r.Entier(8) != 0;
        lieux.push_back(std::move(l));
    }
    return lieux;
}

void TBaseGenealogie::MarqueLieuSupprime(int id, bool supprime) {
    RequeteSqlite r(connexion_, "UPDATE lieux SET supprime = ? WHERE id = ?");
    r.Lie(1, supprime ? 1 : 0).Lie(2, id).Execute();
}

TParcoursEvenementsParLieu::TParcoursEvenementsParLieu(ConnexionSqlite& connexion)
    // A scan of the index (lieu, lieu_dit, ligne_plac); the lines give the file order.
    : requete_(connexion, "SELECT lieu, lieu_dit, ligne_plac FROM evenements "
                          "ORDER BY lieu, lieu_dit, ligne_plac") {}

bool TParcoursEvenementsParLieu::Suivant(TEvenementLieu& evenement) {
    if (!requete_.Pas()) return false;
    evenement.IdLieu = static_cast<int>(requete_.Entier(0));
    evenement.LieuDit = requete_.Texte(1);
    evenement.LignePlac = static_cast<long>(requete_.Entier(2));
    return true;
}

std::vector<TEvenementLieu> TBaseGenealogie::EvenementsParLieu() {
    std::vector<TEvenementLieu> evenements;
    evenements.reserve(static_cast<std::size_t>(NombreEvenements()));
    TParcoursEvenementsParLieu parcours(connexion_);
    TEvenementLieu e;
    while (parcours.Suivant(e))
        evenements.push_back(e);
    return evenements;
}

long TBaseGenealogie::NombreEvenements() {
    return static_cast<long>(connexion_.Entier("SELECT count(*) FROM evenements").value_or(0));
}

TGeolocalisation LitLigneGeolocalisation(const RequeteSqlite& r, const fs::path& base,
                                         std::string_view ou) {
    TGeolocalisation g;
    g.IdLieu = static_cast<int>(r.Entier(0));
    g.LieuDit = r.Texte(1);
    g.Latitude = r.Reel(2);
    g.Longitude = r.Reel(3);
    g.Etat = static_cast<int>(r.Entier(4));
    g.Adresse = r.Texte(5);
    const auto p = LitProvenance(r.Texte(6));
    if (!p) throw ErreurGenealogie(base.string(), 0, "provenance inconnue dans " + std::string(ou));
    g.Origine = *p;
    g.Date = r.Texte(7);
    return g;
}

namespace {
TGeolocalisation LitGeo(const RequeteSqlite& r, const fs::path& chemin) {
    return LitLigneGeolocalisation(r, chemin, "la table de géolocalisation");
}
constexpr std::string_view ColonnesGeo =
    "SELECT lieu, lieu_dit, latitude, longitude, etat, adresse, provenance, date "
    "FROM geolocalisation";
} // namespace

std::vector<TGeolocalisation> TBaseGenealogie::Geolocalisations() {
    std::vector<TGeolocalisation> geos;
    RequeteSqlite r(connexion_, std::string(ColonnesGeo) + " ORDER BY lieu, lieu_dit");
    while (r.Pas())
        geos.push_back(LitGeo(r, Chemin()));
    return geos;
}

std::optional<TGeolocalisation> TBaseGenealogie::Geolocalisation(int idLieu,
                                                                 std::string_view lieuDit) {
    RequeteSqlite r(connexion_, std::string(ColonnesGeo) + " WHERE lieu = ? AND lieu_dit = ?");
    r.Lie(1, idLieu).Lie(2, lieuDit);
    if (!r.Pas()) return std::nullopt;
    return LitGeo(r, Chemin());
}

bool TBaseGenealogie::AjouteGeolocalisation(const TGeolocalisation& g) {
    RequeteSqlite r(connexion_, "INSERT INTO geolocalisation(lieu, lieu_dit, latitude, "
                                "longitude, etat, adresse, provenance, date) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                                "ON CONFLICT(lieu, lieu_dit) DO NOTHING");
    r.Lie(1, g.IdLieu)
        .Lie(2, g.LieuDit)
        .Lie(3, g.Latitude)
        .Lie(4, g.Longitude)
        .Lie(5, g.Etat)
        .Lie(6, g.Adresse)
        .Lie(7, NomProvenance(g.Origine))
        .Lie(8, g.Date.empty() ? DateMaintenant() : g.Date)
        .Execute();
    return connexion_.Changements() > 0;
}

bool TBaseGenealogie::MetAJourGeolocalisation(int idLieu, std::string_view lieuDit, double latitude,
                                              double longitude, int etat, Provenance origine,
                                              std::string_view adresse) {
    // Provenance and date follow the position: validating a position keeps where it came from.
    RequeteSqlite r(connexion_,
                    "UPDATE geolocalisation SET "
                    "provenance = CASE WHEN latitude = ?3 AND longitude = ?4 THEN provenance "
                    "ELSE ?6 END, "
                    "date = CASE WHEN latitude = ?3 AND longitude = ?4 THEN date ELSE ?7 END, "
                    "latitude = ?3, longitude = ?4, etat = ?5, "
                    "adresse = CASE WHEN coalesce(?8, '') = '' THEN adresse ELSE ?8 END "
                    "WHERE lieu = ?1 AND lieu_dit = ?2");
    r.Lie(1, idLieu)
        .Lie(2, lieuDit)
        .Lie(3, latitude)
        .Lie(4, longitude)
        .Lie(5, etat)
        .Lie(6, NomProvenance(origine))
        .Lie(7, DateMaintenant())
        .Lie(8, adresse)
        .Execute();
    return connexion_.Changements() > 0;
}

bool TBaseGenealogie::SupprimeGeolocalisation(int idLieu, std::string_view lieuDit) {
    RequeteSqlite r(connexion_, "DELETE FROM geolocalisation WHERE lieu = ? AND lieu_dit = ?");
    r.Lie(1, idLieu).Lie(2, lieuDit).Execute();
    return connexion_.Changements() > 0;
}

int TBaseGenealogie::SupprimeGeolocalisations(std::span<const int> etats) {
    TransactionSqlite t(connexion_);
    RequeteSqlite r(connexion_, "DELETE FROM geolocalisation WHERE etat = ?");
    int n = 0;
    for (int etat : etats) {
        r.Lie(1, etat).Execute();
        n += connexion_.Changements();
        r.Reinitialise();
    }
    t.Valide();
    return n;
}

std::vector<TBaseGenealogie::Changement> TBaseGenealogie::ChangementsAExporter() {
    // Positions stored since the import (not read from the file), of located states only.
    RequeteSqlite r(connexion_,
                    "SELECT e.ligne_plac, g.latitude, g.longitude, e.latitude_lue, "
                    "e.longitude_lue FROM evenements e JOIN geolocalisation g "
                    "ON g.lieu = e.lieu AND g.lieu_dit = e.lieu_dit "
                    "WHERE g.provenance <> 'gedcom' AND g.etat NOT IN (1, 3) "
                    "AND NOT (g.latitude = 0 AND g.longitude = 0) ORDER BY e.ligne_plac");
    // The file keeps at most 6 decimals: a position equal to what the event carries at that
    // precision is no change.
    auto memes = [](double a, double b) { return std::llround(a * 1e6) == std::llround(b * 1e6); };
    std::vector<Changement> changements;
    while (r.Pas()) {
        const Changement c{static_cast<long>(r.Entier(0)), r.Reel(1), r.Reel(2)};
        if (!r.EstNul(3) && !r.EstNul(4) && memes(r.Reel(3), c.Latitude) &&
            memes(r.Reel(4), c.Longitude))
            continue;
        changements.push_back(c);
    }
    // PLAC.MAPs read from the file whose position the user deleted (no row left, or a row
    // that says "not located").
    RequeteSqlite retraits(connexion_,
                           "SELECT e.ligne_plac FROM evenements e LEFT JOIN geolocalisation g "
                           "ON g.lieu = e.lieu AND g.lieu_dit = e.lieu_dit "
                           "WHERE e.map_sous_plac = 1 AND (g.lieu IS NULL OR g.etat IN (1, 3) "
                           "OR (g.latitude = 0 AND g.longitude = 0))");
    while (retraits.Pas())
        changements.push_back({static_cast<long>(retraits.Entier(0)), 0, 0, true});
    std::sort(changements.begin(), changements.end(),
              [](const Changement& a, const Changement& b) { return a.LignePlac < b.LignePlac; });
    return changements;
}

void TBaseGenealogie::VerifieAvantUsage() {
    std::string etat;
    try {
        RequeteSqlite r(connexion_, "PRAGMA quick_check(1)");
        etat = r.Pas() ? std::string(r.Texte(0)) : std::string("aucune réponse");
    } catch (const ErreurGenealogie& e) {
        etat = e.what(); // too damaged even to be checked
    }
    if (etat != "ok")
        throw ErreurGenealogie(Chemin().string(), 0,
                               "base endommagée (" + etat +
                                   ") ; elle n'est pas ouverte. Reprenez-en une copie de "
                                   "sauvegarde, ou importez à nouveau le fichier GEDCOM.");
}

std::string TBaseGenealogie::VerifieIntegrite() {
    RequeteSqlite r(connexion_, "PRAGMA integrity_check");
    std::string resultat;
    while (r.Pas()) {
        if (!resultat.empty()) resultat += "\n";
        resultat += r.Texte(0);
    }
    RequeteSqlite fk(connexion_, "PRAGMA foreign_key_check");
    if (fk.Pas()) resultat += (resultat == "ok" ? "\n" : "") + std::string("clé étrangère");
    return resultat;
}

} // namespace orlavine
