// The rule a header click sorts by, as a plain comparison of two cells and
// an insertion sort over it, for comparing with the prepared-key sort.
#pragma once

#include "platform/sjis_format.h"
#include "results/result_list.h"
#include "results/row_sort.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace sort_reference {

inline int CompareNumbers(std::string_view a, std::string_view b) {
    const results::DecimalValue x = results::ReadDecimal(a);
    const results::DecimalValue y = results::ReadDecimal(b);
    if (x.kind != y.kind) return x.kind < y.kind ? -1 : 1;
    if (x.kind != results::DecimalValue::Negative && x.kind != results::DecimalValue::Positive) return 0;
    const int sign = x.kind == results::DecimalValue::Negative ? -1 : 1;
    if (x.exponent != y.exponent) return x.exponent < y.exponent ? -sign : sign;
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        if (i < x.digits.size() && x.digits[i] == '.') ++i;
        if (j < y.digits.size() && y.digits[j] == '.') ++j;
        const bool xEnd = i == x.digits.size();
        const bool yEnd = j == y.digits.size();
        if (xEnd || yEnd) return xEnd && yEnd ? 0 : (xEnd ? -sign : sign);
        if (x.digits[i] != y.digits[j]) return x.digits[i] < y.digits[j] ? -sign : sign;
        ++i;
        ++j;
    }
}

inline int CompareCells(std::string_view a, std::string_view b, short dataType) {
    a = results::SortedPart(a);
    b = results::SortedPart(b);
    switch (results::SortRuleFor(dataType)) {
    case results::SortRule::Text:
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const auto x = static_cast<unsigned char>(a[i]);
            const auto y = static_cast<unsigned char>(b[i]);
            if (x != y) return x < y ? -1 : 1;
        }
        return (a.size() > b.size()) - (a.size() < b.size());
    case results::SortRule::Integer: {
        const std::int64_t x = platform::ReadLeadingNumber(a).value;
        const std::int64_t y = platform::ReadLeadingNumber(b).value;
        return (x > y) - (x < y);
    }
    case results::SortRule::Number:
        return CompareNumbers(a, b);
    }
    return 0;
}

// A row moves up only past rows it sorts strictly before, so equal rows keep
// their order in either direction.
inline void SortRowOrder(std::vector<std::uint32_t>& order, const results::CellTable& cells, int column,
                         short dataType, int sortOrder) {
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::uint32_t row = order[i];
        std::size_t j = i;
        while (j > 0) {
            int c = CompareCells(cells.Cell(row, column), cells.Cell(order[j - 1], column), dataType);
            if (sortOrder != 1) c = -c;
            if (c >= 0) break;
            order[j] = order[j - 1];
            --j;
        }
        order[j] = row;
    }
}

}  // namespace sort_reference
