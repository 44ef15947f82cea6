// Find and Replace All on any CP932 text, search text, replacement, options
// and selection:
//  - the one-pass Replace All agrees with Replace pressed again and again
//    (the shared one-at-a-time reference) on the text, the caret and whether
//    the "search has finished" message is due;
//  - the find functions return only the starts of real matches, which are
//    character starts with the whole match inside the text.
#include "fuzz_check.h"
#include "search/find_text.h"
#include "search/replace_all.h"
#include "tests/support/replace_reference.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

using replace_reference::AllMatches;
using replace_reference::Editor;

// The character starts of text, its end included.
std::vector<size_t> CharStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t p = 0; p < text.size(); p += replace_reference::IsLead(static_cast<unsigned char>(text[p])) ? 2 : 1) {
        starts.push_back(p);
    }
    starts.push_back(text.size());
    return starts;
}

void Show(const char* what, const Editor& start, const SearchEntry& e, const std::string& r, const Editor& want,
          const Editor& got) {
    std::fprintf(stderr,
                 "%s\ntext:     %s\nsel:      %zu-%zu\nsearch:   %s (whole word %d, match case %d)\nreplace:  %s\n"
                 "expected: %s caret %zu-%zu message %d\ngot:      %s caret %zu-%zu message %d\n",
                 what, fuzz::Escaped(start.text).c_str(), start.selStart, start.selEnd, fuzz::Escaped(e.text).c_str(),
                 e.wholeWord, e.matchCase, fuzz::Escaped(r).c_str(), fuzz::Escaped(want.text).c_str(), want.selStart,
                 want.selEnd, want.message, fuzz::Escaped(got.text).c_str(), got.selStart, got.selEnd, got.message);
}

// The one match a forward scan from start finds: the first at or after it,
// else the first of all.
std::optional<size_t> ExpectedForward(const std::vector<size_t>& all, size_t start) {
    auto it = std::lower_bound(all.begin(), all.end(), start);
    if (it != all.end()) return *it;
    if (!all.empty()) return all.front();
    return std::nullopt;
}

// The last match at or before start, else the last of all.
std::optional<size_t> ExpectedBackward(const std::vector<size_t>& all, std::ptrdiff_t start) {
    std::optional<size_t> found;
    for (size_t p : all) {
        if (static_cast<std::ptrdiff_t>(p) <= start) found = p;
    }
    if (!found && !all.empty()) found = all.back();
    return found;
}

#define EXPECT_FOUND(what, expected, got)                                                                       \
    do {                                                                                                        \
        if ((expected) != (got)) {                                                                              \
            std::fprintf(stderr, "%s\ntext: %s\nsearch: %s (whole word %d, match case %d)\nexpected %zd, got %zd\n", \
                         what, fuzz::Escaped(text).c_str(), fuzz::Escaped(entry.text).c_str(), entry.wholeWord,  \
                         entry.matchCase, (expected) ? static_cast<ssize_t>(*(expected)) : -1,                    \
                         (got) ? static_cast<ssize_t>(*(got)) : -1);                                              \
            FUZZ_CHECK((expected) == (got));                                                                     \
        }                                                                                                       \
    } while (0)

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto options = in.ConsumeIntegral<uint8_t>();
    const auto a = in.ConsumeIntegral<uint16_t>();
    const auto b = in.ConsumeIntegral<uint16_t>();
    SearchEntry entry{in.ConsumeRandomLengthString(12), options & 1, (options >> 1) & 1, (options >> 2) & 1};
    const std::string replacement = in.ConsumeRandomLengthString(12);
    // The reference searches the whole text again for every replacement.
    std::string text = in.ConsumeRemainingBytesAsString();
    if (text.size() > 256) text.resize(256);

    const std::vector<size_t> all = AllMatches(text, entry);

    // The editor's selection runs between character starts; sometimes it
    // holds an occurrence, a whole word or not.
    const std::vector<size_t> starts = CharStarts(text);
    size_t selStart = starts[a % starts.size()], selEnd = starts[b % starts.size()];
    if (selStart > selEnd) std::swap(selStart, selEnd);
    if ((options & 8) && replace_reference::SameAt(text, selStart, entry)) selEnd = selStart + entry.text.size();

    // Finding, from byte offsets that need not be character starts.
    EXPECT_FOUND("ScanForward", ExpectedForward(all, a % (text.size() + 1)),
                 ScanForward(text, a % (text.size() + 1), entry));
    const std::ptrdiff_t back = static_cast<std::ptrdiff_t>(b % (text.size() + 1)) - 1;
    EXPECT_FOUND("ScanBackward", ExpectedBackward(all, back), ScanBackward(text, back, entry));
    for (bool reverse : {false, true}) {
        const bool forward = (entry.searchUp != 0) == reverse;
        const auto want = forward ? ExpectedForward(all, selEnd)
                                  : ExpectedBackward(all, static_cast<std::ptrdiff_t>(selStart) - 1);
        EXPECT_FOUND("FindMatch", want, FindMatch(text, selStart, selEnd, entry, reverse));
    }

    const Editor start{text, selStart, selEnd, false};
    const Editor want = replace_reference::OneAtATime(start, entry, replacement);
    const ReplaceAllOutcome o = ReplaceAll(text, selStart, selEnd, entry, replacement);
    Editor got = start;
    if (o.replaced > 0) got.text = o.text;
    got.selStart = o.selStart;
    got.selEnd = o.selEnd;
    got.message = o.finished;
    if (got.text != want.text || got.selStart != want.selStart || got.selEnd != want.selEnd ||
        got.message != want.message) {
        Show("ReplaceAll", start, entry, replacement, want, got);
        FUZZ_CHECK(false);
    }
    return 0;
}
