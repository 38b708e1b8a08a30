#include "atlas/affichage.h"

#include <string>

namespace orlavine {

namespace {

bool Valide(const TCarteFrance& carte, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < carte.Communes.size();
}

void PlaceVoisines(TCarteFrance& carte, int indexCommune, int rayonKm) {
    if (!Valide(carte, indexCommune)) return;
    carte.RechercheVoisines(indexCommune, rayonKm);
    if (!carte.AfficherVoisines) return;
    for (const TCommuneVoisine& v : carte.CommunesVoisines)
        carte.AjouteCommuneAffichee(v.IndexCommune, " - " + std::to_string(v.Distance) + " km",
                                    false, false);
}

} // namespace

void ComposeCommunesAffichees(TCarteFrance& carte, const TVillesChoisies& villes) {
    const int t1 = villes.Ville1;
    const int t2 = villes.Ville2;
    carte.IndexCommuneCentree = 0;
    carte.TexteInfo.clear();
    AnsiString complement;
    int d = 0;
    const bool deux = !villes.UneVille && Valide(carte, t1) && Valide(carte, t2);
    if (deux) {
        d = TCarteFrance::DistanceCommunes(carte.Communes[static_cast<std::size_t>(t1)],
                                           carte.Communes[static_cast<std::size_t>(t2)]);
        complement = carte.TexteDistances(t1, t2, 0, d, 0);
        carte.TexteInfo = carte.NomCompletIndex(t1) + complement;
    }
    carte.AjouteCommuneAffichee(t1, complement, true, true);
    if (!villes.UneVille) {
        if (deux) complement = carte.TexteDistances(t2, t1, 0, d, 0);
        carte.AjouteCommuneAffichee(t2, complement, true, false);
        if (villes.Ville2Active)
            carte.IndexCommuneCentree = static_cast<int>(carte.CommunesAffichees.size()) - 1;
    }
    if (villes.UneVille || carte.AfficherVoisines) {
        PlaceVoisines(carte, t1, villes.RayonKm);
        if (carte.AfficherVoisines && !villes.UneVille) PlaceVoisines(carte, t2, villes.RayonKm);
    }
    carte.AjouteCommunesDeRang(t1, villes.UneVille ? -1 : t2);
}

} // namespace orlavine
