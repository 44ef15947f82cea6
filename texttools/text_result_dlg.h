// CTextResultDlg: the modeless window that shows what the SQL text tools made
// of the editor text: the wrapped code (F7), the formatted SQL (F8) or both
// (F9). Its text is editable and independent of the editor.
#pragma once

#include "app/result_window.h"
#include "app/sql_edit.h"

#include <QFont>
#include <QIcon>

#include <cstdint>
#include <string>
#include <string_view>

enum class TextToolMode : int32_t { Wrap = 1, Format = 2, FormatAndWrap = 3 };

class CTextResultDlg : public CResultWindow {
    Q_OBJECT

public:
    // Creates and shows the window; sourceText is read only during the call.
    CTextResultDlg(CMainDlg* owner, int slotIndex, std::string_view sourceText, int bufferNumber,
                   TextToolMode mode);

    void ApplyFont();
    void SetEditMargins();

    CSqlEdit* edit = nullptr;
    bool PreTranslateKey(QKeyEvent* event) override;

protected:
    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;

private:
    void Layout();

    std::string_view sourceText;
    std::string resultText;
    int32_t bufferNumber;
    TextToolMode mode;
    int32_t language = 0;
    std::string codePrefix;
    const platform::AccelTable* accelerators;
    QFont editFont;
    QIcon icon;
};
