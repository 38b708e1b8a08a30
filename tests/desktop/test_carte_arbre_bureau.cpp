// « Carte de l'arbre » in the desktop program and `orlavine-cli base carte` on one base: the
// menu entry opens the window on the located places, a click lists a place, a double click
// opens it in the place tool, and the window's picture files are the command line's.
#include "base_bureau.h"
#include "genealogie/base.h"
#include "genealogie/services_liste.h"
#include "geoloc/ihm/frm_carte_arbre.h"
#include "geoloc/ihm/frm_outil_lieux.h"
#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"
#include "tests/commun/graphique_essai.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>

namespace orlavine {
namespace {

// What a picture file holds: its labels and its disks, in drawing order.
struct ContenuSvg {
    QStringList Textes;
    QStringList Cercles; // "cx cy r"
    bool Lu = false;
};

ContenuSvg LitSvg(const QString& chemin) {
    ContenuSvg c;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return c;
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("text")) {
            c.Textes << xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("circle")) {
            const auto a = xml.attributes();
            c.Cercles << a.value(QLatin1String("cx")).toString() + QLatin1Char(' ') +
                             a.value(QLatin1String("cy")).toString() + QLatin1Char(' ') +
                             a.value(QLatin1String("r")).toString();
        }
    }
    c.Lu = !xml.hasError();
    return c;
}

// The place's first part -> its position and state, for the places the file gives none.
const std::map<std::string, std::tuple<double, double, int>> Positions = {
    {"Saint-Malo", {48.6493, -2.0257, EtatValide}},
    {"Rennes", {48.1147, -1.6794, EtatValide}},
    {"Dinan", {48.4556, -2.0503, EtatValide}},
    {"Paris", {48.8566, 2.3522, EtatValide}},
    {"Cancale", {48.6760, -1.8510, EtatCommunePays}},
    {"Versailles", {48.8049, 2.1204, EtatCommunePays}},
    {"Lyon", {45.7640, 4.8357, EtatCommunePays}},
    {"Marseille", {43.2965, 5.3698, EtatCommunePays}},
    {"Bordeaux", {44.8378, -0.5792, EtatCommunePays}},
    {"Lille", {50.6292, 3.0573, EtatCommunePays}},
    {"Strasbourg", {48.5734, 7.7521, EtatCommunePays}},
    {"Toulouse", {43.6047, 1.4442, EtatCommunePays}},
    {"Mayence", {49.9929, 8.2473, EtatAdresseTrouvee}},
    {"Bruxelles", {50.8503, 4.3517, EtatAdresseTrouvee}},
    {"Genève", {46.2044, 6.1432, EtatPlaceALaMain}},
};

class CarteArbreBureau : public ::testing::Test {
protected:
    void SetUp() override {
        essai::EcritAtlasEssai(Chemin("atlas").toStdString());
        OuvreParametres()->remove(QStringLiteral("Base/Derniere"));
        bureau_ = std::make_unique<BaseBureau>(&fenetre_, Chemin("atlas").toStdString());
        bureau_->AfficheMessage = [this](const QString& m, bool) { messages_ += m; };
        (void)bureau_->Menu();
        EXPECT_FALSE(bureau_->ActionCarteArbre()->isEnabled());
        // The small tree: Brittany, France, a few places abroad, one nowhere.
        ASSERT_TRUE(bureau_->Importe(QStringLiteral(ORLAVINE_FIXTURES_GEOLOC "/arbre-carte.ged"),
                                     Chemin("b.sqlite"), false))
            << messages_.toStdString();
        TGestFichier gestion(*bureau_->Base());
        for (const auto& e : InitListPlaces(gestion)) {
            if (e->Etat != EtatHorsTable) continue; // read from the file
            const std::string texte = gestion.FicDupli.Charge(e->IdPlace);
            const auto p = Positions.find(texte.substr(0, texte.find(',')));
            if (p == Positions.end()) continue; // left without a position
            const auto [lat, lon, etat] = p->second;
            SGeoChps g(e->IdPlace, e->LieuDit, static_cast<float>(lat), static_cast<float>(lon),
                       etat);
            gestion.ModuleBDD.UpdateCoordGeo(&g);
        }
    }
    void TearDown() override { bureau_.reset(); }
    QString Chemin(const QString& nom) const { return dossier_.filePath(nom); }
    TFormCarteArbre* Ouvre() {
        bureau_->OuvreCarteArbre();
        TFormCarteArbre* f = bureau_->CarteArbre();
        if (f) {
            EXPECT_TRUE(QTest::qWaitFor([f] { return f->Chargee(); }, 10000));
        }
        return f;
    }
    // The disk of the place whose label starts so, on the last page drawn.
    const geoloc::TDisqueCarte* Disque(TFormCarteArbre* f, const std::string& nom) {
        for (const geoloc::TDisqueCarte& d : f->Vue->Page().Disques)
            if (f->Carte()->Lieux()[d.Lieu].Texte.rfind(nom, 0) == 0 &&
                f->Carte()->Lieux()[d.Lieu].LieuDit.empty())
                return &d;
        return nullptr;
    }

    QTemporaryDir dossier_;
    QWidget fenetre_;
    std::unique_ptr<BaseBureau> bureau_;
    QString messages_;
};

TEST_F(CarteArbreBureau, TheMenuOpensTheMapAClickListsAPlaceADoubleClickOpensIt) {
    EXPECT_TRUE(bureau_->ActionCarteArbre()->isEnabled());
    EXPECT_EQ(bureau_->ActionCarteArbre()->text(), QStringLiteral("Carte de l'arbre"));
    TFormCarteArbre* f = Ouvre();
    ASSERT_NE(f, nullptr) << messages_.toStdString();
    // Nineteen located places, « Nullepart » without a position; said when done.
    EXPECT_EQ(f->Carte()->Lieux().size(), 19u);
    EXPECT_EQ(f->LbEtat->text(), QStringLiteral("19 lieux sur la carte, 1 sans position."));

    // The whole tree reaches Quebec; France alone leaves it out of the frame.
    (void)f->Vue->Rendu();
    EXPECT_NE(Disque(f, "Québec"), nullptr);
    f->RBFrance->click();
    (void)f->Vue->Rendu();
    EXPECT_EQ(Disque(f, "Québec"), nullptr);
    const geoloc::TDisqueCarte* malo = Disque(f, "Saint-Malo");
    ASSERT_NE(malo, nullptr);
    // The busiest place is the first drawn and named.
    EXPECT_EQ(f->Vue->Page().Disques.front().Lieu, malo->Lieu);
    ASSERT_FALSE(f->Vue->Page().Etiquettes.empty());
    EXPECT_EQ(f->Vue->Page().Etiquettes.front().Texte, "Saint-Malo");

    // A click on it lists it: text, state, provenance, events with their tags. On its north
    // west side: Cancale's smaller disk, drawn over its east side, would come first there.
    const QPoint ici(qRound(malo->X - malo->Rayon * 0.6), qRound(malo->Y - malo->Rayon * 0.5));
    QTest::mouseClick(f->Vue, Qt::LeftButton, {}, ici);
    ASSERT_FALSE(f->Selection().empty());
    EXPECT_EQ(f->Selection().front(), malo->Lieu);
    const QString details = f->Details->toPlainText();
    for (const char* attendu :
         {"Saint-Malo, 35400, Ille-et-Vilaine, Bretagne, France", "État : ● Validé",
          "Provenance : ", "45 événements", "mariage (MARR)", "naissance (BIRT)", "48,64930"})
        EXPECT_TRUE(details.contains(QString::fromUtf8(attendu))) << attendu << "\n"
                                                                  << details.toStdString();
    // A click on the sea lists nothing.
    QTest::mouseClick(f->Vue, Qt::LeftButton, {}, QPoint(f->Vue->width() - 5, 5));
    EXPECT_TRUE(f->Selection().empty());

    // A double click opens the place tool on it, under « Validés ».
    QTest::mouseDClick(f->Vue, Qt::LeftButton, {}, ici);
    TFormToolLocation* outil = bureau_->OutilLieux();
    ASSERT_NE(outil, nullptr) << messages_.toStdString();
    const int id = f->Carte()->Lieux()[malo->Lieu].IdPlace;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int r = outil->GetItemIndexListPlaces(outil->ListDisplayPlaces->currentRow());
            return outil->ListeChargee() && r >= 0 &&
                   outil->ListPlaces()[static_cast<std::size_t>(r)]->IdPlace == id;
        },
        10000));
    EXPECT_TRUE(outil->RBPlaceCheck->isChecked());
    // A place the tool does not list is refused; one shown under another filter moves it.
    EXPECT_FALSE(outil->SelectionneLieu(id, "Pas de lieu-dit"));
    const auto& lieux = f->Carte()->Lieux();
    const auto bruxelles = std::find_if(lieux.begin(), lieux.end(), [](const auto& l) {
        return l.Texte.rfind("Bruxelles", 0) == 0;
    });
    ASSERT_NE(bruxelles, lieux.end());
    EXPECT_TRUE(outil->SelectionneLieu(bruxelles->IdPlace, ""));
    EXPECT_TRUE(outil->RBLocate->isChecked());
}

TEST_F(CarteArbreBureau, TheWindowAndTheCommandLineDrawTheSamePlaces) {
    TFormCarteArbre* f = Ouvre();
    ASSERT_NE(f, nullptr) << messages_.toStdString();
    const QImage ecran = f->Vue->Rendu();
    const geoloc::TMiseEnPageArbre page = f->Vue->Page();
    ASSERT_FALSE(page.Etiquettes.empty());
    const QString largeur = QString::number(f->Vue->width());
    const QString hauteur = QString::number(f->Vue->height());

    for (const QString& extension :
         {QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("pdf")}) {
        const QString fenetre = Chemin(QStringLiteral("fenetre.") + extension);
        const QString cli = Chemin(QStringLiteral("cli.") + extension);
        ASSERT_TRUE(f->Enregistre(fenetre)) << extension.toStdString();
        EXPECT_TRUE(f->LbEtat->text().startsWith(QStringLiteral("Carte enregistrée dans")));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ORLAVINE_CLI),
                {QStringLiteral("--atlas"), Chemin(QStringLiteral("atlas")),
                 QStringLiteral("--tsv"), QStringLiteral("base"), QStringLiteral("carte"),
                 QStringLiteral("--base"), Chemin(QStringLiteral("b.sqlite")),
                 QStringLiteral("--sortie"), cli, QStringLiteral("--largeur"), largeur,
                 QStringLiteral("--hauteur"), hauteur});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        // The program drew the window's disks and labels.
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
                  QStringLiteral("lieux\t19\nsans_position\t1\ndisques\t%1\netiquettes\t%2\n")
                      .arg(page.Disques.size())
                      .arg(page.Etiquettes.size()));
        if (extension == QLatin1String("svg")) {
            // Both parse, with the labels as text and the same disks at the same places.
            const ContenuSvg a = LitSvg(fenetre), b = LitSvg(cli);
            ASSERT_TRUE(a.Lu && b.Lu);
            EXPECT_EQ(a.Textes, b.Textes);
            EXPECT_EQ(a.Cercles, b.Cercles);
            for (const geoloc::TEtiquetteCarte& e : page.Etiquettes)
                EXPECT_TRUE(b.Textes.contains(QString::fromLatin1(e.Texte.c_str()))) << e.Texte;
            // The page's disks that show, and the legend's seven.
            const auto visibles = std::count_if(page.Disques.begin(), page.Disques.end(),
                                                [](const auto& d) { return d.Visible; });
            EXPECT_EQ(b.Cercles.size(), static_cast<qsizetype>(visibles) + 7);
        } else if (extension == QLatin1String("png")) {
            // The same pixels, and those of the screen.
            const QImage a(fenetre), b(cli);
            ASSERT_FALSE(b.isNull());
            EXPECT_EQ(b.size(), ecran.size());
            EXPECT_EQ(a.convertToFormat(QImage::Format_RGB32),
                      b.convertToFormat(QImage::Format_RGB32));
            EXPECT_EQ(b.convertToFormat(QImage::Format_RGB32),
                      ecran.convertToFormat(QImage::Format_RGB32));
        } else if (test::PdftoppmPresent()) {
            // The page, rasterised at the screen's resolution, is the screen up to antialiasing.
            const QImage page =
                test::RasterisePdf(cli.toStdString(), dossier_.path().toStdString());
            ASSERT_EQ(page.size(), ecran.size());
            const double ecart = test::EcartMoyen(page, ecran);
            RecordProperty("ecart_pdf", std::to_string(ecart));
            EXPECT_LT(ecart, 4.0);
        }
    }
    // A file that cannot be written is said, and the window goes on.
    QString erreur;
    f->MessageErreur = [&](const QString& m) { erreur = m; };
    EXPECT_FALSE(f->Enregistre(QStringLiteral("/nulle/part/carte.png")));
    EXPECT_TRUE(erreur.contains(QStringLiteral("/nulle/part/carte.png"))) << erreur.toStdString();
    EXPECT_FALSE(f->Enregistre(Chemin(QStringLiteral("carte.jpg"))));
    EXPECT_TRUE(erreur.contains(QStringLiteral(".png, .bmp, .svg ou .pdf")));
}

} // namespace
} // namespace orlavine
