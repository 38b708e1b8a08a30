// Text helpers of the GEDCOM tests: replacing in a tree's text, and converting it to another
// character set.
#pragma once

#include <cstddef>
#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <string_view>

namespace orlavine::test {

// `s` with every `de` replaced by `par`.
inline std::string Remplace(std::string s, std::string_view de, std::string_view par) {
    for (std::size_t p = s.find(de); p != std::string::npos; p = s.find(de, p + par.size()))
        s.replace(p, de.size(), par);
    return s;
}

// `texte` (UTF-8) in the character set `vers`, as iconv names it.
inline std::string Iconv(const std::string& texte, const char* vers) {
    iconv_t cd = iconv_open(vers, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << vers;
    std::string sortie(texte.size() * 4 + 16, '\0');
    char* entree = const_cast<char*>(texte.data());
    std::size_t reste = texte.size();
    char* out = sortie.data();
    std::size_t place = sortie.size();
    EXPECT_NE(iconv(cd, &entree, &reste, &out, &place), static_cast<std::size_t>(-1)) << vers;
    iconv_close(cd);
    sortie.resize(sortie.size() - place);
    return sortie;
}

} // namespace orlavine::test
