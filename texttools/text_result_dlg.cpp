#include "texttools/text_result_dlg.h"

#include "platform/fonts.h"
#include "platform/sjis_format.h"
#include "resources/images.h"
#include "resources/resource_ids.h"
#include "texttools/sql_formatter.h"
#include "texttools/sql_wrap.h"

#include <QKeyEvent>

CTextResultDlg::CTextResultDlg(CMainDlg* owner, int slotIndex, std::string_view sourceText, int bufferNumber,
                               TextToolMode mode)
    : CResultWindow(res::IDD_TEXT_RESULT, owner, CMainDlg::kTextResultGroup, slotIndex),
      sourceText(sourceText),
      bufferNumber(bufferNumber),
      mode(mode),
      accelerators(platform::FindAccelTable(res::IDR_RESULT_ACCEL)),
      icon(res::LoadIcon(res::IDI_RESULT)) {
    MapCommand(res::IDC_SELECT_ALL, [this] {
        edit->SetSel(0, std::string::npos);
        edit->setFocus();
    });
    MapCommand(res::IDC_COPY, [this] { edit->Copy(); });
    Create(owner);
    this->sourceText = {};
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

bool CTextResultDlg::OnInitDialog() {
    setWindowIcon(icon);
    SetWindowText(platform::SjisFormat("%s － ｳｨﾝﾄﾞｳ %d", platform::CutToBytes(GetWindowText(), 255).c_str(),
                                       bufferNumber + 1));
    RestoreSize(settings->winSize[AppSettings::kTextResult]);
    ApplyFont();
    Layout();
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
    edit->SetText(resultText);

    CenterOver(owner);
    show();
    edit->setFocus();
    return true;
}

void CTextResultDlg::ApplyFont() {
    editFont = platform::PointFont(platform::kGothicFace, settings->fontSize * 10);
    edit->setFont(editFont);
}

void CTextResultDlg::SetEditMargins() { edit->SetFormatMargins(15, 5); }

void CTextResultDlg::Layout() {
    edit->setGeometry(11, 11, ClientWidth() - 20, ClientHeight() - 20);
    SetEditMargins();
}

void CTextResultDlg::OnSize(int, int) {
    if (edit) Layout();
}

bool CTextResultDlg::PreTranslateKey(QKeyEvent* event) {
    if (TranslateAccelerator(accelerators, event)) return true;
    return event->key() == Qt::Key_Escape;
}

void CTextResultDlg::OnDestroy() { StoreSize(settings->winSize[AppSettings::kTextResult]); }
