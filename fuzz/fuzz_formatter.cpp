// The keyword line-break formatter against a plain, unoptimised statement of
// its rules, for any text and any line-break count; the form that reuses its
// output storage agrees with the one that returns a new string.
#include "fuzz_check.h"
#include "tests/support/formatter_reference.h"
#include "texttools/sql_formatter.h"

#include <fuzzer/FuzzedDataProvider.h>

using formatter_reference::ReferenceFormat;

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

    const std::string expected = ReferenceFormat(text, count);
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
    FUZZ_CHECK(reused == ReferenceFormat(text.substr(0, text.size() / 2), count));
    return 0;
}
