#include "support/formatter_reference.h"
#include "texttools/sql_formatter.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

using formatter_reference::ReferenceFormat;

std::string Format(std::string_view text, int count = 100) { return FormatSqlLineBreaks(text, count); }

}  // namespace

TEST(FormatSqlLineBreaks, KeywordNeedsADelimiterOnEachSide) {
    EXPECT_EQ(Format("select"), "select");  // nothing after it
    EXPECT_EQ(Format("a from,b"), "a from,b");  // comma is no delimiter
    EXPECT_EQ(Format("t.from from_date orders ordering "), "t.from from_date orders ordering ");
    EXPECT_EQ(Format("(select(1))"), "(\r\nSELECT\r\n(1))");
    // The two words of a keyword are joined by exactly one space.
    EXPECT_EQ(Format("group\tby x "), "group\tby x ");
    // Other bytes below the space are no delimiters, in the bulk pass too.
    const std::string filler(2000, 'x');
    EXPECT_EQ(Format("\x01" "from \x1F" "from t from " + filler),
              "\x01" "from \x1F" "from t \r\nFROM\r\n " + filler);
    // After a double-byte character: テ (83 65), then a keyword.
    EXPECT_EQ(Format("\x83\x65" "from t"), "\x83\x65" "from t");
    EXPECT_EQ(Format("\x83\x65 from t"), "\x83\x65 \r\nFROM\r\n t");
}

TEST(FormatSqlLineBreaks, KeywordsComeOutUpperCaseWithTheirBreaks) {
    EXPECT_EQ(Format("a union all select b "), "a \r\nUNION ALL\r\n \r\nSELECT\r\n b ");
    EXPECT_EQ(Format("x between 1 and 2 "), "x between 1 AND\r\n 2 ");
    EXPECT_EQ(Format("x = 'a from b'"), "x = 'a \r\nFROM\r\n b'");  // no quoting
}

TEST(FormatSqlLineBreaks, CommaBreaksFollowTheColumnCount) {
    // Input line ends count as two bytes and do not reset the column.
    EXPECT_EQ(Format("ab\r\ncd,ef", 5), "ab\r\ncd,\r\nef");
    EXPECT_EQ(Format("ab\r\nc,ef", 6), "ab\r\nc,ef");
    // A keyword's break does reset it.
    EXPECT_EQ(Format("x select aaaa, b", 5), "x \r\nSELECT\r\n aaaa,\r\n b");
    EXPECT_EQ(Format("a,b", INT_MIN), "a,\r\nb");
    EXPECT_EQ(Format(std::string(5000, 'x') + ",y", INT_MAX), std::string(5000, 'x') + ",y");
}

TEST(FormatSqlLineBreaks, OutputMayExceedTwiceTheInput) {
    // Long enough to outgrow the output's first allocation, by commas and by keywords.
    std::string commas;
    std::string keywords;
    std::string expectedCommas;
    std::string expectedKeywords;
    for (int i = 0; i < 50000; ++i) {
        commas += ',';
        expectedCommas += ",\r\n";
        keywords += "all ";
        expectedKeywords += "\r\nALL\r\n ";
    }
    EXPECT_EQ(Format(commas, 0), expectedCommas);
    EXPECT_EQ(Format(keywords), expectedKeywords);
}

TEST(FormatSqlLineBreaks, ReusedOutputHoldsOnlyTheNewResult) {
    std::string out(100000, '#');
    FormatSqlLineBreaks("a from b", 100, out);
    EXPECT_EQ(out, "a \r\nFROM\r\n b");
    const std::string text(3000, ',');
    FormatSqlLineBreaks(text, 0, out);
    EXPECT_EQ(out, ReferenceFormat(text, 0));
}

TEST(FormatSqlLineBreaks, AgreesWithAByteAtATimeReadingOnRandomText) {
    const char* pieces[] = {" ", " ", "\t", "\r\n", "(", ")", ",", "x", "ab", ".", "_",
                            "select", "From", "or", "order", "order by", "group by", "all",
                            "and", "insert", "into", "union", "UNION ALL", "values", "commit",
                            "\x83\x65", "\x82\xA0", "'"};
    std::mt19937 rng(777);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    // Up to a few kilobytes: the formatter works through 1 KiB chunks of
    // 64-byte blocks and reads the rest byte by byte.
    std::uniform_int_distribution<int> length(0, 700);
    std::uniform_int_distribution<int> count(-2, 40);
    for (int round = 0; round < 1500; ++round) {
        std::string s;
        for (int n = length(rng); n > 0; --n) s += pieces[pick(rng)];
        const int c = count(rng);
        SCOPED_TRACE(testing::PrintToString(s) + " count " + std::to_string(c));
        EXPECT_EQ(FormatSqlLineBreaks(s, c), ReferenceFormat(s, c));
    }
}
