// Drawing of the atlas: outlines, disks, symbols, blinking, label placement and legend.
#include "atlas/carte_france.h"
#include "atlas/surface.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orlavine {
namespace {

enum class Forme { Ellipse, Rectangle, Polygone, Texte };

struct Trace {
    Forme Quoi = Forme::Texte;
    TRect Rect;                 // ellipse, rectangle; polygon: empty; text: (x, y, x, y)
    std::vector<TPoint> Points; // polygon
    AnsiString Texte;
    int LargeurPlume = 1;
    TColor CouleurPlume = 0;
    StylePlume Plume = StylePlume::Solide;
    TColor CouleurBrosse = 0xFFFFFF;
    StyleBrosse Brosse = StyleBrosse::Solide;
    bool Gras = false;
    bool Souligne = false;
};

// Records every primitive with the pen, brush and font in force. Texts are 6 pixels a
// character (7 in bold) and 10 pixels high.
class SurfaceEnregistreuse final : public ISurfaceDessin {
public:
    explicit SurfaceEnregistreuse(int ppp = 96) : ppp_(ppp) {}
    std::vector<Trace> Traces;

    void FixeLargeurPlume(int l) override { etat_.LargeurPlume = l; }
    void FixeCouleurPlume(TColor c) override { etat_.CouleurPlume = c; }
    void FixeStylePlume(StylePlume s) override { etat_.Plume = s; }
    void FixeCouleurBrosse(TColor c) override { etat_.CouleurBrosse = c; }
    void FixeStyleBrosse(StyleBrosse s) override { etat_.Brosse = s; }
    void FixeGras(bool g) override { etat_.Gras = g; }
    void FixeSouligne(bool s) override { etat_.Souligne = s; }
    void Ellipse(const TRect& r) override { Ajoute(Forme::Ellipse, r); }
    void Rectangle(const TRect& r) override { Ajoute(Forme::Rectangle, r); }
    void Polygone(const TPoint* p, std::size_t n) override {
        Ajoute(Forme::Polygone, TRect{}).Points.assign(p, p + n);
    }
    void TexteA(int x, int y, const AnsiString& texte) override {
        Ajoute(Forme::Texte, TRect{x, y, x, y}).Texte = texte;
    }
    TTailleTexte EtendueTexte(const AnsiString& t) override {
        return TTailleTexte{static_cast<int>(t.size()) * (etat_.Gras ? 7 : 6), 10};
    }
    int HauteurTexte(const AnsiString&) override { return 10; }
    int PointsParPouce() const override { return ppp_; }

    std::vector<Trace> De(Forme f) const {
        std::vector<Trace> r;
        for (const Trace& t : Traces)
            if (t.Quoi == f) r.push_back(t);
        return r;
    }

private:
    Trace& Ajoute(Forme f, const TRect& r) {
        Traces.push_back(etat_);
        Traces.back().Quoi = f;
        Traces.back().Rect = r;
        return Traces.back();
    }
    int ppp_;
    Trace etat_;
};

// A commune at pixel (x, y) at zoom 1 (520 map units a pixel).
TCommune Commune(const char* nom, int x, int y, std::uint8_t rang = 0) {
    TCommune c;
    c.Nom = nom;
    c.XCarte = static_cast<float>(x * 520);
    c.YCarte = static_cast<float>(y * 520);
    c.Rang = rang;
    c.CodeInsee = "78000";
    return c;
}

TDepartement Carre(int x0, int y0, int cote) {
    TDepartement d;
    for (TPoint p : {TPoint{0, 0}, TPoint{1, 0}, TPoint{1, 1}, TPoint{0, 1}})
        d.Contour.AjoutePoint(x0 + p.x * cote, y0 + p.y * cote);
    return d;
}

class Dessin : public ::testing::Test {
protected:
    void SetUp() override { FixeCouleurClignotement(0x000000); }

    std::unique_ptr<TCarteFrance> Atlas(std::vector<TCommune> communes,
                                        std::vector<TDepartement> deps = {}) {
        auto carte = std::make_unique<TCarteFrance>(std::move(deps), std::move(communes),
                                                    std::vector<AnsiString>{});
        carte->Preferences = &prefs;
        return carte;
    }
    // Shows each commune by index; entry `clignotant` (if any) blinks.
    static void Affiche(TCarteFrance& carte, std::initializer_list<int> index,
                        int clignotant = -1) {
        carte.ViderCommunesAffichees();
        for (int i : index)
            carte.AjouteCommuneAffichee(i, "", i == clignotant, false);
    }
    // Draws the whole map again at zoom 1 on an emptied surface.
    void Dessine(TCarteFrance& carte) {
        surface.Traces.clear();
        carte.ProjeteCarte(surface, 1.0);
        carte.DessineCarte(surface);
    }

    TPreferencesCarte prefs;
    SurfaceEnregistreuse surface;
};

TEST_F(Dessin, ProjectionUnitLesContoursEtIgnoreLesVides) {
    auto carte = Atlas({}, {Carre(520, 1040, 5200), TDepartement{}, Carre(-2600, 0, 2600)});
    carte->ProjeteCarte(surface, 1.0);
    EXPECT_EQ(carte->Zoom, 1.0);
    EXPECT_EQ(carte->RectCarte, (TRect{-4, 0, 11, 12})); // trunc(-5 + 0.5) is -4
    EXPECT_TRUE(carte->Departements[1].ContourEcran.Points.empty());
    carte->ProjeteCarte(surface, 2.0);
    EXPECT_EQ(carte->RectCarte, (TRect{-9, 0, 22, 24}));

    auto vide = Atlas({});
    vide->ProjeteCarte(surface, 3.0);
    EXPECT_EQ(vide->RectCarte, TRect{});
    vide->DessineCarte(surface); // nothing to draw, nothing fails
    EXPECT_TRUE(surface.De(Forme::Polygone).empty());
}

TEST_F(Dessin, ContourSansDoublonsConsecutifs) {
    TPointsDep p;
    p.Points = {{1, 1}, {1, 1}, {2, 1}, {2, 1}, {2, 1}, {2, 2}, {1, 1}};
    p.Dessine(surface, false);
    ASSERT_EQ(surface.Traces.size(), 1u);
    EXPECT_EQ(surface.Traces[0].Points, (std::vector<TPoint>{{1, 1}, {2, 1}, {2, 2}, {1, 1}}));
    EXPECT_EQ(p.Points.size(), 4u);

    TPointsDep point;
    point.Points.assign(3, TPoint{4, 4});
    point.Dessine(surface, true);
    EXPECT_EQ(surface.Traces.back().Points, (std::vector<TPoint>{{4, 4}}));
    EXPECT_TRUE(point.Points.empty());
}

TEST_F(Dessin, DisquesRayonsCouleursEtOrdre) {
    auto carte = Atlas({Commune("A", 200, 100)});
    Affiche(*carte, {0}, 0);
    Dessine(*carte);
    const auto ellipses = surface.De(Forme::Ellipse);
    ASSERT_GE(ellipses.size(), 8u);
    // 100 km is 40 pixels at zoom 1; 3 km 1.2 pixels, truncated.
    EXPECT_EQ(ellipses[0].Rect, (TRect{160, 60, 240, 140}));
    EXPECT_EQ(ellipses[7].Rect, (TRect{198, 98, 201, 101}));
    // 100, 50, 20, 12, 10, 8, 5 and 3 km, largest first, each a step of the gradient.
    const int pixels[] = {40, 20, 8, 4, 4, 3, 2, 1};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(ellipses[k].Plume, StylePlume::Aucun);
        EXPECT_EQ(ellipses[k].Brosse, StyleBrosse::Solide);
        EXPECT_EQ(ellipses[k].Rect.right - 200, pixels[k]) << k;
        if (k > 0) {
            EXPECT_NE(ellipses[k].CouleurBrosse, ellipses[k - 1].CouleurBrosse) << k;
        }
    }
    EXPECT_EQ(ellipses[0].CouleurBrosse, prefs.Coul100km);
    EXPECT_EQ(DegradeDisque(12), 53);
    EXPECT_EQ(DegradeDisque(7), 42);

    // Without gradient every disk has the 100 km colour; a switched-off disk is not drawn.
    prefs.DisqueDegrade = false;
    prefs.R50 = false;
    Dessine(*carte);
    const auto sans = surface.De(Forme::Ellipse);
    EXPECT_EQ(sans[1].Rect, (TRect{192, 92, 208, 108})); // 20 km follows 100 km
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(sans[k].CouleurBrosse, prefs.Coul100km);

    carte->AfficherDisque = false;
    Dessine(*carte);
    for (const Trace& t : surface.De(Forme::Ellipse))
        EXPECT_NE(t.Plume, StylePlume::Aucun);
}

TEST_F(Dessin, TerreBlancheSousLesDisquesEtContoursParDessus) {
    auto carte = Atlas({Commune("A", 50, 50)}, {Carre(0, 0, 520 * 100)});
    Affiche(*carte, {0}, 0);
    Dessine(*carte);
    std::vector<Forme> ordre;
    for (const Trace& t : surface.Traces)
        if (ordre.empty() || ordre.back() != t.Quoi) ordre.push_back(t.Quoi);
    ASSERT_GE(ordre.size(), 3u);
    EXPECT_EQ(ordre[0], Forme::Polygone);
    EXPECT_EQ(ordre[1], Forme::Ellipse);
    EXPECT_EQ(ordre[2], Forme::Polygone);
    const auto polygones = surface.De(Forme::Polygone);
    ASSERT_EQ(polygones.size(), 2u);
    EXPECT_EQ(polygones[0].CouleurBrosse, 0xFFFFFFu);
    EXPECT_EQ(polygones[0].Brosse, StyleBrosse::Solide);
    EXPECT_EQ(polygones[0].Plume, StylePlume::Aucun);
    EXPECT_EQ(polygones[1].Brosse, StyleBrosse::Transparent);
    EXPECT_EQ(polygones[1].Plume, StylePlume::Solide);
    EXPECT_EQ(polygones[1].CouleurPlume, 0x000000u);
    EXPECT_EQ(polygones[1].LargeurPlume, 1);

    carte->AfficherDepartements = false;
    Dessine(*carte);
    EXPECT_TRUE(surface.De(Forme::Polygone).empty());
}

TEST_F(Dessin, ClignotementPhasesCouleursEtTaille) {
    auto carte = Atlas({Commune("A", 100, 100), Commune("B", 300, 300)});
    Affiche(*carte, {0, 1}, 0);
    carte->AfficherDisque = false;
    const int phases[] = {2, 4, 1, 3, 0};
    const TColor couleurs[] = {0x008000, 0x0000FF, 0x800000, 0x008000, 0x800000};
    for (int n = 0; n < 5; ++n) {
        Dessine(*carte);
        EXPECT_EQ(carte->PhaseClignotement, phases[n]);
        EXPECT_EQ(CouleurClignotement(), couleurs[n]);
        // The blinking circle: first filled in the blinking colour, then outlined in black,
        // both grown by phase - 3; the other commune is a black outline at its size.
        const auto ellipses = surface.De(Forme::Ellipse);
        ASSERT_EQ(ellipses.size(), 3u);
        const int g = phases[n] - 3;
        const TRect attendu{96 - g, 96 - g, 104 + g, 104 + g};
        EXPECT_EQ(ellipses[0].Rect, attendu);
        EXPECT_EQ(ellipses[0].CouleurBrosse, couleurs[n]);
        EXPECT_EQ(ellipses[0].Brosse, StyleBrosse::Solide);
        EXPECT_EQ(ellipses[1].Rect, attendu);
        EXPECT_EQ(ellipses[1].Brosse, StyleBrosse::Transparent);
        EXPECT_EQ(ellipses[1].CouleurPlume, 0x000000u);
        EXPECT_EQ(ellipses[2].Rect, (TRect{296, 296, 304, 304}));
    }
}

TEST_F(Dessin, SymbolesSelonLeRang) {
    auto carte = Atlas({Commune("CAP", 100, 100, 8), Commune("SP", 200, 100, 6)});
    Affiche(*carte, {0, 1});
    carte->AfficherDisque = false;
    Dessine(*carte);
    const auto rect = surface.De(Forme::Rectangle);
    ASSERT_EQ(rect.size(), 2u);
    EXPECT_EQ(rect[0].Rect, (TRect{93, 93, 107, 107}));
    EXPECT_EQ(rect[1].Rect, (TRect{195, 95, 205, 105}));
    const auto ellipses = surface.De(Forme::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u); // the inner circle of the regional capital
    EXPECT_EQ(ellipses[0].Rect, (TRect{94, 94, 106, 106}));
    EXPECT_EQ(ellipses[0].LargeurPlume, 2);
    const auto textes = surface.De(Forme::Texte);
    ASSERT_EQ(textes.size(), 2u);
    EXPECT_TRUE(textes[0].Gras && !textes[0].Souligne);
    EXPECT_TRUE(!textes[1].Gras && textes[1].Souligne);
    // Below, centred: x - w / 2, y + D + 1 (bold: 7 pixels a character).
    EXPECT_EQ(textes[0].Rect.left, 100 - 21 / 2);
    EXPECT_EQ(textes[0].Rect.top, 108);
}

TEST_F(Dessin, PositionsDesLibelles) {
    const TRect attendus[] = {
        {85, 55, 115, 66},  {106, 45, 136, 56}, {85, 34, 115, 45}, {64, 45, 94, 56},
        {106, 55, 136, 66}, {106, 34, 136, 45}, {64, 55, 94, 66},  {64, 34, 94, 45},
    };
    for (int k = 1; k <= 8; ++k) // a 30 x 11 label around (100, 50), half side 4
        EXPECT_EQ(CalculeRectTexte(TPoint{100, 50}, 30, 11, 4, k), attendus[k - 1]) << k;
}

TEST_F(Dessin, DeuxCommunesAuMemePixel) {
    // 0 and 1 at the same pixel: 1 is never hidden (the entry just before is not compared).
    auto carte = Atlas({Commune("A", 100, 100), Commune("B", 100, 100), Commune("C", 300, 100),
                        Commune("D", 100, 100)});
    Affiche(*carte, {0, 1});
    carte->PlaceCommunesAffichees(surface);
    EXPECT_TRUE(carte->CommunesAffichees[1].SymboleVisible);
    // With another entry between them, the later one is hidden.
    Affiche(*carte, {0, 2, 3});
    carte->PlaceCommunesAffichees(surface);
    EXPECT_TRUE(carte->CommunesAffichees[1].SymboleVisible);
    EXPECT_FALSE(carte->CommunesAffichees[2].SymboleVisible);
    EXPECT_FALSE(carte->ToutesCommunesPlacees());
    carte->DessineCommunes(surface);
    for (const Trace& t : surface.De(Forme::Texte))
        EXPECT_NE(t.Texte, "D");
}

TEST_F(Dessin, LibelleSansPlaceEtCommuneClignotante) {
    // Entry 1 is surrounded by symbols on every side: no position is free.
    std::vector<TCommune> communes{Commune("X", 500, 500), Commune("CENTRE", 100, 100)};
    for (int dx = -40; dx <= 40; dx += 10)
        for (int dy = -20; dy <= 20; dy += 10)
            if (dx != 0 || dy != 0) communes.push_back(Commune("V", 100 + dx, 100 + dy));
    auto carte = Atlas(communes);
    for (std::size_t i = 0; i < communes.size(); ++i)
        carte->AjouteCommuneAffichee(static_cast<int>(i), "", false, false);
    carte->PlaceCommunesAffichees(surface);
    TCommuneAffiche& centre = carte->CommunesAffichees[1];
    EXPECT_TRUE(centre.SymboleVisible);
    EXPECT_FALSE(centre.TextePlace);
    EXPECT_EQ(centre.PositionTexte, 8);
    surface.Traces.clear();
    carte->DessineSymbole(surface, centre, 0);
    carte->DessineLibelle(surface, centre);
    EXPECT_TRUE(surface.Traces.empty());

    // The same commune blinking: label below, never tested; its symbol is drawn, its label
    // keeps TextePlace.
    centre.Clignotant = true;
    centre.TextePlace = true;
    carte->PlaceCommunesAffichees(surface);
    EXPECT_EQ(centre.PositionTexte, 1);
    EXPECT_TRUE(centre.TextePlace);
    centre.TextePlace = false;
    surface.Traces.clear();
    carte->DessineSymbole(surface, centre, 1);
    carte->DessineLibelle(surface, centre);
    ASSERT_EQ(surface.Traces.size(), 1u);
    EXPECT_EQ(surface.Traces[0].Quoi, Forme::Ellipse);
}

TEST_F(Dessin, LibellesEvitentLesPrecedents) {
    // B sits right under A: A's label (below) would cover it, so A's label moves; C's label
    // cannot go where B's label went.
    auto carte =
        Atlas({Commune("A", 100, 100), Commune("BBBB", 100, 112), Commune("CCCC", 100, 140)});
    Affiche(*carte, {2, 0, 1});
    carte->PlaceCommunesAffichees(surface);
    const auto& e = carte->CommunesAffichees;
    for (std::size_t i = 1; i < e.size(); ++i) {
        EXPECT_TRUE(e[i].TextePlace);
        for (std::size_t j = 0; j < e.size(); ++j) {
            EXPECT_FALSE(Intersecte(e[j].RectSymbole, e[i].RectTexte)) << i << " " << j;
            if (j < i) {
                EXPECT_FALSE(Intersecte(e[j].RectTexte, e[i].RectTexte)) << i << " " << j;
            }
        }
    }
    EXPECT_EQ(e[1].PositionTexte, 2); // below is B's symbol: right is free
    EXPECT_TRUE(carte->ToutesCommunesPlacees());
}

TEST_F(Dessin, LegendeA144PointsParPouce) {
    SurfaceEnregistreuse s144(144);
    auto carte = Atlas({});
    prefs.FondLegende = 0x123456;
    carte->DessineCadreLegende(s144, 144, TPoint{10, 20});
    const auto rect = s144.De(Forme::Rectangle);
    ASSERT_FALSE(rect.empty());
    EXPECT_EQ(rect[0].Rect, (TRect{10, 20, 235, 200}));
    EXPECT_EQ(rect[0].CouleurBrosse, 0x123456u);
    EXPECT_EQ(rect[0].Brosse, StyleBrosse::Solide);
    // First line: a circle of half side 4 centred 15 pixels in, unscaled.
    const auto ellipses = s144.De(Forme::Ellipse);
    ASSERT_FALSE(ellipses.empty());
    EXPECT_EQ(ellipses[0].Rect, (TRect{21, 31, 29, 39}));
    // Six lines from the town to the capital, styled as their rank.
    const auto textes = s144.De(Forme::Texte);
    ASSERT_EQ(textes.size(), 6u);
    EXPECT_TRUE(textes[1].Souligne);
    EXPECT_TRUE(textes[5].Gras);
    // Label to the right (position 2), lines 15 pixels apart (text height 10 + 5).
    EXPECT_EQ(textes[0].Rect.left, 25 + 2 + 4);
    EXPECT_EQ(textes[1].Rect.top - textes[0].Rect.top, 15);

    SurfaceEnregistreuse s96;
    carte->DessineCadreLegende(s96, 96, TPoint{0, 0});
    EXPECT_EQ(s96.De(Forme::Rectangle)[0].Rect, (TRect{0, 0, 150, 120}));
}

TEST_F(Dessin, RequetesSurLesCommunesAffichees) {
    auto carte = Atlas({Commune("A", 10, 20), Commune("B", 21, 41), Commune("C", 100, 100)});
    EXPECT_EQ(carte->CentreCommunesClignotantes(), TPoint{});
    EXPECT_TRUE(carte->ToutesCommunesPlacees());
    carte->AjouteCommuneAffichee(0, "", true, true);
    carte->AjouteCommuneAffichee(1, "", true, false);
    carte->AjouteCommuneAffichee(2, "", false, false);
    carte->ProjeteCarte(surface, 1.0);
    EXPECT_EQ(carte->PositionCommuneAffichee(-1), TPoint{});
    EXPECT_EQ(carte->PositionCommuneAffichee(3), TPoint{});
    EXPECT_EQ(carte->PositionCommuneAffichee(2), (TPoint{100, 100}));
    EXPECT_EQ(carte->CentreCommunesClignotantes(), (TPoint{15, 30}));
    std::vector<TRect> invalides;
    carte->InvalideCommunesClignotantes([&](const TRect& r) { invalides.push_back(r); });
    EXPECT_EQ(invalides, (std::vector<TRect>{{5, 15, 15, 25}, {16, 36, 26, 46}}));
}

} // namespace
} // namespace orlavine
