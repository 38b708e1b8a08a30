#include "host/chaines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace orlavine {

namespace {

int VersCp1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
    for (std::size_t i = 0; i < Cp1252Haut.size(); ++i)
        if (Cp1252Haut[i] == u) return static_cast<int>(0x80 + i);
    return -1;
}

bool EstMinuscule(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7) || c == 0x9A || c == 0x9C ||
           c == 0x9E;
}

bool EstMajuscule(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A ||
           c == 0x8C || c == 0x8E || c == 0x9F;
}

bool EstLettre(unsigned char c) {
    return EstMinuscule(c) || EstMajuscule(c) || c == 0x83;
}

unsigned char Minuscule(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    switch (c) {
    case 0x8A:
        return 0x9A; // Š
    case 0x8C:
        return 0x9C; // Œ
    case 0x8E:
        return 0x9E; // Ž
    case 0x9F:
        return 0xFF; // Ÿ
    default:
        return c;
    }
}

unsigned char Majuscule(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    switch (c) {
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9E:
        return 0x8E;
    case 0xFF:
        return 0x9F;
    default:
        return c; // ß has no single-byte capital
    }
}

// Upper case without accents; may produce two letters (ligatures).
void MajusculeSansAccent(unsigned char c, AnsiString& sortie) {
    const unsigned char m = Majuscule(c);
    if (m >= 0xC0 && m <= 0xC5)
        sortie += 'A';
    else if (m == 0xC6)
        sortie += "AE";
    else if (m == 0xC7)
        sortie += 'C';
    else if (m >= 0xC8 && m <= 0xCB)
        sortie += 'E';
    else if (m >= 0xCC && m <= 0xCF)
        sortie += 'I';
    else if (m == 0xD0)
        sortie += 'D';
    else if (m == 0xD1)
        sortie += 'N';
    else if ((m >= 0xD2 && m <= 0xD6) || m == 0xD8)
        sortie += 'O';
    else if (m >= 0xD9 && m <= 0xDC)
        sortie += 'U';
    else if (m == 0xDD || m == 0x9F)
        sortie += 'Y';
    else if (m == 0xDE)
        sortie += "TH";
    else if (m == 0xDF)
        sortie += "SS";
    else if (m == 0x8C)
        sortie += "OE";
    else if (m == 0x8A)
        sortie += 'S';
    else if (m == 0x8E)
        sortie += 'Z';
    else if (m == 0x91 || m == 0x92 || m == 0xB4)
        sortie += '\''; // ‘ ’ ´
    else
        sortie += static_cast<char>(m);
}

bool EstBlanc(unsigned char c) {
    return c <= ' ';
}

} // namespace

AnsiString UpperANSIChaineAS(std::string_view texte, int mode) {
    AnsiString sortie;
    sortie.reserve(texte.size());
    for (unsigned char c : texte) {
        if (mode == MajusculesSansAccents)
            MajusculeSansAccent(c, sortie);
        else
            sortie += static_cast<char>(Majuscule(c));
    }
    return sortie;
}

AnsiString LowerChaineAS(std::string_view texte, int mode) {
    AnsiString sortie(texte);
    if (mode != MinusculesNomPropre) {
        for (char& c : sortie)
            c = static_cast<char>(Minuscule(static_cast<unsigned char>(c)));
        return sortie;
    }
    bool debutMot = true;
    for (std::size_t i = 0; i < sortie.size(); ++i) {
        const auto c = static_cast<unsigned char>(sortie[i]);
        if (!EstLettre(c)) {
            debutMot = (c == ' ' || c == '-' || c == '\'' || c == 0x92 || c == '(' || c == '/');
            continue;
        }
        const bool elision =
            i > 0 && i + 1 < sortie.size() &&
            (sortie[i + 1] == '\'' || static_cast<unsigned char>(sortie[i + 1]) == 0x92) &&
            (Minuscule(c) == 'd' || Minuscule(c) == 'l');
        if (debutMot && !elision)
            sortie[i] = static_cast<char>(Majuscule(c));
        else
            sortie[i] = static_cast<char>(Minuscule(c));
        debutMot = false;
    }
    return sortie;
}

AnsiString RemplaceString(std::string_view texte, std::string_view motif,
                          std::string_view remplacement) {
    if (motif.empty()) return AnsiString(texte);
    AnsiString sortie;
    sortie.reserve(texte.size());
    std::size_t debut = 0;
    for (std::size_t p = texte.find(motif); p != std::string_view::npos;
         p = texte.find(motif, debut)) {
        sortie.append(texte.substr(debut, p - debut));
        sortie.append(remplacement);
        debut = p + motif.size();
    }
    sortie.append(texte.substr(debut));
    return sortie;
}

AnsiString RemplaceCar(std::string_view texte, char avant, char apres) {
    AnsiString sortie(texte);
    for (char& c : sortie)
        if (c == avant) c = apres;
    return sortie;
}

AnsiString OteCharFin(std::string_view texte, char c) {
    if (!texte.empty() && texte.back() == c) texte.remove_suffix(1);
    return AnsiString(texte);
}

AnsiString ElimineMultiSeparateur(std::string_view texte, char separateur) {
    AnsiString sortie;
    sortie.reserve(texte.size());
    for (char c : texte) {
        if (c == separateur && !sortie.empty() && sortie.back() == separateur) continue;
        sortie += c;
    }
    return sortie;
}

AnsiString EltNo(int n, std::string_view texte, char separateur) {
    if (n < 1) return {};
    int numero = 1;
    std::size_t debut = 0;
    while (numero < n) {
        const std::size_t p = texte.find(separateur, debut);
        if (p == std::string_view::npos) return {};
        debut = p + 1;
        ++numero;
    }
    const std::size_t fin = texte.find(separateur, debut);
    return AnsiString(texte.substr(debut, fin == std::string_view::npos ? fin : fin - debut));
}

int NombreElts(std::string_view texte, char separateur) {
    if (texte.empty()) return 0;
    int n = 1;
    for (char c : texte)
        if (c == separateur) ++n;
    return n;
}

AnsiString OteBlancsDebut(std::string_view texte) {
    std::size_t i = 0;
    while (i < texte.size() && EstBlanc(static_cast<unsigned char>(texte[i])))
        ++i;
    return AnsiString(texte.substr(i));
}

AnsiString OteBlancsFin(std::string_view texte) {
    std::size_t n = texte.size();
    while (n > 0 && EstBlanc(static_cast<unsigned char>(texte[n - 1])))
        --n;
    return AnsiString(texte.substr(0, n));
}

bool QueChiffres(std::string_view texte) {
    return !texte.empty() &&
           std::all_of(texte.begin(), texte.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string MajusculesAscii(std::string_view texte) {
    std::string s(texte);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string_view SansBlancs(std::string_view texte) {
    while (!texte.empty() && EstBlanc(static_cast<unsigned char>(texte.front())))
        texte.remove_prefix(1);
    while (!texte.empty() && EstBlanc(static_cast<unsigned char>(texte.back())))
        texte.remove_suffix(1);
    return texte;
}

bool EstEntier(std::string_view texte) {
    if (!texte.empty() && texte.front() == '+') texte.remove_prefix(1);
    if (texte.empty()) return false;
    std::int32_t valeur = 0;
    const auto [fin, err] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    return err == std::errc() && fin == texte.data() + texte.size();
}

std::string TexteDecimal(double valeur, int decimales) {
    if (!std::isfinite(valeur)) return "0";
    char tampon[400]; // the longest double in fixed notation, with its decimals
    const auto [fin, err] =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::fixed, decimales);
    if (err != std::errc()) return "0";
    std::string s(tampon, fin);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::string Cp1252VersUtf8(std::string_view ansi) {
    std::string sortie;
    sortie.reserve(ansi.size() + ansi.size() / 4);
    for (unsigned char c : ansi) {
        const char32_t u = Cp1252VersUnicode(c);
        if (u < 0x80) {
            sortie += static_cast<char>(u);
        } else if (u < 0x800) {
            sortie += static_cast<char>(0xC0 | (u >> 6));
            sortie += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            sortie += static_cast<char>(0xE0 | (u >> 12));
            sortie += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            sortie += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return sortie;
}

AnsiString Utf8VersCp1252(std::string_view utf8) {
    AnsiString sortie;
    sortie.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t u = 0;
        std::size_t longueur = 1;
        if (c < 0x80)
            u = c;
        else if ((c & 0xE0) == 0xC0) {
            u = c & 0x1F;
            longueur = 2;
        } else if ((c & 0xF0) == 0xE0) {
            u = c & 0x0F;
            longueur = 3;
        } else if ((c & 0xF8) == 0xF0) {
            u = c & 0x07;
            longueur = 4;
        } else {
            sortie += '?';
            ++i;
            continue;
        }
        bool valide = i + longueur <= utf8.size();
        for (std::size_t k = 1; valide && k < longueur; ++k) {
            const auto suite = static_cast<unsigned char>(utf8[i + k]);
            if ((suite & 0xC0) != 0x80)
                valide = false;
            else
                u = (u << 6) | (suite & 0x3F);
        }
        if (!valide) {
            sortie += '?';
            ++i;
            continue;
        }
        i += longueur;
        const int b = VersCp1252(u);
        sortie += b < 0 ? '?' : static_cast<char>(b);
    }
    return sortie;
}

} // namespace orlavine
