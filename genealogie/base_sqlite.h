// Thin owners of SQLite's C handles: a connection, a prepared statement and a transaction.
// Every failure throws ErreurGenealogie with a French message that names the base file.
#pragma once

#include "genealogie/erreur_gedcom.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_blob;

namespace orlavine {

// A failure of SQLite: the message names the base; the code tells what went wrong.
class ErreurSqlite : public ErreurGenealogie {
public:
    ErreurSqlite(const std::string& fichier, int code, std::string raison, int systeme = 0);
    int Code() const { return code_; }                    // extended result code
    int Systeme() const { return systeme_; }              // errno behind it, 0 when none
    const std::string& Raison() const { return raison_; } // the French reason alone

private:
    int code_;
    int systeme_;
    std::string raison_;
};

class ConnexionSqlite {
public:
    enum class Acces {
        Lecture,         // the file must exist; nothing is written
        LectureImmuable, // the same on media nobody writes (no lock, no side file)
        Ecriture,        // the file must exist
        Creation,        // created when missing
    };
    ConnexionSqlite(const std::filesystem::path& chemin, Acces acces);
    ~ConnexionSqlite();
    ConnexionSqlite(ConnexionSqlite&& autre) noexcept;
    ConnexionSqlite& operator=(ConnexionSqlite&& autre) noexcept;
    ConnexionSqlite(const ConnexionSqlite&) = delete;
    ConnexionSqlite& operator=(const ConnexionSqlite&) = delete;

    // Runs one or more statements without results.
    void Execute(std::string_view sql);
    // The first column of the first row of a one-value query; nothing when no row.
    std::optional<std::int64_t> Entier(std::string_view sql);
    std::int64_t DernierId() const;
    int Changements() const;
    // Closes now (a destructor cannot report the failure of the final checkpoint).
    void Ferme();

    const std::filesystem::path& Chemin() const { return chemin_; }
    sqlite3* Poignee() const { return db_; }
    // Throws ErreurSqlite with the French message for SQLite's code `code` (the last error of
    // the connection gives the detail).
    [[noreturn]] void Echec(int code, std::string_view contexte = {}) const;

    // Called before every statement that writes outside a transaction, and when a transaction
    // (TransactionSqlite) begins and commits; it throws to stop the write (the base was
    // replaced, or is read-only). Inside a transaction the statements are not checked one by
    // one: nothing they write lasts unless the commit, checked, keeps it.
    void AvantEcriture(std::function<void()> verification) {
        avantEcriture_ = std::move(verification);
    }
    void VerifieEcriture() const;

private:
    friend class TransactionSqlite;
    std::filesystem::path chemin_;
    sqlite3* db_ = nullptr;
    std::function<void()> avantEcriture_;
    bool transactionVerifiee_ = false; // a TransactionSqlite checked at its start is open
};

class RequeteSqlite {
public:
    RequeteSqlite(ConnexionSqlite& connexion, std::string_view sql);
    ~RequeteSqlite();
    RequeteSqlite(const RequeteSqlite&) = delete;
    RequeteSqlite& operator=(const RequeteSqlite&) = delete;

    // Parameters are numbered from 1, as in SQL.
    RequeteSqlite& Lie(int i, std::int64_t valeur);
    RequeteSqlite& Lie(int i, int valeur) { return Lie(i, static_cast<std::int64_t>(valeur)); }
    RequeteSqlite& Lie(int i, double valeur);
    RequeteSqlite& Lie(int i, std::string_view texte);
    RequeteSqlite& Lie(int i, const char* texte) { return Lie(i, std::string_view(texte)); }
    RequeteSqlite& Lie(int i, const std::string& texte) { return Lie(i, std::string_view(texte)); }
    RequeteSqlite& LieOctets(int i, std::string_view octets);
    RequeteSqlite& LieNul(int i);
    template <typename T>
    RequeteSqlite& Lie(int i, const std::optional<T>& valeur) {
        return valeur ? Lie(i, *valeur) : LieNul(i);
    }

    // One step: true when a row is ready, false when the statement is done.
    bool Pas();
    // Runs a statement without results to its end.
    void Execute();
    // Ready to run again with new parameters.
    void Reinitialise();

    // Columns are numbered from 0.
    std::int64_t Entier(int colonne) const;
    double Reel(int colonne) const;
    bool EstNul(int colonne) const;
    std::string_view Texte(int colonne) const; // valid until the next step
    std::string_view Octets(int colonne) const;

private:
    ConnexionSqlite& connexion_;
    sqlite3_stmt* requete_ = nullptr;
};

// One blob of one row, read or written by pieces (SQLite's incremental I/O): a file kept in
// a base never has to be in memory whole. The row must exist with its blob at its final size
// (zeroblob(N) when it is written afterwards).
class BlobSqlite {
public:
    BlobSqlite(ConnexionSqlite& connexion, const char* table, const char* colonne,
               std::int64_t ligne, bool ecriture);
    ~BlobSqlite();
    BlobSqlite(const BlobSqlite&) = delete;
    BlobSqlite& operator=(const BlobSqlite&) = delete;

    std::uint64_t Taille() const;
    // Copies up to `n` bytes from `position`; says how many (fewer only at the end).
    std::size_t Lit(std::uint64_t position, char* tampon, std::size_t n);
    void Ecrit(std::uint64_t position, std::string_view octets);

private:
    ConnexionSqlite& connexion_;
    sqlite3_blob* blob_ = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless Valide() committed.
class TransactionSqlite {
public:
    explicit TransactionSqlite(ConnexionSqlite& connexion);
    ~TransactionSqlite();
    TransactionSqlite(const TransactionSqlite&) = delete;
    TransactionSqlite& operator=(const TransactionSqlite&) = delete;
    void Valide();

private:
    ConnexionSqlite& connexion_;
    bool finie_ = false;
};

// The French sentence for an error code of SQLite or of the system (errno), for messages.
std::string RaisonSqlite(int code);
std::string RaisonSysteme(int numero);

} // namespace orlavine
