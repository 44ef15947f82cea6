// The keyword line-break formatter against a plain, unoptimised statement of
// its rules, for any text and any line-break count; the form that reuses its
// output storage agrees with the one that returns a new string.
#include "fuzz_check.h"
#include "texttools/sql_formatter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>

namespace {

struct Keyword {
    std::string_view text;
    bool breakBefore;
};

// Rows sharing a first letter in the order they are tried.
constexpr std::array<Keyword, 17> kKeywords{{
    {"SELECT", true},      {"FROM", true},   {"WHERE", true},  {"GROUP BY", true}, {"OR", false},
    {"ORDER BY", true},    {"ALL", true},    {"AND", false},   {"INSERT INTO", true},
    {"INSERT", true},      {"INTO", true},   {"UNION ALL", true}, {"UNION", true},
    {"UPDATE", true},      {"DELETE", true}, {"VALUES", true}, {"COMMIT", true},
}};

bool IsDelimiter(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '(' || c == ')'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string Reference(std::string_view text, int lineBreakCount) {
    std::string out;
    int col = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ',') {
            out += c;
            ++i;
            ++col;
            if (col > lineBreakCount) {
                out += "\r\n";
                col = 0;
            }
            continue;
        }
        const Keyword* match = nullptr;
        for (const Keyword& k : kKeywords) {
            const size_t n = k.text.size();
            if (Upper(c) != k.text[0]) continue;
            if (i > 0 && !IsDelimiter(text[i - 1])) continue;
            if (text.size() - i < n + 1 || !IsDelimiter(text[i + n])) continue;
            bool same = true;
            for (size_t j = 0; j < n && same; ++j) same = Upper(text[i + j]) == k.text[j];
            if (same) {
                match = &k;
                break;
            }
        }
        if (match) {
            if (match->breakBefore) out += "\r\n";
            out += match->text;
            out += "\r\n";
            i += match->text.size();
            col = 0;
            continue;
        }
        out += c;
        ++i;
        ++col;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    int count;
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: count = in.ConsumeIntegralInRange(-2, 12); break;
        case 1: count = 100; break;
        case 2: count = in.ConsumeIntegral<int>(); break;
        default: count = in.ConsumeBool() ? INT32_MAX : INT32_MIN; break;
    }
    std::string text = in.ConsumeRemainingBytesAsString();
    std::erase(text, '\0');

    const std::string expected = Reference(text, count);
    const std::string got = FormatSqlLineBreaks(text, count);
    if (got != expected) {
        std::fprintf(stderr, "count %d\nin:       %s\nexpected: %s\ngot:      %s\n", count, fuzz::Escaped(text).c_str(),
                     fuzz::Escaped(expected).c_str(), fuzz::Escaped(got).c_str());
        FUZZ_CHECK(got == expected);
    }
    std::string reused = "leftover from an earlier call";
    FormatSqlLineBreaks(text, count, reused);
    FUZZ_CHECK(reused == expected);
    FormatSqlLineBreaks(text.substr(0, text.size() / 2), count, reused);
    FUZZ_CHECK(reused == Reference(text.substr(0, text.size() / 2), count));
    return 0;
}
