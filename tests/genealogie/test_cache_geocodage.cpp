// The online search's answers kept in the base: kept across openings, replaced when asked
// again, nothing created by a read, the base's schema version untouched.
#include "essai_base.h"
#include "genealogie/base.h"
#include "genealogie/base_sqlite.h"
#include "genealogie/cache_geocodage.h"

#include <gtest/gtest.h>

namespace orlavine::test {
namespace {

TEST(CacheGeocodage, AnswersAreKeptInTheBaseWithoutTouchingItsSchema) {
    DossierTemporaire d;
    CreeBase(ContenuSimple(), d / "b.sqlite");
    {
        TBaseGenealogie base(d / "b.sqlite");
        const auto version = base.Connexion().Entier("PRAGMA user_version");
        TCacheGeocodageBase cache(base);
        EXPECT_FALSE(cache.Lit("https://s/search?q=Paris"));
        EXPECT_FALSE(
            base.Connexion().Entier("SELECT 1 FROM sqlite_master WHERE name = 'cache_geocodage'"));
        cache.Ecrit("https://s/search?q=Paris", "[1]");
        cache.Ecrit("https://s/search?q=Paris", R"([{"lat":"48.8"}])");
        cache.Ecrit("https://s/search?q=Lyon", "[]");
        EXPECT_EQ(cache.Lit("https://s/search?q=Paris").value_or(""), R"([{"lat":"48.8"}])");
        EXPECT_EQ(base.Connexion().Entier("PRAGMA user_version"), version);
        EXPECT_EQ(base.VerifieIntegrite(), "ok");
    }
    TBaseGenealogie relue(d / "b.sqlite");
    TCacheGeocodageBase cache(relue);
    EXPECT_EQ(cache.Lit("https://s/search?q=Lyon").value_or("absent"), "[]");
    EXPECT_FALSE(cache.Lit("https://s/search?q=Lyo"));
    EXPECT_EQ(relue.Connexion().Entier("SELECT count(*) FROM cache_geocodage"), 2);

    // A base opened read-only gives what it kept and refuses to keep more, saying so.
    TBaseGenealogie lecture(d / "b.sqlite", true);
    TCacheGeocodageBase seule(lecture);
    EXPECT_EQ(seule.Lit("https://s/search?q=Lyon").value_or(""), "[]");
    EXPECT_THROW(seule.Ecrit("https://s/search?q=Nice", "[]"), Erreur);
}

// An answer past the cap is never kept, and one kept by an older version is not given back (it
// is asked again and replaced).
TEST(CacheGeocodage, AnswersPastTheCapAreNeitherKeptNorGivenBack) {
    DossierTemporaire d;
    CreeBase(ContenuSimple(), d / "b.sqlite");
    TBaseGenealogie base(d / "b.sqlite");
    TCacheGeocodageBase cache(base);
    const std::string juste(TailleMaxReponseEnLigne, ' ');
    const std::string trop = juste + " ";
    cache.Ecrit("juste", juste);
    EXPECT_THROW(cache.Ecrit("trop", trop), ErreurGenealogie);
    EXPECT_EQ(cache.Lit("juste").value_or("").size(), juste.size());
    EXPECT_FALSE(cache.Lit("trop"));
    RequeteSqlite ancienne(base.Connexion(), "INSERT INTO cache_geocodage VALUES ('vieux', ?1, 0)");
    ancienne.Lie(1, trop).Execute();
    EXPECT_FALSE(cache.Lit("vieux"));
    TCacheTextesMemoire memoire;
    EXPECT_THROW(memoire.Ecrit("trop", trop), Erreur);
    EXPECT_EQ(memoire.Taille(), 0u);
}

} // namespace
} // namespace orlavine::test
