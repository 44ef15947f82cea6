// What the database benchmarks share: where a data source comes from, and
// running set-up statements that must not fail.
#pragma once

#include "db/odbc_conn.h"
#include "db/statement_scope.h"

#include <benchmark/benchmark.h>

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

struct Source {
    std::string label;  // "SQLite", "PostgreSQL"
    std::string dsn, user, password;
};

inline std::string GetEnv(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// A benchmark that cannot set itself up has nothing to measure.
[[noreturn]] inline void Die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
    std::exit(2);
}

inline void RunOrDie(COdbcConn& conn, const std::string& sql) {
    db::StatementScope statement(conn);
    if (conn.Execute(sql) < 0) Die(sql.substr(0, 60) + ": " + DiagnosticMessage(conn, SQL_HANDLE_STMT));
}

// Reads every value of the current answer, as a result window does; the
// caller holds the statement. Returns the rows.
inline int ReadEveryValue(COdbcConn& conn) {
    const int columns = conn.GetColumnCount();
    std::string value;
    int rows = 0;
    for (; !conn.IsEndOfData(); ++rows, conn.Fetch()) {
        for (int c = 0; c < columns; ++c) {
            conn.GetValue(c, value);
            benchmark::DoNotOptimize(value.data());
        }
    }
    return rows;
}

inline void ConnectOrDie(COdbcConn& conn, const Source& source) {
    if (conn.Connect(source.dsn, source.user, source.password) == 0) return;
    Die("cannot connect to " + source.label + ": " + DiagnosticMessage(conn, SQL_HANDLE_DBC));
}

}  // namespace bench
