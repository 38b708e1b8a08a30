#include "host/octets.h"

#include <gtest/gtest.h>
#include <limits>

namespace orlavine {
namespace {

using Octets = std::vector<std::uint8_t>;

// The message of the error `lit` raises, "" when it raises none.
template <class Erreur, class Lecture>
std::string Message(Lecture lit) {
    try {
        lit();
    } catch (const Erreur& e) {
        return e.what();
    }
    return "";
}

TEST(LecteurOctets, LitChaqueLargeurPetitBoutiste) {
    const Octets o = {0x81,                                           // u8
                      0x34, 0x12,                                     // u16
                      0x78, 0x56, 0x34, 0x12,                         // u32
                      0xFE, 0xFF, 0xFF, 0xFF,                         // i32 -2
                      0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, // u64
                      0,    0,    0,    0,    0,    0,    0xF8, 0xBF, // f64 -1.5
                      3,    0,    'a',  0,    'z',                    // text of 3 bytes
                      0,    0};                                       // empty text
    LecteurOctets l(o, "essai.bin");
    EXPECT_EQ(l.Octet(), 0x81);
    EXPECT_EQ(l.Mot16(), 0x1234);
    EXPECT_EQ(l.Mot32(), 0x12345678u);
    EXPECT_EQ(l.Entier32(), -2);
    EXPECT_EQ(l.Mot64(), 0x0102030405060708ull);
    EXPECT_EQ(l.Reel64(), -1.5);
    EXPECT_EQ(l.Texte16(), std::string("a\0z", 3));
    EXPECT_EQ(l.Position(), o.size() - 2);
    EXPECT_EQ(l.Texte16(), "");
    EXPECT_EQ(l.Restant(), 0u);
}

TEST(LecteurOctets, BornesALaFinExacteEtDebordements) {
    const Octets o = {1, 2, 3, 4, 5};
    LecteurOctets l(o, "essai.bin");
    EXPECT_EQ(l.Bloc(0).size(), 0u);
    EXPECT_EQ(l.Mot32(), 0x04030201u);
    // One byte left: wider reads fail and move nothing, the last byte still reads.
    EXPECT_THROW(l.Mot16(), ErreurOctets);
    EXPECT_THROW(l.Mot32(), ErreurOctets);
    EXPECT_THROW(l.Mot64(), ErreurOctets);
    EXPECT_THROW(l.Bloc(2), ErreurOctets);
    // Lengths whose sum with the position wraps around.
    EXPECT_THROW(l.Bloc(std::numeric_limits<std::size_t>::max()), ErreurOctets);
    EXPECT_THROW(l.Bloc(std::numeric_limits<std::size_t>::max() - 3), ErreurOctets);
    EXPECT_EQ(l.Position(), 4u);
    EXPECT_EQ(l.Bloc(1)[0], 5);
    EXPECT_EQ(l.Bloc(0).size(), 0u);
    EXPECT_THROW(l.Octet(), ErreurOctets);

    // A text longer than what follows its length.
    const Octets texte = {4, 0, 'a', 'b', 'c'};
    LecteurOctets t(texte, "essai.bin");
    EXPECT_EQ(Message<Erreur>([&] { t.Texte16(); }),
              "\"essai.bin\", octet 2 : fin de fichier inattendue.");
    EXPECT_EQ(LecteurOctets({}, "vide.bin").Restant(), 0u);
    EXPECT_EQ(Message<ErreurOctets>([] { LecteurOctets({}, "vide.bin").Octet(); }),
              "\"vide.bin\", octet 0 : fin de fichier inattendue.");
}

// A format's own error and wording, as the data files' readers do.
class ErreurEssai : public Erreur {
public:
    using Erreur::Erreur;
};
class LecteurEssai : public LecteurOctets {
public:
    using LecteurOctets::LecteurOctets;
    long Enregistrement = 0;

protected:
    void Leve(const std::string& detail) const override {
        throw ErreurEssai(Fichier() + " endommagé : " + detail);
    }
    std::string DetailDepassement(std::size_t demande) const override {
        return "enregistrement " + std::to_string(Enregistrement) + " incomplet (" +
               std::to_string(demande) + " octets)";
    }
};

TEST(LecteurOctets, UnFormatDonneSaPropreErreur) {
    const Octets o = {1, 2, 3};
    LecteurEssai l(o, "cc.dat");
    l.Enregistrement = 7;
    l.Octet();
    EXPECT_EQ(Message<ErreurEssai>([&] { l.Mot32(); }),
              "cc.dat endommagé : enregistrement 7 incomplet (4 octets)");
    EXPECT_EQ(Message<ErreurEssai>([&] { l.Endommage("signature absente"); }),
              "cc.dat endommagé : signature absente");
}

TEST(EcritureOctets, RelueALIdentique) {
    Octets o;
    AjouteMot16(o, 0xBEEF);
    AjouteMot32(o, 0xDEADBEEFu);
    AjouteMot64(o, 0x0102030405060708ull);
    AjouteReel64(o, -1.5);
    EXPECT_EQ(o, (Octets{0xEF, 0xBE, 0xEF, 0xBE, 0xAD, 0xDE, 8, 7, 6, 5,    4,
                         3,    2,    1,    0,    0,    0,    0, 0, 0, 0xF8, 0xBF}));
    LecteurOctets l(o, "essai.bin");
    EXPECT_EQ(l.Mot16(), 0xBEEF);
    EXPECT_EQ(l.Mot32(), 0xDEADBEEFu);
    EXPECT_EQ(l.Mot64(), 0x0102030405060708ull);
    EXPECT_EQ(l.Reel64(), -1.5);

    const auto varint = [](std::uint32_t v) {
        Octets b;
        AjouteVarint(b, v);
        return b;
    };
    EXPECT_EQ(varint(0), Octets{0});
    EXPECT_EQ(varint(127), Octets{127});
    EXPECT_EQ(varint(300), (Octets{0xAC, 0x02}));
    EXPECT_EQ(varint(0xFFFFFFFFu), (Octets{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
}

} // namespace
} // namespace orlavine
