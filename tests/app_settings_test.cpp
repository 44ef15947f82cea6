#include "settings/app_settings.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class AppSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        path_ = dir_.File("vetch.ini");
    }


    TempDir dir_{"app_settings_test"};
    std::string path_;
};

const char kDefaultFile[] =
    "[SQL]\r\nHOSTSTRING=\r\nUSERNAME=\r\nPASSWORD=\r\nTIMEOUT=15\r\nRESULTMAX=100\r\n"
    "[STRING]\r\nPARMNAME=\r\nRETURN=100\r\nLANGUAGE=0\r\n"
    "[SYSTEM]\r\nWINSIZE1=0,0\r\nWINSIZE2=0,0\r\nWINSIZE3=0,0\r\nWINSIZE4=0,0\r\nWINSIZE5=0,0\r\n"
    "FONTSIZE=10\r\n";

TEST_F(AppSettingsTest, FirstStartWritesTheDefaultsAsANewPrivateFile) {
    { AppSettings s(path_); }
    EXPECT_EQ(ReadFileBytes(path_), kDefaultFile);
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(AppSettingsTest, AFileInOurOwnFormatLoadsAndSavesUnchanged) {
    // The password holds ";", "=", surrounding spaces and CP932 "日本語ソ"
    // (0x83 0x5C ends in a backslash).
    const std::string password = " p;w=d\x93\xFA\x96\x7B\x8C\xEA\x83\x5C ";
    const std::string text =
        "[SQL]\r\nHOSTSTRING=demo dsn\r\nUSERNAME=\x83\x86\x81\x5B\x83\x55\r\nPASSWORD=\"" +
        password + "\"\r\nTIMEOUT=-3\r\nRESULTMAX=250\r\n[STRING]\r\nPARMNAME=strSQL\r\nRETURN=80\r\n"
        "LANGUAGE=1\r\n[SYSTEM]\r\nWINSIZE1=640,480\r\nWINSIZE2=641,481\r\nWINSIZE3=642,482\r\n"
        "WINSIZE4=643,483\r\nWINSIZE5=644,484\r\nFONTSIZE=14\r\n";
    WriteFileBytes(path_, text);
    {
        AppSettings s(path_);
        EXPECT_EQ(s.hostString + "|" + s.userName + "|" + s.password + "|" + s.paramName,
                  "demo dsn|\x83\x86\x81\x5B\x83\x55|" + password + "|strSQL");
        EXPECT_EQ((std::vector<int>{s.timeout, s.resultMax, s.fontSize, s.lineBreakCount, s.language}),
                  (std::vector<int>{-3, 250, 14, 80, 1}));
        for (int n = 0; n < 5; ++n) {
            EXPECT_EQ(s.winSize[n].width, 640 + n);
            EXPECT_EQ(s.winSize[n].height, 480 + n);
        }
    }
    EXPECT_EQ(ReadFileBytes(path_), text);
}

TEST_F(AppSettingsTest, AnExistingFileKeepsItsOtherLines) {
    WriteFileBytes(path_, "; my settings\n[system]\nwinsize2 = 1024 , 768\nCOLOR=blue\n\n[Mine]\nA=1\n"
                 "[sql]\nhoststring=prod\n");
    {
        AppSettings s(path_);
        EXPECT_EQ(s.hostString, "prod");
        s.winSize[1] = {800, 600};
    }
    EXPECT_EQ(ReadFileBytes(path_),
              "; my settings\n[system]\nwinsize2=800,600\nCOLOR=blue\nWINSIZE1=0,0\nWINSIZE3=0,0\n"
              "WINSIZE4=0,0\nWINSIZE5=0,0\nFONTSIZE=10\n\n[Mine]\nA=1\n[sql]\nhoststring=prod\n"
              "USERNAME=\nPASSWORD=\nTIMEOUT=15\nRESULTMAX=100\n"
              "[STRING]\nPARMNAME=\nRETURN=100\nLANGUAGE=0\n");
}

TEST_F(AppSettingsTest, ValuesThatDoNotScanFallBack) {
    std::string binary;
    for (int b = 0; b < 512; ++b) binary.push_back(static_cast<char>(b));
    WriteFileBytes(path_, binary + "\n[SQL]\r\nRESULTMAX=abc\r\nTIMEOUT=99999999999\r\n[STRING]\r\n"
                 "LANGUAGE= -1x\r\nPARMNAME=" + std::string(1000, '\x81') + "\r\n[SYSTEM]\r\n"
                 "WINSIZE1=640\r\nWINSIZE4=,480\r\n[SYSTEM\r\nFONTSIZE=\x81");
    AppSettings s(path_);
    EXPECT_EQ(s.resultMax, 0);
    EXPECT_EQ(s.timeout, INT_MAX);
    EXPECT_EQ(s.language, -1);
    EXPECT_EQ(s.fontSize, 0);
    EXPECT_EQ(s.paramName, std::string(126, '\x81'));  // whole characters only
    EXPECT_EQ(s.winSize[0].width, 640);
    EXPECT_EQ(s.winSize[3].height, 0);
}

// Saving would replace the file with only the fourteen keys: a file that
// cannot be read is left as it is. A folder cannot be read by anyone, root
// included, so this runs everywhere.
TEST_F(AppSettingsTest, AFileWeCannotReadIsNotReplaced) {
    fs::create_directory(path_);
    WriteFileBytes(path_ + "/inside", "x");
    {
        AppSettings s(path_);
        EXPECT_EQ(s.fontSize, 10);
        s.fontSize = 20;
    }
    EXPECT_EQ(ReadFileBytes(path_ + "/inside"), "x");
    EXPECT_TRUE(fs::is_directory(path_));
}

}  // namespace

// Found by fuzzing: a hand-edited value holding a NUL or a lone CR used to be
// read whole but written back cut at that byte, so the second start read
// other values than the first.
TEST_F(AppSettingsTest, AValueWithANulOrALoneCrReadsTheSameAfterASave) {
    WriteFileBytes(path_, std::string("[SQL]\nHOSTSTRING=dsn\0tail\nUSERNAME= \"us er\" \rjunk\nPASSWORD=pw\r\r\n", 64));
    for (int start = 0; start < 2; ++start) {  // a save between the two
        AppSettings s(path_);
        EXPECT_EQ(s.hostString + "|" + s.userName + "|" + s.password, "dsn|us er|pw") << start;
    }
}
