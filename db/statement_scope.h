// db::StatementScope: one use of the shared connection's statement, the
// allocate -> execute (or catalogue call) -> read -> free sequence, under the
// connection lock. Every user of a statement goes through one: F5, the
// catalogue window, each statement of a batch run, the tests.
//
//   {
//       db::StatementScope statement(conn);   // locks, allocates
//       int r = statement->Execute(sql);
//       ... read the columns, or DiagnosticMessage(*statement, SQL_HANDLE_STMT) ...
//   }                                          // frees, unlocks: on every path
//
// THE RULE: never hold the connection lock while waiting for the
// user-interface thread. The lock serialises every thread's use of the one
// connection; the user-interface thread takes it for F5 and the catalogue
// window, and may, at shutdown, wait for a worker. A worker that waits for
// the user-interface thread (a log line handed over, a message box) while it
// holds the lock can therefore deadlock the program. Build the outcome under
// the lock (the log text, the diagnostic message), end the scope, and only
// then hand it over. The same goes for the user-interface thread itself:
// read what a message box will show under the lock, show it after.
//
// A scope lives on one thread and is neither copied nor moved. The lock is
// recursive, so a scope may be opened by a thread that already holds it
// (the statement slot is then reused: AllocStatement frees what it finds).
#pragma once

#include "db/odbc_conn.h"

#include <mutex>

namespace db {

class StatementScope {
public:
    // Takes the connection lock, then allocates the connection's statement.
    explicit StatementScope(COdbcConn& conn)
        : conn_(conn), lock_(conn.Lock()), allocated_(conn.AllocStatement() == 0) {}
    // Frees the statement, then releases the lock.
    ~StatementScope() {
        if (allocated_) conn_.FreeStatement();
    }
    StatementScope(const StatementScope&) = delete;
    StatementScope& operator=(const StatementScope&) = delete;

    // False when the statement could not be allocated (no connection, a lost
    // one, or a stop was requested); Execute then fails, and the statement's
    // diagnostic is the reason the connection handle gives (none after a stop).
    bool Allocated() const { return allocated_; }

    COdbcConn& Conn() const { return conn_; }
    COdbcConn* operator->() const { return &conn_; }
    COdbcConn& operator*() const { return conn_; }

private:
    COdbcConn& conn_;
    std::unique_lock<std::recursive_mutex> lock_;
    bool allocated_;
};

}  // namespace db
