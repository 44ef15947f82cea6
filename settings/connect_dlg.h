// CConnectDlg: the modal "DBへの接続" dialog. It edits the three connection
// fields of the settings and connects the one connection on its thread,
// handling events meanwhile; it stays open until a connection succeeds or the
// user cancels (which also gives up a connect still under way).
#pragma once

#include "platform/cdialog.h"

#include <memory>

class AppSettings;
namespace db {
class ConnectionThread;
class Request;
}  // namespace db

class CConnectDlg : public platform::CDialog {
    Q_OBJECT

public:
    CConnectDlg(AppSettings* settings, db::ConnectionThread* connection);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    AppSettings* settings;
    db::ConnectionThread* connection;
    // The connect under way, while OnOK waits for it.
    std::shared_ptr<const db::Request> connecting;
    bool cancelWanted = false;
};
