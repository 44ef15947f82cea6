// The stop for shutdown: workers sharing the connection end whatever they are
// doing when it comes, and nothing runs after it.
#include "db/statement_scope.h"

#include "support/odbc_env.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using vetch_test::Db;
using Clock = std::chrono::steady_clock;

// Runs far longer than any test allows unless it is cancelled.
const char* SlowQuery(Db db) {
    switch (db) {
    case Db::Sqlite: break;
    case Db::Postgres: return "SELECT pg_sleep(60)";
    // A cancelled SLEEP() ends without an error; a join of 10^12 rows fails.
    case Db::Mariadb: return "SELECT count(*) FROM seq_1_to_1000000 a, seq_1_to_1000000 b WHERE a.seq + b.seq = 0";
    }
    return "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 1000000000) SELECT count(*) FROM r";
}

class ConnectionStopTest : public testing::TestWithParam<Db> {
protected:
    void SetUp() override {
        VETCH_REQUIRE_DB(GetParam());
        ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam()));
    }
    COdbcConn conn;
};

TEST_P(ConnectionStopTest, AStopBetweenTwoStatementsIsNotLost) {
    // A worker that knows of no stop of its own: it runs short statements
    // until one fails. A cancel between two of them would change nothing.
    std::atomic<int> statements{0};
    std::thread worker([&] {
        for (;;) {
            db::StatementScope statement(conn);
            if (statement->Execute("SELECT 1") < 0) return;
            ++statements;
        }
    });
    while (statements < 20) std::this_thread::yield();
    const auto begin = Clock::now();
    conn.RequestStop();
    worker.join();
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
    EXPECT_TRUE(conn.StopRequested());
    {
        db::StatementScope statement(conn);
        EXPECT_FALSE(statement.Allocated());
        EXPECT_EQ(-1, statement->Execute("SELECT 1"));
    }
    // A new connection starts without the stop.
    conn.Disconnect();
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam()));
    EXPECT_FALSE(conn.StopRequested());
    EXPECT_EQ((vetch_test::Rows{{"1"}}), vetch_test::Query(conn, "SELECT 1"));
}

TEST_P(ConnectionStopTest, AStopCancelsTheRunningStatement) {
    std::atomic<int> result{0};
    std::atomic<bool> started{false};
    std::thread worker([&] {
        db::StatementScope statement(conn);
        started = true;
        result = statement->Execute(SlowQuery(GetParam()));
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // now in the driver
    const auto begin = Clock::now();
    // As the main window does while it waits: the first stop may come before
    // the statement has reached the driver.
    while (Clock::now() - begin < std::chrono::seconds(20)) {
        conn.RequestStop();
        if (result != 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    worker.join();
    EXPECT_EQ(-1, result.load());
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(10));
}

VETCH_FOR_EACH_DB(ConnectionStopTest);

}  // namespace
