#include "app/query_app.h"

#include "app/main_dlg.h"
#include "platform/message_box.h"

#include <QApplication>

CQueryApp::CQueryApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

bool CQueryApp::InitInstance() {
    QApplication app(argc_, argv_);
    // The display name is the program file's name without folder and extension.
    if (argc_ > 0 && argv_[0]) platform::SetAppDisplayName(platform::ProgramDisplayName(argv_[0]));
    app.setQuitOnLastWindowClosed(false);
    {
        CMainDlg dlg;
        dlg.DoModal();
    }  // settings are written here, after every window is gone
    return false;
}
