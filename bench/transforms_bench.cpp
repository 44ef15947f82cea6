// Throughput of the four text transforms on a large SQL-like text, against
// memcpy over the same bytes. Each transform should reach at least 1/8 of
// memcpy's rate; the table printed at the end says whether it does.
#include "texttools/text_transforms.h"
#include "bench/sql_text.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using sqltext::SetRate;
using sqltext::SqlText;

void BM_CollapseWhitespace(benchmark::State& state) {
    const std::string& text = SqlText();
    std::vector<char> dst(text.size() + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CollapseWhitespace(text.c_str(), dst.data()));
        benchmark::ClobberMemory();
    }
    SetRate(state);
}

void BM_ToCrLf(benchmark::State& state) {
    const std::string& text = SqlText();
    for (auto _ : state) benchmark::DoNotOptimize(ToCrLf(text));
    SetRate(state);
}

void BM_ConvertCase(benchmark::State& state) {
    std::string text = SqlText();
    int mode = 1;
    for (auto _ : state) {
        ConvertCase(text.data(), mode);
        benchmark::ClobberMemory();
        mode = 3 - mode;  // alternate, so every pass changes letters
    }
    SetRate(state);
}

void BM_ExtractSqlFromCode(benchmark::State& state) {
    const std::string& text = SqlText();
    for (auto _ : state) benchmark::DoNotOptimize(ExtractSqlFromCode(text));
    SetRate(state);
}

}  // namespace

int main(int argc, char** argv) {
    return sqltext::RunAgainstMemcpy(argc, argv,
                                     {{"CollapseWhitespace", BM_CollapseWhitespace},
                                      {"ToCrLf", BM_ToCrLf},
                                      {"ConvertCase", BM_ConvertCase},
                                      {"ExtractSqlFromCode", BM_ExtractSqlFromCode}},
                                     1.0 / 8);
}
