// The batch run window's log: a list of CP932 lines in the order added,
// several selectable at once (click, Shift+click, Ctrl+click, drag, arrow
// keys with and without Shift), scrolled a line at a time vertically and by
// pixels across a fixed horizontal extent.
//
// A list of its own rather than a QListView: a run appends one line per
// event-loop turn, and the item views lay out and repaint everything on
// every insertion (about 2.5 ms a line here, a minute for a 20,000-line
// log). Appending here costs a vector push; the scroll range follows at
// most every kRangeDelayMs, and only a line that lands in view repaints.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>

#include <string>
#include <vector>

namespace results {

class LogList : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kRangeDelayMs = 50;

    explicit LogList(QWidget* parent = nullptr);

    void AppendLine(std::string cp932);
    int LineCount() const { return static_cast<int>(lines_.size()); }
    const std::vector<std::string>& Lines() const { return lines_; }

    bool IsSelected(int line) const;
    void SelectAll();
    // The selected lines in log order, each ended by CR LF; empty when none
    // is selected.
    std::string CopySelectedText() const;

    // How far the lines can be scrolled sideways, in pixels.
    void SetHorizontalExtent(int pixels);
    // Where a line is drawn in the viewport (for clicks).
    QRect LineRect(int line) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int LineHeight() const;
    int VisibleLines() const;
    int LineAt(int y) const;
    void UpdateScrollRanges();
    // Selects only line, or the range from the anchor when extend is set;
    // keep leaves other selected lines alone.
    void SelectTo(int line, bool extend, bool keep);
    void EnsureVisible(int line);

    std::vector<std::string> lines_;
    std::vector<bool> selected_;
    int anchor_ = 0;
    int caret_ = 0;
    int horizontalExtent_ = 0;
    QTimer rangeTimer_;
};

}  // namespace results
