#include "search/replace_dlg.h"

#include "platform/combo_box.h"
#include "resources/resource_ids.h"
#include "search/search_host.h"

#include <QComboBox>

namespace {

// The list offers the earlier texts; the box itself starts empty.
void FillHistory(QComboBox* combo, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) platform::AddComboItem(combo, text);
    platform::SelectComboItem(combo, -1);
}

}  // namespace

CReplaceDlg::CReplaceDlg(SearchHost* host, QWidget* parent) : CDialog(res::IDD_REPLACE, parent), host_(host) {
    MapCommand(res::IDC_FIND_NEXT, [this] { FindNext(); });
    MapCommand(res::IDC_REPLACE_ONCE, [this] { ReplaceOnce(); });
    MapCommand(res::IDC_REPLACE_ALL, [this] { ReplaceAll(); });
}

bool CReplaceDlg::OnInitDialog() {
    // The scope buttons are for show: every operation works on the whole text.
    CheckRadioButton(res::IDC_SCOPE_SELECTION, res::IDC_SCOPE_WHOLE_TEXT, res::IDC_SCOPE_WHOLE_TEXT);
    FillHistory(Item<QComboBox>(res::IDC_SEARCH_TEXT), host_->SearchEntries().TextsNewestFirst());
    FillHistory(Item<QComboBox>(res::IDC_REPLACE_TEXT), host_->ReplaceEntries().TextsNewestFirst());
    GetDlgItem(res::IDC_SEARCH_TEXT)->setFocus();
    return true;
}

void CReplaceDlg::CommitSearch() {
    // Searches from here always go down, whatever the find dialog chose.
    CommitSearchEntry(host_->SearchEntries(), GetItemText(res::IDC_SEARCH_TEXT), IsButtonChecked(res::IDC_WHOLE_WORD),
                      IsButtonChecked(res::IDC_MATCH_CASE), false);
}

void CReplaceDlg::CommitReplacement() {
    CommitReplaceEntry(host_->ReplaceEntries(), GetItemText(res::IDC_REPLACE_TEXT));
}

void CReplaceDlg::FindNext() {
    CommitSearch();
    size_t selStart = 0, selEnd = 0;
    const std::string text = host_->EditorTextAndSel(selStart, selEnd);
    host_->FindFromSelection(text, selStart, selEnd, false, true);
}

int CReplaceDlg::ReplaceOnce() {
    CommitSearch();
    CommitReplacement();
    size_t selStart = 0, selEnd = 0;
    std::string text = host_->EditorTextAndSel(selStart, selEnd);
    const int replaced = host_->ReplaceSelectionIfMatch(text, selStart, selEnd);
    if (replaced == 1) text = host_->EditorTextAndSel(selStart, selEnd);
    if (host_->FindFromSelection(text, selStart, selEnd, false, true) == -1) return -1;
    return replaced;
}

void CReplaceDlg::ReplaceAll() {
    CommitSearch();
    CommitReplacement();
    host_->ReplaceAllInEditor();
}
