// The online address search, only when the user turned it on (off by default): a service of
// the Nominatim kind whose address comes from the settings. It follows the service's usage
// policy: the program names itself in the User-Agent, at most one request a second for the
// whole program (geocodeur/limiteur.h), only the searches the user asks for (no completion
// while typing), and every answer kept (in the genealogy base when one is open) so that the
// same search is never sent twice. When the service cannot be reached or answers nonsense,
// the offline search answers instead and the log says why.
#pragma once

#include "host/reponse_en_ligne.h"
#include "mapview/geocodage.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QSettings;

namespace orlavine {

class ICacheTextes;
class TCacheTextesMemoire;

namespace geocodeur {
class TLimiteurDebit;
}

struct TParametresGeocodageEnLigne {
    bool Actif = false;
    QString Adresse = QStringLiteral("https://nominatim.openstreetmap.org");
    friend bool operator==(const TParametresGeocodageEnLigne&,
                           const TParametresGeocodageEnLigne&) = default;
};

// Settings keys: "GeocodageEnLigne/Actif" (false by default) and "GeocodageEnLigne/Adresse".
TParametresGeocodageEnLigne LitParametresGeocodageEnLigne(const QSettings& reglages);
void EcritParametresGeocodageEnLigne(QSettings& reglages, const TParametresGeocodageEnLigne& p);

// Shares the one-a-second turns of the online search with the program's other processes
// (the windows, the command line) through "geocodage-en-ligne.verrou" in the cache folder of
// the application ("Orlavine"). Returns an empty text, or why the turns are this process's
// only (French).
QString PartageToursGeocodageEnLigne();

class TGeocodageEnLigne final : public QObject, public IGeocodage {
    Q_OBJECT

public:
    // `horsLigne` (not owned, may be null) answers when the online search is off or fails.
    explicit TGeocodageEnLigne(IGeocodage* horsLigne, QObject* parent = nullptr);
    ~TGeocodageEnLigne() override;

    void FixeParametres(const TParametresGeocodageEnLigne& parametres);
    const TParametresGeocodageEnLigne& Parametres() const { return parametres_; }
    // Where answers are kept (not owned; null: in memory, for this run only).
    void FixeCache(ICacheTextes* cache);
    // The turns between requests (not owned; by default the program's one).
    void FixeLimiteur(geocodeur::TLimiteurDebit* limiteur) { limiteur_ = limiteur; }
    // What one answer may cost (size, idle time-out, deadline); by default the program's.
    void FixeLimites(const TLimitesReponse& limites) { limites_ = limites; }

    // Without waiting: a kept online answer, otherwise the offline search. Never the network.
    std::optional<monde::TPointGeo> ChercheAdresse(const std::string& adresse) override;
    std::string ChercheLieu(double latitude, double longitude) override;
    // The offline search's namesakes; the service's failure while it is on.
    std::vector<TCandidatCarte> Homonymes(const std::string& adresse) override {
        return horsLigne_ != nullptr ? horsLigne_->Homonymes(adresse)
                                     : std::vector<TCandidatCarte>{};
    }
    std::string ServiceInjoignable() const override {
        return parametres_.Actif ? derniereErreur_.toStdString() : std::string();
    }
    // Online when on: a kept answer at once, otherwise a request when its turn comes.
    void ChercheAdresseDiffere(const std::string& adresse, TReponseAdresse reponse) override;
    void ChercheLieuDiffere(double latitude, double longitude, TReponseLieu reponse) override;

    int RequetesEnvoyees() const { return envoyees_; }
    // Why the last online search failed (French); empty after a success.
    const QString& DerniereErreur() const { return derniereErreur_; }

signals:
    // A request left for the service (its address).
    void RequeteEnvoyee(const QString& adresse);

private:
    ICacheTextes& Cache();
    std::optional<std::string> LitCache(const std::string& requete);
    void EcritCache(const std::string& requete, const std::string& reponse);
    // Reads an answer's text for a request (raises Erreur when it cannot) and returns what to
    // do with it.
    using Lecture =
        std::function<std::function<void()>(const std::string& texte, const std::string& requete)>;
    // The sequence of both searches, when the online search is on: the request, a kept answer
    // or else the service when its turn comes, the answer kept; `horsLigne` answers when the
    // search is off or online fails.
    void Demande(const std::function<std::string()>& requeteDe, Lecture lit,
                 std::function<void()> horsLigne);
    // Sends `requete` when its turn comes; `traite` gets the answer's text, or nothing after a
    // failure (already logged).
    void Envoie(const std::string& requete, std::function<void(std::optional<std::string>)> traite);
    void Echec(const QString& message);

    IGeocodage* horsLigne_;
    TParametresGeocodageEnLigne parametres_;
    QNetworkAccessManager* reseau_;
    std::unique_ptr<TCacheTextesMemoire> memoire_;
    ICacheTextes* cache_ = nullptr;
    geocodeur::TLimiteurDebit* limiteur_;
    TLimitesReponse limites_;
    int envoyees_ = 0;
    QString derniereErreur_;
};

} // namespace orlavine
