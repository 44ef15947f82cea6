// The report list of the result windows: rows of CP932 text under captioned
// columns, a row-number column "件数" in front, sorting by a header click,
// several rows selectable, copying as TAB-separated text. The query result
// window shows one statement's answer in it, the database information window
// its catalogue answers.
#pragma once

#include "platform/clipboard.h"
#include "results/answer.h"
#include "results/list_logic.h"
#include "results/result_list.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace results {

// What the list holds: its columns, its rows (the table's row index is an
// item's number at insertion), the order they are shown in and, once rows
// have been filled, each column's sort direction.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultGridModel(QObject* parent = nullptr);

    // No columns, no rows.
    void Clear();
    // The single "Message" column, empty or with one row of text. A message
    // list never sorts.
    void ShowMessageColumn();
    void ShowMessage(std::string_view text);
    // Columns and rows of an answer; cells has one column per entry of
    // columns. Every column starts with sort direction 2, so its first click
    // sorts ascending.
    void ShowRows(std::vector<ListColumnSpec> columns, CellTable cells);

    // The header click: flips the column's direction and sorts the rows by
    // it. False, and nothing changes, on a list that was never filled.
    bool SortByColumn(int column);
    bool IsSortable() const { return !sortOrder_.empty(); }
    // 1 ascending, 2 descending, 0 while the list has no sort state.
    int SortOrder(int column) const;

    int RowCount() const { return static_cast<int>(order_.size()); }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const ListColumnSpec& Column(int column) const { return columns_[static_cast<std::size_t>(column)]; }
    // The text of a cell at a row as shown (after sorting).
    std::string_view CellText(int row, int column) const;
    // The header line and the given rows (as shown), in the order given.
    platform::ClipboardTextBuilder CopyText(const std::vector<int>& rows) const;
    const CellTable& Cells() const { return cells_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Replace(std::vector<ListColumnSpec> columns, CellTable cells, bool sortable);

    std::vector<ListColumnSpec> columns_;
    CellTable cells_;
    // Row of cells_ shown at each position.
    std::vector<std::uint32_t> order_;
    std::vector<int> sortOrder_;
};

// The list control: full-row selection of any number of rows, no row
// headers (column 0 numbers the rows), column widths from the columns'
// descriptions, a header click sorts.
class ResultGrid : public QTableView {
    Q_OBJECT

public:
    explicit ResultGrid(QWidget* parent = nullptr);

    ResultGridModel& Model() { return *model_; }
    const ResultGridModel& Model() const { return *model_; }

    void ShowMessageColumn() { model_->ShowMessageColumn(); }
    void ShowMessage(std::string_view text) { model_->ShowMessage(text); }
    // Shows an answer read on the connection thread: its columns and rows
    // (taken from it), or its message.
    void ShowAnswer(Answer& answer);

    // Sorts by a column as a click on its header does; selected rows stay
    // selected wherever they move.
    void SortByColumn(int column);

    // Shown rows that are selected, top to bottom.
    std::vector<int> SelectedRows() const;
    void SelectAllRows();
    // The header line and the selected rows; empty when no row is selected.
    platform::ClipboardTextBuilder CopySelectedText() const;

signals:
    void FocusGained();
    // A left-button click in the rows' area, on a row or on empty space,
    // after the click has changed the selection. Keyboard moves do not click.
    void Clicked();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ApplyColumns();
    void ApplyRowHeight();

    ResultGridModel* model_;
};

}  // namespace results
