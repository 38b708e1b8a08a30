#include "host/chaines.h"
#include "host/geometrie.h"

#include <gtest/gtest.h>

namespace orlavine {
namespace {

// Windows-1252 literal from UTF-8 source text.
AnsiString A(const char* utf8) {
    return Utf8VersCp1252(utf8);
}

TEST(Majuscules, SansAccentsCommeLAtlas) {
    EXPECT_EQ(UpperANSIChaineAS(A("Château-Thierry")), "CHATEAU-THIERRY");
    EXPECT_EQ(UpperANSIChaineAS(A("Œuilly")), "OEUILLY");
    EXPECT_EQ(UpperANSIChaineAS(A("cœur")), "COEUR");
    EXPECT_EQ(UpperANSIChaineAS(A("L’Haÿ-les-Roses")), "L'HAY-LES-ROSES");
    EXPECT_EQ(UpperANSIChaineAS(A("Ærø ßç")), "AERO SSC");
    EXPECT_EQ(UpperANSIChaineAS(A("été"), MajusculesAvecAccents), A("ÉTÉ"));
    EXPECT_EQ(UpperANSIChaineAS("75001 paris"), "75001 PARIS");
}

TEST(Minuscules, NomsPropresEtElisions) {
    EXPECT_EQ(LowerChaineAS("VILLENEUVE-D'ASCQ"), "Villeneuve-d'Ascq");
    EXPECT_EQ(LowerChaineAS("L'ISLE-ADAM"), "L'Isle-Adam");
    EXPECT_EQ(LowerChaineAS(A("CÔTE-D'OR")), A("Côte-d'Or"));
    EXPECT_EQ(LowerChaineAS("SAINT-JEAN-SUR-MER"), "Saint-Jean-Sur-Mer");
    EXPECT_EQ(LowerChaineAS("LE HAVRE"), "Le Havre");
    EXPECT_EQ(LowerChaineAS("D'HUISON-LONGUEVILLE"), "D'Huison-Longueville");
    EXPECT_EQ(LowerChaineAS(A("ÎLE-D'ARZ")), A("Île-d'Arz"));
    EXPECT_EQ(LowerChaineAS("PONT DE VAUX"), "Pont De Vaux");
    EXPECT_EQ(LowerChaineAS("AB", MinusculesSimples), "ab");
}

TEST(Chaines, OutilsDeDecoupe) {
    EXPECT_EQ(RemplaceString("-Sur--Sur-", "-Sur-", "-sur-"), "-sur--sur-");
    EXPECT_EQ(RemplaceString("aaa", "aa", "b"), "ba");
    EXPECT_EQ(RemplaceString("abc", "", "x"), "abc");
    EXPECT_EQ(RemplaceCar("A B C", ' ', '-'), "A-B-C");
    EXPECT_EQ(OteCharFin("DUN**", '*'), "DUN*");
    EXPECT_EQ(OteCharFin("", '*'), "");
    EXPECT_EQ(ElimineMultiSeparateur("A   B  C", ' '), "A B C");
    EXPECT_EQ(EltNo(2, "a;b;c", ';'), "b");
    EXPECT_EQ(EltNo(3, "a;b;", ';'), "");
    EXPECT_EQ(EltNo(4, "a;b;c", ';'), "");
    EXPECT_EQ(EltNo(0, "a;b;c", ';'), "");
    EXPECT_EQ(NombreElts("a;b;c", ';'), 3);
    EXPECT_EQ(NombreElts("", ';'), 0);
    EXPECT_EQ(OteBlancsDebut(" \t\x01x "), "x ");
    EXPECT_EQ(OteBlancsFin(" x \r\n"), " x");
    EXPECT_TRUE(EstEntier("75"));
    EXPECT_TRUE(EstEntier("-3"));
    EXPECT_FALSE(EstEntier("2A"));
    EXPECT_FALSE(EstEntier(""));
    EXPECT_FALSE(EstEntier("99999999999"));
}

TEST(Encodage, AllerRetourWindows1252) {
    const std::string utf8 = "Sous-Préfecture € Œ ’ ÿ";
    const AnsiString ansi = Utf8VersCp1252(utf8);
    EXPECT_EQ(ansi, "Sous-Pr\xE9"
                    "fecture \x80 \x8C \x92 \xFF");
    EXPECT_EQ(Cp1252VersUtf8(ansi), utf8);
    std::string tous;
    for (int b = 1; b < 256; ++b)
        tous += static_cast<char>(b);
    EXPECT_EQ(Utf8VersCp1252(Cp1252VersUtf8(tous)), tous);
    EXPECT_EQ(Utf8VersCp1252("\xE4\xB8\xAD"), "?"); // not in Windows-1252
    EXPECT_EQ(Utf8VersCp1252("a\xC3"), "a?");       // cut sequence
}

TEST(Geometrie, RectanglesEtCouleurs) {
    EXPECT_EQ(Normalize({10, 20, 0, 5}), (TRect{0, 5, 10, 20}));
    EXPECT_EQ(Grow({0, 0, 10, 10}, 2, -1), (TRect{-2, 1, 12, 9}));
    EXPECT_TRUE(Intersecte({0, 0, 10, 10}, {9, 9, 20, 20}));
    EXPECT_FALSE(Intersecte({0, 0, 10, 10}, {10, 0, 20, 10})); // right edge is outside
    EXPECT_FALSE(Intersecte({0, 0, 0, 0}, {-5, -5, 5, 5}));    // empty meets nothing
    EXPECT_EQ(Union({0, 0, 1, 1}, {5, -2, 6, 0}), (TRect{0, -2, 6, 1}));
    EXPECT_EQ((TRect{1, 2, 3, 4} * 1.5), (TRect{2, 3, 5, 6}));
    EXPECT_EQ((TPoint{3, 5} / 2.0), (TPoint{2, 3}));
    EXPECT_EQ((TRect{1, 1, 2, 2} + TPoint{1, -1}), (TRect{2, 0, 3, 1}));
    EXPECT_EQ(DegradeCouleur(0x000000, 0xFFFFFF, 0), 0x000000u);
    EXPECT_EQ(DegradeCouleur(0x000000, 0xFFFFFF, 100), 0xFFFFFFu);
    EXPECT_EQ(DegradeCouleur(0x5B5BFF, 0xF0FBFF, 50), Rvb(0xFF, 0xAB, 0xA5));
    EXPECT_EQ(DegradeCouleur(0x000000, 0xFFFFFF, 250), 0xFFFFFFu);
}

} // namespace
} // namespace orlavine
