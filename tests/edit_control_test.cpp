#include "app/sql_edit.h"
#include "support/gui_test.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>

namespace {

class EditControlTest : public GuiTest {};

TEST_F(EditControlTest, TextIsCp932WithCrLfWhateverLineEndsCameIn) {
    CSqlEdit edit;
    edit.SetText("a\nb\rc\r\nd");
    EXPECT_EQ(edit.GetText(), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(edit.GetTextLength(), 10u);

    const std::string japanese = S("日本語ｶﾅ\r\n～①");
    edit.SetText(japanese);
    EXPECT_EQ(edit.GetText(), japanese);
    EXPECT_EQ(edit.GetTextLength(), japanese.size());

    const std::string stray("ab\x80\xFF\x81\x20" "c", 7);  // not valid CP932
    edit.SetText(stray);
    EXPECT_EQ(edit.GetText(), stray);
    EXPECT_FALSE(edit.IsEmpty());
    edit.SetText("");
    EXPECT_TRUE(edit.IsEmpty());
}

TEST_F(EditControlTest, SelectionIsInCp932ByteOffsets) {
    CSqlEdit edit;
    edit.SetText(S("ab漢字\r\nｶx"));  // a b 漢(2) 字(2) CR LF ｶ(1) x
    edit.SetSel(2, 8);
    size_t start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 8u);
    EXPECT_EQ(platform::QStringToCp932(edit.textCursor().selectedText().replace(QChar(0x2029), QLatin1Char('\n'))),
              S("漢字\n"));

    edit.SetSel(0, std::string::npos);
    edit.GetSel(start, end);
    EXPECT_EQ(end, edit.GetTextLength());

    edit.SetSel(4, 6);
    edit.ReplaceSel(S("表"));
    EXPECT_EQ(edit.GetText(), S("ab漢表\r\nｶx"));
}

TEST_F(EditControlTest, TypingLimitBindsTypingOnly) {
    CSqlEdit edit;
    edit.SetLimitText(5);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "abcdefgh");
    EXPECT_EQ(edit.GetText(), "abcde");
    edit.SetText("0123456789");  // the program's own text is not cut
    EXPECT_EQ(edit.GetText(), "0123456789");
}

TEST_F(EditControlTest, TabTypesATabAndKeepsTheFocus) {
    QWidget window;
    auto* edit = new CSqlEdit(&window);
    auto* other = new CSqlEdit(&window);
    (void)other;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->GetText(), "\t");
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(EditControlTest, MarginCursorCoversMinusFiveToFifteen) {
    CSqlEdit edit;
    edit.resize(300, 200);
    edit.SetFormatMargins(15, 5);
    edit.show();
    auto shapeAt = [&](int clientX) {
        // Positions inside the text area arrive through the viewport; the
        // margin itself belongs to the frame. A drag keeps the mouse captured,
        // which is how negative positions reach the control.
        QWidget* target = edit.viewport();
        QPointF pos(clientX - edit.FormatLeft(), 10);
        QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        return target->cursor().shape();
    };
    EXPECT_EQ(shapeAt(15), Qt::BitmapCursor);
    EXPECT_EQ(shapeAt(16), Qt::IBeamCursor);
    EXPECT_EQ(shapeAt(-5), Qt::BitmapCursor);
    EXPECT_EQ(shapeAt(-6), Qt::IBeamCursor);
    EXPECT_EQ(shapeAt(0), Qt::BitmapCursor);
    QCursor arrow = edit.viewport()->cursor();
    EXPECT_EQ(arrow.hotSpot(), QPoint(31, 0));
    EXPECT_EQ(arrow.pixmap().size(), QSize(32, 32));
}

}  // namespace

namespace {

class EditEdgeTest : public GuiTest {
protected:
    static QString Visible(QString text) {
        text.removeIf([](QChar c) { return c.unicode() >= 0xFE00 && c.unicode() <= 0xFE0F; });
        return text;
    }
    static QString U(const char* utf8) { return QString::fromUtf8(utf8); }
    // Types text as a keyboard does, one key per character; QTest's own
    // typing knows ASCII only.
    static void Type(QWidget& widget, const QString& text) {
        for (QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&widget, &key);
        }
    }
};

TEST_F(EditEdgeTest, CharactersSharingACodeKeepTheirBytesUntilEdited) {
    CSqlEdit edit;
    edit.show();
    // ≒ from NEC row 13 (87 90), ￢ from the IBM extensions (FA 54).
    const std::string text = "\x87\x90" "A\r\n\xFA\x54x";
    edit.SetText(text);
    EXPECT_EQ(Visible(edit.toPlainText()), U("≒A\n￢x"));
    // The selector is invisible: the line is as wide as its characters alone.
    const QFontMetrics metrics(edit.font());
    EXPECT_EQ(metrics.horizontalAdvance(edit.document()->firstBlock().text()), metrics.horizontalAdvance(U("≒A")));
    EXPECT_EQ(edit.GetText(), text);
    EXPECT_EQ(edit.GetTextLength(), text.size());

    // Byte offsets step over the selector: selecting "A" and replacing it
    // leaves ≒ in its own form.
    edit.SetSel(2, 3);
    size_t start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 3u);
    edit.ReplaceSel("B");
    EXPECT_EQ(edit.GetText(), "\x87\x90" "B\r\n\xFA\x54x");
    // The same through the line-by-line selection that find and replace use.
    edit.SetSelInText(edit.GetText(), 7, 8);
    edit.ReplaceSel("y");
    edit.SetSelInText(edit.GetText(), 2, 3);
    edit.ReplaceSel("A");
    EXPECT_EQ(edit.GetText(), "\x87\x90" "A\r\n\xFA\x54y");

    // The arrow keys step over ≒ and its selector as one character, and
    // Backspace takes both.
    edit.SetSel(0, 0);
    QTest::keyClick(&edit, Qt::Key_Right);
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2u);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.GetText(), "A\r\n\xFA\x54y");
    EXPECT_EQ(edit.toPlainText().size(), 5);

    // Typed, ≒ takes the preferred code (81 E0).
    Type(edit, U("≒"));
    EXPECT_EQ(edit.GetText(), "\x81\xE0" "A\r\n\xFA\x54y");
}

TEST_F(EditEdgeTest, TheClipboardGetsNoSelectorsAndPastedTextItsPreferredCodes) {
    CSqlEdit edit;
    edit.SetText("\x87\x90" "A\r\nb");
    edit.SetSel(0, std::string::npos);
    edit.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), U("≒A\r\nb"));
    edit.SetSel(0, 1);
    edit.cut();  // Qt's own cut goes through the same edge
    EXPECT_EQ(QGuiApplication::clipboard()->text(), U("≒"));
    EXPECT_EQ(edit.GetText(), "A\r\nb");
    edit.paste();
    EXPECT_EQ(edit.GetText(), "\x81\xE0" "A\r\nb");
}

TEST_F(EditEdgeTest, TypedAndPastedTextShowsWhatWillBeSaved) {
    CSqlEdit edit;
    edit.show();
    edit.setFocus();
    // A character without a CP932 form shows as "?" the moment it is typed.
    Type(edit, U("café"));
    EXPECT_EQ(edit.toPlainText(), U("caf?"));
    QKeyEvent emoji(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, U("😀"));
    QApplication::sendEvent(&edit, &emoji);
    EXPECT_EQ(edit.toPlainText(), U("caf??"));

    // What an input method commits: 〜 (WAVE DASH) and − (MINUS SIGN) have
    // codes in CP932 (81 60, 81 7C), which show as ～ and －; Hangul has none.
    QInputMethodEvent commit;
    commit.setCommitString(U("〜−한"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.toPlainText(), U("caf??～－?"));

    // Pasted text, CR LF one line break.
    edit.clear();
    QGuiApplication::clipboard()->setText(U("update 商品 set 備考 = '10:00〜18:00 −5%—'\r\n"));
    edit.paste();
    EXPECT_EQ(edit.toPlainText(), U("update 商品 set 備考 = '10:00～18:00 －5%―'\n"));
    EXPECT_EQ(edit.GetText(), platform::Sjis("update 商品 set 備考 = '10:00～18:00 －5%―'\r\n"));
}

}  // namespace
