#include "search/fom_patienter.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace orlavine {

TFomPatienter::TFomPatienter(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Traitement en cours..."));
    setObjectName(QStringLiteral("FomPatienter"));
    setFixedSize(359, 92);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    QFont police(QStringLiteral("Tahoma"));
    police.setPointSize(8);
    setFont(police);

    Label1 = new QLabel(QStringLiteral("Chargement des communes. Veuillez patienter..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setGeometry(0, 20, 359, 30);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(32, 52, 297, 17);
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 0);
}

void TFomPatienter::FixeMaximum(int maximum) {
    ProgressBar->setMaximum(maximum < 0 ? 0 : maximum);
}

void TFomPatienter::FixePosition(int position) {
    ProgressBar->setValue(position);
}

int TFomPatienter::Position() const {
    return ProgressBar->value() < 0 ? 0 : ProgressBar->value();
}

void TFomPatienter::Montrer() {
    ProgressBar->setValue(0);
    if (const QScreen* ecran = QGuiApplication::primaryScreen()) {
        const QRect zone = ecran->availableGeometry();
        move(zone.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    TraiterMessages();
}

void TFomPatienter::Fermer() {
    hide();
    TraiterMessages();
}

void TFomPatienter::TraiterMessages() {
    // Paint the form; the user's input waits until the atlas is loaded.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace orlavine
