#include "texttools/text_transforms.h"

#include "platform/cp932.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The editor hands over texts of many megabytes. Each transform therefore
// looks at 64 bytes at a time through bit masks (bit k stands for byte k of
// the block), copies the stretches that need no decision in bulk and touches
// single bytes only where a bit is set. The masks come from SSE2 where the
// compiler offers it (every x86-64) and from plain loops elsewhere; the last
// bytes of a text, too few for a block, go through a plain byte loop.

namespace {

constexpr size_t kBlock = 64;
using Bits = std::uint64_t;

// ---- 16-byte primitives ----------------------------------------------------

#if defined(__SSE2__)

__m128i Load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

void Store16(char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <unsigned char... Cs>
__m128i Equal16(__m128i v) {
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(Cs))))), ...);
    return hits;
}

Bits Movemask16(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }

template <unsigned char... Cs>
Bits MatchBits16(const char* p) { return Movemask16(Equal16<Cs...>(Load16(p))); }

// Copies 16 bytes with TAB, LF and CR turned into spaces; returns the bits of
// all four white-space bytes.
Bits CopyWhiteAsSpaces16(const char* src, char* dst) {
    const __m128i v = Load16(src);
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i other = Equal16<'\t', '\n', '\r'>(v);
    Store16(dst, _mm_or_si128(_mm_andnot_si128(other, v), _mm_and_si128(other, space)));
    return Movemask16(_mm_or_si128(other, _mm_cmpeq_epi8(v, space)));
}

// Bytes in the lead ranges 0x81-0x9F and 0xE0-0xFC (platform::IsLeadByte),
// compared as signed bytes: -127 to -97 and -32 to -4.
Bits LeadBits16(const char* p) {
    const __m128i v = Load16(p);
    const __m128i low =
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-128)), _mm_cmplt_epi8(v, _mm_set1_epi8(-96)));
    const __m128i high =
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-33)), _mm_cmplt_epi8(v, _mm_set1_epi8(-3)));
    return Movemask16(_mm_or_si128(low, high));
}

// 0xFF in byte k where bit k of bits is set.
__m128i ExpandBits16(unsigned bits) {
    __m128i x = _mm_cvtsi32_si128(static_cast<int>(bits));
    x = _mm_unpacklo_epi8(x, x);
    x = _mm_unpacklo_epi16(x, x);
    x = _mm_unpacklo_epi32(x, x);  // the low byte of bits in bytes 0-7, the high byte in 8-15
    const __m128i select = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    return _mm_cmpeq_epi8(_mm_and_si128(x, select), select);
}

// Flips the case of the bytes in [first, first + 26) among the 16 at p,
// except where bit k of skip is set.
void FlipLetters16(char* p, unsigned char first, unsigned skip) {
    const __m128i v = Load16(p);
    // Signed compares: bytes from 0x80 up are negative and so never letters.
    __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(first - 1))),
                                    _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(first + 26))));
    letters = _mm_andnot_si128(ExpandBits16(skip), letters);
    Store16(p, _mm_xor_si128(v, _mm_and_si128(letters, _mm_set1_epi8(0x20))));
}

#else

template <unsigned char... Cs>
Bits MatchBits16(const char* p) {
    Bits bits = 0;
    for (unsigned k = 0; k < 16; ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        bits |= Bits{((c == Cs) || ...)} << k;
    }
    return bits;
}

Bits CopyWhiteAsSpaces16(const char* src, char* dst) {
    Bits bits = 0;
    for (unsigned k = 0; k < 16; ++k) {
        const char c = src[k];
        const bool white = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        dst[k] = white ? ' ' : c;
        bits |= Bits{white} << k;
    }
    return bits;
}

Bits LeadBits16(const char* p) {
    Bits bits = 0;
    for (unsigned k = 0; k < 16; ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        bits |= Bits{platform::IsLeadByte(c)} << k;
    }
    return bits;
}

void FlipLetters16(char* p, unsigned char first, unsigned skip) {
    for (unsigned k = 0; k < 16; ++k) {
        const auto c = static_cast<unsigned char>(p[k]);
        if (static_cast<unsigned char>(c - first) < 26 && !(skip >> k & 1)) p[k] = static_cast<char>(c ^ 0x20);
    }
}

#endif

// ---- 64-byte blocks --------------------------------------------------------

template <unsigned char... Cs>
Bits MatchBits64(const char* p) {
    return MatchBits16<Cs...>(p) | MatchBits16<Cs...>(p + 16) << 16 | MatchBits16<Cs...>(p + 32) << 32 |
           MatchBits16<Cs...>(p + 48) << 48;
}

Bits CopyWhiteAsSpaces64(const char* src, char* dst) {
    return CopyWhiteAsSpaces16(src, dst) | CopyWhiteAsSpaces16(src + 16, dst + 16) << 16 |
           CopyWhiteAsSpaces16(src + 32, dst + 32) << 32 | CopyWhiteAsSpaces16(src + 48, dst + 48) << 48;
}

Bits LeadBits64(const char* p) {
    return LeadBits16(p) | LeadBits16(p + 16) << 16 | LeadBits16(p + 32) << 32 | LeadBits16(p + 48) << 48;
}

// Bits from position `from` up; none once from reaches 64.
Bits BitsFrom(size_t from) { return from >= 64 ? 0 : ~Bits{0} << from; }

// Position of the lowest set bit, 64 when there is none.
size_t LowestBit(Bits bits) { return static_cast<size_t>(std::countr_zero(bits)); }

bool IsWhite(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// ---- CollapseWhitespace ----------------------------------------------------

size_t CollapseRange(const char* src, size_t n, char* dst) {
    size_t i = 0;
    size_t out = 0;
    // The start of the text counts as following white space, so leading white
    // space is dropped by the same rule that shortens runs.
    bool blank = true;

    // Each block is first copied with TAB, LF and CR as spaces into one half
    // of `spaced`, one block ahead of its turn: its kept stretches are then
    // copied out of bytes stored a while before (copying out of bytes just
    // stored would wait for the stores to land). A stretch is copied as 64
    // bytes whatever its length and what follows overwrites the surplus, so
    // dst needs 128 bytes of room from out on: it holds n + 1 bytes, and out
    // never passes i.
    alignas(16) char spaced[2][2 * kBlock] = {};
    Bits nextWhite = n >= 2 * kBlock ? CopyWhiteAsSpaces64(src, spaced[0]) : 0;
    for (size_t half = 0; n - i >= 2 * kBlock; i += kBlock, half ^= 1) {
        const Bits white = nextWhite;
        if (n - i >= 3 * kBlock) nextWhite = CopyWhiteAsSpaces64(src + i + kBlock, spaced[half ^ 1]);
        const char* block = spaced[half];
        const Bits dropped = white & (white << 1 | Bits{blank});
        blank = (white >> 63) != 0;
        // Copies the first kept stretch from `from` on and returns its end.
        const auto copyStretch = [&](size_t from) {
            const size_t start = LowestBit(~dropped & BitsFrom(from));
            const size_t end = LowestBit(dropped & BitsFrom(start));
            std::memcpy(dst + out, block + start, kBlock);
            out += end - start;
            return end;
        };
        // Most blocks hold at most one run of dropped bytes (a line end and the
        // indentation after it), so two stretches are copied without a test.
        size_t at = copyStretch(copyStretch(0));
        while (at < kBlock) at = copyStretch(at);
    }

    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(src[i]);
        const bool white = IsWhite(c);
        dst[out] = white ? ' ' : static_cast<char>(c);
        out += !(white && blank);
        blank = white;
    }
    return out;
}

// ---- ToCrLf ----------------------------------------------------------------

// Line ends that grow by one byte: an LF without a CR before it and a CR
// without an LF after it. Walks the text block by block; `each` receives the
// text offset of every such byte in order.
template <typename Each>
void ForEachLoneLineEnd(const char* s, size_t n, Each each) {
    size_t i = 0;
    bool crBefore = false;  // the byte before the block is a CR
    for (; n - i > kBlock; i += kBlock) {
        const Bits cr = MatchBits64<'\r'>(s + i);
        const Bits lf = MatchBits64<'\n'>(s + i);
        const Bits lfAfter = lf >> 1 | Bits{s[i + kBlock] == '\n'} << 63;
        for (Bits lone = (lf & ~(cr << 1 | Bits{crBefore})) | (cr & ~lfAfter); lone; lone &= lone - 1) {
            each(i + LowestBit(lone));
        }
        crBefore = (cr >> 63) != 0;
    }
    for (; i < n; ++i) {
        const bool lone = s[i] == '\n' ? !crBefore : s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n');
        if (lone) each(i);
        crBefore = s[i] == '\r';
    }
}

// ---- ConvertCase -----------------------------------------------------------

// Of the lead-range bytes in a block, those that really start a double-byte
// character: in a run of lead-range bytes the first is a lead, the second its
// trail, the third a lead again, and so on. firstIsTrail: the block's first
// byte is the trail of a character begun in the block before.
Bits CharacterLeads(Bits leadRange, bool firstIsTrail) {
    constexpr Bits kEvenBits = 0x5555555555555555ULL;
    const Bits candidates = leadRange & ~Bits{firstIsTrail};
    const Bits runStarts = candidates & ~(candidates << 1);
    // Adding a run's lowest bit carries through the whole run and clears it;
    // that sorts the runs by the parity of their first position.
    const Bits oddStartRuns = (candidates + (runStarts & kEvenBits)) & candidates;
    const Bits evenStartRuns = candidates & ~oddStartRuns;
    return (evenStartRuns & kEvenBits) | (oddStartRuns & ~kEvenBits);
}

void ConvertCaseRange(char* text, size_t n, int mode) {
    if (mode != kCaseUpper && mode != kCaseLower) return;
    const unsigned char first = mode == kCaseUpper ? 'a' : 'A';
    size_t i = 0;
    bool firstIsTrail = false;
    for (; n - i >= kBlock; i += kBlock) {
        char* block = text + i;
        const Bits leads = CharacterLeads(LeadBits64(block), firstIsTrail);
        const Bits trails = leads << 1 | Bits{firstIsTrail};
        for (size_t k = 0; k < kBlock; k += 16) {
            FlipLetters16(block + k, first, static_cast<unsigned>(trails >> k & 0xFFFF));
        }
        firstIsTrail = (leads >> 63) != 0;
    }
    i += firstIsTrail;
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (platform::IsLeadByte(c)) {
            // The trail byte goes along unread; a lead byte at the very end
            // steps past the end and so ends the scan.
            i += 2;
            continue;
        }
        if (static_cast<unsigned char>(c - first) < 26) text[i] = static_cast<char>(c ^ 0x20);
        ++i;
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
    const char* const s = src.data();
    const size_t n = src.size();
    size_t lone = 0;
    ForEachLoneLineEnd(s, n, [&](size_t) { ++lone; });
    if (lone == 0) return std::string(src);  // already CR LF throughout

    // Everything between two lone line ends, CR LF pairs included, stays as
    // it is. Lines are short, so a line is copied in 64-byte pieces rather
    // than through a library call, wherever the text and the output (which
    // gets 64 bytes of room at its end) can take the surplus.
    std::string result(n + lone + kBlock, '\0');
    char* const out = result.data();
    size_t copied = 0;
    size_t o = 0;
    ForEachLoneLineEnd(s, n, [&](size_t at) {
        if (n - at >= kBlock) {
            for (size_t k = 0; k < at - copied; k += kBlock) std::memcpy(out + o + k, s + copied + k, kBlock);
        } else {
            std::memcpy(out + o, s + copied, at - copied);
        }
        o += at - copied;
        out[o++] = '\r';
        out[o++] = '\n';
        copied = at + 1;
    });
    std::memcpy(out + o, s + copied, n - copied);
    result.resize(n + lone);
    return result;
}

void ConvertCase(char* text, int mode) { ConvertCaseRange(text, std::strlen(text), mode); }

void ConvertCase(std::string& text, int mode) { ConvertCaseRange(text.data(), text.size(), mode); }

std::string ExtractSqlFromCode(std::string_view src) {
    const char* const s = src.data();
    const size_t n = src.size();
    std::string result(n, '\0');
    char* const out = result.data();
    size_t o = 0;
    size_t i = 0;  // outside a literal
    while (i < n) {
        // Outside a literal only the line structure survives.
        size_t quote = n;
        if (n - i >= kBlock) {
            const Bits quotes = MatchBits64<'"'>(s + i);
            // The line ends before the first quote go out.
            const Bits ends = MatchBits64<'\r', '\n'>(s + i) & ~BitsFrom(LowestBit(quotes));
            for (Bits e = ends; e; e &= e - 1) out[o++] = s[i + LowestBit(e)];
            if (!quotes) {
                i += kBlock;
                continue;
            }
            quote = i + LowestBit(quotes);
        } else {
            for (; i < n && s[i] != '"'; ++i) {
                if (s[i] == '\r' || s[i] == '\n') out[o++] = s[i];
            }
            if (i == n) break;
            quote = i;
        }
        // Inside: everything up to the closing quote, or to the end of the text.
        const size_t open = quote + 1;
        const void* found = std::memchr(s + open, '"', n - open);
        const size_t close = found ? static_cast<size_t>(static_cast<const char*>(found) - s) : n;
        std::memcpy(out + o, s + open, close - open);
        o += close - open;
        i = close == n ? n : close + 1;
    }
    result.resize(o);
    return result;
}
