#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/gui_test.h"

#include <QTest>
#include <QTextCursor>

#include <memory>

namespace {

class FindReplaceWindowTest : public GuiTest {
protected:
    std::unique_ptr<CMainDlg> Open() {
        auto dlg = std::make_unique<CMainDlg>();
        dlg->Create(nullptr);
        Pump();  // the connect dialog posted at start
        return dlg;
    }
    static std::string Selected(CMainDlg& dlg) {
        return platform::QStringToCp932(
            dlg.curEdit->textCursor().selectedText().replace(QChar(0x2029), QLatin1Char('\n')));
    }
    static std::pair<size_t, size_t> Sel(CMainDlg& dlg) {
        size_t start = 0, end = 0;
        dlg.curEdit->GetSel(start, end);
        return {start, end};
    }
};

TEST_F(FindReplaceWindowTest, F3AndShiftF3RepeatTheCurrentSearch) {
    auto dlg = Open();
    const std::string text = S("select 社員名\r\nfrom 社員\r\nwhere 名前 = '社員'");
    dlg->curEdit->SetText(text);
    dlg->curEdit->SetSel(0, 0);

    // Nothing confirmed yet: F3 and Shift+F3 do nothing.
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{0}, size_t{0}));

    CommitSearchEntry(dlg->searchHistory, S("社員"), false, false, false);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{11}));
    EXPECT_EQ(Selected(*dlg), S("社員"));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // on the next line
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{20}, size_t{24}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // inside quotes on the last line
    EXPECT_EQ(Sel(*dlg), std::make_pair(text.size() - 5, text.size() - 1));
    EXPECT_EQ(Selected(*dlg), S("社員"));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // wraps to the first
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{11}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3, Qt::ShiftModifier);  // back round to the last
    EXPECT_EQ(Sel(*dlg), std::make_pair(text.size() - 5, text.size() - 1));
    EXPECT_TRUE(Messages().empty());

    // Searching upwards: F3 goes up, Shift+F3 down.
    CommitSearchEntry(dlg->searchHistory, "FROM", false, false, true);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    EXPECT_EQ(Selected(*dlg), "from");
    CommitSearchEntry(dlg->searchHistory, S("社員"), false, false, true);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{11}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{20}, size_t{24}));

    // Not found: the message with the text as typed, the selection stays.
    CommitSearchEntry(dlg->searchHistory, "100%s", false, false, false);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("文字列'100%s'が見つかりません。"));
    EXPECT_EQ(Messages()[0].flags, 48);
    EXPECT_EQ(Messages()[0].title, "vetch");
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{20}, size_t{24}));
    EXPECT_EQ(dlg->EditorText(), text);
}

TEST_F(FindReplaceWindowTest, SelectionByOffsetsSurvivesLineSeparatorsInsideALine) {
    auto dlg = Open();
    // A pasted line separator is one block with a line break inside, which
    // the text read out counts as CR LF.
    dlg->curEdit->setPlainText(QString::fromUtf8("ab\u2028cd\nxy cd"));
    const std::string text = dlg->EditorText();
    ASSERT_EQ(text, "ab\r\ncd\r\nxy cd");
    CommitSearchEntry(dlg->searchHistory, "cd", false, false, false);
    dlg->curEdit->SetSel(5, 5);
    dlg->SendCommand(res::ID_FIND_NEXT);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{11}, size_t{13}));
    dlg->SendCommand(res::ID_FIND_NEXT);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{4}, size_t{6}));
    EXPECT_EQ(Selected(*dlg), "cd");
}

TEST_F(FindReplaceWindowTest, ReplaceAllIsOneEditThatOneUndoTakesBack) {
    auto dlg = Open();
    const std::string text = "x = 1;\r\ny = 1;\r\nz = 1";
    dlg->curEdit->SetText(text);
    dlg->curEdit->SetSel(10, 10);  // in the middle of the second line
    CommitSearchEntry(dlg->searchHistory, "1", false, false, false);
    CommitReplaceEntry(dlg->replaceHistory, "22");
    dlg->ReplaceAllInEditor();
    EXPECT_EQ(dlg->EditorText(), "x = 22;\r\ny = 22;\r\nz = 22");
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{6}, size_t{6}));  // after the last one made, the first line's
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("'1'の検索が終了しました。"));

    // Ctrl+Z takes the whole of it back, and Ctrl+Z again brings it back.
    QTest::keyClick(dlg->curEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg->EditorText(), text);
    QTest::keyClick(dlg->curEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg->EditorText(), "x = 22;\r\ny = 22;\r\nz = 22");
    // Typing after it is an edit of its own, even right after the text's end.
    dlg->curEdit->SetText("a a");
    dlg->curEdit->SetSel(3, 3);
    CommitSearchEntry(dlg->searchHistory, "a", false, false, false);
    CommitReplaceEntry(dlg->replaceHistory, "bc");
    dlg->ReplaceAllInEditor();
    ASSERT_EQ(dlg->EditorText(), "bc bc");
    dlg->curEdit->SetSel(5, 5);
    QTest::keyClicks(dlg->curEdit, "d");
    QTest::keyClick(dlg->curEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg->EditorText(), "bc bc");
    dlg->curEdit->SetText(text);

    // Nothing to replace: no edit at all, the selection stays, the message.
    dlg->curEdit->SetSel(1, 3);
    CommitSearchEntry(dlg->searchHistory, S("社員"), false, false, false);
    dlg->ReplaceAllInEditor();
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{1}, size_t{3}));
    EXPECT_EQ(Messages().back().text, S("'社員'の検索が終了しました。"));
    EXPECT_FALSE(dlg->curEdit->document()->isUndoAvailable());
}

}  // namespace
