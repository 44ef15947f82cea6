#include "platform/atomic_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::WriteFileAtomically;

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFileTest, NewFilesGetTheirModeAndExistingFilesKeepTheirs) {
    TempDir dir;
    const mode_t mask = umask(022);
    EXPECT_FALSE(WriteFileAtomically(dir.File("new.sql"), "", platform::kOrdinaryFileMode));
    EXPECT_EQ(ModeOf(dir.File("new.sql")), 0644u);  // 0666 less the umask

    WriteFileBytes(dir.File("old.sql"), "a much longer old text than the new one");
    chmod(dir.File("old.sql").c_str(), 0640);
    // Root saving another user's file gives it back to that user.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(dir.File("old.sql").c_str(), 65534, 65534), 0);
    }
    EXPECT_FALSE(WriteFileAtomically(dir.File("old.sql"), "new", platform::kOwnerOnlyMode));
    EXPECT_EQ(ReadFileBytes(dir.File("old.sql")), "new");
    EXPECT_EQ(ModeOf(dir.File("old.sql")), 0640u);
    struct stat st {};
    ASSERT_EQ(stat(dir.File("old.sql").c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    umask(mask);

    // A name as long as a name can be still gets its temporary file.
    const std::string longName = dir.File(std::string(255, 'n'));
    EXPECT_FALSE(WriteFileAtomically(longName, "long", platform::kOwnerOnlyMode));
    EXPECT_EQ(ReadFileBytes(longName), "long");
    EXPECT_EQ(EntriesIn(dir.Path()), 3u);  // nothing left behind
}

TEST(AtomicFileTest, SymbolicLinksAreWrittenThroughAndStayLinks) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    WriteFileBytes(dir.File("real/target.sql"), "old");
    chmod(dir.File("real/target.sql").c_str(), 0604);
    // A relative link to a relative link.
    fs::create_symlink("real/target.sql", dir.Path() / "first");
    fs::create_symlink("first", dir.Path() / "second");

    EXPECT_FALSE(WriteFileAtomically(dir.File("second"), "through", platform::kOwnerOnlyMode));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "second"));
    EXPECT_EQ(ReadFileBytes(dir.File("real/target.sql")), "through");
    EXPECT_EQ(ModeOf(dir.File("real/target.sql")), 0604u);

    // A loop is an error, not a hang.
    fs::create_symlink("loop-b", dir.Path() / "loop-a");
    fs::create_symlink("loop-a", dir.Path() / "loop-b");
    EXPECT_EQ(WriteFileAtomically(dir.File("loop-a"), "x", platform::kOwnerOnlyMode),
              std::errc::too_many_symbolic_link_levels);
}

TEST(AtomicFileTest, AFailedWriteLeavesTheOldFileWholeAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.File("keep.sql");
    WriteFileBytes(path, "keep me");

    // The disk "fills up" in the middle of the write: a file-size limit makes
    // write() fail with EFBIG, for root too.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::error_code full = WriteFileAtomically(path, std::string(65536, 'x'), platform::kOwnerOnlyMode);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(full, std::errc::file_too_large);
    EXPECT_EQ(ReadFileBytes(path), "keep me");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
    EXPECT_EQ(WriteFileAtomically(dir.File("absent/file.sql"), "x", platform::kOwnerOnlyMode),
              std::errc::no_such_file_or_directory);
}

}  // namespace
