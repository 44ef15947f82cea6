#include "texttools/sql_formatter.h"
#include "texttools/sql_wrap.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string WrapVc(std::string_view text) {
    return WrapSqlAsCode(text, kWrapLanguageVcpp, BuildCodePrefix(kWrapLanguageVcpp, "s"));
}

// The expected "VC++" code for the given texts between the quotes.
std::string VcLines(const std::vector<std::string>& texts) {
    std::string code = "\r\n";
    for (const auto& t : texts) code += "s += \"" + t + "\";\r\n";
    return code;
}

}  // namespace

TEST(WrapSqlAsCode, FormattedQueryInBothLanguages) {
    const std::string formatted =
        FormatSqlLineBreaks("select a, b from t where x = 1 or y = 2 order by a ", 100);

    EXPECT_EQ(WrapSqlAsCode(formatted, 0, BuildCodePrefix(0, "strSQL")),
              "\r\n"
              "strSQL += \"\";\r\n"
              "strSQL += \"SELECT \";\r\n"
              "strSQL += \" a, b \";\r\n"
              "strSQL += \"FROM \";\r\n"
              "strSQL += \" t \";\r\n"
              "strSQL += \"WHERE \";\r\n"
              "strSQL += \" x = 1 OR \";\r\n"
              "strSQL += \" y = 2 \";\r\n"
              "strSQL += \"ORDER BY \";\r\n"
              "strSQL += \" a \";\r\n");

    EXPECT_EQ(WrapSqlAsCode(formatted, 1, BuildCodePrefix(1, "strSQL")),
              "\r\n"
              "strSQL = strSQL & \"\"\r\n"
              "strSQL = strSQL & \"SELECT \"\r\n"
              "strSQL = strSQL & \" a, b \"\r\n"
              "strSQL = strSQL & \"FROM \"\r\n"
              "strSQL = strSQL & \" t \"\r\n"
              "strSQL = strSQL & \"WHERE \"\r\n"
              "strSQL = strSQL & \" x = 1 OR \"\r\n"
              "strSQL = strSQL & \" y = 2 \"\r\n"
              "strSQL = strSQL & \"ORDER BY \"\r\n"
              "strSQL = strSQL & \" a \"\r\n");
}

TEST(WrapSqlAsCode, EditorTextLineByLine) {
    EXPECT_EQ(WrapVc("select a\r\nfrom t"), VcLines({"select a ", "from t "}));
    EXPECT_EQ(WrapVc("select a\r\nfrom t\r\n"), VcLines({"select a ", "from t ", " "}));
    EXPECT_EQ(WrapVc(""), VcLines({""}));
    EXPECT_EQ(WrapVc("\r\nx"), VcLines({"", "x "}));    // line end at the first byte
    EXPECT_EQ(WrapVc("a\r\n\r\nb"), VcLines({"a ", " ", "b "}));  // blank line
    EXPECT_EQ(WrapVc("a \r\nb\t"), VcLines({"a ", "b\t "}));     // only a space counts
    EXPECT_EQ(WrapVc("a \t\r\n"), VcLines({"a \t ", " "}));
}

TEST(WrapSqlAsCode, LineEndsAreCrLfLoneCrLoneLfOrLfLf) {
    EXPECT_EQ(WrapVc("a\rb\nc"), VcLines({"a ", "b ", "c "}));
    EXPECT_EQ(WrapVc("a\n\nb"), VcLines({"a ", "b "}));          // LF LF is one line end
    EXPECT_EQ(WrapVc("a\r\rb"), VcLines({"a ", " ", "b "}));     // CR CR is two
    EXPECT_EQ(WrapVc("a\n\rb"), VcLines({"a ", " ", "b "}));     // so is LF CR
    EXPECT_EQ(WrapVc("a\r\n\nb"), VcLines({"a ", " ", "b "}));
    EXPECT_EQ(WrapVc("\n"), VcLines({"", " "}));
}

TEST(WrapSqlAsCode, BytesAreCopiedUnescaped) {
    EXPECT_EQ(WrapVc("x = \"a\\b\" and c = '\x83\x65'"), VcLines({"x = \"a\\b\" and c = '\x83\x65' "}));
    const std::string sjis = "\x83\x65\x95\x5C";  // テ表: 表's trail byte is a backslash
    EXPECT_EQ(WrapVc(sjis), VcLines({sjis + " "}));
}

TEST(BuildCodePrefix, FormsAndVariableNames) {
    EXPECT_EQ(BuildCodePrefix(0, "strSQL"), "strSQL += \"");
    EXPECT_EQ(BuildCodePrefix(1, "strSQL"), "strSQL = strSQL & \"");
    EXPECT_EQ(BuildCodePrefix(0, ""), " += \"");
    EXPECT_EQ(BuildCodePrefix(1, ""), " =  & \"");
    EXPECT_EQ(BuildCodePrefix(0, "a b"), "a b += \"");  // used as it is
    for (int language : {2, -1, 1000}) {
        EXPECT_EQ(BuildCodePrefix(language, "v"), "v = v & \"");
        EXPECT_EQ(WrapSqlAsCode("x", language, "P\""), "\r\nP\"x \"\r\n");
    }
    EXPECT_EQ(WrapSqlAsCode("x", 0, " += \""), "\r\n += \"x \";\r\n");
    EXPECT_EQ(WrapSqlAsCode("x", 1, " =  & \""), "\r\n =  & \"x \"\r\n");
}
