#include "app/main_dlg.h"

#include "app/journal_session.h"
#include "results/result_window.h"
#include "texttools/text_transforms.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/qtext.h"
#include "platform/sjis_format.h"
#include "platform/window_thread.h"
#include "resources/images.h"
#include "resources/resource_ids.h"
#include "results/batch_run_dlg.h"
#include "results/db_info_dlg.h"
#include "results/query_result_dlg.h"
#include "settings/connect_dlg.h"
#include "settings/settings_dlg.h"
#include "texttools/text_result_dlg.h"

#include <QKeyEvent>

#include <cstdlib>

using platform::SjisFormat;

namespace {

constexpr int kTypingLimit = 2097152;
constexpr size_t kCaptionMax = 255;

}  // namespace

CMainDlg::CMainDlg(QWidget* parent) : CDialog(res::IDD_MAIN, parent) {
    icon = res::LoadIcon(res::IDI_MAIN);
    accelerators = platform::FindAccelTable(res::IDR_MAIN_ACCEL);

    MapCommand(res::ID_FILE_NEW, [this] { OnFileNew(); });
    MapCommand(res::ID_APP_EXIT, [this] { OnAppExit(); });
    MapCommand(res::ID_CONNECT, [this] { OnConnect(); });
    MapCommand(res::ID_EXECUTE_SQL, [this] { OnExecuteSql(); });
    MapCommand(res::ID_DATABASE_INFO, [this] { OnDatabaseInfo(); });
    MapCommand(res::ID_WRAP_SQL, [this] { OnWrapSql(); });
    MapCommand(res::ID_BREAK_SQL, [this] { OnBreakSql(); });
    MapCommand(res::ID_BREAK_AND_WRAP_SQL, [this] { OnBreakAndWrapSql(); });
    MapCommand(res::ID_LOAD_RUNNER, [this] { OnLoadRunner(); });
    MapCommand(res::ID_FIND, [this] { OnFind(); });
    MapCommand(res::ID_REPLACE, [this] { OnReplace(); });
    MapCommand(res::ID_FIND_NEXT, [this] { OnFindAgain(false); });
    MapCommand(res::ID_FIND_PREV, [this] { OnFindAgain(true); });
    MapCommandRange(res::ID_BUFFER_1, res::ID_BUFFER_5, [this](int id) { OnSelectBuffer(id); });
    MapCommand(res::ID_EDIT_UNDO, [this] { OnEditUndo(); });
    MapCommand(res::ID_EDIT_CUT, [this] { OnEditCut(); });
    MapCommand(res::ID_EDIT_COPY, [this] { OnEditCopy(); });
    MapCommand(res::ID_EDIT_PASTE, [this] { OnEditPaste(); });
    MapCommand(res::ID_EDIT_SELECT_ALL, [this] { OnEditSelectAll(); });
    MapCommand(res::ID_UPPER_CASE, [this] { OnUpperCase(); });
    MapCommand(res::ID_LOWER_CASE, [this] { OnLowerCase(); });
    MapCommand(res::ID_EXTRACT_SQL, [this] { OnExtractSql(); });
    MapCommand(res::ID_WORD_WRAP, [this] { OnWordWrap(); });
    MapCommand(res::ID_APP_ABOUT, [this] { OnAppAbout(); });
    MapCommand(res::ID_FILE_OPEN, [this] { OnFileOpen(); });
    MapCommand(res::ID_FILE_SAVE, [this] { OnFileSave(); });
    MapCommand(res::ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    MapCommand(res::ID_SETTINGS, [this] { OnSettings(); });
    // Commands without a handler here leave their keys to the editor.
}

CMainDlg::~CMainDlg() {
    // A window closed some other way still shuts down in order, while every
    // member is alive.
    DestroyWindow();
}

QWidget* CMainDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_EDIT_PLAIN || control.id == res::IDC_EDIT_WRAP) {
        auto* edit = new CSqlEdit(parent);
        bool plain = control.id == res::IDC_EDIT_PLAIN;
        edit->setLineWrapMode(plain ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        edit->setHorizontalScrollBarPolicy(plain ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        (plain ? editPlain : editWrap) = edit;
        return edit;
    }
    return CDialog::CreateControl(control, parent);
}

bool CMainDlg::OnInitDialog() {
    setWindowIcon(icon);
    const WinSize& size = settings.winSize[AppSettings::kMainWindow];
    if (size.width != 0 && size.height != 0) ResizeOuter(size.width, size.height);
    CreateEditorFonts();
    LayoutEditors();
    SetEditorMargins();
    int tabStop = DialogUnitsToPixelsX(9);
    for (CSqlEdit* edit : {editPlain, editWrap}) {
        edit->SetTabStopPixels(tabStop);
        edit->SetLimitText(kTypingLimit);
    }
    ShareEditorText();  // curEdit = editPlain
    wordWrap = 0;
    SetWindowText(SjisFormat("%s  － ｳｨﾝﾄﾞｳ %d", platform::AppDisplayName().c_str(), curBuffer + 1));
    for (EditorBuffer& b : buffers) b.savedText.reset();
    show();
    curEdit->setFocus();
    // Before the connect dialog is posted: the restore question's own loop
    // would open it on top.
    if (keepJournal) StartJournal();
    PostCommand(res::ID_CONNECT);
    return true;
}

void CMainDlg::OnSize(int cx, int cy) {
    (void)cx;
    (void)cy;
    if (editPlain) {
        LayoutEditors();
        SetEditorMargins();
    }
}

void CMainDlg::LayoutEditors() {
    int w = ClientWidth() - 20;
    int h = ClientHeight() - 20;
    for (CSqlEdit* edit : {editPlain, editWrap}) edit->setGeometry(11, 11, w, h);
}

void CMainDlg::SetEditorMargins() {
    for (CSqlEdit* edit : {editPlain, editWrap}) edit->SetFormatMargins(15, 5);
}

void CMainDlg::CreateEditorFonts() {
    plainFont = platform::WindowFont(settings.fontSize);
    wrapFont = platform::WindowFont(settings.fontSize);
    editPlain->setFont(plainFont);
    editWrap->setFont(wrapFont);
}

bool CMainDlg::OnCommand(int id) {
    if (closing) return true;
    return CDialog::OnCommand(id);
}

bool CMainDlg::PreTranslateKey(QKeyEvent* event) {
    if (closing) return true;
    if (TranslateAccelerator(accelerators, event)) return true;
    // Escape never reaches the dialog manager, so it never closes the window.
    return event->key() == Qt::Key_Escape;
}

// --- buffers ---------------------------------------------------------------

void CMainDlg::OnSelectBuffer(int id) {
    int target = id - res::ID_BUFFER_1;
    if (target == curBuffer) return;
    UpdateBufferCaption(target);
    CheckMenuItem(res::ID_BUFFER_1 + target, true);
    CheckMenuItem(res::ID_BUFFER_1 + curBuffer, false);
    SwapBufferText(curBuffer, target);
    curBuffer = static_cast<int8_t>(target);
}

void CMainDlg::SwapBufferText(int from, int to) {
    // Only the text travels: caret, selection, scroll position and undo
    // history stay behind.
    buffers[from].savedText = ExchangeEditorText(std::move(buffers[to].savedText));
}

void CMainDlg::UpdateBufferCaption(int b) {
    const std::string name = platform::FileNameToCp932(buffers[b].fileName);
    std::string label = name.empty() ? SjisFormat("ｳｨﾝﾄﾞｳ &%d", b + 1)
                                     : SjisFormat("ｳｨﾝﾄﾞｳ &%d [%s]", b + 1, name.c_str());
    SetMenuItemText(res::ID_BUFFER_1 + b, platform::CutToBytes(label, kCaptionMax));
    CheckMenuItem(res::ID_BUFFER_1 + b, true);
    const std::string app = platform::AppDisplayName();
    std::string title = name.empty() ? SjisFormat("%s － ｳｨﾝﾄﾞｳ %d", app.c_str(), b + 1)
                                     : SjisFormat("%s － ｳｨﾝﾄﾞｳ %d [%s]", app.c_str(), b + 1, name.c_str());
    SetWindowText(platform::CutToBytes(title, kCaptionMax));
    // Every switch and every change of a file name comes here.
    JournalChanged();
}

void CMainDlg::OnFileNew() {
    curEdit->SetText("");
    buffers[curBuffer].fileName.clear();
    UpdateBufferCaption(curBuffer);
}

bool CMainDlg::AnyBufferHasText() const {
    if (!curEdit->IsEmpty()) return true;
    for (const EditorBuffer& b : buffers) {
        if (b.savedText && !b.savedText->isEmpty()) return true;
    }
    return false;
}

bool CMainDlg::ConfirmExit() {
    if (AnyBufferHasText() &&
        platform::MessageBox(this, platform::Sjis("編集中ですが、終了してもよろしいでしょうか。"),
                             platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) == platform::IDCANCEL) {
        return false;
    }
    // From here the journal is written no more and goes with the window.
    if (journal) journal->exitConfirmed = true;
    return true;
}

void CMainDlg::OnAppExit() {
    if (!ConfirmExit()) return;
    DestroyWindow();
    EndDialog(platform::IDCANCEL);
}

void CMainDlg::OnCancel() {
    if (!ConfirmExit()) return;
    DestroyWindow();
    EndDialog(platform::IDCANCEL);
}

void CMainDlg::OnDestroy() {
    closing = true;
    // Work first: nothing may run against a closed connection, or report to
    // a window that is gone.
    if (!StopDatabaseWork()) LeaveNow();
    QSize outer = OuterSize();
    settings.winSize[AppSettings::kMainWindow] = {outer.width(), outer.height()};
    for (int i = 0; i < kSlotsPerGroup; ++i) {
        for (SlotGroup group : {kQueryResultGroup, kTextResultGroup, kDbInfoGroup, kBatchRunGroup}) {
            // It stores its size, frees the slot and deletes itself later.
            if (CResultWindow* window = resultWindows[group + i]) window->DestroyWindow();
            resultWindows[group + i] = nullptr;
        }
        buffers[i].savedText.reset();
    }
    searchHistory.Clear();
    replaceHistory.Clear();
}

bool CMainDlg::StopDatabaseWork() {
    for (const QPointer<CResultWindow>& window : resultWindows) {
        if (window) window->StopWork();
    }
    // Every statement is cancelled (by the connection thread's canceller:
    // this thread never calls the driver); the batch runs stopped their
    // hand-over, so none waits for this thread.
    connThread.CancelAll();
    if (!WaitOrLeave([this] { return connThread.Idle(); })) return false;
    if (!connThread.IsConnected()) return true;
    auto closed = connThread.Submit([](COdbcConn& c, const db::Request&) {
        c.Disconnect();
        return false;
    });
    return WaitOrLeave([closed] { return closed->Done(); });
}

bool CMainDlg::WaitOrLeave(const std::function<bool()>& done) {
    // A driver that honours the cancel ends its work well within this.
    constexpr int kPatienceMillis = 3000;
    while (!platform::ServeUntil(done, kPatienceMillis)) {
        const int answer = platform::MessageBox(
            this, platform::Sjis("ﾃﾞｰﾀﾍﾞｰｽの処理が終わりません。待たずに終了してもよろしいでしょうか。"),
            platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL);
        if (answer != platform::IDCANCEL && !done()) return false;
    }
    return true;
}

void CMainDlg::LeaveNow() {
    QSize outer = OuterSize();
    settings.winSize[AppSettings::kMainWindow] = {outer.width(), outer.height()};
    settings.SaveSettings();
    // The user answered the exit question: nothing typed is to be offered again.
    if (journal && journal->exitConfirmed) FinishCleanExit();
    // The connection thread is still inside the driver: freeing the
    // connection under it, or joining it, would hang or crash.
    connThread.Abandon();
    std::_Exit(0);
}

// --- result-window slots -----------------------------------------------------

int CMainDlg::TakeSlot(SlotGroup group) {
    for (int i = 0; i < kSlotsPerGroup; ++i) {
        if (!resultWindows[group + i]) return i;
    }
    platform::MessageBox(this, platform::Sjis("ｳｨﾝﾄﾞｳの表字数が制限を越えました。"),
                         platform::MB_ICONEXCLAMATION | platform::MB_OK);
    return -1;
}

void CMainDlg::ReleaseSlot(SlotGroup group, int slotIndex) {
    if (slotIndex >= 0 && slotIndex < kSlotsPerGroup) resultWindows[group + slotIndex] = nullptr;
}

CResultWindow* CMainDlg::SlotWindow(SlotGroup group, int slotIndex) const {
    return resultWindows[group + slotIndex];
}

void CMainDlg::SetSlotWindow(SlotGroup group, int slotIndex, CResultWindow* window) {
    resultWindows[group + slotIndex] = window;
}

// --- commands ------------------------------------------------------------------

void CMainDlg::OnConnect() {
    CConnectDlg dlg(&settings, &connThread);
    dlg.DoModal();
}

void CMainDlg::OnSettings() {
    CSettingsDlg dlg(&settings);
    if (dlg.DoModal() != platform::IDOK) return;
    CreateEditorFonts();
    SetEditorMargins();
    for (int i = 0; i < kSlotsPerGroup; ++i) {
        for (SlotGroup group : {kQueryResultGroup, kTextResultGroup, kDbInfoGroup, kBatchRunGroup}) {
            if (CResultWindow* window = SlotWindow(group, i)) window->ApplyFont();
        }
    }
}

void CMainDlg::OnExecuteSql() {
    // Nothing is read or prepared before the command can run.
    if (curEdit->IsEmpty() || !connThread.IsConnected()) return;
    // Only white space is as good as nothing: the drivers answer an empty
    // statement with a wrong or stale message.
    std::string sql = CollapseWhitespace(curEdit->GetText());
    if (sql.empty()) return;
    int slot = TakeSlot(kQueryResultGroup);
    if (slot < 0) return;
    SetSlotWindow(kQueryResultGroup, slot, new CQueryResultDlg(*this, slot, sql, curBuffer));
}

void CMainDlg::OnLoadRunner() {
    if (curEdit->IsEmpty() || !connThread.IsConnected()) return;
    const std::string script = CollapseWhitespace(curEdit->GetText());
    // White space alone collapses to at most one space: no statement at all.
    if (script.find_first_not_of(' ') == std::string::npos) return;
    int slot = TakeSlot(kBatchRunGroup);
    if (slot < 0) return;
    SetSlotWindow(kBatchRunGroup, slot, new CBatchRunDlg(*this, slot, script, curBuffer));
}

void CMainDlg::OnDatabaseInfo() {
    if (!connThread.IsConnected()) return;
    int slot = TakeSlot(kDbInfoGroup);
    if (slot < 0) return;
    SetSlotWindow(kDbInfoGroup, slot, new CDbInfoDlg(*this, slot, curBuffer));
}

void CMainDlg::OnWrapSql() { OpenTextResult(TextToolMode::Wrap); }
void CMainDlg::OnBreakSql() { OpenTextResult(TextToolMode::Format); }
void CMainDlg::OnBreakAndWrapSql() { OpenTextResult(TextToolMode::FormatAndWrap); }

void CMainDlg::OpenTextResult(TextToolMode mode) {
    if (curEdit->IsEmpty()) return;
    int slot = TakeSlot(kTextResultGroup);
    if (slot < 0) return;
    // F7 wraps the text as typed; F8 and F9 work on the collapsed text.
    std::string text = curEdit->GetText();
    if (mode != TextToolMode::Wrap) text = CollapseWhitespace(text);
    SetSlotWindow(kTextResultGroup, slot, new CTextResultDlg(*this, slot, text, curBuffer, mode));
}
