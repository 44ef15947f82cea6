// How the main window's two editors hold the shown buffer's text. Both show
// the same text storage (one QTextDocument): the shown editor lies on top,
// the other one disabled beneath it with the same geometry. Switching word
// wrap therefore moves no text, only the document's wrap option; and since
// both editors take every resize, the text always wraps at the width of the
// editor on top, whichever of them laid it out last.
#include "app/main_dlg.h"

#include <QPlainTextDocumentLayout>
#include <QTextDocument>
#include <QTextOption>

namespace {

QTextOption::WrapMode WrapModeOf(const QPlainTextEdit* edit) {
    return edit->lineWrapMode() == QPlainTextEdit::NoWrap ? QTextOption::NoWrap : edit->wordWrapMode();
}

}  // namespace

void CMainDlg::ShareEditorText() {
    QTextDocument* text = editPlain->document();
    // The window owns the shown text, so that it outlives both editors.
    text->setParent(this);
    editWrap->setDocument(text);
    ShowEditor(editPlain);
}

void CMainDlg::ShowEditor(CSqlEdit* shown) {
    CSqlEdit* covered = shown == editPlain ? editWrap : editPlain;
    QTextDocument* text = shown->document();
    QTextOption option = text->defaultTextOption();
    if (option.wrapMode() != WrapModeOf(shown)) {
        option.setWrapMode(WrapModeOf(shown));
        text->setDefaultTextOption(option);
    }
    shown->setEnabled(true);
    shown->setUpdatesEnabled(true);
    shown->show();
    shown->raise();
    // Beneath, it would paint the same text again at every change, never seen.
    covered->setUpdatesEnabled(false);
    covered->setEnabled(false);
    covered->show();
    covered->stackUnder(shown);
    curEdit = shown;
}

std::unique_ptr<QTextDocument> CMainDlg::ExchangeEditorText(std::unique_ptr<QTextDocument> incoming) {
    QTextDocument* outgoing = curEdit->document();
    if (!incoming) {
        incoming = std::make_unique<QTextDocument>();
        incoming->setDocumentLayout(new QPlainTextDocumentLayout(incoming.get()));
    }
    // The editors' font, margin, tab stops and wrap mode, whatever the text
    // was shown in before.
    if (incoming->defaultFont() != outgoing->defaultFont()) incoming->setDefaultFont(outgoing->defaultFont());
    incoming->setDocumentMargin(outgoing->documentMargin());
    incoming->setDefaultTextOption(outgoing->defaultTextOption());
    QTextDocument* text = incoming.release();
    text->setParent(this);
    CoveredEdit()->setDocument(text);
    curEdit->setDocument(text);
    ShowEditor(curEdit);
    outgoing->setParent(nullptr);
    outgoing->clearUndoRedoStacks();
    return std::unique_ptr<QTextDocument>(outgoing);
}
