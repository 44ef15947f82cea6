// The main window's side of the recovery journal: it notes which buffer
// changed, takes the changed texts on a delay and hands them to the writer,
// offers the journal of a session that did not end at start and puts its
// buffers back.
#include "app/journal_session.h"
#include "app/main_dlg.h"
#include "platform/message_box.h"
#include "platform/qtext.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"

#include <QPlainTextDocumentLayout>
#include <QTextDocument>

#include <unistd.h>

namespace {

constexpr int kJournalDelayMs = 2000;

std::unique_ptr<QTextDocument> DocumentOf(const std::string& cp932) {
    auto text = std::make_unique<QTextDocument>();
    text->setDocumentLayout(new QPlainTextDocumentLayout(text.get()));
    text->setPlainText(platform::Cp932ToQStringLf(cp932));
    return text;
}

}  // namespace

void CMainDlg::StartJournal() {
    journal = std::make_unique<JournalSession>();
    // No lock, no journal of a lost session either: the folder cannot be
    // written, and the first write says so.
    const bool held = journal->slot.Take(FolderOf(settings.Path()));
    journal->writer = std::make_unique<JournalWriter>(journal->slot.JournalPath(), [this](std::error_code error) {
        QMetaObject::invokeMethod(this, [this, error] { ReportJournalFailure(error); }, Qt::QueuedConnection);
    });
    journal->delay.setSingleShot(true);
    journal->delay.setInterval(kJournalDelayMs);
    connect(&journal->delay, &QTimer::timeout, this, [this] { WriteJournal(); });
    // Both editors show the one text storage; editPlain's signal follows it
    // through every buffer switch.
    connect(editPlain, &QPlainTextEdit::textChanged, this, [this] {
        if (!journal) return;
        journal->dirty[curBuffer] = true;
        JournalChanged();
    });
    if (held) OfferJournal(journal->slot.JournalPath());
}

void CMainDlg::JournalChanged() {
    if (journal && !journal->exitConfirmed && !journal->delay.isActive()) journal->delay.start();
}

void CMainDlg::WriteJournal() {
    if (!journal || journal->exitConfirmed) return;
    JournalSnapshot snapshot;
    for (int i = 0; i < kJournalBuffers; ++i) {
        JournalSnapshot::Buffer& taken = journal->taken[i];
        if (journal->dirty[i]) {
            // A copy of the document's text (about 1 ms for 2 MB), which the
            // worker may read while the user types on; only what changed.
            const QTextDocument* text = i == curBuffer ? curEdit->document() : buffers[i].savedText.get();
            taken.text = text ? text->toPlainText() : QString();
            ++taken.version;
            journal->dirty[i] = false;
        }
        taken.fileName = buffers[i].fileName;
        snapshot.buffers[i] = taken;
    }
    snapshot.current = curBuffer;
    snapshot.caretPosition = curEdit->textCursor().position();
    journal->writer->Post(std::move(snapshot));
}

void CMainDlg::FlushJournal() {
    if (!journal) return;
    journal->delay.stop();
    WriteJournal();
    journal->writer->WaitIdle();
}

void CMainDlg::FinishCleanExit() {
    if (!journal) return;
    journal->exitConfirmed = true;
    journal.reset();
}

void CMainDlg::ReportJournalFailure(std::error_code error) {
    if (!journal || journal->failureReported) return;
    journal->failureReported = true;
    platform::MessageBox(this,
                         platform::SjisFormat("編集中のﾃｷｽﾄの控えを書き込めませんでした。\n%s\n%s",
                                              platform::FileNameToCp932(journal->slot.JournalPath()).c_str(),
                                              error.message().c_str()),
                         platform::MB_ICONEXCLAMATION | platform::MB_OK);
}

void CMainDlg::OfferJournal(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return;  // the last session ended well
    JournalState state;
    const JournalReadResult read = DecodeJournal(bytes, state);
    if (read == JournalReadResult::Ok && JournalIsEmpty(state)) {
        ::unlink(path.c_str());
        return;
    }
    if (read == JournalReadResult::Ok) {
        const int answer = platform::MessageBox(
            this, platform::Sjis("前回の編集中のﾃｷｽﾄが保存されずに残っています。\n復元しますか。"),
            platform::MB_ICONEXCLAMATION | platform::MB_YESNO);
        if (answer == platform::IDYES) {
            RestoreJournal(state);
            return;
        }
    }
    // Refused or unreadable, it is kept under another name: a wrong answer
    // can still be undone by hand.
    std::error_code error;
    const std::string aside = SetJournalAside(path, error);
    if (read == JournalReadResult::Ok && !error) return;
    std::string text = read == JournalReadResult::NewerVersion
                           ? platform::Sjis("前回の編集中のﾃｷｽﾄの控えは新しい版で書かれたため、復元できません。")
                           : platform::Sjis("前回の編集中のﾃｷｽﾄの控えが壊れているため、復元できません。");
    if (read == JournalReadResult::Ok) text = platform::Sjis("前回の編集中のﾃｷｽﾄの控えを移せませんでした。");
    text += error ? platform::SjisFormat("\n%s\n%s", platform::FileNameToCp932(path).c_str(), error.message().c_str())
                  : platform::SjisFormat("\n%s に移しました。", platform::FileNameToCp932(aside).c_str());
    platform::MessageBox(this, text, platform::MB_ICONEXCLAMATION | platform::MB_OK);
}

void CMainDlg::RestoreJournal(const JournalState& state) {
    for (int i = 0; i < kJournalBuffers; ++i) {
        buffers[i].fileName = state.buffers[i].fileName;
        if (i != curBuffer) buffers[i].savedText = DocumentOf(state.buffers[i].text);
    }
    curEdit->SetText(state.buffers[curBuffer].text);
    // Every Window-menu item with its file, then the journaled buffer shown
    // as a switch shows it.
    for (int i = 0; i < kJournalBuffers; ++i) {
        UpdateBufferCaption(i);
        CheckMenuItem(res::ID_BUFFER_1 + i, false);
    }
    if (state.current == curBuffer) UpdateBufferCaption(curBuffer);
    else OnSelectBuffer(res::ID_BUFFER_1 + state.current);
    curEdit->SetSel(state.caret, state.caret);
    curEdit->ScrollCaret();
    // The texts taken so far are the empty start; the next write takes all.
    journal->dirty.fill(true);
}
