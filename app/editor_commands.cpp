// The main window's editing commands: clipboard, undo, select all, the
// whole-text transforms, the word-wrap switch and the about box. All of them
// act on the shown editor.
#include "app/about_dlg.h"
#include "app/main_dlg.h"
#include "texttools/text_transforms.h"
#include "resources/resource_ids.h"

#include <QTextCursor>

void CMainDlg::OnEditUndo() { curEdit->Undo(); }
void CMainDlg::OnEditCut() { curEdit->cut(); }
void CMainDlg::OnEditCopy() { curEdit->Copy(); }
void CMainDlg::OnEditPaste() { curEdit->paste(); }

void CMainDlg::OnEditSelectAll() {
    curEdit->SetSel(0, std::string::npos);
    curEdit->setFocus();
}

// The transforms replace the whole text, as opening a file does: the undo
// history goes with it, and the buffer keeps its file name.
void CMainDlg::ConvertEditorCase(int mode) {
    if (curEdit->IsEmpty()) return;
    std::string text = curEdit->GetText();
    ConvertCase(text, mode);
    curEdit->SetText(text);
}

void CMainDlg::OnUpperCase() { ConvertEditorCase(kCaseUpper); }
void CMainDlg::OnLowerCase() { ConvertEditorCase(kCaseLower); }

void CMainDlg::OnExtractSql() {
    if (curEdit->IsEmpty()) return;
    curEdit->SetText(ExtractSqlFromCode(curEdit->GetText()));
}

void CMainDlg::OnWordWrap() {
    CSqlEdit* from;
    CSqlEdit* to;
    if (wordWrap == 0) {
        CheckMenuItem(res::ID_WORD_WRAP, true);
        from = editPlain;
        to = editWrap;
        wordWrap = 1;
    } else {
        CheckMenuItem(res::ID_WORD_WRAP, false);
        from = editWrap;
        to = editPlain;
        wordWrap = 0;
    }
    // Both editors show the same text storage: the switch changes only which
    // of them lies on top and how the text wraps. The undo history starts
    // afresh; the caret and selection come along, so the user keeps the place.
    const QTextCursor was = from->textCursor();
    ShowEditor(to);
    to->document()->clearUndoRedoStacks();
    QTextCursor cursor(to->document());
    cursor.setPosition(was.anchor());
    cursor.setPosition(was.position(), QTextCursor::KeepAnchor);
    to->setTextCursor(cursor);
    to->setFocus();
    to->ensureCursorVisible();
}

void CMainDlg::OnAppAbout() {
    CAboutDlg dlg(this);
    dlg.DoModal();
}
