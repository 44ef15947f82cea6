#include "platform/sql_edit.h"

#include "platform/message_box.h"
#include "platform/sjis_format.h"
#include "resources/images.h"
#include "resources/resource_ids.h"

#include <QMouseEvent>

CSqlEdit::CSqlEdit(QWidget* parent) : platform::CEdit(parent) {
    setTabChangesFocus(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
}

void CSqlEdit::OnMouseMove(int clientX) {
    static const QCursor margin = res::LoadCursor(res::IDC_LINE_SELECT);
    const QCursor& cursor = IsMarginX(clientX) ? margin : QCursor(Qt::IBeamCursor);
    viewport()->setCursor(cursor);
    setCursor(cursor);
}

bool CSqlEdit::event(QEvent* e) {
    // Moves over the margin outside the text area arrive at the frame itself.
    if (e->type() == QEvent::MouseMove) {
        auto* me = static_cast<QMouseEvent*>(e);
        OnMouseMove(static_cast<int>(me->position().x()) - contentsRect().left());
    }
    return platform::CEdit::event(e);
}

bool CSqlEdit::eventFilter(QObject* watched, QEvent* e) {
    if (watched == viewport() && e->type() == QEvent::MouseMove) {
        auto* me = static_cast<QMouseEvent*>(e);
        OnMouseMove(static_cast<int>(me->position().x()) + FormatLeft());
    }
    return platform::CEdit::eventFilter(watched, e);
}

void CSqlEdit::OnPasteOverLimit() {
    platform::MessageBox(window(),
                         platform::SjisFormat("貼り付けると、ｴﾃﾞｨﾀの文字数が制限を越えます(%d文字まで)。", GetLimitText()),
                         platform::MB_ICONEXCLAMATION | platform::MB_OK);
}
