#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextCursor>

#include <algorithm>
#include <memory>

namespace {

class FindReplaceWindowTest : public MainWindowFixture {
protected:
    static std::string Selected(CMainDlg& dlg) {
        return platform::QStringToCp932(
            dlg.curEdit->textCursor().selectedText().replace(QChar(0x2029), QLatin1Char('\n')));
    }
    static std::pair<size_t, size_t> Sel(CMainDlg& dlg) {
        size_t start = 0, end = 0;
        dlg.curEdit->GetSel(start, end);
        return {start, end};
    }

    // What a user does in a dialog: type into a combo box, click, press keys.
    static QComboBox* Combo(platform::CDialog& d, int id) { return d.Item<QComboBox>(id); }
    static void Type(platform::CDialog& d, int id, const std::string& cp932) {
        QLineEdit* edit = Combo(d, id)->lineEdit();
        edit->selectAll();
        const QString text = platform::Cp932ToQString(cp932);
        // Japanese comes through an input method, which commits whole text.
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }
    static void Click(platform::CDialog& d, int id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }
    static void Enter(platform::CDialog& d) { QTest::keyClick(Combo(d, res::IDC_SEARCH_TEXT)->lineEdit(), Qt::Key_Return); }
    static std::vector<std::string> ListOf(platform::CDialog& d, int id) {
        std::vector<std::string> items;
        QComboBox* combo = Combo(d, id);
        for (int i = 0; i < combo->count(); ++i) items.push_back(platform::QStringToCp932(combo->itemText(i)));
        return items;
    }
    // Runs Ctrl+F or Ctrl+H with the driver playing the user in the dialog.
    void WithDialog(CMainDlg& dlg, Qt::Key key, std::function<void(platform::CDialog&)> user) {
        modalDriver = std::move(user);
        QTest::keyClick(dlg.curEdit, key, Qt::ControlModifier);
        modalDriver = nullptr;
    }
};

TEST_F(FindReplaceWindowTest, FindDialogCollectsTheTextAndOptionsThenSearches) {
    auto dlg = Open();
    const std::string text = "select a from t where a = 'A' and b = 'a'";
    dlg->curEdit->SetText(text);
    dlg->curEdit->SetSel(0, 0);
    CommitSearchEntry(dlg->searchHistory, "older", true, true, true);
    CommitSearchEntry(dlg->searchHistory, S("社員"), true, true, true);

    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        // The list newest first; the box empty; options as new, not the
        // stored ones; downwards chosen.
        EXPECT_EQ(ListOf(d, res::IDC_SEARCH_TEXT), (std::vector<std::string>{S("社員"), "older"}));
        EXPECT_EQ(d.GetItemText(res::IDC_SEARCH_TEXT), "");
        EXPECT_FALSE(d.IsButtonChecked(res::IDC_WHOLE_WORD));
        EXPECT_TRUE(d.IsButtonChecked(res::IDC_SEARCH_DOWN));
        Type(d, res::IDC_SEARCH_TEXT, "A");
        Click(d, res::IDC_MATCH_CASE);
        Enter(d);  // the default button
    });
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{27}, size_t{28}));  // the capital A only
    ASSERT_NE(dlg->searchHistory.Current(), nullptr);
    EXPECT_EQ(dlg->searchHistory.Current()->text, "A");
    EXPECT_EQ(dlg->searchHistory.Current()->matchCase, 1);

    // Cancel: no search, no change to the history.
    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        Type(d, res::IDC_SEARCH_TEXT, "from");
        QTest::keyClick(Combo(d, res::IDC_SEARCH_TEXT)->lineEdit(), Qt::Key_Escape);
    });
    EXPECT_EQ(dlg->searchHistory.Size(), 3u);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{27}, size_t{28}));

    // Upwards, whole word, picked from the list: found going up; F3 goes on
    // up, Shift+F3 down.
    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        Type(d, res::IDC_SEARCH_TEXT, "a");
        Click(d, res::IDC_WHOLE_WORD);
        Click(d, res::IDC_SEARCH_UP);
        Click(d, platform::IDOK);
    });
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{22}, size_t{23}));  // the a of "where a"
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{8}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{22}, size_t{23}));

    // Not found: the find dialog's message; the selection stays.
    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        Type(d, res::IDC_SEARCH_TEXT, "50%");
        Enter(d);
    });
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("文字列'50%'が見つかりません。"));
    EXPECT_EQ(Messages()[0].flags, 48);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{22}, size_t{23}));
}

TEST_F(FindReplaceWindowTest, HistoriesAreSharedUniqueAndNewestFirstAcrossFindAndReplace) {
    auto dlg = Open();
    dlg->curEdit->SetText("abc x1 abc");
    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        Type(d, res::IDC_SEARCH_TEXT, "abc");
        Click(d, res::IDC_SEARCH_UP);
        Enter(d);
    });
    WithDialog(*dlg, Qt::Key_H, [&](platform::CDialog& d) {
        EXPECT_EQ(ListOf(d, res::IDC_SEARCH_TEXT), (std::vector<std::string>{"abc"}));
        Type(d, res::IDC_SEARCH_TEXT, "x1");
        Click(d, res::IDC_FIND_NEXT);  // commits the search text only
        EXPECT_TRUE(dlg->replaceHistory.TextsNewestFirst().empty());
        Type(d, res::IDC_REPLACE_TEXT, "y");
        Click(d, res::IDC_REPLACE_ALL);
        Type(d, res::IDC_SEARCH_TEXT, "abc");
        Type(d, res::IDC_REPLACE_TEXT, "z");
        Click(d, res::IDC_FIND_NEXT);
        Click(d, platform::IDCANCEL);
    });
    EXPECT_EQ(dlg->EditorText(), "abc y abc");
    EXPECT_EQ(dlg->searchHistory.TextsNewestFirst(), (std::vector<std::string>{"abc", "x1"}));
    EXPECT_EQ(dlg->replaceHistory.TextsNewestFirst(), (std::vector<std::string>{"y"}));
    // Entries made by the replace dialog search downwards.
    EXPECT_EQ(dlg->searchHistory.Current()->searchUp, 0);

    WithDialog(*dlg, Qt::Key_F, [&](platform::CDialog& d) {
        EXPECT_EQ(ListOf(d, res::IDC_SEARCH_TEXT), (std::vector<std::string>{"abc", "x1"}));
        // Taking an older text from the list moves it to the top, once.
        Combo(d, res::IDC_SEARCH_TEXT)->setCurrentIndex(1);
        EXPECT_EQ(d.GetItemText(res::IDC_SEARCH_TEXT), "x1");
        Enter(d);
    });
    WithDialog(*dlg, Qt::Key_H, [&](platform::CDialog& d) {
        EXPECT_EQ(ListOf(d, res::IDC_SEARCH_TEXT), (std::vector<std::string>{"x1", "abc"}));
        EXPECT_EQ(ListOf(d, res::IDC_REPLACE_TEXT), (std::vector<std::string>{"y"}));
        Type(d, res::IDC_SEARCH_TEXT, "abc");
        Type(d, res::IDC_REPLACE_TEXT, "w");
        Click(d, res::IDC_REPLACE_ALL);
        Type(d, res::IDC_REPLACE_TEXT, "y");
        Click(d, res::IDC_REPLACE_ALL);  // nothing left to replace
        Click(d, platform::IDCANCEL);
    });
    EXPECT_EQ(dlg->EditorText(), "w y w");
    EXPECT_EQ(dlg->searchHistory.TextsNewestFirst(), (std::vector<std::string>{"abc", "x1"}));
    EXPECT_EQ(dlg->replaceHistory.TextsNewestFirst(), (std::vector<std::string>{"y", "w"}));
}

TEST_F(FindReplaceWindowTest, ReplaceDialogFindsReplacesAndReplacesAllInTheEditor) {
    auto dlg = Open();
    const std::string text = "x = 1; y = 1; z = 1";
    dlg->curEdit->SetText(text);
    dlg->curEdit->SetSel(8, 8);
    CommitSearchEntry(dlg->searchHistory, "1", false, false, true);  // upwards in the find dialog

    bool stillOpen = false;
    WithDialog(*dlg, Qt::Key_H, [&](platform::CDialog& d) {
        Type(d, res::IDC_SEARCH_TEXT, "1");
        Type(d, res::IDC_REPLACE_TEXT, "2");
        // The first press on a plain caret only selects the next match (down,
        // whatever the find dialog chose); each further press replaces it
        // and selects the following one.
        Click(d, res::IDC_REPLACE_ONCE);
        EXPECT_EQ(dlg->EditorText(), text);
        EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{11}, size_t{12}));
        Click(d, res::IDC_REPLACE_ONCE);
        EXPECT_EQ(dlg->EditorText(), "x = 1; y = 2; z = 1");
        EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{18}, size_t{19}));
        // Enter finds the next one and keeps the dialog open.
        Enter(d);
        EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{4}, size_t{5}));
        EXPECT_TRUE(d.isVisible());
        stillOpen = d.isVisible();
        Click(d, res::IDC_REPLACE_ALL);
        EXPECT_EQ(dlg->EditorText(), "x = 2; y = 2; z = 2");
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, S("'1'の検索が終了しました。"));
        Click(d, platform::IDCANCEL);
    });
    EXPECT_TRUE(stillOpen);
    // One undo takes back Replace All, not the single replacement before it.
    QTest::keyClick(dlg->curEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dlg->EditorText(), "x = 1; y = 2; z = 1");

    // An empty search text on an empty selection: Replace puts the
    // replacement in once at the caret, then the search has finished.
    Messages().clear();
    dlg->curEdit->SetText("ab");
    dlg->curEdit->SetSel(1, 1);
    WithDialog(*dlg, Qt::Key_H, [&](platform::CDialog& d) {
        Type(d, res::IDC_REPLACE_TEXT, S("社員"));
        Click(d, res::IDC_REPLACE_ONCE);
        Click(d, platform::IDCANCEL);
    });
    EXPECT_EQ(dlg->EditorText(), std::string("a").append(S("社員")).append("b"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("''の検索が終了しました。"));
}

TEST_F(FindReplaceWindowTest, F3AndShiftF3RepeatTheCurrentSearch) {
    auto dlg = Open();
    const std::string text = S("select 社員名\r\nfrom 社員\r\nwhere 名前 = '社員'");
    dlg->curEdit->SetText(text);
    dlg->curEdit->SetSel(0, 0);

    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // nothing confirmed yet: nothing happens
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{0}, size_t{0}));

    CommitSearchEntry(dlg->searchHistory, S("社員"), false, false, false);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{11}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // inside quotes on the last line
    EXPECT_EQ(Selected(*dlg), S("社員"));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3);  // wraps to the first
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{7}, size_t{11}));
    QTest::keyClick(dlg->curEdit, Qt::Key_F3, Qt::ShiftModifier);  // back round to the last
    EXPECT_EQ(Sel(*dlg), std::make_pair(text.size() - 5, text.size() - 1));
    EXPECT_TRUE(Messages().empty());
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
    dlg->curEdit->SetText("x = 1");

    // Nothing to replace: no edit at all, the selection stays, the message.
    dlg->curEdit->SetSel(1, 3);
    CommitSearchEntry(dlg->searchHistory, S("社員"), false, false, false);
    dlg->ReplaceAllInEditor();
    EXPECT_EQ(Sel(*dlg), std::make_pair(size_t{1}, size_t{3}));
    EXPECT_EQ(Messages().back().text, S("'社員'の検索が終了しました。"));
    EXPECT_FALSE(dlg->curEdit->document()->isUndoAvailable());
}

}  // namespace
