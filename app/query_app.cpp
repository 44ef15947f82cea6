#include "app/query_app.h"

#include "app/main_dlg.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

CQueryApp::CQueryApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

bool CQueryApp::InitInstance() {
    QApplication app(argc_, argv_);
    // The display name is the program file's name without folder and extension.
    if (argc_ > 0 && argv_[0]) platform::SetAppDisplayName(platform::ProgramDisplayName(argv_[0]));
    app.setQuitOnLastWindowClosed(false);
    // The toolkit's own texts (the file dialogs, the buttons of a message
    // box) in Japanese like the rest of the interface, when the Debian
    // translations are installed; without them they stay in English.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&toolkitTexts);
    }
    {
        CMainDlg dlg;
        dlg.keepJournal = true;
        dlg.DoModal();
    }  // settings are written here, after every window is gone, then the journal goes
    return false;
}
