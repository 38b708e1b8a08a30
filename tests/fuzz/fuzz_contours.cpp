// Fuzzing of the "pointdepii.dat" reader. Any bytes either give the 203 outlines or raise
// ErreurAtlas, which leaves the list untouched. The outlines account for the bytes read,
// their bounds hold every point, their projection is sound, and they come back unchanged
// through the writer.
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "tests/fuzz/verifie.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

// Bounds with their right and bottom edges included.
bool DansBornes(const orlavine::TRect& r, orlavine::TPoint p) {
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    using namespace orlavine;
    std::vector<TDepartement> departements;
    try {
        LitContours(std::span(donnees, taille), departements);
    } catch (const ErreurAtlas&) {
        EXIGE(departements.empty());
        return 0;
    }

    EXIGE(departements.size() == static_cast<std::size_t>(NombreContours));
    std::size_t lus = 0;
    std::vector<TPointsDep> contours;
    for (TDepartement& d : departements) {
        const TPointsDep& c = d.Contour;
        lus += 8 + 8 * c.Points.size() + 4 * c.Indices.size();
        EXIGE(d.AUnContour() == !c.Points.empty());
        for (const TPoint& p : c.Points)
            EXIGE(DansBornes(c.RectEnglobant, p));
        for (double zoom : {1.0, 0.25, 6.0}) {
            d.Projette(zoom);
            EXIGE(d.ContourEcran.Points.size() == c.Points.size());
            EXIGE(d.ContourEcran.Indices == c.Indices);
            for (const TPoint& p : d.ContourEcran.Points)
                EXIGE(DansBornes(d.RectEcran(), p));
        }
        contours.push_back(c);
    }
    EXIGE(lus <= taille);

    const std::vector<std::uint8_t> ecrits = EcritContours(contours);
    EXIGE(ecrits.size() == lus);
    std::vector<TDepartement> relus;
    LitContours(ecrits, relus);
    EXIGE(relus.size() == departements.size());
    for (std::size_t i = 0; i < relus.size(); ++i) {
        EXIGE(relus[i].Contour.Points == departements[i].Contour.Points);
        EXIGE(relus[i].Contour.Indices == departements[i].Contour.Indices);
    }
    return 0;
}
