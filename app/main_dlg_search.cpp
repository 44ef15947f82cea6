// The main window's side of find and replace: the editor is read and changed
// here, the searching itself is plain logic in search/.
#include "app/main_dlg.h"

#include "platform/message_box.h"
#include "search/find_dlg.h"
#include "search/find_text.h"
#include "search/replace_all.h"
#include "search/replace_dlg.h"

#include <QApplication>

namespace {

// The not-found messages stand over the replace dialog while it is open.
QWidget* MessageOwner(QWidget* mainWindow) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : mainWindow;
}

}  // namespace

void CMainDlg::OnFind() {
    CFindDlg dlg(this, this);
    if (dlg.DoModal() != platform::IDOK) return;
    size_t selStart = 0, selEnd = 0;
    const std::string text = EditorTextAndSel(selStart, selEnd);
    FindFromSelection(text, selStart, selEnd, false, false);
}

void CMainDlg::OnReplace() {
    CReplaceDlg dlg(this, this);
    dlg.DoModal();
}

std::string CMainDlg::EditorTextAndSel(size_t& selStart, size_t& selEnd) {
    return curEdit->GetTextAndSel(selStart, selEnd);
}

void CMainDlg::OnFindAgain(bool reverse) {
    // Before any search text was confirmed there is nothing to repeat.
    if (!searchHistory.Current()) return;
    size_t selStart = 0, selEnd = 0;
    const std::string text = EditorTextAndSel(selStart, selEnd);
    FindFromSelection(text, selStart, selEnd, reverse, false);
}

int CMainDlg::FindFromSelection(std::string_view text, size_t selStart, size_t selEnd, bool reverse,
                                bool replaceMode) {
    const SearchEntry* entry = searchHistory.Current();
    if (!entry) return -1;
    if (auto p = FindMatch(text, selStart, selEnd, *entry, reverse)) {
        curEdit->SetSelInText(text, *p, *p + entry->text.size());
        curEdit->ScrollCaret();
        return 0;
    }
    platform::MessageBox(MessageOwner(this), NotFoundMessage(entry->text, replaceMode), platform::MB_ICONEXCLAMATION);
    return -1;
}

int CMainDlg::ReplaceSelectionIfMatch(std::string_view text, size_t selStart, size_t selEnd) {
    const SearchEntry* entry = searchHistory.Current();
    const ReplaceEntry* replacement = replaceHistory.Current();
    if (!entry || !replacement || !SelectionMatches(text, selStart, selEnd, *entry)) return 0;
    curEdit->ReplaceSel(replacement->text);
    return 1;
}

void CMainDlg::ReplaceAllInEditor() {
    const SearchEntry* entry = searchHistory.Current();
    const ReplaceEntry* replacement = replaceHistory.Current();
    if (!entry || !replacement) return;
    size_t selStart = 0, selEnd = 0;
    const std::string text = EditorTextAndSel(selStart, selEnd);
    ReplaceAllOutcome outcome = ReplaceAll(text, selStart, selEnd, *entry, replacement->text);
    if (outcome.replaced > 0) {
        curEdit->ReplaceAllText(outcome.text);
        curEdit->SetSel(outcome.selStart, outcome.selEnd);
        curEdit->ScrollCaret();
    }
    if (outcome.finished) {
        platform::MessageBox(MessageOwner(this), NotFoundMessage(entry->text, true), platform::MB_ICONEXCLAMATION);
    }
}
