#include "results/result_grid.h"

#include "platform/qtext.h"
#include "platform/sjis_format.h"
#include "results/row_sort.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace results {

namespace {

// A column's alignment holds for its header caption too, as in a report list.
QVariant Alignment(const ListColumnSpec& column) {
    return static_cast<int>((column.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

}  // namespace

ResultGridModel::ResultGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultGridModel::Replace(std::vector<ListColumnSpec> columns, CellTable cells, bool sortable) {
    beginResetModel();
    columns_ = std::move(columns);
    cells_ = std::move(cells);
    order_.resize(cells_.RowCount());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<std::uint32_t>(i);
    order_.shrink_to_fit();
    sortOrder_.assign(sortable ? columns_.size() : 0, 2);
    endResetModel();
}

void ResultGridModel::Clear() { Replace({}, CellTable(), false); }

void ResultGridModel::ShowMessageColumn() { Replace({MessageColumn()}, CellTable(1), false); }

void ResultGridModel::ShowMessage(std::string_view text) {
    CellTable cells(1);
    cells.AppendCell(text);
    cells.EndRow();
    Replace({MessageColumn()}, std::move(cells), false);
}

void ResultGridModel::ShowRows(std::vector<ListColumnSpec> columns, CellTable cells) {
    Replace(std::move(columns), std::move(cells), true);
}

bool ResultGridModel::SortByColumn(int column) {
    if (sortOrder_.empty() || column < 0 || column >= ColumnCount()) return false;
    int& direction = sortOrder_[static_cast<std::size_t>(column)];
    direction = direction == 1 ? 2 : 1;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::uint32_t> before = order_;
    SortRowOrder(order_, cells_, column, Column(column).dataType, direction);
    // Selection and the current row belong to items, not to positions.
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<std::uint32_t> shownAt(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) shownAt[order_[i]] = static_cast<std::uint32_t>(i);
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& old : from) {
            const int row = static_cast<int>(shownAt[before[static_cast<std::size_t>(old.row())]]);
            to.append(index(row, old.column()));
        }
        changePersistentIndexList(from, to);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

int ResultGridModel::SortOrder(int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= sortOrder_.size()) return 0;
    return sortOrder_[static_cast<std::size_t>(column)];
}

std::string_view ResultGridModel::CellText(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= order_.size()) return {};
    return cells_.Cell(order_[static_cast<std::size_t>(row)], column);
}

platform::ClipboardTextBuilder ResultGridModel::CopyText(const std::vector<int>& rows) const {
    std::vector<std::uint32_t> cellRows;
    cellRows.reserve(rows.size());
    for (int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < order_.size()) {
            cellRows.push_back(order_[static_cast<std::size_t>(row)]);
        }
    }
    platform::ClipboardTextBuilder text;
    WriteCopyText(columns_, cells_, cellRows, text);
    return text;
}

int ResultGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int ResultGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount(); }

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    // Only the cells being painted are ever converted.
    if (role == Qt::DisplayRole) return platform::Cp932ToQString(CellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return Alignment(Column(index.column()));
    return {};
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount()) return {};
    if (role == Qt::DisplayRole) return platform::Cp932ToQString(Column(section).caption);
    if (role == Qt::TextAlignmentRole) return Alignment(Column(section));
    return {};
}

ResultGrid::ResultGrid(QWidget* parent) : QTableView(parent), model_(new ResultGridModel(this)) {
    setModel(model_);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    // A fixed row height keeps a million rows cheap: nothing is measured.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Interactive);
    connect(header, &QHeaderView::sectionClicked, this, &ResultGrid::SortByColumn);
    connect(model_, &QAbstractItemModel::modelReset, this, &ResultGrid::ApplyColumns);
    ApplyRowHeight();
}

void ResultGrid::ShowAnswer(Answer& answer) {
    if (answer.hasRows) {
        model_->ShowRows(std::move(answer.columns), std::move(answer.cells));
    } else {
        model_->ShowMessage(answer.message);
    }
}

void ResultGrid::SortByColumn(int column) { model_->SortByColumn(column); }

std::vector<int> ResultGrid::SelectedRows() const {
    const int count = model_->RowCount();
    std::vector<char> selected(static_cast<std::size_t>(count), 0);
    // Ranges, not indexes: a selection of every row is one range.
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = std::max(0, range.top()); row <= range.bottom() && row < count; ++row) {
            selected[static_cast<std::size_t>(row)] = 1;
        }
    }
    std::vector<int> rows;
    for (int row = 0; row < count; ++row) {
        if (selected[static_cast<std::size_t>(row)]) rows.push_back(row);
    }
    return rows;
}

void ResultGrid::SelectAllRows() { selectAll(); }

platform::ClipboardTextBuilder ResultGrid::CopySelectedText() const {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return {};
    return model_->CopyText(rows);
}

void ResultGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    emit FocusGained();
}

void ResultGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit Clicked();
}

void ResultGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyRowHeight();
}

void ResultGrid::ApplyColumns() {
    QHeaderView* header = horizontalHeader();
    for (int c = 0; c < model_->ColumnCount(); ++c) header->resizeSection(c, std::max(0, model_->Column(c).width));
}

void ResultGrid::ApplyRowHeight() { verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4); }

}  // namespace results
