#include "app/text_transforms.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// The editor hands over texts of many megabytes, so each transform moves plain
// bytes eight at a time (one 64-bit word) and drops to a byte loop only around
// the bytes that need a decision.

namespace {

using Word = std::uint64_t;
constexpr size_t kWordBytes = sizeof(Word);
constexpr Word kOnes = 0x0101010101010101ULL;
constexpr Word kHigh = kOnes * 0x80;
constexpr Word kLow7 = kOnes * 0x7F;

Word Load(const char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

void Store(char* p, Word w) { std::memcpy(p, &w, sizeof w); }

// Exact per-byte tests: the high bit is set in each byte that passes, and only
// there (the additions never carry from one byte into the next).
Word ZeroBytes(Word w) { return ~(((w & kLow7) + kLow7) | w | kLow7); }
Word BytesEqual(Word w, unsigned char c) { return ZeroBytes(w ^ (kOnes * c)); }
// For limit <= 0x80: bytes below limit.
Word BytesBelow(Word w, unsigned char limit) {
    return ~(((w & kLow7) + kOnes * (0x80 - limit)) | w) & kHigh;
}

// Offset of the first flagged byte in memory order; mask must not be zero.
size_t FirstFlagged(Word mask) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<size_t>(std::countr_zero(mask)) / 8;
    } else {
        return static_cast<size_t>(std::countl_zero(mask)) / 8;
    }
}

// Moves each byte's flag onto the byte that follows it in memory.
Word FlagsOntoNextByte(Word mask) {
    if constexpr (std::endian::native == std::endian::little) {
        return mask << 8;
    } else {
        return mask >> 8;
    }
}

// The flag a previous word's last byte passes on to this word's first byte.
Word FlagOnFirstByte(bool set) {
    if (!set) return 0;
    return std::endian::native == std::endian::little ? Word{0x80} : Word{0x80} << 56;
}

bool LastByteFlagged(Word mask) {
    if constexpr (std::endian::native == std::endian::little) {
        return (mask >> 63) != 0;
    } else {
        return (mask & 0x80) != 0;
    }
}

// First byte in [p, end) that is one of Cs, or end.
template <unsigned char... Cs>
const char* FindFirstOf(const char* p, const char* end) {
    for (; end - p >= static_cast<std::ptrdiff_t>(kWordBytes); p += kWordBytes) {
        const Word w = Load(p);
        const Word hits = (BytesEqual(w, Cs) | ...);
        if (hits) return p + FirstFlagged(hits);
    }
    for (; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (((c == Cs) || ...)) return p;
    }
    return end;
}

bool IsWhite(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF); }

size_t CollapseRange(const char* src, size_t n, char* dst) {
    size_t out = 0;
    // The start of the text counts as following white space, so leading white
    // space is dropped by the same rule that shortens runs.
    bool blank = true;
    size_t i = 0;
    while (i < n) {
        if (n - i >= kWordBytes) {
            // Eight bytes whose only white space is single spaces that follow
            // no white space come out exactly as they went in.
            const Word w = Load(src + i);
            const Word spaces = BytesEqual(w, ' ');
            if (BytesBelow(w, ' ' + 1) == spaces &&
                (spaces & (FlagsOntoNextByte(spaces) | FlagOnFirstByte(blank))) == 0) {
                Store(dst + out, w);
                out += kWordBytes;
                i += kWordBytes;
                blank = LastByteFlagged(spaces);
                continue;
            }
        }
        const size_t stop = std::min(n, i + kWordBytes);
        for (; i < stop; ++i) {
            const auto c = static_cast<unsigned char>(src[i]);
            const bool white = IsWhite(c);
            dst[out] = white ? ' ' : static_cast<char>(c);
            out += !(white && blank);
            blank = white;
        }
    }
    return out;
}

void ConvertCaseRange(char* text, size_t n, int mode) {
    if (mode != kCaseUpper && mode != kCaseLower) return;
    const unsigned char first = mode == kCaseUpper ? 'a' : 'A';
    // Within a word of ASCII bytes: the flag of each byte in [first, first + 26).
    const Word fromFirst = kOnes * (0x80 - first);
    const Word pastLast = kOnes * (0x80 - first - 26);
    size_t i = 0;
    while (i < n) {
        if (n - i >= kWordBytes) {
            const Word w = Load(text + i);
            if ((w & kHigh) == 0) {
                // No lead byte, so every byte is a character of its own.
                const Word letters = (w + fromFirst) & ~(w + pastLast) & kHigh;
                if (letters) Store(text + i, w ^ (letters >> 2));  // 0x80 >> 2 is the case bit
                i += kWordBytes;
                continue;
            }
        }
        const size_t stop = std::min(n, i + kWordBytes);
        while (i < stop) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (IsLeadByte(c)) {
                // The trail byte goes along unread; a lead byte at the very end
                // steps past the end and so ends the scan.
                i += 2;
                continue;
            }
            if (static_cast<unsigned char>(c - first) < 26) text[i] = static_cast<char>(c ^ 0x20);
            ++i;
        }
    }
}

}  // namespace

size_t CollapseWhitespace(const char* src, char* dst) {
    const size_t len = CollapseRange(src, std::strlen(src), dst);
    dst[len] = '\0';
    return len;
}

std::string CollapseWhitespace(std::string_view src) {
    std::string out(src.size(), '\0');
    out.resize(CollapseRange(src.data(), src.size(), out.data()));
    return out;
}

std::string ToCrLf(std::string_view src) {
    const char* const begin = src.data();
    const char* const end = begin + src.size();

    size_t loneLineEnds = 0;
    for (const char* p = FindFirstOf<'\r', '\n'>(begin, end); p != end;
         p = FindFirstOf<'\r', '\n'>(p, end)) {
        if (*p == '\r' && p + 1 != end && p[1] == '\n') {
            p += 2;
        } else {
            ++loneLineEnds;
            ++p;
        }
    }

    std::string out(src.size() + loneLineEnds, '\0');
    char* w = out.data();
    for (const char* p = begin; p != end;) {
        const char* lineEnd = FindFirstOf<'\r', '\n'>(p, end);
        std::memcpy(w, p, static_cast<size_t>(lineEnd - p));
        w += lineEnd - p;
        if (lineEnd == end) break;
        *w++ = '\r';
        *w++ = '\n';
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p != end && *p == '\n') ++p;
    }
    return out;
}

void ConvertCase(char* text, int mode) { ConvertCaseRange(text, std::strlen(text), mode); }

void ConvertCase(std::string& text, int mode) { ConvertCaseRange(text.data(), text.size(), mode); }

std::string ExtractSqlFromCode(std::string_view src) {
    std::string out(src.size(), '\0');
    char* w = out.data();
    const char* p = src.data();
    const char* const end = p + src.size();
    while (p != end) {
        // Outside a literal only the line structure survives.
        const char* q = FindFirstOf<'"', '\r', '\n'>(p, end);
        if (q == end) break;
        if (*q != '"') {
            *w++ = *q;
            p = q + 1;
            continue;
        }
        const char* open = q + 1;
        const void* found = std::memchr(open, '"', static_cast<size_t>(end - open));
        const char* close = found ? static_cast<const char*>(found) : end;
        std::memcpy(w, open, static_cast<size_t>(close - open));
        w += close - open;
        p = close == end ? end : close + 1;
    }
    out.resize(static_cast<size_t>(w - out.data()));
    return out;
}
