#include "platform/line_handover.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::LineHandOver;
using platform::LineSender;

// A log window as the batch run has one: a list the hand-over appends to.
struct LogWindow {
    LogWindow() {
        list = new QListWidget;
        handOver = new LineHandOver([this](const std::string& line) { Append(line); }, list);
    }
    void Append(const std::string& line) {
        list->addItem(QString::fromStdString(line));
        shown.push_back(line);
    }
    QListWidget* list;
    LineHandOver* handOver;
    std::vector<std::string> shown;  // what reached the window, in order
};

// Lines "0", "1", ... until Send refuses one; returns how many it accepted.
void SendNumbers(LineSender sender, int count, std::atomic<int>& accepted) {
    for (int i = 0; i < count; ++i) {
        if (!sender.Send(std::to_string(i))) return;
        ++accepted;
    }
}

// Waits for cond, which the code under test promises; false after a while
// when it broke the promise, so that the test fails instead of hanging.
template <class Cond>
bool Eventually(Cond cond) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

void ExpectNumbered(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], std::to_string(i));
}

TEST(LineHandOverTest, ClosingTheWindowMidWayStopsTheWorkerAndNothingIsLostOrReordered) {
    LogWindow window;
    std::atomic<int> accepted{0};
    std::thread worker(SendNumbers, window.handOver->Sender(), 10000, std::ref(accepted));
    LineSender late = window.handOver->Sender();

    // The window's event loop appends until half the lines are in...
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (window.shown.size() < 5000 && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_GE(window.shown.size(), 5000u);
    // ...then the window closes and goes while the worker still sends: the
    // window's thread waits for the worker, which must not wait for it.
    window.list->close();
    delete window.list;
    worker.join();

    EXPECT_LT(window.shown.size(), 10000u);
    // Every line the worker was told is in the window is there, in order.
    EXPECT_EQ(static_cast<std::size_t>(accepted.load()), window.shown.size());
    ExpectNumbered(window.shown);
    // A sender outliving its window is refused at once.
    EXPECT_FALSE(late.Send("after"));
}

// The window thread appends only while the worker stands still, held in
// Send or let go too early, and the worker is still held while its line
// goes in: no timing decides the outcome.
TEST(LineHandOverTest, SendReturnsOnlyOnceItsOwnLineIsInTheWindow) {
    std::vector<std::string> shown;
    std::vector<std::uint64_t> heldWhileAppending;
    LineHandOver* handOver = nullptr;
    QObject window;
    handOver = new LineHandOver(
        [&](const std::string& line) {
            heldWhileAppending.push_back(handOver->LinesHeld());
            shown.push_back(line);
        },
        &window);
    std::atomic<std::size_t> returned{0};
    std::thread worker([sender = handOver->Sender(), &returned] {
        for (const char* line : {"0", "1", "2"}) {
            if (!sender.Send(line)) return;
            ++returned;
        }
    });
    const auto serveWhileHeld = [&] {
        while (returned < 3) {
            ASSERT_TRUE(Eventually(
                [&] { return returned == 3 || returned > shown.size() || handOver->LinesHeld() == 1; }));
            ASSERT_EQ(returned, shown.size()) << "a Send returned before its line was in the window";
            handOver->Serve();
        }
    };
    serveWhileHeld();
    handOver->Stop();
    worker.join();
    ExpectNumbered(shown);
    EXPECT_EQ(heldWhileAppending, (std::vector<std::uint64_t>{1, 1, 1}));
}

}  // namespace
