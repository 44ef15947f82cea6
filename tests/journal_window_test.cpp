// The recovery journal at work: its writer and the main window's use of it.
#include "app/journal_files.h"
#include "app/journal_format.h"
#include "app/journal_writer.h"
#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/cp932_codes.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QKeyEvent>
#include <QTest>

#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

JournalState ReadJournal(const std::string& path) {
    std::string bytes;
    JournalState state;
    EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
    EXPECT_EQ(DecodeJournal(bytes, state), JournalReadResult::Ok) << path;
    return state;
}

// Text with the forms a widget must keep: ≒ from NEC row 13 and from the IBM
// extensions beside its preferred code, 髙, 〜, and bytes that are no CP932.
const std::string kKeptForms = "\x81\xE0\x87\x90\xFA\x5B\xFB\xFC\x81\x60\r\n\x80\xA0\xFD";

JournalSnapshot Snapshot(uint64_t version, const std::string& cp932) {
    JournalSnapshot s;
    s.buffers[0] = {version, platform::Cp932ToQStringLf(cp932), "/sql/a.sql"};
    return s;
}

TEST(JournalWriter, PostingNeverWaitsForAWriteAndOnlyTheLatestStateFollowsIt) {
    TempDir dir;
    const std::string path = dir.File("j");
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false, release = false;
    JournalWriter writer(path, {}, [&](const std::string& to, std::string_view bytes) {
        std::unique_lock lock(mutex);
        writing = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        WriteFileBytes(to, std::string(bytes));
        return std::error_code();
    });
    writer.Post(Snapshot(1, "first"));
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return writing; });
    }
    // The disk hangs in the first write; the window thread posts on.
    auto posting = std::async(std::launch::async, [&] {
        for (uint64_t v = 2; v <= 100; ++v) writer.Post(Snapshot(v, "edit " + std::to_string(v)));
    });
    ASSERT_EQ(posting.wait_for(20s), std::future_status::ready) << "Post waited for the disk";
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    writer.WaitIdle();
    EXPECT_EQ(writer.Written(), 2);
    EXPECT_EQ(ReadJournal(path).buffers[0].text, "edit 100");
    // The same state again is not written again.
    writer.Post(Snapshot(100, "edit 100"));
    writer.WaitIdle();
    EXPECT_EQ(writer.Written(), 2);
}

class JournalWindowTest : public GuiTest {
protected:
    std::unique_ptr<CMainDlg> Open() {
        auto dlg = std::make_unique<CMainDlg>();
        dlg->keepJournal = true;
        dlg->Create(nullptr);
        Pump();
        return dlg;
    }
    std::string Journal() const { return (Dir() / ".vetch.journal").string(); }
    std::string MenuText(CMainDlg& dlg, int b) { return platform::QStringToCp932(dlg.MenuItem(res::ID_BUFFER_1 + b)->text()); }
    std::vector<std::string> SetAside() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(kSetAsidePrefix, 0) == 0) names.push_back(name);
        }
        return names;
    }
};

TEST_F(JournalWindowTest, EveryBufferIsJournaledAndOnlyAConfirmedExitRemovesTheJournal) {
    auto dlg = Open();
    EXPECT_TRUE(Messages().empty());
    const std::string opened = EveryDoubleByteCode() + kKeptForms;
    dlg->curEdit->SetText(opened);  // as an opened file brings it
    dlg->buffers[0].fileName = "/sql/a.sql";
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    TypeKeys(dlg->curEdit, QString::fromUtf8("select '髙〜'"));
    dlg->SendCommand(res::ID_BUFFER_1 + 4);
    dlg->curEdit->SetText("gone");
    dlg->SendCommand(res::ID_FILE_NEW);  // emptied by the user
    dlg->SendCommand(res::ID_BUFFER_1 + 2);
    dlg->curEdit->SetSel(7, 7);
    dlg->FlushJournal();
    JournalState state = ReadJournal(Journal());
    EXPECT_EQ(state.buffers[0].text, opened);
    EXPECT_EQ(state.buffers[0].fileName, "/sql/a.sql");
    EXPECT_EQ(state.buffers[2].text, S("select '髙～'"));  // typed: 〜 takes its preferred code
    EXPECT_EQ(state.buffers[4].text, "");
    EXPECT_EQ(state.current, 2);
    EXPECT_EQ(state.caret, 7u);
    struct stat st {};
    ASSERT_EQ(::stat(Journal().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A window closed without the exit question (a lost display) leaves it.
    dlg.reset();
    EXPECT_TRUE(std::filesystem::exists(Journal()));
    std::filesystem::remove(Journal());

    dlg = Open();
    dlg->curEdit->SetText("select 1");
    dlg->FlushJournal();
    ASSERT_TRUE(std::filesystem::exists(Journal()));
    dlg->SendCommand(res::ID_APP_EXIT);  // the question answered with OK
    ASSERT_TRUE(dlg->IsDestroyed());
    dlg.reset();
    EXPECT_TRUE(std::filesystem::exists(Dir() / "vetch.ini"));
    EXPECT_FALSE(std::filesystem::exists(Journal()));
    EXPECT_FALSE(std::filesystem::exists(Journal() + ".lock"));
}

TEST_F(JournalWindowTest, YesRestoresEveryBufferNoSetsTheJournalAside) {
    JournalState lost;
    lost.buffers[0].text = kKeptForms;
    lost.buffers[2] = {S("select 3\r\nfrom 表"), "/sql/三.sql"};
    lost.current = 2;
    lost.caret = 8;
    const std::string bytes = EncodeJournal(lost);
    WriteFileBytes(Journal(), bytes);

    messageAnswer = platform::IDNO;
    auto dlg = Open();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("前回の編集中のﾃｷｽﾄが保存されずに残っています。\n復元しますか。"));
    EXPECT_EQ(Messages()[0].flags, platform::MB_ICONEXCLAMATION | platform::MB_YESNO);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(dlg->curBuffer, 0);
    EXPECT_FALSE(std::filesystem::exists(Journal()));
    ASSERT_EQ(SetAside().size(), 1u);
    EXPECT_EQ(ReadFileBytes((Dir() / SetAside()[0]).string()), bytes);
    dlg.reset();

    WriteFileBytes(Journal(), bytes);
    Messages().clear();
    messageAnswer = platform::IDYES;
    dlg = Open();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(dlg->curBuffer, 2);
    EXPECT_EQ(dlg->EditorText(), lost.buffers[2].text);
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 3 [/sql/三.sql]"));
    EXPECT_EQ(MenuText(*dlg, 2), S("ｳｨﾝﾄﾞｳ &3 [/sql/三.sql]"));
    EXPECT_TRUE(dlg->MenuItem(res::ID_BUFFER_1 + 2)->isChecked());
    EXPECT_FALSE(dlg->MenuItem(res::ID_BUFFER_1)->isChecked());
    size_t start = 0, end = 0;
    dlg->curEdit->GetSel(start, end);
    EXPECT_EQ(start, 8u);
    dlg->SendCommand(res::ID_BUFFER_1);
    EXPECT_EQ(dlg->EditorText(), kKeptForms);
    // Journaled again as restored, though only buffer 1 was touched since.
    dlg->curEdit->SetSel(0, 0);
    dlg->FlushJournal();
    const JournalState again = ReadJournal(Journal());
    EXPECT_EQ(again.buffers[2].text, lost.buffers[2].text);
    EXPECT_EQ(again.buffers[2].fileName, "/sql/三.sql");
    EXPECT_EQ(again.buffers[0].text, kKeptForms);
}

TEST_F(JournalWindowTest, ADamagedOrNewerJournalIsReportedAndSetAsideNeverHalfRestored) {
    JournalState lost;
    lost.buffers[0].text = "select 1";
    std::string bytes = EncodeJournal(lost);
    WriteFileBytes(Journal(), bytes.substr(0, bytes.size() - 1));
    auto dlg = Open();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text.rfind(S("前回の編集中のﾃｷｽﾄの控えが壊れているため、復元できません。\n"), 0), 0u);
    EXPECT_NE(Messages()[0].text.find(SetAside().at(0)), std::string::npos);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_FALSE(std::filesystem::exists(Journal()));
    dlg.reset();

    bytes[8] = static_cast<char>(kJournalVersion + 1);
    WriteFileBytes(Journal(), bytes);
    Messages().clear();
    dlg = Open();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text.rfind(S("前回の編集中のﾃｷｽﾄの控えは新しい版で書かれたため、復元できません。"), 0), 0u);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(SetAside().size(), 2u);
}

TEST_F(JournalWindowTest, ARunningInstancesJournalIsNotOfferedAndEachWritesItsOwn) {
    JournalSlot running;  // another instance in this folder
    ASSERT_TRUE(running.Take(Dir().string()));
    JournalState theirs;
    theirs.buffers[0].text = "theirs";
    WriteFileBytes(Journal(), EncodeJournal(theirs));
    auto dlg = Open();
    EXPECT_TRUE(Messages().empty());
    dlg->curEdit->SetText("mine");
    dlg->FlushJournal();
    EXPECT_EQ(ReadJournal(Journal()).buffers[0].text, "theirs");
    EXPECT_EQ(ReadJournal((Dir() / ".vetch.2.journal").string()).buffers[0].text, "mine");
}

TEST_F(JournalWindowTest, AJournalThatCannotBeWrittenIsReportedOnceAndTypingGoesOn) {
    auto dlg = Open();
    // A folder in the journal's place: no write there can succeed (a
    // read-only folder would not stop root).
    std::filesystem::create_directory(Journal());
    for (const char* text : {"one", "two"}) {
        dlg->curEdit->SetText(text);
        dlg->FlushJournal();
        Pump();
    }
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text.rfind(S("編集中のﾃｷｽﾄの控えを書き込めませんでした。\n"), 0), 0u);
    EXPECT_EQ(dlg->EditorText(), "two");
}

}  // namespace
