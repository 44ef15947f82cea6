// What the query result window costs on a large answer: 100,000 rows x 5
// columns with resultMax 100000, in a temporary SQLite file and, when
// VETCH_PG_PORT is set (scripts/pg-start.sh), in PostgreSQL as well.
//
// Measured, medians of the repetitions:
//   fetch          Execute and the GetValue/Fetch loop through COdbcConn alone
//   fill           constructing the window until it is shown and painted
//   sort_text      a header click on a text column
//   sort_numeric   a header click on a BIGINT column
//   sort_selected  the text column again, with every row selected
//   copy_text      select all, then the copy text of every row
//   copy_command   select all, then the copy command (text and clipboard)
// and the peak memory (ru_maxrss) after each stage, against the baseline
// taken before the first reading and against the raw CP932 size of the cells.
//
// Both drivers read the whole answer into memory of their own by default;
// each database is measured that way and once more with the data source set
// to hand rows over as they are fetched (SQLite StepAPI=1, psqlODBC
// UseDeclareFetch=1), which leaves only the window's own memory. Every
// configuration runs in a process of its own, so its peak is its own.
//
// Targets: fill <= 1.5 x fetch (the median ratio of fills each paired with a
// fetch alone); every sort and copy < 1 s; growth of the peak above the
// baseline while the window fills < 4 x the raw size. The exit status is 1
// when a target is missed.
#include "app/main_dlg.h"
#include "db/odbc_conn.h"
#include "resources/resource_ids.h"
#include "results/query_result_dlg.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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

constexpr int kRows = 100000;
constexpr const char* kQuery = "SELECT id, code, name, amount, memo FROM qr_bench";
constexpr int kNameColumn = 3;    // list column of "name" (column 0 numbers the rows)
constexpr int kAmountColumn = 4;  // list column of "amount"
constexpr const char* kDbVariable = "VETCH_QR_BENCH_DB";
constexpr const char* kStreamVariable = "VETCH_QR_BENCH_STREAM";

std::string GetEnv(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "query_result_bench: %s\n", what.c_str());
    std::exit(2);
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

struct Source {
    std::string label, dsn, user, password;
};

// Private driver and data-source definitions under a temporary folder, which
// is also the current directory, so the settings file goes there too.
Source SetUp(const std::string& label, bool streaming, std::string& dir) {
    char pattern[] = "/tmp/vetch-qrbench.XXXXXX";
    if (!mkdtemp(pattern)) Die("cannot create a temporary folder");
    dir = pattern;
    std::ofstream(dir + "/odbcinst.ini") << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n\n"
                                            "[PostgreSQL ANSI]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\n";
    std::ofstream ini(dir + "/odbc.ini");
    Source source{label, "bench-sqlite", "", ""};
    if (label == "SQLite") {
        ini << "[bench-sqlite]\nDriver=SQLite3\nDatabase=" << dir << "/bench.db\nSyncPragma=OFF\n"
            << (streaming ? "StepAPI=1\n" : "");
    } else {
        ini << "[bench-pg]\nDriver=PostgreSQL ANSI\nServername=" << GetEnv("VETCH_PG_HOST", "127.0.0.1")
            << "\nPort=" << GetEnv("VETCH_PG_PORT") << "\nDatabase=" << GetEnv("VETCH_PG_DATABASE", "vetchdb")
            << "\nSSLmode=disable\n" << (streaming ? "UseDeclareFetch=1\nFetch=1000\n" : "")
            << "ConnSettings=SET client_encoding TO 'UTF8';SET search_path TO qrbench_" << getpid() << "\n";
        source = {label, "bench-pg", GetEnv("VETCH_PG_USER", "vetch"), GetEnv("VETCH_PG_PASSWORD")};
    }
    ini.close();
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
    std::filesystem::current_path(dir);
    return source;
}

void Run(COdbcConn& conn, const std::string& sql) {
    auto lock = conn.Lock();
    conn.AllocStatement();
    if (conn.Execute(sql) < 0) {
        char state[6] = {};
        SQLINTEGER native = 0;
        char message[512] = {};
        SQLSMALLINT length = 0;
        conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, message, length);
        Die(sql.substr(0, 60) + ": " + message);
    }
    conn.FreeStatement();
}

// Generated by the server, so the client's memory stays at its baseline:
// a short id, a code of 14-19 bytes, a name of mixed Japanese and Latin text
// of 20-60 bytes in CP932, a 64-bit amount of up to 15 digits and a memo of
// 20-60 bytes. Names and amounts come in no particular order.
void CreateTable(COdbcConn& conn, const Source& source) {
    const std::string kana = "'東京都千代田区丸の内一丁目ｶｽﾀﾏｰｻｰﾋﾞｽ Customer Service 大阪府北区梅田二丁目 営業部'";
    const std::string latin = "'Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
                              "incididunt ut labore et dolore magna aliqua'";
    const std::string columns = "(id integer primary key, code varchar(40), name varchar(80), amount bigint, "
                                "memo varchar(80))";
    const std::string rows = std::to_string(kRows);
    const std::string wide = source.label == "SQLite" ? "i" : "i::bigint";
    const std::string values = "substr(" + kana + ", 1 + (i * 7919) % 30, 12 + i % 17), "
                               "CASE i % 3 WHEN 0 THEN -1 ELSE 1 END * ((" + wide +
                               " * 7919 * 104729) % 1000000000000000), "
                               "substr(" + latin + ", 1 + (i * 31) % 60, 20 + (i * 13) % 41)";
    if (source.label == "SQLite") {
        Run(conn, "DROP TABLE IF EXISTS qr_bench");
        Run(conn, "CREATE TABLE qr_bench " + columns);
        Run(conn, "INSERT INTO qr_bench WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      rows +
                      ") SELECT i, 'ORD-' || (2000 + i % 25) || '-' || substr('000000' || i, -6) || '-' || "
                      "substr('TOKYOOSAKANAGOYASAPPOROFUKUOKA', 1 + (i % 5) * 5, 3 + i % 6), " + values + " FROM n");
    } else {
        const std::string schema = "qrbench_" + std::to_string(getpid());
        Run(conn, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        Run(conn, "CREATE SCHEMA " + schema);
        Run(conn, "CREATE TABLE qr_bench " + columns);
        Run(conn, "INSERT INTO qr_bench SELECT i, 'ORD-' || (2000 + i % 25) || '-' || lpad(i::text, 6, '0') || '-' "
                  "|| substr('TOKYOOSAKANAGOYASAPPOROFUKUOKA', 1 + (i % 5) * 5, 3 + i % 6), " + values +
                  " FROM generate_series(1, " + rows + ") AS i");
        Run(conn, "ANALYZE qr_bench");
    }
}

void DropTable(COdbcConn& conn, const Source& source) {
    if (source.label != "SQLite") Run(conn, "DROP SCHEMA IF EXISTS qrbench_" + std::to_string(getpid()) + " CASCADE");
}

// The reading alone, as the window does it; returns the rows and the CP932
// bytes of their values.
int Fetch(COdbcConn& conn, std::size_t& bytes) {
    auto lock = conn.Lock();
    conn.AllocStatement();
    int rows = 0;
    bytes = 0;
    if (conn.Execute(kQuery) == 0) {
        const int columns = conn.GetColumnCount();
        std::string value;
        while (!conn.IsEndOfData() && rows < kRows) {
            for (int c = 0; c < columns; ++c) {
                conn.GetValue(c, value);
                bytes += value.size();
                benchmark::DoNotOptimize(value.data());
            }
            if (++rows < kRows) conn.Fetch();
        }
    }
    conn.FreeStatement();
    return rows;
}

void Pump() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

struct Bench {
    CMainDlg* main = nullptr;
    // Opened after the fills, kept for the sorts and the copies.
    CQueryResultDlg* window = nullptr;
    std::size_t rawBytes = 0;
    // Peak memory after each stage.
    std::map<std::string, double> peakAfter;
    std::vector<double> fillRatios;

    CQueryResultDlg* Open() {
        auto* w = new CQueryResultDlg(main, 0, kQuery, 0);
        main->SetSlotWindow(CMainDlg::kQueryResultGroup, 0, w);
        return w;
    }
    static void Close(CQueryResultDlg* w) {
        w->close();
        Pump();
    }
    results::ResultGrid* List() {
        if (!window) {
            window = Open();
            Pump();
        }
        return window->list;
    }
    // Back to the order the rows arrived in, with nothing selected.
    void Unsort() {
        results::ResultGrid* list = List();
        list->clearSelection();
        do {
            list->SortByColumn(0);
        } while (list->Model().SortOrder(0) != 1);
    }
};

void BenchFetch(benchmark::State& state, Bench* b) {
    for (auto _ : state) {
        auto start = Clock::now();
        if (Fetch(b->main->conn, b->rawBytes) != kRows) state.SkipWithError("wrong number of rows");
        state.SetIterationTime(Seconds(start));
    }
    b->peakAfter["fetch"] = PeakMegabytes();
}

// Each fill is paired with a fetch alone just before it, so that a change of
// load on the machine weighs on both sides of their ratio alike.
void BenchFill(benchmark::State& state, Bench* b) {
    for (auto _ : state) {
        auto fetchStart = Clock::now();
        Fetch(b->main->conn, b->rawBytes);
        const double fetch = Seconds(fetchStart);
        auto start = Clock::now();
        CQueryResultDlg* w = b->Open();
        QCoreApplication::processEvents();  // the first paint
        const double fill = Seconds(start);
        state.SetIterationTime(fill);
        b->fillRatios.push_back(fill / fetch);
        if (w->list->Model().RowCount() != kRows) state.SkipWithError("wrong number of rows");
        Bench::Close(w);
    }
    b->peakAfter["fill"] = PeakMegabytes();
}

void BenchSort(benchmark::State& state, Bench* b, int column, bool selectAll) {
    results::ResultGrid* list = b->List();
    for (auto _ : state) {
        b->Unsort();
        if (selectAll) list->SelectAllRows();
        auto start = Clock::now();
        list->SortByColumn(column);
        state.SetIterationTime(Seconds(start));
    }
    b->peakAfter["sort"] = PeakMegabytes();
}

void BenchCopyText(benchmark::State& state, Bench* b) {
    results::ResultGrid* list = b->List();
    for (auto _ : state) {
        list->clearSelection();
        auto start = Clock::now();
        list->SelectAllRows();
        std::string text = list->CopySelectedText();
        state.SetIterationTime(Seconds(start));
        if (text.size() < b->rawBytes) state.SkipWithError("copy text too short");
    }
    b->peakAfter["copy_text"] = PeakMegabytes();
}

void BenchCopyCommand(benchmark::State& state, Bench* b) {
    results::ResultGrid* list = b->List();
    for (auto _ : state) {
        list->clearSelection();
        auto start = Clock::now();
        b->window->SendCommand(res::IDC_SELECT_ALL);
        b->window->SendCommand(res::IDC_COPY);
        state.SetIterationTime(Seconds(start));
    }
    b->peakAfter["copy_command"] = PeakMegabytes();
}

class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            // A single repetition has no median; its one run stands in.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = seconds;
            } else if (run.run_type == Run::RT_Iteration) {
                medians.emplace(run.run_name.function_name, seconds);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Median(const std::string& name) const {
        auto it = medians.find(name);
        return it == medians.end() ? -1.0 : it->second;
    }
    std::map<std::string, double> medians;
};

// One database in one configuration, in this process.
int Measure(const std::string& label, bool streaming, int argc, char** argv) {
    std::string dir;
    const Source source = SetUp(label, streaming, dir);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (GetEnv("XDG_RUNTIME_DIR").empty()) {
        std::string runtime = "/tmp/vetch-bench-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    QApplication app(argc, argv);
    // The connect dialog the main window opens at start is answered at once.
    platform::CDialog::SetModalDriver([](platform::CDialog&) {});

    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    args.insert(args.begin() + 1, repetitions.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    auto main = std::make_unique<CMainDlg>();
    main->Create(nullptr);
    Pump();
    if (main->conn.Connect(source.dsn, source.user, source.password) != 0) Die("cannot connect to " + label);
    main->settings.resultMax = kRows;
    CreateTable(main->conn, source);

    Bench b;
    b.main = main.get();
    const double baseline = PeakMegabytes();
    const std::string name = label + (streaming ? " streaming" : "");
    auto add = [&](const char* what, auto function) {
        benchmark::RegisterBenchmark((name + "/" + what).c_str(), function)
            ->Iterations(1)
            ->UseManualTime()
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    };
    add("fetch", [&](benchmark::State& s) { BenchFetch(s, &b); });
    add("fill", [&](benchmark::State& s) { BenchFill(s, &b); });
    add("sort_text", [&](benchmark::State& s) { BenchSort(s, &b, kNameColumn, false); });
    add("sort_numeric", [&](benchmark::State& s) { BenchSort(s, &b, kAmountColumn, false); });
    add("sort_selected", [&](benchmark::State& s) { BenchSort(s, &b, kNameColumn, true); });
    add("copy_text", [&](benchmark::State& s) { BenchCopyText(s, &b); });
    add("copy_command", [&](benchmark::State& s) { BenchCopyCommand(s, &b); });
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double held = b.window ? b.window->list->Model().Cells().AllocatedBytes() / 1048576.0 : 0;
    if (b.window) Bench::Close(b.window);
    DropTable(main->conn, source);
    main->DestroyWindow();
    main.reset();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);

    const double raw = b.rawBytes / 1048576.0;
    auto t = [&](const char* what) { return reporter.Median(name + "/" + what); };
    auto peak = [&](const char* stage) {
        auto it = b.peakAfter.find(stage);
        return it == b.peakAfter.end() ? -1.0 : it->second;
    };
    bool all = true;
    auto target = [&](const char* what, double value, const char* unit, const char* goal, bool pass) {
        all = all && pass;
        std::printf("  %-44s %9.3f %-3s %-22s %s\n", what, value, unit, goal, pass ? "PASS" : "FAIL");
    };
    auto info = [](const char* what, double value, const char* unit) {
        std::printf("  %-44s %9.3f %s\n", what, value, unit);
    };
    auto underSecond = [](double s) { return s >= 0 && s < 1; };

    std::printf("\n%s, %d rows x 5 columns, raw cell text %.1f MB in CP932\n", name.c_str(), kRows, raw);
    std::sort(b.fillRatios.begin(), b.fillRatios.end());
    const double ratio = b.fillRatios.empty() ? -1 : b.fillRatios[b.fillRatios.size() / 2];
    info("fetch alone", t("fetch"), "s");
    info("window filled", t("fill"), "s");
    target("  fill / fetch, median of pairs", ratio, "", "<= 1.5", ratio > 0 && ratio <= 1.5);
    target("sort by a text column", t("sort_text"), "s", "< 1 s", underSecond(t("sort_text")));
    target("sort by a BIGINT column", t("sort_numeric"), "s", "< 1 s", underSecond(t("sort_numeric")));
    target("sort by text, every row selected", t("sort_selected"), "s", "< 1 s", underSecond(t("sort_selected")));
    target("select all + copy text", t("copy_text"), "s", "< 1 s", underSecond(t("copy_text")));
    target("select all + copy command (with clipboard)", t("copy_command"), "s", "< 1 s",
           underSecond(t("copy_command")));
    info("peak before the first reading (baseline)", baseline, "MB");
    info("peak after fetch alone", peak("fetch"), "MB");
    info("  the driver's own copy of the answer", peak("fetch") - baseline, "MB");
    info("peak after the window fills", peak("fill"), "MB");
    info("  the window's own share (above fetch alone)", peak("fill") - peak("fetch"), "MB");
    info("  list cells held by a filled window", held, "MB");
    target("growth above baseline while filling", peak("fill") - baseline, "MB", "< 4 x raw",
           peak("fill") >= 0 && peak("fill") - baseline < 4 * raw);
    info("  as a multiple of raw", (peak("fill") - baseline) / raw, "x");
    info("total peak while filling (Qt included)", peak("fill"), "MB");
    info("  as a multiple of raw", peak("fill") / raw, "x");
    info("peak after the copy commands", peak("copy_command"), "MB");
    info("  growth above baseline", peak("copy_command") - baseline, "MB");
    std::fflush(stdout);
    return all ? 0 : 1;
}

// Runs this program again for one configuration and waits for it.
int RunChild(const char* label, bool streaming, char** argv) {
    setenv(kDbVariable, label, 1);
    setenv(kStreamVariable, streaming ? "1" : "0", 1);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) Die("cannot start myself");
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string db = GetEnv(kDbVariable);
    if (!db.empty()) return Measure(db, GetEnv(kStreamVariable) == "1", argc, argv);

    std::vector<const char*> labels{"SQLite"};
    if (!GetEnv("VETCH_PG_PORT").empty()) {
        labels.push_back("PostgreSQL");
    } else {
        std::printf("PostgreSQL: not measured, VETCH_PG_PORT is not set (scripts/pg-start.sh)\n");
    }
    int worst = 0;
    for (const char* label : labels) {
        for (bool streaming : {false, true}) worst = std::max(worst, RunChild(label, streaming, argv));
    }
    return worst;
}
