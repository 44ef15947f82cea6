#include "app/query_app.h"

#include "app/main_dlg.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QFileInfo>

CQueryApp::CQueryApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

bool CQueryApp::InitInstance() {
    QApplication app(argc_, argv_);
    // The display name is the program file's name without folder and extension.
    if (argc_ > 0 && argv_[0]) {
        platform::SetAppDisplayName(QFileInfo(QString::fromLocal8Bit(argv_[0])).completeBaseName().toStdString());
    }
    app.setQuitOnLastWindowClosed(false);
    {
        CMainDlg dlg;
        dlg.DoModal();
    }  // settings are written here, after every window is gone
    return false;
}
