#include "gui/qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace pw::gui {

void QtMessagePump::pumpOnce() {
    QCoreApplication::processEvents();
}

void QtMessagePump::waitPumping(int ms) {
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

} // namespace pw::gui
