#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <fstream>

namespace {

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, BuffersKeepTheirTextAndTitlesFollowTheShownBuffer) {
    auto dlg = Open();
    EXPECT_EQ(dlg->GetWindowText(), S("vetch  － ｳｨﾝﾄﾞｳ 1"));  // two blanks until the first switch

    // Japanese text, a TAB, CR LF line ends and a byte that is not valid CP932.
    const std::string text = S("select 名前\tfrom 社員\r\nwhere ｶﾅ = '～'\r\n") + std::string("\x80\xFD", 2);
    dlg->curEdit->SetText(text);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);  // never shown: empty, not the text typed before
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 3"));

    dlg->curEdit->SetText("buffer three");
    dlg->SendCommand(res::ID_BUFFER_1);
    EXPECT_EQ(dlg->EditorText(), text);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "buffer three");

    // A buffer comes back without its undo history.
    QTest::keyClicks(dlg->curEdit, "x");
    ASSERT_TRUE(dlg->curEdit->document()->isUndoAvailable());
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    EXPECT_EQ(dlg->EditorText(), "xbuffer three");
    EXPECT_FALSE(dlg->curEdit->document()->isUndoAvailable());
}

TEST_F(MainWindowTest, FileNameShowsInLabelAndTitleUntilNew) {
    auto dlg = Open();
    dlg->buffers[0].fileName = "/home/user/sql/売上.sql";  // a file-system path, shown in CP932
    dlg->UpdateBufferCaption(0);
    EXPECT_EQ(BufferLabel(*dlg, 0), S("ｳｨﾝﾄﾞｳ &1 [/home/user/sql/売上.sql]"));
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 1 [/home/user/sql/売上.sql]"));

    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_FILE_NEW);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 1"));
    // A path too long for the 255-byte title is cut between characters.
    dlg->buffers[0].fileName = std::string("/").append(120, 'a').append("長い名前のファイルです長い名前のファイルです長い名前のファイルです長い名前のファイルです長い名前のファイルです.sql");
    dlg->UpdateBufferCaption(0);
    std::string cut = dlg->GetWindowText();
    EXPECT_LE(cut.size(), 255u);
    EXPECT_EQ(platform::QStringToCp932(platform::Cp932ToQString(cut)), cut);
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
    auto dlg = OpenActive();
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

TEST_F(MainWindowTest, WindowSizeIsRestoredOnlyWhenBothNumbersAreSetAndSavedOnClose) {
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=500,0\r\n";
        auto dlg = Open();
        EXPECT_NE(dlg->OuterSize().width(), 500);
    }
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=640,480\r\n";
        auto dlg = Open();
        EXPECT_EQ(dlg->OuterSize(), QSize(640, 480));
        dlg->ResizeOuter(700, 500);
    }
    // The window was destroyed with the object: its size reached the file.
    EXPECT_NE(ReadFileBytes("vetch.ini").find("WINSIZE1=700,500"), std::string::npos);
}

TEST_F(MainWindowTest, HandEditedSizesStayWithinTheScreenAndUsable) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=100000,100000\r\nFONTSIZE=300000000\r\n";
        auto dlg = Open();
        EXPECT_LE(dlg->OuterSize().width(), screen.width());
        EXPECT_LE(dlg->OuterSize().height(), screen.height());
        EXPECT_EQ(dlg->editWrap->font().pointSize(), 72);
        // The settings keep what was read until the window saves its own.
        EXPECT_EQ(dlg->settings.winSize[0].width, 100000);
        EXPECT_EQ(dlg->settings.fontSize, 300000000);
    }
    EXPECT_NE(ReadFileBytes("vetch.ini").find("FONTSIZE=300000000"), std::string::npos);

    for (const char* size : {"-100,-100", "-2147483648,-2147483648"}) {
        std::ofstream("vetch.ini") << "[SYSTEM]\r\nWINSIZE1=" << size << "\r\nFONTSIZE=-7\r\n";
        auto dlg = Open();
        // Wide enough for the title bar's buttons, the menu bar and a strip of the editor showing.
        EXPECT_GE(dlg->OuterSize().width(), 200) << size;
        EXPECT_GT(dlg->MenuBar()->height(), 0) << size;
        EXPECT_GE(dlg->ClientHeight(), 60) << size;
        // No size of its own: the toolkit's default, as the window's other text has.
        EXPECT_EQ(dlg->editPlain->font().pointSize(), dlg->font().pointSize()) << size;
    }
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
    dlg->MenuItem(res::ID_BUFFER_1)->trigger();
    EXPECT_EQ(checkable(), std::vector<int>{res::ID_BUFFER_1});
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
