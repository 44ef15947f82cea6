#include "platform/sql_edit.h"
#include "support/gui_test.h"
#include "support/visible_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>

namespace {

using EditControlTest = GuiTest;

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

using EditEdgeTest = GuiTest;

TEST_F(EditEdgeTest, CharactersSharingACodeKeepTheirBytesUntilEdited) {
    CSqlEdit edit;
    edit.show();
    // ≒ from NEC row 13 (87 90), ￢ from the IBM extensions (FA 54).
    const std::string text = "\x87\x90" "A\r\n\xFA\x54x";
    edit.SetText(text);
    EXPECT_EQ(Visible(edit.toPlainText()), U("≒A\n￢x"));
    EXPECT_EQ(edit.GetText(), text);
    EXPECT_EQ(edit.GetTextLength(), text.size());

    // Byte offsets step over the selector: selecting "A" and replacing it
    // leaves ≒ in its own form.
    edit.SetSel(2, 3);
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
    size_t start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2u);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.GetText(), "A\r\n\xFA\x54y");
    EXPECT_EQ(edit.toPlainText().size(), 5);

    // Typed, ≒ takes the preferred code (81 E0).
    TypeKeys(&edit, U("≒"));
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
    TypeKeys(&edit, U("café"));
    EXPECT_EQ(edit.toPlainText(), U("caf?"));

    // What an input method commits: 〜 (WAVE DASH) and − (MINUS SIGN) have
    // codes in CP932 (81 60, 81 7C), which show as ～ and －; Hangul has none.
    QInputMethodEvent commit;
    commit.setCommitString(U("〜−한"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.toPlainText(), U("caf?～－?"));

    // Pasted text, CR LF one line break.
    edit.clear();
    QGuiApplication::clipboard()->setText(U("update 商品 set 備考 = '10:00〜18:00 −5%—'\r\n"));
    edit.paste();
    EXPECT_EQ(edit.toPlainText(), U("update 商品 set 備考 = '10:00～18:00 －5%―'\n"));
    EXPECT_EQ(edit.GetText(), platform::Sjis("update 商品 set 備考 = '10:00～18:00 －5%―'\r\n"));
}

}  // namespace
