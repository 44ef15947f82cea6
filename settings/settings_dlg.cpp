#include "settings/settings_dlg.h"

#include "platform/combo_box.h"
#include "platform/cp932.h"
#include "resources/resource_ids.h"
#include "settings/app_settings.h"

#include <QComboBox>
#include <QLineEdit>

#include <string>

namespace {

// The most characters read from a number field, as a 255-byte buffer takes.
constexpr std::size_t kNumberTextMax = 254;

}  // namespace

CSettingsDlg::CSettingsDlg(AppSettings* settings) : CDialog(res::IDD_SETTINGS, nullptr), settings(settings) {}

bool CSettingsDlg::OnInitDialog() {
    if (auto* edit = Item<QLineEdit>(res::IDC_PARAM_NAME)) edit->setMaxLength(static_cast<int>(AppSettings::kTextMax));
    for (int id : {res::IDC_LINE_BREAK_COUNT, res::IDC_RESULT_MAX, res::IDC_TIMEOUT}) {
        if (auto* edit = Item<QLineEdit>(id)) edit->setMaxLength(static_cast<int>(kNumberTextMax));
    }
    SetItemText(res::IDC_LINE_BREAK_COUNT, std::to_string(settings->lineBreakCount));
    SetItemText(res::IDC_PARAM_NAME, settings->paramName);
    CheckRadioButton(res::IDC_LANGUAGE_VCPP, res::IDC_LANGUAGE_VB,
                     settings->language == 0 ? res::IDC_LANGUAGE_VCPP : res::IDC_LANGUAGE_VB);
    SetItemText(res::IDC_RESULT_MAX, std::to_string(settings->resultMax));
    SetItemText(res::IDC_TIMEOUT, std::to_string(settings->timeout));
    // The list's own search: the first entry that begins with the number, so
    // a stored 1 chooses "10" and a stored 13 chooses nothing.
    if (auto* combo = Item<QComboBox>(res::IDC_FONT_SIZE)) {
        platform::SelectComboItem(combo, -1);
        platform::SelectComboPrefix(combo, std::to_string(settings->fontSize));
    }
    CenterOver(nullptr);
    return true;
}

namespace {

// The decimal value at the start of a text, as the C library reads one; an
// empty text is 0, and a value beyond the int range stops at its limit.
int DecimalValue(const std::string& text) {
    return platform::SaturateToInt(platform::ReadLeadingNumber(text.substr(0, kNumberTextMax)).value);
}

}  // namespace

void CSettingsDlg::OnOK() {
    settings->lineBreakCount = DecimalValue(GetItemText(res::IDC_LINE_BREAK_COUNT));
    settings->paramName = platform::CutToBytes(GetItemText(res::IDC_PARAM_NAME), AppSettings::kTextMax);
    settings->language = IsButtonChecked(res::IDC_LANGUAGE_VCPP) ? 0 : 1;
    settings->resultMax = DecimalValue(GetItemText(res::IDC_RESULT_MAX));
    settings->timeout = DecimalValue(GetItemText(res::IDC_TIMEOUT));
    settings->fontSize = DecimalValue(GetItemText(res::IDC_FONT_SIZE));
    EndDialog(platform::IDOK);
}
