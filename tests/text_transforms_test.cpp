#include "texttools/text_transforms.h"
#include "support/transform_reference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace transform_reference;

std::string CollapseThroughBuffer(const std::string& src) {
    // Exactly the documented size, so AddressSanitizer sees any overrun.
    std::vector<char> dst(src.size() + 1, 'x');
    const size_t len = CollapseWhitespace(src.c_str(), dst.data());
    EXPECT_EQ(dst[len], '\0');
    EXPECT_EQ(std::strlen(dst.data()), len);
    return std::string(dst.data(), len);
}

std::string Converted(std::string text, int mode) {
    ConvertCase(text, mode);
    return text;
}

}  // namespace

TEST(CollapseWhitespace, RunsBecomeOneSpaceAndLeadingWhiteSpaceGoes) {
    EXPECT_EQ(CollapseThroughBuffer(" \t\r\n select\t\t'a  b'  \n"), "select 'a b' ");
    EXPECT_EQ(CollapseThroughBuffer(" \r\n\t "), "");
}

TEST(ToCrLf, EveryLineEndBecomesCrLf) {
    EXPECT_EQ(ToCrLf("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(ToCrLf("a\n\rb"), "a\r\n\r\nb");  // LF CR: two line ends
}

TEST(ConvertCase, OnlyAsciiLettersOutsideDoubleByteCharactersChange) {
    EXPECT_EQ(Converted("select 'abc' from T1;", 1), "SELECT 'ABC' FROM T1;");
    for (int mode : {0, 3}) EXPECT_EQ(Converted("aB", mode), "aB");
    // テスト is 83 65 83 58 83 67: its trail bytes read as 'e', 'X', 'g'.
    EXPECT_EQ(Converted("A\x83\x65\x83\x58\x83\x67Z", 2), "a\x83\x65\x83\x58\x83\x67z");
    // The IBM extensions: 昱 is FA 63 ('c'), Ⅰ FA 4A ('J'), 髙 FB FC.
    EXPECT_EQ(Converted("select '\xFA\x63\x8E\x71' from t", 1), "SELECT '\xFA\x63\x8E\x71' FROM T");
    EXPECT_EQ(Converted("\xFA\x4A\xFB\xFC" "ABC", 2), "\xFA\x4A\xFB\xFC" "abc");
    EXPECT_EQ(Converted("ab\x81", 1), "AB\x81");  // lead byte as the last byte
}

TEST(ConvertCase, CharPointerFormStopsAtTheNul) {
    char text[] = "ab\x81\0cd\0xy";
    ConvertCase(text, 1);
    EXPECT_EQ(std::string(text, sizeof text), std::string("AB\x81\0cd\0xy", sizeof text));

    // Longer than a 64-byte block, so the block path must stop at the NUL too.
    char plain[] = "SELECT Name FROM Customers WHERE Region = 'Kanto' ORDER BY Name DESC\0ZZ";
    ConvertCase(plain, 2);
    EXPECT_STREQ(plain, "select name from customers where region = 'kanto' order by name desc");
    EXPECT_STREQ(plain + std::strlen(plain) + 1, "ZZ");
}

TEST(ExtractSqlFromCode, KeepsLiteralContentsAndLineEnds) {
    EXPECT_EQ(ExtractSqlFromCode("strSQL = \"SELECT *\"\r\nstrSQL = strSQL & \" FROM T\""),
              "SELECT *\r\n FROM T");
    EXPECT_EQ(ExtractSqlFromCode("no quotes\rat\nall\r\n"), "\r\n\r\n");
    EXPECT_EQ(ExtractSqlFromCode("\"a\\\"b\""), "a\\");  // backslash is no escape
}

TEST(Transforms, AgreeWithPlainByteLoopsOnRandomText) {
    // Bytes that each rule decides on (white space, quotes, line ends, lead
    // bytes, single high bytes), scattered thinly or densely among ordinary
    // ones, in texts long enough for several 64-byte blocks and a tail.
    const char special[] = {' ',    ' ',    '\t',   '\r',   '\n',   '\r',   '"',    '\v',   '\x81', '\xE0',
                            '\xEF', '\xF0', '\xFA', '\xFC', '\xFD', '\xB1', '\x80', '\x9F', '\xA0', '\xDF'};
    const char ordinary[] = {'a', 'z', 'Q', 'e', ',', '_', 'M'};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<size_t> pickSpecial(0, sizeof special - 1);
    std::uniform_int_distribution<size_t> pickOrdinary(0, sizeof ordinary - 1);
    std::uniform_int_distribution<size_t> length(0, 400);
    std::uniform_real_distribution<double> unit(0, 1);
    const double densities[] = {0.005, 0.05, 0.3, 0.9};
    for (int round = 0; round < 3000; ++round) {
        const double density = densities[round % std::size(densities)];
        std::string s(length(rng), ' ');
        for (char& c : s) c = unit(rng) < density ? special[pickSpecial(rng)] : ordinary[pickOrdinary(rng)];
        SCOPED_TRACE(testing::PrintToString(s));
        EXPECT_EQ(CollapseThroughBuffer(s), ReferenceCollapse(s));
        EXPECT_EQ(CollapseWhitespace(std::string_view(s)), ReferenceCollapse(s));
        EXPECT_EQ(ToCrLf(s), ReferenceCrLf(s));
        EXPECT_EQ(ExtractSqlFromCode(s), ReferenceExtract(s));
        for (int mode : {1, 2}) {
            EXPECT_EQ(Converted(s, mode), ReferenceCase(s, mode));
            std::string viaPointer = s;
            ConvertCase(viaPointer.data(), mode);
            EXPECT_EQ(viaPointer, ReferenceCase(s, mode));
        }
    }
}
