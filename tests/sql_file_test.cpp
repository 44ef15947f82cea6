#include "app/sql_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

TEST(SqlFileText, EveryLineEndOpensAsCrLf) {
    EXPECT_EQ(SqlFileText("A\r\r\r\nB"), "A\r\n\r\nB");
    EXPECT_EQ(SqlFileText("A\n\rB"), "A\r\n\r\nB");  // LF CR is two
    // Trail bytes that read as a letter or a backslash, and bytes that are no CP932, pass.
    const std::string text = Bytes("\x83\x5C\x83\x74 \xB6 \x80\xA0\xFD\xFF \x81\r\n\t", 15);
    EXPECT_EQ(SqlFileText(text), text);
}

TEST(SqlFileText, TextEndsAtTheFirst1AOrNul) {
    EXPECT_EQ(SqlFileText(Bytes("a\0b\x1A" "c", 5)), "a");
    EXPECT_EQ(SqlFileText(Bytes("a\x1A" "b\0c", 5)), "a");
    EXPECT_EQ(SqlFileText(Bytes("a\r\x1A", 3)), "a\r\n");  // a CR cut off from its LF is a lone CR
    EXPECT_EQ(SqlFileText(Bytes("\0a", 2)), "");
}

TEST(ReadSqlFile, ReadsAWholeFileAndReportsWhatCannotBeRead) {
    TempDir dir;
    WriteFileBytes(dir.File("q.sql"), "select *\nfrom t\r");
    SqlFileRead read = ReadSqlFile(dir.File("q.sql"));
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.text, "select *\r\nfrom t\r\n");
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

}  // namespace
