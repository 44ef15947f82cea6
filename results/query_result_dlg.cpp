#include "results/query_result_dlg.h"

#include "app/clipboard_writer.h"
#include "db/statement_scope.h"
#include "platform/edit_control.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/qtext.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"

#include <QEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr CResultWindow::Kind kKind{res::IDD_QUERY_RESULT, ResultWindowHost::kQueryResultGroup,
                                    AppSettings::kQueryResult, true, false};

}  // namespace

CQueryResultDlg::CQueryResultDlg(ResultWindowHost& host, int slotIndex, std::string_view sqlText, int bufferNumber)
    : CResultWindow(kKind, host, slotIndex, bufferNumber), sqlText(sqlText) {
    MapCommand(res::IDC_COPY, [this] { OnCopy(); });
    MapCommand(res::IDC_SELECT_ALL, [this] { OnSelectAll(); });
    Open();
}

QWidget* CQueryResultDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_RESULT_LIST) {
        list = new results::ResultGrid(parent);
        connect(list, &results::ResultGrid::FocusGained, this, [this] { focusTarget = Focus::List; });
        return list;
    }
    QWidget* widget = CResultWindow::CreateControl(control, parent);
    if (control.id == res::IDC_RESULT_SQL) {
        sqlEdit = qobject_cast<platform::CEdit*>(widget);
        sqlEdit->installEventFilter(this);
    } else if (control.id == res::IDC_COPY) {
        copyButton = qobject_cast<QPushButton*>(widget);
        // The button keeps its distance from the right edge, so the growing
        // SQL edit never slides under it.
        copyButtonInset = DialogUnitsToPixelsX(Template().cx) - DialogUnitsToPixelsX(control.x);
    }
    return widget;
}

void CQueryResultDlg::OnInitWindow() {
    sqlEdit->SetText(sqlText);
    focusTarget = Focus::List;
    ExecuteAndShow();
    std::string().swap(sqlText);
}

void CQueryResultDlg::OnShown() {
    // Copy and select-all start on the list; so does the keyboard.
    list->setFocus();
    if (fetchFailed) {
        platform::MessageBox(this, fetchFailure, platform::MB_ICONEXCLAMATION | platform::MB_OK);
        std::string().swap(fetchFailure);
    }
}

void CQueryResultDlg::ExecuteAndShow() {
    std::string message;
    {
        db::StatementScope statement(*conn);
        const int result = statement->Execute(sqlText);
        if (result < 0) {
            message = DiagnosticMessage(*statement, SQL_HANDLE_STMT);
        } else if (result == 0 && statement->GetColumnCount() > 0) {
            // The rows read so far stay; the failure is not passed over.
            fetchFailure = list->ShowAnswer(*statement, settings->fontSize, settings->resultMax);
            fetchFailed = !fetchFailure.empty();
            return;
        } else if (result > 0) {
            message = platform::SjisFormat("%d件 更新しました", result);
        } else {
            message = platform::Sjis("成功しました");
        }
    }
    list->ShowMessage(message);
}

void CQueryResultDlg::ApplyFont() {
    listFont = platform::WindowFont(settings->fontSize);
    editFont = platform::WindowFont(settings->fontSize);
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

void CQueryResultDlg::OnCopy() {
    if (focusTarget == Focus::SqlEdit) {
        sqlEdit->Copy();
    } else if (focusTarget == Focus::List) {
        platform::ClipboardTextBuilder text = list->CopySelectedText();
        if (!text.Empty()) clipboard->CopyTextToClipboard(this, std::move(text));
    }
}

void CQueryResultDlg::OnSelectAll() {
    if (focusTarget == Focus::List) {
        list->SelectAllRows();
    } else if (focusTarget == Focus::SqlEdit) {
        sqlEdit->SetSel(0, std::string::npos);
        sqlEdit->ensureCursorVisible();
    }
}

bool CQueryResultDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sqlEdit && event->type() == QEvent::FocusIn) focusTarget = Focus::SqlEdit;
    return CResultWindow::eventFilter(watched, event);
}
