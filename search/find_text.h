// Finding the current search entry's text in the editor's text: CP932 bytes,
// byte offsets, matches only at character starts.
#pragma once

#include "search/search_history.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Whether the entry's text stands at byte p, a character start of text: the
// bytes agree under the entry's case rule (ASCII letters fold unless
// matchCase; double-byte characters compare exactly) and, with wholeWord, no
// word character (A-Z, a-z, 0-9, _) touches it on either side. Whole word is
// ignored for a search text that starts with a double-byte character. The
// empty search text matches nowhere.
bool MatchAt(std::string_view text, size_t p, const SearchEntry& entry);

// The first match at or after start, else, wrapping, the first one before it.
std::optional<size_t> ScanForward(std::string_view text, size_t start, const SearchEntry& entry);

// The last match at or before start, else, wrapping, the last one after it.
// start is -1 when the selection begins the text: then the whole text counts
// as after it.
std::optional<size_t> ScanBackward(std::string_view text, std::ptrdiff_t start, const SearchEntry& entry);

// The match a find selects from the selection [selStart, selEnd): forward
// from selEnd when the entry searches down, backward from selStart - 1 when it
// searches up; reverse (Shift+F3) turns the direction round.
std::optional<size_t> FindMatch(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry,
                                bool reverse);

// Whether the selection holds exactly the entry's text under its case rule;
// an empty selection holds the empty text.
bool SelectionMatches(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry);

// The message when nothing is found, with the search text as typed:
// "文字列'…'が見つかりません。" for the find commands and "'…'の検索が終了しました。"
// for the replace dialog.
std::string NotFoundMessage(std::string_view searchText, bool replaceMode);
