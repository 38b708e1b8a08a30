// Fuzzing of the world file reader and of the world drawing. The input's CRC is made right
// first, so that the structure behind it is what gets explored. Any bytes either give layers
// whose parts account for every point, which come back unchanged through the writer and draw
// at any scale without a point far outside the output, or raise ErreurMonde.
#include "monde/dessin.h"
#include "monde/donnees.h"
#include "tests/fuzz/verifie.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

// Checks every polygon point against the output grown by the clipping margin.
class SurfaceBornee : public orlavine::ISurfaceDessin {
public:
    void FixeLargeurPlume(int) override {}
    void FixeCouleurPlume(orlavine::TColor) override {}
    void FixeStylePlume(orlavine::StylePlume) override {}
    void FixeCouleurBrosse(orlavine::TColor) override {}
    void FixeStyleBrosse(orlavine::StyleBrosse) override {}
    void FixeGras(bool) override {}
    void FixeSouligne(bool) override {}
    void Ellipse(const orlavine::TRect&) override {}
    void Rectangle(const orlavine::TRect&) override {}
    void Polygone(const orlavine::TPoint* p, std::size_t n) override {
        for (std::size_t i = 0; i < n; ++i)
            EXIGE(p[i].x >= -20 && p[i].x <= 420 && p[i].y >= -20 && p[i].y <= 320);
    }
    void Polyligne(const orlavine::TPoint*, std::size_t n) override { EXIGE(n >= 2); }
    void TexteA(int, int, const orlavine::AnsiString&) override {}
    orlavine::TTailleTexte EtendueTexte(const orlavine::AnsiString& t) override {
        return {static_cast<int>(t.size()) * 6, 12};
    }
    int HauteurTexte(const orlavine::AnsiString&) override { return 12; }
    int PointsParPouce() const override { return 96; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine::monde;
    std::vector<std::uint8_t> octets(donnees, donnees + taille);
    if (octets.size() >= 4) {
        const std::uint32_t c = Crc32(std::span(octets).first(octets.size() - 4));
        for (int i = 0; i < 4; ++i)
            octets[octets.size() - 4 + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(c >> (8 * i));
    }
    TDonneesMonde d;
    try {
        d = LitDonneesMonde(octets);
    } catch (const ErreurMonde&) {
        return 0;
    }
    for (const TCoucheMonde& c : d.Couches) {
        EXIGE(c.X.size() == c.Y.size() && c.MercX.size() == c.X.size());
        EXIGE(!c.Debuts.empty() && c.Debuts.front() == 0 && c.Debuts.back() == c.X.size());
        EXIGE(c.Boites.size() == c.NombreParties());
        for (std::size_t p = 0; p < c.NombreParties(); ++p)
            EXIGE(c.Debuts[p + 1] - c.Debuts[p] >= (EstSurfacique(c.Genre) ? 3u : 2u));
    }
    const std::vector<std::uint8_t> ecrits = EcritDonneesMonde(d);
    EXIGE(ecrits == octets);
    EXIGE(LitDonneesMonde(ecrits).Couches == d.Couches);

    TCarteMonde carte(&d);
    SurfaceBornee s;
    for (double echelle : {2e8, 3e7, 1e6, 2e4}) {
        TVueMonde v;
        v.Largeur = 400;
        v.Hauteur = 300;
        v.Centre = {45.0, 2.0};
        v.FixeDenominateurEchelle(echelle);
        carte.Dessine(s, v, {});
        v.Centre = {-10.0, 179.9};
        carte.Dessine(s, v, {});
    }
    return 0;
}
