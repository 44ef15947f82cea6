#include "texttools/sql_formatter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The formatter must keep up with texts of many megabytes, so it does not
// walk the text byte by byte. It finds the places where a keyword may start
// 64 bytes at a time with bit masks, matches those places against the table
// without branching on the outcome, and then copies the text between the
// keywords in bulk. Commas need no search of their own: the column count
// grows with the copied bytes, so the first comma that can end a line lies
// at a known distance from the last break. The output goes into a string
// whose storage is reserved at once but zero-filled (as std::string must be)
// only just ahead of the writes, or not at all where a caller's string is
// reused.

namespace {

// ---- The keyword table -----------------------------------------------------

struct Keyword {
    std::string_view text;  // upper case; two words are joined by exactly one space
    bool breakBefore;
};

// Where one keyword begins another, the longer one stands first and wins.
// "OR" before "ORDER BY" is safe: "OR" needs a delimiter after its two letters.
constexpr Keyword kKeywords[] = {
    {"SELECT", true}, {"FROM", true},      {"WHERE", true},  {"GROUP BY", true}, {"OR", false},
    {"ORDER BY", true}, {"ALL", true},     {"AND", false},   {"INSERT INTO", true},
    {"INSERT", true}, {"INTO", true},      {"UNION ALL", true}, {"UNION", true},
    {"UPDATE", true}, {"DELETE", true},    {"VALUES", true}, {"COMMIT", true},
};
constexpr size_t kKeywordCount = std::size(kKeywords);

constexpr bool IsDelimiter(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '(' || c == ')';
}

constexpr unsigned char Upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 0x20) : c;
}

// A keyword as the formatter matches and writes it.
struct KeywordRow {
    size_t length;  // input bytes the keyword covers
    // The 16 input bytes from the keyword's start, masked, equal the pattern
    // when the letters match: a letter's case bit is masked off, the space of
    // a two-word keyword compared whole, bytes past the keyword not at all.
    std::uint64_t mask[2];
    std::uint64_t pattern[2];
    char output[16];  // what the keyword becomes: [CR LF] TEXT CR LF
    size_t outputLength;
};

constexpr std::uint64_t PackBytes(const unsigned char* bytes) {
    std::uint64_t word = 0;
    for (int j = 0; j < 8; ++j) {
        const int shift = std::endian::native == std::endian::little ? 8 * j : 8 * (7 - j);
        word |= std::uint64_t{bytes[j]} << shift;
    }
    return word;
}

// One row per keyword, then a row that stands for "no keyword": it matches
// nothing, covers no input and writes nothing.
constexpr size_t kNoKeyword = kKeywordCount;

constexpr std::array<KeywordRow, kKeywordCount + 1> kRows = [] {
    std::array<KeywordRow, kKeywordCount + 1> rows{};
    rows[kNoKeyword].pattern[0] = 1;
    for (size_t k = 0; k < kKeywordCount; ++k) {
        const Keyword& kw = kKeywords[k];
        KeywordRow& row = rows[k];
        row.length = kw.text.size();
        unsigned char mask[16] = {};
        unsigned char pattern[16] = {};
        for (size_t j = 0; j < kw.text.size(); ++j) {
            const auto c = static_cast<unsigned char>(kw.text[j]);
            mask[j] = c == ' ' ? 0xFF : 0xDF;
            pattern[j] = c;
        }
        row.mask[0] = PackBytes(mask);
        row.mask[1] = PackBytes(mask + 8);
        row.pattern[0] = PackBytes(pattern);
        row.pattern[1] = PackBytes(pattern + 8);
        size_t o = 0;
        if (kw.breakBefore) {
            row.output[o++] = '\r';
            row.output[o++] = '\n';
        }
        for (char c : kw.text) row.output[o++] = c;
        row.output[o++] = '\r';
        row.output[o++] = '\n';
        row.outputLength = o;
    }
    return rows;
}();

// A place where a keyword may start is told apart by its first letter and its
// third byte. That leaves one row each, except that "INSERT" and "UNION" may
// be the first word of "INSERT INTO" and "UNION ALL".
constexpr size_t KeyOf(unsigned char first, unsigned char third) { return size_t{first & 0x1Fu} << 8 | third; }

constexpr std::array<unsigned char, 32 * 256> kRowByKey = [] {
    std::array<unsigned char, 32 * 256> rows{};
    for (auto& r : rows) r = static_cast<unsigned char>(kNoKeyword);
    // A two-word keyword stands before its first word alone, so the first
    // word, written later, keeps the key.
    for (size_t k = 0; k < kKeywordCount; ++k) {
        const std::string_view text = kKeywords[k].text;
        const auto first = static_cast<unsigned char>(text[0]);
        for (int c = 0; c < 256; ++c) {
            const bool third = text.size() > 2 ? Upper(static_cast<unsigned char>(c)) == text[2]
                                               : IsDelimiter(static_cast<unsigned char>(c));
            if (third) rows[KeyOf(first, static_cast<unsigned char>(c))] = static_cast<unsigned char>(k);
        }
    }
    return rows;
}();

// For a keyword that is the first word of a longer one, the longer one.
constexpr std::array<unsigned char, kKeywordCount + 1> kLongerRow = [] {
    std::array<unsigned char, kKeywordCount + 1> longer{};
    for (size_t k = 0; k <= kKeywordCount; ++k) {
        longer[k] = static_cast<unsigned char>(kNoKeyword);
        for (size_t j = 0; j < kKeywordCount && k < kKeywordCount; ++j) {
            const std::string_view shorter = kKeywords[k].text;
            const std::string_view text = kKeywords[j].text;
            if (text.size() > shorter.size() && text.substr(0, shorter.size()) == shorter && text[shorter.size()] == ' ') {
                longer[k] = static_cast<unsigned char>(j);
            }
        }
    }
    return longer;
}();

constexpr bool EveryKeywordHasItsKey() {
    for (size_t k = 0; k < kKeywordCount; ++k) {
        const std::string_view text = kKeywords[k].text;
        const auto third = static_cast<unsigned char>(text.size() > 2 ? text[2] : ' ');
        const size_t row = kRowByKey[KeyOf(static_cast<unsigned char>(text[0]), third)];
        if (row != k && kLongerRow[row] != k) return false;
    }
    return true;
}
static_assert(EveryKeywordHasItsKey());

// All ones where the byte is a delimiter, for selecting without a branch.
constexpr std::array<std::uint64_t, 256> kDelimiterMask = [] {
    std::array<std::uint64_t, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = IsDelimiter(static_cast<unsigned char>(c)) ? ~std::uint64_t{0} : 0;
    return table;
}();

// All ones when the keyword of `row` stands at s, else zero. Computed with
// arithmetic rather than comparisons: whether a word is a keyword is as good
// as random in SQL, and the compiler turns comparisons into branches that
// would be mispredicted half the time.
std::uint64_t KeywordAt(size_t row, const char* s) {
    const KeywordRow& r = kRows[row];
    std::uint64_t low;
    std::uint64_t high;
    std::memcpy(&low, s, 8);
    std::memcpy(&high, s + 8, 8);
    const std::uint64_t differ = ((low & r.mask[0]) ^ r.pattern[0]) | ((high & r.mask[1]) ^ r.pattern[1]);
    const std::uint64_t same = ((differ | (0 - differ)) >> 63) - 1;  // all ones when differ is zero
    return same & kDelimiterMask[static_cast<unsigned char>(s[r.length])];
}

// The row of the keyword at s, or kNoKeyword, where 16 bytes can be read from
// s and `before` is the byte before s (a space at the start of the text).
size_t MatchKeyword(const char* s, unsigned char before) {
    const size_t row = kRowByKey[KeyOf(static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[2]))];
    const std::uint64_t delimited = kDelimiterMask[before];
    const std::uint64_t take = KeywordAt(row, s) & delimited;
    const size_t found = (row & take) | (kNoKeyword & ~take);
    const size_t longer = kLongerRow[row];
    if (longer == kNoKeyword) return found;  // all but INSERT and UNION
    const std::uint64_t takeLonger = KeywordAt(longer, s) & delimited;
    return (longer & takeLonger) | (found & ~takeLonger);
}

// The same near the end of the text, where `available` bytes are left. A
// keyword that ends the text has no delimiter after it and so is none.
size_t MatchKeywordNearEnd(const char* s, size_t available) {
    for (size_t k = 0; k < kKeywordCount; ++k) {
        const std::string_view word = kKeywords[k].text;
        if (available <= word.size() || !IsDelimiter(static_cast<unsigned char>(s[word.size()]))) continue;
        size_t j = 0;
        while (j < word.size() && Upper(static_cast<unsigned char>(s[j])) == word[j]) ++j;
        if (j == word.size()) return k;
    }
    return kNoKeyword;
}

// ---- Block masks -----------------------------------------------------------
// Bit k of a mask stands for byte k of a 64-byte block.

using Bits = std::uint64_t;
constexpr size_t kBlock = 64;

struct BlockMasks {
    Bits delimiters = 0;  // may include other bytes below the space
    Bits letters = 0;  // ASCII letters, either case
};

#if defined(__SSE2__)

void AddMasks16(const char* p, unsigned shift, BlockMasks& m) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto bits = [shift](__m128i x) { return Bits{static_cast<unsigned>(_mm_movemask_epi8(x))} << shift; };
    // Every byte up to the space, not just TAB, LF, CR and space: two
    // instructions instead of seven, and the rare control bytes among them
    // are turned away when a candidate is matched. "(" and ")" differ only in
    // the lowest bit.
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(' ')), v);
    const __m128i parens = _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(1)), _mm_set1_epi8(')'));
    // Shifted so that "a" to "z" become the 26 lowest signed byte values;
    // bytes from 0x80 up land above them.
    const __m128i shifted = _mm_add_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8(0x80 - 'a'));
    const __m128i letters = _mm_cmplt_epi8(shifted, _mm_set1_epi8(-128 + 26));
    m.delimiters |= bits(_mm_or_si128(low, parens));
    m.letters |= bits(letters);
}

#else

void AddMasks16(const char* p, unsigned shift, BlockMasks& m) {
    for (unsigned k = 0; k < 16; ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        m.delimiters |= Bits{IsDelimiter(c)} << (shift + k);
        m.letters |= Bits{Upper(c) >= 'A' && Upper(c) <= 'Z'} << (shift + k);
    }
}

#endif

BlockMasks Masks64(const char* p) {
    BlockMasks m;
    for (unsigned k = 0; k < kBlock; k += 16) AddMasks16(p + k, k, m);
    return m;
}

// Where a keyword may start: right after a delimiter, a word of 2 to 6
// letters followed by a delimiter (a two-word keyword's first word is such a
// word too). Near the end of the block, which cannot tell, any letter after a
// delimiter is kept.
Bits KeywordCandidates(const BlockMasks& m, bool delimiterBefore) {
    const Bits starts = m.letters & (m.delimiters << 1 | Bits{delimiterBefore});
    // letters<n>, bit k: bytes k to k + n - 1 are all letters.
    const Bits letters2 = m.letters & m.letters >> 1;
    const Bits letters3 = letters2 & m.letters >> 2;
    const Bits letters4 = letters2 & letters2 >> 2;
    const Bits letters5 = letters4 & m.letters >> 4;
    const Bits letters6 = letters4 & letters2 >> 4;
    const Bits d = m.delimiters;
    const Bits words = (letters2 & d >> 2) | (letters3 & d >> 3) | (letters4 & d >> 4) | (letters5 & d >> 5) |
                       (letters6 & d >> 6);
    constexpr Bits kNearBlockEnd = ~Bits{0} << (kBlock - 6);
    return starts & (words | kNearBlockEnd);
}

// ---- Output ----------------------------------------------------------------

// Writes may run this far past what they keep.
constexpr size_t kSlack = 64;

// How far ahead of the writes the output is zero-filled.
constexpr size_t kFillAhead = 32 * 1024;

// Within the reserved storage the output grows by kFillAhead; past it, the
// storage doubles.
char* Grow(std::string& buffer, size_t length, size_t needed) {
    const size_t ahead = length + needed + kFillAhead;
    buffer.resize(ahead <= buffer.capacity() ? std::max(ahead, std::min(buffer.capacity(), buffer.size() + kFillAhead))
                                             : std::max(buffer.size() * 2, ahead));
    return buffer.data();
}

// Blocks go through the three steps in chunks of this many.
constexpr size_t kChunkBlocks = 16;

}  // namespace

void FormatSqlLineBreaks(std::string_view text, int lineBreakCount, std::string& buffer) {
    const char* const s = text.data();
    const size_t n = text.size();

    // The state lives in locals rather than in an object: the output is
    // written through a char pointer, which may alias any object in memory,
    // and counters kept in one would go through memory after every write.
    //
    // std::string zero-fills whatever it grows by. The bytes a previous
    // result left are reused as they are; beyond them the storage is filled
    // only a stretch ahead of the writes, where the filling stays in the cache
    // instead of making a pass of its own over memory.
    buffer.reserve(n + n / 4 + kSlack);  // room for typical SQL; grows if needed
    buffer.resize(std::max(buffer.size(), std::min(buffer.capacity(), kFillAhead)));
    char* out = buffer.data();
    size_t capacity = buffer.size();
    size_t length = 0;     // output bytes so far
    size_t copied = 0;     // input bytes before this are in the output
    size_t lineStart = 0;  // where in the output the column count starts

    const auto reserve = [&](size_t bytes) {
        if (capacity - length < bytes + kSlack) {
            out = Grow(buffer, length, bytes + kSlack);
            capacity = buffer.size();
        }
    };
    const auto copyInputUpTo = [&](size_t end) {
        reserve(end - copied);
        if (end > copied) std::memcpy(out + length, s + copied, end - copied);
        length += end - copied;
        copied = end;
    };
    // The same where 64 bytes past `end` can be read: most stretches between
    // two keywords are shorter than that and go in one fixed-size copy.
    const auto copyInputUpToInBlocks = [&](size_t end) {
        const size_t size = end - copied;
        reserve(size);
        for (size_t k = 0; k == 0 || k < size; k += kBlock) std::memcpy(out + length + k, s + copied + k, kBlock);
        length += size;
        copied = end;
    };
    // The delimiter after the keyword stays in the input: it opens the next line.
    const auto writeKeyword = [&](size_t at, const KeywordRow& row) {
        reserve(sizeof row.output);
        std::memcpy(out + length, row.output, sizeof row.output);
        length += row.outputLength;
        lineStart = length;
        copied = at + row.length;
    };
    // A comma stays at the end of the line it closes.
    const auto breakAfterComma = [&] {
        reserve(2);
        std::memcpy(out + length, "\r\n", 2);
        length += 2;
        lineStart = length;
    };
    // Ends the lines that commas before `end` close. The column count grows
    // with every copied byte, so the first comma that can close a line lies
    // at a known distance from the last break; a count of zero or less (the
    // comparison is signed) lets every comma close one.
    const auto breakAtCommasBefore = [&](size_t end) {
        for (;;) {
            const long long room = lineBreakCount - static_cast<long long>(length - lineStart);
            const size_t from = copied + static_cast<size_t>(std::max(0LL, room));
            if (from >= end) return;
            const void* comma = std::memchr(s + from, ',', end - from);
            if (!comma) return;
            copyInputUpTo(static_cast<size_t>(static_cast<const char*>(comma) - s) + 1);
            breakAfterComma();
        }
    };

    // Whole chunks while every block in them has 64 readable bytes after it.
    // Step 1 marks the places where a keyword may start; step 2 matches them,
    // each independent of the others, so the processor overlaps them; step 3
    // writes the output from keyword to keyword.
    size_t i = 0;
    bool delimiterBefore = true;  // the start of the text counts as one
    Bits candidates[kChunkBlocks];
    struct Found {
        std::uint32_t at;
        std::uint32_t row;
    };
    Found found[kChunkBlocks * kBlock];
    while (n - i >= (kChunkBlocks + 1) * kBlock) {
        const size_t chunk = i;
        for (size_t b = 0; b < kChunkBlocks; ++b) {
            const BlockMasks masks = Masks64(s + chunk + b * kBlock);
            candidates[b] = KeywordCandidates(masks, delimiterBefore);
            delimiterBefore = (masks.delimiters >> 63) != 0;
        }

        size_t foundCount = 0;
        for (size_t b = 0; b < kChunkBlocks; ++b) {
            for (Bits c = candidates[b]; c != 0; c &= c - 1) {
                const auto place = static_cast<std::uint32_t>(b * kBlock + std::countr_zero(c));
                const size_t at = chunk + place;
                const size_t row = MatchKeyword(s + at, at == 0 ? ' ' : static_cast<unsigned char>(s[at - 1]));
                found[foundCount] = {place, static_cast<std::uint32_t>(row)};
                foundCount += row != kNoKeyword;
            }
        }

        for (size_t f = 0; f < foundCount; ++f) {
            const size_t at = chunk + found[f].at;
            if (at < copied) continue;  // inside a two-word keyword just written
            breakAtCommasBefore(at);
            copyInputUpToInBlocks(at);
            writeKeyword(at, kRows[found[f].row]);
        }
        // Up to the chunk's end, so that a long stretch without keywords is
        // copied chunk by chunk too.
        i += kChunkBlocks * kBlock;
        breakAtCommasBefore(i);
        if (copied < i) copyInputUpToInBlocks(i);
    }

    // The rest byte by byte.
    for (size_t at = std::max(i, copied); at < n;) {
        if (s[at] == ',') {
            copyInputUpTo(++at);
            if (static_cast<long long>(length - lineStart) > lineBreakCount) breakAfterComma();
            continue;
        }
        if (at == 0 || IsDelimiter(static_cast<unsigned char>(s[at - 1]))) {
            const size_t row = MatchKeywordNearEnd(s + at, n - at);
            if (row != kNoKeyword) {
                copyInputUpTo(at);
                writeKeyword(at, kRows[row]);
                at = copied;
                continue;
            }
        }
        ++at;
    }
    copyInputUpTo(n);
    buffer.resize(length);
}

std::string FormatSqlLineBreaks(std::string_view text, int lineBreakCount) {
    std::string formatted;
    FormatSqlLineBreaks(text, lineBreakCount, formatted);
    return formatted;
}
