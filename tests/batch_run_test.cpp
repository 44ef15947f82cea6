#include "app/main_dlg.h"
#include "platform/clipboard.h"
#include "resources/resource_ids.h"
#include "results/batch_run_dlg.h"
#include "results/log_list.h"
#include "results/query_result_dlg.h"
#include "support/db_window_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class BatchRunTest : public DbWindowTest {
protected:
    int OpenWindows() const {
        int count = 0;
        for (int slot = 0; slot < ResultWindowHost::kSlotsPerGroup; ++slot) count += BatchWindow(slot) != nullptr;
        return count;
    }
    static bool WaitFinished(CBatchRunDlg* w) {
        return ServeUntil([w] { return w->IsFinished(); });
    }
    void Close(CBatchRunDlg* w) {
        w->close();
        Pump();
    }
};
// Tests whose SQL or expected messages MariaDB does not share.
using BatchRunSqlitePgTest = BatchRunTest;

TEST_P(BatchRunSqlitePgTest, LogsEachStatementThenItsOutcomeInScriptOrder) {
    Exec("DROP TABLE IF EXISTS bt_log");
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    CBatchRunDlg* w = F10(
        "create table bt_log (n integer, s varchar(20));\r\n"
        "insert into bt_log values (1, 'a;b');\r\n"
        "\tinsert into bt_log values (2, 'it''s');\r\n"
        "update bt_log set s = 'x' where n >= 1;\r\n"
        "update bt_log set s = 'y' where n > 100;\r\n"
        "select n, s from bt_log;\r\n"
        "selec 1;;\r\n"
        "drop table bt_log\r\n");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetWindowText(), S("LoadRunner － ｳｨﾝﾄﾞｳ 3"));
    ASSERT_TRUE(WaitFinished(w));

    const Lines log = Log(w);
    ASSERT_EQ(log.size(), 18u) << ::testing::PrintToString(log);
    const Lines expected{
        "create table bt_log (n integer, s varchar(20))", S("成功しました"),
        "insert into bt_log values (1, 'a;b')", S("1件 更新しました"),
        "insert into bt_log values (2, 'it''s')", S("1件 更新しました"),
        "update bt_log set s = 'x' where n >= 1", S("2件 更新しました"),
        // No row matched: the driver answers SQL_NO_DATA, which is a success.
        "update bt_log set s = 'y' where n > 100", S("成功しました"),
        "select n, s from bt_log", S("複数の結果が返されます（本機能では結果を表示できません）"),
        "selec 1"};
    EXPECT_EQ(Lines(log.begin(), log.begin() + 13), expected);
    EXPECT_NE(log[13].find("syntax error"), std::string::npos) << log[13];
    // The empty statement is logged as an empty line and sent; its outcome
    // is whatever the driver says.
    EXPECT_EQ(log[14], "");
    EXPECT_EQ(log[16], "drop table bt_log ");
    EXPECT_EQ(log[17], S("成功しました"));
}

TEST_P(BatchRunTest, CopiesSelectedLinesWithCrLfAndSelectsAll) {
    CBatchRunDlg* w = F10("select 1;create table bt_copy (n integer); drop table bt_copy");
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(WaitFinished(w));
    ASSERT_EQ(Log(w).size(), 6u);
    platform::SetClipboardText("before");

    // Nothing selected: the clipboard stays as it was.
    QTest::keyClick(w->log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(), "before");

    QTest::mouseClick(w->log->viewport(), Qt::LeftButton, {}, w->log->LineRect(1).center());
    QTest::mouseClick(w->log->viewport(), Qt::LeftButton, Qt::ControlModifier, w->log->LineRect(4).center());
    QTest::keyClick(w->log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(),
              S("複数の結果が返されます（本機能では結果を表示できません）\r\ndrop table bt_copy\r\n"));

    QTest::keyClick(w->log, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(),
              S("select 1\r\n複数の結果が返されます（本機能では結果を表示できません）\r\n"
                "create table bt_copy (n integer)\r\n成功しました\r\ndrop table bt_copy\r\n成功しました\r\n"));

    QTest::keyClick(w->log, Qt::Key_Escape);  // closes nothing
    Pump();
    ASSERT_EQ(BatchWindow(0), w);
}

TEST_P(BatchRunTest, CloseIsRefusedWhileTheRunGoesOnAndTheSixthWindowIsRefused) {
    // No event is served yet, so every worker waits for its first line.
    std::vector<CBatchRunDlg*> windows;
    for (int i = 0; i < 5; ++i) {
        windows.push_back(F10("select " + std::to_string(i) + "; select 10"));
        ASSERT_NE(windows.back(), nullptr);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(F10("select 6"), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("ｳｨﾝﾄﾞｳの表字数が制限を越えました。"));
    EXPECT_EQ(OpenWindows(), 5);

    CBatchRunDlg* first = windows[0];
    first->close();
    QTest::keyClick(first->log, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(first->IsDestroyed());
    EXPECT_FALSE(first->IsFinished());
    EXPECT_EQ(BatchWindow(0), first);

    for (CBatchRunDlg* w : windows) ASSERT_TRUE(WaitFinished(w));
    EXPECT_EQ(Log(windows[3]), (Lines{"select 3", S("複数の結果が返されます（本機能では結果を表示できません）"),
                                      "select 10", S("複数の結果が返されます（本機能では結果を表示できません）")}));
    Close(windows[2]);
    EXPECT_EQ(BatchWindow(2), nullptr);
}

TEST_P(BatchRunTest, NothingStartsWithoutAStatementOrAConnection) {
    EXPECT_EQ(F10(""), nullptr);
    EXPECT_EQ(F10(" \r\n\t \r\n"), nullptr);
    EXPECT_EQ(OpenWindows(), 0);
    dlg->conn.Disconnect();
    EXPECT_EQ(F10("select 1"), nullptr);
    EXPECT_EQ(OpenWindows(), 0);
    EXPECT_TRUE(Messages().empty());
}

// Five runs and F5 runs at once on the one connection: the runs take turns a
// statement at a time, and every log and every answer is whole and right.
TEST_P(BatchRunTest, FiveRunsAndF5RunsNeverInterleave) {
    constexpr int kInserts = 60;
    std::vector<Lines> expected(5);
    std::vector<CBatchRunDlg*> windows;
    for (int i = 0; i < 5; ++i) {
        const std::string table = "bt_c" + std::to_string(i);
        Exec("DROP TABLE IF EXISTS " + table);
        std::string script = "create table " + table + " (n integer, s varchar(10));\r\n";
        Lines& lines = expected[i];
        lines = {"create table " + table + " (n integer, s varchar(10))", S("成功しました")};
        for (int k = 0; k < kInserts; ++k) {
            const std::string insert = "insert into " + table + " values (" + std::to_string(k) + ", 'v')";
            script += insert + ";\r\n";
            lines.insert(lines.end(), {insert, S("1件 更新しました")});
        }
        script += "update " + table + " set s = 'w' where n >= 0;\r\nselect n, s from " + table + ";\r\n";
        lines.insert(lines.end(), {"update " + table + " set s = 'w' where n >= 0",
                                   S(std::to_string(kInserts).append("件 更新しました").c_str()),
                                   "select n, s from " + table,
                                   S("複数の結果が返されます（本機能では結果を表示できません）")});
        windows.push_back(F10(script));
        ASSERT_NE(windows.back(), nullptr);
    }

    auto allFinished = [&] {
        return std::all_of(windows.begin(), windows.end(), [](CBatchRunDlg* w) { return w->IsFinished(); });
    };
    int f5Runs = 0;
    QElapsedTimer timer;
    timer.start();
    while (!allFinished() && timer.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // F5 on a table that is being filled: a whole answer every time.
        CQueryResultDlg* query = RunF5(*dlg, "select count(*), 'ok' from bt_c0 where n >= 0");
        ASSERT_NE(query, nullptr);
        const results::ResultGridModel& m = query->list->Model();
        if (m.ColumnCount() == 3) {
            ASSERT_EQ(m.RowCount(), 1);
            EXPECT_EQ(m.CellText(0, 2), "ok");
            const int count = std::stoi(std::string(m.CellText(0, 1)));
            EXPECT_TRUE(count >= 0 && count <= kInserts) << count;
        } else {
            // Before the table exists: the driver's message, never another's.
            ASSERT_EQ(m.RowCount(), 1);
            EXPECT_NE(std::string(m.CellText(0, 0)).find("bt_c0"), std::string::npos) << m.CellText(0, 0);
        }
        query->close();
        Pump();
        ++f5Runs;
    }
    ASSERT_TRUE(allFinished());
    EXPECT_GT(f5Runs, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Log(windows[i]), expected[i]) << "window " << i;
    for (int i = 0; i < 5; ++i) Exec("DROP TABLE bt_c" + std::to_string(i));
}

// The main window closes while statements run: the workers stop, the running
// statement is cancelled, and nothing waits for it to end by itself.
TEST_P(BatchRunSqlitePgTest, ClosingTheMainWindowMidRunStopsTheWorkers) {
    const std::string slow =
        Postgres() ? "select pg_sleep(30)"
                   : "with recursive c(x) as (select 1 union all select x + 1 from c where x < 2000000000) "
                     "select count(*) from c";
    CBatchRunDlg* sleeper = F10("select 1; " + slow + "; select 2");
    ASSERT_NE(sleeper, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return Log(sleeper).size() >= 3; }, 10000));
    ASSERT_EQ(Log(sleeper)[2], slow);
    CBatchRunDlg* queued = F10("select 6");  // waits for the connection
    ASSERT_NE(queued, nullptr);
    QTest::qWait(300);  // the slow statement is under way at the server
    EXPECT_FALSE(sleeper->IsFinished());

    QElapsedTimer timer;
    timer.start();
    messageAnswer = platform::IDOK;  // the editor holds text: leave anyway
    dlg->close();
    const qint64 closing = timer.elapsed();
    EXPECT_TRUE(dlg->IsDestroyed());
    EXPECT_LT(closing, 5000);
    EXPECT_EQ(OpenWindows(), 0);
    EXPECT_EQ(dlg->conn.IsConnected(), 0);
    Pump();
    dlg.reset();
}

VETCH_FOR_EACH_DB(BatchRunTest);
VETCH_FOR_DBS(BatchRunSqlitePgTest, vetch_test::DbsWithout(vetch_test::Db::Mariadb));

}  // namespace
