#include "search/replace_all.h"

#include "platform/cp932.h"
#include "search/find_text.h"
#include "search/matcher.h"

#include <algorithm>
#include <vector>

using search_detail::CharStartAtOrAfter;
using search_detail::FirstMatchIn;
using search_detail::IsWordChar;
using search_detail::Matcher;
using search_detail::WordCharBefore;

ReplaceAllOutcome ReplaceAll(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry,
                             std::string_view replacement) {
    ReplaceAllOutcome out;
    out.selStart = selStart;
    out.selEnd = selEnd;
    const Matcher m(entry);
    const size_t n = m.Length();
    const size_t len = text.size();
    const size_t none = len + 1;

    // The first replacement: the selection when it holds the search text,
    // otherwise the first match after it.
    size_t first;
    if (SelectionMatches(text, selStart, selEnd, entry)) {
        first = selStart;
    } else if (auto found = ScanForward(text, selEnd, entry)) {
        first = *found;
    } else {
        out.finished = true;
        return out;
    }

    // Replacements in the order they are made; each later one starts after
    // the previous one ends, wrapping once at the end of the text.
    std::vector<size_t> starts{first};
    const bool replacementEndsInWord = WordCharBefore(replacement, replacement.size());
    const bool replacementStartsInWord =
        !replacement.empty() && IsWordChar(static_cast<unsigned char>(replacement[0]));
    // A replacement ending in a lone lead byte (an invalid byte carried
    // through the replace box) takes the byte after it as its trail byte, as
    // Replace pressed once more would see the text: the next character starts
    // one byte later.
    const bool replacementEndsInLoneLead =
        !replacement.empty() && CharStartAtOrAfter(replacement, replacement.size() - 1) == replacement.size() - 1 &&
        platform::IsLeadByte(static_cast<unsigned char>(replacement.back()));
    const auto after = [&](size_t p) { return p + n < len && replacementEndsInLoneLead ? p + n + 1 : p + n; };

    // Whether the character in front of an untouched position is a word
    // character, as the replacements made so far left the text.
    bool wordBefore = replacement.empty() ? WordCharBefore(text, first) : replacementEndsInWord;
    const auto replaceFrom = [&](size_t from, size_t stop, search_detail::EndContext end) {
        while (true) {
            const size_t p = FirstMatchIn(text, from, stop, wordBefore, m, end);
            if (p >= none) return;
            starts.push_back(p);
            if (!replacement.empty()) wordBefore = replacementEndsInWord;
            else if (p != from) wordBefore = WordCharBefore(text, p);
            from = after(p);
        }
    };
    if (n > 0) {
        replaceFrom(after(first), len, {});
        // After the wrap, matches must end at or before the first
        // replacement, and what follows one that ends there is the
        // replacement text, or, when that is empty, whatever follows it in
        // turn.
        if (first >= n) {
            search_detail::EndContext end{first, false};
            for (size_t k = 0;; ++k) {
                if (!replacement.empty()) {
                    end.word = replacementStartsInWord;
                    break;
                }
                const size_t next = starts[k] + n;
                if (k + 1 < starts.size() && starts[k + 1] == next) continue;
                end.word = m.WordAfter(text, next);
                break;
            }
            wordBefore = false;
            replaceFrom(0, first - n + 1, end);
        }
    }

    // Build the new text in one pass.
    std::vector<size_t> sorted = starts;
    std::sort(sorted.begin(), sorted.end());
    const size_t m_len = replacement.size();
    std::string& result = out.text;
    result.reserve(len - sorted.size() * n + sorted.size() * m_len);
    size_t pos = 0;
    for (size_t s : sorted) {
        result.append(text, pos, s - pos);
        result.append(replacement);
        pos = s + n;
    }
    result.append(text, pos, len - pos);
    out.replaced = starts.size();

    // Where a replacement now starts: its old start moved by the length
    // changes of the replacements before it.
    const auto newStart = [&](size_t index) { return sorted[index] - index * n + index * m_len; };
    out.finished = !ScanForward(result, 0, entry).has_value();
    size_t caret;
    if (out.finished) {
        const size_t lastMade = starts.back();
        const size_t index = std::lower_bound(sorted.begin(), sorted.end(), lastMade) - sorted.begin();
        caret = newStart(index) + m_len;
    } else {
        // The lap has ended: back to where the selection started.
        const size_t before = std::lower_bound(sorted.begin(), sorted.end(), selStart) - sorted.begin();
        if (before > 0 && sorted[before - 1] + n > selStart) {
            caret = newStart(before - 1) + m_len;
        } else {
            caret = selStart - before * n + before * m_len;
        }
    }
    out.selStart = out.selEnd = caret;
    return out;
}
