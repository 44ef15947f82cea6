#include "results/result_window.h"

#include "platform/menu_resource.h"
#include "platform/sjis_format.h"
#include "resources/images.h"
#include "resources/resource_ids.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

constexpr std::size_t kCaptionMax = 255;

}  // namespace

CResultWindow::CResultWindow(const Kind& kind, ResultWindowHost& host, int slotIndex, int bufferNumber)
    : CDialog(kind.templateId, host.OwnerWindow()),
      host(host),
      settings(&host.Settings()),
      connection(&host.Connection()),
      clipboard(&host.Clipboard()),
      kind_(kind),
      slotIndex_(slotIndex),
      bufferNumber_(bufferNumber),
      accelerators_(platform::FindAccelTable(res::IDR_RESULT_ACCEL)),
      icon_(res::LoadIcon(res::IDI_RESULT)) {}

CResultWindow::~CResultWindow() = default;

void CResultWindow::Open() { Create(host.OwnerWindow()); }

bool CResultWindow::OnInitDialog() {
    setWindowIcon(icon_);
    if (kind_.numberedCaption) {
        SetWindowText(platform::SjisFormat("%s － ｳｨﾝﾄﾞｳ %d",
                                           platform::CutToBytes(GetWindowText(), kCaptionMax).c_str(),
                                           bufferNumber_ + 1));
    }
    ShowCopyBitmap();
    const WinSize& size = settings->winSize[kind_.sizeKind];
    if (size.width != 0 && size.height != 0) ResizeOuter(size.width, size.height);
    initialised_ = true;
    ApplyFont();
    Layout();
    OnInitWindow();
    if (!deferShow_) ShowDeferred();
    return true;
}

void CResultWindow::ShowDeferred() {
    if (shown_ || IsDestroyed()) return;
    shown_ = true;
    CenterOver(host.OwnerWindow());
    show();
    OnShown();
}

void CResultWindow::ShowCopyBitmap() {
    auto* button = Item<QPushButton>(res::IDC_COPY);
    if (!button) return;
    for (const platform::DlgControl& c : Template().controls) {
        if (c.id != res::IDC_COPY || !(c.style & platform::kVisible)) continue;
        copyBitmap_ = res::LoadBitmap(res::IDB_COPY);
        button->setText({});
        button->setIcon(QIcon(copyBitmap_));
        button->setIconSize(copyBitmap_.size());
    }
}

void CResultWindow::OnSize(int, int) {
    if (initialised_) Layout();
}

bool CResultWindow::PreTranslateKey(QKeyEvent* event) {
    if (TranslateAccelerator(accelerators_, event)) return true;
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        // Only on the key's press: its release must not cancel anything.
        if (event->type() == QEvent::KeyPress) OnEscape();
        return true;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    return enter && !kind_.enterReachesControls;
}

void CResultWindow::OnClose() {
    if (CanClose()) DestroyWindow();
}

void CResultWindow::OnDestroy() {
    const QSize outer = OuterSize();
    settings->winSize[kind_.sizeKind] = {outer.width(), outer.height()};
}

void CResultWindow::PostNcDestroy() {
    host.ReleaseSlot(kind_.group, slotIndex_);
    deleteLater();
}
