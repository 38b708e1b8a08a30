#include "atlas/types.h"

#include <algorithm>

namespace orlavine {

AnsiString LibelleRang(int rang) {
    switch (rang) {
    case RangVille:
        return "Ville";
    case RangChefLieuCanton:
        return "Chef-lieu de Canton";
    case RangSousPrefecture:
        return "Sous-Pr\xE9"
               "fecture";
    case RangPrefecture:
        return "Pr\xE9"
               "fecture";
    case RangCapitaleRegion:
        return "Capitale de r\xE9"
               "gion";
    case RangCapitale:
        return "Capitale";
    default:
        return "";
    }
}

TCommuneAffiche::TCommuneAffiche(std::int32_t index, int rang, AnsiString libelle,
                                 AnsiString complement, bool clignotant)
    : Complement(std::move(complement)), Clignotant(clignotant), Libelle(std::move(libelle)) {
    IndexCommune = index;
    AppliqueRang(rang);
    SymboleVisible = true;
    TextePlace = true;
    PositionTexte = 1;
}

void TCommuneAffiche::AppliqueRang(int rang) {
    DemiCote = 4;
    DoubleCercle = (rang == RangCapitaleRegion || rang == RangCapitale);
    if (rang == RangSousPrefecture) {
        DemiCote = 5;
        Forme = 3;
        Souligne = true;
        Gras = false;
    } else if (rang == RangPrefecture || rang == RangCapitaleRegion || rang == RangCapitale) {
        DemiCote = 7;
        Forme = 3;
        Gras = true;
        Souligne = false;
    } else {
        Forme = 2;
        Souligne = (rang == RangChefLieuCanton);
        Gras = false;
    }
}

void TPointsDep::AjoutePoint(int x, int y) {
    Points.push_back({x, y});
    RectEnglobant.left = std::min(RectEnglobant.left, x);
    RectEnglobant.top = std::min(RectEnglobant.top, y);
    RectEnglobant.right = std::max(RectEnglobant.right, x);
    RectEnglobant.bottom = std::max(RectEnglobant.bottom, y);
}

void TPointsDep::Vide(int n) {
    Points.clear();
    Indices.clear();
    if (n > 0) Points.resize(static_cast<std::size_t>(n));
    RectEnglobant = TRect{};
}

void TPointsDep::Projette(const TPointsDep& source, double zoom) {
    Vide(static_cast<int>(source.Points.size()));
    Indices = source.Indices;
    for (std::size_t i = 0; i < source.Points.size(); ++i) {
        const TPoint p{ProjetteValeur(source.Points[i].x, zoom),
                       ProjetteValeur(source.Points[i].y, zoom)};
        Points[i] = p;
        if (i == 0) {
            RectEnglobant = {p.x, p.y, p.x, p.y};
        } else {
            RectEnglobant.left = std::min(RectEnglobant.left, p.x);
            RectEnglobant.top = std::min(RectEnglobant.top, p.y);
            RectEnglobant.right = std::max(RectEnglobant.right, p.x);
            RectEnglobant.bottom = std::max(RectEnglobant.bottom, p.y);
        }
    }
}

} // namespace orlavine
