#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class AppSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "app_settings_test.XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        path_ = (dir_ / "vetch.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static void ExpectDefaults(const AppSettings& s) {
        EXPECT_EQ(s.hostString, "");
        EXPECT_EQ(s.userName, "");
        EXPECT_EQ(s.password, "");
        EXPECT_EQ(s.timeout, 15);
        EXPECT_EQ(s.resultMax, 100);
        for (const WinSize& w : s.winSize) {
            EXPECT_EQ(w.width, 0);
            EXPECT_EQ(w.height, 0);
        }
        EXPECT_EQ(s.fontSize, 10);
        EXPECT_EQ(s.lineBreakCount, 100);
        EXPECT_EQ(s.paramName, "");
        EXPECT_EQ(s.language, 0);
    }

    fs::path dir_;
    std::string path_;
};

const char kDefaultFile[] =
    "[SQL]\r\n"
    "HOSTSTRING=\r\n"
    "USERNAME=\r\n"
    "PASSWORD=\r\n"
    "TIMEOUT=15\r\n"
    "RESULTMAX=100\r\n"
    "[STRING]\r\n"
    "PARMNAME=\r\n"
    "RETURN=100\r\n"
    "LANGUAGE=0\r\n"
    "[SYSTEM]\r\n"
    "WINSIZE1=0,0\r\n"
    "WINSIZE2=0,0\r\n"
    "WINSIZE3=0,0\r\n"
    "WINSIZE4=0,0\r\n"
    "WINSIZE5=0,0\r\n"
    "FONTSIZE=10\r\n";

TEST_F(AppSettingsTest, FirstStartUsesDefaultsAndWritesEveryKey) {
    {
        AppSettings s(path_);
        ExpectDefaults(s);
        EXPECT_FALSE(fs::exists(path_));
    }
    EXPECT_EQ(Read(), kDefaultFile);
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The plain constructor uses vetch.ini of the current directory.
    const fs::path before = fs::current_path();
    const fs::path other = dir_ / "cwd";
    fs::create_directory(other);
    fs::current_path(other);
    {
        AppSettings s;
        s.fontSize = 12;
        fs::current_path(before);
    }
    std::ifstream in(other / "vetch.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("FONTSIZE=12\r\n"), std::string::npos);
}

TEST_F(AppSettingsTest, EveryFieldSurvivesARun) {
    // ";", "=", surrounding spaces and CP932 "日本語ソ" (0x83 0x5C ends in a backslash).
    const std::string password = " p;w=d\x93\xFA\x96\x7B\x8C\xEA\x83\x5C ";
    {
        AppSettings s(path_);
        s.hostString = "demo dsn";
        s.userName = "\x83\x86\x81\x5B\x83\x55";
        s.password = password;
        s.timeout = -3;
        s.resultMax = 250;
        for (int n = 0; n < 5; ++n) s.winSize[n] = {640 + n, 480 + n};
        s.fontSize = 14;
        s.lineBreakCount = 80;
        s.paramName = "strSQL";
        s.language = 1;
    }
    AppSettings s(path_);
    EXPECT_EQ(s.hostString, "demo dsn");
    EXPECT_EQ(s.userName, "\x83\x86\x81\x5B\x83\x55");
    EXPECT_EQ(s.password, password);
    EXPECT_EQ(s.timeout, -3);
    EXPECT_EQ(s.resultMax, 250);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(s.winSize[n].width, 640 + n);
        EXPECT_EQ(s.winSize[n].height, 480 + n);
    }
    EXPECT_EQ(s.fontSize, 14);
    EXPECT_EQ(s.lineBreakCount, 80);
    EXPECT_EQ(s.paramName, "strSQL");
    EXPECT_EQ(s.language, 1);
    EXPECT_NE(Read().find("WINSIZE3=642,482\r\n"), std::string::npos);

    // Longer texts come back cut to 127 bytes.
    s.hostString = std::string(200, 'h');
    s.SaveSettings();
    s.LoadSettings();
    EXPECT_EQ(s.hostString, std::string(127, 'h'));
}

TEST_F(AppSettingsTest, AnExistingFileKeepsItsOtherLines) {
    Write("; my settings\n"
          "[system]\n"
          "winsize2 = 1024 , 768\n"
          "COLOR=blue\n"
          "\n"
          "[Mine]\n"
          "A=1\n"
          "[sql]\n"
          "hoststring=prod\n");
    {
        AppSettings s(path_);
        EXPECT_EQ(s.hostString, "prod");
        EXPECT_EQ(s.winSize[1].width, 1024);  // the space before the comma stops the scan
        EXPECT_EQ(s.winSize[1].height, 0);
        s.winSize[1] = {800, 600};
    }
    EXPECT_EQ(Read(),
              "; my settings\n"
              "[system]\n"
              "winsize2=800,600\n"
              "COLOR=blue\n"
              "WINSIZE1=0,0\n"
              "WINSIZE3=0,0\n"
              "WINSIZE4=0,0\n"
              "WINSIZE5=0,0\n"
              "FONTSIZE=10\n"
              "\n"
              "[Mine]\n"
              "A=1\n"
              "[sql]\n"
              "hoststring=prod\n"
              "USERNAME=\n"
              "PASSWORD=\n"
              "TIMEOUT=15\n"
              "RESULTMAX=100\n"
              "[STRING]\n"
              "PARMNAME=\n"
              "RETURN=100\n"
              "LANGUAGE=0\n");
}

TEST_F(AppSettingsTest, ValuesThatDoNotScanFallBack) {
    Write("[SQL]\r\nRESULTMAX=abc\r\nTIMEOUT=99999999999\r\n"
          "[STRING]\r\nRETURN=\r\nLANGUAGE= -1x\r\n"
          "[SYSTEM]\r\nWINSIZE1=640\r\nWINSIZE2=garbage\r\nWINSIZE3=640,\r\n"
          "WINSIZE4=,480\r\nWINSIZE5=1,2,3\r\nFONTSIZE=\x81\r\n");
    AppSettings s(path_);
    EXPECT_EQ(s.resultMax, 0);
    EXPECT_EQ(s.timeout, INT_MAX);
    EXPECT_EQ(s.lineBreakCount, 0);
    EXPECT_EQ(s.language, -1);
    EXPECT_EQ(s.fontSize, 0);
    const WinSize expected[5] = {{640, 0}, {0, 0}, {640, 0}, {0, 0}, {1, 2}};
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(s.winSize[n].width, expected[n].width) << n;
        EXPECT_EQ(s.winSize[n].height, expected[n].height) << n;
    }
}

TEST_F(AppSettingsTest, GarbageFilesLoadWithDefaults) {
    std::string binary;
    for (int b = 0; b < 256; ++b) binary.push_back(static_cast<char>(b));
    const std::string files[] = {
        binary + binary,
        "[SQL\nHOSTSTRING=x\nTIMEOUT=1\n",         // no section: defaults
        "HOSTSTRING=x\n[SQL]",                      // key outside any section
        "[SQL]\n" + std::string(300000, 'z') + "\nHOSTSTRING=" + std::string(100000, 'y'),
        "\r\n\r\n\n\n",
        "[SQL]\nRESULTMAX",
    };
    for (const std::string& text : files) {
        Write(text);
        AppSettings s(path_);
        if (text.find("yyyy") != std::string::npos) {
            EXPECT_EQ(s.hostString, std::string(127, 'y'));
            s.hostString.clear();
        }
        ExpectDefaults(s);
    }
}

TEST_F(AppSettingsTest, AFailedSaveKeepsThePreviousFile) {
    // A name so long that no temporary file can be made beside it.
    const std::string longPath = (dir_ / std::string(250, 'n')).string();
    std::ofstream(longPath, std::ios::binary) << "[SQL]\nHOSTSTRING=old\n";
    {
        AppSettings s(longPath);
        EXPECT_EQ(s.hostString, "old");
        s.hostString = "new";
    }
    std::ifstream in(longPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[SQL]\nHOSTSTRING=old\n");

    // The path is a folder: defaults, and the folder stays as it was.
    fs::create_directory(path_);
    std::ofstream(path_ + "/inside") << "x";
    {
        AppSettings s(path_);
        ExpectDefaults(s);
    }
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_TRUE(fs::exists(path_ + "/inside"));

    // An unwritable folder (only meaningful when permissions apply to us).
    if (geteuid() != 0) {
        const fs::path locked = dir_ / "locked";
        fs::create_directory(locked);
        const std::string lockedFile = (locked / "vetch.ini").string();
        std::ofstream(lockedFile, std::ios::binary) << "[SQL]\nUSERNAME=u\n";
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        {
            AppSettings s(lockedFile);
            s.userName = "changed";
        }
        fs::permissions(locked, fs::perms::owner_all);
        std::ifstream again(lockedFile, std::ios::binary);
        std::ostringstream kept;
        kept << again.rdbuf();
        EXPECT_EQ(kept.str(), "[SQL]\nUSERNAME=u\n");
    }
}

}  // namespace
