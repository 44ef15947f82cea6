// The batch run's script splitting against a plain statement of its rule:
// a ';' ends a statement unless an odd number of single quotes stands before
// it in the whole script; spaces at a statement's start go; empty statements
// count; a rest without ';' counts when it is not empty. Stopping early
// delivers exactly the statements up to the stop.
#include "fuzz_check.h"
#include "results/script_split.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Reference(std::string_view script) {
    std::vector<std::string> out;
    std::string current;
    size_t quotes = 0;
    auto deliver = [&] {
        size_t start = current.find_first_not_of(' ');
        out.push_back(start == std::string::npos ? std::string() : current.substr(start));
        current.clear();
    };
    for (char c : script) {
        if (c == '\'') ++quotes;
        if (c == ';' && quotes % 2 == 0) {
            deliver();
        } else {
            current += c;
        }
    }
    size_t start = current.find_first_not_of(' ');
    if (start != std::string::npos) out.push_back(current.substr(start));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const size_t stopAfter = in.ConsumeIntegralInRange<size_t>(0, 20);
    std::string script = in.ConsumeRemainingBytesAsString();
    std::erase(script, '\0');

    const std::vector<std::string> expected = Reference(script);
    const std::vector<std::string> got = results::SplitScript(script);
    if (got != expected) {
        std::fprintf(stderr, "script: %s\nexpected %zu statements, got %zu\n", fuzz::Escaped(script).c_str(),
                     expected.size(), got.size());
        for (size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
            std::fprintf(stderr, "  [%zu] expected '%s' got '%s'\n", i,
                         i < expected.size() ? fuzz::Escaped(expected[i]).c_str() : "-",
                         i < got.size() ? fuzz::Escaped(got[i]).c_str() : "-");
        }
        FUZZ_CHECK(got == expected);
    }

    std::vector<std::string> seen;
    const size_t delivered = results::SplitScript(script, [&](std::string_view statement) {
        seen.emplace_back(statement);
        return seen.size() < stopAfter;
    });
    const size_t wanted = std::min(expected.size(), std::max<size_t>(stopAfter, 1));
    FUZZ_CHECK(delivered == seen.size());
    FUZZ_CHECK(seen.size() == wanted);
    FUZZ_CHECK(std::equal(seen.begin(), seen.end(), expected.begin()));
    return 0;
}
