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
#include <span>
#include <string_view>
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
    // (the current directory by default), showing `attente` meanwhile, then the side files
    // "ccliees.dat", "ccpostaux.dat" and "ccnoms.dat" when the folder has them. Raises
    // ErreurAtlas.
    explicit TCarteFrance(const std::filesystem::path& dossier = std::filesystem::current_path(),
                          IProgression* attente = nullptr);
    // An atlas made of given data, for tools and tests.
    TCarteFrance(std::vector<TDepartement> departements, std::vector<TCommune> communes,
                 std::vector<AnsiString> nomsDepartements,
                 std::vector<TCommuneLiee> communesLiees = {},
                 std::vector<TAutreCodePostal> autresCodesPostaux = {},
                 std::vector<TNomOfficiel> nomsOfficiels = {});
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
    // Delegated, associated and former communes among Communes, by increasing index
    // ("ccliees.dat"); every other commune is a current one.
    std::vector<TCommuneLiee> CommunesLiees;
    // The postal codes of communes beyond their own CodePostal, by increasing index
    // ("ccpostaux.dat").
    std::vector<TAutreCodePostal> AutresCodesPostaux;
    // The official names of the communes, by increasing index ("ccnoms.dat").
    std::vector<TNomOfficiel> NomsOfficiels;
    // The map preferences (owned by the preferences window); the defaults when null.
    const TPreferencesCarte* Preferences = nullptr;

    const TPreferencesCarte& PreferencesActives() const;

    // ---- Lookup ----
    static AnsiString NomComplet(const TCommune& commune);
    AnsiString NomCompletIndex(int indexCommune) const;
    // The commune's name as it is written (Windows-1252): its official name, with accents,
    // its own capitals and hyphens ("\xC9vreux", "Les Loges-en-Josas"); for a record without
    // one (an atlas folder without "ccnoms.dat"), its stored name re-cased by NomPropre with
    // a leading "LES-" written "Les " as the official names write it. The maps' labels, the
    // geocoder's and the information sentence show it; the lists keep the stored name.
    AnsiString NomOfficiel(int indexCommune) const;
    // Re-cased name of the department of a code; "" when the code names no department.
    AnsiString NomDepartement(const AnsiString& codeInsee) const;
    // Indexes of the communes of [debut, fin) (-1: whole table) that match `texte`.
    void RechercheCommunes(std::vector<std::uint16_t>& resultats, AnsiString texte, int fin,
                           int debut, int mode) const;
    // The same answer by a plain scan of the whole range, without the binary-search start.
    void RechercheCommunesLineaire(std::vector<std::uint16_t>& resultats, AnsiString texte, int fin,
                                   int debut, int mode) const;

    // The commune nearest to a position (degrees) within `rayonKm`, -1 when none is.
    int CommuneProche(double latitude, double longitude, double rayonKm) const;

    // ---- Postal codes ----
    // Whether `code` is one of the postal codes of commune `indexCommune`: its own CodePostal
    // or one of its other codes (false for an empty code or an index out of the table).
    bool ACodePostal(int indexCommune, std::string_view code) const;
    // Every postal code of a commune, its own CodePostal first (when it has one).
    std::vector<AnsiString> CodesPostaux(int indexCommune) const;
    // The other codes of a commune, in increasing order.
    std::span<const TAutreCodePostal> AutresCodesPostauxDe(int indexCommune) const;

    // ---- Current, delegated, associated and former communes ----
    // What commune `indexCommune` is (Actuelle for an index out of the table).
    TNatureCommune NatureCommune(int indexCommune) const;
    // Index of the current commune a delegated, associated or former one belongs to; -1 for
    // a current commune.
    int CommuneDeRattachement(int indexCommune) const;
    // "commune déléguée de Sevremoine", "commune associée à Saint-Souplet", "ancienne
    // commune, rattachée à Annecy" (Windows-1252, the parent's map label); "" for a current
    // commune. The information sentence and the command line's
    // rows add it after the name.
    AnsiString QualificatifCommune(int indexCommune) const;
    // After a code search for `texte` (as searched): when it is the whole code of a current
    // commune, that commune moves to the head of `resultats`, the others keeping their
    // order, so that a code shared with a delegated commune gives the current one first.
    void CommuneActuelleEnTete(std::vector<std::uint16_t>& resultats, const AnsiString& texte,
                               int mode) const;

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
