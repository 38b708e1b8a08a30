#include "mapview/attente.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

namespace orlavine {

bool AttendEnTraitantEvenements(std::chrono::milliseconds duree,
                                const std::function<bool()>& fini) {
    QElapsedTimer t;
    t.start();
    if (fini && fini()) return true;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (fini && fini()) return true;
        const qint64 reste = duree.count() - t.elapsed();
        if (reste <= 0) return false;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(reste, 5)));
    }
}

} // namespace orlavine
