#include "geocodeur/cle.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlavine::geocodeur {

namespace {

// U+00C0 to U+024F: the letter without its accents, upper case; "" where there is none.
constexpr std::uint32_t DebutTable = 0xC0;
constexpr std::array<const char*, 0x250 - 0xC0> Latin = {
    "A", "A",  "A",  "A",  "A",  "A",  "AE", "C",  "E",  "E",  "E",  "E",  "I",  "I", "I",  "I",
    "D", "N",  "O",  "O",  "O",  "O",  "O",  "",   "O",  "U",  "U",  "U",  "U",  "Y", "TH", "SS",
    "A", "A",  "A",  "A",  "A",  "A",  "AE", "C",  "E",  "E",  "E",  "E",  "I",  "I", "I",  "I",
    "D", "N",  "O",  "O",  "O",  "O",  "O",  "",   "O",  "U",  "U",  "U",  "U",  "Y", "TH", "Y",
    "A", "A",  "A",  "A",  "A",  "A",  "C",  "C",  "C",  "C",  "C",  "C",  "C",  "C", "D",  "D",
    "D", "D",  "E",  "E",  "E",  "E",  "E",  "E",  "E",  "E",  "E",  "E",  "G",  "G", "G",  "G",
    "G", "G",  "G",  "G",  "H",  "H",  "H",  "H",  "I",  "I",  "I",  "I",  "I",  "I", "I",  "I",
    "I", "I",  "IJ", "IJ", "J",  "J",  "K",  "K",  "K",  "L",  "L",  "L",  "L",  "L", "L",  "L",
    "L", "L",  "L",  "N",  "N",  "N",  "N",  "N",  "N",  "N",  "N",  "N",  "O",  "O", "O",  "O",
    "O", "O",  "OE", "OE", "R",  "R",  "R",  "R",  "R",  "R",  "S",  "S",  "S",  "S", "S",  "S",
    "S", "S",  "T",  "T",  "T",  "T",  "T",  "T",  "U",  "U",  "U",  "U",  "U",  "U", "U",  "U",
    "U", "U",  "U",  "U",  "W",  "W",  "Y",  "Y",  "Y",  "Z",  "Z",  "Z",  "Z",  "Z", "Z",  "S",
    "",  "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   "",
    "",  "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   "",
    "O", "O",  "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   "U",
    "U", "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   "",
    "",  "",   "",   "",   "DZ", "DZ", "DZ", "LJ", "LJ", "LJ", "NJ", "NJ", "NJ", "A", "A",  "I",
    "I", "O",  "O",  "U",  "U",  "U",  "U",  "U",  "U",  "U",  "U",  "U",  "U",  "",  "A",  "A",
    "A", "A",  "",   "",   "",   "",   "G",  "G",  "K",  "K",  "O",  "O",  "O",  "O", "",   "",
    "J", "DZ", "DZ", "DZ", "G",  "G",  "",   "",   "N",  "N",  "A",  "A",  "",   "",  "",   "",
    "A", "A",  "A",  "A",  "E",  "E",  "E",  "E",  "I",  "I",  "I",  "I",  "O",  "O", "O",  "O",
    "R", "R",  "R",  "R",  "U",  "U",  "U",  "U",  "S",  "S",  "T",  "T",  "",   "",  "H",  "H",
    "",  "",   "",   "",   "",   "",   "A",  "A",  "E",  "E",  "O",  "O",  "O",  "O", "O",  "O",
    "O", "O",  "Y",  "Y",  "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   "",
    "",  "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",   "",  "",   ""};

// Windows-1252 bytes 0x80-0x9F that are letters.
std::uint32_t Cp1252(std::uint8_t o) {
    switch (o) {
    case 0x8A:
        return 0x160;
    case 0x8C:
        return 0x152;
    case 0x8E:
        return 0x17D;
    case 0x9A:
        return 0x161;
    case 0x9C:
        return 0x153;
    case 0x9E:
        return 0x17E;
    case 0x9F:
        return 0x178;
    case 0x92:
        return 0x2019;
    default:
        return o;
    }
}

// The next code point of `texte` from `i` (moved past it). A byte that does not start a
// well-formed sequence is read as Windows-1252.
std::uint32_t Suivant(std::string_view texte, std::size_t& i, std::size_t& longueur) {
    const auto o = static_cast<std::uint8_t>(texte[i]);
    auto suite = [&](std::size_t k) {
        return i + k < texte.size() && (static_cast<std::uint8_t>(texte[i + k]) & 0xC0) == 0x80;
    };
    std::uint32_t cp = o;
    longueur = 1;
    if (o >= 0xC2 && o <= 0xDF && suite(1)) {
        cp = ((o & 0x1Fu) << 6) | (static_cast<std::uint8_t>(texte[i + 1]) & 0x3Fu);
        longueur = 2;
    } else if (o >= 0xE0 && o <= 0xEF && suite(1) && suite(2)) {
        cp = ((o & 0x0Fu) << 12) | ((static_cast<std::uint8_t>(texte[i + 1]) & 0x3Fu) << 6) |
             (static_cast<std::uint8_t>(texte[i + 2]) & 0x3Fu);
        longueur = 3;
        if (cp < 0x800) cp = 0xFFFD;
    } else if (o >= 0xF0 && o <= 0xF4 && suite(1) && suite(2) && suite(3)) {
        cp = ((o & 0x07u) << 18) | ((static_cast<std::uint8_t>(texte[i + 1]) & 0x3Fu) << 12) |
             ((static_cast<std::uint8_t>(texte[i + 2]) & 0x3Fu) << 6) |
             (static_cast<std::uint8_t>(texte[i + 3]) & 0x3Fu);
        longueur = 4;
        if (cp < 0x10000) cp = 0xFFFD;
    } else if (o >= 0x80) {
        cp = Cp1252(o);
    }
    i += longueur;
    return cp;
}

bool EstMarqueCombinante(std::uint32_t cp) {
    return (cp >= 0x300 && cp <= 0x36F) || (cp >= 0x1AB0 && cp <= 0x1AFF) ||
           (cp >= 0x1DC0 && cp <= 0x1DFF) || (cp >= 0x20D0 && cp <= 0x20FF);
}

bool EstSeparateur(std::uint32_t cp) {
    if (cp < 0x80) {
        const char c = static_cast<char>(cp);
        return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    }
    return cp <= 0xBF || cp == 0xD7 || cp == 0xF7 || (cp >= 0x2000 && cp <= 0x206F) ||
           cp == 0x2BC || cp == 0x2BB || cp == 0x3000 || cp == 0xFFFD;
}

void AjouteUtf8(std::string& s, std::uint32_t cp) {
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string Cle(std::string_view texte) {
    // Words first, then the word-level rewrites.
    std::vector<std::string> mots;
    std::string mot;
    bool parenthese = false;
    auto finMot = [&] {
        if (!mot.empty()) mots.push_back(std::move(mot));
        mot.clear();
    };
    for (std::size_t i = 0; i < texte.size();) {
        std::size_t longueur = 0;
        const std::uint32_t cp = Suivant(texte, i, longueur);
        if (cp == '(') parenthese = true;
        if (EstMarqueCombinante(cp)) continue;
        if (EstSeparateur(cp)) {
            finMot();
            continue;
        }
        if (cp < 0x80) {
            mot += static_cast<char>(cp >= 'a' && cp <= 'z' ? cp - 32 : cp);
        } else if (cp >= DebutTable && cp < DebutTable + Latin.size() && *Latin[cp - DebutTable]) {
            mot += Latin[cp - DebutTable];
        } else {
            AjouteUtf8(mot, cp);
        }
    }
    finMot();

    for (std::string& m : mots) {
        if (m == "ST")
            m = "SAINT";
        else if (m == "STE")
            m = "SAINTE";
    }
    // "Havre (Le)", "Andelys (Les)": the article goes back in front.
    if (parenthese && mots.size() >= 2) {
        const std::string& dernier = mots.back();
        if (dernier == "LE" || dernier == "LA" || dernier == "LES" || dernier == "L") {
            std::string article = std::move(mots.back());
            mots.pop_back();
            mots.insert(mots.begin(), std::move(article));
        }
    }
    std::string cle;
    for (const std::string& m : mots) {
        if (!cle.empty()) cle += ' ';
        cle += m;
    }
    return cle;
}

bool CleLatine(std::string_view cle) {
    for (char c : cle)
        if (static_cast<std::uint8_t>(c) >= 0x80) return false;
    return true;
}

} // namespace orlavine::geocodeur
