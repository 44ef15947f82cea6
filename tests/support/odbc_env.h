// Private ODBC data sources for the tests.
//
// InitOdbcEnvironment points unixODBC (ODBCSYSINI, ODBCINI) at a folder of
// this test program's own under the build directory, holding its driver and
// data-source definitions, so nothing in /etc or ~/.odbc.ini is read or
// changed. unixODBC remembers the folder at its first connect, so the
// environment must be set up before any test connects: every function here
// does that first, and a test that connects only to names of its own calls
// InitOdbcEnvironment itself. The folder, with the SQLite database, is
// removed when the program ends.
//
// SQLite is always there: a data source over a database file created fresh
// for this program. PostgreSQL is the server scripts/pg-start.sh starts; the
// tests find it through the VETCH_PG_* variables of the pg.env it writes.
// Unqualified table names on that data source go to a schema of this
// program's own (PostgresSchema), so test programs running side by side do
// not meet; the fixed catalogue of scripts/pg-schema.sql is in the schemas
// "vetch" and "vetch2".
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class COdbcConn;

namespace vetch_test {

void InitOdbcEnvironment();

// The folder ODBCSYSINI points at.
const char* OdbcConfigDir();

// SQLite: data source name, and the database file behind it. No user or
// password is needed.
const char* SqliteDsn();
const char* SqliteDatabasePath();

// PostgreSQL: true when the VETCH_PG_* variables name a server.
bool PostgresConfigured();
// Why PostgreSQL tests cannot run, for a skip or failure message.
std::string PostgresMissingReason();
// True when CI=true: a missing server is then a failure, not a skip.
bool RunningInCi();
const char* PostgresDsn();
const char* PostgresUser();
const char* PostgresPassword();
// A second login whose password holds ';', braces, '=' and a trailing space.
const char* PostgresQuotedUser();
const char* PostgresQuotedPassword();
// Logins whose user names hold '=', '}' or '{' and whose passwords hold ';',
// braces, '=' and spaces at their edges (created by scripts/pg-start.sh).
struct Login {
    std::string user;
    std::string password;
};
std::vector<Login> PostgresOddLogins();
// This program's own schema ("vt_<pid>"), first on the data source's search
// path; created empty on the first call, which also drops the schemas of
// test programs that have ended.
const char* PostgresSchema();

// The two kinds of data source a suite can be parameterised over.
enum class Db { Sqlite, Postgres };
const char* DbName(Db db);  // "SQLite" / "PostgreSQL"
inline void PrintTo(Db db, std::ostream* out) { *out << DbName(db); }
std::vector<Db> AllDbs();
// Connects conn to the data source of kind db with its credentials; 0 or -1.
int ConnectTo(COdbcConn& conn, Db db);
// The same database through a data source that hands rows over as they are
// fetched (SQLite StepAPI=1, psqlODBC UseDeclareFetch=1 with Fetch=2), so a
// row that fails does so in the middle of the reading, not at execution.
int ConnectStreamingTo(COdbcConn& conn, Db db);
// A query whose third row fails on that data source; rows 1 and 2 hold
// "1", "1" and "2", "2" on SQLite, "1", "0" and "2", "-1" on PostgreSQL.
const char* FailingThirdRowQuery(Db db);
// Part of the driver's message for that failure.
const char* FailingThirdRowMessage(Db db);

// Runs one statement as a window does (lock, allocate, execute, free) and
// returns Execute's result; on failure *message gets the diagnostic text.
int RunSql(COdbcConn& conn, std::string_view sql, std::string* message = nullptr);
// Drops table name if it exists and creates it as "CREATE TABLE name (columns)".
// Returns false, with a GoogleTest failure, when either statement fails.
bool ResetTable(COdbcConn& conn, std::string_view name, std::string_view columns);

using Rows = std::vector<std::vector<std::string>>;
// Reads the rest of the current answer: the current row, then Fetch until the
// end. The caller holds the lock.
Rows ReadRows(COdbcConn& conn);
// Lock, allocate, execute, read every row, free. Fails the test (and returns
// no rows) when the statement fails.
Rows Query(COdbcConn& conn, std::string_view sql);

}  // namespace vetch_test

// Skips the current test, or fails it when CI=true, when PostgreSQL is not
// configured. Usable in a test body or in SetUp.
#define VETCH_REQUIRE_POSTGRES()                                               \
    do {                                                                       \
        if (!::vetch_test::PostgresConfigured()) {                             \
            if (::vetch_test::RunningInCi()) {                                 \
                FAIL() << ::vetch_test::PostgresMissingReason();               \
            } else {                                                           \
                GTEST_SKIP() << ::vetch_test::PostgresMissingReason();         \
            }                                                                  \
        }                                                                      \
    } while (0)

// The same for a test parameterised over Db.
#define VETCH_REQUIRE_DB(db)                                                   \
    do {                                                                       \
        if ((db) == ::vetch_test::Db::Postgres) VETCH_REQUIRE_POSTGRES();      \
    } while (0)
