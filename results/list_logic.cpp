#include "results/list_logic.h"

#include "platform/cp932.h"
#include "platform/sjis_format.h"

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
    return {platform::Sjis("件数"), ScaledWidth(fontSize, 4), false, kRowNumberType};
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
        const std::int64_t x = platform::ReadLeadingNumber(a).value;
        const std::int64_t y = platform::ReadLeadingNumber(b).value;
        result = (x > y) - (x < y);
    }
    return sortOrder == 1 ? result : -result;
}

void AppendCopyCell(std::string& out, std::string_view cell, std::size_t maxBytes) {
    out += cell.substr(0, platform::Cp932PrefixLength(cell, maxBytes));
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
