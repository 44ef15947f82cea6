#include "results/list_logic.h"

#include "platform/codepage.h"

#include <climits>
#include <cstdint>

namespace results {

namespace {

// A cell takes part in sorting with at most this many bytes.
constexpr std::size_t kCompareBytes = 10239;
constexpr std::size_t kCaptionBytes = 254;

// Multiplies in 64 bits and clamps to int, so a hand-edited font size cannot
// overflow a width.
int ScaledWidth(int fontSize, std::size_t units) {
    const long long capped = units > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                                       : static_cast<long long>(units);
    const long long w = static_cast<long long>(fontSize) * capped;
    if (w > INT_MAX) return INT_MAX;
    if (w < INT_MIN) return INT_MIN;
    return static_cast<int>(w);
}

// What a zeroed fixed-size buffer would hold of the cell.
std::string_view ComparedPart(std::string_view text) {
    text = text.substr(0, kCompareBytes);
    return text.substr(0, text.find('\0'));
}

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// strtoll's reading of a decimal number, clamped instead of overflowing.
std::int64_t LeadingInteger(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Accumulate towards the sign so INT64_MIN is reachable.
    std::int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const int digit = s[i] - '0';
        if (negative) {
            value = value < (INT64_MIN + digit) / 10 ? INT64_MIN : value * 10 - digit;
        } else {
            value = value > (INT64_MAX - digit) / 10 ? INT64_MAX : value * 10 + digit;
        }
    }
    return value;
}

int CompareBytes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int RowNumberDigits(int resultMax) {
    int digits = 1;
    for (int n = resultMax; n >= 10; n /= 10) ++digits;
    return digits;
}

std::string FormatRowNumber(int number, int digits) {
    std::string text = std::to_string(number);
    if (digits > 0 && text.size() < static_cast<std::size_t>(digits)) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), ' ');
    }
    return text;
}

ListColumnSpec RowNumberColumn(int fontSize) {
    // "件数" in CP932.
    return {"\x8C\x8F\x90\x94", ScaledWidth(fontSize, 4), false, kRowNumberType};
}

ListColumnSpec ResultColumn(std::string_view name, short dataType, int fontSize) {
    const bool text = dataType == kSqlChar || dataType == kSqlVarchar;
    return {std::string(name), ScaledWidth(fontSize, name.size()), !text, dataType};
}

ListColumnSpec MessageColumn() { return {"Message", 500, false, 0}; }

int CompareRows(std::string_view a, std::string_view b, short dataType, int sortOrder) {
    a = ComparedPart(a);
    b = ComparedPart(b);
    int result;
    if (dataType == kSqlChar || dataType == kSqlVarchar) {
        result = CompareBytes(a, b);
    } else {
        const std::int64_t x = LeadingInteger(a);
        const std::int64_t y = LeadingInteger(b);
        result = (x > y) - (x < y);
    }
    return sortOrder == 1 ? result : -result;
}

void AppendCopyCell(std::string& out, std::string_view cell, std::size_t maxBytes) {
    if (cell.size() > maxBytes) {
        std::size_t i = 0;
        while (i < maxBytes) {
            const std::size_t step = platform::IsLeadByte(static_cast<unsigned char>(cell[i])) ? 2 : 1;
            if (i + step > maxBytes) break;
            i += step;
        }
        cell = cell.substr(0, i);
    }
    out += cell;
    out += '\t';
}

void EndCopyLine(std::string& out) {
    if (!out.empty() && out.back() == '\t') {
        out.back() = '\r';
    } else {
        out += '\r';
    }
    out += '\n';
}

void AppendCopyLine(std::string& out, const std::vector<std::string>& cells, std::size_t maxCellBytes) {
    for (const std::string& cell : cells) AppendCopyCell(out, cell, maxCellBytes);
    EndCopyLine(out);
}

void AppendCopyHeader(std::string& out, const std::vector<std::string>& captions) {
    AppendCopyLine(out, captions, kCaptionBytes);
}

}  // namespace results
