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

#include <sys/stat.h>
#include <unistd.h>

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

// Times Select All then Copy in a result window, from nothing selected.
inline void TimeSelectAllAndCopy(benchmark::State& state, platform::CDialog& window, results::ResultGrid& list) {
    for (auto _ : state) {
        list.clearSelection();
        const auto start = Clock::now();
        window.SendCommand(res::IDC_SELECT_ALL);
        window.SendCommand(res::IDC_COPY);
        state.SetIterationTime(Seconds(start));
    }
}

}  // namespace bench
