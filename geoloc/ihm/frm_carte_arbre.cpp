#include "geoloc/ihm/frm_carte_arbre.h"

#include "geoloc/ihm/carte_arbre_qt.h"
#include "host/erreur.h"
#include "mapview/surface_qt.h"
#include "mapview/web_osmaps.h"
#include "monde/dessin.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace orlavine {

namespace {

QString U(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString Nombre(long n) {
    return QLocale(QLocale::French).toString(static_cast<qlonglong>(n));
}

QString DegresFr(double v) {
    return QLocale(QLocale::French).toString(v, 'f', 5);
}

} // namespace

// ---- The map ------------------------------------------------------------------------------

TVueCarteArbre::TVueCarteArbre(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::WheelFocus);
    setMinimumSize(200, 150);
    vue_.Largeur = std::max(1, width());
    vue_.Hauteur = std::max(1, height());
}

void TVueCarteArbre::FixeCarte(const geoloc::TCarteArbre* carte, monde::TCarteMonde* fond) {
    carte_ = carte;
    fond_ = fond;
    page_ = {};
    update();
}

void TVueCarteArbre::Cadre(bool franceSeule) {
    franceSeule_ = franceSeule;
    cadreAuto_ = true;
    const int l = std::max(1, width()), h = std::max(1, height());
    vue_ = carte_ ? carte_->Cadre(l, h, franceSeule) : geoloc::TCarteArbre({}).Cadre(l, h, true);
    update();
}

void TVueCarteArbre::Zoome(double facteur, double x, double y) {
    cadreAuto_ = false;
    vue_.ZoomeAutour(facteur, x, y);
    update();
}

QImage TVueCarteArbre::Rendu() {
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Peint(painter);
    return image;
}

void TVueCarteArbre::Peint(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    vue_.Largeur = std::max(1, width());
    vue_.Hauteur = std::max(1, height());
    if (!carte_) {
        painter.fillRect(QRect(0, 0, vue_.Largeur, vue_.Hauteur), palette().window());
        page_ = {};
        return;
    }
    page_ = PeintCarteArbre(painter, *carte_, vue_, fond_);
}

std::vector<std::uint32_t> TVueCarteArbre::LieuxSous(double x, double y) const {
    return carte_ ? carte_->LieuxSous(page_, x, y) : std::vector<std::uint32_t>{};
}

void TVueCarteArbre::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Peint(painter);
}

void TVueCarteArbre::resizeEvent(QResizeEvent*) {
    if (cadreAuto_ && carte_) {
        Cadre(franceSeule_);
        return;
    }
    // The centre and the scale stay; the map shows more or less around them.
    vue_.Largeur = std::max(1, width());
    vue_.Hauteur = std::max(1, height());
}

void TVueCarteArbre::wheelEvent(QWheelEvent* event) {
    const double crans = event->angleDelta().y() / 120.0;
    if (crans == 0.0) return;
    const QPointF p = event->position();
    Zoome(std::pow(2.0, crans / 2.0), p.x(), p.y());
    event->accept();
}

void TVueCarteArbre::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    bouton_ = true;
    glisse_ = false;
    appui_ = dernier_ = event->position().toPoint();
}

void TVueCarteArbre::mouseMoveEvent(QMouseEvent* event) {
    if (!bouton_) return;
    const QPoint p = event->position().toPoint();
    if (!glisse_ && (p - appui_).manhattanLength() < 4) return;
    glisse_ = true;
    cadreAuto_ = false;
    vue_.Deplace(p.x() - dernier_.x(), p.y() - dernier_.y());
    dernier_ = p;
    update();
}

void TVueCarteArbre::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !bouton_) return;
    bouton_ = false;
    if (!glisse_) emit Clic(event->position().x(), event->position().y());
}

void TVueCarteArbre::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    bouton_ = false;
    emit DoubleClic(event->position().x(), event->position().y());
}

// ---- The window ---------------------------------------------------------------------------

TFormCarteArbre::TFormCarteArbre(TBaseGenealogie& base, const TParametresCarteArbre& params,
                                 QWidget* parent)
    : QWidget(parent), base_(base) {
    setWindowTitle(QStringLiteral("Carte de l'arbre"));
    // Fits a 1024 x 600 screen.
    resize(1000, 560);

    try {
        donnees_ = DonneesMondePartagees(params.FichierMonde);
    } catch (const Erreur& e) {
        erreurFond_ = U(e.what());
    }
    fond_ = std::make_unique<monde::TCarteMonde>(donnees_.get(), params.Atlas);

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(6, 6, 6, 6);

    auto* barre = new QHBoxLayout;
    auto* cadrage = new QLabel(QStringLiteral("Cadrage :"), this);
    RBTout = new QRadioButton(QStringLiteral("Tout l'arbre"), this);
    RBFrance = new QRadioButton(QStringLiteral("France seule"), this);
    RBTout->setChecked(true);
    BtPlus = new QPushButton(QStringLiteral("+"), this);
    BtPlus->setToolTip(QStringLiteral("Zoom avant"));
    BtMoins = new QPushButton(QStringLiteral("\u2212"), this);
    BtMoins->setToolTip(QStringLiteral("Zoom arrière"));
    for (QPushButton* b : {BtPlus, BtMoins})
        b->setFixedWidth(b->fontMetrics().height() * 2 + 4);
    BtEnregistrer = new QPushButton(QStringLiteral("Enregistrer l'image…"), this);
    BtEnregistrer->setToolTip(
        QStringLiteral("La carte telle qu'elle est affichée, en image PNG ou en dessin SVG ou "
                       "PDF dont les noms restent du texte"));
    BtFermer = new QPushButton(QStringLiteral("Fermer"), this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{cadrage, RBTout, RBFrance, BtPlus, BtMoins, BtEnregistrer})
        barre->addWidget(w);
    barre->addStretch(1);
    barre->addWidget(BtFermer);
    principal->addLayout(barre);

    auto* separateur = new QSplitter(Qt::Horizontal, this);
    Vue = new TVueCarteArbre(separateur);
    Details = new QTextBrowser(separateur);
    Details->setOpenLinks(false);
    Details->setMinimumWidth(200);
    Details->setHtml(QStringLiteral("<p>Cliquez sur un disque pour voir le lieu, son état, "
                                    "d'où vient sa position et ses événements.</p><p>Un double "
                                    "clic l'ouvre dans l'outil de géolocalisation.</p>"));
    separateur->addWidget(Vue);
    separateur->addWidget(Details);
    separateur->setStretchFactor(0, 1);
    separateur->setChildrenCollapsible(false);
    separateur->setSizes({740, 240});
    principal->addWidget(separateur, 1);

    LbEtat = new QLabel(this);
    LbEtat->setText(erreurFond_.isEmpty()
                        ? QStringLiteral("Lecture des lieux de la base…")
                        : QStringLiteral("Carte du monde illisible (") + erreurFond_ +
                              QStringLiteral(") : les lieux sont dessinés sur la mer seule."));
    principal->addWidget(LbEtat);

    MessageErreur = [this](const QString& texte) {
        QMessageBox::warning(this, windowTitle(), texte);
    };

    connect(RBTout, &QRadioButton::clicked, this, [this] { FixeFranceSeule(false); });
    connect(RBFrance, &QRadioButton::clicked, this, [this] { FixeFranceSeule(true); });
    connect(BtPlus, &QPushButton::clicked, this,
            [this] { Vue->Zoome(2.0, Vue->width() / 2.0, Vue->height() / 2.0); });
    connect(BtMoins, &QPushButton::clicked, this,
            [this] { Vue->Zoome(0.5, Vue->width() / 2.0, Vue->height() / 2.0); });
    connect(BtEnregistrer, &QPushButton::clicked, this, [this] { EnregistrerSous(); });
    connect(BtFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(Vue, &TVueCarteArbre::Clic, this, [this](double x, double y) { Selectionne(x, y); });
    connect(Vue, &TVueCarteArbre::DoubleClic, this,
            [this](double x, double y) { DoubleClic(x, y); });
}

TFormCarteArbre::~TFormCarteArbre() = default;

void TFormCarteArbre::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (premierAffichage_) {
        premierAffichage_ = false;
        // Read once the window is painted: a large base takes a moment.
        QTimer::singleShot(0, this, [this] {
            if (!Chargee()) Charge();
        });
    }
}

void TFormCarteArbre::Charge() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Vue->FixeCarte(nullptr, nullptr);
        carte_.reset();
        carte_.emplace(geoloc::TCarteArbre::Lit(base_));
    } catch (const Erreur& e) {
        QApplication::restoreOverrideCursor();
        LbEtat->setText(QStringLiteral("Les lieux n'ont pas pu être lus."));
        MessageErreur(U(e.what()));
        return;
    }
    QApplication::restoreOverrideCursor();
    Vue->FixeCarte(&*carte_, fond_.get());
    Vue->Cadre(RBFrance->isChecked());
    selection_.clear();
    const long n = static_cast<long>(carte_->Lieux().size());
    QString etat = Nombre(n) + (n > 1 ? QStringLiteral(" lieux") : QStringLiteral(" lieu")) +
                   QStringLiteral(" sur la carte, ") + Nombre(carte_->SansPosition()) +
                   QStringLiteral(" sans position.");
    if (n == 0)
        etat += QStringLiteral(" Aucun lieu n'est localisé : l'outil de géolocalisation des "
                               "lieux les place.");
    if (!erreurFond_.isEmpty())
        etat += QStringLiteral(" Carte du monde illisible (") + erreurFond_ + QStringLiteral(").");
    LbEtat->setText(etat);
}

void TFormCarteArbre::FixeFranceSeule(bool franceSeule) {
    RBFrance->setChecked(franceSeule);
    RBTout->setChecked(!franceSeule);
    Vue->Cadre(franceSeule);
}

QString TFormCarteArbre::DescriptionLieu(const geoloc::TLieuExporte& l) const {
    const geoloc::EtatCarte e = geoloc::EtatSurCarte(l.Etat);
    const QColor c = VersQColor(geoloc::CouleurEtatCarte(e));
    QString s = QStringLiteral("<p><b>") + U(l.Texte).toHtmlEscaped() + QStringLiteral("</b>");
    if (!l.LieuDit.empty()) s += QStringLiteral("<br>Lieu-dit : ") + U(l.LieuDit).toHtmlEscaped();
    s += QStringLiteral("<br>État : <span style=\"color:%1\">\u25CF</span> %2")
             .arg(c.name(), U(geoloc::NomEtatCarteSingulier(e)));
    // The stored state in detail where the map's four say less.
    if (e == geoloc::EtatCarte::Localise || e == geoloc::EtatCarte::AVerifier)
        s += QStringLiteral(" (") + U(geoloc::NomEtatLieu(l.Etat)) + QLatin1Char(')');
    s += QStringLiteral("<br>Provenance : ") + U(geoloc::NomProvenanceFrancais(l.Origine));
    s += QStringLiteral("<br>Position : ") + DegresFr(l.Latitude) + QStringLiteral(" ; ") +
         DegresFr(l.Longitude);
    s += QStringLiteral("<br>") + Nombre(l.Evenements) +
         (l.Evenements > 1 ? QStringLiteral(" événements") : QStringLiteral(" événement"));
    if (!l.Etiquettes.empty()) {
        QStringList noms;
        for (const std::string& t : l.Etiquettes)
            noms << U(geoloc::NomEvenement(t)).toHtmlEscaped() + QStringLiteral(" (") +
                        U(t).toHtmlEscaped() + QLatin1Char(')');
        s += QStringLiteral(" : ") + noms.join(QStringLiteral(", "));
    }
    return s + QStringLiteral("</p>");
}

bool TFormCarteArbre::Selectionne(double x, double y) {
    selection_ = Vue->LieuxSous(x, y);
    if (!carte_ || selection_.empty()) {
        Details->setHtml(QStringLiteral("<p>Aucun lieu à cet endroit.</p>"));
        return false;
    }
    // The one on top first; a crowded spot lists a few and says how many more.
    constexpr std::size_t Montres = 20;
    QString html;
    if (selection_.size() > 1)
        html += QStringLiteral("<p><i>%1 lieux à cet endroit, le premier est celui du "
                               "dessus.</i></p>")
                    .arg(Nombre(static_cast<long>(selection_.size())));
    for (std::size_t i = 0; i < selection_.size() && i < Montres; ++i)
        html += DescriptionLieu(carte_->Lieux()[selection_[i]]);
    if (selection_.size() > Montres)
        html += QStringLiteral("<p>… et %1 autres.</p>")
                    .arg(Nombre(static_cast<long>(selection_.size() - Montres)));
    html += QStringLiteral("<p><i>Double-cliquez sur le disque pour ouvrir le lieu dans l'outil "
                           "de géolocalisation.</i></p>");
    Details->setHtml(html);
    return true;
}

void TFormCarteArbre::DoubleClic(double x, double y) {
    if (!Selectionne(x, y) || !OuvrirLieu) return;
    const geoloc::TLieuExporte& l = carte_->Lieux()[selection_.front()];
    OuvrirLieu(l.IdPlace, l.LieuDit);
}

bool TFormCarteArbre::Enregistre(const QString& chemin) {
    if (!carte_) return false;
    try {
        const geoloc::TBilanCarteArbre b =
            EnregistreCarteArbre(chemin, *carte_, Vue->Vue(), fond_.get());
        LbEtat->setText(
            QStringLiteral("Carte enregistrée dans « %1 » : %2 lieux dessinés, %3 "
                           "noms.")
                .arg(QFileInfo(chemin).fileName(), Nombre(b.Disques), Nombre(b.Etiquettes)));
        return true;
    } catch (const Erreur& e) {
        LbEtat->setText(QStringLiteral("La carte n'a pas été enregistrée."));
        MessageErreur(U(e.what()));
    }
    return false;
}

void TFormCarteArbre::EnregistrerSous() {
    QString filtre;
    const QString chemin = QFileDialog::getSaveFileName(
        this, QStringLiteral("Enregistrer la carte de l'arbre"), QStringLiteral("carte-arbre.png"),
        QStringLiteral("Image PNG (*.png);;Dessin SVG (*.svg);;Document PDF (*.pdf)"), &filtre);
    if (chemin.isEmpty()) return;
    QString fichier = chemin;
    // A name typed without its extension takes the chosen type's.
    if (QFileInfo(fichier).suffix().isEmpty())
        fichier += filtre.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                   : filtre.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                           : QStringLiteral(".png");
    Enregistre(fichier);
}

} // namespace orlavine
