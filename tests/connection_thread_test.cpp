// The connection's thread: work runs in the order asked, a step that wants
// another turn goes behind whatever arrived meanwhile, and work cancelled
// before its turn is told so instead of running.
#include "db/connection_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    return done();
}

TEST(ConnectionThreadTest, TurnsGoInOrderAndAStepWaitsBehindWorkThatArrivedMeanwhile) {
    COdbcConn conn;
    db::ConnectionThread thread(conn);
    std::mutex mutex;
    std::vector<std::string> ran;
    auto note = [&](std::string what) {
        std::lock_guard lock(mutex);
        ran.push_back(std::move(what));
    };
    // The first piece of work holds the thread until the rest is queued.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    thread.Submit([&, released](COdbcConn&, const db::Request&) {
        released.wait();
        note("hold");
        return false;
    });
    int left = 3;
    auto batch = thread.Submit([&](COdbcConn&, const db::Request&) {
        note("batch " + std::to_string(left));
        return --left > 0;
    });
    thread.Submit([&](COdbcConn&, const db::Request&) {
        note("f5");
        return false;
    });
    EXPECT_FALSE(thread.Idle());
    release.set_value();
    ASSERT_TRUE(WaitFor([&] { return thread.Idle(); }));
    EXPECT_TRUE(batch->Done());
    EXPECT_EQ(ran, (std::vector<std::string>{"hold", "batch 3", "f5", "batch 2", "batch 1"}));
}

TEST(ConnectionThreadTest, WorkCancelledBeforeItsTurnIsToldSoAndAStepStopsGettingTurns) {
    COdbcConn conn;
    db::ConnectionThread thread(conn);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto holder = thread.Submit([released](COdbcConn&, const db::Request&) {
        released.wait();
        return false;
    });
    std::atomic<int> sawCancel{0};
    std::atomic<int> turns{0};
    auto queued = thread.Submit([&](COdbcConn&, const db::Request& self) {
        sawCancel = self.Cancelled() ? 1 : 2;
        return false;
    });
    auto endless = thread.Submit([&](COdbcConn&, const db::Request& self) {
        ++turns;
        return !self.Cancelled();
    });
    thread.Cancel(queued);
    release.set_value();
    ASSERT_TRUE(WaitFor([&] { return queued->Done() && turns > 5; }));
    EXPECT_EQ(sawCancel.load(), 1);
    EXPECT_TRUE(queued->Cancelled());
    thread.CancelAll();
    ASSERT_TRUE(WaitFor([&] { return endless->Done(); }));
    EXPECT_TRUE(holder->Done());
    EXPECT_TRUE(thread.Idle());
}

}  // namespace
