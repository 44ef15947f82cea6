#include "app/main_dlg.h"
#include "app/result_window.h"
#include "db/statement_scope.h"
#include "platform/line_handover.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"
#include "support/odbc_env.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

namespace {

// A result window with nothing in it, to fill slots.
class EmptyResultWindow : public CResultWindow {
public:
    EmptyResultWindow(ResultWindowHost& host, int slot) : CResultWindow(kKind, host, slot, 0) { Open(); }
    void ApplyFont() override {}

protected:
    void Layout() override {}

private:
    static constexpr Kind kKind{0, ResultWindowHost::kQueryResultGroup, AppSettings::kQueryResult, false, false};
};

// A window with work on a thread of its own, as the batch run has: it runs a
// statement that does not end by itself, again and again, and logs each
// outcome through the line hand-over.
class WorkerWindow : public CResultWindow {
public:
    WorkerWindow(ResultWindowHost& host, int slot) : CResultWindow(kKind, host, slot, 0) { Open(); }
    ~WorkerWindow() override {
        if (worker.joinable()) worker.join();
    }
    void ApplyFont() override {}
    void StopWork() override {
        handOver->Stop();
        stop = true;
    }
    bool WorkRunning() const override { return running; }

    std::atomic<bool> started{false};
    std::atomic<int> connectedAtEnd{-1};

protected:
    void Layout() override {}
    bool CanClose() const override { return !running; }
    void OnShown() override {
        handOver = new platform::LineHandOver([](const std::string&) {}, this);
        running = true;
        worker = std::thread([this, sender = handOver->Sender(), &connection = *conn] {
            while (!stop) {
                std::string outcome;
                {
                    db::StatementScope statement(connection);
                    started = true;
                    outcome = statement->Execute(kSlow) < 0 ? DiagnosticMessage(*statement, SQL_HANDLE_STMT) : "done";
                }
                if (!sender.Send(outcome)) break;
            }
            connectedAtEnd = connection.IsConnected();
            running = false;
        });
    }

private:
    static constexpr Kind kKind{0, ResultWindowHost::kBatchRunGroup, AppSettings::kBatchRun, false, false};
    static constexpr const char* kSlow =
        "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 1000000000) SELECT count(*) FROM r";
    platform::LineHandOver* handOver = nullptr;
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
};

class MainWindowTest : public MainWindowFixture {
protected:
    static std::string MenuText(CMainDlg& dlg, int id) {
        return platform::QStringToCp932(dlg.MenuItem(id)->text());
    }
    static bool Checked(CMainDlg& dlg, int id) { return dlg.MenuItem(id)->isChecked(); }
};

TEST_F(MainWindowTest, ConnectDialogOpensByItselfAtStart) {
    auto dlg = Open();
    ASSERT_EQ(modalShown.size(), 1u);
    EXPECT_EQ(modalShown[0], res::IDD_CONNECT);
    EXPECT_EQ(dlg->conn.IsConnected(), 0);
}

TEST_F(MainWindowTest, BuffersKeepTheirTextAndTitlesFollowTheShownBuffer) {
    auto dlg = Open();
    EXPECT_EQ(dlg->GetWindowText(), S("vetch  － ｳｨﾝﾄﾞｳ 1"));  // two blanks until the first switch
    EXPECT_TRUE(Checked(*dlg, res::ID_BUFFER_1));

    // Japanese text, a TAB, CR LF line ends and a byte that is not valid CP932.
    const std::string text = S("select 名前\tfrom 社員\r\nwhere ｶﾅ = '～'\r\n") + std::string("\x80\xFD", 2);
    dlg->curEdit->SetText(text);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 3"));
    EXPECT_EQ(MenuText(*dlg, res::ID_BUFFER_1 + 2), S("ｳｨﾝﾄﾞｳ &3"));
    EXPECT_TRUE(Checked(*dlg, res::ID_BUFFER_1 + 2));
    EXPECT_FALSE(Checked(*dlg, res::ID_BUFFER_1));

    dlg->curEdit->SetText("buffer three");
    dlg->SendCommand(res::ID_BUFFER_1);
    EXPECT_EQ(dlg->EditorText(), text);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "buffer three");

    // Only the text travels: the editor keeps its font, margins and tab stops,
    // and a buffer comes back without its undo history.
    const qreal tabStop = dlg->curEdit->tabStopDistance();
    const QFont font = dlg->curEdit->document()->defaultFont();
    QTest::keyClicks(dlg->curEdit, "x");
    ASSERT_TRUE(dlg->curEdit->document()->isUndoAvailable());
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "xbuffer three");
    EXPECT_FALSE(dlg->curEdit->document()->isUndoAvailable());
    EXPECT_EQ(dlg->curEdit->tabStopDistance(), tabStop);
    EXPECT_EQ(dlg->curEdit->document()->defaultFont(), font);
    EXPECT_EQ(dlg->curEdit->document()->documentMargin(), 0);
    dlg->curEdit->SetText("buffer three");

    // The item of the buffer already shown changes nothing.
    std::string title = dlg->GetWindowText();
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->GetWindowText(), title);
    EXPECT_EQ(dlg->EditorText(), "buffer three");
}

// A → B → A cannot tell which buffer a text went to; a third one can.
TEST_F(MainWindowTest, ABufferNeverShownIsEmptyWhateverWasTypedBefore) {
    auto dlg = Open();
    dlg->curEdit->SetText("one");
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    EXPECT_EQ(dlg->EditorText(), "");
    dlg->curEdit->SetText("two");
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "");
    dlg->SendCommand(res::ID_BUFFER_1);
    EXPECT_EQ(dlg->EditorText(), "one");
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    EXPECT_EQ(dlg->EditorText(), "two");
}

TEST_F(MainWindowTest, FileNameShowsInLabelAndTitleUntilNew) {
    auto dlg = Open();
    dlg->buffers[0].fileName = "/home/user/sql/売上.sql";  // a file-system path, shown in CP932
    dlg->UpdateBufferCaption(0);
    EXPECT_EQ(MenuText(*dlg, res::ID_BUFFER_1), S("ｳｨﾝﾄﾞｳ &1 [/home/user/sql/売上.sql]"));
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 1 [/home/user/sql/売上.sql]"));

    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_FILE_NEW);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(MenuText(*dlg, res::ID_BUFFER_1), S("ｳｨﾝﾄﾞｳ &1"));
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 1"));
    EXPECT_TRUE(Messages().empty());

    // A path too long for the 255-byte title is cut, never split inside a
    // double-byte character.
    dlg->buffers[0].fileName = std::string("/").append(120, 'a').append("長い名前のファイルです長い名前のファイルです長い名前のファイルです長い名前のファイルです長い名前のファイルです.sql");
    dlg->UpdateBufferCaption(0);
    std::string cut = dlg->GetWindowText();
    EXPECT_LE(cut.size(), 255u);
    EXPECT_EQ(platform::QStringToCp932(platform::Cp932ToQString(cut)), cut);
    EXPECT_EQ(cut.find('\x1a'), std::string::npos);
}

TEST_F(MainWindowTest, ExitAsksOnlyWhenSomeBufferHoldsText) {
    {
        auto dlg = Open();
        dlg->SendCommand(res::ID_BUFFER_1 + 1);  // an empty buffer left empty asks nothing
        dlg->SendCommand(res::ID_APP_EXIT);
        EXPECT_TRUE(Messages().empty());
        EXPECT_TRUE(dlg->IsDestroyed());
    }
    {
        auto dlg = Open();
        dlg->curEdit->SetText("select 1");
        dlg->SendCommand(res::ID_BUFFER_1 + 4);  // the text now waits in a hidden buffer
        messageAnswer = platform::IDCANCEL;
        dlg->SendCommand(res::ID_APP_EXIT);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, S("編集中ですが、終了してもよろしいでしょうか。"));
        EXPECT_EQ(Messages()[0].title, "vetch");
        EXPECT_EQ(Messages()[0].flags, 49);
        EXPECT_FALSE(dlg->IsDestroyed());

        // The close box asks the same question.
        messageAnswer = platform::IDOK;
        dlg->close();
        EXPECT_EQ(Messages().size(), 2u);
        EXPECT_TRUE(dlg->IsDestroyed());
    }
}

TEST_F(MainWindowTest, EscapeNeverClosesAndEnterInsertsALineBreak) {
    auto dlg = Open();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->curEdit->setFocus();
    QTest::keyClick(dlg->curEdit, Qt::Key_Escape);
    QTest::keyClicks(dlg->curEdit, "a");
    QTest::keyClick(dlg->curEdit, Qt::Key_Return);
    QTest::keyClicks(dlg->curEdit, "b");
    QTest::keyClick(dlg->curEdit, Qt::Key_Tab);
    EXPECT_EQ(dlg->EditorText(), "a\r\nb\t");
    EXPECT_FALSE(dlg->IsDestroyed());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(dlg->curEdit->hasFocus());  // Tab typed a TAB instead of moving on
}

TEST_F(MainWindowTest, SixthWindowOfAGroupIsRefusedAndTheLowestFreeSlotIsTaken) {
    auto dlg = Open();
    for (int i = 0; i < 5; ++i) {
        int slot = dlg->TakeSlot(CMainDlg::kQueryResultGroup);
        ASSERT_EQ(slot, i);
        dlg->SetSlotWindow(CMainDlg::kQueryResultGroup, slot, new EmptyResultWindow(*dlg, slot));
    }
    EXPECT_EQ(dlg->TakeSlot(CMainDlg::kQueryResultGroup), -1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("ｳｨﾝﾄﾞｳの表字数が制限を越えました。"));
    EXPECT_EQ(Messages()[0].flags, 48);
    // Another group is independent.
    EXPECT_EQ(dlg->TakeSlot(CMainDlg::kTextResultGroup), 0);

    // Closing a window frees its slot; the lowest free one is taken next.
    dlg->SlotWindow(CMainDlg::kQueryResultGroup, 1)->close();
    EXPECT_EQ(dlg->TakeSlot(CMainDlg::kQueryResultGroup), 1);
    Pump();
    EXPECT_EQ(dlg->SlotWindow(CMainDlg::kQueryResultGroup, 1), nullptr);
}

TEST_F(MainWindowTest, WindowSizeIsRestoredOnlyWhenBothNumbersAreSetAndSavedOnClose) {
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=500,0\r\n";
        auto dlg = Open();
        QSize templateSize = dlg->OuterSize();
        dlg->DestroyWindow();
        EXPECT_EQ(dlg->settings.winSize[0].width, templateSize.width());
        EXPECT_EQ(dlg->settings.winSize[0].height, templateSize.height());
        EXPECT_NE(templateSize.width(), 500);
    }
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=640,480\r\n";
        auto dlg = Open();
        EXPECT_EQ(dlg->OuterSize(), QSize(640, 480));
        // The editors keep 11 pixels at left and top, 9 at right and bottom.
        EXPECT_EQ(dlg->editPlain->geometry(), QRect(11, 11, dlg->ClientWidth() - 20, dlg->ClientHeight() - 20));
        dlg->ResizeOuter(700, 500);
        EXPECT_EQ(dlg->editWrap->geometry(), QRect(11, 11, dlg->ClientWidth() - 20, dlg->ClientHeight() - 20));
    }
    // The window was destroyed with the object: its size reached the file.
    std::ifstream in("vetch.ini");
    std::string file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(file.find("WINSIZE1=700,500"), std::string::npos) << file;
}

TEST_F(MainWindowTest, HandEditedSizesStayWithinTheScreenAndUsable) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=100000,100000\r\nFONTSIZE=300000000\r\n";
        auto dlg = Open();
        EXPECT_LE(dlg->OuterSize().width(), screen.width());
        EXPECT_LE(dlg->OuterSize().height(), screen.height());
        EXPECT_EQ(dlg->editPlain->font().pointSize(), 72);
        EXPECT_EQ(dlg->editWrap->font().pointSize(), 72);
        // The settings keep what was read until the window saves its own.
        EXPECT_EQ(dlg->settings.winSize[0].width, 100000);
        EXPECT_EQ(dlg->settings.fontSize, 300000000);
    }
    std::ifstream in("vetch.ini");
    std::string file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(file.find("FONTSIZE=300000000"), std::string::npos) << file;

    for (const char* size : {"-100,-100", "1,1", "-2147483648,-2147483648"}) {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=" << size << "\r\nFONTSIZE=-7\r\n";
        auto dlg = Open();
        // Wide enough for the title bar's buttons, the menu bar and a strip of the editor showing.
        EXPECT_GE(dlg->OuterSize().width(), 200) << size;
        EXPECT_GT(dlg->MenuBar()->height(), 0) << size;
        EXPECT_GE(dlg->ClientHeight(), 60) << size;
        // No size of its own: the toolkit's default, as the window's other text has.
        EXPECT_EQ(dlg->editPlain->font().pointSize(), dlg->font().pointSize()) << size;
        EXPECT_EQ(dlg->settings.winSize[0].height, std::stoi(std::string(size).substr(std::string(size).find(',') + 1)));
    }
    std::ofstream("vetch.ini") << "[SYSTEM]\r\nFONTSIZE=0\r\n";
    auto zero = Open();
    EXPECT_EQ(zero->editWrap->font().pointSize(), zero->font().pointSize());
    std::ofstream("vetch.ini") << "[SYSTEM]\r\nFONTSIZE=13\r\n";
    EXPECT_EQ(Open()->editWrap->font().pointSize(), 13);
}

TEST_F(MainWindowTest, OnlyMarkedMenuItemsShowACheck) {
    auto dlg = Open();
    const auto checkable = [&] {
        std::vector<int> ids;
        for (QAction* menu : dlg->MenuBar()->actions()) {
            for (QAction* item : menu->menu()->actions()) {
                for (int id = 16; id < 33000; ++id) {
                    if (dlg->MenuItem(id) != item) continue;
                    if (item->isCheckable()) ids.push_back(id);
                    EXPECT_EQ(item->isChecked(), item->isCheckable()) << id;
                }
            }
        }
        return ids;
    };
    EXPECT_EQ(checkable(), std::vector<int>{res::ID_BUFFER_1});
    dlg->SendCommand(res::ID_BUFFER_1 + 3);
    EXPECT_EQ(checkable(), std::vector<int>{res::ID_BUFFER_1 + 3});
    // Choosing the marked item keeps its mark; the program alone sets it.
    dlg->MenuItem(res::ID_BUFFER_1 + 3)->trigger();
    EXPECT_EQ(checkable(), std::vector<int>{res::ID_BUFFER_1 + 3});
    dlg->MenuItem(res::ID_BUFFER_1)->trigger();
    EXPECT_EQ(checkable(), std::vector<int>{res::ID_BUFFER_1});
}

TEST_F(MainWindowTest, ClosingStopsRunningWorkersBeforeItDisconnects) {
    auto dlg = Open();
    ASSERT_EQ(vetch_test::ConnectTo(dlg->conn, vetch_test::Db::Sqlite), 0);
    QPointer<WorkerWindow> window = new WorkerWindow(*dlg, 0);
    dlg->SetSlotWindow(CMainDlg::kBatchRunGroup, 0, window);
    while (!window->started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // in the driver now

    // The user cannot close a window whose work runs...
    window->close();
    EXPECT_FALSE(window->IsDestroyed());
    // ...but the main window closing ends it, then disconnects.
    const auto begin = std::chrono::steady_clock::now();
    dlg->DestroyWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->WorkRunning());
    EXPECT_EQ(window->connectedAtEnd.load(), 1);  // the worker was gone before the disconnect
    EXPECT_TRUE(window->IsDestroyed());
    EXPECT_EQ(dlg->conn.IsConnected(), 0);
}

// Every menu label that names a key has exactly that key in table 140, and
// the table holds the 23 entries of the command table.
TEST_F(MainWindowTest, MenuLabelsAndAcceleratorsAgree) {
    auto dlg = Open();
    const platform::AccelTable* table = platform::FindAccelTable(res::IDR_MAIN_ACCEL);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->entries.size(), 23u);
    std::map<int, std::string> keyNames;
    for (const auto& e : table->entries) {
        std::string name;
        if (e.flags & platform::kFControl) name += "Ctrl+";
        if (e.flags & platform::kFShift) name += "Shift+";
        if (e.flags & platform::kFAlt) name += "Alt+";
        if (e.key >= platform::kVkF1) name.append("F").append(std::to_string(e.key - platform::kVkF1 + 1));
        else name += static_cast<char>(e.key);
        EXPECT_TRUE(keyNames.emplace(e.command, name).second) << e.command;
    }
    int labelled = 0;
    for (QAction* menu : dlg->MenuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator()) continue;
            EXPECT_TRUE(item->isEnabled());
            QString text = item->text();
            int tab = text.indexOf(QLatin1Char('\t'));
            int id = -1;
            for (int candidate = 16; candidate < 33000 && id < 0; ++candidate) {
                if (dlg->MenuItem(candidate) == item) id = candidate;
            }
            ASSERT_GE(id, 0);
            if (tab < 0) {
                EXPECT_EQ(keyNames.count(id), 0u) << id;
                continue;
            }
            ++labelled;
            EXPECT_EQ(text.mid(tab + 1).toStdString(), keyNames[id]) << id;
        }
    }
    // Find next and previous have keys but no menu item.
    EXPECT_EQ(labelled, 21);
    EXPECT_EQ(MenuText(*dlg, res::ID_FILE_NEW), S("新規作成(&N)\tCtrl+N"));
    EXPECT_EQ(MenuText(*dlg, res::ID_EXECUTE_SQL), S("SQLの実行(&S)\tF5"));
}

TEST_F(MainWindowTest, ShortcutsReachTheMainWindowFromTheEditor) {
    auto dlg = Open();
    modalShown.clear();
    QTest::keyClick(dlg->curEdit, Qt::Key_C, Qt::AltModifier);  // Alt+C: connect
    EXPECT_EQ(modalShown, std::vector<int>{res::IDD_CONNECT});
    dlg->curEdit->SetText("x");
    QTest::keyClick(dlg->curEdit, Qt::Key_N, Qt::ControlModifier);  // Ctrl+N: new
    EXPECT_EQ(dlg->EditorText(), "");
}

}  // namespace
