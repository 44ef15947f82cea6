#include "platform/cdialog.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"
#include "support/gui_test.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class PlatformTest : public GuiTest {};

TEST_F(PlatformTest, TemplatesBuildAtDialogUnitPositions) {
    platform::CDialog dlg(res::IDD_CONNECT);
    modalDriver = [](platform::CDialog& d) {
        QWidget* ok = d.GetDlgItem(platform::IDOK);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->geometry(), QRect(d.DialogUnitsToPixelsX(160), d.DialogUnitsToPixelsY(10),
                                        d.DialogUnitsToPixelsX(48), d.DialogUnitsToPixelsY(14)));
        EXPECT_EQ(d.ClientWidth(), d.DialogUnitsToPixelsX(216));
        EXPECT_EQ(d.ClientHeight(), d.DialogUnitsToPixelsY(104));
        EXPECT_EQ(qobject_cast<QLineEdit*>(d.GetDlgItem(res::IDC_PASSWORD))->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d.GetWindowText(), platform::Sjis("DBへの接続"));
    };
    EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);  // left open by the driver: cancelled
    EXPECT_EQ(modalShown, std::vector<int>{res::IDD_CONNECT});
}

TEST_F(PlatformTest, ButtonsEnterAndEscapeEndAModalDialog) {
    {
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = [](platform::CDialog& d) { qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDOK))->click(); };
        EXPECT_EQ(dlg.DoModal(), platform::IDOK);
    }
    {
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = [](platform::CDialog& d) { QTest::keyClick(d.GetDlgItem(platform::IDCANCEL), Qt::Key_Escape); };
        EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);
    }
    {
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = [](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Return); };
        EXPECT_EQ(dlg.DoModal(), platform::IDOK);
    }
}

TEST_F(PlatformTest, MessageBoxesAreTitledWithTheDisplayName) {
    messageAnswer = platform::IDCANCEL;
    EXPECT_EQ(platform::MessageBox(nullptr, S("確認"), 49), platform::IDCANCEL);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "vetch");
    EXPECT_EQ(Messages()[0].text, S("確認"));
    EXPECT_EQ(Messages()[0].flags, 49);
}

TEST_F(PlatformTest, FormattingCutsAtCharacterBoundaries) {
    EXPECT_EQ(platform::SjisFormat("%d件 更新しました", 3), S("3件 更新しました"));
    std::string text = S("ああ");  // 4 bytes
    EXPECT_EQ(platform::CutToBytes(text, 3), S("あ"));
    EXPECT_EQ(platform::CutToBytes(text, 4), text);
    EXPECT_EQ(platform::CutToBytes("abc", 0), "");
}

}  // namespace
