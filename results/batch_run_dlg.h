// CBatchRunDlg: the modeless window of one batch run (F10). The script is
// split at ';' and its statements run one after another on the connection
// thread, one turn and one statement scope each, so other work (an F5, a
// catalogue question) runs between two statements. Each turn hands the
// statement and then its outcome line to the log and waits until each is
// shown. The window refuses to close until the run has done the last
// statement; afterwards the log stays for reading and copying.
#pragma once

#include "results/result_window.h"

#include <QFont>

#include <memory>
#include <string>
#include <string_view>

class QPushButton;
namespace db {
class Request;
}
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

    // True once the run has done the last statement (or stopped).
    bool IsFinished() const;

    void StopWork() override;

    results::LogList* log = nullptr;
    QPushButton* copyButton = nullptr;

protected:
    void Layout() override;
    void OnShown() override;
    bool CanClose() const override { return IsFinished(); }
    void OnDestroy() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;

private:
    void CopySelectedLines();
    void SelectAllLines();

    // Our own copy of the prepared script, until the run starts.
    std::string scriptText;
    QFont listFont;
    platform::LineHandOver* handOver = nullptr;
    std::shared_ptr<const db::Request> run;
};
