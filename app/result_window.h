// CResultWindow: what every modeless result window shares. It lives in one
// slot of the main window's table, closes only through its close box, and
// deletes itself once its window is gone, which frees the slot.
#pragma once

#include "app/main_dlg.h"
#include "platform/cdialog.h"

class CResultWindow : public platform::CDialog {
    Q_OBJECT

public:
    CResultWindow(int templateId, CMainDlg* owner, CMainDlg::SlotGroup group, int slotIndex);
    ~CResultWindow() override;

protected:
    // Enter and Escape never close a result window.
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() override { DestroyWindow(); }
    void PostNcDestroy() override { deleteLater(); }

    // Restores the stored outer size when both numbers are set.
    void RestoreSize(const WinSize& size);
    void StoreSize(WinSize& size) const;

    CMainDlg* owner;
    AppSettings* settings;
    const CMainDlg::SlotGroup group;
    const int slotIndex;
};
