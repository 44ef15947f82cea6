// The database server failing under the program, stopped at once or ending the session.
#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "results/batch_run_dlg.h"
#include "results/catalog_query.h"
#include "results/db_info_dlg.h"
#include "results/log_list.h"
#include "results/query_result_dlg.h"
#include "support/main_window_fixture.h"
#include "support/odbc_env.h"
#include "support/pg_server.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#define EXPECT_CONTAINS(text, part) \
    EXPECT_NE(std::string(text).find(part), std::string::npos) << "\"" << (text) << "\" lacks \"" << (part) << "\""

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class ServerFaultTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        server = new vetch_test::PgServer;
        serverUp = server->Start();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!serverUp) {
            if (vetch_test::RunningInCi()) {
                FAIL() << server->Error();
            }
            GTEST_SKIP() << server->Error();
        }
        started = Clock::now();
        dlg = Open();
        ConnectThroughTheDialog();
        ASSERT_EQ(dlg->conn.IsConnected(), 1);
    }

    void TearDown() override {
        dlg.reset();
        if (serverUp) {
            EXPECT_LT(Clock::now() - started, 30s) << "a fault test must finish within 30 s";
            if (server->Admin("select 1") != "1") server->Restart();  // for the next test
        }
        MainWindowFixture::TearDown();
    }

    // Types the data source, user and password into the connect dialog and
    // presses OK, as a person does after the server is back.
    void ConnectThroughTheDialog() {
        modalDriver = [](platform::CDialog& d) {
            Retype(d, res::IDC_HOST_STRING, vetch_test::PostgresDsn());
            Retype(d, res::IDC_USER_NAME, vetch_test::PostgresUser());
            Retype(d, res::IDC_PASSWORD, vetch_test::PostgresPassword());
            Press(d, platform::IDOK);
            // A refused connect leaves the dialog open: cancel it then.
            if (d.isVisible()) Press(d, platform::IDCANCEL);
        };
        dlg->SendCommand(res::ID_CONNECT);
        modalDriver = nullptr;
    }

    CQueryResultDlg* Run(const std::string& sql) { return RunF5(*dlg, sql); }
    // The one line a failed statement shows, or "" when the window shows rows.
    static std::string MessageOf(const CQueryResultDlg& w) {
        const auto& m = w.list->Model();
        if (m.ColumnCount() != 1 || m.Column(0).caption != "Message" || m.RowCount() != 1) return "";
        return std::string(m.CellText(0, 0));
    }
    // Types the script and presses F10; the batch run window it opened.
    CBatchRunDlg* RunBatch(const std::string& script) {
        dlg->curEdit->SetText(script);
        QTest::keyClick(dlg->curEdit, Qt::Key_F10);
        return qobject_cast<CBatchRunDlg*>(dlg->SlotWindow(CMainDlg::kBatchRunGroup, 0));
    }
    static bool WaitFinished(CBatchRunDlg* w, int ms) {
        platform::ServeUntil([w] { return w->IsFinished(); }, ms);
        Pump();  // the last lines
        return w->IsFinished();
    }
    static void Close(CQueryResultDlg* w) {
        w->close();
        Pump();
    }

    int OpenWindows() const {
        int open = 0;
        for (const auto& slot : dlg->resultWindows) open += slot != nullptr;
        return open;
    }

    // The windows still work: the result window copies and closes, F8 opens a text window.
    void ExpectEverythingUsable(CQueryResultDlg* w) {
        const int before = OpenWindows();
        QTest::keyClick(w->list, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->list, Qt::Key_C, Qt::ControlModifier);
        Close(w);
        EXPECT_EQ(OpenWindows(), before - 1) << "the result window did not close";
        QTest::keyClick(dlg->curEdit, Qt::Key_F8);
        EXPECT_NE(dlg->SlotWindow(CMainDlg::kTextResultGroup, 0), nullptr) << "F8 opened no window";
    }

    // After the fault: the connect dialog connects again and F5 shows rows.
    void ExpectReconnectAndF5() {
        ConnectThroughTheDialog();
        ASSERT_EQ(dlg->conn.IsConnected(), 1) << (Messages().empty() ? "" : Messages().back().text);
        CQueryResultDlg* w = Run("select 40 + 2 as answer");
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(w->list->Model().RowCount(), 1);
        EXPECT_EQ(w->list->Model().CellText(0, 1), "42");
    }

    static vetch_test::PgServer* server;
    static bool serverUp;
    Clock::time_point started;
    std::unique_ptr<CMainDlg> dlg;
};

vetch_test::PgServer* ServerFaultTest::server = nullptr;
bool ServerFaultTest::serverUp = false;

const char kActiveSleep[] =
    "select count(*) from pg_stat_activity where state = 'active' and query like 'select pg_sleep%'";

TEST_F(ServerFaultTest, ServerStoppedDuringAnF5Query) {
    std::atomic<bool> stopped{false};
    std::thread killer([&] {
        if (server->WaitFor(kActiveSleep, "1", 10000)) stopped = server->StopImmediately();
    });
    const auto before = Clock::now();
    CQueryResultDlg* w = Run("select pg_sleep(20)");
    killer.join();
    ASSERT_TRUE(stopped) << "the query never ran, or the server did not stop";
    ASSERT_NE(w, nullptr);
    EXPECT_LT(Clock::now() - before, 15s) << "F5 waited for the statement instead of failing";
    EXPECT_CONTAINS(MessageOf(*w), "server closed the connection unexpectedly");

    // The next F5, with the server still gone, fails at once with a message.
    CQueryResultDlg* again = Run("select 1");
    ASSERT_NE(again, nullptr);
    EXPECT_CONTAINS(MessageOf(*again), "connection lost");
    Close(again);
    ExpectEverythingUsable(w);

    // While the server is down the connect dialog says why it cannot connect.
    ConnectThroughTheDialog();
    EXPECT_EQ(dlg->conn.IsConnected(), 0);
    ASSERT_FALSE(Messages().empty());
    EXPECT_CONTAINS(Messages().back().text, "Connection refused");
    EXPECT_EQ(Messages().back().flags, 48);

    ASSERT_TRUE(server->Restart());
    ExpectReconnectAndF5();
}

TEST_F(ServerFaultTest, ServerStoppedDuringABatchRun) {
    std::atomic<bool> stopped{false};
    std::thread killer([&] {
        if (server->WaitFor(kActiveSleep, "1", 10000)) stopped = server->StopImmediately();
    });
    CBatchRunDlg* w = RunBatch("select 1; select pg_sleep(20); select 2; select 3");
    ASSERT_NE(w, nullptr);
    const bool finished = WaitFinished(w, 15000);
    killer.join();
    ASSERT_TRUE(stopped) << "the statement never ran, or the server did not stop";
    ASSERT_TRUE(finished) << "the run did not end after the server went";

    // Each statement and its outcome: the first ran, the second met the
    // stop, the two after it found the connection gone.
    const std::vector<std::string> log = w->log->Lines();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[2], "select pg_sleep(20)");
    EXPECT_CONTAINS(log[3], "server closed the connection unexpectedly");
    EXPECT_CONTAINS(log[5], "connection lost");
    EXPECT_CONTAINS(log[7], "connection lost");

    w->close();
    Pump();
    EXPECT_EQ(dlg->SlotWindow(CMainDlg::kBatchRunGroup, 0), nullptr) << "the batch run window did not close";

    ASSERT_TRUE(server->Restart());
    ExpectReconnectAndF5();
}

TEST_F(ServerFaultTest, ServerStoppedDuringACatalogueQuery) {
    QTest::keyClick(dlg->curEdit, Qt::Key_I, Qt::ControlModifier);
    auto* w = qobject_cast<CDbInfoDlg*>(dlg->SlotWindow(CMainDlg::kDbInfoGroup, 0));
    ASSERT_NE(w, nullptr);

    // With the schema catalogue locked the list of tables waits; the server
    // goes while it does.
    ASSERT_TRUE(server->LockCatalogue());
    std::atomic<bool> stopped{false};
    std::thread killer([&] {
        if (server->WaitForWaitingSession(vetch_test::PostgresUser(), 10000)) stopped = server->StopImmediately();
    });
    const auto before = Clock::now();
    w->objectKindCombo->setCurrentIndex(results::kTableObjects);
    EXPECT_TRUE(platform::ServeUntil([w] { return !w->Loading(); }, 15000));
    killer.join();
    ASSERT_TRUE(stopped) << "the catalogue question never waited, or the server did not stop";
    EXPECT_LT(Clock::now() - before, 15s);
    const auto& objects = w->objectList->Model();
    ASSERT_EQ(objects.RowCount(), 1);
    // psqlODBC's catalogue calls report the end of the connection alone.
    EXPECT_CONTAINS(objects.CellText(0, 0), "The connection has been lost");

    w->close();
    Pump();
    EXPECT_EQ(dlg->SlotWindow(CMainDlg::kDbInfoGroup, 0), nullptr) << "the window did not close";

    ASSERT_TRUE(server->Restart());
    ExpectReconnectAndF5();
}

TEST_F(ServerFaultTest, SessionEndedByTheServer) {
    // While idle: the next F5 reports the lost connection.
    ASSERT_EQ(server->Admin("select count(pg_terminate_backend(pid)) from pg_stat_activity where usename = 'vetch'"),
              "1");
    CQueryResultDlg* w = Run("select 1");
    ASSERT_NE(w, nullptr);
    EXPECT_CONTAINS(MessageOf(*w), "terminating connection due to administrator command");
    ExpectEverythingUsable(w);
    ExpectReconnectAndF5();

    // During a query.
    std::thread killer([&] {
        if (server->WaitFor(kActiveSleep, "1", 10000))
            server->Admin("select pg_terminate_backend(pid) from pg_stat_activity where usename = 'vetch'");
    });
    w = Run("select pg_sleep(20)");
    killer.join();
    ASSERT_NE(w, nullptr);
    EXPECT_CONTAINS(MessageOf(*w), "terminating connection due to administrator command");
    ExpectReconnectAndF5();
}

}  // namespace
