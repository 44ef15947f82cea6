#include "results/list_logic.h"
#include "results/result_list.h"
#include "results/row_sort.h"
#include "support/sort_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
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

// The cells of one column in the order a header click shows them, the rows
// starting in the order given.
std::vector<std::string> Sorted(const std::vector<std::string>& values, short dataType, int sortOrder) {
    CellTable cells(1);
    for (const std::string& v : values) {
        cells.AppendCell(v);
        cells.EndRow();
    }
    std::vector<std::uint32_t> order(values.size());
    for (std::uint32_t r = 0; r < order.size(); ++r) order[r] = r;
    SortRowOrder(order, cells, 0, dataType, sortOrder);
    std::vector<std::string> out;
    for (std::uint32_t r : order) out.emplace_back(cells.Cell(r, 0));
    return out;
}

using Texts = std::vector<std::string>;

TEST(ListLogic, IntegerColumnsSortByTheirLeadingInteger) {
    EXPECT_EQ(Sorted({"10", "9", "-3"}, 4, 1), (Texts{"-3", "9", "10"}));
    EXPECT_EQ(Sorted({"10", "9", "-3"}, -5, 2), (Texts{"10", "9", "-3"}));
    // Equal leading integers keep their order; so does the part past 10239 bytes.
    EXPECT_EQ(Sorted({"  42abc", "42", "x", "", std::string(10239, ' ') + "5"}, 4, 1),
              (Texts{"x", "", std::string(10239, ' ') + "5", "  42abc", "42"}));
    // Past 32 and 64 bits the order holds instead of wrapping.
    EXPECT_EQ(Sorted({"99999999999999999999", "2147483648", "-2147483649", "9223372036854775807",
                      "-9223372036854775808"}, -5, 1),
              (Texts{"-9223372036854775808", "-2147483649", "2147483648", "99999999999999999999",
                     "9223372036854775807"}));
}

TEST(ListLogic, CharacterAndDateColumnsSortAsUnsignedBytes) {
    for (short type : {1, 12, -1, -8, -9, -10}) {
        EXPECT_EQ(Sorted({"abd", "\x93\xFA", "abc", "ab", "", "10", "9"}, type, 1),
                  (Texts{"", "10", "9", "ab", "abc", "abd", "\x93\xFA"})) << type;
    }
    for (short type : {9, 91, 11, 93}) {
        EXPECT_EQ(Sorted({"2020-04-01", "2020-12-01", "", "2020-01-15 10:00:00", "2019-12-31"}, type, 1),
                  (Texts{"", "2019-12-31", "2020-01-15 10:00:00", "2020-04-01", "2020-12-01"})) << type;
    }
    EXPECT_EQ(Sorted({"23:59:59", "09:00:00", "10:30:00"}, 92, 2), (Texts{"23:59:59", "10:30:00", "09:00:00"}));
    // A NUL ends the compared part, and so does byte 10239.
    std::string a(20000, 'x');
    std::string b = a.substr(0, 10239) + std::string(9761, 'y');
    EXPECT_EQ(Sorted({std::string("ab\0z", 4), "ab", b, a}, 12, 2), (Texts{b, a, std::string("ab\0z", 4), "ab"}));
    b[10238] = 'w';
    EXPECT_EQ(Sorted({a, b}, -1, 1), (Texts{b, a}));
}

TEST(ListLogic, NumberColumnsSortByTheirWholeValue) {
    const Texts values{"1.9", "1.10", "-2.5", "1e1", "", "-0.0", "NaN", "Infinity", "-Infinity", "0.001",
                       "  +1.1abc", "1.1", "-10", "-2.49", "9.99E-1", "12345678901234567890.5",
                       "12345678901234567890.25", ".5", "5.", "-1E+2", "abc"};
    const Texts ascending{"-Infinity", "-1E+2", "-10", "-2.5", "-2.49", "", "-0.0", "abc", "0.001", ".5",
                          "9.99E-1", "1.10", "  +1.1abc", "1.1", "1.9", "5.", "1e1", "12345678901234567890.25",
                          "12345678901234567890.5", "Infinity", "NaN"};
    for (short type : {2, 3, 6, 7, 8}) EXPECT_EQ(Sorted(values, type, 1), ascending) << type;
    // Descending keeps equal values in their order too.
    EXPECT_EQ(Sorted({"1.0", "2", "1", "0.1e1"}, 3, 2), (Texts{"2", "1.0", "1", "0.1e1"}));
}

TEST(ListLogic, CopyTextIsTabSeparatedWithCrLfLines) {
    struct Text {
        std::string bytes;
        void Reserve(std::size_t n) { bytes.reserve(n); }
        void Append(std::string_view piece) { bytes += piece; }
    };
    // Captions count with 254 bytes, whole characters only (93 FA 日, FB FC 髙).
    std::vector<ListColumnSpec> columns;
    for (const std::string& caption : {std::string("\x8C\x8F\x90\x94"), std::string(300, 'c'),
                                       std::string(253, 'd') + "\x93\xFA", std::string(253, 'e') + "\xFB\xFC"}) {
        columns.push_back({caption, 0, false, 12});
    }
    CellTable cells(4);
    for (const std::string& cell : {std::string("  2"), std::string(), std::string(5000, 'v')}) cells.AppendCell(cell);
    cells.EndRow();
    cells.EndRow();
    Text text;
    WriteCopyText(columns, cells, {1, 0}, text);
    const std::string expected = "\x8C\x8F\x90\x94\t" + std::string(254, 'c') + "\t" + std::string(253, 'd') +
                                 "\t" + std::string(253, 'e') + "\r\n\t\t\t\r\n  2\t\t" + std::string(5000, 'v') +
                                 "\t\r\n";
    EXPECT_EQ(text.bytes, expected);
    Text none;
    WriteCopyText({}, CellTable(), {}, none);
    EXPECT_EQ(none.bytes, "\r\n");
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

// Values made to meet: shared prefixes longer than the eight bytes compared
// first, signs, fractions and exponents written several ways, NULLs (empty
// cells), high bytes, a NUL, and cells longer than the compared part.
std::string RandomCell(std::mt19937& random) {
    static const char* const pieces[] = {
        "", "0", "-0", "1", "-1", "10", "9", "1.5", "-1.50", "1.05", "1e3", "1E-3", "-2.5e+2", ".5", "5.",
        "00012.3400", "  7", "+3", "abc", "abcdefghij", "abcdefghik", "abcdefgh", "2024-01-02", "2024-12-31 23:59:59",
        "10:00:00", "\x93\xFA\x96\x7B", "\x82\xA0", "\xB1", "9223372036854775807", "-9223372036854775808",
        "99999999999999999999", "NaN", "Infinity", "-inf", "1e999999999999", "-1e-999999999999", "x\ty"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::string cell = pieces[pick(random)];
    const int more = static_cast<int>(random() % 4);
    for (int i = 0; i < more; ++i) cell += pieces[pick(random)];
    if (random() % 40 == 0) cell.insert(cell.size() / 2, 1, '\0');
    if (random() % 60 == 0) cell = std::string(10239 - random() % 3, '1') + cell;
    return cell;
}

TEST(ListLogic, PreparedKeySortMatchesThePlainComparison) {
    std::mt19937 random(20240521);
    const short types[] = {1, 12, -1, -8, -9, -10, 2, 3, 6, 7, 8, 9, 10, 11, 91, 92, 93, 4, 5, -5, -6, -7, 0};
    for (int round = 0; round < 60; ++round) {
        const int rows = static_cast<int>(random() % 300);
        const int columns = 3;
        CellTable cells(columns);
        std::vector<std::string> distinct;
        for (int i = 0; i < 1 + static_cast<int>(random() % 40); ++i) distinct.push_back(RandomCell(random));
        for (int r = 0; r < rows; ++r) {
            // Drawn from a few values, so that ties are common.
            for (int c = 0; c < columns; ++c) cells.AppendCell(distinct[random() % distinct.size()]);
            cells.EndRow();
        }
        std::vector<std::uint32_t> order(static_cast<std::size_t>(rows));
        for (std::uint32_t r = 0; r < order.size(); ++r) order[r] = r;
        std::shuffle(order.begin(), order.end(), random);
        // Several clicks on one list: each sort starts from the order the
        // one before left.
        for (int click = 0; click < 6; ++click) {
            const short type = types[random() % std::size(types)];
            const int column = static_cast<int>(random() % columns);
            const int direction = 1 + static_cast<int>(random() % 2);
            std::vector<std::uint32_t> expected = order;
            sort_reference::SortRowOrder(expected, cells, column, type, direction);
            SortRowOrder(order, cells, column, type, direction);
            ASSERT_EQ(order, expected) << "round " << round << " type " << type << " direction " << direction;
        }
    }
}

}  // namespace
