#include "platform/cdialog.h"
#include "platform/combo_box.h"
#include "platform/edit_control.h"
#include "platform/menu_resource.h"
#include "resources/resource_ids.h"
#include "support/gui_test.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

class PlatformTest : public GuiTest {};

TEST(PrefixSearchTest, IgnoresTheCaseOfLettersButNotOfDoubleByteCharacters) {
    const std::vector<std::string> items = {"Select", "\x83\x61", "update", "SELECT *"};
    EXPECT_EQ(platform::FindPrefix(items, "sel", 0), 3);
    // 83 61 and 83 41 are two characters whose second bytes differ like a and A.
    EXPECT_EQ(platform::FindPrefix(items, "\x83\x41", -1), -1);
    EXPECT_EQ(platform::FindPrefix(items, "\x83\x61", -1), 1);
}

TEST(FileDialogFilters, BecomeNameFilters) {
    EXPECT_EQ(platform::NameFiltersOf("SQL Files (*.sql)|*.sql||"), std::vector<std::string>{"SQL Files (*.sql)"});
    EXPECT_EQ(platform::NameFiltersOf("Text|*.txt;*.log|All (*.*)|*.*||"),
              (std::vector<std::string>{"Text (*.txt *.log)", "All (*.*)"}));
}

TEST_F(PlatformTest, ButtonsEnterAndEscapeEndAModalDialog) {
    using Press = std::function<void(platform::CDialog&)>;
    const std::vector<std::pair<Press, int>> cases{
        {[](platform::CDialog& d) { qobject_cast<QPushButton*>(d.GetDlgItem(platform::IDOK))->click(); }, platform::IDOK},
        {[](platform::CDialog& d) { QTest::keyClick(d.GetDlgItem(platform::IDCANCEL), Qt::Key_Escape); }, platform::IDCANCEL},
        {[](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, platform::IDOK},
        // The keypad's Enter, which arrives with the keypad modifier.
        {[](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); }, platform::IDOK},
        {[](platform::CDialog& d) { QTest::keyClick(&d, Qt::Key_Return, Qt::ControlModifier); }, platform::IDCANCEL},
    };
    for (const auto& [press, result] : cases) {
        platform::CDialog dlg(res::IDD_CONNECT);
        modalDriver = press;
        EXPECT_EQ(dlg.DoModal(), result);
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

}  // namespace
