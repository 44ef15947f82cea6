#include "app/main_dlg.h"
#include "db/connection_thread.h"
#include "resources/resource_ids.h"
#include "settings/connect_dlg.h"
#include "support/main_window_fixture.h"
#include "support/odbc_env.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>

namespace {

using vetch_test::Db;

class ConnectDialogTest : public MainWindowFixture, public ::testing::WithParamInterface<Db> {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        vetch_test::InitOdbcEnvironment();
    }
    vetch_test::DataSource Source() const { return vetch_test::DataSourceOf(GetParam()); }

    // The data source's own name and login, then OK.
    void TypeLoginAndPressOk(platform::CDialog& d) const {
        Retype(d, res::IDC_HOST_STRING, Source().dsn);
        Retype(d, res::IDC_USER_NAME, Source().user);
        Retype(d, res::IDC_PASSWORD, Source().password);
        Press(d, platform::IDOK);
    }
};

TEST_P(ConnectDialogTest, FailingOkKeepsTheDialogOpenUntilAGoodOkConnects) {
    VETCH_REQUIRE_DB(GetParam());
    AppSettings settings("vetch.ini");
    COdbcConn conn;
    ASSERT_EQ(vetch_test::ConnectTo(conn, GetParam()), 0);  // connected to A before

    bool stillOpenAfterFailure = false;
    modalDriver = [&](platform::CDialog& d) {
        Retype(d, res::IDC_HOST_STRING, "no-such-source");
        Retype(d, res::IDC_USER_NAME, "someone");
        Retype(d, res::IDC_PASSWORD, "a;b=c");
        Press(d, platform::IDOK);
        stillOpenAfterFailure = d.isVisible();
        // The failed attempt dropped the earlier connection and kept the values.
        EXPECT_EQ(conn.IsConnected(), 0);
        EXPECT_EQ(settings.password, "a;b=c");

        TypeLoginAndPressOk(d);
    };
    db::ConnectionThread connection(conn);
    CConnectDlg dlg(&settings, &connection);
    EXPECT_EQ(dlg.DoModal(), platform::IDOK);
    EXPECT_TRUE(stillOpenAfterFailure);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find("Data source name not found"), std::string::npos) << Messages()[0].text;
    EXPECT_EQ(conn.IsConnected(), 1);
    EXPECT_EQ(settings.hostString, Source().dsn);
}

TEST_P(ConnectDialogTest, AltCInTheMainWindowConnectsAndTheValuesReachTheSettingsFile) {
    VETCH_REQUIRE_DB(GetParam());
    {
        auto dlg = Open();  // the dialog at start: left open, so cancelled
        modalDriver = [&](platform::CDialog& d) { TypeLoginAndPressOk(d); };
        QTest::keyClick(dlg->curEdit, Qt::Key_C, Qt::AltModifier);
        EXPECT_EQ(dlg->conn.IsConnected(), 1);
        dlg->DestroyWindow();
        EXPECT_EQ(dlg->conn.IsConnected(), 0);  // disconnected on the way out
    }
    AppSettings reread("vetch.ini");
    EXPECT_EQ(reread.hostString, Source().dsn);
    EXPECT_EQ(reread.password, Source().password);
}

VETCH_FOR_EACH_DB(ConnectDialogTest);

using ConnectDialogRefusalTest = MainWindowFixture;

// An empty data source name would let the driver manager pick a default
// driver, which here makes a file named after the connection string.
TEST_F(ConnectDialogRefusalTest, AnEmptyDataSourceNameIsRefusedWithAMessage) {
    AppSettings settings("vetch.ini");
    settings.hostString = vetch_test::SqliteDsn();
    COdbcConn conn;
    ASSERT_EQ(vetch_test::ConnectTo(conn, Db::Sqlite), 0);
    bool stillOpen = false;
    modalDriver = [&](platform::CDialog& d) {
        d.Item<QLineEdit>(res::IDC_HOST_STRING)->clear();
        d.Item<QLineEdit>(res::IDC_PASSWORD)->setText("secret");
        Press(d, platform::IDOK);
        stillOpen = d.isVisible();
        Press(d, platform::IDCANCEL);
    };
    db::ConnectionThread connection(conn);
    CConnectDlg dlg(&settings, &connection);
    EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("ﾎｽﾄ文字列を入力して下さい。"));
    EXPECT_EQ(Messages()[0].flags, 48);
    EXPECT_EQ(conn.IsConnected(), 1);  // left alone
    EXPECT_TRUE(std::filesystem::is_empty(Dir())) << "the driver made files in the working folder";
}

}  // namespace
