#include "app/sql_edit.h"
#include "support/gui_test.h"

#include <QMouseEvent>
#include <QTest>

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
