#include "db/statement_scope.h"

#include "support/odbc_env.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The statement a scope allocated is gone afterwards: freeing again fails.
bool StatementLeftOver(COdbcConn& conn) {
    auto lock = conn.Lock();
    return conn.FreeStatement() == 0;
}

TEST(StatementScopeTest, FreesOnEveryPathAndHoldsTheLockMeanwhile) {
    COdbcConn conn;
    ASSERT_EQ(vetch_test::ConnectTo(conn, vetch_test::Db::Sqlite), 0);
    auto firstValue = [&](const char* sql, bool leaveEarly) -> int {
        db::StatementScope statement(conn);
        EXPECT_TRUE(statement.Allocated());
        if (statement->Execute(sql) < 0) return -1;
        if (leaveEarly) return 1;
        std::string value;
        statement->GetValue(0, value);
        return std::stoi(value);
    };
    EXPECT_EQ(firstValue("select 7", true), 1);
    EXPECT_FALSE(StatementLeftOver(conn));
    EXPECT_EQ(firstValue("selec 7", false), -1);
    EXPECT_FALSE(StatementLeftOver(conn));

    // Another thread's sequence waits until the scope ends.
    std::atomic<bool> otherRan{false};
    std::thread other;
    {
        db::StatementScope statement(conn);
        ASSERT_EQ(statement->Execute("select 1"), 0);
        other = std::thread([&] {
            db::StatementScope second(conn);
            otherRan = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(otherRan.load());
        std::string value;
        statement->GetValue(0, value);
        EXPECT_EQ(value, "1");  // our answer was not replaced
    }
    other.join();
    EXPECT_TRUE(otherRan.load());
}

TEST(StatementScopeTest, WithoutAConnectionNothingIsAllocatedAndExecuteFails) {
    COdbcConn conn;
    db::StatementScope statement(conn);
    EXPECT_FALSE(statement.Allocated());
    EXPECT_EQ(statement->Execute("select 1"), -1);
    // The driver manager's reason for refusing the statement is its message.
    EXPECT_NE(DiagnosticMessage(*statement, SQL_HANDLE_STMT).find("Connection not open"), std::string::npos);
}

}  // namespace
