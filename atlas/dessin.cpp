// Drawing of the atlas: projection of the outlines, placement of the communes' symbols and
// labels, painting of disks, outlines, communes and legend on an ISurfaceDessin.
#include "atlas/carte_france.h"
#include "atlas/surface.h"

#include <cmath>
#include <cstdlib>

namespace orlavine {

namespace {

TColor couleurClignotement = 0x000000;

constexpr TColor Noir = 0x000000;
constexpr TColor Blanc = 0xFFFFFF;

// Rounded a * b / c, halves away from zero (the platform's MulDiv); 0 when c is 0.
int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const long long produit = static_cast<long long>(a) * b;
    const long long q = (std::llabs(produit) * 2 + std::llabs(c)) / (2LL * std::llabs(c));
    return static_cast<int>(((produit < 0) != (c < 0)) ? -q : q);
}

// One step of the blinking: next phase, then its colour on the pen and the brush.
void EtapeClignotement(TCarteFrance& carte, ISurfaceDessin& canvas) {
    carte.PhaseClignotement = (carte.PhaseClignotement + 1) % 5;
    couleurClignotement = CouleurPhase(carte.PhaseClignotement, couleurClignotement);
    canvas.FixeCouleurPlume(couleurClignotement);
    canvas.FixeCouleurBrosse(couleurClignotement);
    canvas.FixeStyleBrosse(StyleBrosse::Solide);
}

void CalculeRectTexte(TCommuneAffiche& e) {
    e.RectTexte =
        CalculeRectTexte(e.Position, e.LargeurTexte, e.HauteurTexte, e.DemiCote, e.PositionTexte);
}

// Symbol and label collision of entry i at its current label rectangle.
bool Collision(const std::vector<TCommuneAffiche>& liste, std::size_t i) {
    const TRect& texte = liste[i].RectTexte;
    if (texte.EstVide()) return false;
    for (std::size_t j = 0; j < liste.size(); ++j) {
        const TCommuneAffiche& autre = liste[j];
        if (!autre.SymboleVisible) continue;
        if (Intersecte(autre.RectSymbole, texte)) return true;
        if (j < i && Intersecte(autre.RectTexte, texte)) return true;
    }
    return false;
}

} // namespace

TColor CouleurClignotement() {
    return couleurClignotement;
}
void FixeCouleurClignotement(TColor couleur) {
    couleurClignotement = couleur;
}

TColor CouleurPhase(int phase, TColor precedente) {
    switch (phase) {
    case 0:
        return 0x800000; // navy
    case 2:
        return 0x008000; // green
    case 4:
        return 0x0000FF; // red
    default:
        return precedente;
    }
}

const TDisqueDistance TableDisques[NombreDisques] = {
    {100, &TPreferencesCarte::R100, 100}, {50, &TPreferencesCarte::R50, 84},
    {20, &TPreferencesCarte::R20, 65},    {12, &TPreferencesCarte::R12, 53},
    {10, &TPreferencesCarte::R10, 50},    {8, &TPreferencesCarte::R8, 45},
    {5, &TPreferencesCarte::R5, 34},      {3, &TPreferencesCarte::R3, 23},
};

int DegradeDisque(int rayonKm) {
    for (const TDisqueDistance& d : TableDisques)
        if (d.RayonKm == rayonKm) return d.Degrade;
    if (rayonKm <= 1) return 0;
    return static_cast<int>(std::log10(static_cast<double>(rayonKm)) * 50.0);
}

TRect CalculeRectTexte(TPoint position, int w, int h, int d, int positionTexte) {
    int dx = 0;
    int dy = 0;
    switch (positionTexte) {
    case 1:
        dx = -w / 2, dy = d + 1;
        break;
    case 2:
        dx = d + 2, dy = -h / 2;
        break;
    case 3:
        dx = -w / 2, dy = -d - 1 - h;
        break;
    case 4:
        dx = -d - 2 - w, dy = -h / 2;
        break;
    case 5:
        dx = d + 2, dy = d + 1;
        break;
    case 6:
        dx = d + 2, dy = -d - 1 - h;
        break;
    case 7:
        dx = -d - 2 - w, dy = d + 1;
        break;
    default:
        dx = -d - 2 - w, dy = -d - 1 - h;
        break;
    }
    const TRect r{position.x, position.y, position.x + w, position.y + h};
    return r + TPoint{dx, dy};
}

AnsiString LibelleLegende(int rang) {
    return NomPropre(LibelleRang(rang));
}

// ---- Outlines ---------------------------------------------------------------------------

void TPointsDep::Dessine(ISurfaceDessin& canvas, bool vider) {
    Canvas = &canvas;
    if (Points.size() > 1) {
        std::size_t ecrit = 1;
        for (std::size_t lu = 1; lu < Points.size(); ++lu) {
            if (Points[lu] == Points[ecrit - 1]) continue;
            Points[ecrit++] = Points[lu];
        }
        Points.resize(ecrit);
    }
    if (!Points.empty()) canvas.Polygone(Points.data(), Points.size());
    if (vider) Points.clear();
}

// ---- Projection and placement -----------------------------------------------------------

void TCarteFrance::ProjeteCarte(ISurfaceDessin& canvas, double zoom) {
    Zoom = zoom;
    RectCarte = TRect{};
    for (TDepartement& d : Departements) {
        if (!d.AUnContour()) continue;
        d.Projette(Zoom);
        const TRect r = d.RectEcran();
        RectCarte = RectCarte.EstNul() ? r : Union(RectCarte, r);
    }
    PlaceCommunesAffichees(canvas);
}

void TCarteFrance::PlaceCommunesAffichees(ISurfaceDessin& canvas) {
    const std::size_t n = CommunesAffichees.size();
    if (n == 0) return;

    for (TCommuneAffiche& e : CommunesAffichees) {
        int x = 0;
        int y = 0;
        if (e.IndexCommune >= 0 && static_cast<std::size_t>(e.IndexCommune) < Communes.size()) {
            const TCommune& c = Communes[static_cast<std::size_t>(e.IndexCommune)];
            x = ProjetteValeur(c.XCarte, Zoom);
            y = ProjetteValeur(c.YCarte, Zoom);
        }
        e.Position = TPoint{x, y};
        e.RectSymbole = TRect{x - e.DemiCote, y - e.DemiCote, x + e.DemiCote, y + e.DemiCote};
        canvas.FixeGras(e.Gras);
        const TTailleTexte taille = canvas.EtendueTexte(e.Libelle);
        e.LargeurTexte = taille.cx;
        e.HauteurTexte = taille.cy;
    }

    // A symbol is hidden by an earlier visible one it overlaps; the entry just before is
    // not compared.
    for (std::size_t i = 1; i < n; ++i) {
        TCommuneAffiche& e = CommunesAffichees[i];
        e.SymboleVisible = true;
        for (std::size_t j = 0; j + 1 < i; ++j) {
            const TCommuneAffiche& autre = CommunesAffichees[j];
            if (autre.SymboleVisible && Intersecte(e.RectSymbole, autre.RectSymbole)) {
                e.SymboleVisible = false;
                break;
            }
        }
    }

    CalculeRectTexte(CommunesAffichees[0]);
    for (std::size_t i = 1; i < n; ++i) {
        TCommuneAffiche& e = CommunesAffichees[i];
        if (e.Clignotant) {
            e.PositionTexte = 1;
            CalculeRectTexte(e);
            continue;
        }
        bool libre = false;
        for (int k = 1; k <= 8 && !libre; ++k) {
            e.PositionTexte = k;
            CalculeRectTexte(e);
            libre = !Collision(CommunesAffichees, i);
        }
        e.TextePlace = libre;
    }
}

// ---- Painting ---------------------------------------------------------------------------

void TCarteFrance::DessineCarte(ISurfaceDessin& canvas) {
    const TPreferencesCarte& prefs = PreferencesActives();

    // The land first, in white, so that the disks show over it and the outlines over both.
    if (AfficherDepartements) {
        canvas.FixeStylePlume(StylePlume::Aucun);
        canvas.FixeCouleurBrosse(Blanc);
        canvas.FixeStyleBrosse(StyleBrosse::Solide);
        for (TDepartement& d : Departements)
            if (d.AUnContour()) d.Dessine(canvas);
        canvas.FixeStylePlume(StylePlume::Solide);
    }

    if (AfficherDisque) {
        for (const TDisqueDistance& disque : TableDisques) {
            if (!(prefs.*disque.Preference)) continue;
            for (const TCommuneAffiche& e : CommunesAffichees)
                if (e.Clignotant) DessineDisque(canvas, disque.RayonKm, e.Position);
        }
    }

    canvas.FixeLargeurPlume(1);
    canvas.FixeCouleurPlume(Noir);
    canvas.FixeStylePlume(StylePlume::Solide);
    canvas.FixeCouleurBrosse(Blanc);
    if (AfficherDepartements) {
        canvas.FixeStyleBrosse(StyleBrosse::Transparent);
        for (TDepartement& d : Departements)
            if (d.AUnContour()) d.Dessine(canvas);
    }

    EtapeClignotement(*this, canvas);
    DessineCommunes(canvas);
}

void TCarteFrance::DessineCommunes(ISurfaceDessin& canvas) {
    EtapeClignotement(*this, canvas);
    for (const TCommuneAffiche& e : CommunesAffichees)
        if (e.Clignotant) DessineSymbole(canvas, e, PhaseClignotement + 1);

    canvas.FixeCouleurPlume(Noir);
    canvas.FixeCouleurBrosse(Noir);
    canvas.FixeStyleBrosse(StyleBrosse::Transparent);
    for (const TCommuneAffiche& e : CommunesAffichees) {
        DessineSymbole(canvas, e, e.Clignotant ? PhaseClignotement + 1 : 0);
        DessineLibelle(canvas, e);
    }
}

void TCarteFrance::DessineSymbole(ISurfaceDessin& canvas, const TCommuneAffiche& e, int k) {
    if (!((e.SymboleVisible && e.TextePlace) || e.Clignotant)) return;
    canvas.FixeLargeurPlume(1);
    TRect r = e.RectSymbole;
    if (k != 0) r = Grow(r, k - 4, k - 4);
    if (e.Forme == 2) {
        canvas.Ellipse(r);
    } else if (e.Forme == 3) {
        canvas.Rectangle(r);
        if (e.DoubleCercle) {
            canvas.FixeLargeurPlume(2);
            canvas.FixeCouleurPlume(Noir);
            canvas.Ellipse(Grow(r, -1, -1));
        }
    }
}

void TCarteFrance::DessineLibelle(ISurfaceDessin& canvas, const TCommuneAffiche& e) {
    if (!(e.TextePlace && e.SymboleVisible)) return;
    canvas.FixeGras(e.Gras);
    canvas.FixeSouligne(e.Souligne);
    canvas.TexteA(e.RectTexte.left, e.RectTexte.top, e.Libelle);
}

void TCarteFrance::DessineDisque(ISurfaceDessin& canvas, int rayonKm, TPoint centre) {
    const TPreferencesCarte& prefs = PreferencesActives();
    canvas.FixeStyleBrosse(StyleBrosse::Solide);
    const TColor couleur = prefs.DisqueDegrade ? DegradeCouleur(prefs.CoulCentral, prefs.Coul100km,
                                                                DegradeDisque(rayonKm))
                                               : prefs.Coul100km;
    canvas.FixeCouleurBrosse(couleur);
    canvas.FixeStylePlume(StylePlume::Aucun);
    const float p = static_cast<float>(rayonKm * 0.4 * Zoom);
    const float cx = static_cast<float>(centre.x);
    const float cy = static_cast<float>(centre.y);
    canvas.Ellipse(TRect{static_cast<int>(cx - p), static_cast<int>(cy - p),
                         static_cast<int>(cx + p), static_cast<int>(cy + p)});
    canvas.FixeStylePlume(StylePlume::Solide);
}

void TCarteFrance::DessineCadreLegende(ISurfaceDessin& canvas, int ppp, TPoint coin) {
    canvas.FixeLargeurPlume(1);
    canvas.FixeCouleurPlume(Noir);
    canvas.FixeStylePlume(StylePlume::Solide);
    canvas.FixeStyleBrosse(StyleBrosse::Solide);
    canvas.FixeCouleurBrosse(PreferencesActives().FondLegende);
    canvas.Rectangle(
        TRect{coin.x, coin.y, coin.x + MulDiv(150, ppp, 96), coin.y + MulDiv(120, ppp, 96)});

    TPoint curseur{coin.x + 15, coin.y + 15};
    for (int rang = RangVille; rang <= RangCapitale; ++rang) {
        TCommuneAffiche e(-1, rang, LibelleLegende(rang), AnsiString(), false);
        e.PositionTexte = 2;
        e.Position = curseur;
        e.RectSymbole = TRect{curseur.x - e.DemiCote, curseur.y - e.DemiCote,
                              curseur.x + e.DemiCote, curseur.y + e.DemiCote};
        canvas.FixeGras(e.Gras);
        const TTailleTexte taille = canvas.EtendueTexte(e.Libelle);
        e.LargeurTexte = taille.cx;
        e.HauteurTexte = taille.cy;
        CalculeRectTexte(e);
        DessineSymbole(canvas, e, 0);
        DessineLibelle(canvas, e);
        curseur.y += canvas.HauteurTexte("A") + 5;
    }
}

// ---- Queries on the displayed communes --------------------------------------------------

TPoint TCarteFrance::PositionCommuneAffichee(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= CommunesAffichees.size()) return TPoint{};
    return CommunesAffichees[static_cast<std::size_t>(i)].Position;
}

TPoint TCarteFrance::CentreCommunesClignotantes() const {
    long long sx = 0;
    long long sy = 0;
    long long n = 0;
    for (const TCommuneAffiche& e : CommunesAffichees) {
        if (!e.Clignotant) continue;
        sx += e.Position.x;
        sy += e.Position.y;
        ++n;
    }
    if (n == 0) return TPoint{};
    return TPoint{static_cast<std::int32_t>(sx / n), static_cast<std::int32_t>(sy / n)};
}

void TCarteFrance::InvalideCommunesClignotantes(
    const std::function<void(const TRect&)>& invalide) const {
    if (!invalide) return;
    for (const TCommuneAffiche& e : CommunesAffichees)
        if (e.Clignotant) invalide(Grow(e.RectSymbole, 1, 1));
}

bool TCarteFrance::ToutesCommunesPlacees() const {
    for (const TCommuneAffiche& e : CommunesAffichees)
        if (!(e.SymboleVisible && e.TextePlace)) return false;
    return true;
}

} // namespace orlavine
