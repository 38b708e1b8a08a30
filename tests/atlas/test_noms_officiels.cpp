// The side file of the names as written: its bytes, what it refuses, an atlas folder with or
// without it, and the name the maps and sentences show.
#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "tests/commun/outils.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace orlavine {
namespace {

using test::Contient;
using test::DossierTemporaire;

// Sorted by name: CRETEIL, HAVRE (article LE), LES-LOGES-EN-JOSAS, SAINT-CYR-L'ECOLE.
std::vector<TCommune> Communes() {
    return {test::Commune("CRETEIL", "94028", 48.78f, 2.45f),
            test::Commune("HAVRE", "76351", 49.5f, 0.1f, 6, "LE"),
            test::Commune("LES-LOGES-EN-JOSAS", "78343", 48.76f, 2.14f),
            test::Commune("SAINT-CYR-L'ECOLE", "78545", 48.80f, 2.06f)};
}

// Créteil and Saint-Cyr-l'École; the two others have none.
std::vector<TNomOfficiel> Noms() {
    return {{0, "Cr\xE9teil"},
            {3, "Saint-Cyr-l'\xC9"
                "cole"}};
}

std::string Message(const std::vector<std::uint8_t>& octets, std::size_t n = 4) {
    return test::MessageDe<ErreurAtlas>([&] {
        std::vector<TNomOfficiel> noms;
        LitNomsOfficiels(octets, n, noms);
    });
}

TEST(NomsOfficiels, TheFileIsWrittenInTheClearAndReadBack) {
    const auto octets = EcritNomsOfficiels(Noms(), 4);
    ASSERT_EQ(octets.size(), 14u + (3 + 7) + (3 + 17));
    EXPECT_EQ(std::string(octets.begin(), octets.begin() + 4), "CCNO");
    // Entry 2 at byte 24: record 3, 17 bytes, the name in Windows-1252.
    EXPECT_EQ(std::string(octets.begin() + 24, octets.end()), std::string("\x03\x00\x11", 3) +
                                                                  "Saint-Cyr-l'\xC9"
                                                                  "cole");
    std::vector<TNomOfficiel> lus = {{9, "X"}};
    LitNomsOfficiels(octets, 4, lus);
    EXPECT_EQ(lus, Noms());
    LitNomsOfficiels(EcritNomsOfficiels({}, 4), 4, lus);
    EXPECT_TRUE(lus.empty());
}

TEST(NomsOfficiels, DamageIsRefusedWithTheFileAndTheRecord) {
    const auto bons = EcritNomsOfficiels(Noms(), 4);
    auto abime = [&](std::size_t position, std::uint8_t valeur) {
        auto o = bons;
        o[position] = valeur;
        return o;
    };
    auto plus = [&](std::uint8_t octet) {
        auto o = bons;
        o.push_back(octet);
        return o;
    };
    // The header's version, count and length (shared code): in test_codes_postaux.cpp.
    const std::pair<std::vector<std::uint8_t>, const char*> cas[] = {
        {abime(0, 'X'), "Fichier \"ccnoms.dat\" endommag\xC3\xA9 : signature CCNO absente."},
        {abime(10, 5), "il annonce 5 entr\xC3\xA9"
                       "es pour 30 octets"},
        {abime(10, 0xFF), "il annonce 255 entr"},
        {std::vector<std::uint8_t>(bons.begin(), bons.end() - 1), "enregistrement 2 incomplet"},
        {plus('x'), "1 octets apr\xC3\xA8s la derni\xC3\xA8re entr\xC3\xA9"
                    "e"},
        {abime(24, 4), "enregistrement 2 (octet 24) : commune 4 hors de la table (4 communes)"},
        {abime(24, 0), "enregistrement 2 (octet 24) : entr\xC3\xA9"
                       "es hors d'ordre ou en double"},
        {abime(27, ' '), "enregistrement 2 (octet 24) : espace au bord du nom"},
        {abime(28, '\n'), "enregistrement 2 (octet 24) : caract\xC3\xA8re 10 interdit"},
        {abime(17, 0x81), "enregistrement 1 (octet 14) : caract\xC3\xA8re 129 interdit"},
    };
    for (const auto& [octets, message] : cas)
        EXPECT_TRUE(Contient(Message(octets), message)) << message;

    // An empty name: its length byte says 0, and the next entry's bytes follow.
    const auto vide = EcritNomsOfficiels({{0, "A"}}, 4);
    auto sansNom = vide;
    sansNom[16] = 0;
    sansNom.pop_back();
    EXPECT_TRUE(Contient(Message(sansNom), "enregistrement 1 (octet 14) : nom vide"));

    // The list in memory is kept when the file is refused; the writer and the atlas made of
    // given data refuse what the reader would.
    std::vector<TNomOfficiel> noms = Noms();
    EXPECT_THROW(LitNomsOfficiels(abime(0, 'X'), 4, noms), ErreurAtlas);
    EXPECT_EQ(noms, Noms());
    EXPECT_THROW(EcritNomsOfficiels({{0, ""}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels({{0, std::string(256, 'a')}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels({{3, "A"}, {3, "B"}}, 4), ErreurAtlas);
    EXPECT_THROW(EcritNomsOfficiels(Noms(), 3), ErreurAtlas);
    EXPECT_THROW(TCarteFrance({}, Communes(), test::NomsDepartements(), {}, {}, {{4, "X"}}),
                 ErreurAtlas);
}

TEST(NomsOfficiels, AFolderWithOrWithoutTheFileGivesTheNameAsWritten) {
    DossierTemporaire dossier;
    dossier.EcritAtlas(Communes());
    {
        // Without the side file: the stored name re-cased, a leading "Les" not hyphenated.
        const TCarteFrance carte(dossier.Chemin());
        EXPECT_TRUE(carte.NomsOfficiels.empty());
        const char* const attendus[] = {"Creteil", "Le Havre", "Les Loges-en-Josas",
                                        "Saint-Cyr-l'Ecole"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(carte.NomOfficiel(i), attendus[i]);
        EXPECT_EQ(carte.NomOfficiel(-1), "");
        EXPECT_EQ(carte.NomOfficiel(4), "");
    }
    dossier.Ecrit(NomFichierNomsOfficiels, EcritNomsOfficiels(Noms(), 5));
    EXPECT_TRUE(
        Contient(test::MessageDe<ErreurAtlas>([&] { TCarteFrance carte(dossier.Chemin()); }),
                 "\"ccnoms.dat\" endommag\xC3\xA9 : il accompagne un \"cc.dat\" de 5"));

    dossier.Ecrit(NomFichierNomsOfficiels, EcritNomsOfficiels(Noms(), 4));
    TCarteFrance carte(dossier.Chemin());
    EXPECT_EQ(carte.NomsOfficiels, Noms());
    EXPECT_EQ(carte.NomOfficiel(0), "Cr\xE9teil");
    EXPECT_EQ(carte.NomOfficiel(1), "Le Havre"); // no entry: the stored name
    EXPECT_EQ(carte.NomOfficiel(3), "Saint-Cyr-l'\xC9"
                                    "cole");
    // The map's label is the name as written; the list keeps the stored one.
    carte.AjouteCommuneAffichee(3, "", false, true);
    ASSERT_EQ(carte.CommunesAffichees.size(), 1u);
    EXPECT_EQ(carte.CommunesAffichees[0].Libelle, "Saint-Cyr-l'\xC9"
                                                  "cole");
    EXPECT_EQ(TCarteFrance::NomComplet(carte.Communes[3]), "SAINT-CYR-L'ECOLE");
}

TEST(NomsOfficiels, TheNearestCommuneWithinARadius) {
    const TCarteFrance carte({}, Communes(), test::NomsDepartements());
    const std::tuple<double, double, double, int> cas[] = {
        {48.80, 2.06, 1.0, 3},  // on Saint-Cyr-l'École
        {48.77, 2.13, 10.0, 2}, // nearer Les Loges-en-Josas than Saint-Cyr
        {48.77, 2.13, 0.5, -1}, // none within 500 m
        {45.0, 5.0, 30.0, -1},  // far from all
        {std::nan(""), 2.0, 30.0, -1},
    };
    for (const auto& [lat, lon, rayon, attendu] : cas)
        EXPECT_EQ(carte.CommuneProche(lat, lon, rayon), attendu) << lat << " " << lon;
}

} // namespace
} // namespace orlavine
