#include "app/main_dlg.h"
#include "platform/clipboard.h"
#include "platform/edit_control.h"
#include "resources/resource_ids.h"
#include "results/query_result_dlg.h"
#include "results/result_list.h"
#include "support/db_window_fixture.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTest>

namespace {

using results::ResultGrid;
using vetch_test::Db;

class QueryResultDbTest : public DbWindowTest {
protected:
    static void ClickHeader(ResultGrid* list, int column) {
        QHeaderView* header = list->horizontalHeader();
        QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    static void CtrlClickRow(ResultGrid* list, int row) {
        QRect cell = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    }
    // A table "qr_t" (n INTEGER, name VARCHAR(20)) holding rows 1..count named "r1", "r2", ...
    void NumberedTable(int count) {
        ASSERT_TRUE(vetch_test::ResetTable(dlg->conn, "qr_t", "n INTEGER, name VARCHAR(20)"));
        std::string insert = "INSERT INTO qr_t VALUES ";
        for (int i = 1; i <= count; ++i) {
            insert += (i > 1 ? ",(" : "(") + std::to_string(i) + ",'r" + std::to_string(i) + "')";
        }
        Exec(insert);
    }
};
// Tests whose SQL, expected messages or streaming MariaDB does not share.
using QueryResultSqlitePgTest = QueryResultDbTest;

TEST_P(QueryResultDbTest, RowsAreNumberedAndCutAtResultMax) {
    NumberedTable(250);
    dlg->SendCommand(res::ID_BUFFER_1 + 1);
    CQueryResultDlg* w = RunF5(*dlg, "select n, name\r\n  from qr_t order by n");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetWindowText(), S("SQL 結果表示 － ｳｨﾝﾄﾞｳ 2"));
    EXPECT_EQ(w->sqlEdit->GetText(), "select n, name from qr_t order by n");

    EXPECT_EQ(Captions(w->list), (Texts{S("件数"), "n", "name"}));
    const results::ResultGridModel& m = w->list->Model();
    EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));

    ASSERT_EQ(m.RowCount(), 100);
    EXPECT_EQ(m.CellText(0, 0), "  1");
    EXPECT_EQ(m.CellText(99, 2), "r100");

    // resultMax 0: the columns, and no row.
    dlg->settings.resultMax = 0;
    w = RunF5(*dlg, "select n, name from qr_t");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->list->Model().ColumnCount(), 3);
    EXPECT_EQ(w->list->Model().RowCount(), 0);
}

TEST_P(QueryResultSqlitePgTest, StatementsWithoutRowsShowOneMessageRowThatNeverSorts) {
    NumberedTable(5);
    auto message = [&](const std::string& sql) {
        CQueryResultDlg* w = RunF5(*dlg, sql);
        EXPECT_NE(w, nullptr);
        if (!w) return std::string();
        const results::ResultGridModel& m = w->list->Model();
        EXPECT_EQ(m.RowCount(), 1);
        ClickHeader(w->list, 0);
        EXPECT_EQ(m.SortOrder(0), 0);
        std::string text(m.CellText(0, 0));
        w->close();
        Pump();
        return text;
    };
    EXPECT_EQ(message("update qr_t set name = 'x' where n <= 3"), S("3件 更新しました"));
    EXPECT_EQ(message("update qr_t set name = 'y' where n > 1000"), S("成功しました"));
    const std::string error = message("selec n from qr_t");
    EXPECT_NE(error.find("syntax error"), std::string::npos) << error;
}

TEST_P(QueryResultDbTest, HeaderClicksSortByTypeAndSelectedRowsMoveAlong) {
    ASSERT_TRUE(vetch_test::ResetTable(dlg->conn, "qr_s", "n INTEGER, t VARCHAR(10), big BIGINT"));
    Exec("INSERT INTO qr_s VALUES (9, 'b', 3000000000), (10, 'B', -3000000000), (1, 'ab', 5), "
         "(100, 'a', 9223372036854775807)");
    CQueryResultDlg* w = RunF5(*dlg, "select n, t, big from qr_s");
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(Column(w->list, 1), (Texts{"9", "10", "1", "100"}));

    CtrlClickRow(w->list, 1);  // n = 10
    ClickHeader(w->list, 1);
    EXPECT_EQ(Column(w->list, 1), (Texts{"1", "9", "10", "100"}));
    EXPECT_EQ(Column(w->list, 0), (Texts{"  3", "  1", "  2", "  4"}));
    EXPECT_EQ(w->list->SelectedRows(), std::vector<int>{2});
    ClickHeader(w->list, 1);
    EXPECT_EQ(Column(w->list, 1), (Texts{"100", "10", "9", "1"}));
    EXPECT_EQ(w->list->SelectedRows(), std::vector<int>{1});
    // Values beyond the range of int sort by their true size.
    ClickHeader(w->list, 3);
    EXPECT_EQ(Column(w->list, 3), (Texts{"-3000000000", "5", "3000000000", "9223372036854775807"}));
    ClickHeader(w->list, 0);
    EXPECT_EQ(Column(w->list, 0), (Texts{"  1", "  2", "  3", "  4"}));
    EXPECT_EQ(Column(w->list, 1), (Texts{"9", "10", "1", "100"}));
}

// Dates as text, decimals and floats by their whole value, long text as
// text; NULLs sort as empty cells, equal cells keep their order.
TEST_P(QueryResultSqlitePgTest, DatesDecimalsAndLongTextSortByTheirValues) {
    ASSERT_TRUE(vetch_test::ResetTable(dlg->conn, "qr_v", "d DATE, x NUMERIC(10,2), t TEXT, f DOUBLE PRECISION"));
    Exec("INSERT INTO qr_v VALUES ('2020-04-01', 1.9, 'x10', 1e20), ('2020-12-01', 1.10, 'x9', -2.5), "
         "('2020-01-15', -2.5, NULL, 0.001), (NULL, NULL, 'X', NULL), ('2019-12-31', 10, 'x10', 2.5)");
    CQueryResultDlg* w = RunF5(*dlg, "select d, x, t, f from qr_v");
    ASSERT_NE(w, nullptr);
    auto rowsAfterClick = [&](int column) {
        ClickHeader(w->list, column);
        return Column(w->list, 0);
    };
    EXPECT_EQ(rowsAfterClick(1), (Texts{"  4", "  5", "  3", "  1", "  2"}));
    EXPECT_EQ(rowsAfterClick(2), (Texts{"  3", "  4", "  2", "  1", "  5"}));
    EXPECT_EQ(rowsAfterClick(3), (Texts{"  3", "  4", "  1", "  5", "  2"}));
    EXPECT_EQ(rowsAfterClick(3), (Texts{"  2", "  1", "  5", "  4", "  3"}));
    EXPECT_EQ(rowsAfterClick(4), (Texts{"  2", "  4", "  3", "  5", "  1"}));
}

TEST_P(QueryResultSqlitePgTest, TextKeepsItsBytesAndLineEndsBecomeCrLf) {
    ASSERT_TRUE(vetch_test::ResetTable(dlg->conn, "qr_j", S("\"名前\" VARCHAR(20)")));
    Exec(S("INSERT INTO qr_j VALUES ('漢字ｶﾅ～'), ('a\nb')"));
    CQueryResultDlg* w = RunF5(*dlg, S("select \"名前\" from qr_j"));
    ASSERT_NE(w, nullptr);
    const results::ResultGridModel& m = w->list->Model();
    EXPECT_EQ(Captions(w->list), (Texts{S("件数"), S("名前")}));
    EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("名前"));
    ASSERT_EQ(m.RowCount(), 2);
    EXPECT_EQ(m.CellText(0, 1), S("漢字ｶﾅ～"));
    EXPECT_EQ(platform::QStringToCp932(m.data(m.index(0, 1), Qt::DisplayRole).toString()), S("漢字ｶﾅ～"));
    EXPECT_EQ(m.CellText(1, 1), "a\r\nb");

    Focus(w, w->list);
    CtrlClickRow(w->list, 1);
    QTest::keyClick(w->list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(), S("件数\t名前\r\n") + "  2\ta\r\nb\r\n");
}

TEST_P(QueryResultDbTest, CopyAndSelectAllActOnTheControlThatLastHadTheFocus) {
    NumberedTable(6);
    CQueryResultDlg* w = RunF5(*dlg, "select n, name from qr_t order by n");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->FocusTarget(), CQueryResultDlg::Focus::List);

    // Nothing selected: the clipboard is left alone.
    platform::SetClipboardText("untouched");
    QTest::mouseClick(w->copyButton, Qt::LeftButton);
    EXPECT_EQ(platform::GetClipboardText(), "untouched");

    CtrlClickRow(w->list, 1);
    CtrlClickRow(w->list, 4);
    QTest::mouseClick(w->copyButton, Qt::LeftButton);
    EXPECT_EQ(platform::GetClipboardText(), S("件数\tn\tname\r\n") + "  2\t2\tr2\r\n  5\t5\tr5\r\n");

    Focus(w, w->sqlEdit);
    QTest::keyClick(w->sqlEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->sqlEdit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(), "select n, name from qr_t order by n");
    EXPECT_EQ(w->list->SelectedRows(), (std::vector<int>{1, 4}));

    Focus(w, w->list);
    QTest::keyClick(w->list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->list, Qt::Key_C, Qt::ControlModifier);
    std::string all = S("件数\tn\tname\r\n");
    for (int i = 1; i <= 6; ++i) all += "  " + std::to_string(i) + "\t" + std::to_string(i) + "\tr" + std::to_string(i) + "\r\n";
    EXPECT_EQ(platform::GetClipboardText(), all);

    QTest::keyClick(w->list, Qt::Key_Escape);  // closes nothing
    Pump();
    EXPECT_EQ(QueryWindow(*dlg, 0), w);
}

// A row that fails in the middle: the rows before it stay, and the driver's
// message comes in a message box over the shown window.
TEST_P(QueryResultSqlitePgTest, AFailingRowKeepsTheRowsReadAndShowsTheDriversMessage) {
    dlg->conn.Disconnect();
    ASSERT_EQ(vetch_test::ConnectStreamingTo(dlg->conn, GetParam()), 0);
    bool windowShownFirst = false;
    platform::SetMessageBoxResponder([&](const platform::ShownMessage&) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* w = qobject_cast<CQueryResultDlg*>(top);
            if (w && w->isVisible() && w->list->Model().RowCount() == 2) windowShownFirst = true;
        }
        return platform::IDOK;
    });
    CQueryResultDlg* w = RunF5(*dlg, vetch_test::FailingThirdRowQuery(GetParam()));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Column(w->list, 0), (Texts{"  1", "  2"}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find(vetch_test::FailingThirdRowMessage(GetParam())), std::string::npos)
        << Messages()[0].text;
    EXPECT_EQ(Messages()[0].flags, 48);
    EXPECT_TRUE(windowShownFirst);

    // Rows that end normally bring no message.
    ASSERT_NE(RunF5(*dlg, "select 1"), nullptr);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_P(QueryResultDbTest, F5DoesNothingOnAnEmptyEditorOrWithoutAConnection) {
    // Only white space is as good as nothing: no empty statement is sent.
    for (const char* text : {"", " \r\n\t  \r\n"}) {
        dlg->curEdit->SetText(text);
        QTest::keyClick(dlg->curEdit, Qt::Key_F5);
        EXPECT_EQ(QueryWindow(*dlg, 0), nullptr);
    }
    // Not even the message of a full slot group.
    for (int i = 0; i < CMainDlg::kSlotsPerGroup; ++i) ASSERT_NE(RunF5(*dlg, "select 1"), nullptr);
    dlg->curEdit->SetText("\t ");
    QTest::keyClick(dlg->curEdit, Qt::Key_F5);
    EXPECT_TRUE(Messages().empty());
    for (int i = 0; i < CMainDlg::kSlotsPerGroup; ++i) QueryWindow(*dlg, i)->close();
    Pump();
    dlg->conn.Disconnect();
    EXPECT_EQ(RunF5(*dlg, "select 1"), nullptr);
}

VETCH_FOR_EACH_DB(QueryResultDbTest);
VETCH_FOR_DBS(QueryResultSqlitePgTest, vetch_test::DbsWithout(Db::Mariadb));

}  // namespace
