// How fast COdbcConn reads a large result, against two references reading
// the same query through the same driver:
//   - a minimal C loop: SQLBindCol once per column, one SQLFetch per row;
//   - unixODBC's isql -b, run as a child process, output to /dev/null.
// Table: 100,000 rows x 5 columns, in a temporary SQLite file and, when
// VETCH_PG_PORT is set (scripts/pg-start.sh), in PostgreSQL as well.
//
// Each reading is repeated (15 times by default, interleaved at random) and
// the median counts. The summary at the end shows the three times per
// database and PASS when COdbcConn needs at most 1.25 x the minimal loop and
// less than isql. The exit status is 1 when a target is missed.
#include "bench/bench_db.h"
#include "bench/bench_report.h"
#include "db/odbc_conn.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using bench::ConnectOrDie;
using bench::Die;
using bench::GetEnv;
using bench::RunOrDie;
using bench::Source;

constexpr int kRows = 100000;
constexpr const char* kQuery = "SELECT id, code, name, amount, created FROM fetch_bench";

std::string g_dir;
std::string g_queryFile;
std::vector<Source> g_sources;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) Die("cannot write " + path);
}

// Private driver and data-source definitions; unixODBC reads them through
// ODBCSYSINI, which isql inherits.
void SetUpDataSources() {
    char pattern[] = "/tmp/vetch-bench.XXXXXX";
    if (!mkdtemp(pattern)) Die("cannot create a temporary folder");
    g_dir = pattern;
    WriteFile(g_dir + "/odbcinst.ini",
              "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n\n"
              "[PostgreSQL ANSI]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\n");
    std::string dsns = "[bench-sqlite]\nDriver=SQLite3\nDatabase=" + g_dir + "/bench.db\n";
    g_sources.push_back({"SQLite", "bench-sqlite", "", ""});
    if (!GetEnv("VETCH_PG_PORT").empty()) {
        // The table goes to a schema of its own, out of the way of the tests'
        // fixed catalogue.
        dsns += "\n[bench-pg]\nDriver=PostgreSQL ANSI\nServername=" + GetEnv("VETCH_PG_HOST", "127.0.0.1") +
                "\nPort=" + GetEnv("VETCH_PG_PORT") + "\nDatabase=" + GetEnv("VETCH_PG_DATABASE", "vetchdb") +
                "\nSSLmode=disable\nConnSettings=SET client_encoding TO 'UTF8';SET search_path TO bench_" +
                std::to_string(getpid()) + "\n";
        g_sources.push_back({"PostgreSQL", "bench-pg", GetEnv("VETCH_PG_USER", "vetch"), GetEnv("VETCH_PG_PASSWORD")});
    }
    WriteFile(g_dir + "/odbc.ini", dsns);
    setenv("ODBCSYSINI", g_dir.c_str(), 1);
    setenv("ODBCINI", (g_dir + "/odbc.ini").c_str(), 1);
    g_queryFile = g_dir + "/query.sql";
    WriteFile(g_queryFile, std::string(kQuery) + "\n");
}

// Rows of plain and Japanese text, numbers and timestamps, so that every
// kind of conversion is on the path. The UTF-8 literals become CP932 on the
// way in, as typed text would.
void CreateTable(const Source& source) {
    COdbcConn conn;
    ConnectOrDie(conn, source);
    std::string rows;
    if (source.label == "SQLite") {
        RunOrDie(conn, "DROP TABLE IF EXISTS fetch_bench");
        RunOrDie(conn, "CREATE TABLE fetch_bench (id integer primary key, code varchar(12), name varchar(40), "
                  "amount numeric(12,2), created timestamp)");
        RunOrDie(conn, "INSERT INTO fetch_bench WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(kRows) +
                      ") SELECT i, 'C' || substr('000000' || i, -6), "
                      "CASE i % 3 WHEN 0 THEN 'customer ' || i WHEN 1 THEN '顧客 ' || i ELSE 'ｶｽﾀﾏｰ ' || i END, "
                      "i * 1.25, datetime(1700000000 + i * 60, 'unixepoch') FROM n");
    } else {
        std::string schema = "bench_" + std::to_string(getpid());
        RunOrDie(conn, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        RunOrDie(conn, "CREATE SCHEMA " + schema);
        RunOrDie(conn, "CREATE TABLE fetch_bench (id integer primary key, code varchar(12), name varchar(40), "
                  "amount numeric(12,2), created timestamp)");
        RunOrDie(conn, "INSERT INTO fetch_bench SELECT i, 'C' || lpad(i::text, 6, '0'), "
                  "CASE i % 3 WHEN 0 THEN 'customer ' || i WHEN 1 THEN '顧客 ' || i ELSE 'ｶｽﾀﾏｰ ' || i END, "
                  "i * 1.25, timestamp '2023-11-14 22:13:20' + i * interval '1 minute' "
                  "FROM generate_series(1, " + std::to_string(kRows) + ") AS i");
        RunOrDie(conn, "ANALYZE fetch_bench");
    }
    conn.Disconnect();
}

void DropTable(const Source& source) {
    if (source.label == "SQLite") return;  // the file goes with the folder
    COdbcConn conn;
    ConnectOrDie(conn, source);
    RunOrDie(conn, "DROP SCHEMA IF EXISTS bench_" + std::to_string(getpid()) + " CASCADE");
    conn.Disconnect();
}

// The reading a result window does: values of the current row, then Fetch.
int ReadWithConn(COdbcConn& conn) {
    db::StatementScope statement(conn);
    return conn.Execute(kQuery) == 0 ? bench::ReadEveryValue(conn) : 0;
}

struct RawConnection {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
};

RawConnection RawConnect(const Source& source) {
    RawConnection raw;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &raw.env);
    SQLSetEnvAttr(raw.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_OV_ODBC3)), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, raw.env, &raw.dbc);
    std::string cs = BuildConnectionString(source.dsn, source.user, source.password);
    SQLRETURN rc = SQLDriverConnect(raw.dbc, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) Die("minimal loop cannot connect to " + source.label);
    return raw;
}

void RawDisconnect(RawConnection& raw) {
    SQLDisconnect(raw.dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, raw.dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, raw.env);
}

int ReadMinimal(const RawConnection& raw) {
    constexpr int kColumns = 5;
    constexpr SQLLEN kBuffer = 256;
    static char buffers[kColumns][kBuffer];
    static SQLLEN indicators[kColumns];
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, raw.dbc, &stmt);
    int rows = 0;
    std::string sql = kQuery;
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        for (SQLUSMALLINT c = 0; c < kColumns; ++c)
            SQLBindCol(stmt, c + 1, SQL_C_CHAR, buffers[c], kBuffer, &indicators[c]);
        while (true) {
            rc = SQLFetch(stmt);
            if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
            ++rows;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return rows;
}

// isql -b <dsn> [user password] < query > /dev/null; false when it fails.
bool RunIsql(const Source& source) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, g_queryFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{"isql", "-b", source.dsn};
    if (!source.user.empty()) {
        args.push_back(source.user);
        args.push_back(source.password);
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "isql", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Both in-process readers keep one connection for all their readings, as
// the program does; the first reading on a new connection pays for the
// driver's start-up and is done before timing starts.
struct Readers {
    const Source* source = nullptr;
    COdbcConn conn;
    RawConnection raw;
};

void BenchConn(benchmark::State& state, Readers* readers) {
    for (auto _ : state) {
        if (ReadWithConn(readers->conn) != kRows) state.SkipWithError("COdbcConn read a wrong number of rows");
    }
}

void BenchMinimal(benchmark::State& state, Readers* readers) {
    for (auto _ : state) {
        if (ReadMinimal(readers->raw) != kRows) state.SkipWithError("the minimal loop read a wrong number of rows");
    }
}

void BenchIsql(benchmark::State& state, Readers* readers) {
    for (auto _ : state) {
        if (!RunIsql(*readers->source)) state.SkipWithError("isql failed");
    }
}


}  // namespace

int main(int argc, char** argv) {
    SetUpDataSources();
    for (const Source& source : g_sources) CreateTable(source);

    // Defaults that the command line may still override.
    bench::Initialize(argc, argv, {"--benchmark_enable_random_interleaving=true", "--benchmark_repetitions=15"});

    std::vector<std::unique_ptr<Readers>> readers;
    for (const Source& source : g_sources) {
        auto& r = *readers.emplace_back(std::make_unique<Readers>());
        r.source = &source;
        ConnectOrDie(r.conn, source);
        r.raw = RawConnect(source);
        ReadWithConn(r.conn);
        ReadMinimal(r.raw);
        for (auto [name, function] : {std::pair{"COdbcConn", &BenchConn}, std::pair{"minimal_loop", &BenchMinimal},
                                       std::pair{"isql", &BenchIsql}}) {
            bench::Once(source.label + "/" + name, [function, &r](benchmark::State& s) { function(s, &r); })
                ->UseRealTime();
        }
    }
    bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (auto& r : readers) {
        r->conn.Disconnect();
        RawDisconnect(r->raw);
    }

    // The verdict is on wall-clock medians. The CPU figures of the two
    // in-process readers are shown as well: on a loaded machine they tell
    // the cost of the reading itself apart from waiting for a processor.
    bool allPassed = true;
    std::printf("\n%-11s %10s %14s %10s %7s  %s\n", "database", "COdbcConn", "minimal loop", "isql -b", "ratio",
                "targets (<= 1.25 x minimal loop, < isql)");
    for (const Source& source : g_sources) {
        auto median = [&](const char* name) { return reporter.Median(source.label + "/" + name); };
        auto cpuMedian = [&](const char* name) { return reporter.CpuMedian(source.label + "/" + name); };
        double conn = median("COdbcConn");
        double minimal = median("minimal_loop");
        double isql = median("isql");
        if (conn < 0 || minimal < 0 || isql < 0) {
            std::printf("%-11s not measured (a reader failed, or a filter left it out)\n", source.label.c_str());
            continue;
        }
        bool pass = conn <= 1.25 * minimal && conn < isql;
        allPassed = allPassed && pass;
        std::printf("%-11s %9.3fs %13.3fs %9.3fs %7.2f  %s\n", source.label.c_str(), conn, minimal, isql,
                    conn / minimal, pass ? "PASS" : "FAIL");
        double connCpu = cpuMedian("COdbcConn");
        double minimalCpu = cpuMedian("minimal_loop");
        std::printf("%-11s %9.3fs %13.3fs %10s %7.2f  (CPU time of the reading thread)\n", "", connCpu, minimalCpu,
                    "", connCpu / minimalCpu);
    }
    for (const Source& source : g_sources) DropTable(source);
    std::filesystem::remove_all(g_dir);
    return allPassed ? 0 : 1;
}
