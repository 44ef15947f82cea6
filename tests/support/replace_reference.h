// A plain one-at-a-time Replace All, Replace pressed again and again on the
// CP932 text, that the one-pass ReplaceAll must agree with. Shared by the
// unit test and the fuzz target; slow on purpose (every press searches the
// whole text again).
#pragma once

#include "search/search_history.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace replace_reference {

inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsWord(unsigned char c) { return std::isalnum(c) || c == '_'; }

// The search text's bytes at p under the case rule, character by character.
inline bool SameAt(const std::string& t, size_t p, const SearchEntry& e) {
    const std::string& s = e.text;
    if (p + s.size() > t.size()) return false;
    for (size_t i = 0; i < s.size();) {
        const auto a = static_cast<unsigned char>(t[p + i]), b = static_cast<unsigned char>(s[i]);
        if (IsLead(b)) {
            // A search text ending in a lone lead byte matches only where the
            // text ends in the same one.
            if (i + 1 == s.size()) return a == b && p + i + 1 == t.size();
            if (a != b || t[p + i + 1] != s[i + 1]) return false;
            i += 2;
        } else {
            const bool fold = !e.matchCase && b < 0x80 && std::isalpha(b);
            if (fold ? std::tolower(a) != std::tolower(b) : a != b) return false;
            ++i;
        }
    }
    return true;
}

// Every match start, found the slow way: character starts by walking from the
// beginning, each one tried.
inline std::vector<size_t> AllMatches(const std::string& t, const SearchEntry& e) {
    std::vector<size_t> found;
    const std::string& s = e.text;
    bool wordBefore = false;
    for (size_t p = 0; p < t.size();) {
        bool same = !s.empty() && SameAt(t, p, e);
        if (same && e.wholeWord && !IsLead(static_cast<unsigned char>(s[0]))) {
            const size_t end = p + s.size();
            same = !wordBefore && !(end < t.size() && IsWord(static_cast<unsigned char>(t[end])));
        }
        if (same) found.push_back(p);
        const auto c = static_cast<unsigned char>(t[p]);
        wordBefore = !IsLead(c) && IsWord(c);
        p += IsLead(c) ? 2 : 1;
    }
    return found;
}

struct Editor {
    std::string text;
    size_t selStart = 0, selEnd = 0;
    bool message = false;
};

// Replace pressed again and again, each press replacing the selected match
// and selecting the next one, until the search runs out or the next match
// lies a full lap past the first replacement, counted in bytes of the text as
// it was when Replace All started.
inline Editor OneAtATime(Editor ed, const SearchEntry& e, const std::string& r) {
    const size_t n = e.text.size(), total = ed.text.size(), start = ed.selStart;
    size_t restore = start;
    size_t selectedOffset = 0;  // lap offset of the selected match, from start
    size_t covered = 0, firstOffset = 0;
    bool replacedAny = false;
    for (int guard = 0; guard < 100000; ++guard) {
        bool replaced = false;
        if (ed.selEnd - ed.selStart == n && SameAt(ed.text, ed.selStart, e)) {
            if (!replacedAny) firstOffset = selectedOffset;
            replacedAny = true;
            covered = selectedOffset + n;
            const size_t p = ed.selStart;
            if (p < restore) restore = restore >= p + n ? restore + r.size() - n : p + r.size();
            ed.text.replace(p, n, r);
            ed.selStart = ed.selEnd = p + r.size();
            replaced = true;
        }
        const size_t from = ed.selEnd;
        std::vector<size_t> all = AllMatches(ed.text, e);
        std::optional<size_t> next;
        for (size_t p : all) {
            if (p >= from) {
                next = p;
                break;
            }
        }
        if (!next && !all.empty() && all[0] < from) next = all[0];
        if (!next) {
            ed.message = true;
            return ed;
        }
        ed.selStart = *next;
        ed.selEnd = *next + n;
        if (!replaced) {
            selectedOffset = (*next + total - start) % total;
            continue;
        }
        const size_t advance = *next >= from ? *next - from : ed.text.size() - from + *next;
        selectedOffset = covered + advance;
        if (selectedOffset + n > total + firstOffset) {
            ed.selStart = ed.selEnd = restore;
            return ed;
        }
    }
    // Each press replaces one match or ends: a run this long is a fault of
    // this loop, not of the code compared with it.
    std::fprintf(stderr, "the one-at-a-time Replace All did not end\n");
    std::abort();
}

}  // namespace replace_reference
