// The SQL text and the reporting shared by the text benchmarks: both time
// transforms on the same 16 MiB script and judge them against memcpy's rate.
#pragma once

#include "platform/sjis_format.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace sqltext {

constexpr size_t kTextBytes = 16u << 20;

// A script of SQL statements as a user would keep in the editor: SELECT with
// joins, conditions, grouping and ordering, INSERT, UPDATE and DELETE, comment
// lines, keywords in upper and lower case, lines ended by CR LF and indented,
// quoted literals with CP932 text (東京都, テスト商品, 顧客名, ソフト表示, 髙﨑:
// lead bytes from both ranges, trail bytes that read as letters or as a
// backslash) and double-quoted names.
inline std::string MakeSqlText(size_t size) {
    static const char* const kColumns[] = {
        "o.order_id", "o.customer_id", "c.customer_name", "o.order_date", "d.quantity", "d.unit_price",
        "SUM(d.quantity * d.unit_price) AS total_amount", "COUNT(*) AS order_count", "c.prefecture",
        "\"Order Total\"", "p.product_name", "MAX(o.shipped_at)"};
    static const char* const kTested[] = {"o.order_date", "c.prefecture", "d.quantity", "o.customer_id",
                                          "\"Order Total\"", "c.customer_name", "UPPER(p.product_code)"};
    static const std::string kLiterals[] = {
        platform::Sjis("'東京都'"), platform::Sjis("'テスト商品'"), "'2024-01-01'", "100", platform::Sjis("'顧客名'"),
        platform::Sjis("'ソフト表示'"), "3.5", "'N'", platform::Sjis("'髙﨑'")};
    static const char* const kTables[] = {"sales.orders", "sales.order_details", "master.customers",
                                          "master.products"};
    std::mt19937 rng(20240601);
    const auto pick = [&rng](const auto& list) {
        return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)];
    };
    const auto chance = [&rng](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
    const auto kw = [&](const char* upper, const char* lower) { return chance(70) ? upper : lower; };
    const auto conditions = [&](std::string& t) {
        const int count = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int k = 0; k < count; ++k) {
            if (k > 0) t += chance(75) ? std::string("\r\n   ") + kw("AND", "and") + " " : " OR ";
            t += std::string(pick(kTested)) + (chance(50) ? " = " : " >= ") + pick(kLiterals);
        }
    };
    std::string t;
    t.reserve(size + 1024);
    while (t.size() < size) {
        switch (std::uniform_int_distribution<int>(0, 5)(rng)) {
        case 0:
            t += platform::Sjis("-- 月次集計 (monthly totals)\r\n");
            [[fallthrough]];
        case 1:
        case 2: {
            t += kw("SELECT ", "select ");
            const int columns = std::uniform_int_distribution<int>(2, 6)(rng);
            for (int k = 0; k < columns; ++k) t += std::string(k ? ", " : "") + pick(kColumns);
            t += std::string("\r\n  ") + kw("FROM", "from") + " " + pick(kTables) + " o\r\n";
            t += "  INNER JOIN master.customers c ON c.customer_id = o.customer_id\r\n";
            t += std::string(" ") + kw("WHERE", "where") + " ";
            conditions(t);
            if (chance(40)) t += std::string("\r\n ") + kw("GROUP BY", "group by") + " c.customer_name, o.order_date";
            if (chance(50)) t += std::string("\r\n ") + kw("ORDER BY", "order by") + " o.order_date DESC";
            t += ";\r\n\r\n";
            break;
        }
        case 3:
            t += std::string(kw("INSERT INTO", "insert into")) + " " + pick(kTables) +
                 " (order_id, customer_id, order_date, note)\r\n" + kw("VALUES", "values") + " (" +
                 pick(kLiterals) + ", " + pick(kLiterals) + ", " + pick(kLiterals) + ", " + pick(kLiterals) +
                 ");\r\n";
            break;
        case 4:
            t += std::string(kw("UPDATE", "update")) + " " + pick(kTables) + "\r\n   SET note = " +
                 pick(kLiterals) + ", updated_at = CURRENT_TIMESTAMP\r\n " + kw("WHERE", "where") + " ";
            conditions(t);
            t += ";\r\n";
            break;
        default:
            t += std::string(kw("DELETE", "delete")) + " " + kw("FROM", "from") + " " + pick(kTables) + "\r\n " +
                 kw("WHERE", "where") + " ";
            conditions(t);
            t += ";\r\n" + std::string(kw("COMMIT", "commit")) + ";\r\n";
            break;
        }
    }
    t.resize(size);
    return t;
}

inline const std::string& SqlText() {
    static const std::string text = MakeSqlText(kTextBytes);
    return text;
}

inline void SetRate(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTextBytes));
}

inline void BM_Memcpy(benchmark::State& state) {
    const std::string& text = SqlText();
    std::vector<char> dst(text.size() + 1);
    for (auto _ : state) {
        std::memcpy(dst.data(), text.data(), text.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}

// Keeps each benchmark's best rate over its repetitions for the summary: other
// load on the machine can only slow a run down.
class RateRecorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            double& best = rates[run.run_name.function_name];
            best = std::max(best, it->second.value);
        }
    }

    std::map<std::string, double> rates;
};

// A transform and the share of memcpy's rate it must reach (0: the common
// one RunAgainstMemcpy is given).
struct Bench {
    std::string name;
    void (*function)(benchmark::State&);
    double requiredRatio = 0;
};

// Runs memcpy and the given transforms five times each and prints how each
// transform's best rate compares with memcpy's. Returns main's exit status:
// 2 when a transform falls short of its required ratio.
inline int RunAgainstMemcpy(int argc, char** argv, const std::vector<Bench>& transforms, double requiredRatio) {
    const std::string kMemcpy = "memcpy";
    std::vector<Bench> benches{{kMemcpy, BM_Memcpy}};
    benches.insert(benches.end(), transforms.begin(), transforms.end());
    for (const Bench& bench : benches) {
        benchmark::RegisterBenchmark(bench.name.c_str(), bench.function)->Unit(benchmark::kMillisecond)->Repetitions(5);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SqlText();  // build the text before any timing starts

    RateRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double base = reporter.rates[kMemcpy];
    if (base <= 0) return 0;  // memcpy filtered out: nothing to compare with
    std::printf("\nBest of the repetitions against memcpy's rate.\n");
    std::printf("%-20s %16s %8s  %-8s %s\n", "transform", "bytes/s", "ratio", "target", "result");
    bool allPass = true;
    for (const Bench& bench : benches) {
        const auto it = reporter.rates.find(bench.name);
        if (it == reporter.rates.end()) continue;
        const double ratio = it->second / base;
        const double required = bench.requiredRatio > 0 ? bench.requiredRatio : requiredRatio;
        const bool pass = ratio >= required;
        if (bench.name != kMemcpy) allPass = allPass && pass;
        char target[16] = "-";
        if (bench.name != kMemcpy) std::snprintf(target, sizeof target, ">= 1/%.0f", 1 / required);
        std::printf("%-20s %16.0f %8.3f  %-8s %s\n", bench.name.c_str(), it->second, ratio, target,
                    bench.name == kMemcpy ? "-" : pass ? "PASS" : "FAIL");
    }
    return allPass ? 0 : 2;
}

}  // namespace sqltext
