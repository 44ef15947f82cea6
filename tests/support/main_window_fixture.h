// Fixture for tests of the main window and the windows it opens.
#pragma once

#include "app/main_dlg.h"
#include "platform/window_thread.h"
#include "resources/resource_ids.h"
#include "results/query_result_dlg.h"
#include "support/gui_test.h"

#include <QTest>

#include <fstream>
#include <memory>

class MainWindowFixture : public GuiTest {
protected:
    // Opens the main window as the program starts it, after writing iniText
    // (when given) as the settings file. The connect dialog it opens by
    // itself is answered by modalDriver: left open, it is cancelled.
    std::unique_ptr<CMainDlg> Open(const char* iniText = nullptr) {
        if (iniText) std::ofstream("vetch.ini", std::ios::binary) << iniText;
        auto dlg = std::make_unique<CMainDlg>();
        dlg->Create(nullptr);
        Pump();  // runs the connect command posted at start
        return dlg;
    }
    // The same, then made the active window with the focus in the editor,
    // as keyboard tests need.
    std::unique_ptr<CMainDlg> OpenActive() {
        auto dlg = Open();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        dlg->curEdit->setFocus();
        modalShown.clear();
        return dlg;
    }

    // The Window menu's item of buffer b, as the user reads it.
    static std::string BufferLabel(CMainDlg& dlg, int b) {
        return platform::QStringToCp932(dlg.MenuItem(res::ID_BUFFER_1 + b)->text());
    }
    static CQueryResultDlg* QueryWindow(CMainDlg& dlg, int slot) {
        return qobject_cast<CQueryResultDlg*>(dlg.SlotWindow(CMainDlg::kQueryResultGroup, slot));
    }
    // Types sql into the editor and presses F5: the window it opened, or
    // null. With answered, once its answer is in (the window then shows).
    static CQueryResultDlg* RunF5(CMainDlg& dlg, const std::string& sql, bool answered = true) {
        int slot = 0;
        while (slot < CMainDlg::kSlotsPerGroup && QueryWindow(dlg, slot)) ++slot;
        dlg.curEdit->SetText(sql);
        QTest::keyClick(dlg.curEdit, Qt::Key_F5);
        CQueryResultDlg* window = slot < CMainDlg::kSlotsPerGroup ? QueryWindow(dlg, slot) : nullptr;
        if (window && answered) {
            EXPECT_TRUE(platform::ServeUntil([&] { return window->Answered(); }, 30000));
        }
        return window;
    }
};
