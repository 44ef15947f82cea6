// CTextResultDlg: the modeless window that shows what the SQL text tools made
// of the editor text: the wrapped code (F7), the formatted SQL (F8) or both
// (F9). Its text is editable and independent of the editor.
#pragma once

#include "results/result_window.h"
#include "platform/sql_edit.h"

#include <QFont>

#include <cstdint>
#include <string>
#include <string_view>

enum class TextToolMode : int32_t { Wrap = 1, Format = 2, FormatAndWrap = 3 };

class CTextResultDlg : public CResultWindow {
    Q_OBJECT

public:
    // Creates and shows the window; sourceText is read only during the call.
    CTextResultDlg(ResultWindowHost& host, int slotIndex, std::string_view sourceText, int bufferNumber,
                   TextToolMode mode);

    // The font, then the margins the font change may have undone.
    void ApplyFont() override;
    void SetEditMargins();

    CSqlEdit* edit = nullptr;

protected:
    void Layout() override;
    void OnInitWindow() override;
    void OnShown() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;

private:
    // Our own copy of the text to work on, released once the tool has run.
    std::string sourceText;
    std::string resultText;
    TextToolMode mode;
    int32_t language = 0;
    std::string codePrefix;
    QFont editFont;
};
