// What the window benchmarks share: Qt offscreen, and serving its queued
// events.
#pragma once

#include "app/main_dlg.h"
#include "bench/bench_db.h"
#include "bench/bench_report.h"
#include "platform/cdialog.h"
#include "resources/resource_ids.h"
#include "results/result_grid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace bench {

// Before the QApplication is made: offscreen, with a runtime folder Qt accepts.
inline void UseOffscreenQt() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!GetEnv("XDG_RUNTIME_DIR").empty()) return;
    const std::string runtime = "/tmp/vetch-bench-runtime-" + std::to_string(getuid());
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

// Runs queued events (posted commands, deferred deletes).
inline void Pump() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// The main window as the program opens it, the connect dialog it opens at
// start answered at once.
inline std::unique_ptr<CMainDlg> OpenMainWindow() {
    platform::CDialog::SetModalDriver([](platform::CDialog&) {});
    auto main = std::make_unique<CMainDlg>();
    main->Create(nullptr);
    Pump();
    return main;
}

// A timer on the window thread that notes the longest time between two of
// its ticks: the longest the window could not answer the user. Start it
// before a stage, Stop it after; the stage must end by serving events.
class StallProbe {
public:
    StallProbe() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, static_cast<double>(since_.nsecsElapsed()) / 1e9);
            since_.restart();
        });
    }
    void Start() {
        timer_.start();
        since_.start();
    }
    // Serves the events due, so that a tick after the stage measures it;
    // returns the longest gap since Start in seconds.
    double Stop() {
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 10) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        timer_.stop();
        const double longest = longest_;
        longest_ = 0;
        return longest;
    }

private:
    QTimer timer_;
    QElapsedTimer since_;
    double longest_ = 0;
};

}  // namespace bench
