#include "platform/window_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

namespace platform {

void PostToWindowThread(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

}  // namespace platform

namespace platform {

bool ServeUntil(const std::function<bool()>& done, int timeoutMillis) {
    QElapsedTimer clock;
    clock.start();
    // Work on another thread posts nothing when it ends; the timer makes
    // the loop look again.
    QTimer tick;
    tick.start(15);
    while (!done()) {
        if (timeoutMillis >= 0 && clock.elapsed() >= timeoutMillis) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace platform
