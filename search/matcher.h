// The byte test shared by find and replace: the search text compared at a
// character start of the CP932 text, its case rule prepared once.
#pragma once

#include "platform/cp932.h"
#include "search/search_history.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace search_detail {

// Letters, digits and the underscore.
inline bool IsWordChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether the character that ends right before the character start p is a
// word character. A double-byte character never is, even when its trail byte
// reads as a letter.
bool WordCharBefore(std::string_view text, size_t p);

// The first character start at or after byte x (x itself when it is one).
size_t CharStartAtOrAfter(std::string_view text, size_t x);

class Matcher {
public:
    explicit Matcher(const SearchEntry& entry);

    size_t Length() const { return want_.size(); }
    // Whole word applies only when the search text does not start with a
    // double-byte character.
    bool WholeWord() const { return wholeWord_; }

    // The bytes at t (Length() of them) are the search text under the case
    // rule: with matchCase 0, ASCII letters of single-byte characters compare
    // equal in either case; both bytes of a double-byte character must be equal.
    bool FirstByteMatches(unsigned char c) const {
        return (c | static_cast<unsigned char>(mask_[0])) == static_cast<unsigned char>(want_[0]);
    }
    // The byte values the first byte of a match can have (the same twice when
    // it does not fold).
    unsigned char FirstByte() const { return static_cast<unsigned char>(want_[0]); }
    unsigned char FirstByteOtherCase() const {
        return static_cast<unsigned char>(want_[0] & ~mask_[0]);
    }
    bool BytesMatch(const char* t) const {
        for (size_t i = 0; i < want_.size(); ++i) {
            if ((t[i] | mask_[i]) != want_[i]) return false;
        }
        return true;
    }

    // The match test at character start p of text, given whether the
    // character before p is a word character and whether the one at p + Length()
    // is (callers that know better than the text's own bytes say so).
    bool MatchesAt(std::string_view text, size_t p, bool wordBefore, bool wordAfter) const {
        const size_t n = want_.size();
        if (n == 0 || p > text.size() || text.size() - p < n) return false;
        if (!BytesMatch(text.data() + p)) return false;
        // A search text ending in a lone lead byte would otherwise take the
        // first byte of the next character.
        if (endsInLoneLead_ && p + n != text.size()) return false;
        return !wholeWord_ || (!wordBefore && !wordAfter);
    }
    bool WordAfter(std::string_view text, size_t end) const {
        return end < text.size() && IsWordChar(static_cast<unsigned char>(text[end]));
    }

private:
    std::string want_;  // the search text with folded letters made lower case
    std::string mask_;  // 0x20 where a letter is folded, else 0
    bool wholeWord_ = false;
    bool endsInLoneLead_ = false;
};

// Where the text as it stands differs from its bytes for the whole-word test:
// a match ending at `at` is followed by a word character exactly when `word`.
struct EndContext {
    size_t at = std::string_view::npos;
    bool word = false;
};

// The first match at a character start p with from <= p < stop (and p + n
// within the text), walking character by character from the character start
// `from`; wordBefore tells whether the character before `from` is a word
// character. Returns text.size() + 1 when there is none.
size_t FirstMatchIn(std::string_view text, size_t from, size_t stop, bool wordBefore, const Matcher& m,
                    EndContext end = {});

}  // namespace search_detail
