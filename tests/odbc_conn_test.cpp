// COdbcConn against the SQLite and the PostgreSQL data sources of the test
// fixture (tests/support/odbc_env.h). PostgreSQL tests skip without a server
// (scripts/pg-start.sh), and fail instead when CI=true.
#include "db/odbc_conn.h"
#include "db/statement_scope.h"
#include "support/odbc_env.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using vetch_test::Db;
using vetch_test::Rows;

namespace {

// CP932 form of a UTF-8 literal: the form every text takes inside the program.
std::string Sj(const char* utf8) {
    return platform::Utf8ToCp932(utf8);
}

std::vector<std::string> Column(const Rows& rows, std::size_t index) {
    std::vector<std::string> values;
    for (const auto& row : rows) values.push_back(index < row.size() ? row[index] : "<missing>");
    return values;
}

bool Contains(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

class OdbcConnTest : public testing::TestWithParam<Db> {
protected:
    void SetUp() override {
        VETCH_REQUIRE_DB(GetParam());
        ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam())) << DiagnosticMessage(conn, SQL_HANDLE_DBC);
    }
    void TearDown() override {
        if (conn.IsConnected()) conn.Disconnect();
    }
    bool Postgres() const { return GetParam() == Db::Postgres; }
    // The schema the test's own tables live in; empty for SQLite.
    std::string OwnSchema() const { return Postgres() ? vetch_test::PostgresSchema() : ""; }

    // Runs a catalogue call as a window does and reads its whole answer.
    template <typename Call>
    Rows Catalog(Call call, int* columns = nullptr) {
        db::StatementScope statement(conn);
        EXPECT_TRUE(statement.Allocated());
        int rc = call();
        EXPECT_EQ(0, rc) << DiagnosticMessage(conn, SQL_HANDLE_STMT);
        if (columns) *columns = conn.GetColumnCount();
        captions.clear();
        ColumnInfo info;
        for (int i = 0; conn.GetColumnInfo(i, info) == 0; ++i) captions.push_back(info.name);
        return vetch_test::ReadRows(conn);
    }

    COdbcConn conn;
    std::vector<std::string> captions;  // column names of the latest Catalog answer
};

TEST_P(OdbcConnTest, ReadsResultSetsWithAndWithoutRows) {
    ASSERT_TRUE(vetch_test::ResetTable(conn, "items", "id integer primary key, name varchar(20), note varchar(20)"));
    ASSERT_EQ(3, vetch_test::RunSql(conn, "INSERT INTO items VALUES (1, 'one', NULL), (2, 'two', ''), (3, 'three', 'x')"));

    auto lock = conn.Lock();
    ASSERT_EQ(0, conn.AllocStatement());
    ASSERT_EQ(0, conn.Execute("SELECT id, name, note FROM items ORDER BY id"));
    ASSERT_EQ(3, conn.GetColumnCount());
    EXPECT_EQ(0, conn.IsEndOfData()) << "the first row is fetched by Execute";
    ColumnInfo info;
    ASSERT_EQ(0, conn.GetColumnInfo(1, info));
    EXPECT_EQ("name", info.name);
    EXPECT_EQ(SQL_VARCHAR, info.dataType);
    EXPECT_EQ(20, info.displaySize);

    // Out-of-range indexes fail and leave the outputs alone.
    std::string untouched = "keep";
    EXPECT_EQ(-1, conn.GetValue(3, untouched));
    EXPECT_EQ(-1, conn.GetValue(-1, untouched));
    EXPECT_EQ("keep", untouched);
    EXPECT_EQ(-1, conn.GetColumnInfo(3, info));
    EXPECT_EQ("name", info.name);

    Rows rows = vetch_test::ReadRows(conn);
    EXPECT_EQ((Rows{{"1", "one", ""}, {"2", "two", ""}, {"3", "three", "x"}}), rows) << "NULL reads as empty text";
    EXPECT_EQ(-1, conn.Fetch()) << "fetching past the end keeps failing";
    EXPECT_EQ(1, conn.IsEndOfData());
    EXPECT_EQ(0, conn.FreeStatement());

    ASSERT_EQ(0, conn.AllocStatement());
    ASSERT_EQ(0, conn.Execute("SELECT id, name FROM items WHERE id > 100"));
    EXPECT_EQ(2, conn.GetColumnCount());
    EXPECT_EQ(1, conn.IsEndOfData());
    ASSERT_EQ(0, conn.GetColumnInfo(0, info));
    EXPECT_EQ("id", info.name);
    EXPECT_EQ(0, conn.FreeStatement());
    EXPECT_EQ(-1, conn.FreeStatement()) << "no statement left to free";
}

TEST_P(OdbcConnTest, CountsChangedRows) {
    ASSERT_EQ(0, vetch_test::RunSql(conn, "DROP TABLE IF EXISTS counted"));
    auto lock = conn.Lock();
    conn.AllocStatement();
    EXPECT_EQ(0, conn.Execute("CREATE TABLE counted (id integer, v integer)"));
    EXPECT_EQ(0, conn.GetColumnCount());
    EXPECT_EQ(3, conn.Execute("INSERT INTO counted VALUES (1, 0), (2, 0), (3, 0)"));
    EXPECT_EQ(3, conn.Execute("UPDATE counted SET v = 1"));
    EXPECT_EQ(0, conn.GetColumnCount());
    // The driver answers SQL_NO_DATA here; the statement still succeeded.
    EXPECT_EQ(0, conn.Execute("UPDATE counted SET v = 2 WHERE id > 100"));
    EXPECT_EQ(0, conn.Execute("DELETE FROM counted WHERE id > 100"));
    EXPECT_EQ(2, conn.Execute("DELETE FROM counted WHERE id < 3"));
    conn.FreeStatement();
}

TEST_P(OdbcConnTest, ReportsTheDriversMessageForBadSql) {
    auto lock = conn.Lock();
    conn.AllocStatement();
    ASSERT_EQ(-1, conn.Execute("SELEC 1"));
    EXPECT_EQ(0, conn.GetColumnCount());
    char state[6] = {};
    SQLINTEGER native = 0;
    char message[512] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(0, conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, message, length));
    EXPECT_NE(nullptr, std::strstr(message, "syntax")) << message;
    EXPECT_EQ(5u, std::strlen(state));
    EXPECT_EQ(static_cast<SQLSMALLINT>(std::strlen(message)), length);

    // Without a record, or with an unknown kind, the caller's buffers stay.
    ASSERT_EQ(0, conn.Execute("SELECT 1"));
    char kept[512] = "kept";
    EXPECT_EQ(0, conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, kept, length));
    EXPECT_STREQ("kept", kept);
    EXPECT_EQ(0, conn.GetDiagnostic(7, state, native, kept, length));
    EXPECT_STREQ("kept", kept);
    conn.FreeStatement();

    // A statement that was never allocated fails, and leaves no message.
    EXPECT_EQ(-1, conn.Execute("SELECT 1"));
    EXPECT_EQ("", DiagnosticMessage(conn, SQL_HANDLE_STMT));
}

TEST_P(OdbcConnTest, CutsALongJapaneseMessageBetweenCharacters) {
    std::string name;
    for (int i = 0; i < 400; ++i) name += "あ";
    // PostgreSQL shortens identifiers, so its long message comes from RAISE.
    std::string sql = Postgres() ? "DO $$BEGIN RAISE EXCEPTION '%', '" + name + "'; END$$"
                                 : "SELECT * FROM \"" + name + "\"";
    auto lock = conn.Lock();
    conn.AllocStatement();
    ASSERT_EQ(-1, conn.Execute(Sj(sql.c_str())));
    char state[6] = {};
    SQLINTEGER native = 0;
    char message[512];
    std::memset(message, 'z', sizeof message);
    SQLSMALLINT length = 0;
    conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, message, length);
    std::size_t kept = strnlen(message, sizeof message);
    ASSERT_LT(kept, sizeof message) << "NUL-terminated within the buffer";
    if (Postgres()) {
        // The SQLite driver shortens its messages to 511 UTF-8 bytes itself.
        EXPECT_GE(kept, 510u);
        EXPECT_GT(length, 800) << "the length of the whole message";
    }
    EXPECT_EQ(Sj("ああ"), std::string(message + kept - 4, 4)) << "ends on a whole character";
    conn.FreeStatement();
}

TEST_P(OdbcConnTest, CapsWideColumnsAt20480Characters) {
    ASSERT_TRUE(vetch_test::ResetTable(conn, "wide", "id integer, v varchar(100000)"));
    std::string value;
    for (int i = 0; i < 30000; ++i) value += static_cast<char>('a' + i % 26);
    ASSERT_EQ(1, vetch_test::RunSql(conn, "INSERT INTO wide VALUES (1, '" + value + "')"));
    ASSERT_EQ(1, vetch_test::RunSql(conn, "INSERT INTO wide VALUES (2, 'xy')"));
    ASSERT_EQ(1, vetch_test::RunSql(conn, "INSERT INTO wide VALUES (3, NULL)"));

    auto lock = conn.Lock();
    conn.AllocStatement();
    ASSERT_EQ(0, conn.Execute("SELECT v FROM wide ORDER BY id"));
    ColumnInfo info;
    ASSERT_EQ(0, conn.GetColumnInfo(0, info));
    EXPECT_EQ(20480, info.displaySize) << "the driver reports 100000";
    const BoundColumn* column = conn.FindColumn(0);
    ASSERT_NE(nullptr, column);
    EXPECT_EQ(COdbcConn::kMaxBufferSize, column->bufferSize);
    std::string read;
    conn.GetValue(0, read);
    EXPECT_EQ(value.substr(0, 20480), read);

    // Only the written part is cleared between rows, yet every buffer is
    // all zero behind each value.
    auto zeroFrom = [&](std::size_t from) {
        return std::all_of(column->data + from, column->data + column->bufferSize, [](char c) { return c == 0; });
    };
    ASSERT_EQ(0, conn.Fetch());
    conn.GetValue(0, read);
    EXPECT_EQ("xy", read);
    EXPECT_TRUE(zeroFrom(2));
    ASSERT_EQ(0, conn.Fetch());
    conn.GetValue(0, read);
    EXPECT_EQ("", read);
    EXPECT_TRUE(zeroFrom(0));
    conn.FreeStatement();

    if (Postgres()) {
        // bytea reports SQL_NO_TOTAL (-4), which says nothing: the cap.
        conn.AllocStatement();
        ASSERT_EQ(0, conn.Execute("SELECT decode('00ff', 'hex') AS b"));
        ASSERT_EQ(0, conn.GetColumnInfo(0, info));
        EXPECT_EQ(20480, info.displaySize);
        EXPECT_EQ(COdbcConn::kMaxBufferSize, conn.FindColumn(0)->bufferSize);
        conn.FreeStatement();
    }
}

// Values up to 20480 CP932 bytes arrive whole, longer ones are cut there
// between two characters, whether they fit the bound buffer or must be read
// again because the display size promised less.
TEST_P(OdbcConnTest, LongValuesArriveWholeUpTo20480Bytes) {
    ASSERT_TRUE(vetch_test::ResetTable(conn, "long_values", "id integer, v text"));
    // n copies of a text, made by the database.
    auto repeated = [&](const std::string& text, int n) {
        return Postgres() ? "repeat('" + text + "', " + std::to_string(n) + ")"
                          : "replace(hex(zeroblob(" + std::to_string(n) + ")), '00', '" + text + "')";
    };
    const std::string emoji = Postgres() ? "chr(128512)" : "char(128512)";
    const std::vector<std::string> made{
        repeated(Sj("漢"), 10000),
        repeated(Sj("漢"), 10241),
        "'a' || " + repeated(Sj("漢"), 10240),
        repeated(Sj("ｱ"), 20481),
        Postgres() ? "repeat(" + emoji + ", 20480)" : "replace(hex(zeroblob(20480)), '00', " + emoji + ")",
        "'xy'",
        "NULL",
    };
    for (std::size_t i = 0; i < made.size(); ++i) {
        ASSERT_EQ(1, vetch_test::RunSql(conn, "INSERT INTO long_values SELECT " + std::to_string(i) + ", " + made[i]));
    }
    auto times = [](const std::string& text, std::size_t n) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) out += text;
        return out;
    };
    const Rows expected{
        {times(Sj("漢"), 10000)},
        {times(Sj("漢"), 10240)},
        {"a" + times(Sj("漢"), 10239)},
        {times(Sj("ｱ"), 20480)},
        {std::string(20480, '?')},
        {"xy"},
        {""},
    };
    EXPECT_EQ(expected, vetch_test::Query(conn, "SELECT v FROM long_values ORDER BY id"));
    // The same through an expression, whose display size SQLite gives as 255.
    EXPECT_EQ(expected, vetch_test::Query(conn, "SELECT replace(v, 'q', 'q') FROM long_values ORDER BY id"));
}

TEST_P(OdbcConnTest, JapaneseNamesAndValuesRoundTrip) {
    ASSERT_TRUE(vetch_test::ResetTable(conn, Sj("\"顧客\""),
                                       Sj("\"番号\" integer primary key, \"名前\" varchar(10), \"メモ\" varchar(40)")));
    std::string tenKanji = Sj("東西南北上下左右前後");
    std::string mixed = Sj("ｶﾅ～①ＡＢ髙");
    ASSERT_EQ(1, vetch_test::RunSql(conn, Sj("INSERT INTO \"顧客\" VALUES (1, '") + tenKanji + "', '" + mixed + "')"));

    Rows rows = vetch_test::Query(conn, Sj("SELECT \"名前\", \"メモ\" FROM \"顧客\" WHERE \"名前\" = '") + tenKanji + "'");
    EXPECT_EQ((Rows{{tenKanji, mixed}}), rows) << "ten characters of VARCHAR(10) arrive whole";

    auto lock = conn.Lock();
    conn.AllocStatement();
    ASSERT_EQ(0, conn.Execute(Sj("SELECT \"名前\" AS \"氏名\" FROM \"顧客\"")));
    ColumnInfo info;
    ASSERT_EQ(0, conn.GetColumnInfo(0, info));
    EXPECT_EQ(Sj("氏名"), info.name);
    conn.FreeStatement();

    // Catalogue arguments travel as UTF-8 too.
    Rows columns = Catalog([&] { return conn.ListColumns(OwnSchema(), Sj("顧客"), ""); });
    EXPECT_EQ((std::vector<std::string>{Sj("番号"), Sj("名前"), Sj("メモ")}), Column(columns, 3));
}

TEST_P(OdbcConnTest, ListsTheCatalogue) {
    vetch_test::RunSql(conn, "DROP VIEW IF EXISTS cat_view");
    ASSERT_TRUE(vetch_test::ResetTable(conn, "cat_parent", "id integer primary key, label varchar(10)"));
    ASSERT_TRUE(vetch_test::ResetTable(conn, "cat_child",
                                       "id integer, line integer, code varchar(10), n integer, primary key (id, line)"));
    ASSERT_EQ(0, vetch_test::RunSql(conn, "CREATE UNIQUE INDEX cat_child_code ON cat_child (code)"));
    ASSERT_EQ(0, vetch_test::RunSql(conn, "CREATE INDEX cat_child_n ON cat_child (n)"));
    ASSERT_EQ(0, vetch_test::RunSql(conn, "CREATE VIEW cat_view AS SELECT id FROM cat_parent"));
    std::string schema = OwnSchema();

    Rows tables = Catalog([&] { return conn.ListTables(schema, ""); });
    EXPECT_EQ("TABLE_NAME", captions[2]);
    EXPECT_TRUE(Contains(Column(tables, 2), "cat_child"));
    for (const auto& row : tables) {
        if (row[2] == "cat_view") {
            EXPECT_EQ("VIEW", row[3]);
        }
        if (row[2] == "cat_parent") {
            EXPECT_EQ("TABLE", row[3]);
        }
    }
    // '_' is a pattern character in a table pattern: it matches the 'v'.
    EXPECT_EQ((std::vector<std::string>{"cat_view"}), Column(Catalog([&] { return conn.ListTables(schema, "cat_vie_"); }), 2));

    Rows cols = Catalog([&] { return conn.ListColumns(schema, "cat_child", ""); });
    EXPECT_EQ((std::vector<std::string>{"id", "line", "code", "n"}), Column(cols, 3));
    EXPECT_EQ((std::vector<std::string>{"code"}), Column(Catalog([&] { return conn.ListColumns(schema, "cat_child", "c%"); }), 3));

    Rows keys = Catalog([&] { return conn.ListPrimaryKeys(schema, "cat_child"); });
    EXPECT_EQ((std::vector<std::string>{"id", "line"}), Column(keys, 3));
    EXPECT_EQ((std::vector<std::string>{"1", "2"}), Column(keys, 4));

    // Unique indexes only; a statistics row (TYPE 0) may come along.
    Rows indexes = Catalog([&] { return conn.ListIndexes(schema, "cat_child"); });
    std::vector<std::string> indexNames;
    for (const auto& row : indexes) {
        if (row[6] == "0") continue;
        EXPECT_EQ("0", row[3]) << "NON_UNIQUE of " << row[5];
        indexNames.push_back(row[5]);
    }
    EXPECT_TRUE(Contains(indexNames, "cat_child_code"));
    EXPECT_FALSE(Contains(indexNames, "cat_child_n"));

    // A schema that matches nothing: the captions and no rows.
    {
        auto lock = conn.Lock();
        conn.AllocStatement();
        ASSERT_EQ(0, conn.ListTables(Postgres() ? "no_such_schema" : "", "no_such_table"));
        EXPECT_GT(conn.GetColumnCount(), 0);
        EXPECT_EQ(1, conn.IsEndOfData());
        conn.FreeStatement();
    }

    // Both procedure calls succeed, with an answer to show (what the drivers
    // answer is in docs/driver-facts.md).
    int columns = 0;
    Catalog([&] { return conn.ListProcedures(schema, ""); }, &columns);
    EXPECT_GT(columns, 0);
    Catalog([&] { return conn.ListProcedureColumns(schema, "", ""); }, &columns);
    EXPECT_GT(columns, 0);
}

// Threads share the one connection, each running whole sequences under the
// lock. Any interleaving of two sequences on the single statement shows up
// as a failed call or as another thread's value.
TEST_P(OdbcConnTest, LockKeepsSequencesApart) {
    ASSERT_TRUE(vetch_test::ResetTable(conn, "lock_probe", "thread_no integer, seq integer, v varchar(40)"));
    constexpr int kThreads = 4;
    const int kRounds = Postgres() ? 400 : 250;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::string value;
            for (int i = 0; i < kRounds && failures < 5; ++i) {
                std::string mine = std::to_string(t) + "-" + std::to_string(i);
                {
                    auto lock = conn.Lock();
                    conn.AllocStatement();
                    if (conn.Execute("INSERT INTO lock_probe VALUES (" + std::to_string(t) + ", " + std::to_string(i) +
                                     ", '" + mine + "')") != 1)
                        ++failures;
                    conn.FreeStatement();
                }
                for (int read = 0; read < 3; ++read) {
                    auto lock = conn.Lock();
                    conn.AllocStatement();
                    if (conn.Execute("SELECT v FROM lock_probe WHERE thread_no = " + std::to_string(t) +
                                     " AND seq = " + std::to_string(i)) != 0 ||
                        conn.IsEndOfData() || conn.GetValue(0, value) != 0 || value != mine || conn.Fetch() != -1)
                        ++failures;
                    conn.FreeStatement();
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(0, failures.load());
    Rows count = vetch_test::Query(conn, "SELECT count(*) FROM lock_probe");
    EXPECT_EQ((Rows{{std::to_string(kThreads * kRounds)}}), count);
}

TEST_P(OdbcConnTest, CancelStopsARunningStatement) {
    conn.Cancel();  // no statement: nothing happens
    // Both take far longer than the test allows unless they are cancelled.
    std::string slow = Postgres() ? "SELECT pg_sleep(60)"
                                  : "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 1000000000) "
                                    "SELECT count(*) FROM r";
    std::atomic<bool> done{false};
    int result = 0;
    auto begin = std::chrono::steady_clock::now();
    std::thread worker([&] {
        auto lock = conn.Lock();
        conn.AllocStatement();
        result = conn.Execute(slow);
        conn.FreeStatement();
        done = true;
    });
    // Cancel, from this thread and without the lock, until it takes: the
    // first call may come before the statement has started.
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        conn.Cancel();
    }
    worker.join();
    EXPECT_EQ(-1, result);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_EQ((Rows{{"1"}}), vetch_test::Query(conn, "SELECT 1")) << "the connection stays usable";
}

// A row that fails ends the reading as the end of the data does, but says
// so, and the driver's message stays on the statement.
TEST_P(OdbcConnTest, AFetchThatFailsIsToldFromTheEndOfTheData) {
    {
        auto lock = conn.Lock();
        conn.AllocStatement();
        ASSERT_EQ(0, conn.Execute("SELECT 1"));
        EXPECT_EQ(-1, conn.Fetch());
        EXPECT_EQ(1, conn.IsEndOfData());
        EXPECT_EQ(0, conn.FetchFailed());
        conn.FreeStatement();
    }
    conn.Disconnect();
    ASSERT_EQ(0, vetch_test::ConnectStreamingTo(conn, GetParam())) << DiagnosticMessage(conn, SQL_HANDLE_DBC);
    auto lock = conn.Lock();
    conn.AllocStatement();
    ASSERT_EQ(0, conn.Execute(vetch_test::FailingThirdRowQuery(GetParam())));
    EXPECT_EQ(0, conn.FetchFailed());
    Rows rows = vetch_test::ReadRows(conn);
    EXPECT_EQ((Rows{{"1", Postgres() ? "0" : "1"}, {"2", Postgres() ? "-1" : "2"}}), rows);
    EXPECT_EQ(1, conn.IsEndOfData());
    EXPECT_EQ(1, conn.FetchFailed());
    const std::string message = DiagnosticMessage(conn, SQL_HANDLE_STMT);
    EXPECT_NE(std::string::npos, message.find(vetch_test::FailingThirdRowMessage(GetParam()))) << message;
    conn.FreeStatement();

    // The next statement starts afresh.
    conn.AllocStatement();
    ASSERT_EQ(0, conn.Execute("SELECT 1"));
    EXPECT_EQ(0, conn.FetchFailed());
    conn.FreeStatement();
}

TEST_P(OdbcConnTest, DisconnectReleasesTheStatement) {
    auto lock = conn.Lock();
    ASSERT_EQ(0, conn.AllocStatement());
    ASSERT_EQ(0, conn.Execute("SELECT 1"));
    EXPECT_EQ(0, conn.Disconnect());
    EXPECT_EQ(0, conn.IsConnected());
    conn.Cancel();
    EXPECT_EQ(-1, conn.FreeStatement()) << "Disconnect already freed it";
    // A second Disconnect fails in the driver manager, and still leaves it disconnected.
    EXPECT_EQ(-1, conn.Disconnect());
    EXPECT_EQ(0, conn.IsConnected());
    EXPECT_EQ(-1, conn.AllocStatement());
    // The connection handle is reusable.
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam()));
    EXPECT_EQ(1, conn.IsConnected());
}

INSTANTIATE_TEST_SUITE_P(Db, OdbcConnTest, testing::ValuesIn(vetch_test::AllDbs()),
                         [](const auto& info) { return std::string(vetch_test::DbName(info.param)); });

TEST(OdbcConnSqlite, ValuesLongerThanTheirDisplaySizeArriveWhole) {
    COdbcConn conn;
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, Db::Sqlite));
    // SQLite does not enforce VARCHAR(10): 20 kanji (60 UTF-8 bytes) meet a
    // 41-byte buffer.
    ASSERT_TRUE(vetch_test::ResetTable(conn, "cut", "v varchar(10)"));
    std::string twenty = Sj("一二三四五六七八九十壱弐参四五六七八九拾");
    ASSERT_EQ(1, vetch_test::RunSql(conn, "INSERT INTO cut VALUES ('" + twenty + "')"));
    EXPECT_EQ((Rows{{twenty}}), vetch_test::Query(conn, "SELECT v FROM cut"));
    // Expressions report 255 whatever their values hold.
    std::string long3000(3000, 'x');
    EXPECT_EQ((Rows{{long3000, twenty + twenty}}),
              vetch_test::Query(conn, "SELECT replace(hex(zeroblob(3000)), '00', 'x'), group_concat(v, '') "
                                      "FROM (SELECT v FROM cut UNION ALL SELECT v FROM cut)"));

    // Columns declared with a size of 0 report a display size of 0: it says
    // nothing, so they are bound at the cap.
    ASSERT_TRUE(vetch_test::ResetTable(conn, "zero", "a varchar(0), b text(0), c decimal(0), d blob(0)"));
    ASSERT_EQ(1, vetch_test::RunSql(conn, Sj("INSERT INTO zero VALUES ('hello', '漢字', 'hello', 'hello')")));
    EXPECT_EQ((Rows{{"hello", Sj("漢字"), "hello", "hello"}}), vetch_test::Query(conn, "SELECT a, b, c, d FROM zero"));
    {
        auto lock = conn.Lock();
        conn.AllocStatement();
        ASSERT_EQ(0, conn.Execute("SELECT a FROM zero"));
        ColumnInfo info;
        ASSERT_EQ(0, conn.GetColumnInfo(0, info));
        EXPECT_EQ(20480, info.displaySize);
        conn.FreeStatement();
    }
    conn.Disconnect();
}

TEST(OdbcConnSqlite, ColumnNamesAreCutTo127BytesBetweenCharacters) {
    COdbcConn conn;
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, Db::Sqlite));
    std::string kanji;
    for (int i = 0; i < 100; ++i) kanji += Sj("漢");
    const std::vector<std::pair<std::string, std::string>> cases{
        {std::string(200, 'a'), std::string(127, 'a')},
        {"a" + kanji, "a" + kanji.substr(0, 126)},
        {kanji, kanji.substr(0, 126)},
        // 﨑 (FA B1) is a double-byte character too.
        {std::string(126, 'a') + Sj("﨑"), std::string(126, 'a')},
        {std::string(127, 'a'), std::string(127, 'a')},
    };
    for (const auto& [alias, shown] : cases) {
        auto lock = conn.Lock();
        conn.AllocStatement();
        ASSERT_EQ(0, conn.Execute("SELECT 1 AS \"" + alias + "\""));
        ColumnInfo info;
        ASSERT_EQ(0, conn.GetColumnInfo(0, info));
        EXPECT_EQ(shown, info.name) << alias.size() << " bytes";
        conn.FreeStatement();
    }
    conn.Disconnect();
}

TEST(OdbcConnPostgres, SchemaPatternsProceduresAndJapaneseCatalogue) {
    VETCH_REQUIRE_POSTGRES();
    COdbcConn conn;
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, Db::Postgres));
    auto catalog = [&](auto call) {
        auto lock = conn.Lock();
        conn.AllocStatement();
        EXPECT_EQ(0, call()) << DiagnosticMessage(conn, SQL_HANDLE_STMT);
        Rows rows = vetch_test::ReadRows(conn);
        conn.FreeStatement();
        return rows;
    };
    auto tablesOf = [&](const char* schema) {
        auto names = Column(catalog([&] { return conn.ListTables(schema, ""); }), 2);
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> vetch{"customer_orders", "customers", "orders", Sj("商品")};
    std::sort(vetch.begin(), vetch.end());
    EXPECT_EQ(vetch, tablesOf("vetch"));
    EXPECT_EQ(vetch, tablesOf("v_tch"));
    EXPECT_EQ(std::vector<std::string>{"notes"}, tablesOf("vetch_"));
    EXPECT_EQ(5u, tablesOf("vetch%").size());

    EXPECT_EQ((std::vector<std::string>{"customer_id", "name", "email", "city"}),
              Column(catalog([&] { return conn.ListColumns("vetc_", "customers", ""); }), 3));
    EXPECT_EQ((std::vector<std::string>{"order_id", "line_no"}),
              Column(catalog([&] { return conn.ListPrimaryKeys("vetch", "orders"); }), 3));
    auto indexes = Column(catalog([&] { return conn.ListIndexes("vetch", "customers"); }), 5);
    EXPECT_TRUE(Contains(indexes, "customers_email_key"));
    EXPECT_TRUE(Contains(indexes, "customers_pkey"));
    EXPECT_FALSE(Contains(indexes, "customers_city_idx"));
    EXPECT_TRUE(Contains(Column(catalog([&] { return conn.ListIndexes("vetch", Sj("商品")); }), 5), Sj("商品名_一意")));

    auto procedures = Column(catalog([&] { return conn.ListProcedures("vetch", ""); }), 2);
    EXPECT_TRUE(Contains(procedures, "order_total"));
    EXPECT_TRUE(Contains(procedures, Sj("税込価格")));
    EXPECT_EQ(std::vector<std::string>{"note_count"},
              Column(catalog([&] { return conn.ListProcedures("vetch_", ""); }), 2));
    Rows parameters = catalog([&] { return conn.ListProcedureColumns("vetch", Sj("税込価格"), ""); });
    EXPECT_TRUE(Contains(Column(parameters, 3), Sj("価格")));
    EXPECT_TRUE(Contains(Column(parameters, 3), Sj("税率")));

    // Names from the catalogue are read back in CP932 and fit the next query.
    EXPECT_EQ((Rows{{Sj("りんごジュース")}}),
              vetch_test::Query(conn, Sj("SELECT \"商品名\" FROM vetch.\"商品\" WHERE \"商品コード\" = 'A-001'")));
    conn.Disconnect();
}

TEST(OdbcConnLifecycle, UnknownDataSourceFailsAtOnce) {
    vetch_test::InitOdbcEnvironment();
    COdbcConn conn;
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(-1, conn.Connect("no-such-source", "user", "secret"));
    // No network time-out: a sanitizer build on a busy machine still answers well within this.
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    EXPECT_EQ(0, conn.IsConnected());
    EXPECT_NE(std::string::npos, DiagnosticMessage(conn, SQL_HANDLE_DBC).find("Data source name not found"));
    EXPECT_EQ(-1, conn.Disconnect());
    EXPECT_EQ(0, conn.IsConnected());
}

// psqlODBC takes braces off a password but not off a user name, so user
// names must arrive plain, whatever they hold.
TEST(OdbcConnLifecycle, OddUserNamesAndPasswordsLogIn) {
    VETCH_REQUIRE_POSTGRES();
    std::vector<vetch_test::Login> logins = vetch_test::PostgresOddLogins();
    logins.push_back({vetch_test::PostgresQuotedUser(), vetch_test::PostgresQuotedPassword()});
    for (const auto& login : logins) {
        COdbcConn conn;
        ASSERT_EQ(0, conn.Connect(vetch_test::PostgresDsn(), login.user, login.password))
            << "user '" << login.user << "', password '" << login.password << "': " << DiagnosticMessage(conn, SQL_HANDLE_DBC);
        EXPECT_EQ((Rows{{login.user}}), vetch_test::Query(conn, "SELECT current_user"));
        conn.Disconnect();
    }
}

TEST(BuildConnectionString, QuotesOnlyValuesThatNeedIt) {
    EXPECT_EQ("DSN=sample;UID=scott;PWD=tiger", BuildConnectionString("sample", "scott", "tiger"));
    EXPECT_EQ("DSN=sample;UID=;PWD=", BuildConnectionString("sample", "", ""));
    EXPECT_EQ("DSN=a;UID=b;PWD={x;DATABASE=other}", BuildConnectionString("a", "b", "x;DATABASE=other"));
    EXPECT_EQ("DSN=a;UID=b;PWD={p}}w{}", BuildConnectionString("a", "b", "p}w{"));
    EXPECT_EQ("DSN=a;UID=b;PWD={k=v}", BuildConnectionString("a", "b", "k=v"));
    EXPECT_EQ("DSN=a b;UID=b;PWD=", BuildConnectionString("a b", "b", ""));
    // Data source and user names stay plain unless a ';' would end them early.
    EXPECT_EQ("DSN=a;UID= b;PWD={c }", BuildConnectionString("a", " b", "c "));
    EXPECT_EQ("DSN=a=b;UID=h3=eq;PWD=", BuildConnectionString("a=b", "h3=eq", ""));
    EXPECT_EQ("DSN=x{y};UID=h3}br;PWD=", BuildConnectionString("x{y}", "h3}br", ""));
    EXPECT_EQ("DSN={a;b};UID={u;DATABASE=other}}};PWD=", BuildConnectionString("a;b", "u;DATABASE=other}", ""));
    std::string longPassword(400, 'p');
    EXPECT_EQ("DSN=a;UID=b;PWD=" + longPassword, BuildConnectionString("a", "b", longPassword));
}

}  // namespace
