// CMainDlg: the main window. It holds the SQL editor (two controls, one shown),
// the five editor buffers, the settings, the one connection and the table of
// open result windows, and dispatches every command.
#pragma once

#include "platform/clipboard_writer.h"
#include "app/editor_buffer.h"
#include "results/result_host.h"
#include "platform/sql_edit.h"
#include "db/connection_thread.h"
#include "db/odbc_conn.h"
#include "platform/cdialog.h"
#include "search/search_host.h"
#include "settings/app_settings.h"

#include <QIcon>
#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

class CResultWindow;
struct JournalSession;
struct JournalState;
enum class TextToolMode : int32_t;

class CMainDlg : public platform::CDialog, public ResultWindowHost, public SearchHost {
    Q_OBJECT

public:
    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The shown editor's text, CP932 with CR LF line ends.
    std::string EditorText() const { return curEdit->GetText(); }

    // Lowest free slot (0-4) of a group, or -1 after the limit message.
    int TakeSlot(SlotGroup group);
    CResultWindow* SlotWindow(SlotGroup group, int slotIndex) const;
    void SetSlotWindow(SlotGroup group, int slotIndex, CResultWindow* window);

    // What the result windows may use (ResultWindowHost).
    AppSettings& Settings() override { return settings; }
    db::ConnectionThread& Connection() override { return connThread; }
    ClipboardWriter& Clipboard() override { return clipboard; }
    QWidget* OwnerWindow() override { return this; }
    void ReleaseSlot(SlotGroup group, int slotIndex) override;

    // What the find and replace dialogs use (SearchHost): the histories and
    // the shown editor, with the current search entry. Without a current
    // entry FindFromSelection does nothing and returns -1.
    SearchHistory& SearchEntries() override { return searchHistory; }
    ReplaceHistory& ReplaceEntries() override { return replaceHistory; }
    std::string EditorTextAndSel(size_t& selStart, size_t& selEnd) override;
    int FindFromSelection(std::string_view text, size_t selStart, size_t selEnd, bool reverse,
                          bool replaceMode) override;
    int ReplaceSelectionIfMatch(std::string_view text, size_t selStart, size_t selEnd) override;
    void ReplaceAllInEditor() override;
    // The editor not shown: it lies disabled under the shown one and shows
    // the same text storage (editor_text.cpp).
    CSqlEdit* CoveredEdit() const { return curEdit == editPlain ? editWrap : editPlain; }

    // The recovery journal (main_dlg_journal.cpp). Set keepJournal before
    // the window is created: it then offers a lost session's journal at
    // start and journals every buffer while it runs.
    bool keepJournal = false;
    // Takes the texts changed since the last journal and hands them to the
    // writer; returns at once.
    void WriteJournal();
    // The same, then waits for the write.
    void FlushJournal();
    // The user chose to leave and the settings file is written: the journal
    // goes. The normal exit needs no call (the journal member goes after the
    // settings member has written its file); an exit that ends the process
    // without destroying the window calls this after writing the settings.
    void FinishCleanExit();

    bool AnyBufferHasText() const;
    void SwapBufferText(int from, int to);
    void UpdateBufferCaption(int b);

    // Members, in the order the window declares them.
    CSqlEdit* editWrap = nullptr;
    CSqlEdit* editPlain = nullptr;
    // Before settings, so that it is destroyed after the settings file is written.
    std::unique_ptr<JournalSession> journal;
    AppSettings settings;
    COdbcConn conn;
    // The one thread that talks to conn; gone before conn is.
    db::ConnectionThread connThread{conn};
    ClipboardWriter clipboard;
    // A slot is free when its pointer is null: released by its window, or
    // the window object gone.
    std::array<QPointer<CResultWindow>, 20> resultWindows{};
    const platform::AccelTable* accelerators = nullptr;
    int8_t curBuffer = 0;
    std::array<EditorBuffer, 5> buffers;
    QFont plainFont;
    QFont wrapFont;
    CSqlEdit* curEdit = nullptr;
    int32_t wordWrap = 0;
    SearchHistory searchHistory;
    ReplaceHistory replaceHistory;
    QIcon icon;

    bool PreTranslateKey(QKeyEvent* event) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
    bool OnCommand(int id) override;

private:
    // Set once the window has started to close: while it waits for the
    // database work to end it handles events, but takes no more commands.
    bool closing = false;

    void OnSelectBuffer(int id);
    void OnFileNew();
    void OnAppExit();
    void OnConnect();
    void OnSettings();
    void OnExecuteSql();
    void OnDatabaseInfo();
    void OnWrapSql();
    void OnBreakSql();
    void OnBreakAndWrapSql();
    void OnLoadRunner();
    void OpenTextResult(TextToolMode mode);
    void OnFind();
    void OnReplace();
    void OnFindAgain(bool reverse);

    // Editing commands (editor_commands.cpp).
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    void OnUpperCase();
    void OnLowerCase();
    void OnExtractSql();
    void ConvertEditorCase(int mode);
    void OnWordWrap();
    void OnAppAbout();

    // File commands (file_commands.cpp).
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    // Writes the shown editor's text to path; false after telling the user
    // why it could not.
    bool WriteEditorToFile(const std::string& path);

    // The text storage both editors show (editor_text.cpp).
    void ShareEditorText();
    void ShowEditor(CSqlEdit* shown);
    // Shows text (an empty one for null) in both editors and returns the
    // storage they showed, without its undo history.
    std::unique_ptr<QTextDocument> ExchangeEditorText(std::unique_ptr<QTextDocument> text);

    void StartJournal();
    void JournalChanged();
    void ReportJournalFailure(std::error_code error);
    void OfferJournal(const std::string& path);
    void RestoreJournal(const JournalState& state);

    bool ConfirmExit();
    // Stops every window's work and closes the connection while handling
    // events; false when the user chose to leave with the driver stuck.
    bool StopDatabaseWork();
    // Waits (handling events) until done holds, asking every few seconds
    // whether to leave instead; false when the user chose to leave.
    bool WaitOrLeave(const std::function<bool()>& done);
    // Ends the process at once, the settings file written, the stuck
    // driver's handles left alone.
    [[noreturn]] void LeaveNow();
    void LayoutEditors();
    void SetEditorMargins();
    void CreateEditorFonts();
};
