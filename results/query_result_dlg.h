// CQueryResultDlg: the modeless window of one F5 run. It executes its SQL once,
// while it is being created, and shows the answer's rows or a one-line
// message; afterwards it only sorts, selects, copies and resizes.
#pragma once

#include "app/result_window.h"
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

    // Creates, runs and shows the window; sqlText is read only during the call.
    CQueryResultDlg(ResultWindowHost& host, int slotIndex, std::string_view sqlText, int bufferNumber);

    // Re-creates the list and SQL fonts from the font size setting.
    void ApplyFont() override;

    Focus FocusTarget() const { return focusTarget; }

    results::ResultGrid* list = nullptr;
    platform::CEdit* sqlEdit = nullptr;
    QPushButton* copyButton = nullptr;

protected:
    void Layout() override;
    void OnInitWindow() override;
    void OnShown() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ExecuteAndShow();
    void OnCopy();
    void OnSelectAll();

    // Our own copy of the SQL, released once it has run.
    std::string sqlText;
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
