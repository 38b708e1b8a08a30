#include "geoloc/localisation_auto.h"

#include "genealogie/journal_geo.h"
#include "geocodeur/geocodeur.h"

#include <charconv>
#include <optional>

namespace orlavine::geoloc {

namespace {

std::string Degres(double v) {
    char texte[32];
    const auto r = std::to_chars(texte, texte + sizeof texte, v, std::chars_format::fixed, 5);
    return std::string(texte, r.ptr);
}

// The candidates of the best score that are not the same place as the first one; empty when
// the first one is the only place the text fits best.
std::vector<TCandidatAdresse> Homonymes(const std::vector<TCandidatAdresse>& candidats) {
    std::vector<TCandidatAdresse> egaux;
    if (candidats.empty()) return egaux;
    const TCandidatAdresse& premier = candidats.front();
    bool autrePlace = false;
    for (const TCandidatAdresse& c : candidats) {
        if (c.Score != premier.Score) continue;
        egaux.push_back(c);
        if (geocodeur::DistanceKm(premier.Latitude, premier.Longitude, c.Latitude, c.Longitude) >
            DistanceHomonymesKm)
            autrePlace = true;
    }
    if (!autrePlace) egaux.clear();
    return egaux;
}

std::string Etiquette(const char* debut, const TGestFichier& gestion, const SGeoChps& e) {
    return std::string(debut) + e.LieuDit + " " + gestion.FicDupli.Charge(e.IdPlace);
}

// A located entry the run leaves as it is (TOptionsGeolocalisation::RemplacerFichierEtMain).
bool PositionAGarder(TBaseGenealogie& base, const SGeoChps& e,
                     const TOptionsGeolocalisation& options) {
    if (e.Latitude == 0 && e.Longitude == 0) return false;
    if (!e.LieuDit.empty() && !options.AvecLieuDit) return true;
    if (options.RemplacerFichierEtMain) return false;
    const auto g = base.Geolocalisation(e.IdPlace, e.LieuDit);
    // A row validated since the list was loaded is the journal's to refuse.
    return g && g->Etat != EtatValide &&
           (g->Origine == Provenance::Gedcom || g->Origine == Provenance::Main);
}

TGeolocalisation VersTable(const SGeoChps& e, Provenance origine) {
    return {e.IdPlace, e.LieuDit, e.Latitude, e.Longitude, e.Etat, e.AdresseRech, origine, {}};
}

} // namespace

TRechercheGeocodeur::TRechercheGeocodeur(const geocodeur::TGeocodeur& geocodeur)
    : geocodeur_(geocodeur), resolveur_(geocodeur.Carte(), geocodeur) {}

PartiesLieu PartiesDuLieu(const TGestFichier& gestion, int idPlace, std::string_view lieuDit) {
    PartiesLieu p;
    if (const TLieu* lieu = gestion.FicDupli.Lieu(idPlace)) {
        p.Commune = lieu->Commune;
        p.CodeInsee = lieu->CodeInsee;
        p.CodePostal = lieu->CodePostal;
        p.Departement = lieu->Departement;
        p.Region = lieu->Region;
        p.Pays = lieu->Pays;
    }
    p.LieuDit = std::string(lieuDit);
    return p;
}

std::vector<TCandidatAdresse> TRechercheGeocodeur::Recherche(std::string_view texte) {
    std::vector<TCandidatAdresse> candidats;
    for (const geocodeur::TCandidat& c : geocodeur_.Recherche(texte))
        candidats.push_back({c.Latitude, c.Longitude, c.Libelle, c.Score});
    return candidats;
}

std::string TexteJournal(const TGestFichier& gestion, const SGeoChps& entree) {
    std::string texte = gestion.FicDupli.Charge(entree.IdPlace);
    if (!entree.LieuDit.empty()) texte += " ; Lieu-dit : " + entree.LieuDit;
    return texte;
}

TResultatLocalisation RelocatePlaceAuto(SGeoChps& entree, bool avecLieuDit,
                                        const TGestFichier& gestion, const IServicesLieux& services,
                                        IRechercheAdresse* recherche, TMemoireResolution* memoire) {
    TResultatLocalisation r;
    double longitude = 0, latitude = 0;
    const bool lieuDitUtilise = avecLieuDit && !entree.LieuDit.empty();
    if (const TResolveurLieux* resolveur = recherche ? recherche->Resolveur() : nullptr;
        resolveur && !lieuDitUtilise) {
        r.TexteRecherche = gestion.FicDupli.Charge(entree.IdPlace);
        const PartiesLieu parties = PartiesDuLieu(gestion, entree.IdPlace, entree.LieuDit);
        const TResolution res =
            memoire ? resolveur->Resout(parties, *memoire) : resolveur->Resout(parties);
        r.Raison = res.Raison;
        r.Avertissements = res.Avertissements;
        if (res.Localise()) {
            entree.Latitude = res.Lieu.Latitude;
            entree.Longitude = res.Lieu.Longitude;
            entree.Etat = res.Origine == Provenance::Atlas ? EtatCommunePays : EtatAdresseTrouvee;
            r.Succes = true;
            r.Origine = res.Origine;
            AddLog(" - Tools : Geolocalisation : " + TexteJournal(gestion, entree) + " ; " +
                   TexteResolution(res));
            return r;
        }
        if (res.Statut == TStatutResolution::Ambigu) {
            r.Ambigu = true;
            for (const TCandidatResolution& c : res.Candidats)
                r.Candidats.push_back({c.Latitude, c.Longitude, c.Libelle, 0});
            return r;
        }
        for (const TCandidatResolution& c : res.Candidats)
            r.Candidats.push_back({c.Latitude, c.Longitude, c.Libelle, 0});
        // Found nowhere offline, nothing near: an online service may know it.
        if (!res.Candidats.empty() || r.TexteRecherche.empty()) return r;
        const auto enLigne = recherche->RechercheInconnu(r.TexteRecherche);
        if (enLigne.empty() || (enLigne.front().Latitude == 0 && enLigne.front().Longitude == 0))
            return r;
        entree.Latitude = enLigne.front().Latitude;
        entree.Longitude = enLigne.front().Longitude;
        entree.Etat = EtatAdresseTrouvee;
        r.Succes = true;
        r.Candidats.clear();
        r.Origine = recherche->Origine();
        AddLog(" - Tools : Geolocalisation en ligne : " + TexteJournal(gestion, entree));
        return r;
    }
    r.TexteRecherche =
        NormalizePlace(services, entree.IdPlace,
                       lieuDitUtilise ? std::string_view(entree.LieuDit) : "", longitude, latitude);

    // The country file: a commune's position is never given to a lieu-dit that is searched.
    if (latitude != 0 && longitude != 0 && !lieuDitUtilise) {
        entree.Latitude = latitude;
        entree.Longitude = longitude;
        entree.Etat = EtatCommunePays;
        r.Succes = true;
        r.Origine = Provenance::Atlas;
        AddLog(" - Tools : Geolocalisation via BDD : " + TexteJournal(gestion, entree));
        return r;
    }
    if (!recherche) return r;

    const std::vector<TCandidatAdresse> candidats = recherche->Recherche(r.TexteRecherche);
    if (candidats.empty()) return r;
    r.Candidats = Homonymes(candidats);
    if (!r.Candidats.empty()) {
        r.Ambigu = true;
        return r;
    }
    const TCandidatAdresse& c = candidats.front();
    if (c.Latitude == 0 || c.Longitude == 0) return r;
    entree.Latitude = c.Latitude;
    entree.Longitude = c.Longitude;
    entree.Etat = EtatAdresseTrouvee;
    r.Succes = true;
    r.Origine = recherche->Origine();
    AddLog(std::string(" - Tools : Geolocalisation via ") +
           (r.Origine == Provenance::GeocodeurEnLigne ? "Geocodeur en ligne" : "Geocodeur") +
           " : " + TexteJournal(gestion, entree));
    return r;
}

TBilanGeolocalisation ToutGeolocaliser(TGestFichier& gestion, TListePlaces& liste,
                                       const IServicesLieux& services, IRechercheAdresse* recherche,
                                       const TOptionsGeolocalisation& options, const bool* annuler,
                                       const ProgressionGeolocalisation& progression) {
    TBaseGenealogie& base = gestion.Base;
    ConnexionSqlite& connexion = base.Connexion();
    // A damaged base is not written to.
    {
        RequeteSqlite verification(connexion, "PRAGMA quick_check");
        std::string etat = verification.Pas() ? std::string(verification.Texte(0)) : "";
        if (etat != "ok")
            throw ErreurGenealogie(base.Chemin().string(), 0,
                                   "base endommagée (" + etat +
                                       ") ; la géolocalisation n'y a rien écrit");
    }

    TBilanGeolocalisation bilan;
    bilan.Journal = "ReInit BDD Location \r\n";
    TJournalGeo journal(base);
    const char* const descriptions[] = {"Tout re-géolocaliser (localisés)",
                                        "Tout géolocaliser (non localisés)",
                                        "Tout re-géolocaliser (validés)"};
    const long total = static_cast<long>(liste.size());
    const int tailleLot = options.TailleLot > 0 ? options.TailleLot : 1;

    TMemoireResolution memoire; // a place of several lieux-dits is read once
    std::optional<TransactionSqlite> transaction;
    int dansLot = 0;
    auto valide = [&] {
        if (transaction) transaction->Valide();
        transaction.reset();
        dansLot = 0;
    };

    for (long i = 0; i < total; ++i) {
        SGeoChps* entree = liste[static_cast<std::size_t>(i)].get();
        if (entree && ApplyFilter(entree, options.Filtre)) {
            ++bilan.Traitees;
            if (entree->Etat == EtatValide) {
                ++bilan.ValideesGardees;
            } else if (PositionAGarder(base, *entree, options)) {
                ++bilan.PositionsGardees;
            } else {
                const SGeoChps avant = *entree;
                const TResultatLocalisation r = RelocatePlaceAuto(
                    *entree, options.AvecLieuDit, gestion, services, recherche, &memoire);
                bool stocke = false;
                if (r.Succes) {
                    if (!transaction) transaction.emplace(connexion);
                    if (bilan.Lot == 0) bilan.Lot = journal.OuvreLot(descriptions[options.Filtre]);
                    stocke = journal.Enregistre(bilan.Lot, VersTable(*entree, r.Origine));
                    if (stocke) {
                        ++bilan.Localisees;
                        if (!r.Avertissements.empty()) {
                            std::string ligne =
                                Etiquette("Localisé avec réserve : ", gestion, *entree) + " ; " +
                                r.Raison;
                            for (const std::string& a : r.Avertissements)
                                ligne += " ; attention : " + a;
                            bilan.Journal += ligne + "\n\r";
                        }
                        if (++dansLot >= tailleLot) valide();
                    } else {
                        // Validated meanwhile in the base: it stays as the user left it.
                        *entree = avant;
                        entree->Etat = EtatValide;
                        ++bilan.ValideesGardees;
                    }
                } else {
                    *entree = avant; // memory keeps what the base holds
                    ++bilan.NonLocalisees;
                    (r.Ambigu ? bilan.Ambigus : bilan.NonTrouves)
                        .push_back({entree->IdPlace, entree->LieuDit,
                                    TexteJournal(gestion, *entree), r.Candidats});
                    std::string ligne;
                    if (r.Ambigu) {
                        ++bilan.Ambigues;
                        ligne =
                            Etiquette("Adresse ambiguë : ", gestion, *entree) + " ; candidats :";
                        for (std::size_t k = 0; k < r.Candidats.size(); ++k)
                            ligne += (k ? " | " : " ") + r.Candidats[k].Libelle + " (" +
                                     Degres(r.Candidats[k].Latitude) + ", " +
                                     Degres(r.Candidats[k].Longitude) + ")";
                        if (!r.Raison.empty()) ligne += " ; " + r.Raison;
                    } else {
                        ligne = Etiquette("Adresse non localisé : ", gestion, *entree);
                        if (!r.Raison.empty()) ligne += " ; " + r.Raison;
                        for (std::size_t k = 0; k < r.Candidats.size(); ++k)
                            ligne += (k ? " | " : " ; candidats : ") + r.Candidats[k].Libelle +
                                     " (" + Degres(r.Candidats[k].Latitude) + ", " +
                                     Degres(r.Candidats[k].Longitude) + ")";
                    }
                    for (const std::string& a : r.Avertissements)
                        ligne += " ; attention : " + a;
                    bilan.Journal += ligne + "\n\r";
                }
            }
            ++bilan.ParEtat[entree->Etat];
        }
        if (progression) progression(i + 1, total);
        if (annuler && *annuler) {
            bilan.Interrompu = i + 1 < total;
            break;
        }
    }
    if (bilan.Lot != 0) {
        if (!transaction) transaction.emplace(connexion);
        journal.FermeLot(bilan.Lot);
    }
    valide();
    AddLog(bilan.Journal);
    return bilan;
}

} // namespace orlavine::geoloc
