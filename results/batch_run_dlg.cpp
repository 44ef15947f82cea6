#include "results/batch_run_dlg.h"

#include "platform/clipboard_writer.h"
#include "db/connection_thread.h"
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

// The run as the connection thread sees it: the statements and the next one.
struct ScriptRun {
    std::vector<std::string> statements;
    std::size_t next = 0;
    platform::LineSender sender;
};

// One turn: the next statement's line, the statement, its outcome line.
// Nothing here holds the connection while it waits for the window: the
// outcome line is built inside the statement scope and handed over after.
bool RunNextStatement(COdbcConn& conn, const db::Request& self, ScriptRun& run) {
    if (run.next >= run.statements.size() || self.Cancelled()) return false;
    const std::string& statement = run.statements[run.next++];
    if (!run.sender.Send(statement)) return false;
    // A stop may have come while the line was shown.
    if (self.Cancelled() || run.sender.Stopping()) return false;
    std::string outcome;
    {
        db::StatementScope scope(conn);
        const int result = scope->Execute(statement);
        outcome = result < 0 ? results::BatchOutcomeLine(result, 0, DiagnosticMessage(*scope, SQL_HANDLE_STMT))
                             : results::BatchOutcomeLine(result, scope->GetColumnCount(), {});
    }
    if (!run.sender.Send(std::move(outcome))) return false;
    return run.next < run.statements.size();
}

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

// The run holds only the hand-over's shared state, never the window: once
// it is stopped, the run ends at its next line whatever happens here.
CBatchRunDlg::~CBatchRunDlg() { handOver->Stop(); }

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
    auto script = std::make_shared<ScriptRun>();
    script->statements = results::SplitScript(scriptText);
    script->sender = handOver->Sender();
    std::string().swap(scriptText);
    run = connection->Submit(
        [script](COdbcConn& conn, const db::Request& self) { return RunNextStatement(conn, self, *script); });
}

bool CBatchRunDlg::IsFinished() const { return !run || run->Done(); }

void CBatchRunDlg::StopWork() {
    handOver->Stop();
    if (run) connection->Cancel(run);
}

void CBatchRunDlg::OnDestroy() {
    // Closing is refused while the run goes on; a window destroyed anyway
    // (the main window closing) stops its run at the next line.
    StopWork();
    CResultWindow::OnDestroy();
}

void CBatchRunDlg::CopySelectedLines() {
    const std::string text = log->CopySelectedText();
    if (!text.empty()) clipboard->CopyTextToClipboard(this, text);
}

void CBatchRunDlg::SelectAllLines() { log->SelectAll(); }
