// The data behind a result list, with no widget in sight: the cells of its
// rows, the reading of a statement's answer into them and the text a copy
// puts on the clipboard. Text is CP932 bytes.
#pragma once

#include "results/list_logic.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class COdbcConn;

namespace results {

// The cells of a list, row by row. A list may hold a million rows, so they
// live packed in chunks of memory rather than in one heap string per cell:
// each row is the end offsets of its cells followed by their bytes, a row
// never straddles two chunks, and chunks never move, so growing the table
// copies nothing that is already in it.
class CellTable {
public:
    explicit CellTable(int columns = 0) : columns_(columns < 0 ? 0 : columns) {}

    int ColumnCount() const { return columns_; }
    std::size_t RowCount() const { return rows_.size(); }

    // Cells go in column by column; EndRow closes the row. Cells beyond the
    // column count are dropped, missing ones read as empty.
    void AppendCell(std::string_view text);
    void EndRow();

    std::string_view Cell(std::size_t row, int column) const;
    // The bytes of every cell together.
    std::size_t TextBytes() const { return textBytes_; }
    // Asks for a row's memory ahead of reading it, and for where a later
    // row lies, for passes over rows in an order of their own (a sorted
    // list), where each row would otherwise wait for memory in turn.
    void Prefetch(std::size_t row, std::size_t later) const;

    // What the table holds allocated.
    std::size_t AllocatedBytes() const;

private:
    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::size_t size;
        std::size_t used;
    };

    int columns_;
    std::vector<Chunk> chunks_;
    // Where each row starts; chunks never move, so these stay valid.
    std::vector<const char*> rows_;
    std::size_t textBytes_ = 0;
    std::string pending_;
    std::vector<std::uint32_t> pendingEnds_;
};

// The columns of the answer now on conn: "件数", then one per answer column.
std::vector<ListColumnSpec> ReadAnswerColumns(const COdbcConn& conn, int fontSize);

// Reads the answer's rows from the current one on, at most resultMax of
// them, into a table whose column 0 holds the row number in the format
// RowNumberDigits(resultMax) gives and whose column j holds answer column
// j - 1 with CR LF line ends. Rows beyond resultMax are never fetched.
// stopped, when given, is asked before every row: true ends the reading
// with the rows read so far. keep, when given, is asked of every row the
// driver delivers: a row it refuses is passed over and neither numbered nor
// counted.
CellTable ReadAnswerRows(COdbcConn& conn, int resultMax, const std::function<bool()>& stopped = {},
                         const std::function<bool(const COdbcConn&)>& keep = {});

// The clipboard text of a list: a header line of the captions (each cut as
// CopyCaption cuts it), then one line for each of rows (indexes into cells)
// in the order given; cells are separated by TAB and every line ends in
// CR LF. out takes the CP932 text in pieces, out.Append(std::string_view),
// after out.Reserve(std::size_t) has been told about how long it will be
// (exactly, when every row is copied).
template <typename Out>
void WriteCopyText(const std::vector<ListColumnSpec>& columns, const CellTable& cells,
                   const std::vector<std::uint32_t>& rows, Out& out) {
    const int count = static_cast<int>(columns.size());
    // TABs between the cells and CR LF after them.
    const std::size_t lineExtra = (count > 0 ? static_cast<std::size_t>(count) - 1 : 0) + 2;
    std::size_t total = lineExtra * (rows.size() + 1);
    for (const ListColumnSpec& column : columns) total += CopyCaption(column.caption).size();
    if (rows.size() == cells.RowCount()) {
        total += cells.TextBytes();
    } else if (cells.RowCount() > 0) {
        total += cells.TextBytes() / cells.RowCount() * rows.size();
    }
    out.Reserve(total);
    for (int c = 0; c < count; ++c) {
        if (c > 0) out.Append("\t");
        out.Append(CopyCaption(columns[static_cast<std::size_t>(c)].caption));
    }
    out.Append("\r\n");
    constexpr std::size_t kAhead = 8;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i + kAhead < rows.size()) {
            cells.Prefetch(rows[i + kAhead], i + 2 * kAhead < rows.size() ? rows[i + 2 * kAhead] : rows[i]);
        }
        for (int c = 0; c < count; ++c) {
            if (c > 0) out.Append("\t");
            out.Append(cells.Cell(rows[i], c));
        }
        out.Append("\r\n");
    }
}

}  // namespace results
