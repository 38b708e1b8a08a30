// Character sets: each table on the letters French files use, ANSEL's marks written before
// their letter, UTF-8 and UTF-16 edge cases.
#include "genealogie/encodages.h"
#include "genealogie/erreur_gedcom.h"

#include <gtest/gtest.h>
#include <string>

namespace orlavine {
namespace {

std::string Decode(Encodage e, std::string_view octets, std::size_t* fautes = nullptr) {
    std::string s;
    const std::size_t f = DecodeVersUtf8(e, octets, s);
    if (fautes) *fautes = f;
    return s;
}

TEST(Encodages, AnselPlaceLesMarquesApresLaLettreEtCompose) {
    // é è ê ë ç à ô, marks before their letter.
    EXPECT_EQ(Decode(Encodage::Ansel, "\xE2"
                                      "e\xE1"
                                      "e\xE3"
                                      "e\xE8"
                                      "e\xF0"
                                      "c\xE1"
                                      "a\xE3"
                                      "o"),
              "éèêëçàô");
    EXPECT_EQ(Decode(Encodage::Ansel, "Saint-\xE2"
                                      "Etienne"),
              "Saint-Étienne");
    EXPECT_EQ(Decode(Encodage::Ansel, "\xE8y\xE9Z\xEA"
                                      "A\xF1"
                                      "e"),
              "ÿŽÅę");
    // Letters of their own and the GEDCOM additions.
    EXPECT_EQ(Decode(Encodage::Ansel, "\xA5\xB6\xB2\xC3\xC8\xCF\xA1"), "Æœø©€ßŁ");
}

TEST(Encodages, AnselSansFormePrecomposeeGardeLaMarqueCombinante) {
    // q with an acute has no precomposed letter: q then U+0301.
    EXPECT_EQ(Decode(Encodage::Ansel, "\xE2q"), "q\xCC\x81");
    // Circumflex then dot below before e: canonical order puts the dot below first, which
    // composes; the circumflex stays combining.
    EXPECT_EQ(Decode(Encodage::Ansel, "\xE3\xF2"
                                      "e"),
              "ẹ\xCC\x82");
    // A mark at the end of the text, with no letter after it, stays.
    EXPECT_EQ(Decode(Encodage::Ansel, "a\xE2"), "a\xCC\x81");
    std::size_t fautes = 0;
    EXPECT_EQ(Decode(Encodage::Ansel, "x\x80y", &fautes), "x\xEF\xBF\xBDy");
    EXPECT_EQ(fautes, 1u);
}

TEST(Encodages, TablesHuitBits) {
    EXPECT_EQ(Decode(Encodage::Windows1252, "\x80\x9C\xE9\xC9\x92"), "€œéÉ’");
    std::size_t fautes = 0;
    EXPECT_EQ(Decode(Encodage::Windows1252, "\x81", &fautes), "\xEF\xBF\xBD");
    EXPECT_EQ(fautes, 1u);
    EXPECT_EQ(Decode(Encodage::Cp437, "\x82\x8A\x87\x93"), "éèçô");
    EXPECT_EQ(Decode(Encodage::Cp850, "\x82\x90\xB7"), "éÉÀ");
    EXPECT_EQ(Decode(Encodage::MacRoman, "\x8E\x8F\x8D\x83"), "éèçÉ");
    EXPECT_EQ(Decode(Encodage::Latin1, "\xE9\xFF"), "éÿ");
    EXPECT_EQ(Decode(Encodage::Ascii, "abc\xE9", &fautes), "abc\xEF\xBF\xBD");
}

TEST(Encodages, Utf16EtUtf8) {
    EXPECT_EQ(Decode(Encodage::Utf16LE, std::string("\xE9\x00\x3D\xD8\x00\xDE", 6)), "é😀");
    EXPECT_EQ(Decode(Encodage::Utf16BE, std::string("\x00\xE9", 2)), "é");
    std::size_t fautes = 0;
    EXPECT_EQ(Decode(Encodage::Utf16LE,
                     std::string("\x00\xD8"
                                 "a",
                                 3),
                     &fautes),
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(fautes, 2u);

    EXPECT_TRUE(EstUtf8Valide("Saint-Étienne 😀"));
    EXPECT_FALSE(EstUtf8Valide("\xC0\x80"));         // overlong
    EXPECT_FALSE(EstUtf8Valide("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(EstUtf8Valide("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(EstUtf8Valide("\xC3"));             // cut short
    EXPECT_FALSE(EstUtf8Valide("\xE9t\xE9"));        // Windows-1252
    EXPECT_EQ(Decode(Encodage::Utf8, "a\xE9z", &fautes), "a\xEF\xBF\xBDz");
}

TEST(Encodages, NomsDeclaresEtEcriture) {
    Encodage e = Encodage::Utf8;
    EXPECT_TRUE(EncodageDeclare("IBM WINDOWS", e));
    EXPECT_EQ(e, Encodage::Windows1252);
    EXPECT_TRUE(EncodageDeclare("ansi", e));
    EXPECT_EQ(e, Encodage::Windows1252);
    EXPECT_TRUE(EncodageDeclare("UTF-8", e));
    EXPECT_EQ(e, Encodage::Utf8);
    EXPECT_TRUE(EncodageDeclare("IBMPC", e));
    EXPECT_EQ(e, Encodage::Cp437);
    EXPECT_TRUE(EncodageDeclare("MS-DOS", e));
    EXPECT_EQ(e, Encodage::Cp850);
    EXPECT_TRUE(EncodageDeclare("MACINTOSH", e));
    EXPECT_EQ(e, Encodage::MacRoman);
    EXPECT_FALSE(EncodageDeclare("EBCDIC", e));

    EXPECT_EQ(EncodeAscii(Encodage::Utf16BE, "1 A"), std::string("\0"
                                                                 "1\0 \0A",
                                                                 6));
    EXPECT_EQ(EncodeAscii(Encodage::Utf16LE, "1"), std::string("1\0", 2));
    EXPECT_EQ(EncodeAscii(Encodage::Ansel, "2 LATI N1.5"), "2 LATI N1.5");
    EXPECT_THROW(EncodeAscii(Encodage::Ansel, "é"), ErreurGenealogie);
}

} // namespace
} // namespace orlavine
