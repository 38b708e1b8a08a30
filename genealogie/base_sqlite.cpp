#include "genealogie/base_sqlite.h"

#include <cerrno>
#include <cstring>
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

// ---- Connection ---------------------------------------------------------------------------

ConnexionSqlite::ConnexionSqlite(const std::filesystem::path& chemin, Acces acces)
    : chemin_(chemin) {
    int drapeaux = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    switch (acces) {
    case Acces::Lecture:
        drapeaux |= SQLITE_OPEN_READONLY;
        break;
    case Acces::Ecriture:
        drapeaux |= SQLITE_OPEN_READWRITE;
        break;
    case Acces::Creation:
        drapeaux |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const int rc = sqlite3_open_v2(chemin.c_str(), &db_, drapeaux, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ErreurGenealogie(chemin_.string(), 0, RaisonSqlite(rc));
    }
    sqlite3_extended_result_codes(db_, 1);
    // A second program holding the base briefly (a reader during a checkpoint) is waited for.
    sqlite3_busy_timeout(db_, 2000);
}

ConnexionSqlite::~ConnexionSqlite() {
    if (db_) sqlite3_close_v2(db_);
}

ConnexionSqlite::ConnexionSqlite(ConnexionSqlite&& autre) noexcept
    : chemin_(std::move(autre.chemin_)), db_(std::exchange(autre.db_, nullptr)) {}

ConnexionSqlite& ConnexionSqlite::operator=(ConnexionSqlite&& autre) noexcept {
    if (this != &autre) {
        if (db_) sqlite3_close_v2(db_);
        chemin_ = std::move(autre.chemin_);
        db_ = std::exchange(autre.db_, nullptr);
    }
    return *this;
}

void ConnexionSqlite::Ferme() {
    if (!db_) return;
    const int rc = sqlite3_close(db_);
    if (rc != SQLITE_OK) {
        // Statements still open: a fault of ours; close anyway and report it.
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ErreurGenealogie(chemin_.string(), 0, RaisonSqlite(rc));
    }
    db_ = nullptr;
}

void ConnexionSqlite::Echec(int code, std::string_view contexte) const {
    std::string detail = RaisonSqlite(code);
    // The system's reason tells "disk full" from "read-only" when SQLite only says I/O error.
    if (db_ && (code & 0xff) == SQLITE_IOERR) {
        const int systeme = sqlite3_system_errno(db_);
        if (systeme != 0) detail = RaisonSysteme(systeme);
    }
    if (!contexte.empty()) detail = std::string(contexte) + " : " + detail;
    throw ErreurGenealogie(chemin_.string(), 0, detail);
}

void ConnexionSqlite::Execute(std::string_view sql) {
    const std::string texte(sql);
    const int rc = sqlite3_exec(db_, texte.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Echec(rc);
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

// ---- Transaction --------------------------------------------------------------------------

TransactionSqlite::TransactionSqlite(ConnexionSqlite& connexion) : connexion_(connexion) {
    connexion_.Execute("BEGIN IMMEDIATE");
}

TransactionSqlite::~TransactionSqlite() {
    if (!finie_ && connexion_.Poignee())
        sqlite3_exec(connexion_.Poignee(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TransactionSqlite::Valide() {
    connexion_.Execute("COMMIT");
    finie_ = true;
}

} // namespace orlavine
