#include "search/find_dlg.h"

#include "platform/combo_box.h"
#include "resources/resource_ids.h"
#include "search/search_host.h"

#include <QComboBox>

CFindDlg::CFindDlg(SearchHost* host, QWidget* parent) : CDialog(res::IDD_FIND, parent), host_(host) {}

bool CFindDlg::OnInitDialog() {
    CheckRadioButton(res::IDC_SEARCH_UP, res::IDC_SEARCH_DOWN, res::IDC_SEARCH_DOWN);
    auto* combo = Item<QComboBox>(res::IDC_SEARCH_TEXT);
    for (const std::string& text : host_->SearchEntries().TextsNewestFirst()) platform::AddComboItem(combo, text);
    // The list offers the earlier texts; the box itself starts empty (no
    // item chosen), and the options of earlier entries are not brought back.
    platform::SelectComboItem(combo, -1);
    combo->setFocus();
    return true;
}

void CFindDlg::OnOK() {
    CommitSearchEntry(host_->SearchEntries(), GetItemText(res::IDC_SEARCH_TEXT), IsButtonChecked(res::IDC_WHOLE_WORD),
                      IsButtonChecked(res::IDC_MATCH_CASE), IsButtonChecked(res::IDC_SEARCH_UP));
    EndDialog(platform::IDOK);
}
