#include "results/list_logic.h"

#include "platform/cp932.h"
#include "platform/sjis_format.h"

#include <climits>

namespace results {

namespace {

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

std::string_view CopyCaption(std::string_view caption) {
    return caption.substr(0, platform::Cp932PrefixLength(caption, kCaptionBytes));
}

}  // namespace results
