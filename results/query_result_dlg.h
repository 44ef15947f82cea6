// CQueryResultDlg: the modeless window of one F5 run. It asks the connection
// thread to execute its SQL once and shows the answer's rows or a one-line
// message; afterwards it only sorts, selects, copies and resizes. An answer
// that comes quickly is in the window when it first shows; a slow one shows
// the running state until it comes, and Escape or the close box cancel it.
#pragma once

#include "results/result_window.h"
#include "results/answer_request.h"
#include "results/result_grid.h"

#include <QFont>

#include <cstdint>
#include <string>
#include <string_view>

class QPushButton;
namespace platform {
class CEdit;
}

class CQueryResultDlg : public CResultWindow {
    Q_OBJECT

public:
    // Which control copy and select-all act on: the one that last had the focus.
    enum class Focus : int32_t { None = 0, List = 1, SqlEdit = 2 };

    // Creates the window and starts its run; it shows itself with the answer
    // or the running state. sqlText is read only during the call.
    CQueryResultDlg(ResultWindowHost& host, int slotIndex, std::string_view sqlText, int bufferNumber);

    // Re-creates the list and SQL fonts from the font size setting.
    void ApplyFont() override;

    Focus FocusTarget() const { return focusTarget; }
    // The answer is in the list (a cancelled run counts once its answer came).
    bool Answered() const { return answered; }

    results::ResultGrid* list = nullptr;
    platform::CEdit* sqlEdit = nullptr;
    QPushButton* copyButton = nullptr;

protected:
    void Layout() override;
    void OnInitWindow() override;
    void OnShown() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnEscape() override;
    void OnDestroy() override;

private:
    void ShowAnswer(results::Answer& answer);
    void ShowRunning(const std::string& stateText);
    void ReportFetchFailure();
    void OnCopy();
    void OnSelectAll();

    // Our own copy of the SQL, released once it is on its way.
    std::string sqlText;
    results::AnswerRequest* run = nullptr;
    bool answered = false;
    bool cancelled = false;
    // The driver's message when a row failed after the first ones were
    // shown; it is told once the window is up.
    bool fetchFailed = false;
    std::string fetchFailure;
    Focus focusTarget = Focus::None;
    // Distance of the copy button's left edge from the client's right edge.
    int copyButtonInset = 0;
    QFont listFont;
    QFont editFont;
};
