#include "results/log_list.h"

#include "platform/qtext.h"
#include "results/batch_log.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace results {

namespace {
constexpr int kTextIndent = 2;
}

LogList::LogList(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(8);
    rangeTimer_.setSingleShot(true);
    rangeTimer_.setInterval(kRangeDelayMs);
    connect(&rangeTimer_, &QTimer::timeout, this, [this] { UpdateScrollRanges(); });
}

void LogList::AppendLine(std::string cp932) {
    lines_.push_back(std::move(cp932));
    selected_.push_back(false);
    const int line = LineCount() - 1;
    const int first = verticalScrollBar()->value();
    if (line <= first + VisibleLines()) viewport()->update(LineRect(line));
    // The scroll bar repaints whenever its range changes: once per interval
    // is plenty while a run pours lines in.
    if (!rangeTimer_.isActive()) {
        UpdateScrollRanges();
        rangeTimer_.start();
    }
}

bool LogList::IsSelected(int line) const {
    return line >= 0 && line < LineCount() && selected_[static_cast<std::size_t>(line)];
}

void LogList::SelectAll() {
    std::fill(selected_.begin(), selected_.end(), true);
    viewport()->update();
}

std::string LogList::CopySelectedText() const { return LogCopyText(lines_, selected_); }

void LogList::SetHorizontalExtent(int pixels) {
    horizontalExtent_ = std::max(0, pixels);
    UpdateScrollRanges();
}

int LogList::LineHeight() const { return std::max(1, fontMetrics().height() + 1); }

int LogList::VisibleLines() const { return std::max(1, viewport()->height() / LineHeight()); }

QRect LogList::LineRect(int line) const {
    const int y = (line - verticalScrollBar()->value()) * LineHeight();
    return QRect(0, y, viewport()->width(), LineHeight());
}

int LogList::LineAt(int y) const {
    return verticalScrollBar()->value() + std::max(0, y) / LineHeight();
}

void LogList::UpdateScrollRanges() {
    const int visible = VisibleLines();
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setRange(0, std::max(0, LineCount() - visible));
    const int width = viewport()->width();
    horizontalScrollBar()->setPageStep(std::max(1, width));
    horizontalScrollBar()->setRange(0, std::max(0, horizontalExtent_ - width));
}

void LogList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int height = LineHeight();
    const int first = std::max(0, LineAt(event->rect().top()));
    const int last = std::min(LineCount() - 1, LineAt(event->rect().bottom()));
    const int x = kTextIndent - horizontalScrollBar()->value();
    const QPalette& palette = this->palette();
    for (int line = first; line <= last; ++line) {
        const QRect rect = LineRect(line);
        const bool selected = selected_[static_cast<std::size_t>(line)];
        if (selected) painter.fillRect(rect, palette.brush(QPalette::Highlight));
        painter.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QRect(x, rect.y(), std::max(horizontalExtent_, rect.width()), height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         platform::Cp932ToQString(lines_[static_cast<std::size_t>(line)]));
        if (line == caret_ && hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
}

void LogList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void LogList::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateScrollRanges();
        viewport()->update();
    }
}

void LogList::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LogList::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LogList::scrollContentsBy(int, int) { viewport()->update(); }

void LogList::SelectTo(int line, bool extend, bool keep) {
    if (!keep) std::fill(selected_.begin(), selected_.end(), false);
    if (extend) {
        const auto from = static_cast<std::size_t>(std::min(anchor_, line));
        const auto to = static_cast<std::size_t>(std::max(anchor_, line));
        std::fill(selected_.begin() + static_cast<std::ptrdiff_t>(from),
                  selected_.begin() + static_cast<std::ptrdiff_t>(to) + 1, true);
    } else {
        selected_[static_cast<std::size_t>(line)] = true;
        anchor_ = line;
    }
    caret_ = line;
    EnsureVisible(line);
    viewport()->update();
}

void LogList::EnsureVisible(int line) {
    QScrollBar* bar = verticalScrollBar();
    // The range may lag behind the lines while a run is appending.
    UpdateScrollRanges();
    if (line < bar->value()) {
        bar->setValue(line);
    } else if (line >= bar->value() + VisibleLines()) {
        bar->setValue(line - VisibleLines() + 1);
    }
}

void LogList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const int line = LineAt(event->position().toPoint().y());
    if (line >= LineCount()) return;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ShiftModifier) {
        SelectTo(line, true, modifiers & Qt::ControlModifier);
    } else if (modifiers & Qt::ControlModifier) {
        selected_[static_cast<std::size_t>(line)] = !selected_[static_cast<std::size_t>(line)];
        anchor_ = caret_ = line;
        viewport()->update();
    } else {
        SelectTo(line, false, false);
    }
}

void LogList::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || LineCount() == 0) return;
    const int line = std::clamp(LineAt(event->position().toPoint().y()), 0, LineCount() - 1);
    if (line != caret_) SelectTo(line, true, false);
}

void LogList::keyPressEvent(QKeyEvent* event) {
    if (LineCount() == 0) return QAbstractScrollArea::keyPressEvent(event);
    int line = caret_;
    switch (event->key()) {
    case Qt::Key_Up: line -= 1; break;
    case Qt::Key_Down: line += 1; break;
    case Qt::Key_PageUp: line -= VisibleLines(); break;
    case Qt::Key_PageDown: line += VisibleLines(); break;
    case Qt::Key_Home: line = 0; break;
    case Qt::Key_End: line = LineCount() - 1; break;
    default: return QAbstractScrollArea::keyPressEvent(event);
    }
    SelectTo(std::clamp(line, 0, LineCount() - 1), event->modifiers() & Qt::ShiftModifier, false);
}

}  // namespace results
