// Records of the atlas: communes, ranks, neighbours, communes shown on the map, outlines.
// Plain value types; they refer to one another by index into TCarteFrance::Communes.
#pragma once

#include "host/chaines.h"
#include "host/geometrie.h"

#include <cstdint>
#include <vector>

namespace orlavine {

class ISurfaceDessin;

// One commune, as stored in "cc.dat".
struct TCommune {
    float Longitude = 0.0f; // degrees
    float Latitude = 0.0f;  // degrees
    float XCarte = 0.0f;    // map units
    float YCarte = 0.0f;    // map units, y grows downwards
    std::uint8_t Rang = 0;  // a TRangCommune value
    AnsiString Nom;         // name without its leading article, upper case
    AnsiString Article;     // leading article, may be empty
    AnsiString CodeInsee;   // its first two characters are the department ("2A"/"2B": 20)
    AnsiString CodePostal;
    std::vector<std::uint16_t> Voisins;         // indexes of the stored neighbours
    std::vector<std::uint8_t> DistancesVoisins; // km, same order as Voisins

    friend bool operator==(const TCommune&, const TCommune&) = default;
};

enum TRangCommune : std::uint8_t {
    RangCommune = 0,
    RangVille = 4,
    RangChefLieuCanton = 5,
    RangSousPrefecture = 6,
    RangPrefecture = 7,
    RangCapitaleRegion = 8,
    RangCapitale = 9,
};

// What a record of the communes file stands for. Every record is a commune for the
// search, the map and the distances; the side file "ccliees.dat" says which records are
// places that were communes and are now part of another one (their parent), which stays a
// current commune.
enum class TNatureCommune : std::uint8_t {
    Actuelle = 0, // a current commune (every record the side file does not name)
    Deleguee = 1, // delegated commune of a new commune
    Associee = 2, // associated commune of a merged commune
    Ancienne = 3, // former commune, merged into its parent
};

// One record of "ccliees.dat": record `Index` of "cc.dat" is a place of kind `Nature`
// belonging to the current commune of record `Parent`.
struct TCommuneLiee {
    std::uint16_t Index = 0;
    TNatureCommune Nature = TNatureCommune::Deleguee;
    std::uint16_t Parent = 0;

    friend bool operator==(const TCommuneLiee&, const TCommuneLiee&) = default;
};

// One record of "ccpostaux.dat": `Code` (five digits) is a postal code of record `Index` of
// "cc.dat" besides the record's own CodePostal. A commune served by several post offices
// (Marseille 13001 to 13016) has one record per code after its first.
struct TAutreCodePostal {
    std::uint16_t Index = 0;
    AnsiString Code;

    friend bool operator==(const TAutreCodePostal&, const TAutreCodePostal&) = default;
};

// One record of "ccnoms.dat": the official name of record `Index` of "cc.dat" as it is
// written, with its accents, capitals, spaces and hyphens ("Saint-Cyr-l'\xC9cole", "Les
// Loges-en-Josas"), in Windows-1252. "cc.dat" keeps the upper-case form the search uses.
struct TNomOfficiel {
    std::uint16_t Index = 0;
    AnsiString Nom;

    friend bool operator==(const TNomOfficiel&, const TNomOfficiel&) = default;
};

// "Ville", "Chef-lieu de Canton", "Sous-Préfecture", "Préfecture", "Capitale de région",
// "Capitale" for 4 to 9 (Windows-1252); "" for any other value.
AnsiString LibelleRang(int rang);

// A reference to one commune (-1: none).
struct TRgCommune {
    std::int32_t IndexCommune = -1;
    friend bool operator==(const TRgCommune& a, const TRgCommune& b) {
        return a.IndexCommune == b.IndexCommune;
    }
};

// One result of the neighbour search.
struct TCommuneVoisine : TRgCommune {
    std::int32_t Distance = 0; // km
};

// One commune shown on the map, with its symbol and label.
struct TCommuneAffiche : TRgCommune {
    std::int32_t LargeurTexte = 0;
    std::int32_t HauteurTexte = 0;
    AnsiString Complement; // appended to the hint of the commune
    TPoint Position;       // pixel centre of the symbol
    bool Clignotant = false;
    std::int32_t DemiCote = 4;
    TRect RectSymbole;
    TRect RectTexte;
    std::int32_t Forme = 2; // 2 circle, 3 square
    bool DoubleCercle = false;
    bool Gras = false;
    bool Souligne = false;
    AnsiString Libelle;
    bool SymboleVisible = true;
    bool TextePlace = true;
    std::int32_t PositionTexte = 1; // 1 to 8

    TCommuneAffiche() = default;
    // Commune `index` whose rank is `rang` and map label `libelle`.
    TCommuneAffiche(std::int32_t index, int rang, AnsiString libelle, AnsiString complement,
                    bool clignotant);

    // Symbol shape, size and label style of a rank.
    void AppliqueRang(int rang);
};

// One outline: its points and bounds.
struct TPointsDep {
    std::vector<TPoint> Points;
    std::vector<std::int32_t> Indices; // stored with the outline, never interpreted
    TRect RectLimite{-30000, -30000, 30000, 30000};
    TRect RectEnglobant;
    ISurfaceDessin* Canvas = nullptr; // last surface drawn on, not owned

    // Appends a point and widens RectEnglobant (from its current value) to include it.
    void AjoutePoint(int x, int y);
    // Empties Points and Indices, gives Points n points (0, 0) when n > 0, resets the bounds.
    void Vide(int n);
    // This outline becomes `source` projected to pixels at `zoom`.
    void Projette(const TPointsDep& source, double zoom);
    // Draws the closed polygon with the surface's pen and brush, after removing consecutive
    // duplicate points; empties the outline afterwards when `vider`.
    void Dessine(ISurfaceDessin& canvas, bool vider);
};

// One record of "pointdepii.dat".
struct TDepartement {
    TPoint PointLu;
    TPointsDep ContourEcran; // projected to pixels at the current zoom
    TPointsDep Contour;      // map units, as read

    bool AUnContour() const { return !Contour.Points.empty(); }
    void Projette(double zoom) { ContourEcran.Projette(Contour, zoom); }
    void Dessine(ISurfaceDessin& canvas) { ContourEcran.Dessine(canvas, false); }
    TRect RectEcran() const { return ContourEcran.RectEnglobant; }
};

// Map units to pixels: trunc(value / 520 * zoom + 0.5).
inline std::int32_t ProjetteValeur(double valeur, double zoom) {
    return static_cast<std::int32_t>(valeur / 520.0 * zoom + 0.5);
}

} // namespace orlavine
