#include "texttools/sql_formatter.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

struct Keyword {
    std::string_view text;  // upper case; two words are joined by exactly one space
    bool breakBefore;
};

// Rows that share a first letter are tried top to bottom, so wherever one
// keyword begins another the longer one stands first. "OR" before "ORDER BY"
// is safe because "OR" needs a delimiter right after its two letters.
constexpr Keyword kKeywords[] = {
    {"SELECT", true},      {"FROM", true},   {"WHERE", true},     {"GROUP BY", true},
    {"OR", false},         {"ORDER BY", true}, {"ALL", true},     {"AND", false},
    {"INSERT INTO", true}, {"INSERT", true}, {"INTO", true},      {"UNION ALL", true},
    {"UNION", true},       {"UPDATE", true}, {"DELETE", true},    {"VALUES", true},
    {"COMMIT", true},
};
constexpr int kKeywordCount = static_cast<int>(std::size(kKeywords));

struct RowRange {
    int first = 0;
    int count = 0;
};

// Rows of kKeywords by first letter, A to Z; the table keeps each letter's rows together.
constexpr std::array<RowRange, 26> kRowsByLetter = [] {
    std::array<RowRange, 26> rows{};
    for (int k = 0; k < kKeywordCount; ++k) {
        RowRange& r = rows[static_cast<size_t>(kKeywords[k].text[0] - 'A')];
        if (r.count == 0) r.first = k;
        ++r.count;
    }
    return rows;
}();

constexpr bool RowsOfEachLetterAreTogether() {
    for (int k = 0; k < kKeywordCount; ++k) {
        const RowRange r = kRowsByLetter[static_cast<size_t>(kKeywords[k].text[0] - 'A')];
        if (k < r.first || k >= r.first + r.count) return false;
    }
    return true;
}
static_assert(RowsOfEachLetterAreTogether());

constexpr unsigned char Upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 0x20) : c;
}

constexpr bool IsDelimiter(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '(' || c == ')';
}

// The keyword that starts at s (the byte before s already passed as a
// delimiter), or nullptr. A keyword needs a delimiter right after it, so one
// that ends the text is no keyword.
const Keyword* MatchKeyword(const char* s, size_t available) {
    const unsigned char letter = Upper(static_cast<unsigned char>(s[0]));
    if (letter < 'A' || letter > 'Z') return nullptr;
    const RowRange rows = kRowsByLetter[letter - 'A'];
    for (int k = rows.first; k < rows.first + rows.count; ++k) {
        const std::string_view word = kKeywords[k].text;
        if (available <= word.size()) continue;
        if (!IsDelimiter(static_cast<unsigned char>(s[word.size()]))) continue;
        size_t j = 1;
        while (j < word.size() && Upper(static_cast<unsigned char>(s[j])) == word[j]) ++j;
        if (j == word.size()) return &kKeywords[k];
    }
    return nullptr;
}

// Every byte that can start an event is below 0x2D: the comma and the six
// delimiters (a keyword can only begin right after a delimiter). Other bytes
// are copied in bulk, eight at a time through this scan.
using Word = std::uint64_t;
constexpr Word kOnes = 0x0101010101010101ULL;
constexpr Word kHigh = kOnes * 0x80;
constexpr Word kLow7 = kOnes * 0x7F;
constexpr unsigned char kEventLimit = ',' + 1;

size_t NextEventCandidate(const char* s, size_t i, size_t n) {
    for (; n - i >= sizeof(Word); i += sizeof(Word)) {
        Word w;
        std::memcpy(&w, s + i, sizeof w);
        const Word below = ~(((w & kLow7) + kOnes * (0x80 - kEventLimit)) | w) & kHigh;
        if (below) {
            if constexpr (std::endian::native == std::endian::little) {
                return i + static_cast<size_t>(std::countr_zero(below)) / 8;
            } else {
                return i + static_cast<size_t>(std::countl_zero(below)) / 8;
            }
        }
    }
    while (i < n && static_cast<unsigned char>(s[i]) >= kEventLimit) ++i;
    return i;
}

class Formatter {
public:
    Formatter(std::string_view text, int lineBreakCount)
        : s_(text.data()), n_(text.size()), lineBreakCount_(lineBreakCount) {
        // A guess for typical SQL; std::string grows if commas or keywords
        // push the output further.
        out_.reserve(n_ + n_ / 8 + 64);
    }

    std::string Run() {
        size_t i = 0;
        if (n_ > 0) {
            if (const Keyword* k = MatchKeyword(s_, n_)) i = EmitKeyword(0, *k);
        }
        while ((i = NextEventCandidate(s_, i, n_)) < n_) {
            const auto c = static_cast<unsigned char>(s_[i]);
            if (c == ',') {
                CopyInputUpTo(i + 1);
                // Signed: a count of zero or less breaks after every comma.
                if (static_cast<long long>(out_.size() - lineStart_) > lineBreakCount_) {
                    BreakLine();
                }
                ++i;
                continue;
            }
            if (IsDelimiter(c) && i + 1 < n_) {
                if (const Keyword* k = MatchKeyword(s_ + i + 1, n_ - i - 1)) {
                    i = EmitKeyword(i + 1, *k);
                    continue;
                }
            }
            ++i;
        }
        CopyInputUpTo(n_);
        return std::move(out_);
    }

private:
    void CopyInputUpTo(size_t end) {
        out_.append(s_ + copied_, end - copied_);
        copied_ = end;
    }

    void BreakLine() {
        out_.append("\r\n", 2);
        lineStart_ = out_.size();
    }

    // Returns the input position after the keyword: its delimiter, which is
    // copied as the first byte of the next line.
    size_t EmitKeyword(size_t at, const Keyword& k) {
        CopyInputUpTo(at);
        if (k.breakBefore) out_.append("\r\n", 2);
        out_.append(k.text);
        BreakLine();
        copied_ = at + k.text.size();
        return copied_;
    }

    const char* s_;
    size_t n_;
    int lineBreakCount_;
    std::string out_;
    size_t copied_ = 0;     // input bytes before this are in out_
    size_t lineStart_ = 0;  // where in out_ the column count starts
};

}  // namespace

std::string FormatSqlLineBreaks(std::string_view text, int lineBreakCount) {
    return Formatter(text, lineBreakCount).Run();
}
