#include "app/sql_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

TEST(SqlFileText, EveryLineEndOpensAsCrLf) {
    EXPECT_EQ(SqlFileText("a\nb\nc"), "a\r\nb\r\nc");      // LF only
    EXPECT_EQ(SqlFileText("a\rb\rc\r"), "a\r\nb\r\nc\r\n");  // CR only
    EXPECT_EQ(SqlFileText("a\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(SqlFileText("A\r\r\nB"), "A\r\nB");  // CR CR LF is one line end
    EXPECT_EQ(SqlFileText("A\r\r\r\nB"), "A\r\n\r\nB");
    EXPECT_EQ(SqlFileText("A\n\rB"), "A\r\n\r\nB");  // LF CR is two
    EXPECT_EQ(SqlFileText("\n"), "\r\n");
    EXPECT_EQ(SqlFileText(""), "");
}

TEST(SqlFileText, TextEndsAtTheFirst1AOrNul) {
    EXPECT_EQ(SqlFileText(Bytes("select 1\r\n\x1A" "rest\r\n", 16)), "select 1\r\n");
    EXPECT_EQ(SqlFileText(Bytes("select\0 1", 9)), "select");
    EXPECT_EQ(SqlFileText(Bytes("a\0b\x1A" "c", 5)), "a");
    EXPECT_EQ(SqlFileText(Bytes("a\x1A" "b\0c", 5)), "a");
    EXPECT_EQ(SqlFileText(Bytes("a\r\x1A", 3)), "a\r\n");  // a CR cut off from its LF is a lone CR
    EXPECT_EQ(SqlFileText(Bytes("\0a", 2)), "");
}

TEST(SqlFileText, OtherBytesPassUnchanged) {
    // Double-byte characters whose trail byte is a letter or a backslash,
    // half-width katakana, and bytes that are not valid CP932.
    const std::string text = Bytes("\x83\x5C\x83\x74\x83\x67 \xB6\xC5 \x80\xA0\xFD\xFE\xFF \x81\r\n\t", 19);
    EXPECT_EQ(SqlFileText(text), text);
}

TEST(ReadSqlFile, ReadsAWholeFileAndReportsWhatCannotBeRead) {
    TempDir dir;
    WriteFileBytes(dir.File("q.sql"), "select *\nfrom t\r");
    SqlFileRead read = ReadSqlFile(dir.File("q.sql"));
    EXPECT_FALSE(read.error);
    EXPECT_FALSE(read.tooLarge);
    EXPECT_EQ(read.text, "select *\r\nfrom t\r\n");

    WriteFileBytes(dir.File("empty.sql"), "");
    read = ReadSqlFile(dir.File("empty.sql"));
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.text, "");

    read = ReadSqlFile(dir.File("missing.sql"));
    EXPECT_EQ(read.error, std::errc::no_such_file_or_directory);
    read = ReadSqlFile(dir.Path().string());
    EXPECT_EQ(read.error, std::errc::is_a_directory);

    // A named pipe with nobody writing is refused at once, not waited for.
    ASSERT_EQ(mkfifo(dir.File("pipe.sql").c_str(), 0600), 0);
    read = ReadSqlFile(dir.File("pipe.sql"));
    EXPECT_TRUE(read.error);
    EXPECT_TRUE(read.text.empty());
}

TEST(ReadSqlFile, AFileOverTheLimitIsRefusedUnread) {
    TempDir dir;
    const std::string path = dir.File("huge.sql");
    WriteFileBytes(path, "select 1\r\n");
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kSqlFileMax + 1)), 0);  // sparse: no disk used
    SqlFileRead read = ReadSqlFile(path);
    EXPECT_TRUE(read.tooLarge);
    EXPECT_FALSE(read.error);
    EXPECT_TRUE(read.text.empty());
}

}  // namespace
