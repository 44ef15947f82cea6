// Private ODBC data sources for the tests, in a folder of this program's own
// that ODBCSYSINI points at (unixODBC reads it at the first connect, so every
// function here sets it up first). SQLite: a fresh database file. PostgreSQL:
// the server of scripts/pg-start.sh, named by the VETCH_PG_* variables, with
// a schema of this program's own first on the search path; the fixed
// catalogue of scripts/pg-schema.sql is in the schemas "vetch" and "vetch2".
// MariaDB: the server of scripts/mdb-start.sh, named by the VETCH_MDB_*
// variables (its database is shared by every test program).
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class COdbcConn;

namespace vetch_test {

void InitOdbcEnvironment();

const char* SqliteDsn();
const char* SqliteDatabasePath();

bool PostgresConfigured();
std::string PostgresMissingReason();
bool RunningInCi();  // CI=true: a missing server is then a failure, not a skip
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
// This program's own schema ("vt_<pid>"), created on the first call.
const char* PostgresSchema();

bool MariadbConfigured();
std::string MariadbMissingReason();

// The kinds of data source a suite can be parameterised over.
enum class Db { Sqlite, Postgres, Mariadb };
const char* DbName(Db db);  // "SQLite" / "PostgreSQL" / "MariaDB"
inline void PrintTo(Db db, std::ostream* out) { *out << DbName(db); }
// SQLite and PostgreSQL always (a test skips or fails when PostgreSQL is
// missing), MariaDB when VETCH_MDB_PORT names a server.
std::vector<Db> AllDbs();
// AllDbs() but one: for a test whose SQL that kind cannot run.
std::vector<Db> DbsWithout(Db left_out);
// The data source of kind db and its credentials, as a user would type them.
struct DataSource {
    std::string dsn, user, password;
};
DataSource DataSourceOf(Db db);
// Connects conn to the data source of kind db with its credentials; 0 or -1.
int ConnectTo(COdbcConn& conn, Db db);
// The same database through a data source that hands rows over as they are
// fetched (SQLite StepAPI=1, psqlODBC UseDeclareFetch=1 with Fetch=2), so a
// row that fails does so in the middle of the reading, not at execution.
// None for MariaDB: its driver reads the whole answer at execution.
int ConnectStreamingTo(COdbcConn& conn, Db db);
// A query whose third row fails on that data source; rows 1 and 2 hold
// "1", "1" and "2", "2" on SQLite, "1", "0" and "2", "-1" on PostgreSQL.
const char* FailingThirdRowQuery(Db db);
// Part of the driver's message for that failure.
const char* FailingThirdRowMessage(Db db);

// Runs one statement as a window does; Execute's result, the diagnostic in *message.
int RunSql(COdbcConn& conn, std::string_view sql, std::string* message = nullptr);
// Drops and creates table name; false, with a test failure, when that fails.
bool ResetTable(COdbcConn& conn, std::string_view name, std::string_view columns);

using Rows = std::vector<std::vector<std::string>>;
// The rest of the current answer, this row first. The caller holds the lock.
Rows ReadRows(COdbcConn& conn);
// Every row of sql; a test failure when it fails.
Rows Query(COdbcConn& conn, std::string_view sql);

}  // namespace vetch_test

// Skips the current test, or fails it when CI=true, when a server is not
// configured. Usable in a test body or in SetUp.
#define VETCH_REQUIRE_SERVER(configured, reason)                               \
    do {                                                                       \
        if (!(configured)) {                                                   \
            if (::vetch_test::RunningInCi()) {                                 \
                FAIL() << (reason);                                            \
            } else {                                                           \
                GTEST_SKIP() << (reason);                                      \
            }                                                                  \
        }                                                                      \
    } while (0)
#define VETCH_REQUIRE_POSTGRES()                                               \
    VETCH_REQUIRE_SERVER(::vetch_test::PostgresConfigured(), ::vetch_test::PostgresMissingReason())
#define VETCH_REQUIRE_MARIADB()                                                \
    VETCH_REQUIRE_SERVER(::vetch_test::MariadbConfigured(), ::vetch_test::MariadbMissingReason())

// The same for a test parameterised over Db.
#define VETCH_REQUIRE_DB(db)                                                   \
    do {                                                                       \
        if ((db) == ::vetch_test::Db::Postgres) VETCH_REQUIRE_POSTGRES();      \
        if ((db) == ::vetch_test::Db::Mariadb) VETCH_REQUIRE_MARIADB();        \
    } while (0)

// Instantiates a suite parameterised over Db, its tests named by the kind.
#define VETCH_FOR_DBS(Suite, dbs)                                                                         \
    INSTANTIATE_TEST_SUITE_P(Db, Suite, ::testing::ValuesIn(dbs),                                         \
                             [](const auto& info) { return std::string(vetch_test::DbName(info.param)); })
#define VETCH_FOR_EACH_DB(Suite) VETCH_FOR_DBS(Suite, vetch_test::AllDbs())
