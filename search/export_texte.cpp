#include "search/export_texte.h"

#include "host/chaines.h"

#include <cstring>

namespace orlavine {

TEHGFile::TEHGFile(const std::filesystem::path& nom, std::uint16_t mode) {
    auto ouverture = std::ios::binary | std::ios::out;
    if (mode == fmCreer) ouverture |= std::ios::trunc;
    flux_.exceptions(std::ios::badbit | std::ios::failbit);
    flux_.open(nom, ouverture);
}

void TEHGFile::Ecrit(const char* octets, std::size_t n) {
    flux_.write(octets, static_cast<std::streamsize>(n));
}

void TEHGFile::WriteChar(char c) {
    Ecrit(&c, 1);
}

void TEHGFile::WriteByte(unsigned char b) {
    const char c = static_cast<char>(b);
    Ecrit(&c, 1);
}

void TEHGFile::WriteShort(std::int16_t v) {
    WriteWord(static_cast<std::uint16_t>(v));
}

void TEHGFile::WriteWord(std::uint16_t v) {
    WriteByte(static_cast<unsigned char>(v >> 8));
    WriteByte(static_cast<unsigned char>(v & 0xFF));
}

void TEHGFile::WriteInt(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    WriteShort(static_cast<std::int16_t>(u >> 16));
    WriteShort(static_cast<std::int16_t>(u & 0xFFFF));
}

void TEHGFile::WriteCardinal(std::uint32_t v) {
    WriteWord(static_cast<std::uint16_t>(v >> 16));
    WriteWord(static_cast<std::uint16_t>(v & 0xFFFF));
}

void TEHGFile::WriteString(const AnsiString& s) {
    const std::size_t n = std::strlen(s.c_str());
    // Unchecked: a short write is not reported here.
    flux_.exceptions(std::ios::goodbit);
    flux_.write(s.data(), static_cast<std::streamsize>(n));
    flux_.clear();
    flux_.exceptions(std::ios::badbit | std::ios::failbit);
}

void TEHGFile::WriteText(const AnsiString& s) {
    WriteWord(static_cast<std::uint16_t>(s.size() & 0xFFFF));
    // Windows-1252 is a single-byte code page: one code unit per byte, nothing to pad.
    for (std::size_t k = 0; k < (s.size() & 0xFFFF); ++k)
        WriteShort(static_cast<std::int16_t>(Cp1252VersUnicode(static_cast<unsigned char>(s[k]))));
}

void TEHGFile::Close() {
    if (flux_.is_open()) flux_.close();
}

AnsiString MentionExport() {
    // "Liste établie par Orlavine, module de localisation des communes de France"
    return "Liste \xE9tablie par Orlavine, module de localisation des communes de France";
}

AnsiString ProduitTexteExport(const AnsiString& info, const AnsiString& nomCompletVille,
                              const std::vector<TLigneVoisine>& lignes, bool compact) {
    const AnsiString blanc = "\r\n\r\n";
    AnsiString t;
    if (!compact) t += blanc;
    t += info + "\r\n";
    if (!compact) t += blanc;
    t += "\t\tListe des communes avoisinantes de " + nomCompletVille + " :\r\n";
    if (!compact) t += blanc;
    for (const auto& l : lignes)
        t += l.Distance + "\t:\t" + l.Code + "\t" + l.Nom + "\r\n";
    if (!compact) t += blanc;
    t += "\r\n\r\n\t\t\t\t" + MentionExport();
    return t;
}

AnsiString ProduitTexteExport(const AnsiString& info, const TCarteFrance& carte, int indexVille,
                              const std::vector<TLigneVoisine>& lignes, bool compact) {
    AnsiString nom;
    if (indexVille >= 0 && static_cast<std::size_t>(indexVille) < carte.Communes.size())
        nom = TCarteFrance::NomComplet(carte.Communes[indexVille]);
    return ProduitTexteExport(info, nom, lignes, compact);
}

} // namespace orlavine
