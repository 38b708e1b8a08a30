#include "geoloc/verification.h"

#include "atlas/carte_france.h"
#include "genealogie/journal_geo.h"
#include "geocodeur/geocodeur.h"
#include "geoloc/localisation_auto.h"
#include "geoloc/resolution.h"
#include "host/chaines.h"
#include "host/lambert93.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>

namespace orlavine::geoloc {

namespace {

// The atlas's map units: 0.208 per metre of Lambert-93, from (99000, 7120000), y downwards.
constexpr double UnitesParMetre = 0.208;
constexpr double OrigineX = 99000.0;
constexpr double OrigineY = 7120000.0;

std::string Km(double km) {
    char t[32];
    const auto r = std::to_chars(t, t + sizeof t, km, std::chars_format::fixed, 1);
    std::string s(t, r.ptr);
    for (char& c : s)
        if (c == '.') c = ',';
    return s + " km";
}

std::string DepartementDe(const TCommune& c) {
    return MajusculesAscii(std::string_view(c.CodeInsee).substr(0, 2));
}

} // namespace

struct TVerificateurPositions::Interne {
    const TResolveurLieux& resolveur;
    const TCarteFrance* carte;
    struct Contour {
        std::string departement;
        TRect cadre;
        const std::vector<TPoint>* points;
    };
    std::vector<Contour> contours;

    explicit Interne(const TResolveurLieux& r) : resolveur(r), carte(r.Carte()) {
        if (!carte) return;
        // Which department each outline draws: the one most of the communes inside it
        // belong to (the outline file does not say).
        for (const TDepartement& d : carte->Departements) {
            if (!d.AUnContour()) continue;
            Contour c{{}, {}, &d.Contour.Points};
            c.cadre = {d.Contour.Points.front().x, d.Contour.Points.front().y,
                       d.Contour.Points.front().x, d.Contour.Points.front().y};
            for (const TPoint& p : d.Contour.Points) {
                c.cadre.left = std::min(c.cadre.left, p.x);
                c.cadre.top = std::min(c.cadre.top, p.y);
                c.cadre.right = std::max(c.cadre.right, p.x + 1);
                c.cadre.bottom = std::max(c.cadre.bottom, p.y + 1);
            }
            contours.push_back(std::move(c));
        }
        std::vector<std::map<std::string, int>> votes(contours.size());
        for (std::size_t i = 0; i < carte->Communes.size(); ++i) {
            if (carte->NatureCommune(static_cast<int>(i)) != TNatureCommune::Actuelle) continue;
            const TCommune& c = carte->Communes[i];
            const TPoint p{static_cast<std::int32_t>(std::lround(c.XCarte)),
                           static_cast<std::int32_t>(std::lround(c.YCarte))};
            for (std::size_t k = 0; k < contours.size(); ++k)
                if (Contient(contours[k].cadre, p) &&
                    IsInPoly(contours[k].points->data(),
                             static_cast<int>(contours[k].points->size()), p))
                    ++votes[k][DepartementDe(c)];
        }
        for (std::size_t k = 0; k < contours.size(); ++k) {
            int meilleur = 0;
            for (const auto& [dep, n] : votes[k])
                if (n > meilleur) {
                    meilleur = n;
                    contours[k].departement = dep;
                }
        }
    }

    std::string Sous(double latitude, double longitude) const {
        if (!std::isfinite(latitude) || !std::isfinite(longitude)) return {};
        const TPlanLambert93 l = VersLambert93(latitude, longitude);
        const double x = (l.X - OrigineX) * UnitesParMetre, y = (OrigineY - l.Y) * UnitesParMetre;
        if (std::fabs(x) > 1e9 || std::fabs(y) > 1e9) return {};
        const TPoint p{static_cast<std::int32_t>(std::lround(x)),
                       static_cast<std::int32_t>(std::lround(y))};
        for (const Contour& c : contours)
            if (!c.departement.empty() && Contient(c.cadre, p) &&
                IsInPoly(c.points->data(), static_cast<int>(c.points->size()), p))
                return c.departement;
        return {};
    }

    // The size of a commune: the distance to its nearest stored neighbour, within bounds.
    double TailleKm(std::int32_t index) const {
        int parent = carte->CommuneDeRattachement(index);
        const TCommune& c = carte->Communes[static_cast<std::size_t>(parent >= 0 ? parent : index)];
        double taille = TailleMaxCommuneKm;
        if (!c.DistancesVoisins.empty())
            taille = *std::min_element(c.DistancesVoisins.begin(), c.DistancesVoisins.end());
        return std::clamp(taille, TailleMinCommuneKm, TailleMaxCommuneKm);
    }

    std::string NomDepartement(const std::string& code) const {
        std::string nom = Cp1252VersUtf8(carte->NomDepartement(code + "000"));
        return nom.empty() ? code : nom + " (" + code + ")";
    }
};

TVerificateurPositions::TVerificateurPositions(const TResolveurLieux& resolveur)
    : d_(std::make_unique<Interne>(resolveur)) {}

TVerificateurPositions::~TVerificateurPositions() = default;

std::string TVerificateurPositions::DepartementSous(double latitude, double longitude) const {
    return d_->Sous(latitude, longitude);
}

std::optional<TPositionDouteuse>
TVerificateurPositions::Verifie(const PartiesLieu& parties, double latitude, double longitude,
                                TMemoireResolution* memoire) const {
    const TResolution r =
        memoire ? d_->resolveur.Resout(parties, *memoire) : d_->resolveur.Resout(parties);
    if (!r.Localise()) return std::nullopt;
    TPositionDouteuse p;
    p.Latitude = latitude;
    p.Longitude = longitude;
    p.LatitudeAttendue = r.Lieu.Latitude;
    p.LongitudeAttendue = r.Lieu.Longitude;
    p.Attendu = r.Lieu.Libelle;
    p.Origine = r.Origine;
    p.DistanceKm = geocodeur::DistanceKm(latitude, longitude, r.Lieu.Latitude, r.Lieu.Longitude);
    if (r.Lieu.IndexCommune >= 0 && d_->carte) {
        const TCommune& c = d_->carte->Communes[static_cast<std::size_t>(r.Lieu.IndexCommune)];
        const std::string attendu = DepartementDe(c);
        const std::string sous = d_->Sous(latitude, longitude);
        const double seuil = d_->TailleKm(r.Lieu.IndexCommune) + ToleranceCommuneKm;
        const bool horsDepartement = sous != attendu;
        if (p.DistanceKm <= seuil && !(horsDepartement && p.DistanceKm > 2 * ToleranceCommuneKm))
            return std::nullopt;
        if (sous.empty())
            p.Raison = "hors des départements de la France métropolitaine, attendu dans " +
                       d_->NomDepartement(attendu);
        else if (horsDepartement)
            p.Raison = "hors de son département, " + d_->NomDepartement(attendu) +
                       " ; la position tombe dans le département " + d_->NomDepartement(sous);
        else
            p.Raison = "plus loin de la commune que sa taille (" + Km(seuil) + ")";
        return p;
    }
    if (p.DistanceKm <= DistanceMaxLieuMondeKm) return std::nullopt;
    p.Raison = "à plus de " + Km(DistanceMaxLieuMondeKm) + " du lieu nommé";
    return p;
}

std::vector<TPositionDouteuse> VerifiePositions(const TGestFichier& gestion,
                                                const TListePlaces& liste,
                                                const TVerificateurPositions& verificateur,
                                                const ProgressionVerification& progression) {
    std::vector<TPositionDouteuse> resultat;
    TMemoireResolution memoire;
    const long total = static_cast<long>(liste.size());
    for (long i = 0; i < total; ++i) {
        const SGeoChps* e = liste[static_cast<std::size_t>(i)].get();
        if (progression) progression(i + 1, total);
        if (!e || !(EtatDansFiltre(e->Etat, FilterLocate) || e->Etat == EtatValide)) continue;
        if (e->Latitude == 0 && e->Longitude == 0) continue;
        auto p = verificateur.Verifie(PartiesDuLieu(gestion, e->IdPlace, e->LieuDit), e->Latitude,
                                      e->Longitude, &memoire);
        if (!p) continue;
        p->IdPlace = e->IdPlace;
        p->LieuDit = e->LieuDit;
        p->Texte = gestion.FicDupli.Charge(e->IdPlace);
        p->Etat = e->Etat;
        resultat.push_back(std::move(*p));
    }
    return resultat;
}

TBilanCorrection AppliquePositionsAttendues(TGestFichier& gestion, TListePlaces& liste,
                                            const std::vector<TPositionDouteuse>& positions) {
    TBilanCorrection bilan;
    TBaseGenealogie& base = gestion.Base;
    TJournalGeo journal(base);
    TransactionSqlite transaction(base.Connexion());
    for (const TPositionDouteuse& p : positions) {
        if (p.Validee()) {
            ++bilan.ValideesGardees;
            continue;
        }
        if (bilan.Lot == 0) bilan.Lot = journal.OuvreLot("Positions attendues (vérification)");
        const int etat = p.Origine == Provenance::Atlas ? EtatCommunePays : EtatAdresseTrouvee;
        const TGeolocalisation g{p.IdPlace, p.LieuDit, p.LatitudeAttendue, p.LongitudeAttendue,
                                 etat,      {},        p.Origine,          {}};
        if (!journal.Enregistre(bilan.Lot, g)) {
            ++bilan.ValideesGardees; // validated in the base meanwhile
            continue;
        }
        ++bilan.Corrigees;
        const int k = FindPlaceInList(liste, p.IdPlace, p.LieuDit);
        if (k >= 0 && liste[static_cast<std::size_t>(k)]) {
            SGeoChps& e = *liste[static_cast<std::size_t>(k)];
            e.Latitude = p.LatitudeAttendue;
            e.Longitude = p.LongitudeAttendue;
            e.Etat = etat;
        }
    }
    if (bilan.Lot != 0) journal.FermeLot(bilan.Lot);
    transaction.Valide();
    if (bilan.Corrigees > 0)
        AddLog("Positions attendues prises : " + std::to_string(bilan.Corrigees) + " lieu(x)");
    return bilan;
}

} // namespace orlavine::geoloc
