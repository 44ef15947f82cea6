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
// THE RULE: never hold a scope while waiting for the user-interface thread.
// Scopes run on the connection's own thread (db::ConnectionThread), which
// also serves every other window's work; a step that waited for the window
// (a log line handed over) inside its scope would keep the statement open
// meanwhile. Build the outcome inside the scope (the log text, the
// diagnostic message), end it, and only then hand it over.
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
