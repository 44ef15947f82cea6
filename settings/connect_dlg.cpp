#include "settings/connect_dlg.h"

#include "db/connection_thread.h"
#include "platform/message_box.h"
#include "platform/sjis_format.h"
#include "platform/window_thread.h"
#include "resources/resource_ids.h"
#include "settings/app_settings.h"

#include <QLineEdit>

CConnectDlg::CConnectDlg(AppSettings* settings, db::ConnectionThread* connection)
    : CDialog(res::IDD_CONNECT, nullptr), settings(settings), connection(connection) {}

bool CConnectDlg::OnInitDialog() {
    for (int id : {res::IDC_HOST_STRING, res::IDC_USER_NAME, res::IDC_PASSWORD}) {
        if (auto* edit = Item<QLineEdit>(id)) edit->setMaxLength(static_cast<int>(AppSettings::kTextMax));
    }
    SetItemText(res::IDC_HOST_STRING, settings->hostString);
    SetItemText(res::IDC_USER_NAME, settings->userName);
    SetItemText(res::IDC_PASSWORD, settings->password);
    CenterOver(nullptr);
    return true;
}

void CConnectDlg::OnOK() {
    if (connecting) return;
    // The typed values are kept whatever the outcome, even after a cancel.
    settings->hostString = platform::CutToBytes(GetItemText(res::IDC_HOST_STRING), AppSettings::kTextMax);
    settings->userName = platform::CutToBytes(GetItemText(res::IDC_USER_NAME), AppSettings::kTextMax);
    settings->password = platform::CutToBytes(GetItemText(res::IDC_PASSWORD), AppSettings::kTextMax);
    // With no name the driver manager would pick a default driver, which
    // then makes a database file named after the connection string.
    if (settings->hostString.empty()) {
        platform::MessageBox(this, platform::Sjis("ﾎｽﾄ文字列を入力して下さい。"),
                             platform::MB_ICONEXCLAMATION | platform::MB_OK);
        return;
    }
    struct Outcome {
        bool connected = false;
        std::string failure;
    };
    auto outcome = std::make_shared<Outcome>();
    connecting = connection->Submit([outcome, dsn = settings->hostString, user = settings->userName,
                                     password = settings->password](COdbcConn& conn, const db::Request& self) {
        if (self.Cancelled()) return false;
        // One sequence on the connection: nothing comes between the connect
        // and the reading of its diagnostic.
        auto lock = conn.Lock();
        if (conn.IsConnected()) conn.Disconnect();
        if (conn.Connect(dsn, user, password) != 0) {
            outcome->failure = DiagnosticMessage(conn, SQL_HANDLE_DBC);
        } else if (self.Cancelled()) {
            // The user gave up on it meanwhile.
            conn.Disconnect();
        } else {
            outcome->connected = true;
        }
        return false;
    });
    platform::ServeUntil([this] { return connecting->Done() || cancelWanted; });
    connecting.reset();
    if (cancelWanted) {
        EndDialog(platform::IDCANCEL);
    } else if (outcome->connected) {
        EndDialog(platform::IDOK);
    } else {
        // The box waits for the user with the connection free.
        platform::MessageBox(this, outcome->failure, platform::MB_ICONEXCLAMATION | platform::MB_OK);
    }
}

void CConnectDlg::OnCancel() {
    if (!connecting) {
        EndDialog(platform::IDCANCEL);
        return;
    }
    cancelWanted = true;
    connection->Cancel(connecting);
}
