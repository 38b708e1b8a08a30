#include "atlas/carte_france.h"

#include <cstdint>

namespace orlavine {

const TCommuneAffiche* TCarteFrance::CommuneSous(int x, int y) const {
    // The first entry wins where boxes overlap: the selected towns come first.
    for (const TCommuneAffiche& e : CommunesAffichees) {
        if (x >= e.Position.x - 5 && x <= e.Position.x + 5 && y >= e.Position.y - 5 &&
            y <= e.Position.y + 5) {
            if (e.IndexCommune < 0 || static_cast<std::size_t>(e.IndexCommune) >= Communes.size())
                return nullptr;
            return &e;
        }
    }
    return nullptr;
}

AnsiString TCarteFrance::TexteSurvol(int x, int y) const {
    const TCommuneAffiche* e = CommuneSous(x, y);
    if (!e) return "";
    const TCommune& c = Communes[static_cast<std::size_t>(e->IndexCommune)];
    return c.CodeInsee + " - " + NomCompletIndex(e->IndexCommune) + e->Complement;
}

AnsiString TCarteFrance::CodeCommuneSous(int x, int y) const {
    const TCommuneAffiche* e = CommuneSous(x, y);
    if (!e) return "";
    return Communes[static_cast<std::size_t>(e->IndexCommune)].CodeInsee;
}

bool IsInPoly(const TPoint* points, int count, TPoint point) {
    if (!points || count < 3) return false;
    // Winding number: every edge crossing the horizontal ray to the right counts +1 going
    // up and -1 going down; the point is inside when the sum is not zero.
    auto cote = [](TPoint a, TPoint b, TPoint p) {
        return (std::int64_t(b.x) - a.x) * (std::int64_t(p.y) - a.y) -
               (std::int64_t(p.x) - a.x) * (std::int64_t(b.y) - a.y);
    };
    int enroulement = 0;
    for (int i = 0; i < count; ++i) {
        const TPoint a = points[i];
        const TPoint b = points[(i + 1) % count];
        if (a.y <= point.y) {
            if (b.y > point.y && cote(a, b, point) > 0) ++enroulement;
        } else {
            if (b.y <= point.y && cote(a, b, point) < 0) --enroulement;
        }
    }
    return enroulement != 0;
}

} // namespace orlavine
