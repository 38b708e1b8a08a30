// The map of the whole tree: every located place of the base as a disk on the world map, its
// area growing with the number of events there, coloured by its state (validated, located,
// read from the file, to check), framed on all the places or on France alone, the places with
// the most events labelled without any two labels overlapping, and the disks under a point
// found again for a click. The window, the picture files and the command line all draw through
// the atlas's drawing surface with the operations below. No toolkit here.
#pragma once

#include "atlas/surface.h"
#include "geoloc/export_lieux.h"
#include "monde/projection.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::monde {
class TCarteMonde;
}

namespace orlavine::geoloc {

// The four states the map tells apart, in the legend's order.
enum class EtatCarte : std::uint8_t { Valide, Localise, Fichier, AVerifier };
inline constexpr int NombreEtatsCarte = 4;

// A stored state on the map: 7 validated; 2 read from the GEDCOM file; 6 the commune's centre
// from the country file, to check; the other located states (0, 4, 5) located.
EtatCarte EtatSurCarte(int etat);
// The legend's name, UTF-8: « Validés », « Localisés », « Lus dans le fichier », « À vérifier ».
std::string_view NomEtatCarte(EtatCarte etat);
// One place's state, UTF-8: « Validé », « Localisé », « Lu dans le fichier », « À vérifier ».
std::string_view NomEtatCarteSingulier(EtatCarte etat);
// Fill colour, the same as the state's marker in the KML export.
TColor CouleurEtatCarte(EtatCarte etat);
// Where a position came from, as the windows say it (« fichier GEDCOM », « atlas des
// communes »...), UTF-8.
std::string_view NomProvenanceFrancais(Provenance p);
// An event tag in French (« naissance » for BIRT); the tag itself when it has no name here.
std::string NomEvenement(std::string_view etiquette);
// An integer as the screen writes it in French, thousands apart by a no-break space:
// "1 234" (UTF-8 U+00A0 when `utf8`, else Windows-1252 0xA0).
std::string EntierFrancais(long n, bool utf8 = true);

// Disk radius, in pixels at `ppp` dots per inch: Facteur * sqrt(events) at 96 dpi, so that
// the area is proportional to the number of events, never under RayonMin nor over RayonMax.
inline constexpr double RayonMinDisque = 3.0;
inline constexpr double FacteurDisque = 2.2;
inline constexpr double RayonMaxDisque = 30.0;
double RayonDisque(long evenements, int ppp = 96);
// A disk under others is drawn when at least this many of its pixels (at 96 dpi) show.
inline constexpr int PixelsVisiblesMin = 16;
// Disks under this radius (at 96 dpi: places of one to four events) have no outline.
inline constexpr double RayonContourMin = 4.5;

// Metropolitan France with Corsica, the « France seule » frame, in degrees.
inline constexpr double FranceSud = 41.3, FranceNord = 51.15, FranceOuest = -5.2, FranceEst = 9.6;

// One disk of the view: its place (index in TCarteArbre::Lieux()), centre and radius in
// pixels, and whether any of its pixels shows (a disk wholly under the disks drawn after it is
// not drawn, but a click there still finds it).
struct TDisqueCarte {
    std::uint32_t Lieu = 0;
    float X = 0, Y = 0;
    float Rayon = 0;
    bool Visible = true;
};

// One label as drawn: its place, its frame (a white box) and its text (Windows-1252).
struct TEtiquetteCarte {
    std::uint32_t Lieu = 0;
    TRect Cadre;
    AnsiString Texte;
};

// Where everything goes for one view: the disks in drawing order (the largest first, so that
// a small disk is never hidden under a large one), the labels, the legend's frame.
struct TMiseEnPageArbre {
    monde::TVueMonde Vue;
    int Ppp = 96;
    std::vector<TDisqueCarte> Disques;
    std::vector<TEtiquetteCarte> Etiquettes;
    TRect Legende;
};

// What one drawing of the map did.
struct TBilanCarteArbre {
    long Disques = 0;    // disks in the view
    long Dessines = 0;   // of which drawn (the others lie wholly under later ones)
    long Etiquettes = 0; // labels drawn
};

class TCarteArbre {
public:
    // `sansPosition`: the places and lieux-dits events name that have no position.
    explicit TCarteArbre(std::vector<TLieuExporte> lieux, long sansPosition = 0);
    // The base's located places, gathered as the KML and GeoJSON export gathers them.
    static TCarteArbre Lit(TBaseGenealogie& base);

    const std::vector<TLieuExporte>& Lieux() const { return lieux_; }
    long SansPosition() const { return sansPosition_; }
    // Number of places in each state, by EtatCarte.
    const std::array<long, NombreEtatsCarte>& ParEtat() const { return parEtat_; }
    // The label of a place, UTF-8: its lieu-dit, else the first part of its text
    // (« Saint-Malo » for « Saint-Malo, 35288, Ille-et-Vilaine, Bretagne, France »).
    static std::string Libelle(const TLieuExporte& lieu);

    // The view of `largeur` x `hauteur` pixels showing every place with its disk and room for
    // a label, or (`franceSeule`, or no place at all) metropolitan France whatever lies
    // outside it. A single place, or places close together, are shown at a regional scale.
    monde::TVueMonde Cadre(int largeur, int hauteur, bool franceSeule) const;

    // Places the disks of the view, then the labels: by decreasing number of events, each
    // label tried right, left, above and below its disk, kept when it lies in the view and
    // meets neither a label already placed, nor a labelled disk, nor the legend, nor any of
    // `reserves` (the scale bar and the credits); a label that finds no room is left out.
    // `mesure` measures the texts (and gives the resolution). At most `etiquettesMax` labels
    // (negative: as many as the picture's size calls for).
    TMiseEnPageArbre MetEnPage(const monde::TVueMonde& vue, ISurfaceDessin& mesure,
                               const std::vector<TRect>& reserves = {},
                               int etiquettesMax = -1) const;
    // Draws the disks, the labels and the legend of `page`.
    TBilanCarteArbre Dessine(ISurfaceDessin& s, const TMiseEnPageArbre& page) const;

    // The places whose disk holds the point (pixels of the page), the one drawn on top first.
    std::vector<std::uint32_t> LieuxSous(const TMiseEnPageArbre& page, double x, double y) const;

private:
    std::vector<TLieuExporte> lieux_;
    long sansPosition_ = 0;
    std::array<long, NombreEtatsCarte> parEtat_{};
    std::vector<EtatCarte> etats_;     // by place
    std::vector<AnsiString> libelles_; // Windows-1252, by place
    // The places in drawing order (decreasing events, then place order), with
    // what each drawing reads of them side by side: the Mercator position (x the longitude,
    // y in Mercator degrees) and the radius at 96 dpi.
    struct TPointCarte {
        double X = 0, Y = 0;
        double Rayon96 = 0;
        std::uint32_t Lieu = 0;
    };
    std::vector<TPointCarte> ordre_;
};

// The whole map on `s`: the world beneath from `fond` (may be null: a plain sea), the disks,
// labels and legend, then the scale bar and the credits. The one drawing of the window, the
// picture files and the command line. Returns the page drawn (for clicks).
TMiseEnPageArbre DessineCarteArbre(ISurfaceDessin& s, const TCarteArbre& carte,
                                   const monde::TVueMonde& vue, monde::TCarteMonde* fond,
                                   TBilanCarteArbre* bilan = nullptr);

// « 1 234 lieux sur la carte, 56 sans position » (UTF-8, numbers the French way).
std::string PhraseCarteArbre(const TCarteArbre& carte);

} // namespace orlavine::geoloc
