// The world map drawn through the atlas's drawing surface: sea, land and coastlines, lakes,
// rivers, country borders at the level of detail the scale calls for, the French
// departments, the atlas's communes and the towns of the world as points with labels when
// zoomed in, a marker, a scale bar and the attribution of the data, which is always drawn.
#pragma once

#include "atlas/surface.h"
#include "monde/donnees.h"
#include "monde/projection.h"
#include "monde/villes.h"

#include <cstdint>
#include <vector>

namespace orlavine {
class TCarteFrance;
}

namespace orlavine::monde {

// The attribution line, Windows-1252: "Données : Natural Earth, GeoNames, IGN, INSEE".
AnsiString TexteAttribution();

// Scale thresholds (denominators N of 1:N at 96 pixels per inch, at the view's centre).
inline constexpr double SeuilDetail50M = 20e6;      // 1:50M data below this
inline constexpr double SeuilDetail10M = 4e6;       // 1:10M data below this
inline constexpr double SeuilDepartements = 25e6;   // department outlines below this
inline constexpr double SeuilPrefectures = 12e6;    // prefectures and above
inline constexpr double SeuilSousPrefectures = 5e6; // sub-prefectures and above
inline constexpr double SeuilCommunes = 1.8e6;      // every commune of the atlas

Niveau NiveauPourEchelle(double denominateur);
// The lowest rank of the communes drawn at that scale; more than RangCapitale: none.
int RangMinimalPourEchelle(double denominateur);

// The scale bar for a given ground length per pixel: the longest round length (1, 2 or 5
// times a power of ten, in metres) that fits in `pixelsMax`, its width in pixels and its
// caption ("200 km", "500 m").
struct TBarreEchelle {
    double Metres = 0.0;
    int Pixels = 0;
    AnsiString Libelle;
};
TBarreEchelle ChoisitBarreEchelle(double metresParPixel, int pixelsMax);

struct TOptionsDessinMonde {
    bool Marqueur = false;
    TPointGeo PositionMarqueur;
    bool Lacs = true;
    bool Fleuves = true;
    // The atlas's communes and the towns of the world when the scale calls for them.
    bool Communes = true;
    // Credit for a map drawn under the overlays (online tiles), appended to the attribution.
    AnsiString AttributionEnLigne;
};

// What a paint drew, for the window's status and for tests.
struct TBilanDessinMonde {
    Niveau Detail = Niveau::Monde110M;
    int PartiesTerres = 0; // land rings drawn
    int Frontieres = 0;    // border polylines drawn
    int Departements = 0;  // department outlines drawn
    int Communes = 0;      // commune points drawn
    int Villes = 0;        // points of the towns of the world drawn
    int Libelles = 0;      // labels drawn (communes and towns)
    bool MarqueurDessine = false;
    TBarreEchelle Barre;
    TRect RectBarre;        // frame of the scale bar
    TRect RectAttribution;  // frame of the attribution
    AnsiString Attribution; // its text
};

class TCarteMonde {
public:
    // Neither is owned; both may be null (no world data: the sea and the overlays only; no
    // atlas: no departments nor communes).
    explicit TCarteMonde(const TDonneesMonde* donnees, const TCarteFrance* atlas = nullptr);

    // The towns of the world drawn beside the communes (not owned; null: none). The program
    // leaves out those of the atlas's own country, drawn as communes.
    void FixeVilles(const TVillesMonde* villes);

    // The whole map: DessineFond then DessineSurcouches.
    TBilanDessinMonde Dessine(ISurfaceDessin& surface, const TVueMonde& vue,
                              const TOptionsDessinMonde& options);
    // Sea, land, lakes, rivers, departments, borders, communes and towns; the overlays' frames are
    // reserved (no label runs under them) but not drawn.
    TBilanDessinMonde DessineFond(ISurfaceDessin& surface, const TVueMonde& vue,
                                  const TOptionsDessinMonde& options);
    // The marker, the scale bar and the attribution, last, in the frames of `bilan`.
    void DessineSurcouches(ISurfaceDessin& surface, const TVueMonde& vue,
                           const TOptionsDessinMonde& options, TBilanDessinMonde& bilan);

    // Colours (0x00BBGGRR).
    static constexpr TColor CouleurMer = Rvb(170, 211, 223);
    static constexpr TColor CouleurTerre = Rvb(242, 239, 233);
    static constexpr TColor CouleurCote = Rvb(110, 150, 170);
    static constexpr TColor CouleurFrontiere = Rvb(150, 110, 150);
    static constexpr TColor CouleurDepartement = Rvb(185, 175, 185);
    static constexpr TColor CouleurFleuve = Rvb(130, 180, 215);
    static constexpr TColor CouleurCommune = Rvb(70, 70, 70);
    static constexpr TColor CouleurMarqueur = Rvb(210, 30, 30);

private:
    struct TTampon; // work buffers of one paint
    void DessineSurfaces(ISurfaceDessin& s, const TCoucheMonde& c, const TVueMonde& v, int& nombre);
    void DessineLignes(ISurfaceDessin& s, const TCoucheMonde& c, const TVueMonde& v, int& nombre);
    void DessineLieux(ISurfaceDessin& s, const TVueMonde& v, double denominateur,
                      std::vector<TRect>& occupe, TBilanDessinMonde& bilan);

    const TDonneesMonde* donnees_;
    const TCarteFrance* atlas_;
    // The department outlines of the atlas in the Mercator plane, as one polygon layer.
    TCoucheMonde departements_;
    // Communes of the atlas: Mercator position, by decreasing rank then atlas order.
    struct TCommuneMonde {
        float X = 0, Y = 0;
        std::int32_t Index = 0;
        std::uint8_t Rang = 0;
    };
    std::vector<TCommuneMonde> communes_;
    std::vector<AnsiString> libelles_; // map labels, by atlas index
    std::vector<int> largeurs_;        // measured label widths, -1 unknown
    int cleMesures_ = 0;               // what the widths were measured with
    const TVillesMonde* villes_ = nullptr;
    std::vector<int> largeursVilles_; // measured label widths of the towns, -1 unknown
    std::vector<std::uint32_t> trouvees_;
    // Work buffers, kept between paints.
    std::vector<double> px_, py_, cx_, cy_;
    std::vector<TPoint> points_;
};

} // namespace orlavine::monde
