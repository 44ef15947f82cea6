// The connect dialog reads the message of a failed connect while no other
// thread can use the connection. This program puts its own SQLGetDiagRec in
// front of the driver manager's: while armed, it lets another thread use the
// connection at the very moment the message is read, if the connection's
// lock lets that thread in. A dialog that has let go of the lock then shows
// the other thread's message instead of its own.
#include "db/connection_thread.h"
#include "db/odbc_conn.h"
#include "resources/resource_ids.h"
#include "settings/app_settings.h"
#include "settings/connect_dlg.h"
#include "support/gui_test.h"
#include "support/odbc_env.h"

#include <QPushButton>

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

std::atomic<COdbcConn*> g_armedFor{nullptr};
// The connection's lock, taken from it while nobody held it.
std::recursive_mutex* g_connLock = nullptr;
std::atomic<int> g_interruptions{0};

// What a batch-run worker does between two of its statements: it takes the
// lock when it is free and allocates a statement, which on a closed
// connection leaves "Connection not open" on the connection handle.
void UseTheConnectionIfFree(COdbcConn& conn) {
    std::thread([&conn] {
        std::unique_lock lock(*g_connLock, std::try_to_lock);
        if (!lock.owns_lock()) return;
        if (conn.AllocStatement() == 0) conn.FreeStatement();
        ++g_interruptions;
    }).join();
}

}  // namespace

extern "C" SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                           SQLCHAR* sqlState, SQLINTEGER* nativeError, SQLCHAR* message,
                                           SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
    using Real = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT,
                               SQLSMALLINT*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SQLGetDiagRec"));
    if (COdbcConn* conn = g_armedFor.load(); conn && handleType == SQL_HANDLE_DBC) UseTheConnectionIfFree(*conn);
    return real(handleType, handle, record, sqlState, nativeError, message, bufferLength, textLength);
}

namespace {

class ConnectRaceTest : public GuiTest {};

TEST_F(ConnectRaceTest, TheMessageShownIsTheFailedConnectsOwn) {
    vetch_test::InitOdbcEnvironment();
    AppSettings settings("vetch.ini");
    settings.hostString = "no-such-source";
    COdbcConn conn;
    g_connLock = conn.Lock().mutex();
    // Connected first, so that OK also disconnects.
    ASSERT_EQ(vetch_test::ConnectTo(conn, vetch_test::Db::Sqlite), 0);
    modalDriver = [&](platform::CDialog& d) {
        g_armedFor = &conn;
        qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDOK))->click();
        qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDOK))->click();
        g_armedFor = nullptr;
        qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDCANCEL))->click();
    };
    db::ConnectionThread connection(conn);
    CConnectDlg dlg(&settings, &connection);
    EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);
    ASSERT_EQ(Messages().size(), 2u);
    for (const auto& shown : Messages()) {
        EXPECT_NE(shown.text.find("Data source name not found"), std::string::npos) << shown.text;
    }
    EXPECT_EQ(conn.IsConnected(), 0);

    // The stand-in does reach a connection that nobody holds.
    g_interruptions = 0;
    UseTheConnectionIfFree(conn);
    EXPECT_EQ(g_interruptions.load(), 1);
    EXPECT_EQ(DiagnosticMessage(conn, SQL_HANDLE_DBC).find("Data source name not found"), std::string::npos);
}

}  // namespace
