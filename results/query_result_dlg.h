// CQueryResultDlg: the modeless window of one F5 run. It executes its SQL once,
// while it is being created, and shows the answer's rows or a one-line
// message; afterwards it only sorts, selects, copies and resizes.
#pragma once

#include "app/result_window.h"
#include "results/result_grid.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>

#include <cstdint>
#include <string_view>

class COdbcConn;
class ClipboardWriter;
class QPushButton;
namespace platform {
class CEdit;
}

class CQueryResultDlg : public CResultWindow {
    Q_OBJECT

public:
    // Creates, runs and shows the window; sqlText is read only during the call.
    CQueryResultDlg(CMainDlg* owner, int slotIndex, std::string_view sqlText, int bufferNumber);

    // Re-creates the list and SQL fonts from the font size setting.
    void ApplyFont();

    // Which control copy and select-all act on: 0 none, 1 the list, 2 the SQL edit.
    int32_t FocusTarget() const { return focusTarget; }

    results::ResultGrid* list = nullptr;
    platform::CEdit* sqlEdit = nullptr;
    QPushButton* copyButton = nullptr;

    bool PreTranslateKey(QKeyEvent* event) override;

protected:
    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void ExecuteAndShow();
    void OnCopy();
    void OnSelectAll();

    COdbcConn* conn;
    ClipboardWriter* clipboard;
    std::string_view sqlText;
    int32_t bufferNumber;
    int32_t focusTarget = 0;
    // Distance of the copy button's left edge from the client's right edge.
    int copyButtonInset = 0;
    const platform::AccelTable* accelerators;
    QPixmap copyBitmap;
    QFont listFont;
    QFont editFont;
    QIcon icon;
};
