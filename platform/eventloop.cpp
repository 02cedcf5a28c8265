#include "platform/eventloop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace platform {

void Yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void YieldClock::tick() {
    if (since.elapsed() < slice)
        return;
    Yield();
    since.restart();
}

} // namespace platform
