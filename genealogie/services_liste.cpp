#include "genealogie/services_liste.h"

#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace orlavine {

namespace {

struct TStructLieu {
    int Id = 0;
    bool Utilise = false; // an event without lieu-dit refers to it
    const std::string* Texte = nullptr;
    std::set<std::string> LieuxDits; // byte order, no duplicates
};

// (id, lieu-dit) pairs already listed: FindPlaceInList's answer without its linear scan.
struct CleEntree {
    std::size_t operator()(const std::pair<int, std::string>& c) const {
        return std::hash<std::string>()(c.second) * 31u + static_cast<std::size_t>(c.first);
    }
};

bool Annule(const bool* annuler) {
    return annuler && *annuler;
}

} // namespace

int FindPlaceInList(const TListePlaces& liste, int idPlace, std::string_view lieuDit) {
    for (std::size_t i = 0; i < liste.size(); ++i)
        if (liste[i] && liste[i]->IdPlace == idPlace && liste[i]->LieuDit == lieuDit)
            return static_cast<int>(i);
    return -1;
}

bool ApplyFilter(const SGeoChps* entree, TypeFilterDisplayList filtre) {
    return entree && EtatDansFiltre(entree->Etat, filtre);
}

void LoadAllPlace(TGestFichier& gestion, TListePlaces& liste, const bool* annuler,
                  TProgressBar* barre) {
    TManageProgress progression(0);
    const TFicDupli& places = gestion.FicDupli;

    // 1. Places, by record number, deleted ones skipped.
    std::vector<TStructLieu> lieux;
    std::unordered_map<std::string_view, std::size_t> premierParTexte;
    std::vector<std::string> textes(static_cast<std::size_t>(places.NombreFiches()));
    const int nombre = places.NombreFiches();
    for (int i = 1; i <= nombre; ++i) {
        TFicheDupli fiche(&places, i, true);
        if (!fiche.Texte.IsFicheSupprimee()) {
            std::string& texte = textes[static_cast<std::size_t>(i - 1)];
            texte = fiche.Texte.ChargeElement(StyleLieuComplet, CasseLieuComplet);
            TStructLieu l;
            l.Id = i;
            l.Texte = &texte;
            premierParTexte.try_emplace(texte, lieux.size());
            lieux.push_back(std::move(l));
        }
        // The bar moves (and the window handles its events) when the percentage changes.
        if (i * 100 / nombre != (i - 1) * 100 / nombre)
            progression.SetProgress(barre, i * 100 / nombre);
        if (Annule(annuler)) break;
    }

    // 2. Events, by place.
    TFicEvens& evenements = gestion.FicEvens;
    TEvenement evenement(&evenements, -3);
    const int n = evenements.PreProcessSearch("", TFicEvens::CleParLieu, 1, false);
    progression.SetProgress(barre, 0);
    TStructLieu* precedent = nullptr;
    int dernierPourcent = 0;
    for (int k = 1; k <= n; ++k) {
        if (!evenements.GetEvenParcours(evenement, -1)) break;
        const int pourcent = static_cast<int>(static_cast<long long>(k) * 100 / n);
        if (pourcent != dernierPourcent) {
            dernierPourcent = pourcent;
            progression.SetProgress(barre, pourcent);
        }
        if (precedent && evenement.LieuDit.empty() && precedent->Utilise &&
            precedent->Id == evenement.IdPlace) {
            if (Annule(annuler)) break;
            continue;
        }
        const TLieu* lieu = places.Lieu(evenement.IdPlace);
        if (lieu) {
            const auto trouve = premierParTexte.find(lieu->Texte);
            if (trouve != premierParTexte.end()) {
                TStructLieu& l = lieux[trouve->second];
                if (evenement.LieuDit.empty())
                    l.Utilise = true;
                else
                    l.LieuxDits.insert(evenement.LieuDit);
                precedent = &l;
            }
        }
        if (Annule(annuler)) break;
    }
    evenements.PostProcessSearch();

    // 3. Entries the list lacks.
    progression.SetProgress(barre, 100);
    std::unordered_set<std::pair<int, std::string>, CleEntree> presents;
    for (const auto& e : liste)
        if (e) presents.emplace(e->IdPlace, e->LieuDit);
    auto ajoute = [&](int id, const std::string& lieuDit) {
        if (!presents.emplace(id, lieuDit).second) return;
        liste.push_back(std::make_unique<SGeoChps>(id, lieuDit, 0.0f, 0.0f, EtatHorsTable));
    };
    for (std::size_t i = 0; i < lieux.size(); ++i) {
        const TStructLieu& l = lieux[i];
        // A hundred thousand places take tens of milliseconds: the window handles its events
        // meanwhile. A cancel request does not stop this step: what was gathered is listed.
        if (i % 8192 == 8191) progression.SetProgress(barre, 100);
        if (l.Utilise) ajoute(l.Id, std::string());
        for (const std::string& lieuDit : l.LieuxDits)
            ajoute(l.Id, lieuDit);
    }
}

TListePlaces InitListPlaces(TGestFichier& gestion, const bool* annuler, TProgressBar* barre) {
    TListePlaces liste;
    gestion.ModuleBDD.GetListLocatedPlaces(liste, annuler, barre);
    LoadAllPlace(gestion, liste, annuler, barre);
    return liste;
}

} // namespace orlavine
