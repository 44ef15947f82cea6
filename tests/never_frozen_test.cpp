// The window thread never waits for the database: long statements, locks
// held by others, a busy batch run and a driver that ignores its cancel
// leave every window usable, and the stall probe sees no gap above 100 ms.
#include "app/main_dlg.h"
#include "platform/edit_control.h"
#include "platform/window_thread.h"
#include "results/answer_request.h"
#include "results/batch_run_dlg.h"
#include "results/db_info_dlg.h"
#include "results/query_result_dlg.h"
#include "support/db_window_fixture.h"
#include "support/stall_probe.h"

#include <QComboBox>
#include <QTest>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using results::AnswerRequest;
using vetch_test::Db;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr qint64 kStallMillis = 100;

class NeverFrozenTest : public DbWindowTest {
protected:
    void TearDown() override {
        ReleaseLock();
        DbWindowTest::TearDown();
    }

    // A statement that runs until it is cancelled (PostgreSQL) or waits on
    // the lock another program holds on the database file (SQLite, whose
    // driver does not stop that wait for a cancel).
    std::string Slow() const { return Postgres() ? "select pg_sleep(30)" : "select count(*) from nf_t"; }
    void HoldLock() {
        if (Postgres()) return;
        Exec("create table if not exists nf_t (n integer)");
        const std::string flag = std::filesystem::absolute("locked.flag").string();
        const std::string command = std::string("sqlite3 '") + vetch_test::SqliteDatabasePath() + "' >/dev/null 2>&1";
        locker = popen(command.c_str(), "w");
        ASSERT_NE(locker, nullptr);
        std::fprintf(locker, "BEGIN EXCLUSIVE;\nINSERT INTO nf_t VALUES (1);\n.output %s\n.print locked\n.output\n",
                     flag.c_str());
        std::fflush(locker);
        ASSERT_TRUE(ServeUntil([&] { return std::filesystem::exists(flag) && std::filesystem::file_size(flag) > 0; },
                               5000));
    }
    void ReleaseLock() {
        if (locker) pclose(std::exchange(locker, nullptr));
    }
    static std::string Shown(const results::ResultGrid* list) {
        const auto& m = list->Model();
        return m.ColumnCount() == 1 && m.RowCount() == 1 ? std::string(m.CellText(0, 0)) : "";
    }
    static bool ShowsRunning(const results::ResultGrid* list, bool waiting) {
        return Shown(list).rfind(AnswerRequest::RunningText(waiting, 0).substr(0, waiting ? 10 : 8), 0) == 0;
    }
    int ActiveSleeps() {
        COdbcConn other;
        if (vetch_test::ConnectTo(other, Db::Postgres) != 0) return -1;
        const auto rows = vetch_test::Query(
            other, "select count(*) from pg_stat_activity where state = 'active' and query like 'select pg_sleep%'");
        return rows.empty() ? -1 : std::stoi(rows[0][0]);
    }

    FILE* locker = nullptr;
    StallProbe probe;
};

TEST_P(NeverFrozenTest, ALongF5LeavesTheEditorTypingAndEscapeCancelsIt) {
    HoldLock();
    CQueryResultDlg* w = RunF5(*dlg, Slow(), false);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());  // no empty window before the answer has had its chance
    ASSERT_TRUE(ServeUntil([&] { return w->isVisible(); }, 2000));
    EXPECT_EQ(w->sqlEdit->GetText(), Slow());
    ASSERT_TRUE(ServeUntil([&] { return ShowsRunning(w->list, false); }, 2000)) << Shown(w->list);

    dlg->curEdit->SetText("");
    QTest::keyClicks(dlg->curEdit, "typed meanwhile");
    EXPECT_EQ(dlg->curEdit->GetText(), "typed meanwhile");
    QTest::keyClick(dlg->curEdit, Qt::Key_F8);  // other windows open meanwhile
    EXPECT_NE(dlg->SlotWindow(CMainDlg::kTextResultGroup, 0), nullptr);

    const auto escape = Clock::now();
    QTest::keyClick(w->list, Qt::Key_Escape);
    EXPECT_EQ(Shown(w->list), AnswerRequest::CancelledText());
    EXPECT_EQ(dlg->SlotWindow(CMainDlg::kQueryResultGroup, 0), w);  // Escape closes nothing
    if (Postgres()) {
        ASSERT_TRUE(ServeUntil([&] { return w->Answered(); }, 2000));
        EXPECT_EQ(Shown(w->list), AnswerRequest::CancelledText());
        EXPECT_TRUE(ServeUntil([&] { return ActiveSleeps() == 0; }, 2000)) << "the server still runs it";
        EXPECT_LT(Clock::now() - escape, 2s);
    }
    // The close box during the run closes at once.
    w->close();
    Pump();
    EXPECT_EQ(dlg->SlotWindow(CMainDlg::kQueryResultGroup, 0), nullptr);

    // On SQLite the driver still waits for the lock: the next statement
    // says it waits for the connection, and runs once the lock is gone.
    CQueryResultDlg* next = RunF5(*dlg, "select 5", false);
    ASSERT_NE(next, nullptr);
    if (!Postgres()) {
        ASSERT_TRUE(ServeUntil([&] { return ShowsRunning(next->list, true); }, 2000)) << Shown(next->list);
        ReleaseLock();
    }
    ASSERT_TRUE(ServeUntil([&] { return next->Answered(); }, 60000));
    EXPECT_EQ(next->list->Model().CellText(0, 1), "5");
    EXPECT_LT(probe.WorstGap(), kStallMillis) << "worst gap";
}

TEST_P(NeverFrozenTest, TheCatalogueWindowWaitsForABatchStatementAndFillsAfterIt) {
    if (Postgres()) {
        F10("select 1; select pg_sleep(2); select 2");
    } else {
        HoldLock();
            F10("select 1; " + Slow() + "; select 2");
    }
    CBatchRunDlg* run = qobject_cast<CBatchRunDlg*>(dlg->SlotWindow(CMainDlg::kBatchRunGroup, 0));
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return Log(run).size() >= 3; }, 5000));

    dlg->settings.userName = Postgres() ? vetch_test::PostgresSchema() : "";
    QTest::keyClick(dlg->curEdit, Qt::Key_I, Qt::ControlModifier);
    auto* catalogue = qobject_cast<CDbInfoDlg*>(dlg->SlotWindow(CMainDlg::kDbInfoGroup, 0));
    ASSERT_NE(catalogue, nullptr);
    catalogue->objectKindCombo->setCurrentIndex(results::kTableObjects);
    ASSERT_TRUE(ServeUntil([&] { return ShowsRunning(catalogue->objectList, true); }, 2000))
        << Shown(catalogue->objectList);
    QTest::qWait(300);
    ReleaseLock();
    ASSERT_TRUE(ServeUntil([&] { return !catalogue->Loading(); }, 60000));
    EXPECT_EQ(Captions(catalogue->objectList).at(3), "TABLE_NAME");
    ASSERT_TRUE(ServeUntil([&] { return run->IsFinished(); }, 60000));
    EXPECT_LT(probe.WorstGap(), kStallMillis) << "worst gap";
}

TEST_P(NeverFrozenTest, AnF5RunsBetweenTwoStatementsOfALongBatch) {
    std::string script;
    for (int i = 0; i < 10000; ++i) script += "select 1;";
    CBatchRunDlg* run = F10(script);
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return Log(run).size() >= 20; }, 10000));
    const auto pressed = Clock::now();
    CQueryResultDlg* w = RunF5(*dlg, "select 5", false);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return w->Answered(); }, 5000));
    EXPECT_LT(Clock::now() - pressed, 1s);
    EXPECT_EQ(w->list->Model().CellText(0, 1), "5");
    EXPECT_FALSE(run->IsFinished());
    EXPECT_LT(probe.WorstGap(), kStallMillis) << "worst gap";
}

VETCH_FOR_DBS(NeverFrozenTest, vetch_test::DbsWithout(Db::Mariadb));

// MariaDB's driver keeps its connection locked for the thread that ran a
// statement it rejected by itself ("GO"): the next statement from any other
// thread would wait forever. Every call comes from the connection's thread.
using NeverFrozenMariadbTest = NeverFrozenTest;

TEST_P(NeverFrozenMariadbTest, AStatementTheDriverRejectsLeavesTheConnectionUsable) {
    CBatchRunDlg* run = F10("select 1; GO; select 2;");
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return run->IsFinished(); }, 10000));
    const Texts log = Log(run);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[2], "GO");
    EXPECT_NE(log[3].find("Syntax error"), std::string::npos) << log[3];
    EXPECT_EQ(log[5], S("複数の結果が返されます（本機能では結果を表示できません）"));
    CQueryResultDlg* w = RunF5(*dlg, "select 1", false);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(ServeUntil([&] { return w->Answered(); }, 5000));
    EXPECT_EQ(w->list->Model().CellText(0, 1), "1");
    EXPECT_LT(probe.WorstGap(), kStallMillis) << "worst gap";
}

VETCH_FOR_DBS(NeverFrozenMariadbTest, std::vector<Db>{Db::Mariadb});

// The SQLite driver ignores the cancel of a statement that waits for a lock:
// closing the main window asks after 3 s whether to leave, and leaving ends
// the process at once with the settings file written.
using NeverFrozenExitTest = NeverFrozenTest;

TEST_P(NeverFrozenExitTest, LeavingWhileTheDriverIgnoresTheCancelEndsTheProcessPromptly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string folder = "/tmp/vetch-leave-" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    const auto started = Clock::now();
    EXPECT_EXIT(
        {
            HoldLock();
            F10("select 1; " + Slow() + "; select 2");
            ServeUntil([&] { return false; }, 500);
            // The parent finds this process's folder, and its settings file, here.
            std::filesystem::create_directory_symlink(Dir(), "/tmp/vetch-leave-" + std::to_string(getppid()));
            dlg->settings.fontSize = 13;
            messageAnswer = platform::IDOK;  // leave with text in the editor; then leave now
            leaveAllowed = true;
            dlg->close();
            std::exit(3);  // the close returned: the process did not end
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_LT(Clock::now() - started, 15s);
    std::ifstream written(folder + "/vetch.ini");
    std::stringstream text;
    text << written.rdbuf();
    EXPECT_NE(text.str().find("FONTSIZE=13"), std::string::npos) << text.str();
    if (std::filesystem::is_symlink(folder)) std::filesystem::remove_all(std::filesystem::read_symlink(folder));
    std::filesystem::remove(folder);
}

INSTANTIATE_TEST_SUITE_P(Db, NeverFrozenExitTest, ::testing::Values(Db::Sqlite),
                         [](const auto& info) { return std::string(vetch_test::DbName(info.param)); });

}  // namespace
