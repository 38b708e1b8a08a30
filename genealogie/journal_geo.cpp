#include "genealogie/journal_geo.h"

namespace orlavine {

namespace {

// The "after" state of a row the lot removed.
constexpr int ApresSupprimee = -1;

} // namespace

std::int64_t TJournalGeo::OuvreLot(std::string_view description) {
    ConnexionSqlite& c = base_.Connexion();
    RequeteSqlite oublie(c, "DELETE FROM geoloc_lots WHERE id NOT IN "
                            "(SELECT id FROM geoloc_lots ORDER BY id DESC LIMIT ?)");
    oublie.Lie(1, LotsGardes - 1).Execute();
    c.Execute("DELETE FROM geoloc_journal WHERE lot NOT IN (SELECT id FROM geoloc_lots)");
    RequeteSqlite r(c, "INSERT INTO geoloc_lots(debut, description) VALUES (?, ?)");
    r.Lie(1, DateMaintenant()).Lie(2, description).Execute();
    return c.DernierId();
}

void TJournalGeo::FermeLot(std::int64_t lot) {
    RequeteSqlite r(base_.Connexion(), "UPDATE geoloc_lots SET fin = ? WHERE id = ?");
    r.Lie(1, DateMaintenant()).Lie(2, lot).Execute();
}

namespace {

// Notes in the lot what the row held before its first change in the lot, and what it holds
// after this one.
void Note(ConnexionSqlite& c, std::int64_t lot, int idLieu, std::string_view lieuDit,
          const std::optional<TGeolocalisation>& avant, double latitude, double longitude,
          int etat) {
    RequeteSqlite note(c, "INSERT INTO geoloc_journal(lot, lieu, lieu_dit, avant, latitude, "
                          "longitude, etat, adresse, provenance, date, apres_latitude, "
                          "apres_longitude, apres_etat) "
                          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13) "
                          "ON CONFLICT(lot, lieu, lieu_dit) DO UPDATE SET "
                          "apres_latitude = ?11, apres_longitude = ?12, apres_etat = ?13");
    note.Lie(1, lot).Lie(2, idLieu).Lie(3, lieuDit).Lie(4, avant ? 1 : 0);
    if (avant) {
        note.Lie(5, avant->Latitude)
            .Lie(6, avant->Longitude)
            .Lie(7, avant->Etat)
            .Lie(8, avant->Adresse)
            .Lie(9, NomProvenance(avant->Origine))
            .Lie(10, avant->Date);
    } else {
        for (int i = 5; i <= 10; ++i)
            note.LieNul(i);
    }
    note.Lie(11, latitude).Lie(12, longitude).Lie(13, etat).Execute();
}

} // namespace

bool TJournalGeo::Enregistre(std::int64_t lot, const TGeolocalisation& n) {
    const std::optional<TGeolocalisation> avant = base_.Geolocalisation(n.IdLieu, n.LieuDit);
    if (avant && avant->Etat == 7) return false;
    Remplace(lot, n, avant);
    return true;
}

void TJournalGeo::Remplace(std::int64_t lot, const TGeolocalisation& n) {
    Remplace(lot, n, base_.Geolocalisation(n.IdLieu, n.LieuDit));
}

void TJournalGeo::Remplace(std::int64_t lot, const TGeolocalisation& n,
                           const std::optional<TGeolocalisation>& avant) {
    // The first change of a row in this lot is the one to note: it holds the row before.
    Note(base_.Connexion(), lot, n.IdLieu, n.LieuDit, avant, n.Latitude, n.Longitude, n.Etat);
    if (avant) {
        base_.MetAJourGeolocalisation(n.IdLieu, n.LieuDit, n.Latitude, n.Longitude, n.Etat,
                                      n.Origine, n.Adresse);
    } else {
        base_.AjouteGeolocalisation(n);
    }
}

bool TJournalGeo::Supprime(std::int64_t lot, int idLieu, std::string_view lieuDit) {
    const std::optional<TGeolocalisation> avant = base_.Geolocalisation(idLieu, lieuDit);
    if (!avant) return false;
    Note(base_.Connexion(), lot, idLieu, lieuDit, avant, 0, 0, ApresSupprimee);
    base_.SupprimeGeolocalisation(idLieu, lieuDit);
    return true;
}

void TJournalGeo::PlaceALaMain(const TGeolocalisation& nouvelle, std::string_view description) {
    TransactionSqlite t(base_.Connexion());
    const std::int64_t lot = OuvreLot(description);
    Remplace(lot, nouvelle);
    FermeLot(lot);
    t.Valide();
}

bool TJournalGeo::SupprimeUne(int idLieu, std::string_view lieuDit) {
    if (!base_.Geolocalisation(idLieu, lieuDit)) return false;
    TransactionSqlite t(base_.Connexion());
    const std::int64_t lot = OuvreLot("Supprimer la localisation d'un lieu");
    Supprime(lot, idLieu, lieuDit);
    FermeLot(lot);
    t.Valide();
    return true;
}

long TJournalGeo::SupprimeTout(std::span<const int> etats, std::string_view description) {
    std::vector<std::pair<int, std::string>> lignes;
    {
        RequeteSqlite r(base_.Connexion(), "SELECT lieu, lieu_dit FROM geolocalisation "
                                           "WHERE etat = ? ORDER BY lieu, lieu_dit");
        for (const int etat : etats) {
            r.Lie(1, etat);
            while (r.Pas())
                lignes.emplace_back(static_cast<int>(r.Entier(0)), std::string(r.Texte(1)));
            r.Reinitialise();
        }
    }
    if (lignes.empty()) return 0; // no empty lot hides the previous one
    TransactionSqlite t(base_.Connexion());
    const std::int64_t lot = OuvreLot(description);
    long n = 0;
    for (const auto& [lieu, lieuDit] : lignes)
        n += Supprime(lot, lieu, lieuDit) ? 1 : 0;
    FermeLot(lot);
    t.Valide();
    return n;
}

std::optional<TLotGeo> TJournalGeo::DernierLot() {
    RequeteSqlite r(base_.Connexion(), "SELECT l.id, l.debut, coalesce(l.fin, ''), l.description, "
                                       "(SELECT count(*) FROM geoloc_journal j WHERE j.lot = l.id) "
                                       "FROM geoloc_lots l ORDER BY l.id DESC LIMIT 1");
    if (!r.Pas()) return std::nullopt;
    TLotGeo lot;
    lot.Id = r.Entier(0);
    lot.Debut = r.Texte(1);
    lot.Fin = r.Texte(2);
    lot.Description = r.Texte(3);
    lot.Entrees = static_cast<long>(r.Entier(4));
    return lot;
}

TBilanAnnulation TJournalGeo::AnnuleDernierLot() {
    TBilanAnnulation bilan;
    const auto lot = DernierLot();
    if (!lot) return bilan;
    ConnexionSqlite& c = base_.Connexion();
    TransactionSqlite t(c);
    struct Ligne {
        int Lieu;
        std::string LieuDit;
        bool Avant;
        TGeolocalisation Ancienne;
        double ApresLat, ApresLon;
        int ApresEtat;
    };
    std::vector<Ligne> lignes;
    {
        RequeteSqlite r(c, "SELECT lieu, lieu_dit, latitude, longitude, etat, adresse, "
                           "provenance, date, avant, apres_latitude, apres_longitude, apres_etat "
                           "FROM geoloc_journal WHERE lot = ?");
        r.Lie(1, lot->Id);
        while (r.Pas()) {
            Ligne l{static_cast<int>(r.Entier(0)),
                    std::string(r.Texte(1)),
                    r.Entier(8) != 0,
                    {},
                    r.Reel(9),
                    r.Reel(10),
                    static_cast<int>(r.Entier(11))};
            if (l.Avant)
                l.Ancienne =
                    LitLigneGeolocalisation(r, base_.Chemin(), "le journal de géolocalisation");
            lignes.push_back(std::move(l));
        }
    }
    RequeteSqlite supprime(c, "DELETE FROM geolocalisation WHERE lieu = ? AND lieu_dit = ?");
    RequeteSqlite remet(c, "UPDATE geolocalisation SET latitude = ?, longitude = ?, etat = ?, "
                           "adresse = ?, provenance = ?, date = ? WHERE lieu = ? AND lieu_dit = ?");
    RequeteSqlite remetSupprimee(
        c, "INSERT INTO geolocalisation(lieu, lieu_dit, latitude, longitude, etat, "
           "adresse, provenance, date) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Ligne& l : lignes) {
        const auto actuelle = base_.Geolocalisation(l.Lieu, l.LieuDit);
        // Only what the lot left is undone: a later change by the user stays.
        if (l.ApresEtat == ApresSupprimee) {
            if (actuelle || !l.Avant) {
                ++bilan.Conservees;
                continue;
            }
            const TGeolocalisation& g = l.Ancienne;
            remetSupprimee.Lie(1, l.Lieu)
                .Lie(2, l.LieuDit)
                .Lie(3, g.Latitude)
                .Lie(4, g.Longitude)
                .Lie(5, g.Etat)
                .Lie(6, g.Adresse)
                .Lie(7, NomProvenance(g.Origine))
                .Lie(8, g.Date)
                .Execute();
            remetSupprimee.Reinitialise();
            ++bilan.Restaurees;
            continue;
        }
        if (!actuelle || actuelle->Latitude != l.ApresLat || actuelle->Longitude != l.ApresLon ||
            actuelle->Etat != l.ApresEtat) {
            ++bilan.Conservees;
            continue;
        }
        if (!l.Avant) {
            supprime.Lie(1, l.Lieu).Lie(2, l.LieuDit).Execute();
            supprime.Reinitialise();
        } else {
            const TGeolocalisation& g = l.Ancienne;
            remet.Lie(1, g.Latitude)
                .Lie(2, g.Longitude)
                .Lie(3, g.Etat)
                .Lie(4, g.Adresse)
                .Lie(5, NomProvenance(g.Origine))
                .Lie(6, g.Date)
                .Lie(7, l.Lieu)
                .Lie(8, l.LieuDit)
                .Execute();
            remet.Reinitialise();
        }
        ++bilan.Restaurees;
    }
    RequeteSqlite oublie(c, "DELETE FROM geoloc_lots WHERE id = ?");
    oublie.Lie(1, lot->Id).Execute();
    t.Valide();
    return bilan;
}

} // namespace orlavine
