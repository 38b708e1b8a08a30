// Little-endian bytes of our binary data files: a bounds-checked reader over a file held in
// memory, and the appenders their writers use. Toolkit-free.
#pragma once

#include "host/erreur.h"

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orlavine {

// A binary file is shorter than it says, or holds a value its reader refuses.
class ErreurOctets : public Erreur {
public:
    using Erreur::Erreur;
};

// Reads little-endian values one after the other from bytes it does not own. Every read
// checks what is left first: nothing is read past the end.
//
// A file format refines it by derivation: Leve() throws that format's own error, worded with
// what the owner knows of the record being read, and DetailDepassement() words a read past
// the end. By default the error is ErreurOctets naming the file and the byte offset:
//   "monde.dat", octet 48 : fin de fichier inattendue.
class LecteurOctets {
public:
    LecteurOctets(std::span<const std::uint8_t> octets, std::string fichier)
        : octets_(octets), fichier_(std::move(fichier)) {}
    virtual ~LecteurOctets() = default;
    LecteurOctets(const LecteurOctets&) = default;
    LecteurOctets& operator=(const LecteurOctets&) = default;
    LecteurOctets(LecteurOctets&&) = default;
    LecteurOctets& operator=(LecteurOctets&&) = default;

    const std::string& Fichier() const { return fichier_; }
    std::size_t Position() const { return position_; }
    std::size_t Taille() const { return octets_.size(); }
    std::size_t Restant() const { return octets_.size() - position_; }

    // Raises Endommage(DetailDepassement(n)) unless `n` more bytes are there.
    void Exige(std::size_t n) const {
        if (n > Restant()) [[unlikely]]
            Endommage(DetailDepassement(n));
    }

    std::uint8_t Octet() {
        Exige(1);
        return octets_[position_++];
    }
    std::uint16_t Mot16() {
        Exige(2);
        const std::uint16_t v =
            static_cast<std::uint16_t>(octets_[position_] | (octets_[position_ + 1] << 8));
        position_ += 2;
        return v;
    }
    std::uint32_t Mot32() {
        Exige(4);
        const std::uint8_t* o = octets_.data() + position_;
        position_ += 4;
        return std::uint32_t{o[0]} | (std::uint32_t{o[1]} << 8) | (std::uint32_t{o[2]} << 16) |
               (std::uint32_t{o[3]} << 24);
    }
    std::int32_t Entier32() { return static_cast<std::int32_t>(Mot32()); }
    std::uint64_t Mot64() {
        const std::uint64_t bas = Mot32();
        return bas | (std::uint64_t{Mot32()} << 32);
    }
    double Reel64() { return std::bit_cast<double>(Mot64()); }

    // The next `n` bytes, as a view into the file.
    std::span<const std::uint8_t> Bloc(std::size_t n) {
        Exige(n);
        const auto b = octets_.subspan(position_, n);
        position_ += n;
        return b;
    }
    // A text of a 16-bit length and its bytes, taken as they are.
    std::string Texte16() {
        const std::uint16_t n = Mot16();
        const auto b = Bloc(n);
        return std::string(reinterpret_cast<const char*>(b.data()), b.size());
    }

    // Throws the error about the file at the current position; `detail` is French, without
    // a final full stop.
    [[noreturn]] void Endommage(const std::string& detail) const;

protected:
    // Throws the format's own error for `detail`; returning leaves the default one.
    virtual void Leve(const std::string& detail) const;
    // What a read of `demande` bytes past the end is called.
    virtual std::string DetailDepassement(std::size_t demande) const;

private:
    std::span<const std::uint8_t> octets_;
    std::size_t position_ = 0;
    std::string fichier_;
};

// ---- Writing: appends to the bytes of a file being built ----

inline void AjouteMot16(std::vector<std::uint8_t>& sortie, std::uint16_t v) {
    sortie.push_back(static_cast<std::uint8_t>(v));
    sortie.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void AjouteMot32(std::vector<std::uint8_t>& sortie, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        sortie.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}
inline void AjouteMot64(std::vector<std::uint8_t>& sortie, std::uint64_t v) {
    for (int k = 0; k < 8; ++k)
        sortie.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}
inline void AjouteReel64(std::vector<std::uint8_t>& sortie, double v) {
    AjouteMot64(sortie, std::bit_cast<std::uint64_t>(v));
}
// Unsigned LEB128: seven bits a byte, low bits first, the high bit set on all but the last.
inline void AjouteVarint(std::vector<std::uint8_t>& sortie, std::uint32_t v) {
    while (v >= 0x80u) {
        sortie.push_back(static_cast<std::uint8_t>(v | 0x80u));
        v >>= 7;
    }
    sortie.push_back(static_cast<std::uint8_t>(v));
}

} // namespace orlavine
