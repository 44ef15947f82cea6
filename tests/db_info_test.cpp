#include "app/main_dlg.h"
#include "platform/clipboard.h"
#include "resources/resource_ids.h"
#include "results/catalog_query.h"
#include "platform/window_thread.h"
#include "results/db_info_dlg.h"
#include "support/db_window_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

using results::ResultGrid;
using vetch_test::Db;

// List columns of the catalogue answers (column 0 numbers the rows).
constexpr int kSchemaColumn = 2;
constexpr int kNameColumn = 3;     // TABLE_NAME, PROCEDURE_NAME
constexpr int kColumnName = 4;     // COLUMN_NAME of the detail answers
constexpr int kIndexName = 6;

TEST(SchemaDiffers, OnlyTheCaseOfAsciiLettersIsIgnored) {
    EXPECT_FALSE(results::SchemaDiffers("vetch", "VeTcH"));
    EXPECT_TRUE(results::SchemaDiffers("vetch", "vetch2"));
    // "ア" (83 41) and "ヂ" (83 61) differ only in a trail byte that is an ASCII letter's code.
    EXPECT_TRUE(results::SchemaDiffers("\x83\x41", "\x83\x61"));
}

class DbInfoTest : public DbWindowTest {
protected:
    // The demo data source's schema, once, in this program's SQLite database.
    static void SetUpTestSuite() {
        static bool loaded = false;
        if (std::exchange(loaded, true)) return;
        const std::string command = std::string("sqlite3 -bail '") + vetch_test::SqliteDatabasePath() + "' < '" +
                                    VETCH_SOURCE_DIR + "/scripts/sample-db.sql'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void SetUp() override {
        DbWindowTest::SetUp();
        if (!dlg) return;  // skipped
        dlg->settings.userName = "vetch";  // the schema the window proposes
    }

    CDbInfoDlg* Window(int slot) const {
        return qobject_cast<CDbInfoDlg*>(dlg->SlotWindow(CMainDlg::kDbInfoGroup, slot));
    }
    // Ctrl+I in the editor; the window in the first free slot, or null.
    CDbInfoDlg* Open() {
        int slot = 0;
        while (slot < CMainDlg::kSlotsPerGroup && Window(slot)) ++slot;
        QTest::keyClick(dlg->curEdit, Qt::Key_I, Qt::ControlModifier);
        return slot < CMainDlg::kSlotsPerGroup ? Window(slot) : nullptr;
    }
    // Serves the window until its lists have their answers.
    static void Settle(CDbInfoDlg* w) {
        EXPECT_TRUE(platform::ServeUntil([w] { return !w->Loading(); }, 30000));
    }
    static void Choose(CDbInfoDlg* w, QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        Settle(w);
    }
    // A caption, or "" past the last column: a fault must fail the test,
    // not crash the suite.
    static std::string Caption(const ResultGrid* list, int column) {
        const Texts captions = Captions(list);
        return column < static_cast<int>(captions.size()) ? captions[static_cast<std::size_t>(column)] : "";
    }
    static std::string Shown(const ResultGrid* list) {
        return list->Model().RowCount() > 0 ? std::string(list->Model().CellText(0, 0)) : "";
    }
    static bool Holds(const Texts& texts, const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    static void Click(CDbInfoDlg* w, ResultGrid* list, const std::string& name) {
        const Texts names = Column(list, kNameColumn);
        const int row = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        ASSERT_LT(row, static_cast<int>(names.size())) << name;
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        Settle(w);
    }
    // Types a schema, presses Enter, and leaves the edit for the object list.
    static void EnterSchema(CDbInfoDlg* w, const std::string& cp932) {
        Focus(w, w->schemaEdit);
        w->schemaEdit->setText(platform::Cp932ToQString(cp932));
        QTest::keyClick(w->schemaEdit, Qt::Key_Return);
        w->objectList->setFocus();
        Settle(w);
    }
};

TEST_P(DbInfoTest, ListsTablesAndThePickedTablesColumnsKeysAndUniqueIndexesAndCopiesThem) {
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->schemaEdit->text(), "vetch");
    EXPECT_EQ(Captions(w->objectList), Texts{"Message"});
    platform::SetClipboardText("untouched");
    QTest::mouseClick(w->copyButton, Qt::LeftButton);  // no list had the focus yet
    EXPECT_EQ(platform::GetClipboardText(), "untouched");

    Choose(w, w->objectKindCombo, results::kTableObjects);
    EXPECT_EQ(Captions(w->objectList), (Texts{S("件数"), "TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "TABLE_TYPE", "REMARKS"}));
    EXPECT_EQ(Column(w->objectList, kNameColumn),
              Postgres() ? (Texts{"customer_orders", "customers", "orders", S("商品")})
                   : (Texts{"departments", "employees", S("商品"), S("売上"), S("売上明細")}));
    EXPECT_EQ(w->detailKindCombo->currentText(), QString::fromUtf8("項目情報"));

    Click(w, w->objectList, S("商品"));
    EXPECT_EQ(Caption(w->detailList, kColumnName), "COLUMN_NAME");
    EXPECT_EQ(Column(w->detailList, kColumnName), Postgres() ? (Texts{S("商品コード"), S("商品名"), S("価格")})
                                                      : (Texts{S("商品コード"), S("商品名"), S("単価"), S("備考")}));
    Choose(w, w->detailKindCombo, results::kPrimaryKeyDetails);
    EXPECT_EQ(Column(w->detailList, kColumnName), Texts{S("商品コード")});
    Click(w, w->objectList, Postgres() ? "customers" : "employees");
    Choose(w, w->detailKindCombo, results::kIndexDetails);
    const Texts indexes = Column(w->detailList, kIndexName);
    EXPECT_TRUE(Holds(indexes, Postgres() ? "customers_email_key" : "employees_email"));
    EXPECT_FALSE(Holds(indexes, Postgres() ? "customers_city_idx" : "employees_dept"));  // not unique

    // Copy acts on the list that last had the focus, and only on selected rows.
    Click(w, w->objectList, S("商品"));
    Focus(w, w->objectList);
    QTest::keyClick(w->objectList, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::GetClipboardText(),
              S("件数\tTABLE_CAT\tTABLE_SCHEM\tTABLE_NAME\tTABLE_TYPE\tREMARKS\r\n") +
                  (Postgres() ? S("  4\tvetchdb\tvetch\t商品\tTABLE\t\r\n") : S("  3\t\t\t商品\tTABLE\t\r\n")));
    Focus(w, w->detailList);
    QTest::keyClick(w->detailList, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->detailList, Qt::Key_C, Qt::ControlModifier);
    EXPECT_NE(platform::GetClipboardText().find(S("\t商品コード\t")), std::string::npos);

    QTest::keyClick(w->objectList, Qt::Key_Escape);  // closes nothing
    Pump();
    EXPECT_EQ(Window(0), w);
}

TEST_P(DbInfoTest, OnlyAClickPicksAndSwitchingTheKindEmptiesThePick) {
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    Choose(w, w->objectKindCombo, results::kTableObjects);
    ResultGrid* objects = w->objectList;
    const std::string first(objects->Model().CellText(0, kNameColumn));
    Click(w, objects, first);
    EXPECT_EQ(w->SelectedName(), first);
    const Texts columns = Column(w->detailList, kColumnName);
    ASSERT_FALSE(columns.empty());

    Focus(w, objects);
    QTest::keyClick(objects, Qt::Key_Down);
    EXPECT_EQ(objects->SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(w->SelectedName(), first);
    // A click below the last row selects nothing, forgets the pick and keeps the details.
    QTest::mouseClick(objects->viewport(), Qt::LeftButton, {}, QPoint(5, objects->viewport()->height() - 3));
    EXPECT_TRUE(objects->SelectedRows().empty());
    EXPECT_EQ(w->SelectedName(), "");
    Choose(w, w->detailKindCombo, results::kPrimaryKeyDetails);
    EXPECT_EQ(Column(w->detailList, kColumnName), columns);

    Click(w, objects, first);
    Choose(w, w->objectKindCombo, results::kProcedureObjects);
    EXPECT_EQ(w->SelectedName(), "");
    EXPECT_EQ(w->detailList->Model().RowCount(), 0);
    EXPECT_EQ(w->detailKindCombo->currentText(), QString::fromUtf8("項目情報"));
}

TEST_P(DbInfoTest, OpensOnlyWhileConnectedAndFiveAtMost) {
    for (int i = 0; i < 5; ++i) ASSERT_NE(Open(), nullptr);
    dlg->SendCommand(res::ID_DATABASE_INFO);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, S("ｳｨﾝﾄﾞｳの表字数が制限を越えました。"));
    dlg->conn.Disconnect();
    for (int slot = 0; slot < CMainDlg::kSlotsPerGroup; ++slot) Window(slot)->close();
    Pump();
    dlg->SendCommand(res::ID_DATABASE_INFO);
    EXPECT_EQ(Window(0), nullptr);
    EXPECT_EQ(Messages().size(), 1u);
}

// "a_b" is not "axb", and "t〜x" (PostgreSQL keeps the wave dash, which the
// code page shows as the full-width tilde) is not "t～x".
TEST_P(DbInfoTest, APickedTableShowsItsOwnColumnsOnly) {
    const std::string wave = Postgres() ? "U&\"t\\301Cx\"" : "\"tx_wave\"";
    for (const std::string& table : {std::string("a_b"), std::string("axb"), wave}) {
        Exec("DROP TABLE IF EXISTS " + table);
    }
    Exec("CREATE TABLE a_b (only_in_a_b INTEGER)");
    Exec("CREATE TABLE axb (only_in_axb INTEGER)");
    Exec("CREATE TABLE " + wave + " (only_in_wave INTEGER)");
    if (Postgres()) Exec(S("CREATE TABLE \"t～x\" (only_in_tilde INTEGER)"));
    dlg->settings.userName = Postgres() ? vetch_test::PostgresSchema() : "";
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    Choose(w, w->objectKindCombo, results::kTableObjects);
    Click(w, w->objectList, "a_b");
    EXPECT_EQ(Column(w->detailList, kColumnName), Texts{"only_in_a_b"});
    Click(w, w->objectList, "axb");
    EXPECT_EQ(Column(w->detailList, kColumnName), Texts{"only_in_axb"});
    if (Postgres()) {
        const Texts names = Column(w->objectList, kNameColumn);
        ASSERT_EQ(std::count(names.begin(), names.end(), S("t～x")), 2);
        Click(w, w->objectList, S("t～x"));  // the first of the two
        const Texts columns = Column(w->detailList, kColumnName);
        EXPECT_TRUE(columns == Texts{"only_in_wave"} || columns == Texts{"only_in_tilde"}) << columns.size();
        Exec(S("DROP TABLE \"t～x\""));
    }
    for (const std::string& table : {std::string("a_b"), std::string("axb"), wave}) Exec("DROP TABLE " + table);
}

VETCH_FOR_DBS(DbInfoTest, vetch_test::DbsWithout(Db::Mariadb));  // no schemas, no sample tables

// Schemas, procedures and a server that goes away: SQLite has none of them.
using DbInfoPgTest = DbInfoTest;

TEST_P(DbInfoPgTest, SchemasLoadOnLeavingTheEditAndFunctionsShowTheirParameters) {
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    EnterSchema(w, "vetch2");
    EXPECT_EQ(Captions(w->objectList), Texts{"Message"});  // no kind chosen yet
    Choose(w, w->objectKindCombo, results::kTableObjects);
    EXPECT_EQ(Column(w->objectList, kNameColumn), Texts{"notes"});
    Click(w, w->objectList, "notes");
    EnterSchema(w, "no_such_schema");
    EXPECT_EQ(Caption(w->objectList, kNameColumn), "TABLE_NAME");
    EXPECT_EQ(w->objectList->Model().RowCount(), 0);
    dlg->settings.resultMax = 1000;
    EnterSchema(w, "");
    const Texts schemas = Column(w->objectList, kSchemaColumn);
    for (const char* schema : {"vetch", "vetch2", "pg_catalog"}) EXPECT_TRUE(Holds(schemas, schema)) << schema;

    EnterSchema(w, "vetch");
    Choose(w, w->objectKindCombo, results::kProcedureObjects);
    EXPECT_EQ(Column(w->objectList, kNameColumn), (Texts{"order_total", S("税込価格")}));
    Click(w, w->objectList, S("税込価格"));
    EXPECT_EQ(Caption(w->detailList, kSchemaColumn), "PROCEDUR_SCHEM");
    EXPECT_EQ(Column(w->detailList, kColumnName), (Texts{"", S("価格"), S("税率")}));
    EXPECT_EQ(Column(w->detailList, 5), (Texts{"5", "1", "1"}));  // COLUMN_TYPE: result, then inputs
}

TEST_P(DbInfoPgTest, AFailingQueryShowsItsMessageInItsOwnListOnly) {
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    Choose(w, w->objectKindCombo, results::kTableObjects);
    const Texts tables = Column(w->objectList, kNameColumn);
    // The server ends the window's session under it.
    const vetch_test::Rows pid = vetch_test::Query(dlg->conn, "SELECT pg_backend_pid()");
    ASSERT_EQ(pid.size(), 1u);
    COdbcConn other;
    ASSERT_EQ(vetch_test::ConnectTo(other, Db::Postgres), 0);
    vetch_test::Query(other, "SELECT pg_terminate_backend(" + pid[0][0] + ")");
    Click(w, w->objectList, "orders");
    EXPECT_EQ(Captions(w->detailList), Texts{"Message"});
    ASSERT_EQ(w->detailList->Model().RowCount(), 1);
    EXPECT_NE(w->detailList->Model().CellText(0, 0), "");
    EXPECT_EQ(Column(w->objectList, kNameColumn), tables);
}

// MariaDB has databases where the others have schemas: the window proposes
// the current one and lists its tables at the first choice.
using DbInfoMariadbTest = DbInfoTest;

TEST_P(DbInfoMariadbTest, TheCurrentDatabaseIsProposedAndItsTablesListed) {
    Exec("DROP TABLE IF EXISTS mdb_t");
    Exec("CREATE TABLE mdb_t (n INTEGER)");
    CDbInfoDlg* w = Open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->schemaEdit->text(), "vetchdb");
    Choose(w, w->objectKindCombo, results::kTableObjects);
    EXPECT_TRUE(Holds(Column(w->objectList, kNameColumn), "mdb_t")) << Shown(w->objectList);
    Click(w, w->objectList, "mdb_t");
    EXPECT_EQ(Column(w->detailList, kColumnName), Texts{"n"});
    Exec("DROP TABLE mdb_t");
}

VETCH_FOR_DBS(DbInfoMariadbTest, std::vector<Db>{Db::Mariadb});

VETCH_FOR_DBS(DbInfoPgTest, std::vector<Db>{Db::Postgres});

}  // namespace
