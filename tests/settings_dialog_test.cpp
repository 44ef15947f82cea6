#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "settings/app_settings.h"
#include "settings/settings_dlg.h"
#include "support/main_window_fixture.h"
#include "texttools/sql_wrap.h"
#include "texttools/text_result_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <tuple>

namespace {

class SettingsDialogTest : public MainWindowFixture {
protected:
    static QComboBox* Combo(platform::CDialog& d) { return d.Item<QComboBox>(res::IDC_FONT_SIZE); }
    static int SelectedFontEntry(platform::CDialog& d) { return Combo(d)->currentIndex(); }
};

TEST_F(SettingsDialogTest, ShowsTheSettingsAndCancelAfterEditingEveryFieldChangesNothing) {
    AppSettings settings("vetch.ini");
    settings.lineBreakCount = 80;
    settings.paramName = "strSQL";
    settings.language = 1;
    settings.resultMax = 500;
    settings.timeout = 30;
    settings.fontSize = 12;
    modalDriver = [&](platform::CDialog& d) {
        EXPECT_EQ(d.GetItemText(res::IDC_LINE_BREAK_COUNT), "80");
        EXPECT_TRUE(d.IsButtonChecked(res::IDC_LANGUAGE_VB));
        EXPECT_EQ(d.GetItemText(res::IDC_FONT_SIZE), "12");

        Retype(d, res::IDC_LINE_BREAK_COUNT, "40");
        Retype(d, res::IDC_PARAM_NAME, "sql");
        d.Item<QRadioButton>(res::IDC_LANGUAGE_VCPP)->click();
        EXPECT_FALSE(d.IsButtonChecked(res::IDC_LANGUAGE_VB));  // one group: the other goes off
        Retype(d, res::IDC_RESULT_MAX, "7");
        Retype(d, res::IDC_TIMEOUT, "9");
        Combo(d)->setCurrentIndex(0);
        Press(d, platform::IDCANCEL);
    };
    CSettingsDlg dlg(&settings);
    EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);
    EXPECT_EQ(std::make_tuple(settings.lineBreakCount, settings.paramName, settings.language, settings.resultMax,
                              settings.timeout, settings.fontSize),
              std::make_tuple(80, std::string("strSQL"), 1, 500, 30, 12));
}

TEST_F(SettingsDialogTest, OkStoresWhatTheFieldsHold) {
    AppSettings settings("vetch.ini");
    modalDriver = [&](platform::CDialog& d) {
        // The number fields take digits only.
        Retype(d, res::IDC_TIMEOUT, "a-5x0");
        EXPECT_EQ(d.GetItemText(res::IDC_TIMEOUT), "50");
        Retype(d, res::IDC_RESULT_MAX, "");  // emptied
        Retype(d, res::IDC_LINE_BREAK_COUNT, "99999999999999999999");
        Retype(d, res::IDC_PARAM_NAME, "");
        d.Item<QLineEdit>(res::IDC_PARAM_NAME)->insert(QString::fromUtf8("変数名"));  // as an input method types it
        Combo(d)->setCurrentIndex(7);  // "16"
        Press(d, platform::IDOK);
    };
    CSettingsDlg dlg(&settings);
    EXPECT_EQ(dlg.DoModal(), platform::IDOK);
    EXPECT_EQ(settings.timeout, 50);
    EXPECT_EQ(settings.resultMax, 0);
    EXPECT_EQ(settings.lineBreakCount, INT32_MAX);
    EXPECT_EQ(settings.paramName, S("変数名"));
    EXPECT_EQ(settings.language, 0);
    EXPECT_EQ(settings.fontSize, 16);
}

TEST_F(SettingsDialogTest, TheFontSizeIsFoundByPrefix) {
    AppSettings settings("vetch.ini");
    struct Case {
        int stored, selected, afterOk;
    } cases[] = {{10, 3, 10}, {13, -1, 0}, {1, 3, 10}, {-1, -1, 0}};
    for (const Case& c : cases) {
        settings.fontSize = c.stored;
        int selected = -2;
        modalDriver = [&](platform::CDialog& d) {
            selected = SelectedFontEntry(d);
            Press(d, platform::IDOK);
        };
        CSettingsDlg dlg(&settings);
        EXPECT_EQ(dlg.DoModal(), platform::IDOK);
        EXPECT_EQ(selected, c.selected) << c.stored;
        EXPECT_EQ(settings.fontSize, c.afterOk) << c.stored;
    }
}

// Alt+F7 from the editor; after OK the editors and every open result window
// take the new font, and the next F9 wraps in the chosen language.
TEST_F(SettingsDialogTest, OkRenewsFontsAndTheNextWrapUsesTheLanguage) {
    auto main = Open();
    modalShown.clear();
    main->curEdit->SetText("select 1 from t");
    main->SendCommand(res::ID_WRAP_SQL);
    auto* result = qobject_cast<CTextResultDlg*>(main->SlotWindow(CMainDlg::kTextResultGroup, 0));
    ASSERT_NE(result, nullptr);
    const std::string vcpp = result->edit->GetText();

    modalDriver = [&](platform::CDialog& d) {
        Combo(d)->setCurrentIndex(8);  // "18"
        d.Item<QRadioButton>(res::IDC_LANGUAGE_VB)->click();
        Retype(d, res::IDC_PARAM_NAME, "strSQL");
        Press(d, platform::IDOK);
    };
    QTest::keyClick(main->curEdit, Qt::Key_F7, Qt::AltModifier);
    EXPECT_EQ(modalShown, std::vector<int>{res::IDD_SETTINGS});
    EXPECT_EQ(main->editWrap->font().pointSize(), 18);
    EXPECT_EQ(result->edit->font().pointSize(), 18);
    EXPECT_EQ(result->edit->GetText(), vcpp);  // an open window keeps its text

    QTest::keyClick(main->curEdit, Qt::Key_F9);
    auto* vb = qobject_cast<CTextResultDlg*>(main->SlotWindow(CMainDlg::kTextResultGroup, 1));
    ASSERT_NE(vb, nullptr);
    EXPECT_NE(vb->edit->GetText().find("strSQL = strSQL & \""), std::string::npos) << vb->edit->GetText();

    // Cancel renews nothing.
    modalDriver = [&](platform::CDialog& d) {
        Combo(d)->setCurrentIndex(0);
        Press(d, platform::IDCANCEL);
    };
    main->SendCommand(res::ID_SETTINGS);
    EXPECT_EQ(main->editPlain->font().pointSize(), 18);
}

}  // namespace
