#include "platform/codepage.h"
#include "platform/qtext.h"

#include <gtest/gtest.h>

using platform::Cp932ToQString;
using platform::Cp932ToUtf8;
using platform::QStringToCp932;
using platform::Utf8ToCp932;

TEST(Codepage, JapaneseTextRoundTripsThroughUtf8AndWidgets) {
    // "日本語ｶﾅ～①\" in CP932: 93FA 967B 8CEA B6 C5 8160 8740 5C
    const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA\xB6\xC5\x81\x60\x87\x40\x5C";
    const std::string utf8 = "日本語ｶﾅ～①\\";
    EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
    EXPECT_EQ(Utf8ToCp932(utf8), sjis);
    EXPECT_EQ(Cp932ToQString(sjis), QString::fromUtf8(utf8.c_str()));
    EXPECT_EQ(QStringToCp932(QString::fromUtf8(utf8.c_str())), sjis);
}

TEST(Codepage, CharactersWithoutCp932FormBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");             // emoji
    EXPECT_EQ(Utf8ToCp932("x\xC3\x28y"), "x?(y");                         // malformed UTF-8
    EXPECT_EQ(QStringToCp932(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), "a?b");
    EXPECT_EQ(Cp932ToUtf8("a\x80" "b"), "a?b");
}

TEST(Codepage, InvalidBytesSurviveTheWidgetEdge) {
    // Stray bytes, a lead byte with a bad trail byte, a lead byte at the end,
    // user-defined area characters and a UTF-8 text read as CP932.
    const std::string samples[] = {
        std::string("\x80\xA0\xFD\xFE\xFF", 5),
        std::string("\x81\x20" "a", 3),
        std::string("abc\x81", 4),
        std::string("\xF0\x40\xF9\xFC", 4),
        std::string("日本語のテキスト"),
    };
    for (const auto& s : samples) {
        EXPECT_EQ(QStringToCp932(Cp932ToQString(s)), s);
    }
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(QStringToCp932(Cp932ToQString(all)), all);
}
