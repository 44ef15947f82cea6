#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "ini_file_test.XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    IniFile LoadText(const std::string& text) {
        const std::string path = PathOf("load.ini");
        Write(path, text);
        IniFile ini;
        EXPECT_TRUE(ini.Load(path));
        return ini;
    }

    fs::path dir_;
};

TEST_F(IniFileTest, ReadsHandEditedFilesLikeTheProfileFunctions) {
    const IniFile ini = LoadText(
        "OUTSIDE=1\r\n"
        "; comment\n"
        "  [ sql ]  \r\n"
        "  HostString  =  my dsn  \r\n"
        "hoststring=second\n"
        ";PASSWORD=commented\n"
        "PASSWORD=\"  spaced  \"\n"
        "QUOTE='x'\n"
        "HALF=\"x\n"
        "[broken\n"
        "AFTERBROKEN=still sql\n"
        "novalue\n"
        "[SQL]\n"
        "USERNAME=in duplicate section\n"
        "[Other]\n"
        "LAST=no newline");
    EXPECT_EQ(ini.GetString("SQL", "HOSTSTRING", "d", 128), "my dsn");
    EXPECT_EQ(ini.GetString("SQL", "PASSWORD", "d", 128), "  spaced  ");
    EXPECT_EQ(ini.GetString("SQL", "QUOTE", "d", 128), "x");
    EXPECT_EQ(ini.GetString("SQL", "HALF", "d", 128), "\"x");
    EXPECT_EQ(ini.GetString("sql", "afterbroken", "d", 128), "still sql");
    EXPECT_EQ(ini.GetString("SQL", "novalue", "d", 128), "d");
    EXPECT_EQ(ini.GetString("SQL", "USERNAME", "d", 128), "d");  // only the first [SQL] counts
    EXPECT_EQ(ini.GetString("SQL", "OUTSIDE", "d", 128), "d");
    EXPECT_EQ(ini.GetString("", "OUTSIDE", "d", 128), "d");
    EXPECT_EQ(ini.GetString("OTHER", "LAST", "d", 128), "no newline");
    EXPECT_EQ(ini.GetString("missing", "LAST", "d", 128), "d");
}

TEST_F(IniFileTest, NamesFoldOnlyAsciiLettersNotTrailBytes) {
    // 0x83 0x41 and 0x83 0x61 are two different katakana whose trail bytes
    // look like 'A' and 'a'; "ゾ" (0x83 0x5D) ends in ']'.
    const IniFile ini = LoadText("[\x83\x5D]\nK\x83\x41=1\n[s]\nk=2\n");
    EXPECT_EQ(ini.GetString("\x83\x5D", "K\x83\x41", "", 10), "1");
    EXPECT_EQ(ini.GetString("\x83\x5D", "k\x83\x61", "none", 10), "none");
    EXPECT_EQ(ini.GetString("\x83\x5D", "k\x83\x41", "", 10), "1");
    EXPECT_EQ(ini.GetString("S", "K", "", 10), "2");
}

TEST_F(IniFileTest, CutsTextsAndReadsLeadingIntegers) {
    const IniFile ini = LoadText(
        "[N]\nA=42abc\nB=-7\nC=+5\nD=abc\nE=\nF=99999999999\nG=-99999999999\nH=- 3\n"
        "T=abcdef\nJ=ab\x93\xFA\x96\x7B\n");
    EXPECT_EQ(ini.GetInt("N", "A", 9), 42);
    EXPECT_EQ(ini.GetInt("N", "B", 9), -7);
    EXPECT_EQ(ini.GetInt("N", "C", 9), 5);
    EXPECT_EQ(ini.GetInt("N", "D", 9), 0);
    EXPECT_EQ(ini.GetInt("N", "E", 9), 0);
    EXPECT_EQ(ini.GetInt("N", "F", 9), INT_MAX);
    EXPECT_EQ(ini.GetInt("N", "G", 9), INT_MIN);
    EXPECT_EQ(ini.GetInt("N", "H", 9), 0);
    EXPECT_EQ(ini.GetInt("N", "missing", 9), 9);

    EXPECT_EQ(ini.GetString("N", "T", "", 4), "abc");
    EXPECT_EQ(ini.GetString("N", "T", "", 0), "");
    EXPECT_EQ(ini.GetString("N", "missing", "defaultlong", 4), "def");
    // A double-byte character that does not fit whole is left out.
    EXPECT_EQ(ini.GetString("N", "J", "", 4), "ab");
    EXPECT_EQ(ini.GetString("N", "J", "", 5), "ab\x93\xFA");
}

TEST_F(IniFileTest, SetStringRewritesOnlyItsLine) {
    IniFile ini = LoadText(
        "; settings\n"
        "[sql]\n"
        " hoststring = old \n"
        "HOSTSTRING=dup\n"
        "\n"
        "; about the next section\n"
        "[Other]\r\n"
        "X=1");
    ini.SetString("SQL", "HOSTSTRING", "new");
    ini.SetString("SQL", "USERNAME", "me");
    ini.SetString("OTHER", "Y", "2");
    ini.SetString("NEW", "K", "v");
    EXPECT_EQ(ini.ToString(),
              "; settings\n"
              "[sql]\n"
              "hoststring=new\n"
              "HOSTSTRING=dup\n"
              "USERNAME=me\n"
              "\n"
              "; about the next section\n"
              "[Other]\r\n"
              "X=1\n"
              "Y=2\n"
              "[NEW]\n"
              "K=v\n");

    // A section without keys takes its first key before its trailing blanks;
    // a new file is written with CR LF.
    IniFile sparse = LoadText("[A]\n; only a comment\n\n\n[B]\n");
    sparse.SetString("a", "K", "1");
    EXPECT_EQ(sparse.ToString(), "[A]\n; only a comment\nK=1\n\n\n[B]\n");
    IniFile fresh;
    fresh.SetString("S", "K", "v");
    EXPECT_EQ(fresh.ToString(), "[S]\r\nK=v\r\n");
}

TEST_F(IniFileTest, AnyValueSurvivesAWriteAndARead) {
    const std::string values[] = {
        "", "plain", "  lead", "trail\t", "\"quoted\"", "'q'", "\"", "a;b=c",
        "\x93\xFA\x96\x7B\x8C\xEA\x83\x5D", "x=\"y\"",
    };
    IniFile ini;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        ini.SetString("S", "K" + std::to_string(i), values[i]);
    }
    ini.SetString("S", "BROKEN", std::string("one\r\n[S]\nK0=evil\0x", 18));
    const std::string path = PathOf("values.ini");
    ASSERT_TRUE(ini.Save(path));
    IniFile back;
    ASSERT_TRUE(back.Load(path));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(back.GetString("S", "K" + std::to_string(i), "?", 256), values[i]) << i;
    }
    EXPECT_EQ(back.GetString("S", "BROKEN", "?", 256), "one");
}

TEST_F(IniFileTest, GarbageNeverBreaksReadingOrWriting) {
    // Random files built from the pieces hand-edited files are made of: after
    // setting a key it reads back, and every other key reads as before.
    const std::string pieces[] = {
        "[SQL]", "[sql", "[]", "[SYSTEM]", "KEY=1", "key = 2 ", "OTHER=x", "=", "[", "]",
        ";KEY=3", "\r\n", "\n", "\r", "\n", std::string("\0", 1), "\x81", "\x83]", "\xFF\xFE",
        " ", "\"", std::string(30000, 'L'),
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
        IniFile ini = LoadText(text);
        const std::string otherBefore = ini.GetString("SQL", "OTHER", "-", 100000);
        const std::string systemBefore = ini.GetString("SYSTEM", "KEY", "-", 100000);
        ini.SetString("SQL", "KEY", "value");
        const IniFile back = LoadText(ini.ToString());
        ASSERT_EQ(back.GetString("sql", "key", "-", 100), "value") << testing::PrintToString(text);
        ASSERT_EQ(back.GetString("SQL", "OTHER", "-", 100000), otherBefore);
        ASSERT_EQ(back.GetString("SYSTEM", "KEY", "-", 100000), systemBefore);
        back.GetInt("SQL", "KEY", 0);
    }
}

TEST_F(IniFileTest, SaveIsAtomicAndPrivate) {
    const std::string path = PathOf("vetch.ini");
    Write(path, "old");
    chmod(path.c_str(), 0644);
    IniFile ini;
    ini.SetString("S", "K", "v");
    ASSERT_TRUE(ini.Save(path));
    EXPECT_EQ(Read(path), "[S]\r\nK=v\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The temporary file cannot be made (its name is too long): the old file
    // stays as it was.
    const std::string longPath = PathOf(std::string(250, 'n'));
    Write(longPath, "keep me");
    EXPECT_FALSE(ini.Save(longPath));
    EXPECT_EQ(Read(longPath), "keep me");

    // The path is a folder: it cannot be read, and it cannot be replaced.
    const std::string folder = PathOf("folder");
    fs::create_directory(folder);
    Write(folder + "/inside", "x");
    IniFile fromFolder;
    EXPECT_FALSE(fromFolder.Load(folder));
    EXPECT_FALSE(ini.Save(folder));
    EXPECT_EQ(Read(folder + "/inside"), "x");

    // No temporary file is left behind by either outcome.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, 3);

    IniFile missing;
    EXPECT_TRUE(missing.Load(PathOf("absent.ini")));
    EXPECT_EQ(missing.ToString(), "");
}

}  // namespace
