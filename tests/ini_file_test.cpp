#include "settings/ini_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// "K" and the number. (Appending to the literal's string, rather than
// "K" + std::to_string(i), keeps GCC 12 -O3 from a false -Wrestrict.)
std::string KeyName(std::size_t i) {
    std::string name = "K";
    name += std::to_string(i);
    return name;
}

class IniFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.Path().empty()); }

    std::string PathOf(const std::string& name) const { return dir_.File(name); }
    static void Write(const std::string& path, const std::string& text) { WriteFileBytes(path, text); }
    static std::string Read(const std::string& path) { return ReadFileBytes(path); }
    IniFile LoadText(const std::string& text) {
        Write(PathOf("load.ini"), text);
        IniFile ini;
        EXPECT_TRUE(ini.Load(PathOf("load.ini")));
        return ini;
    }

    TempDir dir_{"ini_file_test"};
};

TEST_F(IniFileTest, ReadsHandEditedFiles) {
    // 0x83 0x41 / 0x83 0x61 are two katakana whose trail bytes look like 'A'
    // and 'a'; 0x83 0x5D ends in ']'.
    const IniFile ini = LoadText(
        "OUTSIDE=1\r\n; comment\n  [ sql ]  \r\n  HostString  =  my dsn  \r\nhoststring=second\n"
        ";PASSWORD=commented\nPASSWORD=\"  spaced  \"\nHALF=\"x\n[broken\nAFTER=still sql\n"
        "novalue\nN=-99999999999\nJ=ab\x93\xFA\x96\x7B\n[SQL]\nUSERNAME=duplicate section\n"
        "[\x83\x5D]\nK\x83\x41=1\n[\xFA\x5D]\nK=2\nL=" + std::string(126, 'a') + "\xFA\xB1\n"
        "[Other]\nLAST=42abc");
    EXPECT_EQ(ini.GetString("SQL", "HOSTSTRING", "d", 128), "my dsn");
    EXPECT_EQ(ini.GetString("SQL", "PASSWORD", "d", 128), "  spaced  ");
    EXPECT_EQ(ini.GetString("SQL", "HALF", "d", 128), "\"x");
    EXPECT_EQ(ini.GetString("sql", "after", "d", 128), "still sql");
    EXPECT_EQ(ini.GetString("SQL", "USERNAME", "d", 128), "d");  // only the first [SQL] counts
    EXPECT_EQ(ini.GetString("\x83\x5D", "K\x83\x41", "d", 10), "1");
    EXPECT_EQ(ini.GetString("\x83\x5D", "k\x83\x61", "d", 10), "d");
    // FA 5D (an IBM extension kanji) ends in ']' too; FA B1 is 﨑.
    EXPECT_EQ(ini.GetString("\xFA\x5D", "K", "d", 10), "2");
    EXPECT_EQ(ini.GetString("\xFA\x5D", "L", "d", 128), std::string(126, 'a'));

    EXPECT_EQ(ini.GetInt("OTHER", "LAST", 9), 42);
    EXPECT_EQ(ini.GetInt("SQL", "N", 9), INT_MIN);
    EXPECT_EQ(ini.GetInt("SQL", "missing", 9), 9);
    EXPECT_EQ(ini.GetString("SQL", "J", "", 4), "ab");  // no half character
}

TEST_F(IniFileTest, SetStringRewritesOnlyItsLine) {
    IniFile ini = LoadText(
        "; settings\n[sql]\n hoststring = old \nHOSTSTRING=dup\n\n; about the next section\n"
        "[Other]\r\nX=1");
    ini.SetString("SQL", "HOSTSTRING", "new");
    ini.SetString("SQL", "USERNAME", "me");
    ini.SetString("OTHER", "Y", "2");
    ini.SetString("NEW", "K", "v");
    EXPECT_EQ(ini.ToString(),
              "; settings\n[sql]\nhoststring=new\nHOSTSTRING=dup\nUSERNAME=me\n\n"
              "; about the next section\n[Other]\r\nX=1\nY=2\n[NEW]\nK=v\n");
    IniFile fresh;
    fresh.SetString("S", "K", "v");
    EXPECT_EQ(fresh.ToString(), "[S]\r\nK=v\r\n");
}

TEST_F(IniFileTest, AnyOneLineValueReadsBackAsWritten) {
    const std::string values[] = {"", "plain", "  lead", "trail\t", "\"quoted\"", "'q'", "\"",
                                  "a;b=c", "\x93\xFA\x96\x7B\x83\x5D", "x=\"y\""};
    IniFile ini;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        ini.SetString("S", KeyName(i), values[i]);
    }
    ini.SetString("S", "BROKEN", std::string("one\r\n[S]\nK0=evil\0x", 18));
    const IniFile back = LoadText(ini.ToString());
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(back.GetString("S", KeyName(i), "?", 256), values[i]) << i;
    }
    EXPECT_EQ(back.GetString("S", "BROKEN", "?", 256), "one");
}

TEST_F(IniFileTest, SaveMakesANewFilePrivateAndReportsWhyItFailed) {
    const std::string path = PathOf("vetch.ini");
    IniFile ini;
    ini.SetString("S", "K", "v");
    ASSERT_FALSE(ini.Save(path));
    EXPECT_EQ(Read(path), "[S]\r\nK=v\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A folder in the file's place is not replaced.
    fs::create_directory(PathOf("folder"));
    EXPECT_EQ(ini.Save(PathOf("folder")), std::errc::is_a_directory);

    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 2);
}

}  // namespace
