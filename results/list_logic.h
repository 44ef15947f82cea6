// The list rules shared by the query result window and the database
// information window: row numbers, column descriptions and the captions of
// the clipboard text. Text is CP932 bytes.
#pragma once

#include <string>
#include <string_view>

namespace results {

// ODBC data types the lists show left-aligned (SQL_CHAR, SQL_VARCHAR); every
// other type is shown right-aligned.
constexpr short kSqlChar = 1;
constexpr short kSqlVarchar = 12;
// The row-number column sorts as a number.
constexpr short kRowNumberType = 3;

// Width of the row-number column: the decimal digits of resultMax, so every
// number shown lines up. resultMax <= 0 (no rows shown) gives 1.
int RowNumberDigits(int resultMax);

// number right-aligned in digits characters, padded with spaces ("%*d").
std::string FormatRowNumber(int number, int digits);

struct ListColumnSpec {
    std::string caption;
    int width;          // pixels
    bool rightAligned;
    short dataType;     // 0 for the message column, which is never sorted
};

// Column 0 of a filled list, "件数".
ListColumnSpec RowNumberColumn(int fontSize);

// A column of a result or catalogue answer: as wide as its name in bytes
// times the font size; text types left-aligned, the rest right-aligned.
ListColumnSpec ResultColumn(std::string_view name, short dataType, int fontSize);

// The single column that shows a message instead of rows.
ListColumnSpec MessageColumn();

// A caption as the header line of a copy holds it: at most 254 bytes, whole
// characters only.
std::string_view CopyCaption(std::string_view caption);

}  // namespace results
