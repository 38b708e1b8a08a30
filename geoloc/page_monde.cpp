#include "geoloc/page_monde.h"

#include "geoloc/carte_navigateur.h"
#include "host/chaines.h"

#include <cmath>
#include <cstdio>

namespace orlavine::geoloc {

std::string QuestionRelocalisation(std::string_view texteLieu, std::string_view lieuDit) {
    std::string q = "Souhaitez-vous relocaliser l'adresse : ";
    q += "Lieu : ";
    q += texteLieu;
    q += ". Lieu-dit : ";
    q += lieuDit;
    q += " ? ";
    return q;
}

std::string TexteDegres(double degres, char separateurDecimal) {
    // Written with a point whatever the C library's locale, then given the separator asked for.
    std::string t = TexteDecimal(degres, 7);
    for (char& c : t)
        if (c == '.') c = separateurDecimal;
    return t;
}

std::string TexteLatLong(double latitude, double longitude, char separateurDecimal) {
    return "Lat : " + TexteDegres(latitude, separateurDecimal) +
           " , Long : " + TexteDegres(longitude, separateurDecimal);
}

// ---------------------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------------------

void TPageMondeLogique::SetSGeoChps(const SGeoChps* lieu) {
    adressesPerimees_ = adressesEnAttente_;
    lieuxPerimes_ = lieuxEnAttente_;
    RelocalisationEnCours = false;
    // The position shown belongs to the previous place until this one's is known.
    Latitude = Longitude = 0.0;
    LieuGeo.reset();
    if (lieu) LieuGeo = std::make_unique<SGeoChps>(*lieu);
}

void TPageMondeLogique::ShowMapWorld() {
    ClearCurrentAddress();
    if (LieuGeo) {
        const std::string texte = hote_ ? hote_->TexteLieu(LieuGeo->IdPlace) : std::string();
        // The lieu-dit leads when there is one; a place alone is shown as it is stored.
        TextePlace = LieuGeo->LieuDit.empty() ? texte : LieuGeo->LieuDit + " ; " + texte;
        vue_.AfficheLieu(TextePlace);
        LieuTexte = texte;
        vue_.AffichePanneau(true);
        if (LieuGeo->Etat == EtatHorsTable) {
            vue_.AffichePosition("Cette adresse n'a pas encore été localisée.");
        } else {
            UpdateMapLatLong(LieuGeo->Latitude, LieuGeo->Longitude);
            if (LieuGeo->AdresseRech.empty()) {
                vue_.AjouteAdresse(TextePlace);
            } else {
                AddAddressToHistory(LieuGeo->AdresseRech, 0);
                UpdateComboAddress(0);
            }
        }
        vue_.AfficheValidation(LieuGeo->Etat == EtatValide);
    } else {
        vue_.AffichePanneau(false);
    }
    vue_.MontrePageMonde();
}

void TPageMondeLogique::FormShow() {
    if (LieuGeo) vue_.AfficheValidation(LieuGeo->Etat == EtatValide);
}

// ---------------------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------------------

void TPageMondeLogique::UpdateMapLatLong(double latitude, double longitude) {
    Latitude = latitude;
    Longitude = longitude;
    vue_.AffichePosition(TexteLatLong(latitude, longitude, SeparateurDecimal));
}

void TPageMondeLogique::Log(const std::string& ligne) {
    if (hote_) hote_->AddLog(ligne);
}

bool TPageMondeLogique::AChercherOuRelocaliser() const {
    return RelocalisationEnCours || (LieuGeo && LieuGeo->Etat == EtatHorsTable);
}

void TPageMondeLogique::LocaliseParRecherche(int etat) {
    RelocalisationEnCours = false;
    if (!LieuGeo) return; // a relocation without a place has nothing to store
    LieuGeo->Etat = etat;
    // The box shows what was searched and found.
    vue_.FixeTexteAdresse(adresseCherchee_);
    SaveLocation();
}

void TPageMondeLogique::SearchAdress(const std::string& adresse, int idPlace,
                                     const std::string& lieuDit) {
    // A place of the base without its lieu-dit: the one resolution of its parts, as the bulk
    // run and the command line read it. What it cannot tell apart is not searched as a text
    // (the map's search would take a namesake).
    if (hote_ && idPlace > 0 && lieuDit.empty())
        if (const auto r = hote_->ResoutLieu(idPlace)) {
            Log(" - Geolocalisation : " + adresse + " ; " + TexteResolution(*r));
            // The box shows what was searched, the line under it what came of it.
            adresseCherchee_ = adresse;
            texteCherche_ = adresse;
            candidats_.clear();
            vue_.FixeTexteAdresse(adresse);
            if (r->Localise()) {
                vue_.ProposeCandidats({});
                UpdateMapLatLong(r->Lieu.Latitude, r->Lieu.Longitude);
                if (vue_.CartePrete()) vue_.CentreCarte(r->Lieu.Latitude, r->Lieu.Longitude);
                vue_.ChangementPage();
                if (AChercherOuRelocaliser())
                    LocaliseParRecherche(r->Origine == Provenance::Atlas ? EtatCommunePays
                                                                         : EtatAdresseTrouvee);
                vue_.AfficheEtatRecherche(
                    std::string(r->Origine == Provenance::Atlas
                                    ? "Trouvé dans l'atlas des communes"
                                    : "Trouvé par le géocodeur hors ligne") +
                    " : « " + r->Lieu.Libelle + " »." +
                    (r->Avertissements.empty()
                         ? std::string()
                         : " Attention : " + r->Avertissements.front() + "."));
                return;
            }
            // Several places the text cannot tell apart: offered to pick from, none taken.
            if (r->Statut == TStatutResolution::Ambigu)
                for (const TCandidatResolution& c : r->Candidats)
                    candidats_.push_back({c.Latitude, c.Longitude, c.Libelle});
            vue_.ProposeCandidats(candidats_);
            const std::string texte = TexteResolution(*r);
            if (RelocalisationEnCours) vue_.Message(texte);
            vue_.AfficheEtatRecherche(
                candidats_.empty()
                    ? texte
                    : "Plusieurs lieux correspondent aussi bien à « " + adresse +
                          " » : aucun n'a été retenu, choisissez-en un dans la liste (" +
                          r->Raison + ").");
            RelocalisationEnCours = false;
            return;
        }
    double lon = 0, lat = 0;
    const std::string texte =
        hote_ ? hote_->NormalizeAddress(lon, lat, adresse, idPlace, lieuDit) : adresse;
    adresseCherchee_ = adresse;
    texteCherche_ = texte;
    candidats_.clear();
    vue_.ProposeCandidats({});
    if (lat != 0 && lon != 0 && lieuDit.empty()) {
        // The host knows the commune: no search at all. The map goes there at once, as the
        // position shown does.
        UpdateMapLatLong(lat, lon);
        if (vue_.CartePrete()) vue_.CentreCarte(lat, lon);
        vue_.ChangementPage();
        if (AChercherOuRelocaliser()) LocaliseParRecherche(EtatCommunePays);
        vue_.AfficheEtatRecherche("Trouvé dans l'atlas des communes : « " + adresse + " ».");
        Log(" - Geolocalisation via BDD : " + adresse);
    } else if (vue_.PageCourante() == TPageFenetre::Navigateur && vue_.NavigateurPresent()) {
        vue_.ChargeNavigateur(UrlCarteRecherche(adresse));
        vue_.AfficheEtatRecherche("Recherche de « " + adresse + " » sur OpenStreetMap…");
        Log(" - Geolocalisation via OpenStreetMap : " + adresse);
    } else {
        // Without a browser the map control searches, whatever the page.
        ++adressesEnAttente_;
        vue_.AfficheEtatRecherche("Recherche de « " + adresse + " »…");
        vue_.ChercheAdresseCarte(texte);
        Log(" - Geolocalisation via Geocodeur : " + adresse);
    }
}

bool TPageMondeLogique::PositionConnue() const {
    return !(Latitude == 0 && Longitude == 0) && std::isfinite(Latitude) &&
           std::isfinite(Longitude) && std::abs(Latitude) <= 90 && std::abs(Longitude) <= 180;
}

void TPageMondeLogique::SaveLocation() {
    if (!LieuGeo) return;
    LieuGeo->Latitude = Latitude;
    LieuGeo->Longitude = Longitude;
    if (OnLocalisationSauvee) OnLocalisationSauvee(LieuGeo.get());
    vue_.AfficheValidation(LieuGeo->Etat == EtatValide);
}

void TPageMondeLogique::AddAddressToHistory(const std::string& adresse, int i) {
    if (i >= 0 && static_cast<std::size_t>(i) < HistoriqueAdresses.size())
        HistoriqueAdresses[static_cast<std::size_t>(i)] = adresse;
    else
        HistoriqueAdresses.push_back(adresse);
}

void TPageMondeLogique::UpdateComboAddress(int i) {
    const int n = static_cast<int>(HistoriqueAdresses.size());
    vue_.RemplitAdresses(HistoriqueAdresses, i >= 0 && i < n ? i : -1);
}

void TPageMondeLogique::ClearCurrentAddress() {
    for (std::string& a : HistoriqueAdresses)
        a.clear();
    vue_.RemplitAdresses({}, -1);
}

std::string TPageMondeLogique::UrlNavigateur() const {
    if (LieuGeo) return UrlCarteLieu(Latitude, Longitude);
    return UrlCarteRecherche(LieuTexte);
}

// ---------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------

void TPageMondeLogique::TimerMapLoadedTimer() {
    if (!vue_.CartePrete()) {
        vue_.RelanceAttenteCarte();
        return;
    }
    if (LieuGeo) {
        // The map shows the position the page shows (and « Choisir » stores): the one found
        // or clicked since, not the one stored when the place was opened.
        if (LieuGeo->Etat == EtatHorsTable && !PositionConnue())
            SearchAdress(TextePlace, LieuGeo->IdPlace, LieuGeo->LieuDit);
        else if (PositionConnue())
            vue_.CentreCarte(Latitude, Longitude);
        return;
    }
    std::string adresse = LieuTexte;
    if (adresse.empty()) {
        const std::string ville = vue_.TexteVille1();
        if (ville.empty()) {
            vue_.RelanceAttenteCarte();
            return;
        }
        adresse = ville + " France";
    }
    SearchAdress(adresse, -1, {});
}

void TPageMondeLogique::BtSearchClick() {
    if (RelocalisationEnCours) return;
    const std::string adresse = vue_.TexteAdresse();
    // A blank address has nothing to search (and would empty the history's first slot).
    if (adresse.find_first_not_of(" \t") == std::string::npos) return;
    SearchAdress(adresse, -1, {});
    AddAddressToHistory(adresse, 0);
    UpdateComboAddress(0);
}

void TPageMondeLogique::BtRelocateClick() {
    bool avecLieuDit = true;
    if (LieuGeo && !LieuGeo->LieuDit.empty()) {
        const std::string texte = hote_ ? hote_->TexteLieu(LieuGeo->IdPlace) : std::string();
        const TReponseRelocalisation r =
            vue_.DemandeRelocalisation(QuestionRelocalisation(texte, LieuGeo->LieuDit));
        if (r.Answer != ReponseOui) return;
        avecLieuDit = r.UseLieuDit;
    }
    RelocalisationEnCours = true;
    SearchAdress(TextePlace, LieuGeo ? LieuGeo->IdPlace : -1,
                 LieuGeo && avecLieuDit ? LieuGeo->LieuDit : std::string());
}

void TPageMondeLogique::BtLocatePersoClick() {
    if (!LieuGeo) return;
    if (!PositionConnue()) {
        vue_.Message("Cliquez d'abord sur la carte à l'endroit exact du lieu.");
        return;
    }
    if (LieuGeo->Etat == EtatValide &&
        !vue_.Confirme("Ce lieu est validé. Remplacer sa position par celle choisie sur la carte "
                       "et lui retirer sa validation ?"))
        return;
    LieuGeo->Etat = EtatPlaceALaMain;
    const std::string adresse = vue_.TexteAdresse();
    if (adresse != TextePlace) LieuGeo->AdresseRech = adresse;
    SaveLocation();
}

void TPageMondeLogique::btValidateClick() {
    if (!LieuGeo) return;
    if (!PositionConnue()) {
        vue_.Message("Ce lieu n'est pas localisé : il n'y a pas de position à valider.");
        return;
    }
    LieuGeo->Etat = EtatValide;
    SaveLocation();
}

void TPageMondeLogique::WebOSMapsMapClick(double latitude, double longitude) {
    UpdateMapLatLong(latitude, longitude);
    ++lieuxEnAttente_;
    vue_.ChercheLieuCarte(latitude, longitude);
}

void TPageMondeLogique::ChoisitCandidat(std::size_t i) {
    if (i >= candidats_.size()) return;
    const TCandidatPage c = candidats_[i];
    UpdateMapLatLong(c.Latitude, c.Longitude);
    vue_.CentreCarte(c.Latitude, c.Longitude);
    vue_.FixeTexteAdresse(c.Libelle);
    vue_.AfficheEtatRecherche("« " + c.Libelle +
                              " » : cliquez sur « Choisir cette localisation » pour "
                              "l'enregistrer.");
}

void TPageMondeLogique::WebOSMapsMapResultSearchCoordinated(const std::string& adresse) {
    if (lieuxEnAttente_ > 0) --lieuxEnAttente_;
    if (lieuxPerimes_ > 0) {
        --lieuxPerimes_;
        return;
    }
    AddAddressToHistory(adresse, 1);
    UpdateComboAddress(1);
}

void TPageMondeLogique::WebOSMapsMapResultSearchAddress(double latitude, double longitude) {
    if (adressesEnAttente_ > 0) --adressesEnAttente_;
    if (adressesPerimees_ > 0) {
        --adressesPerimees_;
        return;
    }
    const std::string service = vue_.ServiceInjoignable();
    if (latitude == 0 && longitude == 0) {
        RelocalisationEnCours = false;
        candidats_ = vue_.Homonymes(texteCherche_);
        vue_.ProposeCandidats(candidats_);
        if (!candidats_.empty())
            vue_.AfficheEtatRecherche("Plusieurs lieux correspondent aussi bien à « " +
                                      adresseCherchee_ +
                                      " » : aucun n'a été retenu, choisissez-en un dans la liste.");
        else if (!service.empty())
            vue_.AfficheEtatRecherche("Le service de recherche en ligne n'a pas pu être joint (" +
                                      service + ") et rien n'a été trouvé hors ligne pour « " +
                                      adresseCherchee_ + " ».");
        else
            vue_.AfficheEtatRecherche("Aucun lieu trouvé pour « " + adresseCherchee_ +
                                      " » : la position n'a pas changé.");
        return;
    }
    const bool enLigne = vue_.ReponseEnLigne();
    vue_.AfficheEtatRecherche("Trouvé par " +
                              std::string(enLigne
                                              ? "le service de recherche en ligne (OpenStreetMap)"
                                              : "le géocodeur hors ligne") +
                              " : « " + adresseCherchee_ + " »." +
                              (!enLigne && !service.empty()
                                   ? " Le service en ligne n'a pas pu être joint (" + service + ")."
                                   : std::string()));
    vue_.CentreCarte(latitude, longitude);
    UpdateMapLatLong(latitude, longitude);
    if (AChercherOuRelocaliser()) LocaliseParRecherche(EtatAdresseTrouvee);
}

void TPageMondeLogique::UrlChange(const std::string& url) {
    double lat = 0, lon = 0;
    GetCorURL(url, lat, lon);
    if (lat != 0 && lon != 0) UpdateMapLatLong(lat, lon);
}

void TPageMondeLogique::LoadEndGoogleMap(bool /*fini*/) {
    double lat = 0, lon = 0;
    GetCorURL(vue_.AdresseNavigateur(), lat, lon);
    if (lat != 0 && lon != 0) {
        UpdateMapLatLong(lat, lon);
        if (AChercherOuRelocaliser()) LocaliseParRecherche(EtatAdresseTrouvee);
    } else {
        // A page that carries no position answers "nothing found": a relocation ends here
        // rather than blocking the search button for good.
        RelocalisationEnCours = false;
    }
}

} // namespace orlavine::geoloc
