#include "atlas/carte_france.h"

#include <cmath>
#include <cstdio>

namespace orlavine {

namespace {

// Degrees to radians as the atlas has always done it: 3.14159 for a half turn, the result
// kept in single precision.
float EnRadians(float degres) {
    const float demiTourDegres = 180.0f;
    return static_cast<float>(static_cast<double>(degres) / demiTourDegres * 3.14159);
}

bool IndexValide(const std::vector<TCommune>& communes, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < communes.size();
}

} // namespace

int TCarteFrance::DistanceCommunesEtendue(const TCommune& a, const TCommune& b) {
    const float phiA = EnRadians(a.Latitude);
    const float lambdaA = EnRadians(a.Longitude);
    const float phiB = EnRadians(b.Latitude);
    const float lambdaB = EnRadians(b.Longitude);
    if (phiA == phiB && lambdaB == lambdaA) return 0;

    // Central angle from the colatitudes, in extended precision.
    const long double quartColatitude = static_cast<double>(1.570795);
    const long double quartTour = 1.570795L;
    const long double demiTour = 3.14159L;
    const long double circonference = 40076.59L;
    const long double colatA = quartColatitude - phiA;
    const long double colatB = quartColatitude - phiB;
    const long double c =
        std::cos(colatB) * std::cos(colatA) +
        std::sin(colatB) * std::sin(colatA) * std::cos(static_cast<long double>(lambdaB) - lambdaA);
    // Rounding can carry |c| a hair above 1 for antipodes: no square root of a negative.
    const long double carre = 1.0L - c * c;
    const long double s = carre > 0.0L ? std::sqrt(carre) : 0.0L;
    const long double theta = quartTour - std::atan2(c, s);
    const long double km = theta * circonference / 2 / demiTour + 0.5f;
    if (!std::isfinite(km)) return 0;
    return static_cast<int>(km);
}

int TCarteFrance::DistanceCommunes(const TCommune& a, const TCommune& b) {
    const float phiA = EnRadians(a.Latitude);
    const float lambdaA = EnRadians(a.Longitude);
    const float phiB = EnRadians(b.Latitude);
    const float lambdaB = EnRadians(b.Longitude);
    if (phiA == phiB && lambdaB == lambdaA) return 0;

    // The same formula in double precision, as an estimate. Where the sine of the central
    // angle is at least SinusMin, rounding moves it by less than 1e-8 km: a few units of
    // 1e-16 in c, amplified at most a thousandfold by the arc sine, times 6,378 km per
    // radian (the extended computation errs a thousand times less). The extended
    // computation decides the other pairs (within about 6 km of each other or of the
    // antipode), and every estimate within MargeKm of a whole kilometre once the rounding
    // half is added, where the two could truncate differently.
    constexpr double MargeKm = 1e-5;
    constexpr double SinusMin = 1e-3; // about 6 km from the point or from its antipode
    constexpr double quartTour = 1.570795;
    const double colatA = quartTour - phiA;
    const double colatB = quartTour - phiB;
    const double c = std::cos(colatB) * std::cos(colatA) +
                     std::sin(colatB) * std::sin(colatA) *
                         std::cos(static_cast<double>(lambdaB) - static_cast<double>(lambdaA));
    const double carre = 1.0 - c * c;
    if (!(carre >= SinusMin * SinusMin)) return DistanceCommunesEtendue(a, b);
    // With s = sqrt(1 - c * c) >= 0, atan2(c, s) is asin(c): the same angle, faster.
    const double theta = quartTour - std::asin(c);
    const double km = theta * 40076.59 / 2 / 3.14159 + 0.5;
    const double entier = std::floor(km);
    if (km - entier < MargeKm || entier + 1.0 - km < MargeKm || km < 0.0)
        return DistanceCommunesEtendue(a, b);
    return static_cast<int>(entier);
}

void TCarteFrance::RechercheVoisines(int indexCommune, int rayonKm) {
    CommunesVoisines.clear();
    if (!IndexValide(Communes, indexCommune)) return;
    const TCommune& commune = Communes[static_cast<std::size_t>(indexCommune)];
    for (std::size_t k = 0; k < commune.Voisins.size(); ++k) {
        if (commune.DistancesVoisins[k] <= rayonKm) {
            TCommuneVoisine voisine;
            voisine.IndexCommune = commune.Voisins[k];
            voisine.Distance = commune.DistancesVoisins[k];
            CommunesVoisines.push_back(voisine);
        }
    }
}

void TCarteFrance::AjouteCommunesDeRang(int indexVille1, int indexVille2) {
    const TPreferencesCarte& pref = PreferencesActives();
    if (!pref.Capital && !pref.Prefecture && !pref.SsPrefecture) return;
    if (!IndexValide(Communes, indexVille1)) indexVille1 = -1;
    if (!IndexValide(Communes, indexVille2)) indexVille2 = -1;
    if (indexVille1 == -1 && indexVille2 == -1) return;
    for (std::size_t i = 0; i < Communes.size(); ++i) {
        const int rang = Communes[i].Rang;
        const bool admis = (pref.SsPrefecture && (rang == 6 || rang == 7 || rang == 8)) ||
                           (pref.Prefecture && (rang == 7 || rang == 8)) ||
                           (pref.Capital && rang == 8) ||
                           // The capital goes wherever the regional capitals go.
                           (rang == 9 && (pref.SsPrefecture || pref.Prefecture || pref.Capital));
        if (!admis) continue;
        const int d1 =
            indexVille1 == -1
                ? -1
                : DistanceCommunes(Communes[i], Communes[static_cast<std::size_t>(indexVille1)]);
        const int d2 =
            indexVille2 == -1
                ? -1
                : DistanceCommunes(Communes[i], Communes[static_cast<std::size_t>(indexVille2)]);
        if ((d1 >= 0 && d1 <= 100) || (d2 >= 0 && d2 <= 100)) {
            const int index = static_cast<int>(i);
            AjouteCommuneAffichee(index, TexteDistances(index, indexVille1, indexVille2, d1, d2),
                                  false, false);
        }
    }
}

AnsiString TCarteFrance::TexteDistances(int indexCommune, int indexVille1, int indexVille2,
                                        int distance1, int distance2) const {
    AnsiString texte;
    if (!IndexValide(Communes, indexCommune)) return texte;
    const TCommune& c = Communes[static_cast<std::size_t>(indexCommune)];
    if (c.Rang == 6 || c.Rang == 7 || c.Rang == 8)
        texte += ", " + LibelleRang(c.Rang) + " : " + NomDepartement(c.CodeInsee);
    if (distance1 > 0)
        texte += ", " + std::to_string(distance1) + " km de " + NomCompletIndex(indexVille1);
    if (distance2 > 0)
        texte += ", " + std::to_string(distance2) + " km de " + NomCompletIndex(indexVille2);
    return texte;
}

void TCarteFrance::RemplitLigneVoisine(int i, TLigneVoisine& ligne) const {
    if (i < 0 || static_cast<std::size_t>(i) >= CommunesVoisines.size()) return;
    const TCommuneVoisine& v = CommunesVoisines[static_cast<std::size_t>(i)];
    if (!IndexValide(Communes, v.IndexCommune)) return;
    const TCommune& c = Communes[static_cast<std::size_t>(v.IndexCommune)];
    ligne.Code = c.CodeInsee;
    ligne.Nom = NomComplet(c);
    char distance[32];
    std::snprintf(distance, sizeof distance, "%i", v.Distance);
    ligne.Distance = std::string(distance) + " km";
}

} // namespace orlavine
