#include "settings/connect_dlg.h"

#include "db/odbc_conn.h"
#include "platform/message_box.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"
#include "settings/app_settings.h"

#include <QLineEdit>

CConnectDlg::CConnectDlg(AppSettings* settings, COdbcConn* conn)
    : CDialog(res::IDD_CONNECT, nullptr), settings(settings), conn(conn) {}

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
    std::string failure;
    {
        // One sequence on the connection: no other thread's use may come
        // between the connect and the reading of its diagnostic. The message
        // box waits for the user, so it comes after the lock is released
        // (the rule of db/statement_scope.h).
        auto lock = conn->Lock();
        if (conn->IsConnected()) conn->Disconnect();
        if (conn->Connect(settings->hostString, settings->userName, settings->password) == 0) {
            EndDialog(platform::IDOK);
            return;
        }
        failure = DiagnosticMessage(*conn, SQL_HANDLE_DBC);
    }
    platform::MessageBox(this, failure, platform::MB_ICONEXCLAMATION | platform::MB_OK);
}
