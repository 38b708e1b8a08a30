#include "mapview/frm_france.h"

#include "atlas/carte_france.h"
#include "host/chaines.h"
#include "host/courriel.h"
#include "host/erreur.h"
#include "mapview/ansi_qt.h"
#include "mapview/frm_pref_carte.h"
#include "mapview/graphique_vectoriel.h"
#include "mapview/icones.h"
#include "mapview/surface_qt.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace orlavine {

namespace {

QString T(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Rounded n * ppp / 96, halves away from zero.
int S(int n, int ppp) {
    const long long p = static_cast<long long>(n) * ppp;
    return static_cast<int>(p >= 0 ? (p + 48) / 96 : -((-p + 48) / 96));
}

constexpr int LargeurLegende = 150;
constexpr int HauteurLegende = 120;
constexpr int MargeLegende = 5;

} // namespace

TRect RectImpression(int w, int h, int pw, int ph) {
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return TRect{};
    // The scale that fills the width, unless the picture would then overflow the height.
    const double s = std::min(static_cast<double>(pw) / w, static_cast<double>(ph) / h);
    const int largeur = std::clamp(static_cast<int>(std::lround(w * s)), 1, pw);
    const int hauteur = std::clamp(static_cast<int>(std::lround(h * s)), 1, ph);
    const int gauche = (pw - largeur) / 2;
    const int haut = (ph - hauteur) / 2;
    return TRect{gauche, haut, gauche + largeur, haut + hauteur};
}

TFrmFrance::TFrmFrance(QWidget* owner, TCarteFrance* carte)
    : TFrmZoom(owner), Carte(carte), police_(PoliceCarteDefaut()) {
    setObjectName(QStringLiteral("FrmFrance"));
    resize(496, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);
    setFont(police_);

    TimerAffichageVille = new QTimer(this);
    TimerAffichageVille->setInterval(200);
    connect(TimerAffichageVille, &QTimer::timeout, this, &TFrmFrance::TimerAffichageVilleTimer);
    TimerZoom = new QTimer(this);
    TimerZoom->setInterval(40);
    connect(TimerZoom, &QTimer::timeout, this, &TFrmFrance::TimerZoomTimer);

    ConstruitActions();
    PointLegende = TPoint{};
    ZoomTo(1.2, nullptr, false);
}

TFrmFrance::~TFrmFrance() = default;

void TFrmFrance::ConstruitActions() {
    auto action = [this](const char* texte, const char* bulle, int image) {
        auto* a = new QAction(IconeCarte(image), T(texte), this);
        if (bulle[0] != '\0') {
            a->setToolTip(T(bulle));
            a->setStatusTip(T(bulle));
        }
        addAction(a);
        return a;
    };
    ActionZoomPlus = action("Grossir", "Grossissement centré sur la ville sélectionnée", 0);
    ActionZoomMoins = action("Réduire", "Réduction centrée sur la ville sélectionnée", 1);
    ActionZoomCarteEntiere =
        action("Afficher la carte de France en entier", "Affiche la carte de France en entier", 2);
    ActionZoomVille = action("Zoom sur la ville", "Zoom automatique sur la ville", 3);
    ActionCopierPressePapier = action("Copier dans le presse-papier le graphique",
                                      "Copie le graphique dans le presse-papiers", 6);
    ActionAfficherDisque =
        action("Afficher les disques de couleurs", "Affiche les disques de couleurs", 5);
    ActionAfficherDisque->setCheckable(true);
    ActionAfficherDisque->setChecked(true);
    ActionAfficherCommunesVoisines =
        action("Afficher les communes voisines", "Affiche les proches communes voisines", 10);
    ActionAfficherCommunesVoisines->setCheckable(true);
    ActionEnvoyerMail =
        action("Graphique des communes", "Prépare un courriel avec le graphique", 7);
    ActionEnregistrerGraphique = action("Enregistrer dans un fichier le graphique", "", 8);
    ActionImprimerGraphique = action("Imprimer le graphique", "", 9);

    ActionZoomPlus->setShortcuts(
        {QKeySequence(Qt::Key_F9),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
    ActionZoomMoins->setShortcuts(
        {QKeySequence(Qt::Key_F10),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});

    connect(ActionZoomPlus, &QAction::triggered, this, &TFrmFrance::ActionZoomPlusExecute);
    connect(ActionZoomMoins, &QAction::triggered, this, &TFrmFrance::ActionZoomMoinsExecute);
    connect(ActionZoomCarteEntiere, &QAction::triggered, this,
            &TFrmFrance::ActionZoomCarteEntiereExecute);
    connect(ActionZoomVille, &QAction::triggered, this, &TFrmFrance::ActionZoomVilleExecute);
    connect(ActionCopierPressePapier, &QAction::triggered, this,
            &TFrmFrance::ActionCopierPressePapierExecute);
    connect(ActionAfficherDisque, &QAction::triggered, this,
            &TFrmFrance::ActionAfficherDisqueExecute);
    connect(ActionAfficherCommunesVoisines, &QAction::triggered, this,
            &TFrmFrance::ActionAfficherCommunesVoisinesExecute);
    connect(ActionEnvoyerMail, &QAction::triggered, this, &TFrmFrance::ActionEnvoyerMailExecute);
    connect(ActionEnregistrerGraphique, &QAction::triggered, this,
            &TFrmFrance::ActionEnregistrerGraphiqueExecute);
    connect(ActionImprimerGraphique, &QAction::triggered, this,
            &TFrmFrance::ActionImprimerGraphiqueExecute);

    TBToolbar1 = new QToolBar(T("Carte"), this);
    TBToolbar1->setObjectName(QStringLiteral("TBToolbar1"));
    TBToolbar1->setFloatable(false);
    TBToolbar1->setMovable(false);
    TBToolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    TBToolbar1->addAction(ActionZoomMoins);
    TBToolbar1->addAction(ActionZoomPlus);
    TBToolbar1->addAction(ActionZoomCarteEntiere);
    TBToolbar1->addAction(ActionZoomVille);
    TBToolbar1->addSeparator();
    TBToolbar1->addAction(ActionAfficherDisque);
    TBToolbar1->addAction(ActionAfficherCommunesVoisines);
    TBToolbar1->addAction(ActionCopierPressePapier);
    TBToolbar1->addAction(ActionEnvoyerMail);
    TBToolbar1->addAction(ActionEnregistrerGraphique);
    TBToolbar1->addAction(ActionImprimerGraphique);
    // The mail item has its own caption on the toolbar.
    if (auto* bouton = qobject_cast<QToolButton*>(TBToolbar1->widgetForAction(ActionEnvoyerMail)))
        bouton->setText(T("Envoyer le graphique par mail "));
    // Until the search window takes it, the toolbar sits over the map's top edge.
    TBToolbar1->hide();
}

TFrmPrefCarte* TFrmFrance::Preferences() const {
    return preferences_ != nullptr ? preferences_ : FrmPrefCarte;
}

int TFrmFrance::Ppp() const {
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

int TFrmFrance::PositionLegende() const {
    if (const TFrmPrefCarte* p = Preferences()) return p->GetPositionLegende();
    if (Carte != nullptr && Carte->Preferences != nullptr)
        return CoinLegende(Carte->Preferences->PositionLegende);
    return 0;
}

void TFrmFrance::ZoomTo(double zoom, const TPoint* centre, bool flag) {
    emit OnZoom(nullptr);
    TPoint choisi{};
    const TPoint* c = centre;
    if (Carte != nullptr) {
        TSurfaceQt mesure(police_, viewport(), Ppp());
        Carte->ProjeteCarte(mesure, zoom);
        RectImage = Carte->RectCarte;
        if (c == nullptr) {
            choisi = flag ? Carte->CentreCommunesClignotantes()
                          : Carte->PositionCommuneAffichee(Carte->IndexCommuneCentree);
            c = &choisi;
        }
    }
    TopsAnimation = 0;
    TFrmZoom::ZoomTo(zoom, c, true);
}

void TFrmFrance::CentragePtEcran(TPoint p) {
    ZoomTo(Zoom, &p, false);
}

void TFrmFrance::DemarreAnimation() {
    if (!TimerAffichageVille->isActive()) TimerAffichageVille->start();
}

void TFrmFrance::MajCommunesAffichees() {
    if (Carte == nullptr) return;
    TSurfaceQt mesure(police_, viewport(), Ppp());
    Carte->PlaceCommunesAffichees(mesure);
}

void TFrmFrance::FctInvalidate(const TRect& r) {
    const TRect c = ChgtRepAbsEcran(r) - ScrollPos();
    viewport()->update(QRect(c.left, c.top, c.Largeur(), c.Hauteur()));
}

void TFrmFrance::MajToucheCtrl(Qt::KeyboardModifiers modificateurs) {
    ToucheCtrl = modificateurs.testFlag(Qt::ControlModifier);
    viewport()->setCursor(ToucheCtrl ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TFrmFrance::CalculPositionLegende() {
    const int ppp = Ppp();
    switch (PositionLegende()) {
    case 5:
        PointLegende = TPoint{LargeurUtile - S(MargeLegende, ppp) - S(LargeurLegende, ppp),
                              HauteurUtile - S(MargeLegende, ppp) - S(HauteurLegende, ppp)};
        break;
    case 6:
        PointLegende = TPoint{LargeurUtile - S(MargeLegende, ppp) - S(LargeurLegende, ppp),
                              S(MargeLegende, ppp)};
        break;
    case 7:
        PointLegende = TPoint{S(MargeLegende, ppp),
                              HauteurUtile - S(MargeLegende, ppp) - S(HauteurLegende, ppp)};
        break;
    case 8:
        PointLegende = TPoint{S(MargeLegende, ppp), S(MargeLegende, ppp)};
        break;
    default:
        PointLegende = TPoint{};
        break;
    }
}

void TFrmFrance::DessineLegende(ISurfaceDessin& surface) {
    if (Carte == nullptr || PositionLegende() == 0) return;
    Carte->DessineCadreLegende(surface, Ppp(), ChgtRepEcranAbs(PointLegende));
}

void TFrmFrance::ActiverHint(const QString& texte) {
    if (texte.isEmpty()) {
        if (!hint_.isEmpty()) QToolTip::hideText();
        hint_.clear();
        viewport()->setToolTip(QString());
        return;
    }
    if (texte == hint_) return;
    QToolTip::hideText();
    hint_ = texte;
    viewport()->setToolTip(texte);
    if (isVisible()) QToolTip::showText(QCursor::pos(), texte, viewport());
}

void TFrmFrance::InvalideZoneSpeciale() {
    const QRect r(PointLegende.x, PointLegende.y, LargeurLegende, HauteurLegende);
    viewport()->update(r.adjusted(-50, -50, 50, 50));
}

void TFrmFrance::FormPaint(QPainter& painter) {
    if (Carte == nullptr) return;
    TSurfaceQt surface(painter, police_);
    Carte->DessineCarte(surface);
    DessineLegende(surface);
}

void TFrmFrance::PeintVue(QPainter& painter) {
    painter.save();
    FixeRepereGraphique(painter);
    FormPaint(painter);
    painter.restore();
}

void TFrmFrance::FormResize() {
    TFrmZoom::FormResize();
    CalculPositionLegende();
}

void TFrmFrance::TailleUtileChangee() {
    CalculPositionLegende();
}

void TFrmFrance::FormMouseDown(int x, int y) {
    TFrmZoom::FormMouseDown(x, y);
}

void TFrmFrance::FormMouseMove(int x, int y) {
    QString texte;
    if (Carte != nullptr) {
        const TPoint p = ChgtRepEcranAbs(TPoint{x, y});
        const AnsiString sous = Carte->TexteSurvol(p.x, p.y);
        if (!Glissement)
            viewport()->setCursor(sous.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
        const AnsiString& affiche = sous.empty() ? Carte->TexteInfo : sous;
        texte = VersQString(affiche);
    }
    emit OnTexteSurvol(texte);
    ActiverHint(texte);
    TFrmZoom::FormMouseMove(x, y);
}

// ---- Actions ------------------------------------------------------------------------------

void TFrmFrance::ActionZoomPlusExecute() {
    ZoomTo(Zoom * 1.2, nullptr, false);
}

void TFrmFrance::ActionZoomMoinsExecute() {
    ZoomTo(Zoom / 1.2, nullptr, false);
}

void TFrmFrance::ActionZoomCarteEntiereExecute() {
    ActionAfficherCommunesVoisines->setChecked(false);
    if (Carte != nullptr) Carte->AfficherVoisines = false;
    ZoomTo(ZoomCarteEntiere(), nullptr, false);
}

double TFrmFrance::ZoomCarteEntiere() const {
    constexpr double ZoomDefaut = 1.2;
    constexpr int Marge = 8; // pixels on each side
    if (RectImage.Largeur() <= 0 || RectImage.Hauteur() <= 0 || Zoom <= 0) return ZoomDefaut;
    // The map's extent grows in proportion to the zoom: scale the current one to the whole
    // view, scroll bars included, since none is needed once the map fits.
    const double zx = static_cast<double>(Width() - 2 * Marge) / RectImage.Largeur();
    const double zy = static_cast<double>(Height() - 2 * Marge) / RectImage.Hauteur();
    const double z = Zoom * std::min(zx, zy);
    return z > 0 ? z : ZoomDefaut;
}

void TFrmFrance::ActionZoomVilleExecute() {
    TimerZoom->start();
}

void TFrmFrance::TimerZoomTimer() {
    if (Carte == nullptr) {
        TimerZoom->stop();
        return;
    }
    const float z = static_cast<float>(Carte->Zoom);
    if (z < 100.0f) {
        ZoomTo(static_cast<double>(z + z / 10.0f), nullptr, false);
    } else {
        ZoomTo(100.0, nullptr, false);
        ActionAfficherCommunesVoisinesExecute();
        TimerZoom->stop();
    }
}

void TFrmFrance::ActionAfficherCommunesVoisinesExecute() {
    bool affiche = ActionAfficherCommunesVoisines->isChecked();
    if (Carte != nullptr) {
        Carte->AfficherVoisines = !Carte->AfficherVoisines;
        affiche = Carte->AfficherVoisines;
    }
    ActionAfficherCommunesVoisines->setChecked(affiche);
    emit OnAfficherVoisines(ActionAfficherCommunesVoisines);
    viewport()->update();
}

void TFrmFrance::ActionAfficherDisqueExecute() {
    bool affiche = ActionAfficherDisque->isChecked();
    if (Carte != nullptr) {
        Carte->AfficherDisque = !Carte->AfficherDisque;
        affiche = Carte->AfficherDisque;
    }
    ActionAfficherDisque->setChecked(affiche);
    viewport()->update();
}

void TFrmFrance::TimerAffichageVilleTimer() {
    ++TopsAnimation;
    bool limite = false;
    if (const TFrmPrefCarte* p = Preferences())
        limite = p->Animation15s;
    else if (Carte != nullptr)
        limite = Carte->PreferencesActives().Animation15s;
    if (TopsAnimation <= 75 || !limite) {
        if (Carte != nullptr)
            Carte->InvalideCommunesClignotantes([this](const TRect& r) { FctInvalidate(r); });
    }
}

// ---- Export -------------------------------------------------------------------------------

QImage TFrmFrance::PlaceImageDansBitmap() {
    const int w = std::max(0, LargeurUtile);
    const int h = std::max(0, HauteurUtile);
    QImage image(w, h, QImage::Format_RGB16);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    // The viewport is the client area without the scroll bars: render exactly it.
    viewport()->render(&image, QPoint(), QRegion(0, 0, w, h));
    return image;
}

void TFrmFrance::ActionCopierPressePapierExecute() {
    const QImage image = PlaceImageDansBitmap();
    if (!image.isNull()) QApplication::clipboard()->setImage(image);
}

void TFrmFrance::ActionEnregistrerGraphiqueExecute() {
    QFileDialog dialogue(this, T("Enregistrement du graphique des communes…"));
    dialogue.setAcceptMode(QFileDialog::AcceptSave);
    dialogue.setFileMode(QFileDialog::AnyFile);
    const QStringList filtres = {T("Fichier graphique Bmp (*.bmp)"), T("Image PNG (*.png)"),
                                 T("Image vectorielle SVG (*.svg)"), T("Document PDF (*.pdf)")};
    const QStringList suffixes = {QStringLiteral("bmp"), QStringLiteral("png"),
                                  QStringLiteral("svg"), QStringLiteral("pdf")};
    dialogue.setNameFilters(filtres);
    dialogue.setDefaultSuffix(suffixes.constFirst());
    // The suffix added to a bare name follows the chosen type.
    connect(&dialogue, &QFileDialog::filterSelected, &dialogue,
            [&dialogue, &filtres, &suffixes](const QString& filtre) {
                const qsizetype i = filtres.indexOf(filtre);
                if (i >= 0) dialogue.setDefaultSuffix(suffixes[i]);
            });
    dialogue.setOption(QFileDialog::DontUseNativeDialog, false);
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return;
    const QString nom = dialogue.selectedFiles().constFirst();
    try {
        EnregistreGraphique(nom);
    } catch (const Erreur& e) {
        QMessageBox::warning(this, T("Enregistrement du graphique"),
                             QString::fromStdString(e.what()));
    }
}

void TFrmFrance::EnregistreGraphique(const QString& chemin) {
    const std::string nom = chemin.toStdString();
    FormatGraphique format = FormatGraphique::Png;
    if (!FormatParExtension(chemin, format))
        throw Erreur(nom, 0, "le nom doit finir par .png, .bmp, .svg ou .pdf.");
    if (format == FormatGraphique::Png || format == FormatGraphique::Bmp) {
        const QImage image = PlaceImageDansBitmap();
        if (image.isNull()) throw Erreur(nom, 0, "la carte est vide, il n'y a rien à enregistrer.");
        EnregistreImage(image.convertToFormat(QImage::Format_RGB32), chemin, format);
        return;
    }
    const QSize taille(std::max(0, LargeurUtile), std::max(0, HauteurUtile));
    const QColor fond = viewport()->palette().color(viewport()->backgroundRole());
    EcritGraphiqueVectoriel(chemin, format, taille, Ppp(), T("Carte des communes"),
                            [this, taille, fond](QPainter& painter) {
                                painter.fillRect(QRect(QPoint(0, 0), taille), fond);
                                painter.setClipRect(QRect(QPoint(0, 0), taille));
                                PeintVue(painter);
                            });
}

QImage TFrmFrance::ImageAgrandie(int facteur) {
    const int w = std::max(0, LargeurUtile);
    const int h = std::max(0, HauteurUtile);
    facteur = std::max(1, facteur);
    QImage image(w * facteur, h * facteur, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(viewport()->palette().color(viewport()->backgroundRole()));
    QPainter painter(&image);
    painter.scale(facteur, facteur);
    PeintVue(painter);
    return image;
}

TRect TFrmFrance::ImprimeGraphique(QPrinter& imprimante) {
    viewport()->repaint();
    const int w = std::max(0, LargeurUtile);
    const int h = std::max(0, HauteurUtile);
    // The painter of a printer starts at the corner of the printable area.
    const QRect zone = imprimante.pageLayout().paintRectPixels(imprimante.resolution());
    const TRect cible = RectImpression(w, h, zone.width(), zone.height());
    if (cible.EstVide()) return cible;
    // Drawn up to four times larger rather than stretched from screen pixels.
    const QImage image = ImageAgrandie(std::clamp(cible.Largeur() / w, 1, 4));
    if (image.isNull()) return TRect{};
    QPainter painter;
    if (!painter.begin(&imprimante)) {
        const QString nom = imprimante.outputFileName().isEmpty() ? imprimante.printerName()
                                                                  : imprimante.outputFileName();
        throw Erreur("\"" + nom.toStdString() + "\" : l'impression n'a pas pu commencer.");
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(cible.left, cible.top, cible.Largeur(), cible.Hauteur()), image);
    painter.end();
    return cible;
}

void TFrmFrance::ActionImprimerGraphiqueExecute() {
    QPrinter imprimante(QPrinter::HighResolution);
    QPrintDialog dialogue(&imprimante, this);
    if (dialogue.exec() != QDialog::Accepted) return;
    try {
        if (ImprimeGraphique(imprimante).EstVide())
            QMessageBox::information(this, T("Impression du graphique"),
                                     T("La carte est vide : il n'y a rien à imprimer."));
    } catch (const Erreur& e) {
        QMessageBox::warning(this, T("Impression du graphique"), QString::fromUtf8(e.what()));
    }
}

QString TFrmFrance::NomPieceJointe() const {
    std::string nom = "carte";
    if (Carte != nullptr) {
        for (const TCommuneAffiche& e : Carte->CommunesAffichees) {
            if (!e.Clignotant || e.IndexCommune < 0 ||
                static_cast<std::size_t>(e.IndexCommune) >= Carte->Communes.size())
                continue;
            // Upper case without accents, then plain lower-case letters, digits and dashes.
            const AnsiString sansAccents = UpperANSIChaineAS(
                TCarteFrance::NomComplet(Carte->Communes[static_cast<std::size_t>(e.IndexCommune)]),
                MajusculesSansAccents);
            std::string mot;
            for (const char c : sansAccents) {
                if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
                    mot += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                else if (!mot.empty() && mot.back() != '-')
                    mot += '-';
            }
            while (!mot.empty() && mot.back() == '-')
                mot.pop_back();
            if (!mot.empty()) nom += "-" + mot;
        }
    }
    return QString::fromStdString(nom + ".bmp");
}

void TFrmFrance::ActionEnvoyerMailExecute() {
    // A folder of its own, so that the attachment keeps a name that says what it is.
    const std::filesystem::path temporaire = GetTempFileNameA("orv");
    std::error_code ec;
    std::filesystem::path dossier = temporaire;
    if (!temporaire.empty()) {
        dossier.replace_extension();
        std::filesystem::remove(temporaire, ec); // only its unique name was needed
        if (!std::filesystem::create_directory(dossier, ec)) dossier.clear();
    }
    if (dossier.empty()) {
        QMessageBox::warning(this, T("Envoi du graphique"),
                             T("Impossible de créer un dossier temporaire pour le graphique."));
        return;
    }
    const std::filesystem::path chemin = dossier / NomPieceJointe().toStdString();
    const QImage image = PlaceImageDansBitmap();
    const QString nomQ = QString::fromStdString(chemin.string());
    if (image.isNull() || !image.save(nomQ, "BMP")) {
        QMessageBox::warning(this, T("Envoi du graphique"),
                             T("Impossible d'enregistrer le graphique dans « %1 ».").arg(nomQ));
        return;
    }
    const TResultatCourriel r =
        EnvMailWAttach("", "Export de la carte", "", Utf8VersCp1252(chemin.string()));
    if (!r.Reussi) {
        QMessageBox::warning(this, T("Envoi du graphique"), QString::fromStdString(r.Erreur));
    } else if (!r.ClientOuvert) {
        QMessageBox::information(
            this, T("Envoi du graphique"),
            T("Aucun logiciel de courriel n'a été trouvé. Le message, avec le graphique en pièce "
              "jointe, a été enregistré dans :\n%1")
                .arg(QString::fromStdString(r.Message.string())));
    }
}

} // namespace orlavine
