// The neighbour list as text (file, clipboard, e-mail) and the big-endian file writer.
// No toolkit here.
#pragma once

#include "atlas/carte_france.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orlavine {

// Open mode of TEHGFile: create the file, replacing any existing one.
inline constexpr std::uint16_t fmCreer = 0xFF00;

// A file output stream whose number and text helpers write most significant byte first.
// Creation failure, and a short write of the checked helpers, raise std::ios_base::failure.
class TEHGFile {
public:
    TEHGFile(const std::filesystem::path& nom, std::uint16_t mode);
    TEHGFile(const TEHGFile&) = delete;
    TEHGFile& operator=(const TEHGFile&) = delete;

    void WriteChar(char c);
    void WriteByte(unsigned char b);
    void WriteShort(std::int16_t v);
    void WriteWord(std::uint16_t v);
    void WriteInt(std::int32_t v);
    void WriteCardinal(std::uint32_t v);
    // The bytes of `s` up to its first NUL, nothing else; the count written is not checked.
    void WriteString(const AnsiString& s);
    // Byte length (modulo 65,536), then one UTF-16 code unit per Windows-1252 byte.
    void WriteText(const AnsiString& s);
    void Close();

private:
    void Ecrit(const char* octets, std::size_t n); // checked
    std::ofstream flux_;
};

// Closing line of the exported text.
AnsiString MentionExport();

// The export text: the sentence, the heading naming the town, one line per neighbour row in
// the order shown ("12 km\t:\t78646\tVersailles\r\n"), and the closing lines. `compact`
// leaves out the blank-line blocks (e-mail body).
AnsiString ProduitTexteExport(const AnsiString& info, const AnsiString& nomCompletVille,
                              const std::vector<TLigneVoisine>& lignes, bool compact);

// The same, with the name of commune `indexVille` of `carte`.
AnsiString ProduitTexteExport(const AnsiString& info, const TCarteFrance& carte, int indexVille,
                              const std::vector<TLigneVoisine>& lignes, bool compact);

} // namespace orlavine
