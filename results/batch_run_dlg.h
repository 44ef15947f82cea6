// CBatchRunDlg: the modeless window of one batch run (F10). Its worker
// thread splits the script at ';' and runs the statements one after another
// on the shared connection, one statement scope each, handing the statement
// and then its outcome line to the log and waiting until each is shown. The
// window refuses to close until the worker has run the last statement;
// afterwards the log stays for reading and copying.
#pragma once

#include "app/result_window.h"

#include <QFont>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

class QPushButton;
namespace platform {
class LineHandOver;
class LineSender;
}  // namespace platform
namespace results {
class LogList;
}

class CBatchRunDlg : public CResultWindow {
    Q_OBJECT

public:
    // The log scrolls sideways this far, in pixels.
    static constexpr int kHorizontalExtent = 2048;

    // Creates and shows the window and starts the run; script (the prepared
    // editor text) is copied, the caller may free it on return.
    CBatchRunDlg(ResultWindowHost& host, int slotIndex, std::string_view script, int bufferNumber);
    ~CBatchRunDlg() override;

    void ApplyFont() override;

    // True once the worker has run the last statement (or stopped).
    bool IsFinished() const { return finished_.load(); }

    void StopWork() override;
    bool WorkRunning() const override;

    results::LogList* log = nullptr;
    QPushButton* copyButton = nullptr;

protected:
    void Layout() override;
    void OnShown() override;
    bool CanClose() const override { return IsFinished(); }
    void OnDestroy() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;

private:
    // The worker: every statement of the script, until the end or a stop.
    void RunScript(const platform::LineSender& sender);
    // One statement under its own scope; the outcome line, built under the
    // connection lock, or nothing when a stop came first.
    bool ExecuteStatement(const platform::LineSender& sender, std::string_view statement, std::string& outcome);
    void CopySelectedLines();
    void SelectAllLines();

    // Our own copy of the prepared script; read by the worker only.
    std::string scriptText;
    QFont listFont;
    platform::LineHandOver* handOver = nullptr;
    std::thread worker;
    std::atomic<bool> finished_{false};
};
