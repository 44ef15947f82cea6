// CResultWindow: everything the modeless result windows share, so that a
// window class writes only its controls, its layout and its own work.
//
// The base does, in this order, while the window is created:
//   icon 131; the caption "%s － ｳｨﾝﾄﾞｳ %d" (template caption, buffer number
//   + 1) when the kind asks for it; bitmap 149 on a visible copy button
//   (1021); the stored WINSIZEn when both numbers are set; ApplyFont();
//   Layout(); OnInitWindow() (the window's work); centred over the owner and
//   shown; OnShown().
// and afterwards: Layout() on every resize; accelerator table 150 first for
// every key, then Escape, and Enter unless the kind lets it reach the
// controls, dropped (neither ever closes the window); the close box destroys
// the window (CanClose may refuse); when destroyed it stores its WINSIZEn,
// frees its slot through the host and deletes itself later (deleteLater).
//
// Ownership: the window is a Qt child of the host's window and deletes itself;
// nothing else deletes it. The host's slot table holds QPointers, so an entry
// never dangles. The destructor touches nothing of the host (see
// results/result_host.h).
//
// A window class:
//   class CMyDlg : public CResultWindow {
//       static constexpr Kind kKind{res::IDD_..., ResultWindowHost::kDbInfoGroup, AppSettings::kDbInfo, false, false};
//       CMyDlg(ResultWindowHost& host, int slot, int buffer) : CResultWindow(kKind, host, slot, buffer) {
//           MapCommand(...);
//           Open();  // last: builds, initialises and shows the window
//       }
//       void ApplyFont() override; void Layout() override; void OnInitWindow() override;
//   };
// Text handed to a constructor is valid only during the constructor: a
// window that needs it later keeps its own copy.
#pragma once

#include "results/result_host.h"
#include "platform/cdialog.h"
#include "settings/app_settings.h"

#include <QIcon>
#include <QPixmap>

class CResultWindow : public platform::CDialog {
    Q_OBJECT

public:
    // What sets one kind of result window apart.
    using SlotGroup = ResultWindowHost::SlotGroup;
    struct Kind {
        int templateId;
        SlotGroup group;
        AppSettings::WinKind sizeKind;  // the WINSIZEn it restores and stores
        bool numberedCaption;           // "%s － ｳｨﾝﾄﾞｳ %d" with the buffer number
        bool enterReachesControls;      // Enter types a line break (an editable text)
    };

    ~CResultWindow() override;

    // Re-creates the window's fonts from the font-size setting. Called while
    // the window initialises and, after the settings dialog, by the host.
    virtual void ApplyFont() = 0;

    // Work on the connection thread that reports to the window while it
    // runs (the batch run). When the main window closes it calls StopWork on
    // every window and cancels all work, waits (handling events) until the
    // connection thread is idle, and only then disconnects and destroys the
    // windows. StopWork must let the work end without the user-interface
    // thread's help: stop its line hand-over (platform::LineHandOver::Stop).
    virtual void StopWork() {}

    SlotGroup Group() const { return kind_.group; }
    int SlotIndex() const { return slotIndex_; }
    int BufferNumber() const { return bufferNumber_; }

    bool PreTranslateKey(QKeyEvent* event) final;

protected:
    CResultWindow(const Kind& kind, ResultWindowHost& host, int slotIndex, int bufferNumber);

    // Builds, initialises and shows the window; the last step of a window
    // class's constructor.
    void Open();

    // Places the controls for the current client size.
    virtual void Layout() = 0;
    // The window's own work, before it is shown (runs inside Open).
    virtual void OnInitWindow() {}
    // Called from OnInitWindow: the window is not shown at the end of Open
    // but by ShowDeferred, once its first answer is in (or has taken long
    // enough to show that it runs).
    void DeferShow() { deferShow_ = true; }
    void ShowDeferred();
    bool Shown() const { return shown_; }
    // Right after the window is shown: focus, starting a worker.
    virtual void OnShown() {}
    // Escape, which closes no window; a window whose work runs cancels it.
    virtual void OnEscape() {}
    // The close box; a window whose work is running may refuse.
    virtual bool CanClose() const { return true; }
    // Stores the size; a window that releases more calls this too.
    void OnDestroy() override;

    // What the host lends (valid until OnDestroy has run).
    ResultWindowHost& host;
    AppSettings* settings;
    db::ConnectionThread* connection;
    ClipboardWriter* clipboard;

private:
    bool OnInitDialog() final;
    void OnSize(int cx, int cy) final;
    void OnOK() final {}
    void OnCancel() final {}
    void OnClose() final;
    void PostNcDestroy() final;
    void ShowCopyBitmap();

    const Kind kind_;
    const int slotIndex_;
    const int bufferNumber_;
    const platform::AccelTable* accelerators_;
    QIcon icon_;
    QPixmap copyBitmap_;
    bool initialised_ = false;
    bool deferShow_ = false;
    bool shown_ = false;
};
