#include "base_bureau.h"

#include "app/communes_atlas.h"
#include "carte_arbre_bureau.h"
#include "genealogie/base_gedcom.h"
#include "geoloc/ihm/frm_carte_arbre.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "outil_lieux.h"
#include "search/parametres.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <filesystem>

namespace orlavine {

namespace {

// The first warnings of an import, one a line, each with its line number; a file that does
// not end as a GEDCOM file ends is said first, as it may have lost its end.
QString DetailAvertissements(const std::vector<AvertissementGedcom>& avertissements) {
    if (avertissements.empty()) return {};
    QString texte;
    for (const AvertissementGedcom& a : avertissements)
        if (a.Texte.find("tronqu") != std::string::npos)
            texte += QStringLiteral("\n\nAttention : le fichier est peut-être tronqué (il ne "
                                    "finit pas par « 0 TRLR ») ; des individus ou des lieux de "
                                    "la fin peuvent manquer.");
    constexpr std::size_t Montres = 5;
    texte += QStringLiteral("\n");
    for (std::size_t i = 0; i < avertissements.size() && i < Montres; ++i) {
        const AvertissementGedcom& a = avertissements[i];
        texte += QStringLiteral("\n") +
                 (a.Ligne ? QStringLiteral("Ligne %1 : ").arg(a.Ligne) : QString()) +
                 QString::fromUtf8(a.Texte.data(), static_cast<qsizetype>(a.Texte.size()));
    }
    if (avertissements.size() > Montres)
        texte += QStringLiteral("\n… et %1 autre(s).").arg(avertissements.size() - Montres);
    return texte;
}

const QString CleDerniere = QStringLiteral("Base/Derniere");

std::filesystem::path Chemin(const QString& q) {
    return std::filesystem::path(q.toStdString());
}

QString Texte(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

BaseBureau::BaseBureau(QWidget* fenetre, std::string dossierAtlas)
    : fenetre_(fenetre), dossierAtlas_(std::move(dossierAtlas)) {
    AfficheMessage = [this](const QString& texte, bool erreur) {
        if (erreur)
            QMessageBox::warning(fenetre_, QStringLiteral("Base de données"), texte);
        else
            QMessageBox::information(fenetre_, QStringLiteral("Base de données"), texte);
    };
}

BaseBureau::~BaseBureau() {
    FermeBase();
}

void BaseBureau::FermeBase() {
    carte_.reset();
    outil_.reset();
    base_.reset();
    ActualiseActions();
}

void BaseBureau::ActualiseActions() {
    for (QAction* a : {exporter_, outilLieux_, carteArbre_})
        if (a) a->setEnabled(base_ != nullptr);
}

QMenu* BaseBureau::Menu() {
    if (menu_) return menu_;
    menu_ = new QMenu(fenetre_);
    menu_->addAction(QStringLiteral("Ouvrir une base..."), [this] { Ouvrir(); });
    menu_->addAction(QStringLiteral("Importer un fichier GEDCOM..."), [this] { Importer(); });
    exporter_ = menu_->addAction(QStringLiteral("Exporter en GEDCOM..."), [this] { Exporter(); });
    menu_->addSeparator();
    outilLieux_ = menu_->addAction(QStringLiteral("Outil de géolocalisation des lieux…"),
                                   [this] { OuvreOutilLieux(); });
    carteArbre_ =
        menu_->addAction(QStringLiteral("Carte de l'arbre"), [this] { OuvreCarteArbre(); });
    ActualiseActions();
    QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this] { ActualiseActions(); });
    return menu_;
}

void BaseBureau::Retient(const QString& chemin) {
    OuvreParametres()->setValue(CleDerniere, QFileInfo(chemin).absoluteFilePath());
    ActualiseActions();
    if (BaseOuverte) BaseOuverte(chemin);
}

bool BaseBureau::Ouvre(const QString& chemin) {
    try {
        auto base = std::make_unique<TBaseGenealogie>(Chemin(chemin));
        // A damaged base is refused before it replaces the open one or is remembered.
        base->VerifieAvantUsage();
        FermeBase();
        base_ = std::move(base);
        Retient(chemin);
        return true;
    } catch (const Erreur& e) {
        AfficheMessage(Texte(e.what()), true);
    }
    return false;
}

void BaseBureau::OuvreDerniere() {
    const QString derniere = OuvreParametres()->value(CleDerniere).toString();
    if (derniere.isEmpty()) return;
    if (!QFileInfo::exists(derniere)) {
        OuvreParametres()->remove(CleDerniere); // moved or deleted since: nothing to say
        return;
    }
    Ouvre(derniere);
}

bool BaseBureau::Importe(const QString& gedcom, const QString& base, bool remplacer) {
    OptionsImportGedcom options;
    options.Remplacer = remplacer;
    // The atlas settles which element of a place without FORM is the town.
    std::unique_ptr<TCarteFrance> carte;
    std::unique_ptr<CommunesAtlas> communes;
    QString remarque;
    try {
        carte = std::make_unique<TCarteFrance>(dossierAtlas_);
        communes = std::make_unique<CommunesAtlas>(*carte);
        options.EstCommune = communes->Test();
    } catch (const std::exception& e) {
        remarque = QStringLiteral("\n\nL'atlas n'a pas pu être lu (%1) : les lieux sans format "
                                  "déclaré ont été découpés sans lui.")
                       .arg(Texte(e.what()));
    }

    QProgressDialog progression(
        QStringLiteral("Import de « %1 »...").arg(QFileInfo(gedcom).fileName()),
        QStringLiteral("Annuler"), 0, 100, fenetre_);
    progression.setWindowTitle(QStringLiteral("Import GEDCOM"));
    progression.setWindowModality(Qt::WindowModal);
    progression.setMinimumDuration(0);
    progression.setAutoReset(false);
    progression.setValue(0);
    options.Progression = [&progression](int pourcent) {
        progression.setValue(pourcent);
        QApplication::processEvents();
        return !progression.wasCanceled();
    };

    // The open base is closed while it is replaced, and opened again when the import fails.
    const bool memeBase = base_ && QFileInfo(Texte(base_->Chemin().string())) == QFileInfo(base);
    if (memeBase) FermeBase();
    try {
        const ResultatImport r = ImporteGedcom(Chemin(gedcom), Chemin(base), options);
        progression.close();
        FermeBase();
        base_ = std::make_unique<TBaseGenealogie>(Chemin(base));
        Retient(base);
        const TComptesBase& c = r.Comptes;
        AfficheMessage(QStringLiteral("Base « %1 » créée.\n\n"
                                      "Individus : %2\nFamilles : %3\nÉvénements : %4\n"
                                      "Lieux : %5\nLieux-dits : %6\nCoordonnées lues : %7\n"
                                      "Lignes ignorées : %8\nAvertissements : %9")
                               .arg(QFileInfo(base).fileName())
                               .arg(c.Individus)
                               .arg(c.Familles)
                               .arg(c.Evenements)
                               .arg(c.Lieux)
                               .arg(c.LieuxDits)
                               .arg(c.CoordonneesLues)
                               .arg(c.LignesIgnorees)
                               .arg(r.Avertissements.size()) +
                           DetailAvertissements(r.Avertissements) + remarque,
                       false);
        return true;
    } catch (const ImportAnnule&) {
        progression.close();
        AfficheMessage(QStringLiteral("Import annulé : aucune base n'a été écrite ni modifiée."),
                       false);
    } catch (const Erreur& e) {
        progression.close();
        AfficheMessage(Texte(e.what()), true);
    }
    if (memeBase) Ouvre(base);
    return false;
}

void BaseBureau::OuvreOutilLieux() {
    if (!base_) return;
    if (!outil_) {
        try {
            outil_ = std::make_unique<TOutilLieux>(dossierAtlas_, *base_, fenetre_);
        } catch (const Erreur& e) {
            AfficheMessage(Texte(e.what()), true);
            return;
        }
    }
    TFormToolLocation& f = outil_->Fenetre();
    f.show();
    f.raise();
    f.activateWindow();
}

void BaseBureau::OuvreOutilLieux(int idPlace, const std::string& lieuDit) {
    OuvreOutilLieux();
    if (TFormToolLocation* f = OutilLieux()) f->SelectionneLieu(idPlace, lieuDit);
}

TFormToolLocation* BaseBureau::OutilLieux() const {
    return outil_ ? &outil_->Fenetre() : nullptr;
}

void BaseBureau::OuvreCarteArbre() {
    if (!base_) return;
    const bool nouvelle = !carte_;
    if (nouvelle) {
        try {
            carte_ = std::make_unique<TCarteArbreBureau>(dossierAtlas_, *base_, fenetre_);
        } catch (const Erreur& e) {
            AfficheMessage(Texte(e.what()), true);
            return;
        }
        carte_->Fenetre().OuvrirLieu = [this](int idPlace, const std::string& lieuDit) {
            OuvreOutilLieux(idPlace, lieuDit);
        };
    }
    TFormCarteArbre& f = carte_->Fenetre();
    // Opened again: the places may have moved since (place tool, import).
    if (!nouvelle && f.Chargee()) f.Charge();
    f.show();
    f.raise();
    f.activateWindow();
}

TFormCarteArbre* BaseBureau::CarteArbre() const {
    return carte_ ? &carte_->Fenetre() : nullptr;
}

bool BaseBureau::Exporte(const QString& sortie) {
    if (!base_) return false;
    try {
        QString message = QStringLiteral("Fichier « %1 » écrit.").arg(QFileInfo(sortie).fileName());
        for (const std::string& phrase : PhrasesExport(ExporteGedcom(*base_, Chemin(sortie))))
            message += QStringLiteral("\n\n") + QString::fromStdString(phrase);
        AfficheMessage(message, false);
        return true;
    } catch (const Erreur& e) {
        AfficheMessage(Texte(e.what()), true);
    }
    return false;
}

void BaseBureau::Ouvrir() {
    const QString chemin = QFileDialog::getOpenFileName(
        fenetre_, QStringLiteral("Ouvrir une base"), QString(),
        QStringLiteral("Bases Orlavine (*.sqlite);;Tous les fichiers (*)"));
    if (!chemin.isEmpty()) Ouvre(chemin);
}

void BaseBureau::Importer(const QString& fichier) {
    const QString gedcom =
        !fichier.isEmpty()
            ? fichier
            : QFileDialog::getOpenFileName(
                  fenetre_, QStringLiteral("Importer un fichier GEDCOM"), QString(),
                  QStringLiteral("Fichiers GEDCOM (*.ged *.GED);;Tous les fichiers (*)"));
    if (gedcom.isEmpty()) return;
    const QFileInfo info(gedcom);
    // The dialog asks before overwriting an existing base: an answer yes means replace it.
    const QString base = QFileDialog::getSaveFileName(
        fenetre_, QStringLiteral("Base à créer"),
        info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".sqlite")),
        QStringLiteral("Bases Orlavine (*.sqlite)"));
    if (base.isEmpty()) return;
    Importe(gedcom, base, true);
}

void BaseBureau::Exporter() {
    if (!base_) return;
    // Proposed beside the base under a new name: the imported file is replaced only when the
    // user picks it.
    const QFileInfo origine(Texte(base_->NomFichierOrigine()));
    const QFileInfo base(Texte(base_->Chemin().string()));
    const QString propose = base.absoluteDir().filePath((origine.completeBaseName().isEmpty()
                                                             ? base.completeBaseName()
                                                             : origine.completeBaseName()) +
                                                        QStringLiteral("-geolocalise.ged"));
    const QString sortie =
        QFileDialog::getSaveFileName(fenetre_, QStringLiteral("Exporter en GEDCOM"), propose,
                                     QStringLiteral("Fichiers GEDCOM (*.ged)"));
    if (!sortie.isEmpty()) Exporte(sortie);
}

} // namespace orlavine
