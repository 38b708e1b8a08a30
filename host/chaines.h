// String services shared by every part of Orlavine.
//
// AnsiString is an 8-bit string in Windows-1252, the encoding of the atlas files and of
// the exported texts. The user interface works in UTF-8/UTF-16: convert at that border
// with Cp1252VersUtf8 / Utf8VersCp1252.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orlavine {

using AnsiString = std::string;

// Code points of the bytes 0x80..0x9F in Windows-1252; the five undefined bytes keep the
// C1 control character of the same value.
inline constexpr std::array<char16_t, 32> Cp1252Haut = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code point of one Windows-1252 byte (an undefined byte: its C1 control).
constexpr char16_t Cp1252VersUnicode(unsigned char c) {
    return c >= 0x80 && c <= 0x9F ? Cp1252Haut[c - 0x80] : c;
}

// Modes of UpperANSIChaineAS.
inline constexpr int MajusculesAvecAccents = 1; // "Château" -> "CHÂTEAU"
inline constexpr int MajusculesSansAccents = 2; // "Château" -> "CHATEAU", the atlas form
// Modes of LowerChaineAS.
inline constexpr int MinusculesSimples = 1;   // "CHÂTEAU-THIERRY" -> "château-thierry"
inline constexpr int MinusculesNomPropre = 3; // "CHÂTEAU-THIERRY" -> "Château-Thierry"

// Upper case. Mode 2 removes accents and ligatures as the atlas stores names: "Œ" -> "OE",
// "ß" -> "SS", the typographic apostrophes become "'". Any other mode keeps the accents.
AnsiString UpperANSIChaineAS(std::string_view texte, int mode = MajusculesSansAccents);

// Lower case. Mode 3 capitalises each word and each part of a compound (after a space, a
// hyphen or an apostrophe), except an elided "d'" or "l'" inside a name:
// "VILLENEUVE-D'ASCQ" -> "Villeneuve-d'Ascq", "L'ISLE-ADAM" -> "L'Isle-Adam".
// Any other mode lowers every letter.
AnsiString LowerChaineAS(std::string_view texte, int mode = MinusculesNomPropre);

// Every occurrence of motif replaced, case-sensitive, left to right, non-overlapping.
AnsiString RemplaceString(std::string_view texte, std::string_view motif,
                          std::string_view remplacement);
// Every occurrence of the character avant replaced by apres.
AnsiString RemplaceCar(std::string_view texte, char avant, char apres);
// One final occurrence of c removed.
AnsiString OteCharFin(std::string_view texte, char c);
// Each run of the separator collapsed into one.
AnsiString ElimineMultiSeparateur(std::string_view texte, char separateur);
// The n-th element (from 1) of a separated list; empty when there is none.
AnsiString EltNo(int n, std::string_view texte, char separateur);
// The number of elements of a separated list (0 for an empty text).
int NombreElts(std::string_view texte, char separateur);

// Leading / trailing blanks and control characters (bytes up to and including the space).
AnsiString OteBlancsDebut(std::string_view texte);
AnsiString OteBlancsFin(std::string_view texte);
// Both ends at once, without a copy: " x\t\r" -> "x".
std::string_view SansBlancs(std::string_view texte);
// True when the text is made of decimal digits only, at least one ("60350", not "2A004").
bool QueChiffres(std::string_view texte);
// ASCII letters in upper case, every other byte kept ("2a" -> "2A", "tx" -> "TX").
std::string MajusculesAscii(std::string_view texte);

// True when the whole text is a decimal integer (optional sign, at least one digit) that
// fits in 32 bits, as the platform's integer conversion accepts it.
bool EstEntier(std::string_view texte);

// A decimal number as files, requests and keys carry it, whatever the user's locale: a point,
// at most `decimales` digits after it, trailing zeros dropped ("48.8566", "-1.5", "0").
std::string TexteDecimal(double valeur, int decimales);

// Windows-1252 <-> UTF-8. The five bytes that Windows-1252 leaves undefined map to the
// C1 control characters of the same value, so that any byte string survives a round
// trip. A character Windows-1252 cannot hold becomes '?'.
std::string Cp1252VersUtf8(std::string_view ansi);
AnsiString Utf8VersCp1252(std::string_view utf8);

} // namespace orlavine
