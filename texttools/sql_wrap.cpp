#include "texttools/sql_wrap.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// First CR or LF in [p, end), or end; eight bytes at a time, as the texts can
// be long and their lines are.
const char* FindLineEnd(const char* p, const char* end) {
    using Word = std::uint64_t;
    constexpr Word kOnes = 0x0101010101010101ULL;
    constexpr Word kLow7 = kOnes * 0x7F;
    // High bit set exactly in the zero bytes of w.
    const auto zeroBytes = [](Word w) { return ~(((w & kLow7) + kLow7) | w | kLow7); };
    for (; end - p >= static_cast<std::ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        const Word hits = zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * '\n'));
        if (hits) {
            if constexpr (std::endian::native == std::endian::little) {
                return p + std::countr_zero(hits) / 8;
            } else {
                return p + std::countl_zero(hits) / 8;
            }
        }
    }
    while (p != end && *p != '\r' && *p != '\n') ++p;
    return p;
}

// A line end is one CR or LF, together with one LF right after it.
const char* SkipLineEnd(const char* p, const char* end) {
    ++p;
    if (p != end && *p == '\n') ++p;
    return p;
}

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
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const std::string_view closing = language == kWrapLanguageVcpp ? "\";" : "\"";

    size_t lineEnds = 0;
    for (const char* p = FindLineEnd(begin, end); p != end; p = FindLineEnd(SkipLineEnd(p, end), end)) {
        ++lineEnds;
    }
    const size_t perLine = codePrefix.size() + 1 + closing.size() + 2;
    std::string out;
    out.reserve(2 + text.size() + (lineEnds + 1) * perLine);

    out.append("\r\n", 2);
    out.append(codePrefix);
    for (const char* p = begin;;) {
        const char* lineEnd = FindLineEnd(p, end);
        out.append(p, static_cast<size_t>(lineEnd - p));
        // Only a space counts as already separating the line from the next one.
        if (lineEnd != begin && lineEnd[-1] != ' ') out.push_back(' ');
        out.append(closing);
        out.append("\r\n", 2);
        if (lineEnd == end) break;
        out.append(codePrefix);
        p = SkipLineEnd(lineEnd, end);
    }
    return out;
}
