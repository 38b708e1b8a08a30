#include "mapview/web_osmaps.h"

#include "host/erreur.h"
#include "mapview/geocodage.h"
#include "mapview/graphique_vectoriel.h"
#include "mapview/icones.h"
#include "mapview/surface_qt.h"
#include "mapview/tuiles.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <map>
#include <mutex>

namespace orlavine {

namespace {

constexpr int SeuilGlissement = 4;    // pixels a press may move and still be a click
constexpr double FacteurBouton = 2.0; // zoom of the + and - buttons
constexpr double EchelleDefaut = 1e6; // 1:1 000 000

bool CoordonneesValides(double lat, double lon) {
    return std::isfinite(lat) && std::isfinite(lon) && lat >= -90.0 && lat <= 90.0 &&
           lon >= -180.0 && lon <= 180.0;
}

} // namespace

std::shared_ptr<const monde::TDonneesMonde>
DonneesMondePartagees(const std::filesystem::path& chemin) {
    static std::mutex verrou;
    static std::map<std::filesystem::path, std::weak_ptr<const monde::TDonneesMonde>> cache;
    const std::lock_guard garde(verrou);
    if (auto d = cache[chemin].lock()) return d;
    auto d = std::make_shared<const monde::TDonneesMonde>(monde::ChargeDonneesMonde(chemin));
    cache[chemin] = d;
    return d;
}

TWebOSMaps::TWebOSMaps(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::WheelFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    vue_.Centre = {LatitudeDefaut, LongitudeDefaut};
    vue_.Largeur = std::max(1, width());
    vue_.Hauteur = std::max(1, height());
    vue_.FixeDenominateurEchelle(EchelleDefaut);
    carte_ = std::make_unique<monde::TCarteMonde>(nullptr, nullptr);

    plus_ = new QToolButton(this);
    plus_->setText(QStringLiteral("+"));
    plus_->setToolTip(QStringLiteral("Zoom avant"));
    moins_ = new QToolButton(this);
    moins_->setText(QStringLiteral("\u2212"));
    moins_->setToolTip(QStringLiteral("Zoom arri\u00E8re"));
    for (QToolButton* b : {plus_, moins_}) {
        b->setFixedSize(28, 28);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(plus_, &QToolButton::clicked, this,
            [this] { ZoomeAutour(FacteurBouton, vue_.Largeur / 2.0, vue_.Hauteur / 2.0); });
    connect(moins_, &QToolButton::clicked, this,
            [this] { ZoomeAutour(1.0 / FacteurBouton, vue_.Largeur / 2.0, vue_.Hauteur / 2.0); });
    enregistrer_ = new QToolButton(this);
    enregistrer_->setIcon(IconeCarte(8)); // the map window's own « Enregistrer » image
    enregistrer_->setToolTip(QStringLiteral("Enregistrer la carte…"));
    enregistrer_->setFixedSize(28, 28);
    enregistrer_->setFocusPolicy(Qt::NoFocus);
    enregistrer_->hide();
    connect(enregistrer_, &QToolButton::clicked, this, &TWebOSMaps::EnregistrerCarte);
    DemandeFichierCarte = [this](const QString& propose) {
        QFileDialog dialogue(this, QStringLiteral("Enregistrer la carte"), propose);
        dialogue.setAcceptMode(QFileDialog::AcceptSave);
        dialogue.setFileMode(QFileDialog::AnyFile);
        const QStringList filtres = {QStringLiteral("Image PNG (*.png)"),
                                     QStringLiteral("Image vectorielle SVG (*.svg)"),
                                     QStringLiteral("Document PDF (*.pdf)")};
        const QStringList suffixes = {QStringLiteral("png"), QStringLiteral("svg"),
                                      QStringLiteral("pdf")};
        dialogue.setNameFilters(filtres);
        const qsizetype choisi =
            std::max<qsizetype>(0, suffixes.indexOf(QFileInfo(propose).suffix().toLower()));
        dialogue.selectNameFilter(filtres[choisi]);
        dialogue.setDefaultSuffix(suffixes[choisi]);
        // A name typed without extension takes the chosen type's; a typed one decides.
        connect(&dialogue, &QFileDialog::filterSelected, &dialogue,
                [&dialogue, &filtres, &suffixes](const QString& filtre) {
                    const qsizetype i = filtres.indexOf(filtre);
                    if (i >= 0) dialogue.setDefaultSuffix(suffixes[i]);
                });
        if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty())
            return QString();
        return dialogue.selectedFiles().constFirst();
    };
    PlaceBoutons();
    tuiles_ = new TCoucheTuiles(this);
    connect(tuiles_, &TCoucheTuiles::TuileArrivee, this, qOverload<>(&QWidget::update));
}

TWebOSMaps::~TWebOSMaps() = default;

void TWebOSMaps::FixeParametresTuiles(const TParametresTuiles& parametres) {
    tuiles_->FixeParametres(parametres);
    update();
}

void TWebOSMaps::Launch() {
    if (chargementLance_) return;
    chargementLance_ = true;
    QTimer::singleShot(0, this, [this] { Charge(); });
}

void TWebOSMaps::Charge() {
    erreur_.clear();
    try {
        if (fichierMonde_.empty())
            throw monde::ErreurMonde(
                "Fichier \"monde.bin\" non existant ou d\xC3\xA9plac\xC3\xA9!");
        donnees_ = DonneesMondePartagees(fichierMonde_);
    } catch (const orlavine::Erreur& e) {
        donnees_.reset();
        erreur_ = QString::fromUtf8(e.what());
        qWarning().noquote() << "Carte du monde :" << erreur_;
    }
    NouvelleCarte();
    pret_ = true;
    update();
}

void TWebOSMaps::ArcGisMapCenterAt(double latitude, double longitude) {
    if (!CoordonneesValides(latitude, longitude)) return;
    vue_.Centre = {latitude, longitude};
    vue_.Borne();
    options_.Marqueur = true;
    options_.PositionMarqueur = {latitude, longitude};
    update();
}

void TWebOSMaps::ArcGisMapSearchAdress(const QString& adresse) {
    const std::string texte = adresse.trimmed().toStdString();
    const quint64 numero = adresses_.Demandees++;
    QTimer::singleShot(0, this, [this, texte, numero] {
        if (geocodage_ == nullptr || texte.empty())
            return RepondAdresse(numero, std::nullopt, false);
        const QPointer<TWebOSMaps> carte(this);
        try {
            // An online search answers later, when the service has answered.
            geocodage_->ChercheAdresseDiffere(
                texte, [carte, numero](std::optional<monde::TPointGeo> p, bool enLigne) {
                    if (carte) carte->RepondAdresse(numero, p, enLigne);
                });
        } catch (const std::exception& e) {
            qWarning().noquote() << "Recherche d'adresse :" << QString::fromUtf8(e.what());
            RepondAdresse(numero, std::nullopt, false);
        }
    });
}

void TWebOSMaps::RepondAdresse(quint64 numero, std::optional<monde::TPointGeo> p, bool enLigne) {
    adresses_.Pretes[numero] = [this, p, enLigne] {
        double lat = 0.0, lon = 0.0;
        if (p && CoordonneesValides(p->Latitude, p->Longitude)) {
            lat = p->Latitude;
            lon = p->Longitude;
            FixeCreditEnLigne(enLigne);
        }
        emit OnMapResultSearchAddress(this, lat, lon, 0, 0);
    };
    adresses_.Emet();
}

void TWebOSMaps::ArcGisMapGetAddress(double latitude, double longitude) {
    const quint64 numero = lieux_.Demandees++;
    QTimer::singleShot(0, this, [this, latitude, longitude, numero] {
        if (geocodage_ == nullptr || !CoordonneesValides(latitude, longitude))
            return RepondLieu(numero, std::string(), false);
        const QPointer<TWebOSMaps> carte(this);
        try {
            geocodage_->ChercheLieuDiffere(latitude, longitude,
                                           [carte, numero](std::string texte, bool enLigne) {
                                               if (carte) carte->RepondLieu(numero, texte, enLigne);
                                           });
        } catch (const std::exception& e) {
            qWarning().noquote() << "Recherche de lieu :" << QString::fromUtf8(e.what());
            RepondLieu(numero, std::string(), false);
        }
    });
}

void TWebOSMaps::RepondLieu(quint64 numero, const std::string& texte, bool enLigne) {
    lieux_.Pretes[numero] = [this, texte, enLigne] {
        if (!texte.empty()) FixeCreditEnLigne(enLigne);
        emit OnMapResultSearchCoordinated(this, QString::fromStdString(texte));
    };
    lieux_.Emet();
}

void TWebOSMaps::TFileReponses::Emet() {
    // A slot may ask again while answers leave: those answer later, through the event loop.
    while (!Pretes.empty() && Pretes.begin()->first == Emises) {
        const auto emission = std::move(Pretes.begin()->second);
        Pretes.erase(Pretes.begin());
        ++Emises;
        emission();
    }
}

void TWebOSMaps::FixeCreditEnLigne(bool enLigne) {
    if (creditEnLigne_ == enLigne) return;
    creditEnLigne_ = enLigne;
    update();
}

void TWebOSMaps::Refresh() {
    if (pret_ && !erreur_.isEmpty()) QTimer::singleShot(0, this, [this] { Charge(); });
    update();
}

void TWebOSMaps::FixeAtlas(const TCarteFrance* atlas) {
    atlas_ = atlas;
    if (pret_) NouvelleCarte();
    update();
}

void TWebOSMaps::FixeVilles(std::shared_ptr<const monde::TVillesMonde> villes) {
    villes_ = std::move(villes);
    carte_->FixeVilles(villes_.get());
    update();
}

void TWebOSMaps::NouvelleCarte() {
    carte_ = std::make_unique<monde::TCarteMonde>(donnees_.get(), atlas_);
    carte_->FixeVilles(villes_.get());
}

void TWebOSMaps::SynchroniseTaille() {
    vue_.Largeur = std::max(1, width());
    vue_.Hauteur = std::max(1, height());
}

void TWebOSMaps::FixeEchelle(double denominateur) {
    SynchroniseTaille();
    if (!(denominateur > 0.0) || !std::isfinite(denominateur)) return;
    vue_.FixeDenominateurEchelle(denominateur);
    update();
}

void TWebOSMaps::Englobe(double sud, double ouest, double nord, double est) {
    SynchroniseTaille();
    vue_ = monde::VueEnglobante(sud, ouest, nord, est, vue_.Largeur, vue_.Hauteur);
    update();
}

void TWebOSMaps::ZoomeAutour(double facteur, double x, double y) {
    SynchroniseTaille();
    vue_.ZoomeAutour(facteur, x, y);
    update();
}

void TWebOSMaps::DessineSur(QPainter& painter, int largeur, int hauteur) {
    monde::TVueMonde v = vue_;
    v.Largeur = std::max(1, largeur);
    v.Hauteur = std::max(1, hauteur);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (!tuiles_->Active()) {
        // The answer shown came from the online search: its data is OpenStreetMap's.
        monde::TOptionsDessinMonde options = options_;
        if (creditEnLigne_) options.AttributionEnLigne = AttributionTuiles;
        TSurfaceQt surface(painter, PoliceCarteDefaut());
        bilan_ = carte_->Dessine(surface, v, options);
    } else {
        // The offline map beneath shows wherever a tile has not come yet. Once every tile of
        // the view is at hand, they carry their own place names and the communes are left
        // out; until then (a server that cannot be reached, a refused tile) the offline names
        // and dots stay drawn, hidden only where a tile lands on them.
        monde::TOptionsDessinMonde options = options_;
        options.Communes = !tuiles_->Couvre(v);
        options.AttributionEnLigne = AttributionTuiles;
        {
            TSurfaceQt fond(painter, PoliceCarteDefaut());
            bilan_ = carte_->DessineFond(fond, v, options);
        }
        tuiles_->Dessine(painter, v);
        TSurfaceQt surcouches(painter, PoliceCarteDefaut());
        carte_->DessineSurcouches(surcouches, v, options, bilan_);
    }
    // The pointer's position, top right.
    if (const QString position = sansPointeur_ ? QString() : TextePositionSouris();
        !position.isEmpty()) {
        const QFontMetrics m(PoliceCarteDefaut(), painter.device());
        const QRect cadre(v.Largeur - m.horizontalAdvance(position) - 18, 6,
                          m.horizontalAdvance(position) + 12, m.height() + 4);
        painter.setFont(PoliceCarteDefaut());
        painter.fillRect(cadre, QColor(255, 255, 255, 220));
        painter.setPen(Qt::black);
        painter.drawText(cadre, Qt::AlignCenter, position);
    }
    if (!erreur_.isEmpty()) {
        painter.setPen(QColor(160, 0, 0));
        painter.drawText(QRect(44, 8, v.Largeur - 52, 60), Qt::TextWordWrap, erreur_);
    }
}

void TWebOSMaps::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DessineSur(painter, width(), height());
}

void TWebOSMaps::resizeEvent(QResizeEvent*) {
    SynchroniseTaille();
    PlaceBoutons();
}

void TWebOSMaps::PlaceBoutons() {
    plus_->move(8, 8);
    moins_->move(8, 8 + plus_->height() + 2);
    enregistrer_->move(8, moins_->y() + moins_->height() + 8);
}

void TWebOSMaps::OffreEnregistrement(bool offre) {
    enregistrer_->setVisible(offre);
}

void TWebOSMaps::EnregistreCarte(const QString& chemin) {
    const std::string nom = chemin.toStdString();
    FormatGraphique format = FormatGraphique::Png;
    if (!FormatParExtension(chemin, format) || format == FormatGraphique::Bmp)
        throw orlavine::Erreur(nom, 0, "le nom doit finir par .png, .svg ou .pdf.");
    const QSize taille(vue_.Largeur, vue_.Hauteur);
    // Fonts given in points take the screen's size, in the picture as in the drawings.
    const int ppp = logicalDpiX() > 0 ? logicalDpiX() : 96;
    struct SansPointeur {
        explicit SansPointeur(bool& b) : b_(b) { b_ = true; }
        ~SansPointeur() { b_ = false; }
        bool& b_;
    } sansPointeur(sansPointeur_);
    EcritGraphique(
        chemin, taille, QStringLiteral("Carte du monde"),
        [this, taille](QPainter& painter) {
            painter.setClipRect(QRect(QPoint(0, 0), taille));
            DessineSur(painter, taille.width(), taille.height());
        },
        ppp);
}

void TWebOSMaps::EnregistrerCarte() {
    if (dernierEnregistrement_.isEmpty())
        dernierEnregistrement_ = QDir::home().filePath(QStringLiteral("carte.png"));
    const QString chemin =
        DemandeFichierCarte ? DemandeFichierCarte(dernierEnregistrement_) : QString();
    if (chemin.isEmpty()) return;
    dernierEnregistrement_ = chemin;
    try {
        EnregistreCarte(chemin);
    } catch (const orlavine::Erreur& e) {
        QMessageBox::warning(this, QStringLiteral("Enregistrement de la carte"),
                             QStringLiteral("La carte n'a pas été enregistrée :\n\n") +
                                 QString::fromUtf8(e.what()));
    }
}

void TWebOSMaps::wheelEvent(QWheelEvent* event) {
    const double crans = event->angleDelta().y() / 120.0;
    if (crans == 0.0) return;
    const QPointF p = event->position();
    ZoomeAutour(std::pow(2.0, crans), p.x(), p.y());
    event->accept();
}

void TWebOSMaps::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    bouton_ = true;
    glisse_ = false;
    appui_ = dernier_ = event->position().toPoint();
}

QString TWebOSMaps::TextePositionSouris() const {
    if (!souris_) return {};
    // Written the French way, as every position on screen.
    return QStringLiteral("Lat : %1 , Long : %2")
        .arg(QString::number(souris_->Latitude, 'f', 5).replace(QLatin1Char('.'), QLatin1Char(',')),
             QString::number(souris_->Longitude, 'f', 5)
                 .replace(QLatin1Char('.'), QLatin1Char(',')));
}

void TWebOSMaps::leaveEvent(QEvent*) {
    souris_.reset();
    update();
}

void TWebOSMaps::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    souris_ = vue_.VersGeo(p.x(), p.y());
    if (!bouton_) {
        update(QRect(width() - 260, 0, 260, 40));
        return;
    }
    if (!glisse_ && (p - appui_).manhattanLength() < SeuilGlissement) return;
    if (!glisse_) setCursor(Qt::ClosedHandCursor);
    glisse_ = true;
    vue_.Deplace(p.x() - dernier_.x(), p.y() - dernier_.y());
    dernier_ = p;
    update();
}

void TWebOSMaps::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !bouton_) return;
    bouton_ = false;
    if (glisse_) {
        glisse_ = false;
        unsetCursor();
        return;
    }
    // A click: the marker goes there and the owner hears of it, after this handler.
    const QPoint p = event->position().toPoint();
    const monde::TPointGeo g = vue_.VersGeo(p.x(), p.y());
    if (!CoordonneesValides(g.Latitude, g.Longitude)) return;
    options_.Marqueur = true;
    options_.PositionMarqueur = g;
    update();
    emit OnMapClick(this, g.Latitude, g.Longitude, p.x(), p.y());
}

void TWebOSMaps::keyPressEvent(QKeyEvent* event) {
    const double pas = 100.0;
    switch (event->key()) {
    case Qt::Key_Plus:
        ZoomeAutour(FacteurBouton, vue_.Largeur / 2.0, vue_.Hauteur / 2.0);
        break;
    case Qt::Key_Minus:
        ZoomeAutour(1.0 / FacteurBouton, vue_.Largeur / 2.0, vue_.Hauteur / 2.0);
        break;
    case Qt::Key_Left:
        vue_.Deplace(pas, 0);
        update();
        break;
    case Qt::Key_Right:
        vue_.Deplace(-pas, 0);
        update();
        break;
    case Qt::Key_Up:
        vue_.Deplace(0, pas);
        update();
        break;
    case Qt::Key_Down:
        vue_.Deplace(0, -pas);
        update();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace orlavine
