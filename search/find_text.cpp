#include "search/find_text.h"

#include "platform/sjis_format.h"
#include "search/matcher.h"

#include <algorithm>
#include <cstring>

namespace search_detail {

namespace {

// The number of lead bytes in the run that ends right before x.
size_t LeadRunBefore(std::string_view text, size_t x) {
    size_t k = 0;
    while (k < x && platform::IsLeadByte(static_cast<unsigned char>(text[x - 1 - k]))) ++k;
    return k;
}

}  // namespace

// A byte outside the lead range always ends a character, so the text can be
// re-synchronised from the last such byte instead of from its beginning: in
// the run of lead-range bytes after it, characters pair the bytes up.
size_t CharStartAtOrAfter(std::string_view text, size_t x) {
    if (x >= text.size()) return text.size();
    return LeadRunBefore(text, x) % 2 == 0 ? x : x + 1;
}

bool WordCharBefore(std::string_view text, size_t p) {
    if (p == 0 || p > text.size() || !IsWordChar(static_cast<unsigned char>(text[p - 1]))) return false;
    // The byte before p is a trail byte when an odd run of lead bytes ends
    // right before it.
    return LeadRunBefore(text, p - 1) % 2 == 0;
}

Matcher::Matcher(const SearchEntry& entry) : want_(entry.text), mask_(entry.text.size(), '\0') {
    const std::string& s = entry.text;
    const bool fold = entry.matchCase == 0;
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (platform::IsLeadByte(c)) {
            if (i + 1 == s.size()) endsInLoneLead_ = true;
            i += 2;
            continue;
        }
        if (fold && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            mask_[i] = 0x20;
            want_[i] = static_cast<char>(c | 0x20);
        }
        ++i;
    }
    wholeWord_ = entry.wholeWord != 0 && !s.empty() && !platform::IsLeadByte(static_cast<unsigned char>(s[0]));
}

namespace {

// The next byte at or after p, below last, that can begin a match: memchr
// for each form of the first byte, each position kept until passed.
class Candidates {
public:
    Candidates(const char* t, size_t last, const Matcher& m)
        : t_(t), last_(last), bytes_{m.FirstByte(), m.FirstByteOtherCase()} {}

    size_t Next(size_t p) {
        size_t next = last_;
        for (int i = 0; i < (bytes_[0] == bytes_[1] ? 1 : 2); ++i) {
            if (at_[i] < p || !valid_[i]) {
                const void* hit = p < last_ ? std::memchr(t_ + p, bytes_[i], last_ - p) : nullptr;
                at_[i] = hit ? static_cast<size_t>(static_cast<const char*>(hit) - t_) : last_;
                valid_[i] = true;
            }
            next = std::min(next, at_[i]);
        }
        return next;
    }

private:
    const char* t_;
    size_t last_;
    unsigned char bytes_[2];
    size_t at_[2] = {0, 0};
    bool valid_[2] = {false, false};
};

// The length of the run of lead-range bytes that ends right before x, not
// reaching back past `floor`, a character start.
size_t LeadRunDownTo(const char* t, size_t x, size_t floor) {
    size_t k = 0;
    while (x - k > floor && platform::IsLeadByte(static_cast<unsigned char>(t[x - k - 1]))) ++k;
    return k;
}

}  // namespace

size_t FirstMatchIn(std::string_view text, size_t from, size_t stop, bool wordBefore, const Matcher& m,
                    EndContext end) {
    const size_t none = text.size() + 1;
    const size_t n = m.Length();
    if (n == 0 || n > text.size()) return none;
    const size_t last = std::min(stop, text.size() - n + 1);
    const char* t = text.data();
    Candidates candidates(t, last, m);
    // `known` is a character start at or before every candidate still to
    // come; knownWordBefore says whether the character before it is a word
    // character.
    size_t known = from;
    bool knownWordBefore = wordBefore;
    for (size_t p = candidates.Next(from); p < last; p = candidates.Next(p)) {
        // Pairs of lead-range bytes before p are whole characters: p starts
        // one when that run, counted back to the last non-lead byte or to
        // `known`, is even.
        if (LeadRunDownTo(t, p, known) % 2 != 0) {
            known = ++p;
            knownWordBefore = false;  // after a double-byte character
            continue;
        }
        bool before = knownWordBefore;
        if (p != known) {
            before = IsWordChar(static_cast<unsigned char>(t[p - 1])) &&
                     (p - 1 == known || LeadRunDownTo(t, p - 1, known) % 2 == 0);
        }
        const bool after = p + n == end.at ? end.word : m.WordAfter(text, p + n);
        if (m.MatchesAt(text, p, before, after)) return p;
        const auto c = static_cast<unsigned char>(t[p]);
        const bool lead = platform::IsLeadByte(c);
        knownWordBefore = !lead && IsWordChar(c);
        known = p += lead ? 2 : 1;
    }
    return none;
}

}  // namespace search_detail

using search_detail::CharStartAtOrAfter;
using search_detail::FirstMatchIn;
using search_detail::Matcher;
using search_detail::WordCharBefore;

bool MatchAt(std::string_view text, size_t p, const SearchEntry& entry) {
    Matcher m(entry);
    return m.MatchesAt(text, p, WordCharBefore(text, p), m.WordAfter(text, p + m.Length()));
}

std::optional<size_t> ScanForward(std::string_view text, size_t start, const SearchEntry& entry) {
    Matcher m(entry);
    start = std::min(start, text.size());
    const size_t from = CharStartAtOrAfter(text, start);
    size_t p = FirstMatchIn(text, from, text.size(), WordCharBefore(text, from), m);
    if (p > text.size()) p = FirstMatchIn(text, 0, start, false, m);
    if (p > text.size()) return std::nullopt;
    return p;
}

std::optional<size_t> ScanBackward(std::string_view text, std::ptrdiff_t start, const SearchEntry& entry) {
    Matcher m(entry);
    const size_t n = m.Length();
    if (n == 0 || n > text.size()) return std::nullopt;
    // Character starts are only known walking forward, so one forward walk
    // keeps the last match at or before start and the last one after it.
    std::optional<size_t> atOrBefore;
    std::optional<size_t> after;
    size_t p = 0;
    bool wordBefore = false;
    while (true) {
        p = FirstMatchIn(text, p, text.size(), wordBefore, m);
        if (p > text.size()) break;
        if (static_cast<std::ptrdiff_t>(p) <= start) atOrBefore = p;
        else after = p;
        // Overlapping matches count too: go on from the next character.
        const auto c = static_cast<unsigned char>(text[p]);
        const bool lead = platform::IsLeadByte(c);
        wordBefore = !lead && search_detail::IsWordChar(c);
        p += lead ? 2 : 1;
    }
    return atOrBefore ? atOrBefore : after;
}

std::optional<size_t> FindMatch(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry,
                                bool reverse) {
    const bool forward = (entry.searchUp != 0) == reverse;
    if (forward) return ScanForward(text, selEnd, entry);
    return ScanBackward(text, static_cast<std::ptrdiff_t>(selStart) - 1, entry);
}

bool SelectionMatches(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry) {
    if (selEnd < selStart || selEnd > text.size() || selEnd - selStart != entry.text.size()) return false;
    return entry.text.empty() || Matcher(entry).BytesMatch(text.data() + selStart);
}

std::string NotFoundMessage(std::string_view searchText, bool replaceMode) {
    // The text is joined in, never used as a format, so '%' stays as typed.
    std::string message = replaceMode ? "'" : platform::Sjis("文字列'");
    message += searchText;
    message += platform::Sjis(replaceMode ? "'の検索が終了しました。" : "'が見つかりません。");
    return message;
}
