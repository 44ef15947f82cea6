#include "platform/cdialog.h"
#include "platform/combo_box.h"
#include "platform/edit_control.h"
#include "platform/menu_resource.h"
#include "resources/resource_ids.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
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

// A name with a wildcard typed into the real dialog lists the files that
// match it; the dialog stays open and chooses nothing.
TEST_F(PlatformTest, AWildcardNameInTheFileDialogsIsAFilter) {
    platform::SetFileDialogResponder(nullptr);
    for (const char* file : {"ab.sql", "abc.sql", "x.sql"}) WriteFileBytes((Dir() / file).string(), "");
    const std::pair<const char*, QStringList> names[] = {{"*.sql", {"ab.sql", "abc.sql", "x.sql"}},
                                                         {"a?.sql", {"ab.sql"}}};
    for (const auto kind : {platform::FileDialogKind::Save, platform::FileDialogKind::Open}) {
        for (const auto& [typed, matching] : names) {
            SCOPED_TRACE(typed);
            bool stayedOpen = false;
            QStringList listed;
            // Any other window the name brings up (a "not found" box) is
            // noted and closed, so that the test fails rather than hangs.
            QString other;
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [&] {
                QWidget* top = QApplication::activeModalWidget();
                if (top && !qobject_cast<QFileDialog*>(top)) {
                    other = top->metaObject()->className();
                    top->close();
                }
            });
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_TRUE(dialog);
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                auto* list = dialog->findChild<QListView*>("listView");
                ASSERT_TRUE(name && list);
                guard.start(3000);
                name->setText(QString::fromUtf8(typed));
                QTest::keyClick(name, Qt::Key_Return);
                stayedOpen = dialog->isVisible();
                (void)QTest::qWaitFor([&] {
                    listed.clear();
                    for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r) {
                        listed << list->model()->index(r, 0, list->rootIndex()).data().toString();
                    }
                    return listed == matching;
                });
                dialog->reject();
            });
            const platform::FileDialogRequest request{.kind = kind,
                                                      .folder = Dir().string(),
                                                      .fileName = "*.sql",
                                                      .filter = "SQL Files (*.sql)|*.sql||",
                                                      .defaultSuffix = "sql"};
            EXPECT_EQ(platform::ShowFileDialog(nullptr, request), std::nullopt);
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(listed, matching);
            EXPECT_TRUE(other.isEmpty()) << other.toStdString();
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), std::filesystem::directory_iterator()), 3);
}

// Tab goes round the controls of each window in the order its control
// table lists them, a radio group being one stop (the main and text windows'
// editors take Tab as text).
TEST_F(PlatformTest, TabVisitsEachWindowsControlsInTheirOrder) {
    using namespace res;
    const std::pair<int, std::vector<int>> windows[] = {
        {IDD_QUERY_RESULT, {IDC_RESULT_SQL, IDC_COPY, IDC_RESULT_LIST}},
        {IDD_DB_INFO, {IDC_SCHEMA, IDC_OBJECT_KIND, IDC_DETAIL_KIND, IDC_OBJECT_LIST, IDC_DETAIL_LIST, IDC_COPY}},
        {IDD_BATCH_RUN, {IDC_COPY, IDC_BATCH_LOG}},
        {IDD_SETTINGS,
         {IDC_LINE_BREAK_COUNT, IDC_PARAM_NAME, IDC_LANGUAGE_VCPP, IDC_RESULT_MAX, IDC_TIMEOUT, IDC_FONT_SIZE,
          platform::IDOK, platform::IDCANCEL}},
        {IDD_CONNECT, {IDC_HOST_STRING, IDC_USER_NAME, IDC_PASSWORD, platform::IDOK, platform::IDCANCEL}},
        {IDD_FIND,
         {IDC_SEARCH_TEXT, platform::IDOK, platform::IDCANCEL, IDC_WHOLE_WORD, IDC_MATCH_CASE, IDC_SEARCH_UP}},
        {IDD_REPLACE,
         {IDC_SEARCH_TEXT, IDC_REPLACE_TEXT, IDC_FIND_NEXT, IDC_REPLACE_ONCE, IDC_REPLACE_ALL, platform::IDCANCEL,
          IDC_WHOLE_WORD, IDC_MATCH_CASE, IDC_SCOPE_WHOLE_TEXT}},
    };
    for (const auto& [id, order] : windows) {
        SCOPED_TRACE(id);
        platform::CDialog dialog(id);
        dialog.Create(nullptr);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.GetDlgItem(order.front())->setFocus();
        std::vector<int> visited;
        for (std::size_t i = 0; i <= order.size(); ++i) {
            const QWidget* focus = QApplication::focusWidget();
            int at = 0;
            for (const platform::DlgControl& c : dialog.Template().controls) {
                const QWidget* item = c.id > 0 ? dialog.GetDlgItem(c.id) : nullptr;
                if (item && (item == focus || item->isAncestorOf(focus))) at = c.id;
            }
            visited.push_back(at);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        std::vector<int> round = order;
        round.push_back(order.front());  // and on from the last to the first
        EXPECT_EQ(visited, round);
    }
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
