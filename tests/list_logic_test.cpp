#include "results/list_logic.h"
#include "results/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

using namespace results;

namespace {

TEST(ListLogic, RowNumbersAndColumns) {
    EXPECT_EQ(RowNumberDigits(INT_MIN), 1);
    EXPECT_EQ(RowNumberDigits(INT_MAX), 10);
    EXPECT_EQ(FormatRowNumber(1234, 3), "1234");
    EXPECT_EQ(ResultColumn("\x96\xBC\x91\x4F", 12, 10).width, 40);  // bytes, not characters
    EXPECT_EQ(RowNumberColumn(INT_MAX).width, INT_MAX);  // a hand-edited font size
}

TEST(ListLogic, NumericColumnsSortByTheirLeadingInteger) {
    EXPECT_LT(CompareRows("9", "10", 4, 1), 0);
    EXPECT_GT(CompareRows("9", "10", 4, 2), 0);
    EXPECT_EQ(CompareRows("  42abc", "42", 4, 1), 0);
    EXPECT_EQ(CompareRows("2024-12-31", "2024-01-02", 93, 1), 0);
    // Past 32 and 64 bits the order holds instead of wrapping.
    EXPECT_GT(CompareRows("2147483648", "-2147483649", 4, 1), 0);
    EXPECT_EQ(CompareRows("99999999999999999999", "9223372036854775807", 4, 1), 0);
    EXPECT_GT(CompareRows("9223372036854775807", "-9223372036854775808", 4, 1), 0);
    EXPECT_EQ(CompareRows(std::string(10239, ' ') + "5", "0", 4, 1), 0);  // past the compared part
}

TEST(ListLogic, TextColumnsSortByUnsignedBytes) {
    EXPECT_EQ(CompareRows("abc", "abd", kSqlChar, 2), 1);
    EXPECT_EQ(CompareRows("ab", "abc", kSqlVarchar, 1), -1);
    EXPECT_EQ(CompareRows("\x93\xFA", "z", kSqlVarchar, 1), 1);
    EXPECT_EQ(CompareRows(std::string("ab\0z", 4), "ab", kSqlVarchar, 1), 0);
    std::string a(20000, 'x');
    std::string b = a.substr(0, 10239) + std::string(9761, 'y');
    EXPECT_EQ(CompareRows(a, b, kSqlVarchar, 1), 0);
    b[10238] = 'y';
    EXPECT_EQ(CompareRows(a, b, kSqlVarchar, 1), -1);
}

TEST(ListLogic, CopyTextIsTabSeparatedWithCrLfLines) {
    std::string text;
    // Captions count with 254 bytes, whole characters only (93 FA 日, FB FC 髙).
    AppendCopyHeader(text, {"\x8C\x8F\x90\x94", std::string(300, 'c'), std::string(253, 'd') + "\x93\xFA",
                            std::string(253, 'e') + "\xFB\xFC"});
    AppendCopyLine(text, {"  2", "", std::string(5000, 'v')});
    AppendCopyLine(text, {});
    EXPECT_EQ(text, "\x8C\x8F\x90\x94\t" + std::string(254, 'c') + "\t" + std::string(253, 'd') + "\t" +
                        std::string(253, 'e') + "\r\n  2\t\t" + std::string(5000, 'v') + "\r\n\r\n");
}

// Rows spill over into new chunks, and one row larger than a chunk gets one
// of its own; every cell still reads back whole.
TEST(CellTableTest, CellsSurviveChunkBoundaries) {
    results::CellTable cells(3);
    const std::string big(3u << 20, 'x');
    for (int r = 0; r < 30000; ++r) {
        cells.AppendCell(std::to_string(r));
        if (r == 15000) {
            cells.AppendCell(big);
        } else {
            cells.AppendCell(std::string(static_cast<std::size_t>(r % 50), 'a' + r % 26));
        }
        if (r % 3) {
            cells.AppendCell("last");
            cells.AppendCell("dropped");  // one more than the columns
        }
        cells.EndRow();
    }
    ASSERT_EQ(cells.RowCount(), 30000u);
    for (std::size_t r = 0; r < cells.RowCount(); ++r) {
        ASSERT_EQ(cells.Cell(r, 0), std::to_string(r));
        if (r == 15000) {
            ASSERT_EQ(cells.Cell(r, 1), big);
        } else {
            ASSERT_EQ(cells.Cell(r, 1), std::string(r % 50, static_cast<char>('a' + r % 26)));
        }
        ASSERT_EQ(cells.Cell(r, 2), r % 3 ? "last" : "");
    }
    EXPECT_EQ(cells.Cell(30000, 0), "");
}

// More than 16 rows, where a sort stops being a simple insertion sort: rows
// that compare equal keep the order they had, in either direction.
TEST(ListLogic, SortingKeepsTheOrderOfEqualRows) {
    CellTable cells(2);
    for (int r = 0; r < 40; ++r) {
        cells.AppendCell(std::to_string(r % 3));
        cells.AppendCell("row" + std::to_string(r));
        cells.EndRow();
    }
    std::vector<std::uint32_t> order(40);
    for (std::uint32_t r = 0; r < 40; ++r) order[r] = 39 - r;  // the list shows them backwards
    SortRowOrder(order, cells, 0, 4, 1);
    std::vector<std::uint32_t> expected;
    for (int key : {0, 1, 2}) {
        for (int r = 39; r >= 0; --r) {
            if (r % 3 == key) expected.push_back(static_cast<std::uint32_t>(r));
        }
    }
    EXPECT_EQ(order, expected);
}

}  // namespace
