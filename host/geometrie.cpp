#include "host/geometrie.h"

#include <algorithm>
#include <cmath>

namespace orlavine {

namespace {
std::int32_t Arrondi(double v) {
    return static_cast<std::int32_t>(std::lround(v));
}
} // namespace

TPoint operator+(TPoint a, TPoint b) {
    return {a.x + b.x, a.y + b.y};
}
TPoint operator-(TPoint a, TPoint b) {
    return {a.x - b.x, a.y - b.y};
}
TPoint operator*(TPoint p, double f) {
    return {Arrondi(p.x * f), Arrondi(p.y * f)};
}
TPoint operator/(TPoint p, double f) {
    return {Arrondi(p.x / f), Arrondi(p.y / f)};
}

TRect operator+(const TRect& r, TPoint p) {
    return {r.left + p.x, r.top + p.y, r.right + p.x, r.bottom + p.y};
}
TRect operator-(const TRect& r, TPoint p) {
    return {r.left - p.x, r.top - p.y, r.right - p.x, r.bottom - p.y};
}
TRect operator*(const TRect& r, double f) {
    return {Arrondi(r.left * f), Arrondi(r.top * f), Arrondi(r.right * f), Arrondi(r.bottom * f)};
}
TRect operator/(const TRect& r, double f) {
    return {Arrondi(r.left / f), Arrondi(r.top / f), Arrondi(r.right / f), Arrondi(r.bottom / f)};
}

TRect Normalize(const TRect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

TRect Grow(const TRect& r, int dx, int dy) {
    return {r.left - dx, r.top - dy, r.right + dx, r.bottom + dy};
}

bool Intersecte(const TRect& a, const TRect& b) {
    if (a.EstVide() || b.EstVide()) return false;
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

TRect Union(const TRect& a, const TRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool Contient(const TRect& r, TPoint p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

TColor DegradeCouleur(TColor de, TColor vers, int n) {
    n = std::clamp(n, 0, 100);
    auto canal = [n](int a, int b) { return static_cast<std::uint8_t>(a + (b - a) * n / 100); };
    return Rvb(canal(Rouge(de), Rouge(vers)), canal(Vert(de), Vert(vers)),
               canal(Bleu(de), Bleu(vers)));
}

} // namespace orlavine
