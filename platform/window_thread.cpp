#include "platform/window_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <deque>
#include <mutex>

namespace platform {

namespace {

// The work handed over and not yet run. Our own queue under our own lock,
// rather than a function inside Qt's posted event: what the work carries
// (a whole answer) then passes from thread to thread under a lock that
// ThreadSanitizer sees, and is destroyed on the window thread.
std::mutex g_mutex;
std::deque<std::function<void()>> g_work;

void RunPosted() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(g_mutex);
            if (g_work.empty()) return;
            work = std::move(g_work.front());
            g_work.pop_front();
        }
        work();
    }
}

}  // namespace

void PostToWindowThread(std::function<void()> work) {
    bool wake;
    {
        std::lock_guard lock(g_mutex);
        // One wake-up serves everything queued until it runs.
        wake = g_work.empty();
        g_work.push_back(std::move(work));
    }
    if (wake) QMetaObject::invokeMethod(QCoreApplication::instance(), [] { RunPosted(); }, Qt::QueuedConnection);
}

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
