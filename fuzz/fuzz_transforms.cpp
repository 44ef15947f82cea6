// The four text transforms against plain statements of their rules; the
// in-place and buffer forms agree with the string forms.
#include "texttools/text_transforms.h"
#include "fuzz_check.h"
#include "tests/support/transform_reference.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

using namespace transform_reference;

void Show(const char* what, std::string_view in, std::string_view expected, std::string_view got) {
    std::fprintf(stderr, "%s\nin:       %s\nexpected: %s\ngot:      %s\n", what, fuzz::Escaped(in).c_str(),
                 fuzz::Escaped(expected).c_str(), fuzz::Escaped(got).c_str());
}

#define EXPECT_SAME(what, in, expected, got)          \
    do {                                              \
        if ((expected) != (got)) {                    \
            Show(what, in, expected, got);            \
            FUZZ_CHECK((expected) == (got));          \
        }                                             \
    } while (0)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 3);
    std::string text = in.ConsumeRemainingBytesAsString();
    std::erase(text, '\0');

    const std::string collapsed = ReferenceCollapse(text);
    EXPECT_SAME("CollapseWhitespace", text, collapsed, CollapseWhitespace(text));
    // The buffer form writes exactly length + NUL into a buffer of the
    // source's size + 1; a guard byte after it must survive.
    std::vector<char> buffer(text.size() + 2, '\x7f');
    const size_t written = CollapseWhitespace(text.c_str(), buffer.data());
    FUZZ_CHECK(written == collapsed.size() && buffer[written] == '\0' && buffer.back() == '\x7f');
    EXPECT_SAME("CollapseWhitespace buffer", text, collapsed, std::string(buffer.data(), written));

    const std::string crlf = ToCrLf(text);
    EXPECT_SAME("ToCrLf", text, ReferenceCrLf(text), crlf);
    FUZZ_CHECK(ToCrLf(crlf) == crlf);

    const int caseMode = mode;  // 1 upper, 2 lower, 0 and 3 change nothing
    std::string converted = text;
    ConvertCase(converted, caseMode);
    EXPECT_SAME("ConvertCase", text, ReferenceCase(text, caseMode), converted);
    std::string inPlace = text;
    ConvertCase(inPlace.data(), caseMode);
    EXPECT_SAME("ConvertCase in place", text, converted, inPlace);

    EXPECT_SAME("ExtractSqlFromCode", text, ReferenceExtract(text), ExtractSqlFromCode(text));
    return 0;
}
