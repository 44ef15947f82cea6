#include "results/result_list.h"

#include "texttools/text_transforms.h"
#include "db/odbc_conn.h"

#include <algorithm>
#include <cstring>

namespace results {

namespace {

// Below malloc's threshold for a mapping of its own, so a window's chunks come
// from the heap, and the next window reuses them instead of faulting in fresh
// pages; a million rows still need only a few thousand.
constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

}  // namespace

void CellTable::AppendCell(std::string_view text) {
    if (pendingEnds_.size() >= static_cast<std::size_t>(columns_)) return;
    pending_.append(text);
    pendingEnds_.push_back(static_cast<std::uint32_t>(pending_.size()));
}

void CellTable::EndRow() {
    pendingEnds_.resize(static_cast<std::size_t>(columns_), static_cast<std::uint32_t>(pending_.size()));
    const std::size_t endsSize = pendingEnds_.size() * sizeof(std::uint32_t);
    const std::size_t need = endsSize + pending_.size();
    const char* row = nullptr;
    if (need > 0) {
        if (chunks_.empty() || chunks_.back().size - chunks_.back().used < need) {
            const std::size_t size = std::max(kChunkBytes, need);
            // Left uninitialised: every byte handed out is written first.
            chunks_.push_back({std::unique_ptr<char[]>(new char[size]), size, 0});
        }
        Chunk& chunk = chunks_.back();
        char* at = chunk.bytes.get() + chunk.used;
        std::memcpy(at, pendingEnds_.data(), endsSize);
        std::memcpy(at + endsSize, pending_.data(), pending_.size());
        chunk.used += need;
        row = at;
    }
    rows_.push_back(row);
    textBytes_ += pending_.size();
    pending_.clear();
    pendingEnds_.clear();
}

std::string_view CellTable::Cell(std::size_t row, int column) const {
    if (row >= rows_.size() || column < 0 || column >= columns_) return {};
    const char* at = rows_[row];
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    if (column > 0) std::memcpy(&begin, at + (column - 1) * sizeof(std::uint32_t), sizeof begin);
    std::memcpy(&end, at + column * sizeof(std::uint32_t), sizeof end);
    return {at + static_cast<std::size_t>(columns_) * sizeof(std::uint32_t) + begin, end - begin};
}

void CellTable::Prefetch(std::size_t row, std::size_t later) const {
    if (row < rows_.size() && rows_[row]) __builtin_prefetch(rows_[row]);
    if (later < rows_.size()) __builtin_prefetch(&rows_[later]);
}

std::size_t CellTable::AllocatedBytes() const {
    std::size_t total = rows_.capacity() * sizeof(const char*) + chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : chunks_) total += chunk.size;
    return total;
}

std::vector<ListColumnSpec> ReadAnswerColumns(const COdbcConn& conn, int fontSize) {
    std::vector<ListColumnSpec> columns;
    const int count = conn.GetColumnCount();
    columns.reserve(static_cast<std::size_t>(count) + 1);
    columns.push_back(RowNumberColumn(fontSize));
    for (int i = 0; i < count; ++i) {
        ColumnInfo info;
        conn.GetColumnInfo(i, info);
        columns.push_back(ResultColumn(info.name, info.dataType, fontSize));
    }
    return columns;
}

CellTable ReadAnswerRows(COdbcConn& conn, int resultMax, const std::function<bool()>& stopped,
                         const std::function<bool(const COdbcConn&)>& keep) {
    const int answerColumns = conn.GetColumnCount();
    const int digits = RowNumberDigits(resultMax);
    CellTable cells(answerColumns + 1);
    std::string value;
    int rows = 0;
    while (rows < resultMax && !conn.IsEndOfData()) {
        if (stopped && stopped()) break;
        if (!keep || keep(conn)) {
            cells.AppendCell(FormatRowNumber(++rows, digits));
            for (int i = 0; i < answerColumns; ++i) {
                conn.GetValue(i, value);
                // Most values hold no line end; they need no converted copy.
                if (value.find('\n') == std::string::npos && value.find('\r') == std::string::npos) {
                    cells.AppendCell(value);
                } else {
                    cells.AppendCell(ToCrLf(value));
                }
            }
            cells.EndRow();
            // The row after the last one shown is never asked for.
            if (rows == resultMax) break;
        }
        conn.Fetch();
    }
    return cells;
}

}  // namespace results
