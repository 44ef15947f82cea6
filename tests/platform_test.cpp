#include "platform/cdialog.h"
#include "platform/combo_box.h"
#include "platform/edit_control.h"
#include "platform/menu_resource.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"
#include "support/gui_test.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class PlatformTest : public GuiTest {};

using platform::ControlKind;

// A dialog with every control kind a search or settings dialog needs.
const platform::DlgTemplate kOptions{
    9001, "Options", 220, 120, "ＭＳ Ｐゴシック", 9, platform::kSystemMenu, 0,
    {
        {-1, ControlKind::Static, "検索文字列(&N):", 8, 9, 47, 12, platform::kVisible},
        {1027, ControlKind::ComboEdit, "", 57, 7, 140, 59, platform::kVisible | platform::kGroup},
        {1029, ControlKind::CheckBox, "単語単位で探す(&W)", 8, 28, 95, 14, platform::kVisible | platform::kGroup},
        {-1, ControlKind::GroupBox, "検索する方向", 122, 27, 74, 36, platform::kVisible},
        {1031, ControlKind::Radio, "上へ(&U)", 129, 38, 47, 10, platform::kVisible | platform::kGroup},
        {1032, ControlKind::Radio, "下へ(&D)", 129, 50, 47, 10, platform::kVisible},
        {-1, ControlKind::GroupBox, "言語形式", 8, 66, 100, 30, platform::kVisible | platform::kGroup},
        {1018, ControlKind::Radio, "VC++", 14, 78, 40, 10, platform::kVisible | platform::kGroup},
        {1019, ControlKind::Radio, "VB", 60, 78, 40, 10, platform::kVisible},
        {1038, ControlKind::ComboList, "", 122, 70, 40, 80, platform::kVisible | platform::kGroup,
         {"7", "8", "9", "10", "11", "12", "14", "16", "18"}},
        {1, ControlKind::DefButton, "OK", 165, 100, 48, 14, platform::kVisible | platform::kGroup},
        {2, ControlKind::Button, "ｷｬﾝｾﾙ", 110, 100, 48, 14, platform::kVisible},
    }};

void Click(platform::CDialog& d, int id) {
    QWidget* w = d.GetDlgItem(id);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2));
}

TEST_F(PlatformTest, RadioGroupsStayApartAndCheckBoxesToggle) {
    platform::CDialog dlg(kOptions);
    modalDriver = [](platform::CDialog& d) {
        EXPECT_FALSE(d.IsButtonChecked(1031) || d.IsButtonChecked(1032) || d.IsButtonChecked(1018));
        Click(d, 1032);
        Click(d, 1019);
        EXPECT_TRUE(d.IsButtonChecked(1032));
        EXPECT_TRUE(d.IsButtonChecked(1019));
        Click(d, 1031);
        EXPECT_TRUE(d.IsButtonChecked(1031));
        EXPECT_FALSE(d.IsButtonChecked(1032));
        EXPECT_TRUE(d.IsButtonChecked(1019));  // the other group kept its choice
        Click(d, 1031);                        // a chosen radio button stays chosen
        EXPECT_TRUE(d.IsButtonChecked(1031));

        d.CheckRadioButton(1018, 1019, 1018);
        EXPECT_TRUE(d.IsButtonChecked(1018));
        EXPECT_FALSE(d.IsButtonChecked(1019));
        d.CheckButton(1018, false);
        EXPECT_FALSE(d.IsButtonChecked(1018) || d.IsButtonChecked(1019));
        EXPECT_TRUE(d.IsButtonChecked(1031));

        EXPECT_FALSE(d.IsButtonChecked(1029));
        Click(d, 1029);
        EXPECT_TRUE(d.IsButtonChecked(1029));
        Click(d, 1029);
        EXPECT_FALSE(d.IsButtonChecked(1029));
        d.CheckButton(1029, true);
        EXPECT_TRUE(d.IsButtonChecked(1029));
        EXPECT_EQ(d.GetItemText(1029), platform::Sjis("単語単位で探す(&W)"));
        d.EndDialog(platform::IDOK);
    };
    EXPECT_EQ(dlg.DoModal(), platform::IDOK);
}

TEST_F(PlatformTest, ComboBoxesHoldTheirItemsAndFindByPrefix) {
    platform::CDialog dlg(kOptions);
    modalDriver = [](platform::CDialog& d) {
        auto* fonts = d.Item<QComboBox>(1038);
        auto* search = d.Item<QComboBox>(1027);
        ASSERT_TRUE(fonts && search);
        // The box shows at its own height; the template's is the opened list's.
        EXPECT_LT(search->height(), d.DialogUnitsToPixelsY(59));
        EXPECT_EQ(search->height(), search->sizeHint().height());

        ASSERT_EQ(platform::ComboItemCount(fonts), 9);
        EXPECT_EQ(platform::ComboSelection(fonts), -1);
        EXPECT_EQ(d.GetItemText(1038), "");
        EXPECT_EQ(platform::SelectComboPrefix(fonts, "1"), 3);  // "10", the first that begins with 1
        EXPECT_EQ(d.GetItemText(1038), "10");
        EXPECT_EQ(platform::SelectComboPrefix(fonts, "13"), -1);
        EXPECT_EQ(d.GetItemText(1038), "10");                  // unchanged
        EXPECT_EQ(platform::FindComboPrefix(fonts, "1", 5), 6);  // after "12": "14"
        EXPECT_EQ(platform::FindComboPrefix(fonts, "7", 8), 0);  // wraps round
        d.SetItemText(1038, "16");
        EXPECT_EQ(platform::ComboSelection(fonts), 7);
        platform::SelectComboItem(fonts, -1);
        EXPECT_EQ(d.GetItemText(1038), "");

        // The editable box: the program fills its list, the user types.
        const std::string kanji = platform::Sjis("社員 where 名前 = '髙'");
        EXPECT_EQ(platform::AddComboItem(search, kanji), 0);
        EXPECT_EQ(platform::AddComboItem(search, "select"), 1);
        platform::SelectComboItem(search, 0);
        EXPECT_EQ(d.GetItemText(1027), kanji);
        d.SetItemText(1027, "");
        search->setFocus();
        QTest::keyClicks(search, "se");
        EXPECT_EQ(d.GetItemText(1027), "se");  // nothing completed
        QTest::keyClick(search, Qt::Key_Return);
    };
    EXPECT_EQ(dlg.DoModal(), platform::IDOK);  // Enter in the box pressed OK...
    EXPECT_EQ(platform::ComboItemCount(dlg.Item<QComboBox>(1027)), 2);  // ...and added no item
    EXPECT_EQ(dlg.GetItemText(1027), "se");
}

TEST(PrefixSearchTest, IgnoresTheCaseOfLettersButNotOfDoubleByteCharacters) {
    const std::vector<std::string> items = {"Select", "\x83\x61", "update", "SELECT *"};
    EXPECT_EQ(platform::FindPrefix(items, "sel", -1), 0);
    EXPECT_EQ(platform::FindPrefix(items, "sel", 0), 3);
    EXPECT_EQ(platform::FindPrefix(items, "SEL", 3), 0);
    EXPECT_EQ(platform::FindPrefix(items, "", -1), 0);
    // 83 61 and 83 41 are two characters whose second bytes differ like a and A.
    EXPECT_EQ(platform::FindPrefix(items, "\x83\x41", -1), -1);
    EXPECT_EQ(platform::FindPrefix(items, "\x83\x61", -1), 1);
    EXPECT_EQ(platform::FindPrefix(items, "select *x", -1), -1);
    EXPECT_EQ(platform::FindPrefix({}, "a", -1), -1);
}

TEST_F(PlatformTest, FileDialogsAreAnsweredByTheTestAndRecorded) {
    EXPECT_EQ(platform::NameFiltersOf("SQL Files (*.sql)|*.sql||"), std::vector<std::string>{"SQL Files (*.sql)"});
    EXPECT_EQ(platform::NameFiltersOf("Text|*.txt;*.log|All (*.*)|*.*||"),
              (std::vector<std::string>{"Text (*.txt *.log)", "All (*.*)"}));

    fileAnswer = [](const platform::FileDialogRequest& r) -> std::optional<std::string> {
        if (r.kind == platform::FileDialogKind::Open) return std::nullopt;
        return "/tmp/chosen.sql";
    };
    platform::FileDialogRequest open{platform::FileDialogKind::Open, "../sql", "*.sql", "SQL Files (*.sql)|*.sql||", "sql"};
    EXPECT_EQ(platform::ShowFileDialog(nullptr, open), std::nullopt);
    platform::FileDialogRequest save = open;
    save.kind = platform::FileDialogKind::Save;
    EXPECT_EQ(platform::ShowFileDialog(nullptr, save), "/tmp/chosen.sql");
    ASSERT_EQ(FileDialogs().size(), 2u);
    EXPECT_EQ(FileDialogs()[0].kind, platform::FileDialogKind::Open);
    EXPECT_EQ(FileDialogs()[1].kind, platform::FileDialogKind::Save);
    EXPECT_EQ(FileDialogs()[1].folder, "../sql");
    EXPECT_EQ(FileDialogs()[1].filter, "SQL Files (*.sql)|*.sql||");
    EXPECT_EQ(FileDialogs()[1].defaultSuffix, "sql");
}

TEST_F(PlatformTest, TemplatesBuildTheirControls) {
    platform::CDialog dlg(res::IDD_CONNECT);
    modalDriver = [](platform::CDialog& d) {
        ASSERT_NE(d.GetDlgItem(platform::IDOK), nullptr);
        EXPECT_EQ(d.GetItemText(platform::IDCANCEL), platform::Sjis("ｷｬﾝｾﾙ"));
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
    {
        // The keypad's Enter, which arrives with the keypad modifier.
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = [](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); };
        EXPECT_EQ(dlg.DoModal(), platform::IDOK);
    }
    {
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = [](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Return, Qt::ControlModifier); };
        EXPECT_EQ(dlg.DoModal(), platform::IDCANCEL);
    }
}

// A dialog that handles only New from the main window's table.
class NewOnlyDialog : public platform::CDialog {
public:
    NewOnlyDialog() : CDialog(res::IDD_TEXT_RESULT) { MapCommand(res::ID_FILE_NEW, [this] { ++newCount; }); }
    bool PreTranslateKey(QKeyEvent* event) override {
        return TranslateAccelerator(platform::FindAccelTable(res::IDR_MAIN_ACCEL), event);
    }
    int newCount = 0;
};

TEST_F(PlatformTest, KeysOfUnhandledCommandsGoOnToTheControl) {
    NewOnlyDialog dlg;
    dlg.Create(nullptr);
    dlg.show();
    auto* edit = dlg.Item<platform::CEdit>(res::IDC_TEXT_RESULT_EDIT);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);  // in the table, no handler: the edit selects all
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(edit->GetText(), "x");
    QTest::keyClick(edit, Qt::Key_N, Qt::ControlModifier);  // handled: taken from the edit
    EXPECT_EQ(dlg.newCount, 1);
    EXPECT_EQ(edit->GetText(), "x");
}

// Records every key offered to the window before its controls see it.
class KeyRecorder : public platform::CDialog {
public:
    KeyRecorder() : CDialog(res::IDD_CONNECT) {}
    bool PreTranslateKey(QKeyEvent* event) override {
        offered.push_back(event->key());
        return false;
    }
    std::vector<int> offered;
};

TEST_F(PlatformTest, EveryKeyIsOfferedToItsWindowExactlyOnce) {
    KeyRecorder dlg;
    modalDriver = [](platform::CDialog& d) {
        auto& recorder = static_cast<KeyRecorder&>(d);
        QWidget* edit = d.GetDlgItem(res::IDC_HOST_STRING);
        QTest::keyClick(edit, Qt::Key_A);
        // The next key is sent to an ancestor of the edit: it is a new key.
        QTest::keyClick(&d, Qt::Key_F3);
        // The edit ignores F3, which then travels up to the window: still one key.
        QTest::keyClick(edit, Qt::Key_F3);
        QTest::keyClick(d.Client(), Qt::Key_F4);
        EXPECT_EQ(recorder.offered, (std::vector<int>{Qt::Key_A, Qt::Key_F3, Qt::Key_F3, Qt::Key_F4}));
        EXPECT_EQ(d.GetItemText(res::IDC_HOST_STRING), "a");
    };
    dlg.DoModal();
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
