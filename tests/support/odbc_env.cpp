#include "odbc_env.h"

#include "db/odbc_conn.h"
#include "db/statement_scope.h"

#include <cerrno>
#include <dlfcn.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vetch_test {
namespace {

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kPostgresDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so";
constexpr const char* kMariadbDriver = "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so";
constexpr const char* kSqliteDsn = "vetch-test-sqlite";
constexpr const char* kPostgresDsn = "vetch-test-pg";
constexpr const char* kSqliteStreamingDsn = "vetch-test-sqlite-stream";
constexpr const char* kPostgresStreamingDsn = "vetch-test-pg-stream";
constexpr const char* kMariadbDsn = "vetch-test-mdb";

struct State {
    std::string dir;
    std::string sqlitePath;
    std::string pgUser, pgPassword, pgQuotedUser, pgQuotedPassword, pgSchema;
    bool pgConfigured = false;
    std::string mdbUser, mdbPassword;
    bool mdbConfigured = false;
};

State& Env() {
    static State state;
    return state;
}

std::string GetEnv(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// Folders of earlier runs whose process is gone (a crash or a kill skipped
// their clean-up).
void RemoveStaleRuns(const fs::path& base) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(base, ec)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("run-", 0) != 0) continue;
        pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + 4));
        if (pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH)) fs::remove_all(entry.path(), ec);
    }
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        std::fprintf(stderr, "odbc_env: cannot write %s\n", path.c_str());
        std::abort();
    }
}

int ConnectToPostgres(COdbcConn& conn) {
    return conn.Connect(kPostgresDsn, Env().pgUser, Env().pgPassword);
}

// Schemas of earlier test programs whose process is gone. They are dropped
// here rather than at exit: by then the TLS library under the PostgreSQL
// driver has shut down and a new connection crashes.
void DropStaleSchemas(COdbcConn& conn) {
    for (const auto& row : Query(conn, "SELECT nspname FROM pg_namespace WHERE nspname LIKE 'vt\\_%'")) {
        pid_t pid = static_cast<pid_t>(std::atol(row[0].c_str() + 3));
        if (pid == getpid() || (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH))
            RunSql(conn, "DROP SCHEMA IF EXISTS " + row[0] + " CASCADE");
    }
}

void CleanUp() {
    std::error_code ec;
    fs::remove_all(Env().dir, ec);
}

void Initialise() {
    State& env = Env();
    fs::path base = fs::path(VETCH_BINARY_DIR) / "odbc-test";
    std::error_code ec;
    fs::create_directories(base, ec);
    RemoveStaleRuns(base);
    fs::path dir = base / ("run-" + std::to_string(getpid()));
    fs::remove_all(dir, ec);
    if (!fs::create_directories(dir, ec)) {
        std::fprintf(stderr, "odbc_env: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        std::abort();
    }
    env.dir = dir.string();
    env.sqlitePath = (dir / "test.db").string();

    env.pgConfigured = !GetEnv("VETCH_PG_PORT").empty();
    env.pgUser = GetEnv("VETCH_PG_USER", "vetch");
    env.pgPassword = GetEnv("VETCH_PG_PASSWORD");
    env.pgQuotedUser = GetEnv("VETCH_PG_QUOTED_USER", "vetch_quoted");
    // The quoted password ends in a space, so it is taken even when empty-looking.
    const char* quoted = std::getenv("VETCH_PG_QUOTED_PASSWORD");
    env.pgQuotedPassword = quoted ? quoted : "";
    env.pgSchema = "vt_" + std::to_string(getpid());
    env.mdbConfigured = !GetEnv("VETCH_MDB_PORT").empty();
    env.mdbUser = GetEnv("VETCH_MDB_USER", "vetch");
    env.mdbPassword = GetEnv("VETCH_MDB_PASSWORD", "vetchpw");

    // DontDLClose keeps a driver loaded after its last connection ends, so
    // that sanitizer reports can still name the library an allocation came
    // from (and each test does not load the driver again).
    WriteFile(env.dir + "/odbcinst.ini",
              std::string("[SQLite3]\nDriver=") + kSqliteDriver + "\nDontDLClose=1\n\n[PostgreSQL ANSI]\nDriver=" +
                  kPostgresDriver + "\nDontDLClose=1\n\n[MariaDB Unicode]\nDriver=" + kMariadbDriver +
                  "\nDontDLClose=1\n");
    // The database is thrown away at the end, so it is never synced to disk:
    // with syncing every autocommitted statement waits for the disk.
    const std::string sqlite = "Driver=SQLite3\nDatabase=" + env.sqlitePath + "\nSyncPragma=OFF\nJournalMode=MEMORY\n";
    std::string dsns = std::string("[") + kSqliteDsn + "]\n" + sqlite;
    dsns += std::string("\n[") + kSqliteStreamingDsn + "]\n" + sqlite + "StepAPI=1\n";
    if (env.pgConfigured) {
        const std::string pg = "Driver=PostgreSQL ANSI\nServername=" + GetEnv("VETCH_PG_HOST", "127.0.0.1") +
                               "\nPort=" + GetEnv("VETCH_PG_PORT") + "\nDatabase=" +
                               GetEnv("VETCH_PG_DATABASE", "vetchdb") +
                               "\nSSLmode=disable\nConnSettings=SET client_encoding TO 'UTF8';SET search_path TO " +
                               env.pgSchema + ",public\n";
        dsns += std::string("\n[") + kPostgresDsn + "]\n" + pg;
        dsns += std::string("\n[") + kPostgresStreamingDsn + "]\n" + pg + "UseDeclareFetch=1\nFetch=2\n";
    }
    if (env.mdbConfigured) {
        const std::string mdb = "Driver=MariaDB Unicode\nSERVER=" + GetEnv("VETCH_MDB_HOST", "127.0.0.1") +
                                "\nPORT=" + GetEnv("VETCH_MDB_PORT") + "\nDATABASE=" +
                                GetEnv("VETCH_MDB_DATABASE", "vetchdb") + "\nCHARSET=utf8mb4\n";
        dsns += std::string("\n[") + kMariadbDsn + "]\n" + mdb;
    }
    WriteFile(env.dir + "/odbc.ini", dsns);
    // The driver manager unloads its ini-file library before the leak check
    // at exit, and that library's cache, still held when it goes, would then
    // be reported as a leak (under whatever library is mapped there later).
    dlopen("libodbcinst.so.2", RTLD_LAZY | RTLD_NODELETE);
    setenv("ODBCSYSINI", env.dir.c_str(), 1);
    setenv("ODBCINI", (env.dir + "/odbc.ini").c_str(), 1);

    std::atexit(CleanUp);
}

}  // namespace

void InitOdbcEnvironment() {
    static std::once_flag once;
    std::call_once(once, Initialise);
}

namespace {
const State& Ready() {
    InitOdbcEnvironment();
    return Env();
}
}  // namespace

const char* SqliteDsn() { return Ready(), kSqliteDsn; }
const char* SqliteDatabasePath() { return Ready().sqlitePath.c_str(); }
bool PostgresConfigured() { return Ready().pgConfigured; }
bool RunningInCi() { return GetEnv("CI") == "true"; }
const char* PostgresDsn() { return Ready(), kPostgresDsn; }
const char* PostgresUser() { return Ready().pgUser.c_str(); }
const char* PostgresPassword() { return Ready().pgPassword.c_str(); }
const char* PostgresQuotedUser() { return Ready().pgQuotedUser.c_str(); }
const char* PostgresQuotedPassword() { return Ready().pgQuotedPassword.c_str(); }

std::string PostgresMissingReason() {
    return "PostgreSQL is not configured: VETCH_PG_PORT is not set. Start a server with "
           "scripts/pg-start.sh <folder> and source <folder>/pg.env before running the tests.";
}

std::vector<Login> PostgresOddLogins() {
    // The same pairs as the roles scripts/pg-start.sh creates.
    return {{"h3=eq", " a;b "}, {"h3}br", "{open"}, {"h3{br", "close}="}};
}

bool MariadbConfigured() { return Ready().mdbConfigured; }

std::string MariadbMissingReason() {
    return "MariaDB is not configured: VETCH_MDB_PORT is not set. Start a server with "
           "scripts/mdb-start.sh <folder> and source <folder>/mdb.env before running the tests.";
}

const char* PostgresSchema() {
    InitOdbcEnvironment();
    static std::once_flag once;
    std::call_once(once, [] {
        State& env = Env();
        if (!env.pgConfigured) return;
        COdbcConn conn;
        if (ConnectToPostgres(conn) != 0) return;
        DropStaleSchemas(conn);
        std::string message;
        if (RunSql(conn, "CREATE SCHEMA " + env.pgSchema, &message) < 0) {
            std::fprintf(stderr, "odbc_env: cannot create schema %s: %s\n", env.pgSchema.c_str(),
                         message.c_str());
        }
        conn.Disconnect();
    });
    return Env().pgSchema.c_str();
}

const char* DbName(Db db) {
    switch (db) {
    case Db::Sqlite: return "SQLite";
    case Db::Postgres: return "PostgreSQL";
    case Db::Mariadb: return "MariaDB";
    }
    return "?";
}

std::vector<Db> AllDbs() {
    if (MariadbConfigured()) return {Db::Sqlite, Db::Postgres, Db::Mariadb};
    return {Db::Sqlite, Db::Postgres};
}

std::vector<Db> DbsWithout(Db left_out) {
    std::vector<Db> dbs = AllDbs();
    std::erase(dbs, left_out);
    return dbs;
}

DataSource DataSourceOf(Db db) {
    const State& env = Ready();
    switch (db) {
    case Db::Sqlite: break;
    case Db::Postgres: return {kPostgresDsn, env.pgUser, env.pgPassword};
    case Db::Mariadb: return {kMariadbDsn, env.mdbUser, env.mdbPassword};
    }
    return {kSqliteDsn, "", ""};
}

int ConnectTo(COdbcConn& conn, Db db) {
    if ((db == Db::Postgres && !PostgresConfigured()) || (db == Db::Mariadb && !MariadbConfigured())) return -1;
    if (db == Db::Postgres) PostgresSchema();
    const DataSource source = DataSourceOf(db);
    return conn.Connect(source.dsn, source.user, source.password);
}

int ConnectStreamingTo(COdbcConn& conn, Db db) {
    if (db == Db::Mariadb || (db == Db::Postgres && !PostgresConfigured())) return -1;  // MariaDB reads all at once
    if (db == Db::Postgres) PostgresSchema();
    const DataSource source = DataSourceOf(db);
    return conn.Connect(db == Db::Sqlite ? kSqliteStreamingDsn : kPostgresStreamingDsn, source.user, source.password);
}

const char* FailingThirdRowQuery(Db db) {
    switch (db) {
    case Db::Sqlite:
        return "select n, case when n = 3 then abs(-9223372036854775807 - 1) else n end from "
               "(select 1 n union all select 2 union all select 3 union all select 4)";
    case Db::Postgres: return "SELECT n, 1/(n-3) FROM generate_series(1,5) n";
    case Db::Mariadb: break;
    }
    return "";
}

const char* FailingThirdRowMessage(Db db) {
    switch (db) {
    case Db::Sqlite: return "integer overflow";
    case Db::Postgres: return "division by zero";
    case Db::Mariadb: break;
    }
    return "";
}

int RunSql(COdbcConn& conn, std::string_view sql, std::string* message) {
    db::StatementScope statement(conn);
    int result = statement->Execute(sql);
    if (result < 0 && message) *message = DiagnosticMessage(*statement, SQL_HANDLE_STMT);
    return result;
}

bool ResetTable(COdbcConn& conn, std::string_view name, std::string_view columns) {
    std::string message;
    std::string drop = "DROP TABLE IF EXISTS " + std::string(name);
    if (RunSql(conn, drop, &message) < 0) {
        ADD_FAILURE() << drop << ": " << message;
        return false;
    }
    std::string create = "CREATE TABLE " + std::string(name) + " (" + std::string(columns) + ")";
    if (RunSql(conn, create, &message) < 0) {
        ADD_FAILURE() << create << ": " << message;
        return false;
    }
    return true;
}

Rows ReadRows(COdbcConn& conn) {
    Rows rows;
    int columns = conn.GetColumnCount();
    while (!conn.IsEndOfData()) {
        std::vector<std::string> row(static_cast<std::size_t>(columns));
        for (int i = 0; i < columns; ++i) conn.GetValue(i, row[static_cast<std::size_t>(i)]);
        rows.push_back(std::move(row));
        conn.Fetch();
    }
    return rows;
}

Rows Query(COdbcConn& conn, std::string_view sql) {
    db::StatementScope statement(conn);
    Rows rows;
    if (statement->Execute(sql) < 0) {
        ADD_FAILURE() << "query failed: " << sql << ": " << DiagnosticMessage(*statement, SQL_HANDLE_STMT);
    } else if (statement->GetColumnCount() > 0) {
        rows = ReadRows(*statement);
    }
    return rows;
}

}  // namespace vetch_test

// Picked up by LeakSanitizer in sanitizer builds: the PostgreSQL driver
// keeps a few bytes per connection that it never frees.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:psqlodbca.so\n";
}
