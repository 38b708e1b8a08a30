// The online map under the world map: raster tiles of the OpenStreetMap kind, only when the
// user turned it on (off by default; the offline map is always drawn beneath and shows where
// a tile is missing).
//
// It follows the tile servers' usage policy: the program names itself in the User-Agent,
// the tile address comes from the settings, tiles are kept in a disk cache that honours the
// server's expiry (HTTP freshness and revalidation), only the tiles of the view on screen
// are asked for (nothing in advance, nothing for later offline use), at most two at a time,
// and the map credits OpenStreetMap's contributors while tiles are shown.
#pragma once

#include "host/reponse_en_ligne.h"
#include "monde/projection.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;
class QPainter;
class QSettings;

namespace orlavine {

struct TParametresTuiles {
    bool Actif = false;
    // {z}, {x} and {y} are replaced by the tile's zoom level, column and row.
    QString Adresse = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    QString DossierCache; // empty: tiles kept in memory only
    qint64 TailleCacheOctets = 256LL * 1024 * 1024;
    // A tile is a few tens of kilobytes: one beyond 2 MiB is refused, and never cached.
    TLimitesReponse Limites{std::size_t{2} << 20};
    friend bool operator==(const TParametresTuiles&, const TParametresTuiles&) = default;
};

// Settings keys: "CarteEnLigne/Actif" (false by default) and "CarteEnLigne/AdresseTuiles".
TParametresTuiles LitParametresTuiles(const QSettings& reglages, const QString& dossierCache);
void EcritParametresTuiles(QSettings& reglages, const TParametresTuiles& parametres);

// "Orlavine/<version>", sent with every request.
QString UserAgentOrlavine();
// The credit shown with the tiles (Windows-1252 for the drawing surface).
inline constexpr const char* AttributionTuiles = "\xA9 les contributeurs d'OpenStreetMap";

// One tile of the Web Mercator pyramid: 2^z x 2^z tiles of 256 pixels.
struct TTuile {
    int Z = 0, X = 0, Y = 0;
    friend bool operator==(const TTuile&, const TTuile&) = default;
};
// The pyramid level whose tiles come closest to 256 pixels at the view's scale (0 to 19).
int NiveauTuiles(const monde::TVueMonde& vue);
// The tiles that cover the view at that level, rows within the pyramid, columns wrapped.
QList<TTuile> TuilesVisibles(const monde::TVueMonde& vue);

class TCoucheTuiles : public QObject {
    Q_OBJECT

public:
    explicit TCoucheTuiles(QObject* parent = nullptr);
    ~TCoucheTuiles() override;

    void FixeParametres(const TParametresTuiles& parametres);
    const TParametresTuiles& Parametres() const { return parametres_; }
    bool Active() const { return parametres_.Actif; }

    // Paints the view's tiles that are at hand and asks for the missing ones; asks for
    // nothing when the layer is off. True when at least one tile was painted.
    bool Dessine(QPainter& painter, const monde::TVueMonde& vue);
    // Every tile of the view is at hand: the tiles hide the whole offline map. False while
    // one is missing, refused or the server cannot be reached.
    bool Couvre(const monde::TVueMonde& vue) const;

    int RequetesEnvoyees() const { return envoyees_; }
    int EnAttente() const { return static_cast<int>(attente_.size() + enCours_.size()); }

signals:
    // A tile came in: the map should be painted again.
    void TuileArrivee();

private:
    static QString Cle(const TTuile& t);
    void Demande(const TTuile& t);
    void Envoie();
    void Recu(QNetworkReply* reponse, const QString& cle);

    TParametresTuiles parametres_;
    QNetworkAccessManager* reseau_ = nullptr;
    QCache<QString, QImage> memoire_;
    QSet<QString> enCours_;
    QList<TTuile> attente_; // the current view's missing tiles, not yet sent
    QSet<QString> echecs_;  // refused or unreadable: not asked again until the settings change
    int envoyees_ = 0;
    static constexpr int EnCoursMax = 2;
};

} // namespace orlavine
