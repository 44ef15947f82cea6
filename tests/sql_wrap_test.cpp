#include "support/wrap_reference.h"
#include "texttools/sql_wrap.h"

#include <gtest/gtest.h>

#include <random>
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

using wrap_reference::ReferenceWrap;

}  // namespace

TEST(WrapSqlAsCode, EditorTextLineByLine) {
    EXPECT_EQ(WrapVc(""), VcLines({""}));
    EXPECT_EQ(WrapVc("a \r\nb\t"), VcLines({"a ", "b\t "}));     // only a space counts
    EXPECT_EQ(WrapVc("a\n\nb"), VcLines({"a ", "b "}));          // LF LF is one line end
    EXPECT_EQ(WrapVc("a\n\rb"), VcLines({"a ", " ", "b "}));     // LF CR is two
}

TEST(WrapSqlAsCode, BytesAreCopiedUnescaped) {
    EXPECT_EQ(WrapVc("x = \"a\\b\" and c = '\x83\x65'"), VcLines({"x = \"a\\b\" and c = '\x83\x65' "}));
    const std::string sjis = "\x83\x65\x95\x5C";  // テ表: 表's trail byte is a backslash
    EXPECT_EQ(WrapVc(sjis), VcLines({sjis + " "}));
}

TEST(BuildCodePrefix, FormsAndVariableNames) {
    EXPECT_EQ(BuildCodePrefix(1, "strSQL"), "strSQL = strSQL & \"");
    EXPECT_EQ(BuildCodePrefix(1, ""), " =  & \"");
    for (int language : {2, -1}) {  // anything but 0 is VB
        EXPECT_EQ(BuildCodePrefix(language, "v"), "v = v & \"");
        EXPECT_EQ(WrapSqlAsCode("x", language, "P\""), "\r\nP\"x \"\r\n");
    }
}

TEST(WrapSqlAsCode, AgreesWithALineByLineReadingOnRandomText) {
    // Line ends of every kind, spaces and tabs before them, at any distance
    // from each other and from the 64-byte block edges.
    const char* pieces[] = {"\r\n", "\r\n", "\r", "\n", "\n\n", " ", "\t", "x", "abcdefgh", "select a, b",
                            "\"q\"", "\x83\x65", "0123456789012345678901234567890"};
    std::mt19937 rng(4242);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 120);
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        // Half the texts without an LF right after an LF: only those go
        // through the block copy.
        for (int n = length(rng); n > 0; --n) {
            const std::string piece = pieces[pick(rng)];
            const bool lfAfterLf = piece == "\n\n" || (!s.empty() && s.back() == '\n' && piece[0] == '\n');
            if (round % 2 == 0 && lfAfterLf) continue;
            s += piece;
        }
        const bool vc = round % 4 != 0;
        const std::string prefixes[] = {"", "strSQL += \"", BuildCodePrefix(1, "aVariableNameLongerThan16Bytes")};
        const std::string& prefix = prefixes[round % 3];
        SCOPED_TRACE(testing::PrintToString(s));
        const int language = vc ? kWrapLanguageVcpp : kWrapLanguageVb;
        EXPECT_EQ(WrapSqlAsCode(s, language, prefix), ReferenceWrap(s, language, prefix));
    }
}
