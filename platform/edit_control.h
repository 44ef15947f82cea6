// CEdit: the multi-line edit control. Its text and selection are CP932 bytes
// and byte offsets, line breaks CR LF, as the program's text model has them;
// the widget itself holds Unicode paragraphs.
#pragma once

#include <QPlainTextEdit>

class QLineEdit;

#include <string>
#include <string_view>

namespace platform {

class CEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CEdit(QWidget* parent = nullptr);

    std::string GetText() const;
    // Replaces the whole text; the undo history starts empty.
    void SetText(std::string_view cp932);
    size_t GetTextLength() const;
    bool IsEmpty() const;

    // Selection as CP932 byte offsets (a line break counts 2).
    void GetSel(size_t& start, size_t& end) const;
    // end == npos selects to the end of the text.
    void SetSel(size_t start, size_t end);
    // Replaces the selection as one edit that undo takes back on its own.
    void ReplaceSel(std::string_view cp932);
    // Selects by byte offsets into text, which is this control's text as
    // GetText gave it, unchanged since: each offset's line is found by
    // counting line breaks in text, and only that line is measured again.
    void SetSelInText(std::string_view text, size_t start, size_t end);
    // The text and the selection read together, the widget's text read once.
    std::string GetTextAndSel(size_t& start, size_t& end) const;
    // Replaces the whole text as one edit that one undo takes back.
    void ReplaceAllText(std::string_view cp932);
    // Scrolls the caret into view.
    void ScrollCaret() { ensureCursorVisible(); }

    // Copies the selection; copied text has CR LF line ends like every text
    // the program produces (cut and drag as well).
    void Copy();

    // One level of undo, as the edit control has it: undo takes back the last
    // edit, and undo again takes back the undo.
    void Undo();

    // The most characters typing or pasting may bring the text to, counted
    // as the widget holds them (a line break is one). A typed character past
    // it is refused with a beep, a paste or a drop past it whole (see
    // OnPasteOverLimit); text set by the program is not cut, and text already
    // past the limit may still be edited as long as it grows no longer.
    void SetLimitText(int characters) { limit_ = characters; }
    int GetLimitText() const { return limit_; }

    // The formatting rectangle: text starts `left` pixels from the control's
    // left border and keeps `right` pixels from its right border.
    void SetFormatMargins(int left, int right);
    int FormatLeft() const { return formatLeft_; }
    void SetTabStopPixels(int pixels);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Typed, committed, pasted and dropped text shows as what the text will
    // hold: every character as its CP932 code shows it, "?" where it has none.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    // A paste or drop refused for the limit; the text stays as it was.
    virtual void OnPasteOverLimit();

private:
    std::string SelectedText() const;  // CP932, CR LF line ends
    void ShapeWithoutOpenType();
    // Whether putting `inserted` characters in place of the selection would
    // take the text past the limit.
    bool WouldPassLimit(qsizetype inserted) const;

    int limit_ = 0;  // 0: the widget's own limit
    int formatLeft_ = 0;
};

// Makes Backspace in a one-line edit take a character together with its form
// selector (qtext.h), as CEdit does, instead of the invisible selector alone.
void KeepFormsWholeOnBackspace(QLineEdit* edit);

}  // namespace platform
