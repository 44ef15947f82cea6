#include "search/search_history.h"

#include "platform/cp932.h"

template <class Entry>
Entry& History<Entry>::Commit(std::string_view text) {
    const std::string_view kept = text.substr(0, platform::Cp932PrefixLength(text, kSearchTextMax));
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->text == kept) {
            entries_.splice(entries_.end(), entries_, it);
            return entries_.back();
        }
    }
    Entry& added = entries_.emplace_back();
    added.text = std::string(kept);
    return added;
}

template <class Entry>
std::vector<std::string> History<Entry>::TextsNewestFirst() const {
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) texts.push_back(it->text);
    return texts;
}

template class History<SearchEntry>;
template class History<ReplaceEntry>;

const SearchEntry& CommitSearchEntry(SearchHistory& history, std::string_view text, bool wholeWord, bool matchCase,
                                     bool searchUp) {
    SearchEntry& entry = history.Commit(text);
    entry.wholeWord = wholeWord ? 1 : 0;
    entry.matchCase = matchCase ? 1 : 0;
    entry.searchUp = searchUp ? 1 : 0;
    return entry;
}

const ReplaceEntry& CommitReplaceEntry(ReplaceHistory& history, std::string_view text) {
    return history.Commit(text);
}
