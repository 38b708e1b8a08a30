#include "search/parametres.h"

#include "mapview/ansi_qt.h"
#include "mapview/ecran.h"

#include <QSettings>
#include <QWidget>

namespace orlavine {

AnsiString StringBaseReg = "Software\\Talvek\\";

namespace {

QString& FichierParametres() {
    static QString chemin;
    return chemin;
}

} // namespace

void DefinirFichierParametres(const QString& chemin) {
    FichierParametres() = chemin;
}

QString FichierParametresDefini() {
    return FichierParametres();
}

std::unique_ptr<QSettings> OuvreParametres() {
    if (!FichierParametres().isEmpty())
        return std::make_unique<QSettings>(FichierParametres(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orlavine"), QStringLiteral("Orlavine"));
}

QString GroupeParametres(const AnsiString& cle) {
    QString g = VersQString(cle);
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (g.endsWith(QLatin1Char('/')))
        g.chop(1);
    return g;
}

void LecturePositFenetre(const AnsiString& cle, QWidget* fenetre, bool taille, bool position,
                         bool /*etat*/) {
    if (!fenetre) return;
    auto reglages = OuvreParametres();
    reglages->beginGroup(GroupeParametres(cle));
    bool lue = false;
    if (taille) {
        const QSize t = reglages->value(QStringLiteral("Taille")).toSize();
        if (t.isValid() && t.width() >= 200 && t.height() >= 150) {
            fenetre->resize(t);
            lue = true;
        }
    }
    if (position && reglages->contains(QStringLiteral("Position"))) {
        const QPoint p = reglages->value(QStringLiteral("Position")).toPoint();
        // A position saved on a screen that is gone would open the window out of sight.
        const QRect cadre(p, fenetre->size());
        if (ZoneEcran(cadre).intersects(cadre)) {
            fenetre->move(p);
            lue = true;
        }
    }
    reglages->endGroup();
    // Saved on a larger screen, or partly off this one: the window is brought inside.
    if (lue) TientDansEcran(*fenetre);
}

void EnregPositFenetre(const AnsiString& cle, QWidget* fenetre, bool taille, bool position) {
    if (!fenetre) return;
    auto reglages = OuvreParametres();
    reglages->beginGroup(GroupeParametres(cle));
    if (taille) reglages->setValue(QStringLiteral("Taille"), fenetre->size());
    if (position) reglages->setValue(QStringLiteral("Position"), fenetre->pos());
    reglages->endGroup();
    reglages->sync();
}

TDernieresVilles LitDernieresVilles() {
    TDernieresVilles villes;
    auto reglages = OuvreParametres();
    if (reglages->status() != QSettings::NoError) return villes;
    reglages->beginGroup(GroupeParametres(StringBaseReg + CleModule));
    const QString v1 = QStringLiteral("LastPlace1");
    const QString v2 = QStringLiteral("LastPlace2");
    if (!reglages->contains(v1) && !reglages->contains(v2)) {
        // First run: the key is created, empty.
        reglages->setValue(v1, QString());
        reglages->setValue(v2, QString());
    } else {
        villes.Ville1 = VersAnsi(reglages->value(v1).toString());
        villes.Ville2 = VersAnsi(reglages->value(v2).toString());
    }
    reglages->endGroup();
    reglages->sync();
    return villes;
}

bool EcritDernieresVilles(const TDernieresVilles& villes) {
    auto reglages = OuvreParametres();
    reglages->beginGroup(GroupeParametres(StringBaseReg + CleModule));
    reglages->setValue(QStringLiteral("LastPlace1"), VersQString(villes.Ville1));
    reglages->setValue(QStringLiteral("LastPlace2"), VersQString(villes.Ville2));
    reglages->endGroup();
    reglages->sync();
    return reglages->status() == QSettings::NoError;
}

} // namespace orlavine
