// The code-page edge as the windows show it.
#include "app/main_dlg.h"
#include "texttools/text_result_dlg.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"
#include "support/temp_dir.h"
#include "support/visible_text.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <iterator>
#include <memory>

namespace {

using CodepageWindowTest = MainWindowFixture;

TEST_F(CodepageWindowTest, UpperCaseKeepsIbmExtensions) {
    auto dlg = OpenActive();
    // 昱 is FA 63: its trail byte reads as "c".
    dlg->curEdit->SetText(S("select '昱子' from t"));
    QTest::keyClick(dlg->curEdit, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(dlg->EditorText(), S("SELECT '昱子' FROM T"));
    EXPECT_EQ(dlg->curEdit->toPlainText(), QString::fromUtf8("SELECT '昱子' FROM T"));
}

TEST_F(CodepageWindowTest, EditorTextComesBackAsTheBytesSetInto) {
    auto dlg = OpenActive();
    // ≒ in its NEC row 13 form, ¬ among the IBM extensions, ∵ in both, a
    // byte that is no CP932, line ends.
    const std::string text = "\x87\x90" "A\r\n\xFA\x54x\x87\x9A\xFA\x5B\r\n\x80z";
    dlg->curEdit->SetText(text);
    EXPECT_EQ(Visible(dlg->curEdit->toPlainText()), QString::fromUtf8("≒A\n￢x∵∵\n\uF780z"));
    EXPECT_EQ(dlg->EditorText(), text);
    // Through a buffer switch and the word-wrap switch, unedited.
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    dlg->SendCommand(res::ID_BUFFER_1);
    dlg->SendCommand(res::ID_WORD_WRAP);
    EXPECT_EQ(dlg->EditorText(), text);
    // F7 wraps the very bytes.
    dlg->SendCommand(res::ID_WRAP_SQL);
    auto* result = qobject_cast<CTextResultDlg*>(dlg->SlotWindow(CMainDlg::kTextResultGroup, 0));
    ASSERT_NE(result, nullptr);
    EXPECT_NE(result->edit->GetText().find(" += \"\x87\x90" "A \";"), std::string::npos);
}

TEST_F(CodepageWindowTest, ASettingsValueShowsAsItsCharactersAndIsSavedUnchanged) {
    std::ofstream("vetch.ini") << "[SQL]\r\nHOSTSTRING=\x87\x90" "A\r\nUSERNAME=\xFA\x54x\r\n";
    bool checked = false;
    modalDriver = [&](platform::CDialog& d) {
        if (d.Template().id != res::IDD_CONNECT) return;
        auto* host = d.Item<QLineEdit>(res::IDC_HOST_STRING);
        auto* user = d.Item<QLineEdit>(res::IDC_USER_NAME);
        EXPECT_EQ(Visible(host->text()), QString::fromUtf8("≒A"));
        EXPECT_EQ(Visible(user->text()), QString::fromUtf8("￢x"));
        const QFontMetrics metrics(host->font());
        EXPECT_EQ(metrics.horizontalAdvance(host->text()), metrics.horizontalAdvance(QString::fromUtf8("≒A")));
        // OK reads the fields back: the data source name is not found, and
        // the values are kept as they were.
        qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDOK))->click();
        // Backspace after ￢ takes it whole.
        user->setFocus();
        user->setCursorPosition(2);
        QTest::keyClick(user, Qt::Key_Backspace);
        EXPECT_EQ(user->text(), QStringLiteral("x"));
        checked = true;
    };
    {
        auto dlg = OpenActive();
        ASSERT_TRUE(checked);
        EXPECT_EQ(dlg->settings.hostString, "\x87\x90" "A");
        EXPECT_EQ(dlg->settings.userName, "\xFA\x54x");
    }
    const std::string file = ReadFileBytes("vetch.ini");
    EXPECT_NE(file.find("HOSTSTRING=\x87\x90" "A\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("USERNAME=\xFA\x54x\r\n"), std::string::npos) << file;
}

TEST_F(CodepageWindowTest, AJapaneseProgramNameShowsInTitlesAndMessageBoxes) {
    const std::string name = platform::ProgramDisplayName("/opt/tools/ベッチ.bin");
    EXPECT_EQ(name, S("ベッチ"));
    platform::SetAppDisplayName(name);
    {
        auto dlg = OpenActive();
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("ベッチ  － ｳｨﾝﾄﾞｳ 1"));
        dlg->SendCommand(res::ID_BUFFER_1 + 1);
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("ベッチ － ｳｨﾝﾄﾞｳ 2"));
        dlg->curEdit->SetText("x");
        dlg->SendCommand(res::ID_APP_EXIT);  // the exit question, answered OK
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].title, S("ベッチ"));
    }
    platform::SetAppDisplayName("vetch");
    EXPECT_EQ(platform::ProgramDisplayName("./vetch"), "vetch");
}

}  // namespace
