#include "results/batch_run_dlg.h"

#include "app/clipboard_writer.h"
#include "db/statement_scope.h"
#include "platform/fonts.h"
#include "platform/line_handover.h"
#include "resources/resource_ids.h"
#include "results/batch_log.h"
#include "results/log_list.h"
#include "results/script_split.h"

#include <QPushButton>

#include <algorithm>

namespace {

constexpr CResultWindow::Kind kKind{res::IDD_BATCH_RUN, ResultWindowHost::kBatchRunGroup, AppSettings::kBatchRun,
                                    true, false};

}  // namespace

CBatchRunDlg::CBatchRunDlg(ResultWindowHost& host, int slotIndex, std::string_view script, int bufferNumber)
    : CResultWindow(kKind, host, slotIndex, bufferNumber), scriptText(script) {
    MapCommand(res::IDC_COPY, [this] { CopySelectedLines(); });
    MapCommand(res::IDC_SELECT_ALL, [this] { SelectAllLines(); });
    handOver = new platform::LineHandOver([this](const std::string& line) { log->AppendLine(line); }, this);
    Open();
}

// The worker is joined in OnDestroy, which every way out passes; this is
// for a window that never got that far.
CBatchRunDlg::~CBatchRunDlg() {
    if (worker.joinable()) {
        handOver->Stop();
        worker.join();
    }
}

QWidget* CBatchRunDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_BATCH_LOG) {
        log = new results::LogList(parent);
        log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        log->SetHorizontalExtent(kHorizontalExtent);
        return log;
    }
    QWidget* widget = CResultWindow::CreateControl(control, parent);
    if (control.id == res::IDC_COPY) copyButton = qobject_cast<QPushButton*>(widget);
    return widget;
}

void CBatchRunDlg::ApplyFont() {
    listFont = platform::WindowFont(settings->fontSize);
    log->setFont(listFont);
}

void CBatchRunDlg::Layout() {
    log->setGeometry(11, 45, std::max(0, ClientWidth() - 20), std::max(0, ClientHeight() - 55));
}

void CBatchRunDlg::OnShown() {
    log->setFocus();
    worker = std::thread([this, sender = handOver->Sender()] { RunScript(sender); });
}

void CBatchRunDlg::RunScript(const platform::LineSender& sender) {
    results::SplitScript(scriptText, [&](std::string_view statement) {
        if (!sender.Send(std::string(statement))) return false;
        std::string outcome;
        if (!ExecuteStatement(sender, statement, outcome)) return false;
        return sender.Send(std::move(outcome));
    });
    finished_ = true;
}

bool CBatchRunDlg::ExecuteStatement(const platform::LineSender& sender, std::string_view statement,
                                    std::string& outcome) {
    // Nothing here waits for the window: the lock is held only while the
    // statement runs and its outcome line is built.
    db::StatementScope scope(*conn);
    // A stop may have come while this worker waited for the lock.
    if (sender.Stopping()) return false;
    const int result = scope->Execute(statement);
    if (result < 0) {
        outcome = results::BatchOutcomeLine(result, 0, DiagnosticMessage(*scope, SQL_HANDLE_STMT));
    } else {
        outcome = results::BatchOutcomeLine(result, scope->GetColumnCount(), {});
    }
    return true;
}

void CBatchRunDlg::StopWork() { handOver->Stop(); }

bool CBatchRunDlg::WorkRunning() const { return worker.joinable() && !finished_.load(); }

void CBatchRunDlg::OnDestroy() {
    // Closing is refused while the run goes on, and the main window stops
    // and waits for the worker before it destroys its windows: the join
    // below finds it finished, or ends it after its current statement.
    StopWork();
    if (worker.joinable()) worker.join();
    CResultWindow::OnDestroy();
    std::string().swap(scriptText);
}

void CBatchRunDlg::CopySelectedLines() {
    const std::string text = log->CopySelectedText();
    if (!text.empty()) clipboard->CopyTextToClipboard(this, text);
}

void CBatchRunDlg::SelectAllLines() { log->SelectAll(); }
