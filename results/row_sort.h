// The order a header click gives the rows of a result list. A column sorts
// by its ODBC data type: character types as text (unsigned bytes), exact and
// floating numbers by their whole value, dates and times as text (their ISO
// form sorts in time order), every other type by its leading integer. Only
// the first 10239 bytes of a cell, up to a NUL, take part. A NULL arrives as
// an empty cell and sorts as one.
#pragma once

#include "results/result_list.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace results {

enum class SortRule { Text, Number, Integer };

SortRule SortRuleFor(short dataType);

// The part of a cell that takes part in sorting.
std::string_view SortedPart(std::string_view cell);

// A number as the Number rule reads it from the start of a text: white
// space, a sign, digits with an optional fraction and exponent, or "inf",
// "infinity" or "nan" in any case. No digits reads as zero.
struct DecimalValue {
    // Ordered as the values are: NaN above everything, as in PostgreSQL.
    enum Class { NegativeInfinity, Negative, Zero, Positive, PositiveInfinity, NaN } kind = Zero;
    // The significant digits, no leading or trailing zeros, and the power of
    // ten of the place in front of the first: 0.digits x 10^exponent.
    std::string_view digits;  // in the text; may include one '.' to skip
    std::int64_t exponent = 0;
};
DecimalValue ReadDecimal(std::string_view text);

// Sorts order (row indexes into cells, in list order) by column, ascending
// when sortOrder is 1 and descending otherwise; rows that compare equal keep
// their order in either direction. Each row's key is prepared once.
void SortRowOrder(std::vector<std::uint32_t>& order, const CellTable& cells, int column, short dataType,
                  int sortOrder);

}  // namespace results
