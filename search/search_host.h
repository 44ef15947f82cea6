// SearchHost: what the find and replace dialogs use of the window that opens
// them: its two histories and its editor. The main window is the host; the
// dialogs see it only through this interface and never include
// app/main_dlg.h.
#pragma once

#include "search/search_history.h"

#include <cstddef>
#include <string>
#include <string_view>

class SearchHost {
public:
    virtual SearchHistory& SearchEntries() = 0;
    virtual ReplaceHistory& ReplaceEntries() = 0;

    // The editor's text (CP932, CR LF) and its selection in byte offsets.
    virtual std::string EditorTextAndSel(size_t& selStart, size_t& selEnd) = 0;
    // Selects the next match of the current search entry, forward from the
    // selection's end (backward from its start for reverse when the entry
    // searches down, and the other way round), and returns 0; or shows the
    // not-found message (the replace dialog's with replaceMode) and returns -1.
    virtual int FindFromSelection(std::string_view text, size_t selStart, size_t selEnd, bool reverse,
                                  bool replaceMode) = 0;
    // Replaces a selection that holds the search text by the current
    // replacement, one undoable edit; 1 when it did, else 0.
    virtual int ReplaceSelectionIfMatch(std::string_view text, size_t selStart, size_t selEnd) = 0;
    // Every occurrence once from the selection round the text, as one edit.
    virtual void ReplaceAllInEditor() = 0;

protected:
    ~SearchHost() = default;
};
