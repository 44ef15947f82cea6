// End-to-end: the built program on a real X server, driven with xdotool and
// read back from the clipboard and the files it writes, on SQLite.
#include "app/journal_files.h"
#include "app/journal_format.h"
#include "db/odbc_conn.h"
#include "platform/qtext.h"
#include "support/odbc_env.h"
#include "support/temp_dir.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using vetch_test::XSession;

const char kMainTitle[] = "^vetch .*ｳｨﾝﾄﾞｳ";
const char kConnectTitle[] = "^DBへの接続$";
const char kQueryTitle[] = "^SQL 結果表示";
const char kTextTitle[] = "^文字列処理 結果表示";
const char kBatchTitle[] = "^LoadRunner";
const char kDbInfoTitle[] = "^ﾃﾞｰﾀﾍﾞｰｽ情報$";

// The lines of a copied list, each split at its TABs.
std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        rows.emplace_back();
        for (size_t cell = start, tab; cell <= end; cell = tab + 1) {
            tab = std::min(text.find('\t', cell), end);
            rows.back().push_back(text.substr(cell, tab - cell));
        }
    }
    return rows;
}

// Polls until done() holds; false after timeout.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class EndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        x = new XSession;
        xUp = x->Start();
        vetch_test::InitOdbcEnvironment();
        COdbcConn conn;
        if (conn.Connect(vetch_test::SqliteDsn(), "", "") == 0) {
            vetch_test::RunSql(conn, "DROP TABLE IF EXISTS e2e_staff");
            vetch_test::RunSql(conn, "CREATE TABLE e2e_staff (name VARCHAR(20), id INTEGER)");
            vetch_test::RunSql(conn, platform::Sjis("INSERT INTO e2e_staff VALUES ('b 佐藤', 1), ('c 高橋', 2), ('a 鈴木', 3)"));
            conn.Disconnect();
        }
    }
    static void TearDownTestSuite() {
        delete x;
        x = nullptr;
    }

    void SetUp() override {
        if (!xUp) {
            if (vetch_test::RunningInCi()) {
                FAIL() << x->Error();
            }
            GTEST_SKIP() << x->Error();
        }
        WriteFileBytes(dir.File("vetch.ini"), "[SQL]\r\nHOSTSTRING=" + std::string(vetch_test::SqliteDsn()) +
                                                  "\r\n[STRING]\r\nPARMNAME=strSQL\r\n");
        Launch();
    }

    // Starts the program in the test's folder; answers the restore question
    // with recoveryKeys when one is expected, then the connect dialog.
    void Launch(const std::string& recoveryKeys = "") {
        ASSERT_TRUE(x->Launch(std::string(VETCH_BINARY_DIR) + "/vetch", dir.Path().string(),
                              {"XDG_RUNTIME_DIR=" + dir.Path().string()}));
        if (!recoveryKeys.empty()) {
            const std::string question = x->WaitForNewWindow("^vetch$");
            ASSERT_NE(question, "") << "no restore question; " << ProgramLog();
            ASSERT_TRUE(x->Keys(question, recoveryKeys));
        }
        // The connect dialog opens by itself and proposes the data source.
        const std::string connect = x->WaitForNewWindow(kConnectTitle);
        ASSERT_NE(connect, "") << "no connect dialog; " << ProgramLog();
        ASSERT_TRUE(x->Keys(connect, "Return"));
        ASSERT_TRUE(x->WaitUntilGone(kConnectTitle)) << "the connect dialog stayed open";
        main = x->WaitForNewWindow(kMainTitle);
        ASSERT_NE(main, "");
    }

    void TearDown() override {
        if (HasFailure() && xUp) {
            const std::string shot = std::string(VETCH_BINARY_DIR) + "/e2e-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
            x->Screenshot(shot);
            std::fprintf(stderr, "screen at the failure: %s\n%s\n", shot.c_str(), ProgramLog().c_str());
        }
        if (xUp) x->StopProgram();
    }

    std::string ProgramLog() { return "program output: " + ReadFileBytes(dir.File("program.log")); }

    // Empties the editor and types text into it, as a person does.
    void TypeSql(const std::string& utf8) {
        ASSERT_TRUE(x->Keys(main, "ctrl+Home shift+ctrl+End Delete"));
        ASSERT_TRUE(x->Type(main, utf8));
    }
    // Presses keys in the main window and waits for the window they open.
    std::string Open(const std::string& keys, const char* titleRegex) {
        const auto known = x->Windows(titleRegex);
        x->Keys(main, keys);
        return x->WaitForNewWindow(titleRegex, known);
    }
    // Ctrl+A, Ctrl+C in a window until the clipboard text has lines lines
    // (a batch run's log grows while it runs); the last text copied.
    std::string CopyAllOnceComplete(const std::string& window, size_t lines) {
        std::string text;
        WaitUntil([&] { return static_cast<size_t>(std::ranges::count(text = CopyAll(window), '\n')) >= lines; }, 20s);
        return text;
    }
    // Ctrl+A, Ctrl+C in a window; what reached the clipboard.
    std::string CopyAll(const std::string& window) {
        x->MarkClipboard();
        x->Keys(window, "ctrl+a ctrl+c");
        return x->WaitForClipboard();
    }
    // Presses keys that open a file dialog, types path into it and confirms.
    void InFileDialog(const std::string& keys, const char* title, const std::string& path) {
        const std::string dialog = Open(keys, title);
        ASSERT_NE(dialog, "") << keys << " opened no file dialog";
        ASSERT_TRUE(x->Keys(dialog, "ctrl+a"));
        ASSERT_TRUE(x->Type(dialog, path));
        ASSERT_TRUE(x->Keys(dialog, "Return"));
        ASSERT_TRUE(x->WaitUntilGone(title));
    }
    std::string WaitForFile(const std::string& path, const std::string& bytes) {
        WaitUntil([&] { return ReadFileBytes(path) == bytes; }, 5s);
        return ReadFileBytes(path);
    }

    static XSession* x;
    static bool xUp;
    TempDir dir{"vetch-e2e"};
    std::string main;
};

XSession* EndToEndTest::x = nullptr;
bool EndToEndTest::xUp = false;

TEST_F(EndToEndTest, F5ShowsRowsAHeaderClickSortsThemAndCopyPutsThemOnTheClipboard) {
    TypeSql("select name, id from e2e_staff order by id");
    const std::string result = Open("F5", kQueryTitle);
    ASSERT_NE(result, "") << "F5 opened no result window";
    EXPECT_EQ(x->Title(result), "SQL 結果表示 － ｳｨﾝﾄﾞｳ 1");
    EXPECT_EQ(CopyAll(result), "件数\tname\tid\r\n  1\tb 佐藤\t1\r\n  2\tc 高橋\t2\r\n  3\ta 鈴木\t3\r\n");

    // The "name" header: the list starts 11 px into the window, 46 px down,
    // and its first column, the row number, is 40 px wide.
    ASSERT_TRUE(x->Click(result, 11 + 40 + 15, 46 + 8));
    EXPECT_EQ(CopyAll(result), "件数\tname\tid\r\n  3\ta 鈴木\t3\r\n  1\tb 佐藤\t1\r\n  2\tc 高橋\t2\r\n");
}

TEST_F(EndToEndTest, JapaneseTypedComesBackByteForByte) {
    // Kanji, half-width kana, a wave dash, a circled digit and an IBM
    // extension character.
    const std::string japanese = "日本語ｶﾅ～①﨑";
    TypeSql("select '" + japanese + "'\nas 名前");
    // The editor's own copy: line breaks as CR LF.
    EXPECT_EQ(CopyAll(main), "select '" + japanese + "'\r\nas 名前");
    const std::string wrapped = Open("F7", kTextTitle);
    ASSERT_NE(wrapped, "");
    EXPECT_EQ(CopyAll(wrapped), "\r\nstrSQL += \"select '" + japanese + "' \";\r\nstrSQL += \"as 名前 \";\r\n");

    const std::string result = Open("F5", kQueryTitle);
    ASSERT_NE(result, "");
    EXPECT_EQ(CopyAll(result), "件数\t名前\r\n  1\t" + japanese + "\r\n");
}

TEST_F(EndToEndTest, F10RunsAThreeStatementScriptAndLogsEachOutcome) {
    TypeSql("create table e2e_batch (a int);\ninsert into e2e_batch values (1);\nselect * from e2e_batch");
    const std::string batch = Open("F10", kBatchTitle);
    ASSERT_NE(batch, "") << "F10 opened no batch run window";
    EXPECT_EQ(CopyAllOnceComplete(batch, 6),
              "create table e2e_batch (a int)\r\n成功しました\r\n"
              "insert into e2e_batch values (1)\r\n1件 更新しました\r\n"
              "select * from e2e_batch\r\n複数の結果が返されます（本機能では結果を表示できません）\r\n");
}

TEST_F(EndToEndTest, CtrlIListsTheTablesAndAClickOnOneShowsItsColumns) {
    const std::string info = Open("ctrl+i", kDbInfoTitle);
    ASSERT_NE(info, "") << "Ctrl+I opened no database information window";
    // The kind: the drop-down list opens on a click, Return takes its first
    // item, "ﾃｰﾌﾞﾙ情報".
    ASSERT_TRUE(x->Click(info, 282, 18));
    ASSERT_TRUE(x->KeysToFocused("Return"));

    // The object list starts at 8, 45 in the window, under an 18-pixel
    // header, with 18 pixels a row. A click in its first row gives it the
    // focus, so that Ctrl+A, Ctrl+C copy it.
    ASSERT_TRUE(x->Click(info, 60, 45 + 18 + 9));
    const auto tables = Rows(CopyAll(info));
    ASSERT_GE(tables.size(), 2u);
    ASSERT_GE(tables[0].size(), 4u);
    EXPECT_EQ(tables[0][3], "TABLE_NAME");
    size_t row = 0;
    while (row + 1 < tables.size() && tables[row + 1][3] != "e2e_staff") ++row;
    ASSERT_LT(row + 1, tables.size()) << "e2e_staff is not listed";

    // A click on that table lists its columns on the right.
    ASSERT_TRUE(x->Click(info, 60, 45 + 18 + 9 + 18 * static_cast<int>(row)));
    // The column list stands right of the object list, which takes 0.4 of
    // the window's width.
    const int detailX = 15 + x->Width(info) * 2 / 5 + 40;
    ASSERT_TRUE(x->Click(info, detailX, 45 + 18 + 9));
    const auto columns = Rows(CopyAll(info));
    ASSERT_EQ(columns.size(), 3u);
    ASSERT_GE(columns[0].size(), 5u);
    EXPECT_EQ(columns[0][4], "COLUMN_NAME");
    EXPECT_EQ(columns[1][3], "e2e_staff");
    EXPECT_EQ(columns[1][4], "name");
    EXPECT_EQ(columns[2][4], "id");
}

TEST_F(EndToEndTest, CtrlHReplacesAllAndCtrlZBringsTheTextBack) {
    const std::string original = "select a, 名前 from t where a = 1";
    TypeSql(original);
    const std::string replace = Open("ctrl+h", "^置換$");
    ASSERT_NE(replace, "") << "Ctrl+H opened no replace dialog";
    // The search text box has the focus; Tab goes on to the replacement's.
    ASSERT_TRUE(x->Type(replace, "a"));
    ASSERT_TRUE(x->Keys(replace, "Tab"));
    ASSERT_TRUE(x->Type(replace, "社員"));
    const auto known = x->Windows("^vetch$");
    ASSERT_TRUE(x->Keys(replace, "alt+a"));
    // Every "a" replaced, the search runs out: "'a'の検索が終了しました。".
    const std::string message = x->WaitForNewWindow("^vetch$", known);
    ASSERT_NE(message, "") << "no message after Replace All";
    ASSERT_TRUE(x->Keys(message, "Return"));
    ASSERT_TRUE(x->WaitUntilGone("^vetch$"));
    ASSERT_TRUE(x->Keys(replace, "Escape"));
    ASSERT_TRUE(x->WaitUntilGone("^置換$"));
    EXPECT_EQ(CopyAll(main), "select 社員, 名前 from t where 社員 = 1");
    ASSERT_TRUE(x->Keys(main, "ctrl+z"));
    EXPECT_EQ(CopyAll(main), original);
}

TEST_F(EndToEndTest, CtrlVPastesAnotherProgramsTextAndCtrlSSavesItUnderAJapaneseName) {
    const std::string pasted = "select '日本語ｶﾅ'\r\nfrom 表\r\n";
    WriteFileBytes(dir.File("pasted.txt"), pasted);
    // xclip stays in the background serving the text; its output must not
    // hold the pipe open.
    ASSERT_TRUE(x->Run("xclip -i -selection clipboard " + dir.File("pasted.txt") + " >/dev/null 2>&1"));
    ASSERT_TRUE(x->Keys(main, "ctrl+v"));
    EXPECT_EQ(CopyAll(main), pasted);

    // The buffer has no name: Ctrl+S asks for one.
    const std::string path = dir.File("社員一覧.sql");
    InFileDialog("ctrl+s", "^名前を付けて保存$", path);
    EXPECT_EQ(WaitForFile(path, platform::Sjis(pasted)), platform::Sjis(pasted));
}

// The journal of the five buffers: a killed program's text comes back.
class JournalEndToEndTest : public EndToEndTest {
protected:
    // Waits until the journal holds what done looks for.
    bool JournalHolds(const std::function<bool(const JournalState&)>& done) {
        return WaitUntil([&] {
            std::string bytes;
            JournalState state;
            return ReadWholeFile(dir.File(".vetch.journal"), bytes) &&
                   DecodeJournal(bytes, state) == JournalReadResult::Ok && done(state);
        }, 15s);
    }
};

TEST_F(JournalEndToEndTest, AKilledProgramsBuffersComeBackOnYesNoSetsThemAsideAndAnExitLeavesNoJournal) {
    // No: nothing comes back, the journal waits under a dated name.
    TypeSql("select 'no'");
    ASSERT_TRUE(JournalHolds([](const JournalState& s) { return s.buffers[0].text == "select 'no'"; }));
    x->KillProgram();
    Launch("alt+n");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(x->Title(main), "vetch  － ｳｨﾝﾄﾞｳ 1");  // two blanks: no buffer switched to
    EXPECT_FALSE(std::filesystem::exists(dir.File(".vetch.journal")));
    EXPECT_EQ(std::ranges::count_if(std::filesystem::directory_iterator(dir.Path()), [](const auto& entry) {
                  return entry.path().filename().string().starts_with(kSetAsidePrefix);
              }), 1);

    // Typed into buffers 1 and 5, and a file with a NEC row 13 ≒ (87 90)
    // and a NEC-selected 纊 (ED 40) opened into buffer 3 and typed on.
    const std::string file = dir.File("nec.sql");
    const std::string necText = "select '\x87\x90\xED\x40'";
    WriteFileBytes(file, necText);
    TypeSql("select '〜髙' as a");
    ASSERT_TRUE(x->Keys(main, "alt+w 3"));
    InFileDialog("ctrl+o", "^開く$", file);
    ASSERT_TRUE(x->Keys(main, "ctrl+End"));
    ASSERT_TRUE(x->Type(main, " --追記"));
    ASSERT_TRUE(x->Keys(main, "alt+w 5"));
    TypeSql("select 5");
    const std::string three = necText + platform::Sjis(" --追記");
    ASSERT_TRUE(JournalHolds([&](const JournalState& s) {
        return s.current == 4 && s.buffers[4].text == "select 5" && s.buffers[2].text == three;
    })) << ProgramLog();
    x->KillProgram();

    // Yes: every buffer as it was, the shown one and its file name too.
    Launch("alt+y");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(x->Title(main), "vetch － ｳｨﾝﾄﾞｳ 5");
    EXPECT_EQ(CopyAll(main), "select 5");
    ASSERT_TRUE(x->Keys(main, "alt+w 3"));
    EXPECT_EQ(x->Title(main), "vetch － ｳｨﾝﾄﾞｳ 3 [" + file + "]");
    ASSERT_TRUE(x->Keys(main, "ctrl+s"));
    EXPECT_EQ(WaitForFile(file, three), three);
    ASSERT_TRUE(x->Keys(main, "alt+w 1"));
    InFileDialog("ctrl+s", "^名前を付けて保存$", dir.File("one.sql"));
    EXPECT_EQ(WaitForFile(dir.File("one.sql"), "select '\x81\x60\xFB\xFC' as a"), "select '\x81\x60\xFB\xFC' as a");

    // A confirmed exit takes the journal along.
    ASSERT_TRUE(x->Keys(main, "alt+f x"));
    const std::string question = x->WaitForNewWindow("^vetch$");
    ASSERT_NE(question, "") << "no exit question";
    ASSERT_TRUE(x->Keys(question, "Return"));
    EXPECT_TRUE(WaitUntil([&] { return !x->ProgramRunning(); }, 10s));
    EXPECT_FALSE(std::filesystem::exists(dir.File(".vetch.journal")));
    EXPECT_FALSE(std::filesystem::exists(dir.File(".vetch.journal.lock")));
}

}  // namespace
