#include "platform/edit_control.h"

#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextDocumentFragment>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace platform {

namespace {

// A line at least this long keeps its shaped glyphs between layouts (see
// paintEvent); shorter lines are shaped again in no time.
constexpr int kKeepGlyphsFrom = 4096;

}  // namespace

CEdit::CEdit(QWidget* parent) : QPlainTextEdit(parent) {
    ShapeWithoutOpenType();
    document()->setDocumentMargin(0);
    setTabChangesFocus(false);
    setCenterOnScroll(false);
}

std::string CEdit::GetText() const { return QStringToCp932CrLf(toPlainText()); }

void CEdit::SetText(std::string_view cp932) { setPlainText(Cp932ToQStringLf(cp932)); }

size_t CEdit::GetTextLength() const {
    QString text = toPlainText();
    return Cp932LengthCrLf(text, 0, text.size());
}

bool CEdit::IsEmpty() const { return document()->isEmpty(); }

void CEdit::GetSel(size_t& start, size_t& end) const {
    QTextCursor cursor = textCursor();
    QString text = toPlainText();
    start = Cp932LengthCrLf(text, 0, cursor.selectionStart());
    end = start + Cp932LengthCrLf(text, cursor.selectionStart(), cursor.selectionEnd());
}

void CEdit::SetSel(size_t start, size_t end) {
    QString text = toPlainText();
    qsizetype from = PastFormMarker(text, PositionForCp932Offset(text, start));
    qsizetype to = end == std::string::npos ? text.size() : PastFormMarker(text, PositionForCp932Offset(text, end));
    if (to < from) std::swap(from, to);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(from));
    cursor.setPosition(static_cast<int>(to), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CEdit::ReplaceSel(std::string_view cp932) {
    textCursor().insertText(Cp932ToQStringLf(cp932));
    document()->setModified(false);  // typing next is an edit of its own
}

void CEdit::SetSelInText(std::string_view text, size_t start, size_t end) {
    QTextDocument* doc = document();
    // Every line break is CR LF in text and one block boundary in the
    // document. A character that reads as a line break inside a block (a line
    // separator) makes the counts differ; then the whole text is measured.
    const size_t breaks = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    if (breaks + 1 != static_cast<size_t>(doc->blockCount())) {
        SetSel(start, end);
        return;
    }
    const auto position = [&](size_t offset) {
        offset = std::min(offset, text.size());
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
        const size_t lineStart = line == 0 ? 0 : text.rfind('\n', offset - 1) + 1;
        QTextBlock block = doc->findBlockByNumber(static_cast<int>(line));
        const QString blockText = block.text();
        return block.position() +
               static_cast<int>(PastFormMarker(blockText, PositionForCp932Offset(blockText, offset - lineStart)));
    };
    const int from = position(std::min(start, end));
    const int to = end == start ? from : position(std::max(start, end));
    QTextCursor cursor(doc);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

std::string CEdit::GetTextAndSel(size_t& start, size_t& end) const {
    QTextCursor cursor = textCursor();
    QString text = toPlainText();
    start = Cp932LengthCrLf(text, 0, cursor.selectionStart());
    end = start + Cp932LengthCrLf(text, cursor.selectionStart(), cursor.selectionEnd());
    return QStringToCp932CrLf(text);
}

void CEdit::ReplaceAllText(std::string_view cp932) {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(Cp932ToQStringLf(cp932));
    // What is typed next is an edit of its own (the document merges typing
    // into the last edit only while modified).
    document()->setModified(false);
}

std::string CEdit::SelectedText() const {
    return QStringToCp932CrLf(textCursor().selection().toPlainText());
}

void CEdit::Copy() {
    if (textCursor().hasSelection()) SetClipboardText(SelectedText());
}

// Cut and drag leave through here; copy goes through the clipboard edge
// above. Both give the clipboard's form of the text.
QMimeData* CEdit::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(ClipboardText(SelectedText()));
    return data;
}

void CEdit::Undo() {
    // Nothing but an undo fills the redo stack (any edit empties it), so a
    // redo step means the last thing done was an undo: take it back.
    if (document()->isRedoAvailable()) {
        redo();
    } else {
        undo();
    }
    // What is typed next is an edit of its own, not more of the step just
    // undone or redone (the document merges typing only while modified).
    document()->setModified(false);
}

void CEdit::SetFormatMargins(int left, int right) {
    formatLeft_ = left;
    setViewportMargins(left, 0, right, 0);
}

void CEdit::SetTabStopPixels(int pixels) { setTabStopDistance(pixels); }

bool CEdit::event(QEvent* e) {
    // The formatting margins lie outside the viewport: paint them as part of
    // the text area, then let the frame draw itself over them.
    if (e->type() == QEvent::Paint) {
        QPainter(this).fillRect(contentsRect(), palette().base());
    }
    return QPlainTextEdit::event(e);
}

// The text is CP932: Latin, kana, kanji and symbols in a monospaced face,
// nothing that needs ligatures, kerning or reordering. Mapping characters
// straight to glyphs instead of through the OpenType shaper makes laying out
// a line about three times faster, which is what a megabyte-long line (a
// dump's INSERT) takes at every key press.
void CEdit::ShapeWithoutOpenType() {
    if ((font().styleStrategy() & QFont::PreferNoShaping) && !font().kerning()) return;
    QFont shown = font();
    shown.setStyleStrategy(QFont::StyleStrategy(shown.styleStrategy() | QFont::PreferNoShaping));
    shown.setKerning(false);
    setFont(shown);
}

void CEdit::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) ShapeWithoutOpenType();
    QPlainTextEdit::changeEvent(e);
}

void CEdit::paintEvent(QPaintEvent* e) {
    // A line's layout drops its glyphs once laid out, so finding the caret's
    // x and painting each shape the whole line again: three passes over a
    // long line at every key press instead of one. Long lines on screen keep
    // them (the layout keeps the setting while its line is edited).
    const int bottom = viewport()->height();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(contentOffset()).top() > bottom) break;
        if (block.length() >= kKeepGlyphsFrom && !block.layout()->cacheEnabled()) block.layout()->setCacheEnabled(true);
    }
    QPlainTextEdit::paintEvent(e);
}

namespace {

bool IsPlainBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace &&
           !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
}

class FormsWholeOnBackspace : public QObject {
public:
    explicit FormsWholeOnBackspace(QLineEdit* edit) : QObject(edit), edit_(edit) { edit->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
        const int at = edit_->cursorPosition();
        if (!IsPlainBackspace(static_cast<QKeyEvent*>(event)) || edit_->isReadOnly() || edit_->hasSelectedText() ||
            at < 2 || !detail::IsFormMarker(edit_->text()[at - 1].unicode())) {
            return false;
        }
        edit_->setSelection(at - 2, 2);
        edit_->del();
        return true;
    }

private:
    QLineEdit* edit_;
};

bool HasNonAscii(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80) return true;
    }
    return false;
}

}  // namespace

bool CEdit::WouldPassLimit(qsizetype inserted) const {
    if (limit_ <= 0) return false;
    const QTextCursor cursor = textCursor();
    const qsizetype now = document()->characterCount() - 1;
    const qsizetype after = now - (cursor.selectionEnd() - cursor.selectionStart()) + inserted;
    return after > limit_ && after > now;
}

void CEdit::OnPasteOverLimit() { QApplication::beep(); }

void CEdit::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly()) {
        const bool lineBreakOrTab =
            event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Tab;
        const bool printable = !event->text().isEmpty() && event->text()[0].isPrint();
        if ((lineBreakOrTab || printable) && WouldPassLimit(printable ? event->text().size() : 1)) {
            QApplication::beep();
            return;
        }
    }
    // Backspace takes a character and its form selector together: taking
    // the invisible selector alone would look like a key that does nothing.
    QTextCursor cursor = textCursor();
    if (IsPlainBackspace(event) && !isReadOnly() && !cursor.hasSelection() && cursor.position() >= 2 &&
        detail::IsFormMarker(document()->characterAt(cursor.position() - 1).unicode())) {
        cursor.setPosition(cursor.position() - 2, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        setTextCursor(cursor);
        return;
    }
    // A typed character shows as what the text will hold.
    if (HasNonAscii(event->text())) {
        const QString shown = AsCp932Shows(event->text());
        if (shown != event->text()) {
            QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                            event->nativeVirtualKey(), event->nativeModifiers(), shown, event->isAutoRepeat(),
                            static_cast<quint16>(event->count()));
            QPlainTextEdit::keyPressEvent(&typed);
            event->setAccepted(typed.isAccepted());
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CEdit::inputMethodEvent(QInputMethodEvent* event) {
    // What an input method commits shows as what the text will hold; past
    // the limit it is refused as a typed character is, the composition kept.
    const QString commit = event->commitString();
    if (!commit.isEmpty() && !isReadOnly() && WouldPassLimit(commit.size() - event->replacementLength())) {
        QApplication::beep();
        QInputMethodEvent refused(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&refused);
        event->accept();
        return;
    }
    if (HasNonAscii(commit)) {
        const QString shown = AsCp932Shows(commit);
        if (shown != commit) {
            QInputMethodEvent committed(event->preeditString(), event->attributes());
            committed.setCommitString(shown, event->replacementStart(), event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&committed);
            event->setAccepted(committed.isAccepted());
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void CEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Pasted or dropped text: CR LF is one line break, not two, and every
    // character shows as what the text will hold. Text that would not fit is
    // refused whole: cut short, a script would lose its end in the middle of
    // a statement.
    QString text = AsCp932Shows(source->text());
    if (WouldPassLimit(text.size())) {
        OnPasteOverLimit();
        return;
    }
    QMimeData normalized;
    normalized.setText(text);
    QPlainTextEdit::insertFromMimeData(&normalized);
}

void KeepFormsWholeOnBackspace(QLineEdit* edit) { new FormsWholeOnBackspace(edit); }

}  // namespace platform
