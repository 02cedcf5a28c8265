#include "platform/eventloop.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace platform {

void Yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void YieldClock::tick() {
    if (since.elapsed() < slice)
        return;
    Yield();
    since.restart();
}

} // namespace platform
