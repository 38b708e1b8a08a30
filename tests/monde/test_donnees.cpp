// The world file: written and read back to the same layers, and refused whole when damaged,
// with a message naming the file and the layer.
#include "monde/donnees.h"
#include "monde/projection.h"
#include "tests/commun/outils.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace orlavine::monde {
namespace {

TDonneesMonde PetitMonde() {
    TDonneesMonde d;
    TCoucheMonde terres;
    terres.Genre = GenreCouche::Terres;
    terres.Detail = Niveau::Monde110M;
    terres.Grille = {0.01, 0.01, -180.0, -90.0};
    const std::vector<std::int32_t> x1{100, 35900, 35900, 100}, y1{9000, 9000, 17000, 17000};
    terres.AjoutePartie(x1, y1);
    const std::vector<std::int32_t> x2{18000, 18100, 18050}, y2{0, 0, 300};
    terres.AjoutePartie(x2, y2);
    TCoucheMonde fleuves;
    fleuves.Genre = GenreCouche::Fleuves;
    fleuves.Detail = Niveau::Monde50M;
    fleuves.Grille = {0.001, 0.002, -180.0, -90.0};
    const std::vector<std::int32_t> x3{180000, 180001, 180100, 179000},
        y3{60000, 60000, 60001, 59000};
    fleuves.AjoutePartie(x3, y3);
    d.Couches = {terres, fleuves};
    for (auto& c : d.Couches)
        c.Prepare();
    return d;
}

std::string Message(std::span<const std::uint8_t> octets) {
    return test::MessageDe<ErreurMonde>([&] { LitDonneesMonde(octets, "monde.bin"); });
}

// The bytes with their CRC made right again, so that the structure itself is tested.
std::vector<std::uint8_t> Resigne(std::vector<std::uint8_t> o) {
    const std::uint32_t c = Crc32(std::span(o).first(o.size() - 4));
    for (int i = 0; i < 4; ++i)
        o[o.size() - 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c >> (8 * i));
    return o;
}

TEST(FichierMonde, WrittenAndReadBackTheSame) {
    const TDonneesMonde d = PetitMonde();
    const auto octets = EcritDonneesMonde(d);
    EXPECT_EQ(EcritDonneesMonde(d), octets);
    const TDonneesMonde relu = LitDonneesMonde(octets);
    ASSERT_EQ(relu.Couches.size(), 2u);
    EXPECT_TRUE(relu.Couches == d.Couches);
    EXPECT_EQ(relu.NombrePoints(), 11u);
    // Derived on reading: Mercator positions and bounds.
    const TCoucheMonde& t = relu.Couches[0];
    ASSERT_EQ(t.Boites.size(), 2u);
    EXPECT_FLOAT_EQ(t.Boites[0].XMin, -179.0f);
    EXPECT_FLOAT_EQ(t.Boites[0].XMax, 179.0f);
    EXPECT_NEAR(t.Boites[0].YMin, 0.0f, 1e-6);
    EXPECT_NEAR(t.Boites[0].YMax, MercatorY(80.0), 1e-4);
    // Levels: the finest layer not above the one asked for.
    EXPECT_EQ(relu.CoucheAuPlusPres(GenreCouche::Terres, Niveau::Monde10M), &relu.Couches[0]);
    EXPECT_EQ(relu.CoucheAuPlusPres(GenreCouche::Fleuves, Niveau::Monde110M), nullptr);
    EXPECT_EQ(relu.CoucheAuPlusPres(GenreCouche::Fleuves, Niveau::Monde10M), &relu.Couches[1]);
}

TEST(FichierMonde, EveryTruncationAndEveryFlippedByteIsRefused) {
    const auto octets = EcritDonneesMonde(PetitMonde());
    for (std::size_t n = 0; n < octets.size(); ++n)
        EXPECT_NE(Message(std::span(octets).first(n)), "") << n << " octets";
    for (std::size_t i = 0; i < octets.size(); ++i) {
        auto abime = octets;
        abime[i] ^= 0x10;
        const std::string m = Message(abime);
        EXPECT_NE(m.find("\"monde.bin\""), std::string::npos) << i << " : " << m;
    }
}

TEST(FichierMonde, DamagedStructureIsNamed) {
    const auto bon = EcritDonneesMonde(PetitMonde());
    // Offsets in the file: header 16 bytes, then the first layer's 4 + 32 + 12 bytes.
    constexpr std::size_t Couche1 = 16, Parties1 = Couche1 + 36, Charge1 = Couche1 + 48;
    struct Cas {
        const char* Nom;
        std::function<void(std::vector<std::uint8_t>&)> Abime;
        const char* Attendu;
    };
    const Cas cas[] = {
        {"signature", [](auto& o) { o[0] = 'X'; }, "pas un fichier de carte du monde"},
        {"version", [](auto& o) { o[8] = 2; }, "version 2 inconnue"},
        {"couches", [](auto& o) { o[12] = 200; }, "trop de couches"},
        {"genre", [](auto& o) { o[Couche1] = 9; }, "couche 1 : genre de couche inconnu"},
        {"niveau", [](auto& o) { o[Couche1 + 1] = 3; }, "niveau de d\xC3\xA9tail inconnu"},
        {"grille", [](auto& o) { std::memset(&o[Couche1 + 4], 0xFF, 8); },
         "grille de coordonn\xC3\xA9"
         "es invalide"},
        {"parties", [](auto& o) { o[Parties1] = 3; }, "couche terres, trac\xC3\xA9 3"},
        {"points", [](auto& o) { o[Parties1 + 4] = 6; },
         "plus de points que la couche n'en annonce"},
        {"longueur", [](auto& o) { o[Parties1 + 9] = 0x7F; },
         "au-del\xC3\xA0 de la fin du fichier"},
        {"trac\xC3\xA9 court", [](auto& o) { o[Charge1] = 2; },
         "trac\xC3\xA9 1 : trac\xC3\xA9 de moins de 3 points"},
        {"hors du globe",
         [](auto& o) {
             o[Charge1 + 1] = 0xFE;
             o[Charge1 + 2] = 0xFF;
             o[Charge1 + 3] = 0x7F;
         },
         ""},
        {"octets en trop", [](auto& o) { o.insert(o.end() - 4, 0); },
         "apr\xC3\xA8s la derni\xC3\xA8re couche"},
    };
    for (const Cas& c : cas) {
        auto o = bon;
        c.Abime(o);
        const std::string m = Message(Resigne(o));
        EXPECT_NE(m, "") << c.Nom;
        EXPECT_NE(m.find("\"monde.bin\" endommag\xC3\xA9"), std::string::npos)
            << c.Nom << " : " << m;
        EXPECT_NE(m.find(c.Attendu), std::string::npos) << c.Nom << " : " << m;
    }
    // A layer twice.
    TDonneesMonde deux = PetitMonde();
    deux.Couches.push_back(deux.Couches[0]);
    EXPECT_NE(Message(EcritDonneesMonde(deux)).find("couche en double"), std::string::npos);
    // A number written the long way (4 as 0x84 0x00): refused, so that a file has one
    // spelling only.
    auto longue = bon;
    longue[Charge1] = 0x84;
    longue.insert(longue.begin() + Charge1 + 1, 0x00);
    ++longue[Parties1 + 8];
    EXPECT_NE(Message(Resigne(longue)).find("entier mal cod"), std::string::npos);
    // An over-long varint.
    auto o = bon;
    for (std::size_t i = Charge1; i < Charge1 + 6; ++i)
        o.at(i) = 0xFF;
    EXPECT_NE(Message(Resigne(o)), "");
}

TEST(FichierMonde, MissingFileMessage) {
    EXPECT_EQ(test::MessageDe<ErreurMonde>([] {
                  ChargeDonneesMonde(std::filesystem::path("/nulle/part") / NomFichierMonde);
              }),
              "Fichier \"monde.bin\" non existant ou d\xC3\xA9plac\xC3\xA9!");
}

} // namespace
} // namespace orlavine::monde
