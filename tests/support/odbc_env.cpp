#include "odbc_env.h"

#include "db/odbc_conn.h"
#include "platform/codepage.h"

#include <cerrno>
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
constexpr const char* kSqliteDsn = "vetch-test-sqlite";
constexpr const char* kPostgresDsn = "vetch-test-pg";

struct State {
    std::string dir;
    std::string sqlitePath;
    std::string pgUser, pgPassword, pgQuotedUser, pgQuotedPassword, pgSchema;
    bool pgConfigured = false;
    bool pgSchemaReady = false;
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

void DropOwnSchema() {
    State& env = Env();
    if (!env.pgSchemaReady) return;
    COdbcConn conn;
    if (ConnectToPostgres(conn) != 0) return;
    RunSql(conn, "DROP SCHEMA IF EXISTS " + env.pgSchema + " CASCADE");
    conn.Disconnect();
}

void CleanUp() {
    DropOwnSchema();
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

    WriteFile(env.dir + "/odbcinst.ini",
              std::string("[SQLite3]\nDriver=") + kSqliteDriver + "\n\n[PostgreSQL ANSI]\nDriver=" +
                  kPostgresDriver + "\n");
    std::string dsns = std::string("[") + kSqliteDsn + "]\nDriver=SQLite3\nDatabase=" + env.sqlitePath + "\n";
    if (env.pgConfigured) {
        dsns += std::string("\n[") + kPostgresDsn + "]\nDriver=PostgreSQL ANSI\nServername=" +
                GetEnv("VETCH_PG_HOST", "127.0.0.1") + "\nPort=" + GetEnv("VETCH_PG_PORT") +
                "\nDatabase=" + GetEnv("VETCH_PG_DATABASE", "vetchdb") +
                "\nSSLmode=disable\nConnSettings=SET client_encoding TO 'UTF8';SET search_path TO " +
                env.pgSchema + ",public\n";
    }
    WriteFile(env.dir + "/odbc.ini", dsns);
    setenv("ODBCSYSINI", env.dir.c_str(), 1);
    setenv("ODBCINI", (env.dir + "/odbc.ini").c_str(), 1);

    // Static objects first used after this registration would be destroyed
    // before the clean-up runs; the code-page tables are needed by it.
    platform::Cp932ToUtf8("");
    std::atexit(CleanUp);
}

}  // namespace

void InitOdbcEnvironment() {
    static std::once_flag once;
    std::call_once(once, Initialise);
}

const char* OdbcConfigDir() {
    InitOdbcEnvironment();
    return Env().dir.c_str();
}

const char* SqliteDsn() {
    InitOdbcEnvironment();
    return kSqliteDsn;
}

const char* SqliteDatabasePath() {
    InitOdbcEnvironment();
    return Env().sqlitePath.c_str();
}

bool PostgresConfigured() {
    InitOdbcEnvironment();
    return Env().pgConfigured;
}

std::string PostgresMissingReason() {
    return "PostgreSQL is not configured: VETCH_PG_PORT is not set. Start a server with "
           "scripts/pg-start.sh <folder> and source <folder>/pg.env before running the tests.";
}

bool RunningInCi() {
    return GetEnv("CI") == "true";
}

const char* PostgresDsn() {
    InitOdbcEnvironment();
    return kPostgresDsn;
}

const char* PostgresUser() {
    InitOdbcEnvironment();
    return Env().pgUser.c_str();
}

const char* PostgresPassword() {
    InitOdbcEnvironment();
    return Env().pgPassword.c_str();
}

const char* PostgresQuotedUser() {
    InitOdbcEnvironment();
    return Env().pgQuotedUser.c_str();
}

const char* PostgresQuotedPassword() {
    InitOdbcEnvironment();
    return Env().pgQuotedPassword.c_str();
}

const char* PostgresSchema() {
    InitOdbcEnvironment();
    static std::once_flag once;
    std::call_once(once, [] {
        State& env = Env();
        if (!env.pgConfigured) return;
        COdbcConn conn;
        if (ConnectToPostgres(conn) != 0) return;
        std::string message;
        if (RunSql(conn, "DROP SCHEMA IF EXISTS " + env.pgSchema + " CASCADE", &message) < 0 ||
            RunSql(conn, "CREATE SCHEMA " + env.pgSchema, &message) < 0) {
            std::fprintf(stderr, "odbc_env: cannot create schema %s: %s\n", env.pgSchema.c_str(),
                         message.c_str());
        } else {
            env.pgSchemaReady = true;
        }
        conn.Disconnect();
    });
    return Env().pgSchema.c_str();
}

const char* DbName(Db db) {
    return db == Db::Sqlite ? "SQLite" : "PostgreSQL";
}

std::vector<Db> AllDbs() {
    return {Db::Sqlite, Db::Postgres};
}

int ConnectTo(COdbcConn& conn, Db db) {
    InitOdbcEnvironment();
    if (db == Db::Sqlite) return conn.Connect(kSqliteDsn, "", "");
    if (!Env().pgConfigured) return -1;
    PostgresSchema();
    return ConnectToPostgres(conn);
}

int RunSql(COdbcConn& conn, std::string_view sql, std::string* message) {
    auto lock = conn.Lock();
    conn.AllocStatement();
    int result = conn.Execute(sql);
    if (result < 0 && message) {
        char state[6] = {};
        SQLINTEGER native = 0;
        char text[512] = {};
        SQLSMALLINT length = 0;
        conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, text, length);
        *message = text;
    }
    conn.FreeStatement();
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
    auto lock = conn.Lock();
    conn.AllocStatement();
    Rows rows;
    if (conn.Execute(sql) < 0) {
        char state[6] = {};
        SQLINTEGER native = 0;
        char text[512] = {};
        SQLSMALLINT length = 0;
        conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, text, length);
        ADD_FAILURE() << "query failed: " << sql << ": " << text;
    } else if (conn.GetColumnCount() > 0) {
        rows = ReadRows(conn);
    }
    conn.FreeStatement();
    return rows;
}

}  // namespace vetch_test
