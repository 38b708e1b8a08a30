// The side file of the postal codes beyond a commune's own: its bytes, what it refuses, an
// atlas folder without it, and the code search that finds a city by any of its codes.
#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "atlas/recherche.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

using test::Contient;
using test::DossierTemporaire;

TCommune Commune(const char* nom, const char* insee, const char* postal) {
    TCommune c = test::Commune(nom, insee);
    c.CodePostal = postal;
    return c;
}

// Sorted by name: AUBAGNE BOUC-BEL-AIR LYON MARSEILLE.
std::vector<TCommune> Communes() {
    return {Commune("AUBAGNE", "13005", "13400"), Commune("BOUC-BEL-AIR", "13015", "13320"),
            Commune("LYON", "69123", "69001"), Commune("MARSEILLE", "13055", "13001")};
}

std::vector<TAutreCodePostal> Autres() {
    return {{2, "69005"}, {3, "13008"}, {3, "13015"}};
}

std::string Message(const std::vector<std::uint8_t>& octets, std::size_t n = 4) {
    return test::MessageDe<ErreurAtlas>([&] {
        std::vector<TAutreCodePostal> codes;
        LitCodesPostaux(octets, n, codes);
    });
}

std::vector<AnsiString> Noms(const TCarteFrance& carte, const std::string& saisie) {
    std::vector<AnsiString> noms;
    for (const std::uint16_t i : RechercheSaisie(carte, saisie).Communes)
        noms.push_back(carte.Communes[i].Nom);
    return noms;
}

TEST(CodesPostaux, TheFileIsWrittenInTheClearAndReadBack) {
    const auto octets = EcritCodesPostaux(Autres(), 4);
    ASSERT_EQ(octets.size(), 14u + 3 * 7);
    EXPECT_EQ(std::string(octets.begin(), octets.begin() + 4), "CCCP");
    // Entry 2: record 3, "13008".
    EXPECT_EQ(std::string(octets.begin() + 21, octets.begin() + 28),
              std::string("\x03\x00", 2) + "13008");
    std::vector<TAutreCodePostal> lus = {{9, "99999"}};
    LitCodesPostaux(octets, 4, lus);
    EXPECT_EQ(lus, Autres());
    LitCodesPostaux(EcritCodesPostaux({}, 4), 4, lus);
    EXPECT_TRUE(lus.empty());
}

TEST(CodesPostaux, DamageIsRefusedWithTheFileAndTheRecord) {
    const auto bons = EcritCodesPostaux(Autres(), 4);
    auto abime = [&](std::size_t position, std::uint8_t valeur) {
        auto o = bons;
        o[position] = valeur;
        return o;
    };
    // The header's checks, shared by the three side files, are checked here only.
    const std::pair<std::vector<std::uint8_t>, const char*> cas[] = {
        {abime(0, 'X'), "Fichier \"ccpostaux.dat\" endommag\xC3\xA9 : signature CCCP absente."},
        {abime(4, 2), "version 2 inconnue (1 attendue)"},
        {abime(6, 5), "il accompagne un \"cc.dat\" de 5 communes, celui-ci en a 4"},
        {abime(10, 4), "il annonce 4 entr\xC3\xA9"
                       "es pour 21 octets"},
        {std::vector<std::uint8_t>(bons.begin(), bons.end() - 1), "il annonce 3 entr"},
        {std::vector<std::uint8_t>(bons.begin(), bons.begin() + 13), "en-t\xC3\xAAte incomplet"},
        {abime(14 + 7, 4), "enregistrement 2 (octet 21) : commune 4 hors de la table (4 communes)"},
        {abime(14 + 7 + 2 + 4, 'x'),
         "enregistrement 2 (octet 21) : code postal \"1300x\" invalide"},
        {abime(14 + 7 + 2 + 4, 0), "enregistrement 2 (octet 21) : code postal \"1300?\" invalide"},
        {abime(14 + 7 * 2 + 2 + 3, '0'), "enregistrement 3 (octet 28) : entr\xC3\xA9"
                                         "es hors d'ordre ou en double"},
        {abime(14, 3), "enregistrement 2 (octet 21) : entr\xC3\xA9"
                       "es hors d'ordre"},
    };
    for (const auto& [octets, message] : cas)
        EXPECT_TRUE(Contient(Message(octets), message)) << message;

    // The list in memory is kept when the file is refused; the writer refuses what the reader
    // would.
    std::vector<TAutreCodePostal> codes = Autres();
    EXPECT_THROW(LitCodesPostaux(abime(0, 'X'), 4, codes), ErreurAtlas);
    EXPECT_EQ(codes, Autres());
    EXPECT_THROW(EcritCodesPostaux({{0, "1300"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritCodesPostaux({{3, "13008"}, {3, "13008"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritCodesPostaux(Autres(), 3), ErreurAtlas);
    EXPECT_THROW(TCarteFrance({}, Communes(), test::NomsDepartements(), {}, {{4, "13008"}}),
                 ErreurAtlas);
}

TEST(CodesPostaux, AFolderWithOrWithoutTheFileAndTheCodeSearch) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(Communes());
    {
        // Without the side file every commune has its one code.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.AutresCodesPostaux.empty());
        EXPECT_EQ(carte.CodesPostaux(3), std::vector<AnsiString>{"13001"});
        EXPECT_TRUE(Noms(carte, "13008").empty());
    }
    dossier.Ecrit(NomFichierCodesPostaux, EcritCodesPostaux(Autres(), 5));
    EXPECT_TRUE(
        Contient(test::MessageDe<ErreurAtlas>([&] { TCarteFrance carte(dossier.Chemin()); }),
                 "\"ccpostaux.dat\" endommag\xC3\xA9 : il accompagne un \"cc.dat\" de 5"));

    dossier.Ecrit(NomFichierCodesPostaux, EcritCodesPostaux(Autres(), 4));
    const TCarteFrance carte(dossier.Chemin());
    EXPECT_EQ(carte.AutresCodesPostaux, Autres());
    EXPECT_EQ(carte.CodesPostaux(3), (std::vector<AnsiString>{"13001", "13008", "13015"}));
    EXPECT_TRUE(carte.ACodePostal(3, "13001"));
    EXPECT_TRUE(carte.ACodePostal(3, "13015"));
    EXPECT_FALSE(carte.ACodePostal(3, "1300"));
    EXPECT_FALSE(carte.ACodePostal(3, ""));
    EXPECT_FALSE(carte.ACodePostal(4, "13001"));
    EXPECT_FALSE(carte.ACodePostal(-1, "13001"));
    EXPECT_TRUE(carte.CodesPostaux(7).empty());

    // Any code of the city finds it; INSEE matches stay first; a commune comes once.
    using V = std::vector<AnsiString>;
    EXPECT_EQ(Noms(carte, "13008"), V{"MARSEILLE"});
    EXPECT_EQ(Noms(carte, "69005"), V{"LYON"});
    EXPECT_EQ(Noms(carte, "69005 LYON"), V{"LYON"});
    EXPECT_EQ(Noms(carte, "13015"), (V{"BOUC-BEL-AIR", "MARSEILLE"}));
    EXPECT_EQ(RechercheSaisie(carte, "13015").NombreInsee, 1u);
    EXPECT_EQ(Noms(carte, "1300"), (V{"AUBAGNE", "MARSEILLE"}));
    EXPECT_EQ(Noms(carte, "130"), (V{"AUBAGNE", "BOUC-BEL-AIR", "MARSEILLE"}));
    EXPECT_TRUE(Noms(carte, "13009").empty());
}

} // namespace
} // namespace orlavine
