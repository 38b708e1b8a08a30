// The world map page's logic: which position is shown, what is searched and where, what is
// stored back into the place and written to the log, and what each button does. No toolkit
// here: the window shows what it is told (IVuePageMonde) and the host answers the data
// questions (IHotePageMonde). Texts are UTF-8; positions are decimal degrees.
#pragma once

#include "geoloc/lieu_geo.h"
#include "geoloc/resolution.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine::geoloc {

// The pages of the window this logic cares about.
enum class TPageFenetre { Monde, Communes, Navigateur };

// The ask-location dialog's answers: 1 "Oui", 2 "Non", 3 "Annuler", -1 closed otherwise.
inline constexpr int ReponseAucune = -1;
inline constexpr int ReponseOui = 1;
inline constexpr int ReponseNon = 2;
inline constexpr int ReponseAnnuler = 3;

struct TReponseRelocalisation {
    int Answer = ReponseAucune;
    bool UseLieuDit = true; // the box "Ignorer le lieu-dit..." is not checked
};

// The question of the ask-location dialog for a place and its lieu-dit.
std::string QuestionRelocalisation(std::string_view texteLieu, std::string_view lieuDit);

// A position as the page's label shows it: rounded to 7 decimals, no trailing zeros, the
// given decimal separator ("48,8583701", "2", "-0,5").
std::string TexteDegres(double degres, char separateurDecimal);
// "Lat : 48,8583701 , Long : 2,2944813".
std::string TexteLatLong(double latitude, double longitude, char separateurDecimal);

// A place among namesakes the searched text does not tell apart.
struct TCandidatPage {
    double Latitude = 0;
    double Longitude = 0;
    std::string Libelle;
};

// What the page shows and what it asks of the map control and of the browser.
class IVuePageMonde {
public:
    virtual ~IVuePageMonde() = default;
    virtual void AfficheLieu(const std::string& texte) = 0;     // lbPlace
    virtual void AffichePanneau(bool visible) = 0;              // PanelSearchPlace
    virtual void AffichePosition(const std::string& texte) = 0; // LbLatLong
    // btValidate shown when not validated, LabelValidate when validated.
    virtual void AfficheValidation(bool validee) = 0;
    virtual std::string TexteAdresse() const = 0; // cbAddress's text
    virtual void FixeTexteAdresse(const std::string& texte) = 0;
    virtual void AjouteAdresse(const std::string& texte) = 0; // one more item of cbAddress
    // cbAddress cleared, then these items, item `choisi` selected (-1: none).
    virtual void RemplitAdresses(const std::vector<std::string>& entrees, int choisi) = 0;
    virtual std::string TexteVille1() const = 0; // the first town of the communes page
    virtual TPageFenetre PageCourante() const = 0;
    // Shows the world map page and runs the page change handling.
    virtual void MontrePageMonde() = 0;
    // Runs the page change handling for the current page (reloads the browser page or
    // restarts the wait for the map).
    virtual void ChangementPage() = 0;
    virtual void RelanceAttenteCarte() = 0; // TimerMapLoaded again in 2000 ms
    virtual void Message(const std::string& texte) = 0;

    // The map control.
    virtual bool CartePrete() const = 0;
    virtual void CentreCarte(double latitude, double longitude) = 0;
    virtual void ChercheAdresseCarte(const std::string& texte) = 0;       // answer: ResultatAdresse
    virtual void ChercheLieuCarte(double latitude, double longitude) = 0; // answer: ResultatLieu

    // The browser (absent in builds without a browser engine).
    virtual bool NavigateurPresent() const = 0;
    virtual void ChargeNavigateur(const std::string& url) = 0;
    virtual std::string AdresseNavigateur() const = 0; // the address shown now

    // The ask-location dialog, shown modally.
    virtual TReponseRelocalisation DemandeRelocalisation(const std::string& question) = 0;
    // A yes/no question whose safe answer is no (the default button): true for yes. Views
    // that cannot ask answer no.
    virtual bool Confirme(const std::string& /*question*/) { return false; }
    // What the last search gave, said under the address ("Trouvé par …", "Aucun lieu
    // trouvé …"); empty: nothing to say.
    virtual void AfficheEtatRecherche(const std::string& /*texte*/) {}
    // The last answer of the map's search came from the online service.
    virtual bool ReponseEnLigne() const { return false; }
    // The namesakes the map's search found equally good for a text it answered nothing to.
    virtual std::vector<TCandidatPage> Homonymes(const std::string& /*texte*/) { return {}; }
    // Why the online service could not answer (French); empty: it answered or is off.
    virtual std::string ServiceInjoignable() const { return {}; }
    // The namesakes to pick from (empty: the list goes).
    virtual void ProposeCandidats(const std::vector<TCandidatPage>& /*candidats*/) {}
};

// What the page needs of the host's data.
class IHotePageMonde {
public:
    virtual ~IHotePageMonde() = default;
    // The display text of a place of the database; empty for an unknown id.
    virtual std::string TexteLieu(int idPlace) const = 0;
    // The search text of an address or of a place (idPlace -1: the address as typed), and the
    // commune's position when the host knows it (longitude first; left at 0 otherwise).
    virtual std::string NormalizeAddress(double& longitude, double& latitude,
                                         std::string_view adresse, int idPlace,
                                         std::string_view lieuDit) const = 0;
    // One line of the host's log.
    virtual void AddLog(const std::string& ligne) = 0;
    // The resolution of place idPlace from its stored parts, as the bulk run resolves it;
    // nothing when the host has no resolution (the page then searches the text).
    virtual std::optional<TResolution> ResoutLieu(int /*idPlace*/) const { return std::nullopt; }
};

class TPageMondeLogique {
public:
    TPageMondeLogique(IVuePageMonde& vue, IHotePageMonde* hote) : vue_(vue), hote_(hote) {}

    // The window's own copy of the place being located (null: none).
    std::unique_ptr<SGeoChps> LieuGeo;
    double Latitude = 0.0;
    double Longitude = 0.0;
    bool RelocalisationEnCours = false;
    // Slot 0: the place's address or the last one searched; slot 1: the address found for
    // the last clicked point.
    std::vector<std::string> HistoriqueAdresses{std::string(), std::string()};
    // The text of the place the window was opened for.
    std::string LieuTexte;
    // lbPlace's caption: the place as stored.
    std::string TextePlace;
    // Decimal separator of the position label (the user's locale).
    char SeparateurDecimal = ',';
    // Called with LieuGeo each time the place is saved (the host stores it).
    std::function<void(SGeoChps*)> OnLocalisationSauvee;

    void FixeHote(IHotePageMonde* hote) { hote_ = hote; }

    // ---- Entry points ----
    void SetSGeoChps(const SGeoChps* lieu);
    void ShowMapWorld();
    // The window is shown: the validation state of the place.
    void FormShow();

    // ---- Operations ----
    void UpdateMapLatLong(double latitude, double longitude);
    void SearchAdress(const std::string& adresse, int idPlace, const std::string& lieuDit);
    void SaveLocation();
    void ClearCurrentAddress();
    void UpdateComboAddress(int i);
    void AddAddressToHistory(const std::string& adresse, int i);
    // The browser page's address: the current position, or LieuTexte without a place.
    std::string UrlNavigateur() const;

    // ---- Events ----
    void TimerMapLoadedTimer();
    void BtSearchClick();
    void BtRelocateClick();
    void BtLocatePersoClick();
    void btValidateClick();
    void WebOSMapsMapClick(double latitude, double longitude);
    // One of the namesakes proposed was picked: the map and the position go there, to be
    // stored by « Choisir cette localisation ».
    void ChoisitCandidat(std::size_t i);
    void WebOSMapsMapResultSearchCoordinated(const std::string& adresse);
    void WebOSMapsMapResultSearchAddress(double latitude, double longitude);
    void UrlChange(const std::string& url);
    void LoadEndGoogleMap(bool fini);

private:
    bool AChercherOuRelocaliser() const;
    // An answer of a search located the place: state, address cleared, saved.
    void LocaliseParRecherche(int etat);
    bool PositionConnue() const;
    void Log(const std::string& ligne);

    IVuePageMonde& vue_;
    IHotePageMonde* hote_;
    std::string adresseCherchee_; // the text of the last search, as the user wrote it
    std::string texteCherche_;    // the same as the map's search received it
    std::vector<TCandidatPage> candidats_;
    // The map answers in the order it was asked. Answers still due when another place is
    // set belong to the previous place and are dropped, never stored on the new one.
    int adressesEnAttente_ = 0, adressesPerimees_ = 0;
    int lieuxEnAttente_ = 0, lieuxPerimes_ = 0;
};

} // namespace orlavine::geoloc
