#include "results/query_result_dlg.h"

#include "platform/clipboard_writer.h"
#include "db/odbc_conn.h"
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
    run = new results::AnswerRequest(
        *connection, [this](results::Answer& answer) { ShowAnswer(answer); },
        [this](const std::string& text) { ShowRunning(text); }, this);
    run->Start([sql = std::move(sqlText)](COdbcConn& conn) { return conn.Execute(sql); }, true, settings->fontSize,
               settings->resultMax);
    std::string().swap(sqlText);
    DeferShow();
}

void CQueryResultDlg::OnShown() {
    // Copy and select-all start on the list; so does the keyboard.
    list->setFocus();
    ReportFetchFailure();
}

void CQueryResultDlg::ReportFetchFailure() {
    if (!fetchFailed) return;
    fetchFailed = false;
    platform::MessageBox(this, fetchFailure, platform::MB_ICONEXCLAMATION | platform::MB_OK);
    std::string().swap(fetchFailure);
}

void CQueryResultDlg::ShowRunning(const std::string& stateText) {
    list->ShowMessage(stateText);
    ShowDeferred();
}

void CQueryResultDlg::ShowAnswer(results::Answer& answer) {
    answered = true;
    if (cancelled || answer.cancelled) {
        // Rows read before the cancel stay; without any, the list says why
        // it is empty.
        if (answer.hasRows && answer.cells.RowCount() > 0) {
            list->ShowAnswer(answer);
            SetWindowText(GetWindowText() + platform::Sjis(" － ") + results::AnswerRequest::CancelledText());
        } else {
            list->ShowMessage(results::AnswerRequest::CancelledText());
        }
    } else {
        list->ShowAnswer(answer);
        // The rows read so far stay; the failure is not passed over.
        fetchFailure = std::move(answer.fetchFailure);
        fetchFailed = !fetchFailure.empty();
        if (Shown()) ReportFetchFailure();
    }
    ShowDeferred();
}

void CQueryResultDlg::OnEscape() {
    if (!run->Running() || cancelled) return;
    cancelled = true;
    run->Cancel();
    // Control comes back at once, even when the driver takes its time to
    // stop; the rows read before the cancel follow when it has.
    list->ShowMessage(results::AnswerRequest::CancelledText());
}

void CQueryResultDlg::OnDestroy() {
    // The close box during a run cancels it; its answer goes nowhere.
    if (run->Running()) run->Cancel();
    CResultWindow::OnDestroy();
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
