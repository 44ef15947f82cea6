#include "app/result_window.h"

CResultWindow::CResultWindow(int templateId, CMainDlg* owner, CMainDlg::SlotGroup group, int slotIndex)
    : CDialog(templateId, owner), owner(owner), settings(&owner->settings), group(group), slotIndex(slotIndex) {}

// Every way out passes DestroyWindow first (the close box, or the main
// window closing), so all that is left here is the slot.
CResultWindow::~CResultWindow() { owner->ReleaseSlot(group, slotIndex); }

void CResultWindow::RestoreSize(const WinSize& size) {
    if (size.width != 0 && size.height != 0) ResizeOuter(size.width, size.height);
}

void CResultWindow::StoreSize(WinSize& size) const {
    QSize outer = OuterSize();
    size = {outer.width(), outer.height()};
}
