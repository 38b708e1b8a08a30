// Integer points, rectangles and colours, with the arithmetic the map and its view use.
#pragma once

#include <cstdint>

namespace orlavine {

// Degrees <-> radians. Pi is written out (it is the double std::numbers::pi): Qt's moc, which
// reads this header through the windows' headers, cannot parse <numbers>.
inline constexpr double PiGeometrie = 3.141592653589793238462643383279502884;
constexpr double Radians(double degres) {
    return degres * PiGeometrie / 180.0;
}
constexpr double Degres(double radians) {
    return radians * 180.0 / PiGeometrie;
}

// A colour 0x00BBGGRR (red in the low byte).
using TColor = std::uint32_t;

struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;

    std::int32_t Largeur() const { return right - left; }
    std::int32_t Hauteur() const { return bottom - top; }
    // Half-open: right and bottom are outside. A rectangle without area is empty.
    bool EstVide() const { return right <= left || bottom <= top; }
    bool EstNul() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

TPoint operator+(TPoint a, TPoint b);
TPoint operator-(TPoint a, TPoint b);
// Products and quotients by a factor are rounded to the nearest integer.
TPoint operator*(TPoint p, double f);
TPoint operator/(TPoint p, double f);
TRect operator+(const TRect& r, TPoint p);
TRect operator-(const TRect& r, TPoint p);
TRect operator*(const TRect& r, double f);
TRect operator/(const TRect& r, double f);

// left <= right and top <= bottom.
TRect Normalize(const TRect& r);
// Grown by dx on the left and right, dy at the top and bottom (negative shrinks).
TRect Grow(const TRect& r, int dx, int dy);
// True when both rectangles share at least one pixel (half-open, an empty one meets nothing).
bool Intersecte(const TRect& a, const TRect& b);
// Smallest rectangle holding both.
TRect Union(const TRect& a, const TRect& b);
// Half-open containment.
bool Contient(const TRect& r, TPoint p);

// The colour n per cent of the way from `de` to `vers` (n clamped to 0..100), per channel,
// truncated toward zero.
TColor DegradeCouleur(TColor de, TColor vers, int n);

inline constexpr std::uint8_t Rouge(TColor c) {
    return c & 0xFF;
}
inline constexpr std::uint8_t Vert(TColor c) {
    return (c >> 8) & 0xFF;
}
inline constexpr std::uint8_t Bleu(TColor c) {
    return (c >> 16) & 0xFF;
}
inline constexpr TColor Rvb(std::uint8_t r, std::uint8_t v, std::uint8_t b) {
    return TColor(r) | (TColor(v) << 8) | (TColor(b) << 16);
}

} // namespace orlavine
