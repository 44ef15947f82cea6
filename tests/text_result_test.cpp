#include "app/main_dlg.h"
#include "platform/clipboard.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"
#include "texttools/text_result_dlg.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <fstream>
#include <memory>

namespace {

const char* kQuery = "select a, b\r\nfrom t\r\nwhere x = 1 or y = 2\r\norder by a\r\n";

class TextResultTest : public MainWindowFixture {
protected:
    static CTextResultDlg* Window(CMainDlg& dlg, int slot) {
        return qobject_cast<CTextResultDlg*>(dlg.SlotWindow(CMainDlg::kTextResultGroup, slot));
    }
    static std::string Lines(std::initializer_list<const char*> lines) {
        std::string out;
        for (const char* l : lines) out += std::string(l) + "\r\n";
        return out;
    }
};

TEST_F(TextResultTest, F8AndF9ShowTheFormattedAndWrappedQuery) {
    auto dlg = Open("[STRING]\r\nPARMNAME=strSQL\r\n");
    dlg->curEdit->SetText(kQuery);
    QTest::keyClick(dlg->curEdit, Qt::Key_F8);
    QTest::keyClick(dlg->curEdit, Qt::Key_F9);
    ASSERT_NE(Window(*dlg, 0), nullptr);
    ASSERT_NE(Window(*dlg, 1), nullptr);
    EXPECT_EQ(Window(*dlg, 0)->edit->GetText(),
              "\r\nSELECT\r\n a, b \r\nFROM\r\n t \r\nWHERE\r\n x = 1 OR\r\n y = 2 \r\nORDER BY\r\n a ");
    EXPECT_EQ(Window(*dlg, 1)->edit->GetText(),
              "\r\n" + Lines({"strSQL += \"\";", "strSQL += \"SELECT \";", "strSQL += \" a, b \";",
                              "strSQL += \"FROM \";", "strSQL += \" t \";", "strSQL += \"WHERE \";",
                              "strSQL += \" x = 1 OR \";", "strSQL += \" y = 2 \";", "strSQL += \"ORDER BY \";",
                              "strSQL += \" a \";"}));
    // The editor text itself is untouched.
    EXPECT_EQ(dlg->EditorText(), kQuery);
}

TEST_F(TextResultTest, CaptionCarriesTheBufferTheCommandCameFrom) {
    auto dlg = Open();
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_BREAK_SQL);
    dlg->SendCommand(res::ID_BUFFER_1 + 3);
    ASSERT_NE(Window(*dlg, 0), nullptr);
    EXPECT_EQ(Window(*dlg, 0)->GetWindowText(), S("文字列処理 結果表示 － ｳｨﾝﾄﾞｳ 2"));
    // An empty editor opens nothing.
    dlg->SendCommand(res::ID_WRAP_SQL);
    EXPECT_EQ(Window(*dlg, 1), nullptr);
}

TEST_F(TextResultTest, EscapeIsIgnoredAndCtrlACtrlCCopiesTheWholeResult) {
    auto dlg = Open();
    dlg->curEdit->SetText("select x from y");
    dlg->SendCommand(res::ID_BREAK_SQL);
    CTextResultDlg* w = Window(*dlg, 0);
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w->edit, Qt::Key_Escape);
    Pump();
    ASSERT_EQ(Window(*dlg, 0), w);
    QTest::keyClick(w->edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(), "\r\nSELECT\r\n x \r\nFROM\r\n y");
}

TEST_F(TextResultTest, SizeIsRestoredSavedAndTheEditFollowsResizes) {
    auto dlg = Open("[SYSTEM]\r\nWINSIZE3=520,410\r\n");
    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_WRAP_SQL);
    CTextResultDlg* w = Window(*dlg, 0);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->OuterSize(), QSize(520, 410));
    w->ResizeOuter(600, 450);
    w->close();
    Pump();
    EXPECT_EQ(dlg->settings.winSize[AppSettings::kTextResult].width, 600);
}

TEST_F(TextResultTest, HandEditedSizesStayWithinTheScreenAndUsable) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    auto dlg = Open("[SYSTEM]\r\nWINSIZE3=-1,-1\r\nFONTSIZE=2147483647\r\n");
    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_WRAP_SQL);
    CTextResultDlg* w = Window(*dlg, 0);
    ASSERT_NE(w, nullptr);
    EXPECT_GE(w->OuterSize().width(), 200);
    EXPECT_GE(w->ClientHeight(), 60);
    EXPECT_EQ(w->edit->font().pointSize(), 72);
    dlg->settings.winSize[AppSettings::kTextResult] = {100000, 100000};
    dlg->SendCommand(res::ID_WRAP_SQL);
    EXPECT_LE(Window(*dlg, 1)->OuterSize().width(), screen.width());
}

TEST_F(TextResultTest, ClosingTheMainWindowClosesResultWindowsFirst) {
    auto dlg = Open();
    dlg->curEdit->SetText("select 1");
    dlg->SendCommand(res::ID_WRAP_SQL);
    dlg->SendCommand(res::ID_WRAP_SQL);
    Window(*dlg, 1)->ResizeOuter(480, 400);
    QPointer<CTextResultDlg> first = Window(*dlg, 0);
    dlg->DestroyWindow();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Window(*dlg, i), nullptr);
    EXPECT_EQ(dlg->settings.winSize[AppSettings::kTextResult].width, 480);
    // The windows delete themselves later, after the main window.
    dlg.reset();
    EXPECT_TRUE(first.isNull());
}

}  // namespace
