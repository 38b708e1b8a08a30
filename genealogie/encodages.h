// Character sets of GEDCOM files: detection, decoding to UTF-8 and the few encoding needs of
// the writer (its added lines are plain ASCII). Toolkit-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orlavine {

enum class Encodage : std::uint8_t {
    Utf8,
    Utf16LE,
    Utf16BE,
    Ansel,
    Windows1252, // "ANSI", "IBM WINDOWS"
    Cp437,       // "IBMPC", "IBM DOS"
    Cp850,       // "MS-DOS"
    MacRoman,    // "MACINTOSH"
    Ascii,
    Latin1,
};

// The name shown to the user ("UTF-8", "ANSEL", "Windows-1252"...).
const char* NomEncodage(Encodage encodage);

// The character set named by a HEAD.CHAR value (case and spaces ignored), or false when the
// value names none that we read.
bool EncodageDeclare(std::string_view valeurChar, Encodage& encodage);

// Bytes per code unit: 2 for UTF-16, 1 otherwise.
inline int LargeurUnite(Encodage e) {
    return e == Encodage::Utf16LE || e == Encodage::Utf16BE ? 2 : 1;
}

// True when `octets` is well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool EstUtf8Valide(std::string_view octets);
// True when every byte is below 0x80.
bool EstAscii(std::string_view octets);

// Decodes `octets` (no BOM) of the given set and appends the UTF-8 text to `sortie`. Bytes that
// the set leaves undefined, and malformed sequences, become U+FFFD; the return value counts
// them. ANSEL combining marks, written before their letter, come out after it, composed (NFC)
// where a precomposed letter exists.
std::size_t DecodeVersUtf8(Encodage encodage, std::string_view octets, std::string& sortie);

// Encodes ASCII text in the given set (UTF-16 widens each byte; every other set is
// ASCII-compatible). Throws ErreurGenealogie on a byte above 0x7F.
std::string EncodeAscii(Encodage encodage, std::string_view ascii);

} // namespace orlavine
