#include "texttools/text_result_dlg.h"

#include "platform/fonts.h"
#include "resources/resource_ids.h"
#include "texttools/sql_formatter.h"
#include "texttools/sql_wrap.h"

namespace {

// Enter types a line break into the editable result.
constexpr CResultWindow::Kind kKind{res::IDD_TEXT_RESULT, ResultWindowHost::kTextResultGroup,
                                    AppSettings::kTextResult, true, true};

}  // namespace

CTextResultDlg::CTextResultDlg(ResultWindowHost& host, int slotIndex, std::string_view sourceText, int bufferNumber,
                               TextToolMode mode)
    : CResultWindow(kKind, host, slotIndex, bufferNumber), sourceText(sourceText), mode(mode) {
    MapCommand(res::IDC_SELECT_ALL, [this] {
        edit->SetSel(0, std::string::npos);
        edit->setFocus();
    });
    MapCommand(res::IDC_COPY, [this] { edit->Copy(); });
    Open();
}

QWidget* CTextResultDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_TEXT_RESULT_EDIT) {
        edit = new CSqlEdit(parent);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return edit;
    }
    return CResultWindow::CreateControl(control, parent);
}

void CTextResultDlg::OnInitWindow() {
    edit->SetTabStopPixels(DialogUnitsToPixelsX(9));
    language = settings->language;
    codePrefix = BuildCodePrefix(language, settings->paramName);
    switch (mode) {
    case TextToolMode::Wrap:
        resultText = WrapSqlAsCode(sourceText, language, codePrefix);
        break;
    case TextToolMode::Format:
        resultText = FormatSqlLineBreaks(sourceText, settings->lineBreakCount);
        break;
    case TextToolMode::FormatAndWrap:
        resultText = WrapSqlAsCode(FormatSqlLineBreaks(sourceText, settings->lineBreakCount), language, codePrefix);
        break;
    }
    std::string().swap(sourceText);
    edit->SetText(resultText);
}

void CTextResultDlg::OnShown() { edit->setFocus(); }

void CTextResultDlg::ApplyFont() {
    editFont = platform::WindowFont(settings->fontSize);
    edit->setFont(editFont);
    SetEditMargins();
}

void CTextResultDlg::SetEditMargins() { edit->SetFormatMargins(15, 5); }

void CTextResultDlg::Layout() {
    edit->setGeometry(11, 11, ClientWidth() - 20, ClientHeight() - 20);
    SetEditMargins();
}
