#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/main_window_fixture.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <memory>

namespace {

class EditorCommandsTest : public MainWindowFixture {
protected:
    static std::string Clipboard() { return platform::QStringToCp932(QGuiApplication::clipboard()->text()); }
    static void SetClipboard(const std::string& cp932) {
        QGuiApplication::clipboard()->setText(platform::Cp932ToQString(cp932));
    }
    static void Key(CMainDlg& dlg, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        QTest::keyClick(dlg.curEdit, key, mods);
    }
};

// The keys of the Edit menu reach their commands from inside the editor, and
// text crosses the clipboard with CR LF line ends.
TEST_F(EditorCommandsTest, ClipboardKeysCutCopyPasteAndSelectAll) {
    auto dlg = OpenActive();
    dlg->curEdit->SetText(S("select 名前\r\nfrom 社員"));

    Key(*dlg, Qt::Key_A);
    Key(*dlg, Qt::Key_C);
    EXPECT_EQ(Clipboard(), S("select 名前\r\nfrom 社員"));
    EXPECT_EQ(dlg->EditorText(), S("select 名前\r\nfrom 社員"));

    dlg->curEdit->SetSel(7, 13);  // 名前 CR LF
    Key(*dlg, Qt::Key_X);
    EXPECT_EQ(Clipboard(), S("名前\r\n"));
    EXPECT_EQ(dlg->EditorText(), S("select from 社員"));

    // Text from elsewhere: every CR LF is one line break, a bare LF too.
    SetClipboard("a\r\nb\nc\r\n");
    dlg->curEdit->SetSel(0, 0);
    Key(*dlg, Qt::Key_V);
    EXPECT_EQ(dlg->EditorText(), S("a\r\nb\r\nc\r\nselect from 社員"));
}

// A paste or drop that would take the text past the typing limit is refused
// whole with a message, and the editor keeps its text. The limit counts what
// the editor holds: a line break (CR LF in the text) is one character.
TEST_F(EditorCommandsTest, PastePastTheTypingLimitIsRefusedWhole) {
    auto dlg = OpenActive();
    constexpr int kLimit = 2097152;
    const auto characters = [](int n) {  // lines of nine letters and a line break
        std::string text;
        for (; n >= 10; n -= 10) text += "abcdefghi\r\n";
        return text + std::string(static_cast<size_t>(n), 'z');
    };
    const std::string refusal = S("貼り付けると、ｴﾃﾞｨﾀの文字数が制限を越えます(2097152文字まで)。");
    for (int n : {kLimit - 1, kLimit, kLimit + 1}) {
        platform::ShownMessages().clear();
        dlg->curEdit->SetText("keep");
        dlg->curEdit->SetSel(0, std::string::npos);  // replaced by the paste
        SetClipboard(characters(n));
        Key(*dlg, Qt::Key_V);
        if (n <= kLimit) {
            EXPECT_EQ(dlg->EditorText(), characters(n)) << n;
            EXPECT_TRUE(platform::ShownMessages().empty()) << n;
        } else {
            EXPECT_EQ(dlg->EditorText(), "keep");
            ASSERT_EQ(platform::ShownMessages().size(), 1u);
            EXPECT_EQ(platform::ShownMessages()[0].text, refusal);
            EXPECT_EQ(platform::ShownMessages()[0].flags, 48);
        }
    }

    // Ten megabytes through the Edit menu, and dropped.
    platform::ShownMessages().clear();
    dlg->curEdit->SetText("keep");
    SetClipboard(std::string(10u << 20, 'q'));
    dlg->SendCommand(res::ID_EDIT_PASTE);
    QMimeData dropped;
    dropped.setText(QString(kLimit, 'q'));
    QDragEnterEvent enter(QPoint(30, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg->curEdit->viewport(), &enter);
    QDropEvent drop(QPointF(30, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg->curEdit->viewport(), &drop);
    EXPECT_EQ(dlg->EditorText(), "keep");
    EXPECT_EQ(platform::ShownMessages().size(), 2u);

    // Text already past the limit (opened from a file) takes nothing that
    // makes it longer, but stays editable.
    platform::ShownMessages().clear();
    dlg->curEdit->SetText(characters(kLimit + 5));
    dlg->curEdit->SetSel(0, 0);
    QTest::keyClicks(dlg->curEdit, "x");
    QTest::keyClick(dlg->curEdit, Qt::Key_Return);
    QTest::keyClick(dlg->curEdit, Qt::Key_Delete);
    dlg->curEdit->SetSel(0, 3);
    QTest::keyClicks(dlg->curEdit, "x");
    EXPECT_EQ(dlg->EditorText(), "xefghi\r\n" + characters(kLimit + 5).substr(11));
    EXPECT_TRUE(platform::ShownMessages().empty());
}

TEST_F(EditorCommandsTest, UndoIsOneLevelAndASecondUndoTakesBackTheFirst) {
    auto dlg = OpenActive();
    QTest::keyClicks(dlg->curEdit, "select");
    QTest::keyClick(dlg->curEdit, Qt::Key_Return);
    QTest::keyClicks(dlg->curEdit, "1");
    const std::string typed = dlg->EditorText();
    ASSERT_EQ(typed, "select\r\n1");

    Key(*dlg, Qt::Key_Z);
    const std::string undone = dlg->EditorText();
    EXPECT_NE(undone, typed);
    Key(*dlg, Qt::Key_Z);
    EXPECT_EQ(dlg->EditorText(), typed);

    // After an edit, undo takes back that edit, not the one before.
    QTest::keyClicks(dlg->curEdit, "x");
    Key(*dlg, Qt::Key_Z);
    EXPECT_EQ(dlg->EditorText(), typed);
    Key(*dlg, Qt::Key_Z);
    EXPECT_EQ(dlg->EditorText(), typed + "x");
}

TEST_F(EditorCommandsTest, CaseConversionChangesOnlyAsciiLettersAndCannotBeUndone) {
    auto dlg = OpenActive();
    dlg->SendCommand(res::ID_UPPER_CASE);  // empty editor: nothing happens
    EXPECT_TRUE(dlg->curEdit->IsEmpty());

    // 名 (96 BC), a double-byte character with a trail byte in a-z (83 61),
    // an IBM extension with one (FA 61), one in the NEC-selected rows (ED 61),
    // and half-width katakana.
    const std::string lower = "select a_b from t where n = '" + S("名ｶﾅ") + "\x83\x61\xFA\x61\xED\x61' -- x\r\n";
    const std::string upper = "SELECT A_B FROM T WHERE N = '" + S("名ｶﾅ") + "\x83\x61\xFA\x61\xED\x61' -- X\r\n";
    dlg->curEdit->SetText(lower);
    QTest::keyClicks(dlg->curEdit, "z");  // something the undo could take back
    Key(*dlg, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(dlg->EditorText(), "Z" + upper);
    Key(*dlg, Qt::Key_Z);  // undo right after the conversion changes nothing
    EXPECT_EQ(dlg->EditorText(), "Z" + upper);

    Key(*dlg, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(dlg->EditorText(), "z" + lower);
}

TEST_F(EditorCommandsTest, SqlExtractionKeepsTheLiteralsAndTheLineEnds) {
    auto dlg = OpenActive();
    dlg->curEdit->SetText("strSQL = \"SELECT *\"\r\nstrSQL = strSQL & \" FROM T\"\r\n");
    Key(*dlg, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(dlg->EditorText(), "SELECT *\r\n FROM T\r\n");

    dlg->curEdit->SetText(S("select 名前\r\nfrom t\r\n"));
    dlg->SendCommand(res::ID_EXTRACT_SQL);
    EXPECT_EQ(dlg->EditorText(), "\r\n\r\n");
}

// The editor the user sees and types into: the one on top.
QWidget* EditorOnTop(CMainDlg& dlg) {
    QWidget* area = dlg.editPlain->parentWidget();
    QWidget* hit = area->childAt(dlg.editPlain->geometry().center());
    while (hit && hit->parentWidget() != area) hit = hit->parentWidget();
    return hit;
}

// The widest line of the text's first paragraph, as laid out on screen.
qreal WidestLine(CSqlEdit* edit) {
    QTextLayout* layout = edit->document()->firstBlock().layout();
    qreal widest = 0;
    for (int i = 0; i < layout->lineCount(); ++i) widest = std::max(widest, layout->lineAt(i).naturalTextWidth());
    return widest;
}

TEST_F(EditorCommandsTest, WordWrapShowsTheSameTextInTheOtherEditor) {
    auto dlg = OpenActive();
    QAction* item = dlg->MenuItem(res::ID_WORD_WRAP);

    const std::string longLine = "select " + std::string(2000, 'x') + S(" from 社員");
    const std::string text = longLine + "\r\n" + S("ｶﾅ\t～①") + std::string("\x80\xA0\xFD", 3) + "\r\n";
    dlg->curEdit->SetText(text);
    QTest::keyClicks(dlg->curEdit, "q");
    dlg->curEdit->SetSel(3, 5);

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(EditorOnTop(*dlg), dlg->editWrap);
    EXPECT_TRUE(dlg->editWrap->hasFocus());
    EXPECT_EQ(dlg->EditorText(), "q" + text);
    EXPECT_FALSE(dlg->curEdit->document()->isUndoAvailable());
    size_t start = 0, end = 0;
    dlg->curEdit->GetSel(start, end);
    EXPECT_EQ(start, 3u);
    EXPECT_EQ(end, 5u);

    // The long line wraps at the editor's right edge, also after the window
    // grows or shrinks.
    for (int width : {400, 900}) {
        dlg->ResizeOuter(width, 500);
        Pump();
        EXPECT_GT(dlg->editWrap->document()->firstBlock().layout()->lineCount(), 1) << width;
        EXPECT_LE(WidestLine(dlg->editWrap), dlg->editWrap->viewport()->width()) << width;
    }

    // A buffer chosen while wrap is on is shown wrapped; the switch back
    // shows that buffer's text unwrapped.
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    dlg->curEdit->SetText("buffer two");
    EXPECT_EQ(dlg->editWrap->GetText(), "buffer two");
    EXPECT_EQ(EditorOnTop(*dlg), dlg->editWrap);
    dlg->SendCommand(res::ID_WORD_WRAP);
    EXPECT_EQ(EditorOnTop(*dlg), dlg->editPlain);
    EXPECT_EQ(dlg->EditorText(), "buffer two");
    dlg->SendCommand(res::ID_BUFFER_1);
    EXPECT_EQ(dlg->editPlain->GetText(), "q" + text);
    Pump();
    EXPECT_EQ(dlg->editPlain->document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(EditorCommandsTest, AboutBoxFromTheHelpMenu) {
    auto dlg = OpenActive();
    std::string caption;
    modalDriver = [&](platform::CDialog& about) {
        caption = about.GetWindowText();
        qobject_cast<QPushButton*>(about.GetDlgItem(platform::IDOK))->click();
        EXPECT_FALSE(about.isVisible());
    };
    dlg->MenuItem(res::ID_APP_ABOUT)->trigger();
    EXPECT_EQ(caption, S("vetchのﾊﾞｰｼﾞｮﾝ情報"));
}

}  // namespace
