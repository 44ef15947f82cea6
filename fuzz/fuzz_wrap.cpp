// String-literal wrapping and SQL extraction. Properties:
//  - the wrapping agrees with a plain statement of its rules, for both
//    languages and any variable name;
//  - for SQL and a name without double quotes, extracting the SQL from the
//    wrapped code gives the SQL back: every line, each with its CR LF, the
//    only difference being the space the wrapping adds before a closing quote.
#include "texttools/text_transforms.h"
#include "fuzz_check.h"
#include "tests/support/wrap_reference.h"
#include "texttools/sql_wrap.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using wrap_reference::ReferenceWrap;

// The lines as the wrapping splits them, each followed by CR LF, with the
// space the closing adds.
std::string ExpectedExtraction(std::string_view text) {
    std::string out = "\r\n";
    size_t start = 0;
    size_t i = 0;
    auto line = [&](size_t end) {
        out.append(text.substr(start, end - start));
        if (end != 0 && text[end - 1] != ' ') out += ' ';
        out += "\r\n";
    };
    while (i < text.size()) {
        if (text[i] != '\r' && text[i] != '\n') {
            ++i;
            continue;
        }
        line(i);
        ++i;
        if (i < text.size() && text[i] == '\n') ++i;
        start = i;
    }
    line(text.size());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int language = in.ConsumeBool() ? kWrapLanguageVcpp : in.ConsumeIntegral<int>();
    std::string name = in.ConsumeRandomLengthString(127);
    std::string text = in.ConsumeRemainingBytesAsString();
    std::erase_if(name, [](char c) { return c == '\0' || c == '\r' || c == '\n'; });  // a single-line edit box
    std::erase(text, '\0');

    const std::string prefix = BuildCodePrefix(language, name);
    const std::string code = WrapSqlAsCode(text, language, prefix);
    const std::string expected = ReferenceWrap(text, language, prefix);
    if (code != expected) {
        std::fprintf(stderr, "language %d name %s\nin:       %s\nexpected: %s\ngot:      %s\n", language,
                     fuzz::Escaped(name).c_str(), fuzz::Escaped(text).c_str(), fuzz::Escaped(expected).c_str(),
                     fuzz::Escaped(code).c_str());
        FUZZ_CHECK(code == expected);
    }
    if (name.find('"') == std::string::npos && text.find('"') == std::string::npos) {
        FUZZ_CHECK(ExtractSqlFromCode(code) == ExpectedExtraction(text));
    }
    return 0;
}
