// The list rules shared by the query result window and the database
// information window: row numbers, column descriptions, the sort comparison
// and the clipboard text. Text is CP932 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace results {

// ODBC data types the lists treat as text (SQL_CHAR, SQL_VARCHAR); every
// other type is shown right-aligned and sorted by its leading number.
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

// The sort comparison of two cell texts of one column: negative, 0 or
// positive (-1/0/+1 for text types), inverted unless sortOrder is 1
// (ascending). Only the first 10239 bytes of each text, up to a NUL, take
// part. Text types compare as unsigned bytes; other types by the leading
// integer as strtoll reads it (white space, sign, digits; none gives 0),
// saturating at the 64-bit limits, so huge values never overflow.
int CompareRows(std::string_view a, std::string_view b, short dataType, int sortOrder);

// Clipboard text of a list: a header line of the captions, then one line
// per selected row; each cell is followed by TAB and the line's last TAB
// becomes CR LF. A window copies only when at least one row is selected: it
// checks its selection count before building, so a header alone never
// reaches the clipboard. Reserve out beforehand for large lists.

// Appends one cell and its TAB; at most maxBytes of the cell, never ending
// inside a double-byte character.
void AppendCopyCell(std::string& out, std::string_view cell,
                    std::size_t maxBytes = std::string_view::npos);

// Closes the line: its last TAB becomes CR, then LF. A line without cells
// becomes an empty line.
void EndCopyLine(std::string& out);

// One row line from its cells.
void AppendCopyLine(std::string& out, const std::vector<std::string>& cells,
                    std::size_t maxCellBytes = std::string_view::npos);

// The header line; each caption counts with at most 254 bytes.
void AppendCopyHeader(std::string& out, const std::vector<std::string>& captions);

}  // namespace results
