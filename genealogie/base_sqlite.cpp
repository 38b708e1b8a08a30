#include "genealogie/base_sqlite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <utility>

namespace orlavine {

std::string RaisonSqlite(int code) {
    switch (code & 0xff) {
    case SQLITE_FULL:
        return "le disque est plein";
    case SQLITE_READONLY:
        return "la base est en lecture seule";
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "accès refusé";
    case SQLITE_CANTOPEN:
        return "impossible d'ouvrir le fichier (absent, dossier inexistant ou accès refusé)";
    case SQLITE_NOTADB:
        return "ce fichier n'est pas une base de données";
    case SQLITE_CORRUPT:
        return "la base est endommagée";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "la base est utilisée par un autre programme";
    case SQLITE_IOERR:
        return "erreur de lecture ou d'écriture sur le disque";
    case SQLITE_NOMEM:
        return "mémoire insuffisante";
    case SQLITE_CONSTRAINT:
        return "donnée refusée par la base (contrainte non respectée)";
    case SQLITE_TOOBIG:
        return "donnée trop grande pour la base";
    case SQLITE_INTERRUPT:
        return "opération interrompue";
    default:
        return "erreur de la base de données (code " + std::to_string(code) + ")";
    }
}

std::string RaisonSysteme(int numero) {
    switch (numero) {
    case ENOSPC:
    case EDQUOT:
        return "le disque est plein";
    case EFBIG:
        return "fichier trop grand pour le disque";
    case EROFS:
        return "le disque est en lecture seule";
    case EACCES:
    case EPERM:
        return "accès refusé (dossier ou fichier en lecture seule ?)";
    case ENOENT:
        return "fichier ou dossier inexistant";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case EISDIR:
        return "c'est un dossier";
    case EIO:
        return "erreur de lecture ou d'écriture sur le disque";
    case EXDEV:
        return "déplacement impossible entre deux disques";
    default:
        return std::string("erreur système : ") + std::strerror(numero);
    }
}

ErreurSqlite::ErreurSqlite(const std::string& fichier, int code, std::string raison, int systeme)
    : ErreurGenealogie(fichier, 0, raison), code_(code), systeme_(systeme),
      raison_(std::move(raison)) {}

// ---- Connection ---------------------------------------------------------------------------

namespace {

// "file:" and the path, its URI characters escaped, for the parameters that follow.
std::string Uri(const std::filesystem::path& chemin) {
    std::string uri = "file:";
    for (const char c : std::filesystem::absolute(chemin).string()) {
        if (c == '%' || c == '?' || c == '#') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            uri += code;
        } else {
            uri += c;
        }
    }
    return uri;
}

} // namespace

ConnexionSqlite::ConnexionSqlite(const std::filesystem::path& chemin, Acces acces)
    : chemin_(chemin) {
    int drapeaux = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    std::string nom = chemin.string();
    switch (acces) {
    case Acces::Lecture:
        drapeaux |= SQLITE_OPEN_READONLY;
        break;
    case Acces::LectureImmuable:
        drapeaux |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        nom = Uri(chemin) + "?immutable=1";
        break;
    case Acces::Ecriture:
        drapeaux |= SQLITE_OPEN_READWRITE;
        break;
    case Acces::Creation:
        drapeaux |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const int rc = sqlite3_open_v2(nom.c_str(), &db_, drapeaux, nullptr);
    if (rc != SQLITE_OK) {
        const int systeme = db_ ? sqlite3_system_errno(db_) : 0;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ErreurSqlite(chemin_.string(), rc,
                           systeme != 0 && (rc & 0xff) != SQLITE_CANTOPEN ? RaisonSysteme(systeme)
                                                                          : RaisonSqlite(rc),
                           systeme);
    }
    sqlite3_extended_result_codes(db_, 1);
    // A second program holding the base briefly (a reader during a checkpoint) is waited for.
    sqlite3_busy_timeout(db_, 2000);
}

ConnexionSqlite::~ConnexionSqlite() {
    if (db_) sqlite3_close_v2(db_);
}

ConnexionSqlite::ConnexionSqlite(ConnexionSqlite&& autre) noexcept
    : chemin_(std::move(autre.chemin_)), db_(std::exchange(autre.db_, nullptr)),
      avantEcriture_(std::move(autre.avantEcriture_)),
      transactionVerifiee_(std::exchange(autre.transactionVerifiee_, false)) {}

ConnexionSqlite& ConnexionSqlite::operator=(ConnexionSqlite&& autre) noexcept {
    if (this != &autre) {
        if (db_) sqlite3_close_v2(db_);
        chemin_ = std::move(autre.chemin_);
        db_ = std::exchange(autre.db_, nullptr);
        avantEcriture_ = std::move(autre.avantEcriture_);
        transactionVerifiee_ = std::exchange(autre.transactionVerifiee_, false);
    }
    return *this;
}

void ConnexionSqlite::VerifieEcriture() const {
    // In a transaction checked at its start (and that SQLite did not end on an error), the
    // commit is checked.
    if (transactionVerifiee_ && db_ && sqlite3_get_autocommit(db_) == 0) return;
    if (avantEcriture_) avantEcriture_();
}

void ConnexionSqlite::Ferme() {
    if (!db_) return;
    const int rc = sqlite3_close(db_);
    if (rc != SQLITE_OK) {
        // Statements still open: a fault of ours; close anyway and report it.
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ErreurSqlite(chemin_.string(), rc, RaisonSqlite(rc));
    }
    db_ = nullptr;
}

void ConnexionSqlite::Echec(int code, std::string_view contexte) const {
    std::string detail = RaisonSqlite(code);
    const int systeme = db_ ? sqlite3_system_errno(db_) : 0;
    // The system's reason tells "disk full" from "read-only" when SQLite only says I/O error.
    if ((code & 0xff) == SQLITE_IOERR && systeme != 0) detail = RaisonSysteme(systeme);
    if (!contexte.empty()) detail = std::string(contexte) + " : " + detail;
    throw ErreurSqlite(chemin_.string(), code, detail, systeme);
}

void ConnexionSqlite::Execute(std::string_view sql) {
    // One statement at a time, so that each one that writes is checked first.
    const char* debut = sql.data();
    const char* const fin = sql.data() + sql.size();
    while (debut < fin) {
        sqlite3_stmt* requete = nullptr;
        const char* reste = nullptr;
        int rc = sqlite3_prepare_v2(db_, debut, static_cast<int>(fin - debut), &requete, &reste);
        if (rc != SQLITE_OK) Echec(rc);
        debut = reste;
        if (requete == nullptr) continue; // blanks or a comment
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> garde(requete, &sqlite3_finalize);
        if (!sqlite3_stmt_readonly(requete)) VerifieEcriture();
        while ((rc = sqlite3_step(requete)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) Echec(rc);
    }
}

std::optional<std::int64_t> ConnexionSqlite::Entier(std::string_view sql) {
    RequeteSqlite r(*this, sql);
    if (!r.Pas() || r.EstNul(0)) return std::nullopt;
    return r.Entier(0);
}

std::int64_t ConnexionSqlite::DernierId() const {
    return sqlite3_last_insert_rowid(db_);
}

int ConnexionSqlite::Changements() const {
    return sqlite3_changes(db_);
}

// ---- Statement ----------------------------------------------------------------------------

RequeteSqlite::RequeteSqlite(ConnexionSqlite& connexion, std::string_view sql)
    : connexion_(connexion) {
    const int rc = sqlite3_prepare_v2(connexion.Poignee(), sql.data(), static_cast<int>(sql.size()),
                                      &requete_, nullptr);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
}

RequeteSqlite::~RequeteSqlite() {
    sqlite3_finalize(requete_);
}

RequeteSqlite& RequeteSqlite::Lie(int i, std::int64_t valeur) {
    const int rc = sqlite3_bind_int64(requete_, i, valeur);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return *this;
}

RequeteSqlite& RequeteSqlite::Lie(int i, double valeur) {
    const int rc = sqlite3_bind_double(requete_, i, valeur);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return *this;
}

RequeteSqlite& RequeteSqlite::Lie(int i, std::string_view texte) {
    const int rc =
        sqlite3_bind_text64(requete_, i, texte.data(), texte.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return *this;
}

RequeteSqlite& RequeteSqlite::LieOctets(int i, std::string_view octets) {
    // SQLite keeps a pointer only until the statement runs: the caller's bytes outlive it.
    const int rc = sqlite3_bind_blob64(requete_, i, octets.data(), octets.size(), SQLITE_STATIC);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return *this;
}

RequeteSqlite& RequeteSqlite::LieNul(int i) {
    const int rc = sqlite3_bind_null(requete_, i);
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return *this;
}

bool RequeteSqlite::Pas() {
    if (!sqlite3_stmt_busy(requete_) && !sqlite3_stmt_readonly(requete_))
        connexion_.VerifieEcriture();
    const int rc = sqlite3_step(requete_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(requete_);
    connexion_.Echec(rc);
}

void RequeteSqlite::Execute() {
    while (Pas()) {
    }
}

void RequeteSqlite::Reinitialise() {
    sqlite3_reset(requete_);
    sqlite3_clear_bindings(requete_);
}

std::int64_t RequeteSqlite::Entier(int colonne) const {
    return sqlite3_column_int64(requete_, colonne);
}

double RequeteSqlite::Reel(int colonne) const {
    return sqlite3_column_double(requete_, colonne);
}

bool RequeteSqlite::EstNul(int colonne) const {
    return sqlite3_column_type(requete_, colonne) == SQLITE_NULL;
}

std::string_view RequeteSqlite::Texte(int colonne) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(requete_, colonne));
    const int n = sqlite3_column_bytes(requete_, colonne);
    return p ? std::string_view(p, static_cast<std::size_t>(n)) : std::string_view();
}

std::string_view RequeteSqlite::Octets(int colonne) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(requete_, colonne));
    const int n = sqlite3_column_bytes(requete_, colonne);
    return p ? std::string_view(p, static_cast<std::size_t>(n)) : std::string_view();
}

// ---- Blob ---------------------------------------------------------------------------------

BlobSqlite::BlobSqlite(ConnexionSqlite& connexion, const char* table, const char* colonne,
                       std::int64_t ligne, bool ecriture)
    : connexion_(connexion) {
    if (ecriture) connexion_.VerifieEcriture();
    const int rc = sqlite3_blob_open(connexion.Poignee(), "main", table, colonne, ligne,
                                     ecriture ? 1 : 0, &blob_);
    if (rc != SQLITE_OK) {
        sqlite3_blob_close(blob_);
        blob_ = nullptr;
        connexion_.Echec(rc);
    }
}

BlobSqlite::~BlobSqlite() {
    sqlite3_blob_close(blob_);
}

std::uint64_t BlobSqlite::Taille() const {
    return static_cast<std::uint64_t>(sqlite3_blob_bytes(blob_));
}

std::size_t BlobSqlite::Lit(std::uint64_t position, char* tampon, std::size_t n) {
    const std::uint64_t taille = Taille();
    if (position >= taille) return 0;
    const auto k = static_cast<int>(std::min<std::uint64_t>({n, taille - position, 1u << 30}));
    const int rc = sqlite3_blob_read(blob_, tampon, k, static_cast<int>(position));
    if (rc != SQLITE_OK) connexion_.Echec(rc);
    return static_cast<std::size_t>(k);
}

void BlobSqlite::Ecrit(std::uint64_t position, std::string_view octets) {
    if (octets.empty()) return;
    const int rc = sqlite3_blob_write(blob_, octets.data(), static_cast<int>(octets.size()),
                                      static_cast<int>(position));
    if (rc != SQLITE_OK) connexion_.Echec(rc);
}

// ---- Transaction --------------------------------------------------------------------------

TransactionSqlite::TransactionSqlite(ConnexionSqlite& connexion) : connexion_(connexion) {
    connexion_.Execute("BEGIN IMMEDIATE");
    try {
        connexion_.VerifieEcriture(); // now that no other program can write meanwhile
    } catch (...) {
        sqlite3_exec(connexion_.Poignee(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    connexion_.transactionVerifiee_ = true;
}

TransactionSqlite::~TransactionSqlite() {
    connexion_.transactionVerifiee_ = false;
    if (!finie_ && connexion_.Poignee())
        sqlite3_exec(connexion_.Poignee(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TransactionSqlite::Valide() {
    // Checked whatever the statements were: the destructor rolls back when it throws.
    connexion_.transactionVerifiee_ = false;
    connexion_.VerifieEcriture();
    connexion_.Execute("COMMIT");
    finie_ = true;
}

} // namespace orlavine
