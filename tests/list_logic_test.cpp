#include "results/list_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>

using namespace results;

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(ListLogic, RowNumbersAreAsWideAsTheLargestRowCount) {
    EXPECT_EQ(RowNumberDigits(100), 3);
    EXPECT_EQ(RowNumberDigits(99), 2);
    EXPECT_EQ(RowNumberDigits(1000), 4);
    EXPECT_EQ(RowNumberDigits(9), 1);
    EXPECT_EQ(RowNumberDigits(10), 2);
    EXPECT_EQ(RowNumberDigits(1), 1);
    EXPECT_EQ(RowNumberDigits(0), 1);
    EXPECT_EQ(RowNumberDigits(-5), 1);
    EXPECT_EQ(RowNumberDigits(INT_MIN), 1);
    EXPECT_EQ(RowNumberDigits(INT_MAX), 10);

    EXPECT_EQ(FormatRowNumber(1, 3), "  1");
    EXPECT_EQ(FormatRowNumber(100, 3), "100");
    EXPECT_EQ(FormatRowNumber(1234, 3), "1234");
    EXPECT_EQ(FormatRowNumber(7, 1), "7");
}

TEST(ListLogic, ColumnsTakeTheirWidthFromTheFontSize) {
    const ListColumnSpec number = RowNumberColumn(10);
    EXPECT_EQ(number.caption, "\x8C\x8F\x90\x94");
    EXPECT_EQ(number.width, 40);
    EXPECT_FALSE(number.rightAligned);
    EXPECT_EQ(number.dataType, 3);

    const ListColumnSpec name = ResultColumn("TABLE_NAME", 12, 10);
    EXPECT_EQ(name.width, 100);
    EXPECT_FALSE(name.rightAligned);
    EXPECT_FALSE(ResultColumn("CODE", 1, 10).rightAligned);
    EXPECT_TRUE(ResultColumn("ID", 4, 10).rightAligned);
    EXPECT_TRUE(ResultColumn("WIDE", -9, 10).rightAligned);
    // Widths count bytes: a double-byte name is twice its character count.
    EXPECT_EQ(ResultColumn("\x96\xBC\x91\x4F", 12, 10).width, 40);
    EXPECT_EQ(ResultColumn("ID", 4, 10).dataType, 4);

    // A hand-edited font size cannot overflow a width.
    EXPECT_EQ(RowNumberColumn(INT_MAX).width, INT_MAX);
    EXPECT_EQ(ResultColumn("NAME", 1, INT_MIN).width, INT_MIN);

    const ListColumnSpec message = MessageColumn();
    EXPECT_EQ(message.caption, "Message");
    EXPECT_EQ(message.width, 500);
    EXPECT_FALSE(message.rightAligned);
    EXPECT_EQ(message.dataType, 0);
}

TEST(ListLogic, NumericColumnsSortByTheirLeadingInteger) {
    const short integer = 4;
    EXPECT_LT(CompareRows("9", "10", integer, 1), 0);
    EXPECT_GT(CompareRows("9", "10", integer, 2), 0);
    EXPECT_LT(CompareRows("-5", "3", integer, 1), 0);
    EXPECT_EQ(CompareRows("  42abc", "42", integer, 1), 0);
    EXPECT_EQ(CompareRows("", "abc", integer, 1), 0);
    EXPECT_LT(CompareRows("", "1", integer, 1), 0);
    EXPECT_EQ(CompareRows("1.9", "1.1", integer, 1), 0);
    EXPECT_LT(CompareRows("2023-12-31", "2024-01-02", 91, 1), 0);
    EXPECT_EQ(CompareRows("2024-12-31", "2024-01-02", 93, 1), 0);
    // Row numbers as the row-number column shows them.
    EXPECT_LT(CompareRows("  9", " 10", kRowNumberType, 1), 0);
    // Values beyond 32 and 64 bits keep their order instead of wrapping.
    EXPECT_GT(CompareRows("2147483648", "-2147483649", integer, 1), 0);
    EXPECT_GT(CompareRows("99999999999999999999", "1", integer, 1), 0);
    EXPECT_LT(CompareRows("-99999999999999999999", "-1", integer, 1), 0);
    EXPECT_EQ(CompareRows("99999999999999999999", "9223372036854775807", integer, 1), 0);
    EXPECT_EQ(CompareRows("-99999999999999999999", "-9223372036854775808", integer, 1), 0);
    EXPECT_GT(CompareRows("9223372036854775807", "-9223372036854775808", integer, 1), 0);

    std::vector<std::string> ids = {"10", "9", "-1", "100", "  2", "x"};
    std::stable_sort(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) {
        return CompareRows(a, b, 4, 1) < 0;
    });
    EXPECT_EQ(ids, (std::vector<std::string>{"-1", "x", "  2", "9", "10", "100"}));
}

TEST(ListLogic, TextColumnsSortByUnsignedBytes) {
    EXPECT_EQ(CompareRows("abc", "abd", kSqlVarchar, 1), -1);
    EXPECT_EQ(CompareRows("abd", "abc", kSqlChar, 1), 1);
    EXPECT_EQ(CompareRows("abc", "abd", kSqlVarchar, 2), 1);
    EXPECT_EQ(CompareRows("ab", "abc", kSqlVarchar, 1), -1);
    EXPECT_EQ(CompareRows("", "", kSqlVarchar, 1), 0);
    // Double-byte characters (lead bytes >= 0x81) sort after ASCII.
    EXPECT_EQ(CompareRows("\x93\xFA", "z", kSqlVarchar, 1), 1);
    EXPECT_EQ(CompareRows("10", "9", kSqlVarchar, 1), -1);
    // Only the first 10239 bytes take part, and a cell ends at a NUL.
    std::string a(20000, 'x');
    std::string b = a.substr(0, 10239) + std::string(9761, 'y');
    EXPECT_EQ(CompareRows(a, b, kSqlVarchar, 1), 0);
    b[10238] = 'y';
    EXPECT_EQ(CompareRows(a, b, kSqlVarchar, 1), -1);
    EXPECT_EQ(CompareRows(std::string(10239, ' ') + "5", "0", 4, 1), 0);
    EXPECT_EQ(CompareRows(std::string("ab\0z", 4), "ab", kSqlVarchar, 1), 0);
    EXPECT_EQ(Sign(CompareRows("b", "a", kSqlVarchar, 0)), -1);  // anything but 1 is descending
}

TEST(ListLogic, CopyTextIsTabSeparatedWithCrLfLines) {
    std::string text;
    AppendCopyHeader(text, {"\x8C\x8F\x90\x94", "ID", "NAME"});
    AppendCopyLine(text, {"  2", "7", "a b"});
    AppendCopyLine(text, {"  5", "", "\x93\xFA\x96\x7B"});
    EXPECT_EQ(text,
              "\x8C\x8F\x90\x94\tID\tNAME\r\n"
              "  2\t7\ta b\r\n"
              "  5\t\t\x93\xFA\x96\x7B\r\n");

    // Captions count with 254 bytes at most, never half a character.
    std::string header;
    AppendCopyHeader(header, {std::string(300, 'c'), std::string(253, 'd') + "\x93\xFA"});
    EXPECT_EQ(header, std::string(254, 'c') + "\t" + std::string(253, 'd') + "\r\n");

    // Cells are copied whole; a line without cells is still a line.
    std::string row;
    AppendCopyCell(row, std::string(5000, 'v'));
    EndCopyLine(row);
    EndCopyLine(row);
    EXPECT_EQ(row, std::string(5000, 'v') + "\r\n\r\n");
}

TEST(ListLogic, CopyTextOfALargeListIsFast) {
    const std::vector<std::string> captions = {"\x8C\x8F\x90\x94", "ID", "NAME", "PRICE", "DATE", "NOTE"};
    const std::vector<std::string> cells = {"    12", "12345", "some name", "1980", "2024-01-02",
                                            "a longer note text"};
    const auto start = std::chrono::steady_clock::now();
    std::string text;
    text.reserve(100000 * 60);
    AppendCopyHeader(text, captions);
    for (int r = 0; r < 100000; ++r) {
        for (const std::string& cell : cells) AppendCopyCell(text, cell);
        EndCopyLine(text);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(1));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100001);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 100001 * 5);
}

}  // namespace
