#include "app/result_window.h"

CResultWindow::CResultWindow(int templateId, CMainDlg* owner, CMainDlg::SlotGroup group, int slotIndex)
    : CDialog(templateId, owner), owner(owner), settings(&owner->settings), group(group), slotIndex(slotIndex) {}

CResultWindow::~CResultWindow() {
    if (!IsDestroyed()) DestroyWindow();
    owner->ReleaseSlot(group, slotIndex);
}

void CResultWindow::RestoreSize(const WinSize& size) {
    if (size.width != 0 && size.height != 0) ResizeOuter(size.width, size.height);
}

void CResultWindow::StoreSize(WinSize& size) const {
    QSize outer = OuterSize();
    size = {outer.width(), outer.height()};
}
