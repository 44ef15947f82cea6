// Replace All on the editor's CP932 text, computed in one pass over the bytes.
#pragma once

#include "search/search_history.h"

#include <cstddef>
#include <string>
#include <string_view>

struct ReplaceAllOutcome {
    size_t replaced = 0;  // 0: the text and the selection stay as they were
    std::string text;     // the new text, when replaced > 0
    size_t selStart = 0;  // the selection afterwards
    size_t selEnd = 0;
    // The search ran out of matches: the replace dialog's "search has
    // finished" message is due. Otherwise the lap through the text ended.
    bool finished = false;
};

// Replaces, once each, the occurrences that Replace pressed again and again
// would meet going forward from the selection once round the text: the
// selection itself when it holds the search text, then every match after the
// previous replacement, wrapping at the end, up to the first replacement
// again. Replaced text is never searched again, and whole-word tests see the
// text as the earlier replacements left it.
//
// When the text afterwards holds no match the search has run out: the caret
// stands after the last replacement made. Otherwise (the replacement brings
// the search text back) the lap has ended: the caret stands at the
// selection's start, moved by the replacements before it (after a
// replacement that straddles it). Nothing found: nothing changes and the
// search has run out.
ReplaceAllOutcome ReplaceAll(std::string_view text, size_t selStart, size_t selEnd, const SearchEntry& entry,
                             std::string_view replacement);
