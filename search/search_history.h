// The find and replace histories: the texts the user confirmed, newest last in
// storage and newest first in the dialogs' lists, each text once. The newest
// search entry is the current one that F3, Shift+F3 and Replace work with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

// Texts are kept to this many bytes; a longer one is cut on a character
// boundary when committed.
inline constexpr size_t kSearchTextMax = 255;

struct SearchEntry {
    std::string text;  // CP932, as typed
    int32_t wholeWord = 0;
    int32_t matchCase = 0;
    int32_t searchUp = 0;
};

struct ReplaceEntry {
    std::string text;  // CP932, as typed
};

template <class Entry>
class History {
public:
    // Makes text (cut to kSearchTextMax bytes) the newest entry. An entry with
    // the same bytes moves to the newest place and keeps its storage;
    // otherwise a new entry is added. Returns the newest entry.
    Entry& Commit(std::string_view text);

    // The newest entry, or nullptr while nothing was committed.
    const Entry* Current() const { return entries_.empty() ? nullptr : &entries_.back(); }
    std::vector<std::string> TextsNewestFirst() const;
    size_t Size() const { return entries_.size(); }
    void Clear() { entries_.clear(); }

private:
    std::list<Entry> entries_;  // oldest first
};

using SearchHistory = History<SearchEntry>;
using ReplaceHistory = History<ReplaceEntry>;

// Commits a search text with its options; the entry's options are those given
// now, whatever it held before.
const SearchEntry& CommitSearchEntry(SearchHistory& history, std::string_view text, bool wholeWord, bool matchCase,
                                     bool searchUp);
const ReplaceEntry& CommitReplaceEntry(ReplaceHistory& history, std::string_view text);
