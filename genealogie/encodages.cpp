// Character sets of GEDCOM files. The 8-bit tables give the Unicode code point of bytes
// 0x80-0xFF (0xFFFD where the set defines none); ANSEL is ours, after the MARC-8 tables and
// the GEDCOM additions (BE, BF, CD, CE, CF, C7, C8).
#include "genealogie/encodages.h"

#include "genealogie/erreur_gedcom.h"
#include "host/chaines.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

namespace {

constexpr char32_t Remplacement = 0xFFFD;

// Windows-1252 as the host reads it, its five undefined bytes taken as faults.
constexpr std::array<std::uint16_t, 128> TableWindows1252 = [] {
    std::array<std::uint16_t, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const char16_t u = Cp1252VersUnicode(static_cast<unsigned char>(0x80 + i));
        table[i] = u >= 0x80 && u <= 0x9F ? static_cast<std::uint16_t>(Remplacement) : u;
    }
    return table;
}();
constexpr std::array<std::uint16_t, 128> TableCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
constexpr std::array<std::uint16_t, 128> TableCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};
constexpr std::array<std::uint16_t, 128> TableMacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// ANSEL bytes 0xA0-0xDF that stand alone (0 where undefined).
constexpr std::array<std::uint16_t, 64> TableAnselSimple = {
    0x0000, 0x0141, 0x00D8, 0x0110, 0x00DE, 0x00C6, 0x0152, 0x02B9, // A0-A7
    0x00B7, 0x266D, 0x00AE, 0x00B1, 0x01A0, 0x01AF, 0x02BC, 0x0000, // A8-AF
    0x02BB, 0x0142, 0x00F8, 0x0111, 0x00FE, 0x00E6, 0x0153, 0x02BA, // B0-B7
    0x0131, 0x00A3, 0x00F0, 0x0000, 0x01A1, 0x01B0, 0x25A1, 0x25A0, // B8-BF
    0x00B0, 0x2113, 0x2117, 0x00A9, 0x266F, 0x00BF, 0x00A1, 0x00DF, // C0-C7
    0x20AC, 0x0000, 0x0000, 0x0000, 0x0000, 0x0065, 0x006F, 0x00DF, // C8-CF
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, // D0-D7
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, // D8-DF
};

// ANSEL combining marks 0xE0-0xFE (0 where undefined).
constexpr std::array<std::uint16_t, 31> TableAnselDiacritiques = {
    0x0309, 0x0300, 0x0301, 0x0302, 0x0303, 0x0304, 0x0306, 0x0307, // E0-E7
    0x0308, 0x030C, 0x030A, 0xFE20, 0xFE21, 0x0315, 0x030B, 0x0310, // E8-EF
    0x0327, 0x0328, 0x0323, 0x0324, 0x0325, 0x0333, 0x0332, 0x0326, // F0-F7
    0x031C, 0x032E, 0xFE22, 0xFE23, 0x0000, 0x0000, 0x0313,         // F8-FE
};

// Canonical combining class of the marks above (Unicode character database).
int ClasseCombinaison(char32_t marque) {
    switch (marque) {
    case 0x0315:
        return 232;
    case 0x0323:
    case 0x0324:
    case 0x0325:
    case 0x0326:
    case 0x031C:
    case 0x032E:
    case 0x0332:
    case 0x0333:
        return 220;
    case 0x0327:
    case 0x0328:
        return 202;
    default:
        return 230;
    }
}

// The precomposed Latin letters: for each mark, pairs (base, composed letter) in UTF-8.
struct Compositions {
    char32_t Marque;
    const char* Paires;
};
constexpr Compositions TableCompositions[] = {
    {0x0300, "AÀEÈIÌOÒUÙaàeèiìoòuùNǸnǹWẀwẁYỲyỳ"},
    {0x0301, "AÁEÉIÍOÓUÚYÝaáeéiíoóuúyýCĆcćLĹlĺNŃnńRŔrŕSŚsśZŹzźGǴgǵKḰkḱMḾmḿPṔpṕWẂwẃÆǼæǽØǾøǿ"},
    {0x0302, "AÂEÊIÎOÔUÛaâeêiîoôuûCĈcĉGĜgĝHĤhĥJĴjĵSŜsŝWŴwŵYŶyŷZẐzẑ"},
    {0x0303, "AÃNÑOÕaãnñoõIĨiĩUŨuũEẼeẽYỸyỹ"},
    {0x0304, "AĀaāEĒeēIĪiīOŌoōUŪuū"},
    {0x0306, "AĂaăEĔeĕGĞgğIĬiĭOŎoŏUŬuŭ"},
    {0x0307, "CĊcċEĖeėGĠgġIİZŻzż"},
    {0x0308, "AÄEËIÏOÖUÜaäeëiïoöuüyÿYŸ"},
    {0x030A, "AÅaåUŮuů"},
    {0x030B, "OŐoőUŰuű"},
    {0x030C, "CČcčDĎdďEĚeěNŇnňRŘrřSŠsšTŤtťZŽzž"},
    {0x0327, "CÇcçGĢgģKĶkķLĻlļNŅnņRŖrŗSŞsşTŢtţ"},
    {0x0328, "AĄaąEĘeęIĮiįUŲuų"},
    {0x0323, "AẠaạEẸeẹIỊiịOỌoọUỤuụ"},
};

char32_t LitPointUtf8(const char*& p) {
    const auto c = static_cast<unsigned char>(*p++);
    if (c < 0x80) return c;
    int suite = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    char32_t v = c & (0x3F >> suite);
    while (suite-- > 0)
        v = (v << 6) | (static_cast<unsigned char>(*p++) & 0x3F);
    return v;
}

struct EntreeComposition {
    char32_t Base;
    char32_t Marque;
    char32_t Compose;
};

const std::vector<EntreeComposition>& Compositeur() {
    static const std::vector<EntreeComposition> table = [] {
        std::vector<EntreeComposition> t;
        for (const Compositions& c : TableCompositions) {
            const char* p = c.Paires;
            while (*p) {
                const char32_t base = LitPointUtf8(p);
                const char32_t compose = LitPointUtf8(p);
                t.push_back({base, c.Marque, compose});
            }
        }
        std::sort(t.begin(), t.end(), [](const auto& a, const auto& b) {
            return a.Base != b.Base ? a.Base < b.Base : a.Marque < b.Marque;
        });
        return t;
    }();
    return table;
}

// The letter that `base` followed by `marque` composes to, or 0.
char32_t Compose(char32_t base, char32_t marque) {
    const auto& t = Compositeur();
    const auto it = std::lower_bound(t.begin(), t.end(), std::pair{base, marque},
                                     [](const EntreeComposition& e, const auto& cle) {
                                         return e.Base != cle.first ? e.Base < cle.first
                                                                    : e.Marque < cle.second;
                                     });
    return it != t.end() && it->Base == base && it->Marque == marque ? it->Compose : 0;
}

void AjouteUtf8(char32_t c, std::string& sortie) {
    if (c < 0x80) {
        sortie += static_cast<char>(c);
    } else if (c < 0x800) {
        sortie += static_cast<char>(0xC0 | (c >> 6));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        sortie += static_cast<char>(0xE0 | (c >> 12));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        sortie += static_cast<char>(0xF0 | (c >> 18));
        sortie += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        sortie += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at `p` (at most `reste` bytes), 0 when malformed.
std::size_t LongueurSequence(const unsigned char* p, std::size_t reste) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    auto suite = [&](std::size_t i) { return i < reste && (p[i] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return suite(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!suite(1) || !suite(2)) return 0;
        if (c == 0xE0 && p[1] < 0xA0) return 0;  // overlong
        if (c == 0xED && p[1] >= 0xA0) return 0; // surrogates
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!suite(1) || !suite(2) || !suite(3)) return 0;
        if (c == 0xF0 && p[1] < 0x90) return 0;
        if (c == 0xF4 && p[1] >= 0x90) return 0;
        return 4;
    }
    return 0;
}

std::size_t DecodeUtf8(std::string_view octets, std::string& sortie) {
    const auto* p = reinterpret_cast<const unsigned char*>(octets.data());
    const std::size_t n = octets.size();
    std::size_t fautes = 0;
    std::size_t i = 0;
    while (i < n) {
        // Runs of ASCII go in one append.
        std::size_t j = i;
        while (j < n && p[j] < 0x80)
            ++j;
        if (j > i) {
            sortie.append(octets.data() + i, j - i);
            i = j;
            continue;
        }
        const std::size_t l = LongueurSequence(p + i, n - i);
        if (l == 0) {
            AjouteUtf8(Remplacement, sortie);
            ++fautes;
            ++i;
        } else {
            sortie.append(octets.data() + i, l);
            i += l;
        }
    }
    return fautes;
}

std::size_t DecodeUtf16(std::string_view octets, bool petitBoutiste, std::string& sortie) {
    const auto* p = reinterpret_cast<const unsigned char*>(octets.data());
    const std::size_t n = octets.size() / 2;
    std::size_t fautes = octets.size() % 2;
    auto unite = [&](std::size_t i) -> char32_t {
        return petitBoutiste ? p[2 * i] | (p[2 * i + 1] << 8) : (p[2 * i] << 8) | p[2 * i + 1];
    };
    for (std::size_t i = 0; i < n; ++i) {
        char32_t u = unite(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
            const char32_t v = unite(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AjouteUtf8(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00), sortie);
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            u = Remplacement;
            ++fautes;
        }
        AjouteUtf8(u, sortie);
    }
    if (octets.size() % 2) AjouteUtf8(Remplacement, sortie);
    return fautes;
}

std::size_t DecodeTable(std::string_view octets, const std::array<std::uint16_t, 128>* table,
                        std::string& sortie) {
    std::size_t fautes = 0;
    for (const char o : octets) {
        const auto c = static_cast<unsigned char>(o);
        if (c < 0x80) {
            sortie += o;
            continue;
        }
        // Without a table the byte is its own code point (Latin-1).
        const char32_t u = table ? (*table)[c - 0x80] : c;
        if (u == Remplacement) ++fautes;
        AjouteUtf8(u, sortie);
    }
    return fautes;
}

// Writes a letter and the combining marks read before it: marks in canonical order, each
// composed into the letter when a precomposed form exists and no uncomposed mark of the same
// or a higher class stands between them.
void EcritLettre(char32_t base, std::vector<char32_t>& marques, std::string& sortie) {
    std::stable_sort(marques.begin(), marques.end(), [](char32_t a, char32_t b) {
        return ClasseCombinaison(a) < ClasseCombinaison(b);
    });
    std::vector<char32_t> restes;
    int classeBloquante = -1;
    for (const char32_t m : marques) {
        const int classe = ClasseCombinaison(m);
        const char32_t c = classe > classeBloquante ? Compose(base, m) : 0;
        if (c) {
            base = c;
        } else {
            restes.push_back(m);
            classeBloquante = std::max(classeBloquante, classe);
        }
    }
    AjouteUtf8(base, sortie);
    for (const char32_t m : restes)
        AjouteUtf8(m, sortie);
    marques.clear();
}

std::size_t DecodeAnsel(std::string_view octets, std::string& sortie) {
    std::size_t fautes = 0;
    std::vector<char32_t> marques;
    for (const char o : octets) {
        const auto c = static_cast<unsigned char>(o);
        if (c >= 0xE0 && c <= 0xFE && TableAnselDiacritiques[c - 0xE0] != 0) {
            marques.push_back(TableAnselDiacritiques[c - 0xE0]);
            continue;
        }
        // Non-sorting and joiner controls carry nothing for the text.
        if (c == 0x88 || c == 0x89 || c == 0x8D || c == 0x8E) continue;
        char32_t u = c;
        if (c >= 0x80) {
            u = c >= 0xA0 && c <= 0xDF ? TableAnselSimple[c - 0xA0] : 0;
            if (u == 0) {
                u = Remplacement;
                ++fautes;
            }
        }
        if (marques.empty())
            AjouteUtf8(u, sortie);
        else
            EcritLettre(u, marques, sortie);
    }
    // Marks with no letter after them stay as they are.
    for (const char32_t m : marques)
        AjouteUtf8(m, sortie);
    return fautes;
}

std::string Normalise(std::string_view valeur) {
    std::string n;
    for (const char c : valeur)
        if (c != ' ' && c != '-' && c != '_' && c != '\t')
            n += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return n;
}

} // namespace

const char* NomEncodage(Encodage encodage) {
    switch (encodage) {
    case Encodage::Utf8:
        return "UTF-8";
    case Encodage::Utf16LE:
        return "UTF-16LE";
    case Encodage::Utf16BE:
        return "UTF-16BE";
    case Encodage::Ansel:
        return "ANSEL";
    case Encodage::Windows1252:
        return "Windows-1252";
    case Encodage::Cp437:
        return "IBM437";
    case Encodage::Cp850:
        return "IBM850";
    case Encodage::MacRoman:
        return "MacRoman";
    case Encodage::Ascii:
        return "ASCII";
    case Encodage::Latin1:
        return "ISO-8859-1";
    }
    return "?";
}

bool EncodageDeclare(std::string_view valeurChar, Encodage& encodage) {
    const std::string n = Normalise(valeurChar);
    struct Nom {
        const char* Texte;
        Encodage Jeu;
    };
    static constexpr Nom noms[] = {
        {"UTF8", Encodage::Utf8},
        {"UNICODE", Encodage::Utf16LE},
        {"UTF16", Encodage::Utf16LE},
        {"ANSEL", Encodage::Ansel},
        {"ANSI", Encodage::Windows1252},
        {"IBMWINDOWS", Encodage::Windows1252},
        {"WINDOWS", Encodage::Windows1252},
        {"CP1252", Encodage::Windows1252},
        {"WINDOWS1252", Encodage::Windows1252},
        {"IBMPC", Encodage::Cp437},
        {"IBMDOS", Encodage::Cp437},
        {"CP437", Encodage::Cp437},
        {"MSDOS", Encodage::Cp850},
        {"CP850", Encodage::Cp850},
        {"MACINTOSH", Encodage::MacRoman},
        {"MACROMAN", Encodage::MacRoman},
        {"ASCII", Encodage::Ascii},
        {"USASCII", Encodage::Ascii},
        {"LATIN1", Encodage::Latin1},
        {"ISO88591", Encodage::Latin1},
    };
    for (const Nom& nom : noms)
        if (n == nom.Texte) {
            encodage = nom.Jeu;
            return true;
        }
    return false;
}

bool EstAscii(std::string_view octets) {
    return std::all_of(octets.begin(), octets.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool EstUtf8Valide(std::string_view octets) {
    const auto* p = reinterpret_cast<const unsigned char*>(octets.data());
    const std::size_t n = octets.size();
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t l = LongueurSequence(p + i, n - i);
        if (l == 0) return false;
        i += l;
    }
    return true;
}

std::size_t DecodeVersUtf8(Encodage encodage, std::string_view octets, std::string& sortie) {
    switch (encodage) {
    case Encodage::Utf8:
        return DecodeUtf8(octets, sortie);
    case Encodage::Utf16LE:
        return DecodeUtf16(octets, true, sortie);
    case Encodage::Utf16BE:
        return DecodeUtf16(octets, false, sortie);
    case Encodage::Ansel:
        return DecodeAnsel(octets, sortie);
    case Encodage::Windows1252:
        return DecodeTable(octets, &TableWindows1252, sortie);
    case Encodage::Cp437:
        return DecodeTable(octets, &TableCp437, sortie);
    case Encodage::Cp850:
        return DecodeTable(octets, &TableCp850, sortie);
    case Encodage::MacRoman:
        return DecodeTable(octets, &TableMacRoman, sortie);
    case Encodage::Latin1:
        return DecodeTable(octets, nullptr, sortie);
    case Encodage::Ascii: {
        std::size_t fautes = 0;
        for (const char o : octets) {
            if (static_cast<unsigned char>(o) < 0x80) {
                sortie += o;
            } else {
                AjouteUtf8(Remplacement, sortie);
                ++fautes;
            }
        }
        return fautes;
    }
    }
    return 0;
}

std::string EncodeAscii(Encodage encodage, std::string_view ascii) {
    if (!EstAscii(ascii))
        throw ErreurGenealogie("texte non ASCII à écrire en " + std::string(NomEncodage(encodage)));
    if (LargeurUnite(encodage) == 1) return std::string(ascii);
    std::string s;
    s.reserve(ascii.size() * 2);
    for (const char c : ascii) {
        if (encodage == Encodage::Utf16LE) {
            s += c;
            s += '\0';
        } else {
            s += '\0';
            s += c;
        }
    }
    return s;
}

} // namespace orlavine
