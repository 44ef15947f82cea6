// CConnectDlg: the modal "DBへの接続" dialog. It edits the three connection
// fields of the settings and connects the one COdbcConn; it stays open until a
// connection succeeds or the user cancels.
#pragma once

#include "platform/cdialog.h"

class AppSettings;
class COdbcConn;

class CConnectDlg : public platform::CDialog {
    Q_OBJECT

public:
    CConnectDlg(AppSettings* settings, COdbcConn* conn);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    AppSettings* settings;
    COdbcConn* conn;
};
