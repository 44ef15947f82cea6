#include "app/main_dlg.h"
#include "resources/resource_ids.h"
#include "support/cp932_codes.h"
#include "support/main_window_fixture.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QTest>

#include <filesystem>
#include <memory>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// File permissions bind even when the tests run as root: the file-system
// user becomes "nobody" for the life of this object (this thread only).
struct AsOrdinaryUser {
    const bool wasRoot = geteuid() == 0;
    AsOrdinaryUser() { if (wasRoot) setfsuid(65534); }
    ~AsOrdinaryUser() { if (wasRoot) setfsuid(0); }
};

class FileCommandsTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // The program runs in work/, and its SQL files live in sql/ beside it.
        work_ = Dir() / "work";
        fs::create_directories(work_);
        fs::current_path(work_);
    }

    // Answers the next file dialogs with path.
    void Choose(const fs::path& path) {
        fileAnswer = [path](const platform::FileDialogRequest&) { return std::optional<std::string>(path.string()); };
    }
    void Cancel() { fileAnswer = nullptr; }
    // Opens path through Ctrl+O.
    void OpenFile(CMainDlg& dlg, const fs::path& path) {
        Choose(path);
        QTest::keyClick(dlg.curEdit, Qt::Key_O, Qt::ControlModifier);
    }

    fs::path work_;
};

TEST_F(FileCommandsTest, OpeningBringsEveryLineEndToCrLfAndStopsAt1AOrNul) {
    auto dlg = Open();
    const fs::path path = Dir() / "q.sql";
    struct Case {
        std::string file, text;
    } cases[] = {
        {"select *\nfrom t\n", "select *\r\nfrom t\r\n"},      // LF only
        {"select *\rfrom t\r", "select *\r\nfrom t\r\n"},      // CR only
        {"A\r\r\nB", "A\r\nB"},                                // CR CR LF is one line end
        {std::string("select 1\r\n\x1Aselect 2\r\n"), "select 1\r\n"},
        {std::string("select 1\0select 2", 17), "select 1"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(path.string(), c.file);
        OpenFile(*dlg, path);
        EXPECT_EQ(dlg->EditorText(), c.text);
    }
    EXPECT_EQ(fs::current_path(), work_);
    EXPECT_TRUE(Messages().empty());

    // "sql" beside the current folder is where the dialog starts.
    EXPECT_EQ(FileDialogs().back().folder, "");  // no sql folder yet: the current one
    fs::create_directories(Dir() / "sql");
    OpenFile(*dlg, path);
    EXPECT_EQ(fs::path(FileDialogs().back().folder), Dir() / "sql");
    EXPECT_EQ(fs::current_path(), work_);

    // A cancelled dialog changes nothing.
    dlg->curEdit->SetText("kept");
    Cancel();
    dlg->SendCommand(res::ID_FILE_OPEN);
    EXPECT_EQ(dlg->EditorText(), "kept");
    EXPECT_EQ(dlg->buffers[0].fileName, path.string());
    EXPECT_EQ(fs::current_path(), work_);
}

TEST_F(FileCommandsTest, SaveWritesTheEditorBytesAndNothingElse) {
    auto dlg = Open();
    const fs::path path = Dir() / "q.sql";
    WriteFileBytes(path.string(), "select *\nfrom t\n");
    OpenFile(*dlg, path);
    const size_t dialogs = FileDialogs().size();
    QTest::keyClick(dlg->curEdit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(FileDialogs().size(), dialogs);  // a named buffer saves without asking
    EXPECT_EQ(ReadFileBytes(path.string()), "select *\r\nfrom t\r\n");

    // An empty editor saves as an empty file.
    dlg->curEdit->SetText("");
    dlg->SendCommand(res::ID_FILE_SAVE);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(fs::current_path(), work_);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FileCommandsTest, SaveOfANamelessBufferAsksForANameAndCancelLeavesItNameless) {
    auto dlg = Open();
    dlg->curEdit->SetText("select 1");
    const std::string title = dlg->GetWindowText();
    Cancel();
    QTest::keyClick(dlg->curEdit, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(FileDialogs().size(), 1u);
    EXPECT_EQ(FileDialogs()[0].kind, platform::FileDialogKind::Save);
    EXPECT_TRUE(dlg->buffers[0].fileName.empty());
    EXPECT_EQ(dlg->GetWindowText(), title);
    EXPECT_TRUE(fs::is_empty(Dir() / "work"));
    EXPECT_EQ(fs::current_path(), work_);
}

TEST_F(FileCommandsTest, AJapaneseNameSavesOpensAndShowsInTitleAndWindowMenu) {
    auto dlg = Open();
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    const std::string text = S("select 氏名, ｶﾅ from 社員 -- ～①\r\n");
    dlg->curEdit->SetText(text);
    const fs::path path = Dir() / "売上 集計.sql";  // the file system's own (UTF-8) name
    Choose(path);
    dlg->MenuItem(res::ID_FILE_SAVE_AS)->trigger();
    EXPECT_EQ(ReadFileBytes(path.string()), text);
    EXPECT_EQ(dlg->buffers[1].fileName, path.string());
    const std::string shown = platform::QStringToCp932(QString::fromUtf8(path.string()));
    EXPECT_TRUE(shown.ends_with(S("/売上 集計.sql")));
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 2 [") + shown + "]");
    EXPECT_EQ(BufferLabel(*dlg, dlg->curBuffer), S("ｳｨﾝﾄﾞｳ &2 [") + shown + "]");

    QTest::keyClick(dlg->curEdit, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(dlg->EditorText(), "");
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 2"));
    OpenFile(*dlg, path);
    EXPECT_EQ(dlg->EditorText(), text);
    EXPECT_EQ(dlg->GetWindowText(), S("vetch － ｳｨﾝﾄﾞｳ 2 [") + shown + "]");
    EXPECT_EQ(fs::current_path(), work_);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FileCommandsTest, AFailedSaveAsTellsWhyAndKeepsTheBuffersFileAndTitle) {
    auto dlg = Open();
    const fs::path path = Dir() / "q.sql";
    WriteFileBytes(path.string(), "old text\r\n");
    OpenFile(*dlg, path);
    const std::string title = dlg->GetWindowText(), label = BufferLabel(*dlg, dlg->curBuffer);
    dlg->curEdit->SetText("new text\r\n");
    const fs::path folder = Dir() / "locked";
    fs::create_directories(folder);
    chmod(Dir().c_str(), 0755);  // reachable, but the folder takes no new file
    chmod(folder.c_str(), 0555);
    Choose(folder / "other.sql");
    {
        AsOrdinaryUser user;
        dlg->SendCommand(res::ID_FILE_SAVE_AS);
    }
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find(S("保存できませんでした")), std::string::npos) << Messages()[0].text;
    EXPECT_NE(Messages()[0].text.find("Permission denied"), std::string::npos) << Messages()[0].text;
    EXPECT_TRUE(fs::is_empty(folder));  // not even a temporary file
    EXPECT_EQ(dlg->buffers[0].fileName, path.string());
    EXPECT_EQ(dlg->GetWindowText(), title);
    EXPECT_EQ(BufferLabel(*dlg, dlg->curBuffer), label);

    // The next Ctrl+S goes to the file the buffer still has.
    QTest::keyClick(dlg->curEdit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(path.string()), "new text\r\n");
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(fs::current_path(), work_);
}

// Saving as an ordinary user keeps what the file is: its protection, its
// owner, its other names.
TEST_F(FileCommandsTest, SaveKeepsAFilesProtectionOwnerAndLinks) {
    auto dlg = Open();
    chmod(Dir().c_str(), 0755);
    constexpr uid_t kNobody = 65534, kRoot = 0;
    const struct Case {
        const char* name;
        mode_t folderMode, fileMode;
        uid_t owner;
        bool linked, saved;
    } cases[] = {
        {"write-protected", 0777, 0444, kNobody, false, false},
        {"read-only folder", 0555, 0666, kRoot, false, true},
        {"another's file", 0777, 0666, kRoot, false, true},
        {"hard-linked", 0777, 0644, kNobody, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = Dir() / c.name;
        fs::create_directory(folder);
        const fs::path path = folder / "q.sql", link = folder / "link.sql";
        WriteFileBytes(path.string(), "old\r\n");
        ASSERT_EQ(chown(path.c_str(), c.owner, 0), 0);
        chmod(path.c_str(), c.fileMode);
        if (c.linked) fs::create_hard_link(path, link);
        chmod(folder.c_str(), c.folderMode);
        OpenFile(*dlg, path);
        dlg->curEdit->SetText("new\r\n");
        Messages().clear();
        {
            AsOrdinaryUser user;
            QTest::keyClick(dlg->curEdit, Qt::Key_S, Qt::ControlModifier);
        }
        EXPECT_EQ(ReadFileBytes(path.string()), c.saved ? "new\r\n" : "old\r\n");
        if (c.linked) {
            EXPECT_EQ(ReadFileBytes(link.string()), "new\r\n");
        }
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_mode & 07777, c.fileMode);
        EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator())),
                  c.linked ? 2u : 1u);  // no temporary file left behind
        ASSERT_EQ(Messages().size(), c.saved ? 0u : 1u);
        if (!c.saved) {
            EXPECT_NE(Messages()[0].text.find(S("保存できませんでした")), std::string::npos) << Messages()[0].text;
            EXPECT_NE(Messages()[0].text.find("Permission denied"), std::string::npos) << Messages()[0].text;
        }
        chmod(folder.c_str(), 0755);
    }
}

TEST_F(FileCommandsTest, AFileThatCannotBeReadIsReportedAndTheBufferStays) {
    auto dlg = Open();
    const fs::path named = Dir() / "named.sql";
    WriteFileBytes(named.string(), "select 1");
    OpenFile(*dlg, named);
    dlg->curEdit->SetText("unsaved work");
    const std::string title = dlg->GetWindowText();

    const fs::path secret = Dir() / "secret.sql";
    WriteFileBytes(secret.string(), "select 2");
    chmod(secret.c_str(), 0000);
    chmod(Dir().c_str(), 0755);
    {
        AsOrdinaryUser user;
        OpenFile(*dlg, secret);
    }
    const fs::path huge = Dir() / "huge.sql";
    WriteFileBytes(huge.string(), "select 3");
    ASSERT_EQ(truncate(huge.c_str(), (256 << 20) + 1), 0);
    OpenFile(*dlg, huge);

    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_NE(Messages()[0].text.find(S("開けませんでした")), std::string::npos) << Messages()[0].text;
    EXPECT_NE(Messages()[0].text.find("Permission denied"), std::string::npos) << Messages()[0].text;
    EXPECT_NE(Messages()[1].text.find(S("大きすぎる")), std::string::npos) << Messages()[1].text;
    EXPECT_EQ(dlg->EditorText(), "unsaved work");
    EXPECT_EQ(dlg->buffers[0].fileName, named.string());
    EXPECT_EQ(dlg->GetWindowText(), title);
}

// Every byte comes back from an open and a save without edits: here the
// bytes that are not valid CP932, and every valid double-byte code.
TEST_F(FileCommandsTest, OpenAndSaveGiveBackEveryByte) {
    auto dlg = Open();
    const fs::path invalid = Dir() / "invalid.sql";
    const std::string stray = "a\x80" "b\xA0" "c\xFD" "d '\x80\xA0\xFD'\r\n\x81\r\n";
    WriteFileBytes(invalid.string(), stray);
    OpenFile(*dlg, invalid);
    dlg->SendCommand(res::ID_FILE_SAVE);
    EXPECT_EQ(ReadFileBytes(invalid.string()), stray);

    // Every code the code page defines, NEC and IBM duplicates and the
    // user-defined area included, 32 to a line.
    const std::string every = EveryDoubleByteCode();
    std::string all;
    for (size_t i = 0; i < every.size(); i += 64) all += every.substr(i, 64) + "\r\n";
    const fs::path codes = Dir() / "codes.sql";
    WriteFileBytes(codes.string(), all);
    OpenFile(*dlg, codes);
    dlg->SendCommand(res::ID_FILE_SAVE);
    EXPECT_TRUE(ReadFileBytes(codes.string()) == all) << "a double-byte code changed";
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
