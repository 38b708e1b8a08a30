#include "genealogie/cache_geocodage.h"

#include "genealogie/base.h"
#include "genealogie/base_sqlite.h"

#include <chrono>
#include <string>

namespace orlavine {

namespace {

// Seconds since the epoch, for the rows' date.
std::int64_t Maintenant() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

std::optional<std::string> TCacheGeocodageBase::Lit(const std::string& requete) {
    ConnexionSqlite& c = base_.Connexion();
    // Reading never creates the table (a read-only base simply has no answers kept).
    if (!c.Entier("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'cache_geocodage'"))
        return std::nullopt;
    // An answer kept beyond the size cap (by an older version) is not one: asked again and
    // replaced.
    RequeteSqlite r(c, "SELECT reponse FROM cache_geocodage WHERE requete = ?1 "
                       "AND length(CAST(reponse AS BLOB)) <= ?2");
    r.Lie(1, requete).Lie(2, static_cast<std::int64_t>(TailleMaxReponseEnLigne));
    if (!r.Pas()) return std::nullopt;
    return std::string(r.Texte(0));
}

void TCacheGeocodageBase::Ecrit(const std::string& requete, const std::string& reponse) {
    ConnexionSqlite& c = base_.Connexion();
    if (reponse.size() > TailleMaxReponseEnLigne)
        throw ErreurGenealogie(c.Chemin().string(), 0,
                               "réponse en ligne de " + std::to_string(reponse.size()) +
                                   " octets : trop grande pour être gardée dans la base");
    c.Execute("CREATE TABLE IF NOT EXISTS cache_geocodage("
              "requete TEXT PRIMARY KEY NOT NULL, "
              "reponse TEXT NOT NULL, "
              "date INTEGER NOT NULL)");
    RequeteSqlite r(
        c, "INSERT OR REPLACE INTO cache_geocodage(requete, reponse, date) VALUES (?1, ?2, ?3)");
    r.Lie(1, requete).Lie(2, reponse).Lie(3, Maintenant());
    r.Execute();
}

} // namespace orlavine
