#include "results/query_result_dlg.h"

#include "db/odbc_conn.h"
#include "platform/edit_control.h"
#include "platform/fonts.h"
#include "platform/qtext.h"
#include "platform/sjis_format.h"
#include "resources/images.h"
#include "resources/resource_ids.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

CQueryResultDlg::CQueryResultDlg(CMainDlg* owner, int slotIndex, std::string_view sqlText, int bufferNumber)
    : CResultWindow(res::IDD_QUERY_RESULT, owner, CMainDlg::kQueryResultGroup, slotIndex),
      conn(&owner->conn),
      clipboard(&owner->clipboard),
      sqlText(sqlText),
      bufferNumber(bufferNumber),
      accelerators(platform::FindAccelTable(res::IDR_RESULT_ACCEL)),
      icon(res::LoadIcon(res::IDI_RESULT)) {
    MapCommand(res::IDC_COPY, [this] { OnCopy(); });
    MapCommand(res::IDC_SELECT_ALL, [this] { OnSelectAll(); });
    Create(owner);
    // The caller may free the text as soon as we return.
    this->sqlText = {};
}

QWidget* CQueryResultDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_RESULT_LIST) {
        list = new results::ResultGrid(parent);
        connect(list, &results::ResultGrid::FocusGained, this, [this] { focusTarget = 1; });
        return list;
    }
    QWidget* widget = CResultWindow::CreateControl(control, parent);
    if (control.id == res::IDC_RESULT_SQL) {
        sqlEdit = qobject_cast<platform::CEdit*>(widget);
    } else if (control.id == res::IDC_COPY) {
        copyButton = qobject_cast<QPushButton*>(widget);
        // The button keeps its distance from the right edge, so the growing
        // SQL edit never slides under it.
        copyButtonInset = DialogUnitsToPixelsX(Template().cx) - DialogUnitsToPixelsX(control.x);
    }
    return widget;
}

bool CQueryResultDlg::OnInitDialog() {
    setWindowIcon(icon);
    SetWindowText(platform::SjisFormat("%s － ｳｨﾝﾄﾞｳ %d", platform::CutToBytes(GetWindowText(), 255).c_str(),
                                       bufferNumber + 1));
    copyBitmap = res::LoadBitmap(res::IDB_COPY);
    copyButton->setText({});
    copyButton->setIcon(QIcon(copyBitmap));
    copyButton->setIconSize(copyBitmap.size());
    RestoreSize(settings->winSize[AppSettings::kQueryResult]);
    ApplyFont();
    Layout();
    sqlEdit->installEventFilter(this);
    sqlEdit->SetText(sqlText);
    focusTarget = 1;

    ExecuteAndShow();

    CenterOver(owner);
    show();
    // Copy and select-all start on the list; so does the keyboard.
    list->setFocus();
    return true;
}

void CQueryResultDlg::ExecuteAndShow() {
    auto lock = conn->Lock();
    conn->AllocStatement();
    const int result = conn->Execute(sqlText);
    if (result < 0) {
        std::string message = DiagnosticMessage(*conn, SQL_HANDLE_STMT);
        conn->FreeStatement();
        list->ShowMessage(message);
        return;
    }
    if (result == 0 && conn->GetColumnCount() > 0) {
        list->ShowAnswer(*conn, settings->fontSize, settings->resultMax);
    } else if (result > 0) {
        list->ShowMessage(platform::SjisFormat("%d件 更新しました", result));
    } else {
        list->ShowMessage(platform::Sjis("成功しました"));
    }
    conn->FreeStatement();
}

void CQueryResultDlg::ApplyFont() {
    listFont = platform::PointFont(platform::kGothicFace, settings->fontSize * 10);
    editFont = platform::PointFont(platform::kGothicFace, settings->fontSize * 10);
    list->setFont(listFont);
    sqlEdit->setFont(editFont);
}

void CQueryResultDlg::Layout() {
    const int w = ClientWidth();
    const int h = ClientHeight();
    list->setGeometry(11, 45, std::max(0, w - 20), std::max(0, h - 55));
    sqlEdit->resize(std::max(0, w - 85), 26);
    copyButton->move(w - copyButtonInset, copyButton->y());
}

void CQueryResultDlg::OnSize(int, int) {
    if (list) Layout();
}

void CQueryResultDlg::OnCopy() {
    if (focusTarget == 2) {
        sqlEdit->Copy();
    } else if (focusTarget == 1) {
        const std::string text = list->CopySelectedText();
        if (!text.empty()) clipboard->CopyTextToClipboard(this, text);
    }
}

void CQueryResultDlg::OnSelectAll() {
    if (focusTarget == 1) {
        list->SelectAllRows();
    } else if (focusTarget == 2) {
        sqlEdit->SetSel(0, std::string::npos);
        sqlEdit->ensureCursorVisible();
    }
}

bool CQueryResultDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sqlEdit && event->type() == QEvent::FocusIn) focusTarget = 2;
    return CResultWindow::eventFilter(watched, event);
}

bool CQueryResultDlg::PreTranslateKey(QKeyEvent* event) {
    if (TranslateAccelerator(accelerators, event)) return true;
    // Neither Enter nor Escape may close the window, whichever control has them.
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

void CQueryResultDlg::OnDestroy() { StoreSize(settings->winSize[AppSettings::kQueryResult]); }
