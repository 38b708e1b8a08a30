// The atlas of France: communes, department names and outlines, and the working lists
// the map draws. Built once from the three data files; the map window holds a
// non-owning pointer to it.
#pragma once

#include "atlas/preferences.h"
#include "atlas/progression.h"
#include "atlas/types.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace orlavine {

class ISurfaceDessin;

// A row of the neighbour list: three text columns.
struct TLigneVoisine {
    AnsiString Code;     // INSEE code
    AnsiString Nom;      // full name
    AnsiString Distance; // "12 km"
};

class TCarteFrance {
public:
    // Loads "pointdepii.dat", "cc.dat" and "departement.txt", in this order, from `dossier`
    // (the current directory by default), showing `attente` meanwhile. Raises ErreurAtlas.
    explicit TCarteFrance(const std::filesystem::path& dossier = std::filesystem::current_path(),
                          IProgression* attente = nullptr);
    // An atlas made of given data, for tools and tests.
    TCarteFrance(std::vector<TDepartement> departements, std::vector<TCommune> communes,
                 std::vector<AnsiString> nomsDepartements);
    ~TCarteFrance();
    TCarteFrance(const TCarteFrance&) = delete;
    TCarteFrance& operator=(const TCarteFrance&) = delete;

    double Zoom = 1.0;
    std::vector<TDepartement> Departements;
    std::int32_t PhaseClignotement = 0;
    std::vector<AnsiString> NomsDepartements;
    TRect RectCarte;
    std::vector<TCommune> Communes;
    bool AfficherDepartements = true;
    bool AfficherVoisines = false;
    std::vector<TCommuneAffiche> CommunesAffichees;
    bool AfficherDisque = true;
    AnsiString TexteInfo;
    std::vector<TCommuneVoisine> CommunesVoisines;
    std::int32_t IndexCommuneCentree = -1;
    // The map preferences (owned by the preferences window); the defaults when null.
    const TPreferencesCarte* Preferences = nullptr;

    const TPreferencesCarte& PreferencesActives() const;

    // ---- Lookup ----
    static AnsiString NomComplet(const TCommune& commune);
    AnsiString NomCompletIndex(int indexCommune) const;
    // Full name re-cased, with the particles of compound names lowered.
    AnsiString LibelleCarte(int indexCommune) const;
    // Re-cased name of the department of a code; "" when the code names no department.
    AnsiString NomDepartement(const AnsiString& codeInsee) const;
    // Indexes of the communes of [debut, fin) (-1: whole table) that match `texte`.
    void RechercheCommunes(std::vector<std::uint16_t>& resultats, AnsiString texte, int fin,
                           int debut, int mode) const;
    // The same answer by a plain scan of the whole range, without the binary-search start.
    void RechercheCommunesLineaire(std::vector<std::uint16_t>& resultats, AnsiString texte, int fin,
                                   int debut, int mode) const;

    // ---- Distances ----
    // Kilometres between two communes, to the nearest kilometre, exactly as the extended
    // precision computation gives them (computed in double, checked near a rounding edge).
    static int DistanceCommunes(const TCommune& a, const TCommune& b);
    // The reference computation, entirely in 80-bit extended precision.
    static int DistanceCommunesEtendue(const TCommune& a, const TCommune& b);
    void RechercheVoisines(int indexCommune, int rayonKm);
    void AjouteCommunesDeRang(int indexVille1, int indexVille2);
    AnsiString TexteDistances(int indexCommune, int indexVille1, int indexVille2, int distance1,
                              int distance2) const;
    void RemplitLigneVoisine(int i, TLigneVoisine& ligne) const;

    // ---- Communes on the map ----
    void ViderCommunesAffichees();
    void AjouteCommuneAffichee(int indexCommune, const AnsiString& complement, bool clignotant,
                               bool vider);

    // ---- Drawing ----
    void ProjeteCarte(ISurfaceDessin& canvas, double zoom);
    void PlaceCommunesAffichees(ISurfaceDessin& canvas);
    void DessineCarte(ISurfaceDessin& canvas);
    void DessineCommunes(ISurfaceDessin& canvas);
    void DessineSymbole(ISurfaceDessin& canvas, const TCommuneAffiche& e, int k);
    void DessineLibelle(ISurfaceDessin& canvas, const TCommuneAffiche& e);
    void DessineDisque(ISurfaceDessin& canvas, int rayonKm, TPoint centre);
    void DessineCadreLegende(ISurfaceDessin& canvas, int ppp, TPoint coin);
    TPoint PositionCommuneAffichee(int i) const;
    TPoint CentreCommunesClignotantes() const;
    void InvalideCommunesClignotantes(const std::function<void(const TRect&)>& invalide) const;
    bool ToutesCommunesPlacees() const;

    // ---- Hit tests (pixel coordinates of the map) ----
    AnsiString TexteSurvol(int x, int y) const;
    AnsiString CodeCommuneSous(int x, int y) const;

private:
    const TCommuneAffiche* CommuneSous(int x, int y) const;
    void VerifieOrdreNoms();

    // The names are in byte order, as the prefix search's binary start needs. A table
    // that is not (a hand-made file) is searched by the plain scan.
    bool nomsTries_ = false;
};

// Re-cased with the particles of compound names lowered, as on the map labels:
// "SAINT-JEAN-SUR-MER" -> "Saint-Jean-sur-Mer", "HAUTS-DE-SEINE" -> "Hauts-de-Seine".
AnsiString NomPropre(const AnsiString& texte);

// True when `point` lies inside the polygon (non-zero winding rule).
bool IsInPoly(const TPoint* points, int count, TPoint point);

} // namespace orlavine
