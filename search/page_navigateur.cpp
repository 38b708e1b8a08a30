// The browser page of the main window: the public map site on the current place, the position
// read back from the site's address. Its decisions are geoloc::TPageMondeLogique's.
#include "search/page_navigateur.h"

#include "mapview/ansi_qt.h"
#include "search/form_ihm2.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#ifdef ORLAVINE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#endif

namespace orlavine {

namespace {

QString& DossierCache() {
    static QString dossier;
    return dossier;
}

} // namespace

bool CanUseCef4(QString& raison) {
#ifdef ORLAVINE_WEBENGINE
    raison.clear();
    return true;
#else
    raison = QStringLiteral(
        "Cette version d'Orlavine a été construite sans navigateur intégré : la carte du site "
        "OpenStreetMap ne peut pas s'afficher dans cette page. Les pages « Localiser sur la "
        "carte » et « Orlavine » fonctionnent sans elle, même hors connexion.");
    return false;
#endif
}

void FixeCacheNavigateur(const QString& dossier) {
    DossierCache() = dossier;
}

// ---------------------------------------------------------------------------------------
// The browser
// ---------------------------------------------------------------------------------------

#ifdef ORLAVINE_WEBENGINE
struct TFrmBrowserChromium::Moteur {
    QWebEngineProfile* Profil = nullptr;
    QWebEngineView* Vue = nullptr;
};
#else
struct TFrmBrowserChromium::Moteur {};
#endif

TFrmBrowserChromium::TFrmBrowserChromium(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("Navigateur"));
    CacheFolder = DossierCache();
}

TFrmBrowserChromium::~TFrmBrowserChromium() {
#ifdef ORLAVINE_WEBENGINE
    // The page goes before its profile.
    if (moteur_) {
        delete moteur_->Vue;
        delete moteur_->Profil;
    }
#endif
    delete moteur_;
}

void TFrmBrowserChromium::Init(QWidget* parent, std::function<void()> /*notification*/,
                               std::function<void(bool)> /*drapeau*/,
                               std::function<void(bool)> finChargement,
                               std::function<void(const std::string&)> /*texte*/,
                               std::function<void(const std::string&)> changementAdresse) {
    finChargement_ = std::move(finChargement);
    changementAdresse_ = std::move(changementAdresse);
    setParent(parent);
    if (parent && parent->layout()) parent->layout()->addWidget(this);
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(0, 0, 0, 0);
#ifdef ORLAVINE_WEBENGINE
    moteur_ = new Moteur;
    moteur_->Profil = new QWebEngineProfile(QStringLiteral("Orlavine"), this);
    if (!CacheFolder.isEmpty()) {
        moteur_->Profil->setPersistentStoragePath(CacheFolder);
        moteur_->Profil->setCachePath(CacheFolder);
    }
    moteur_->Vue = new QWebEngineView(this);
    moteur_->Vue->setPage(new QWebEnginePage(moteur_->Profil, moteur_->Vue));
    disposition->addWidget(moteur_->Vue);
    connect(moteur_->Vue, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (finChargement_) finChargement_(ok);
    });
    connect(moteur_->Vue, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        adresse_ = url.toString().toStdString();
        if (changementAdresse_) changementAdresse_(adresse_);
    });
#endif
    show();
}

void TFrmBrowserChromium::LoadUrl(const std::string& url, const std::string& /*entetes*/) {
    adresse_ = url;
#ifdef ORLAVINE_WEBENGINE
    if (moteur_ && moteur_->Vue)
        moteur_->Vue->load(QUrl::fromEncoded(QByteArray::fromStdString(url)));
#endif
}

std::string TFrmBrowserChromium::CurrentUrl() const {
#ifdef ORLAVINE_WEBENGINE
    if (moteur_ && moteur_->Vue) return moteur_->Vue->url().toString().toStdString();
#endif
    return adresse_;
}

// ---------------------------------------------------------------------------------------
// The page
// ---------------------------------------------------------------------------------------

QWidget* TFormIhm2::ConstruitPageNavigateur() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageMapGoogle"));
    auto* disposition = new QVBoxLayout(page);
    disposition->setContentsMargins(2, 2, 2, 2);
    QString raison;
    if (!CanUseCef4(raison)) {
        // The same map in the user's own browser, on request only.
        LabelSansNavigateur = new QLabel(page);
        LabelSansNavigateur->setObjectName(QStringLiteral("LabelSansNavigateur"));
        LabelSansNavigateur->setWordWrap(true);
        LabelSansNavigateur->setAlignment(Qt::AlignCenter);
        LabelSansNavigateur->setText(raison);
        LabelSansNavigateur->setOpenExternalLinks(false);
        connect(LabelSansNavigateur, &QLabel::linkActivated, this,
                [](const QString& lien) { QDesktopServices::openUrl(QUrl(lien)); });
        disposition->addWidget(LabelSansNavigateur, 1);
    }
    return page;
}

void TFormIhm2::ChargePageNavigateur() {
    PlacePanneauRecherche(PageMapGoogle);
    const std::string url = Monde->UrlNavigateur();
    QString raison;
    if (!Navigateur && CanUseCef4(raison)) {
        QString dossier = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (dossier.isEmpty()) dossier = QDir::tempPath();
        const QString cache = QDir(dossier).filePath(QStringLiteral("CookiesChromLignolis"));
        FixeCacheNavigateur(cache);
        Navigateur = new TFrmBrowserChromium(this);
        Navigateur->CacheFolder = cache;
        Navigateur->Init(
            PageMapGoogle, {}, {}, [this](bool fini) { LoadEndGoogleMap(fini); }, {},
            [this](const std::string& adresse) { UrlChange(AnsiString(adresse)); });
    }
    if (Navigateur) {
        Navigateur->LoadUrl(url);
    } else if (LabelSansNavigateur) {
        QString sansNavigateur;
        CanUseCef4(sansNavigateur);
        const QString lien = QString::fromStdString(url).toHtmlEscaped();
        LabelSansNavigateur->setText(
            sansNavigateur.toHtmlEscaped() +
            QStringLiteral("<br><br><a href=\"%1\">Ouvrir cette carte dans votre navigateur</a>")
                .arg(lien));
    }
}

void TFormIhm2::LoadEndGoogleMap(bool fini) {
    Monde->LoadEndGoogleMap(fini);
}

void TFormIhm2::UrlChange(const AnsiString& url) {
    Monde->UrlChange(url);
}

} // namespace orlavine
