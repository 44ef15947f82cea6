#include "texttools/sql_wrap.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Texts can be many megabytes long, so the wrapping measures its output
// first, allocates it once at its exact size, and then copies the text in
// 64-byte blocks, stopping only at line ends. Bit k of a block mask stands for
// byte k of the block.

namespace {

using Bits = std::uint64_t;
constexpr size_t kBlock = 64;

struct LineMasks {
    Bits cr = 0;
    Bits lf = 0;
};

#if defined(__SSE2__)

void AddLineMasks16(const char* p, unsigned shift, LineMasks& m) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto bits = [&v, shift](char c) {
        return Bits{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))))} << shift;
    };
    m.cr |= bits('\r');
    m.lf |= bits('\n');
}

#else

void AddLineMasks16(const char* p, unsigned shift, LineMasks& m) {
    for (unsigned k = 0; k < 16; ++k) {
        m.cr |= Bits{p[k] == '\r'} << (shift + k);
        m.lf |= Bits{p[k] == '\n'} << (shift + k);
    }
}

#endif

LineMasks Masks64(const char* p) {
    LineMasks m;
    for (unsigned k = 0; k < kBlock; k += 16) AddLineMasks16(p + k, k, m);
    return m;
}

// std::popcount calls a library routine on the baseline x86-64 target.
size_t CountBits(Bits x) {
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<size_t>((x * 0x0101010101010101ULL) >> 56);
}

// The bytes that begin a line end, provided no LF follows an LF: an LF then
// belongs to the line end before it exactly when a CR precedes it, and a CR
// always begins a line end of its own.
Bits LineEndStarts(const LineMasks& m, bool crBefore) { return m.cr | (m.lf & ~(m.cr << 1 | Bits{crBefore})); }

bool LfFollowsLf(const LineMasks& m, bool lfBefore) { return (m.lf & (m.lf << 1 | Bits{lfBefore})) != 0; }

// What the output's size depends on. Each line end may add a space to its
// line's closing; the output is allocated as if every one did.
struct Measure {
    size_t lineEnds = 0;
    size_t lineEndBytes = 0;  // every CR and LF; none of them is copied
    bool lfAfterLf = false;   // the text has an LF right after an LF
};

// Reads the text from `at` on, byte by byte. startBefore: the byte before `at`
// begins a line end (so an LF at `at` belongs to it).
void MeasureByteWise(const char* s, size_t at, size_t n, bool startBefore, Measure& m) {
    for (; at < n; ++at) {
        const char c = s[at];
        if (c != '\r' && c != '\n') {
            startBefore = false;
            continue;
        }
        ++m.lineEndBytes;
        if (c == '\n' && startBefore) {
            startBefore = false;  // the second byte of this line end
            continue;
        }
        ++m.lineEnds;
        startBefore = true;
    }
}

Measure MeasureText(const char* s, size_t n) {
    Measure m;
    size_t i = 0;
    bool crBefore = false;
    bool lfBefore = false;
    Bits starts = 0;
    for (; n - i >= kBlock; i += kBlock) {
        const LineMasks masks = Masks64(s + i);
        if (LfFollowsLf(masks, lfBefore)) {
            Measure exact;
            exact.lfAfterLf = true;
            MeasureByteWise(s, 0, n, false, exact);
            return exact;
        }
        starts = LineEndStarts(masks, crBefore);
        m.lineEnds += CountBits(starts);
        m.lineEndBytes += CountBits(masks.cr | masks.lf);
        crBefore = (masks.cr >> 63) != 0;
        lfBefore = (masks.lf >> 63) != 0;
    }
    MeasureByteWise(s, i, n, (starts >> 63) != 0, m);
    return m;
}

// Copies 64 bytes; the caller keeps only the first few and has room for all.
void Copy64(char* out, const char* in) { std::memcpy(out, in, kBlock); }

}  // namespace

std::string BuildCodePrefix(int language, std::string_view paramName) {
    std::string prefix(paramName);
    if (language == kWrapLanguageVcpp) {
        prefix += " += \"";
    } else {
        prefix += " = ";
        prefix += paramName;
        prefix += " & \"";
    }
    return prefix;
}

std::string WrapSqlAsCode(std::string_view text, int language, std::string_view codePrefix) {
    const char* const s = text.data();
    const size_t n = text.size();
    // The closing quote, the VC++ semicolon and CR LF, padded to 4 bytes.
    const std::string_view closing = language == kWrapLanguageVcpp ? "\";\r\n" : "\"\r\n";
    // The prefix padded to whole 16-byte pieces, each copied without a test
    // on its length.
    std::string prefix(codePrefix);
    const size_t prefixSize = prefix.size();
    prefix.resize((prefixSize + 15) / 16 * 16 + 16);

    const Measure m = MeasureText(s, n);
    const size_t most = 2 + prefixSize + (n - m.lineEndBytes) + (m.lineEnds + 1) * (1 + closing.size()) +
                        m.lineEnds * prefixSize;
    // Room for what block copies and the padded pieces write past their end.
    std::string code(most + prefix.size() + kBlock, '\0');

    // The writing state stays in locals: the output is written through a char
    // pointer, which may alias any object in memory.
    char* out = code.data();
    size_t copied = 0;  // input bytes before this are written
    const auto putPrefix = [&] {
        for (size_t k = 0; k < prefixSize; k += 16) std::memcpy(out + k, prefix.data() + k, 16);
        out += prefixSize;
    };
    // Closes the line ending at `at` (a line end, or the end of the text).
    const auto closeLine = [&](size_t at) {
        *out = ' ';
        out += at > 0 && s[at - 1] != ' ';  // only a space counts as separating
        std::memcpy(out, closing.data(), 4);
        out += closing.size();
    };

    std::memcpy(out, "\r\n", 2);
    out += 2;
    putPrefix();

    // Whole blocks, while 64 bytes past the block can be read; not when an LF
    // follows an LF, which LineEndStarts cannot read. The text is copied up to
    // each line end and, at the end of a block, up to the end of the block,
    // so no copy is longer than 64 bytes.
    size_t i = 0;
    bool crBefore = false;
    for (; !m.lfAfterLf && n - i >= 2 * kBlock; i += kBlock) {
        const LineMasks masks = Masks64(s + i);
        for (Bits starts = LineEndStarts(masks, crBefore); starts; starts &= starts - 1) {
            const size_t at = i + static_cast<size_t>(std::countr_zero(starts));
            Copy64(out, s + copied);
            out += at - copied;
            closeLine(at);
            putPrefix();
            copied = at + 1 + (s[at] == '\r' && s[at + 1] == '\n');
        }
        if (copied < i + kBlock) {
            Copy64(out, s + copied);
            out += i + kBlock - copied;
            copied = i + kBlock;
        }
        crBefore = (masks.cr >> 63) != 0;
    }

    // The rest line by line.
    for (;;) {
        size_t at = copied;
        while (at < n && s[at] != '\r' && s[at] != '\n') ++at;
        if (at > copied) std::memcpy(out, s + copied, at - copied);
        out += at - copied;
        closeLine(at);
        if (at == n) break;
        putPrefix();
        copied = at + 1 + (at + 1 < n && s[at + 1] == '\n');
    }
    code.resize(static_cast<size_t>(out - code.data()));
    return code;
}
