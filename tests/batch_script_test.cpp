#include "texttools/text_transforms.h"
#include "platform/sjis_format.h"
#include "results/script_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using results::SplitScript;
using Statements = std::vector<std::string>;

namespace {

// The statements a batch run sends for an editor text.
Statements Sent(std::string_view editorText) { return SplitScript(CollapseWhitespace(editorText)); }

TEST(BatchScript, SemicolonsInsideQuotesStayInTheirStatement) {
    EXPECT_EQ(Sent("select 'a;b' from t; delete from t"), (Statements{"select 'a;b' from t", "delete from t"}));
    // A doubled quote counts twice, so the parity after it is right again.
    EXPECT_EQ(Sent("update t set s = 'it''s; ok' where id = 1;\r\nselect ';'"),
              (Statements{"update t set s = 'it''s; ok' where id = 1", "select ';'"}));
    // A lone quote makes the rest of the script one statement, as typed.
    EXPECT_EQ(Sent("select 1; select 'a from t; delete from t; select 2"),
              (Statements{"select 1", "select 'a from t; delete from t; select 2"}));
    // CP932 trail bytes are never quotes or semicolons.
    const std::string kana = platform::Sjis("select 'ソ表;' from 表; select 2");
    EXPECT_EQ(SplitScript(kana), (Statements{platform::Sjis("select 'ソ表;' from 表"), "select 2"}));
}

TEST(BatchScript, EmptyStatementsAndTheEndOfTheScript) {
    EXPECT_EQ(Sent("a;;b"), (Statements{"a", "", "b"}));

    // A final ';' followed by line breaks runs no extra statement.
    EXPECT_EQ(Sent("create table t (n int);\r\n\r\n\r\n"), (Statements{"create table t (n int)"}));
    // Without a final ';' the last statement keeps the space its trailing
    // white space collapsed to.
    EXPECT_EQ(Sent("select 1;\r\nselect 2\r\n\t "), (Statements{"select 1", "select 2 "}));
    EXPECT_EQ(Sent(" \r\n\t"), Statements{});
}

TEST(BatchScript, ALineCommentSwallowsItsStatement) {
    // Line breaks are gone before the split, so the comment runs on to the ';'.
    EXPECT_EQ(Sent("-- the first\r\nselect 1;\r\nselect 2; -- the rest\r\n"),
              (Statements{"-- the first select 1", "select 2", "-- the rest "}));
}

TEST(BatchScript, StopsBeforeTheNextStatementWhenAsked) {
    Statements seen;
    const std::size_t delivered = SplitScript("a;b;c", [&](std::string_view statement) {
        seen.emplace_back(statement);
        return seen.size() < 2;
    });
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(seen, (Statements{"a", "b"}));
}

}  // namespace
