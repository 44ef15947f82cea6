#include "db/odbc_conn.h"
#include "db/statement_scope.h"
#include "support/odbc_env.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

using vetch_test::Db;
using vetch_test::Rows;

namespace {

// CP932 form of a UTF-8 literal: the form every text takes inside the program.
std::string Sj(const char* utf8) {
    return platform::Utf8ToCp932(utf8);
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
    COdbcConn conn;
};

// The tests whose SQL MariaDB cannot run (no long messages of our making, no
// '||', a driver that reads the whole answer at execution).
class OdbcConnSqlitePgTest : public OdbcConnTest {};

TEST_P(OdbcConnTest, ReadsRowsAndReportsTheDriversMessage) {
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

    std::string untouched = "keep";
    EXPECT_EQ(-1, conn.GetValue(3, untouched));
    EXPECT_EQ("keep", untouched);
    Rows rows = vetch_test::ReadRows(conn);
    EXPECT_EQ((Rows{{"1", "one", ""}, {"2", "two", ""}, {"3", "three", "x"}}), rows) << "NULL reads as empty text";
    EXPECT_EQ(-1, conn.Fetch()) << "fetching past the end keeps failing";
    EXPECT_EQ(1, conn.IsEndOfData());
    EXPECT_EQ(0, conn.FreeStatement());

    ASSERT_EQ(0, conn.AllocStatement());
    ASSERT_EQ(0, conn.Execute("SELECT id, name FROM items WHERE id > 100"));
    EXPECT_EQ(2, conn.GetColumnCount());
    EXPECT_EQ(1, conn.IsEndOfData());

    ASSERT_EQ(-1, conn.Execute("SELEC 1"));
    EXPECT_EQ(0, conn.GetColumnCount());
    char state[6] = {};
    SQLINTEGER native = 0;
    char message[512] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(0, conn.GetDiagnostic(SQL_HANDLE_STMT, state, native, message, length));
    EXPECT_NE(nullptr, std::strstr(message, "syntax")) << message;
    EXPECT_EQ(5u, std::strlen(state));
    conn.FreeStatement();

    // A statement that was never allocated fails, and leaves no message.
    EXPECT_EQ(-1, conn.Execute("SELECT 1"));
    EXPECT_EQ("", DiagnosticMessage(conn, SQL_HANDLE_STMT));
}

TEST_P(OdbcConnSqlitePgTest, CutsALongJapaneseMessageBetweenCharacters) {
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
    EXPECT_EQ(Sj("ああ"), std::string(message + kept - 4, 4)) << "ends on a whole character";
    conn.FreeStatement();
}

// Values up to 20480 CP932 bytes arrive whole, longer ones are cut there
// between two characters, whether they fit the bound buffer or must be read
// again because the display size promised less.
TEST_P(OdbcConnSqlitePgTest, LongValuesArriveWholeUpTo20480Bytes) {
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
        {std::string("a").append(times(Sj("漢"), 10239))},
        {times(Sj("ｱ"), 20480)},
        {std::string(20480, '?')},
        {"xy"},
        {""},
    };
    EXPECT_EQ(expected, vetch_test::Query(conn, "SELECT v FROM long_values ORDER BY id"));
    // The same through an expression, whose display size SQLite gives as 255.
    EXPECT_EQ(expected, vetch_test::Query(conn, "SELECT replace(v, 'q', 'q') FROM long_values ORDER BY id"));
}

// A row that fails ends the reading as the end of the data does, but says
// so, and the driver's message stays on the statement.
TEST_P(OdbcConnSqlitePgTest, AFetchThatFailsIsToldFromTheEndOfTheData) {
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

VETCH_FOR_EACH_DB(OdbcConnTest);
VETCH_FOR_DBS(OdbcConnSqlitePgTest, vetch_test::DbsWithout(Db::Mariadb));

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
        {std::string("a").append(kanji), std::string("a").append(kanji, 0, 126)},
        {std::string(126, 'a') + Sj("﨑"), std::string(126, 'a')},  // FA B1 is double-byte too
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

TEST(OdbcConnPostgres, SchemaNamesArePatterns) {
    VETCH_REQUIRE_POSTGRES();
    COdbcConn conn;
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, Db::Postgres));
    auto tablesOf = [&](const char* schema) {
        auto lock = conn.Lock();
        conn.AllocStatement();
        EXPECT_EQ(0, conn.ListTables(schema, "")) << DiagnosticMessage(conn, SQL_HANDLE_STMT);
        std::vector<std::string> names;
        for (const auto& row : vetch_test::ReadRows(conn)) names.push_back(row[2]);
        conn.FreeStatement();
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> vetch{"customer_orders", "customers", "orders", Sj("商品")};
    std::sort(vetch.begin(), vetch.end());
    EXPECT_EQ(vetch, tablesOf("vetch"));
    EXPECT_EQ(vetch, tablesOf("v_tch"));
    EXPECT_EQ(std::vector<std::string>{"notes"}, tablesOf("vetch_"));
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
    EXPECT_EQ("DSN=a;UID=b;PWD={p}}w{}", BuildConnectionString("a", "b", "p}w{"));
    // Data source and user names stay plain unless a ';' would end them early.
    EXPECT_EQ("DSN=a;UID= b;PWD={c }", BuildConnectionString("a", " b", "c "));
    EXPECT_EQ("DSN=x{y};UID=h3}br;PWD=", BuildConnectionString("x{y}", "h3}br", ""));
    EXPECT_EQ("DSN={a;b};UID={u;DATABASE=other}}};PWD=", BuildConnectionString("a;b", "u;DATABASE=other}", ""));
}

// The server ends the session under the connection, as when it restarts:
// every later statement and catalogue call fails with a message, never an
// empty one. The MariaDB driver then refuses to allocate statements at all.
class OdbcConnLostSessionTest : public testing::TestWithParam<Db> {};

TEST_P(OdbcConnLostSessionTest, StatementsAfterALostSessionSayWhy) {
    VETCH_REQUIRE_DB(GetParam());
    const bool pg = GetParam() == Db::Postgres;
    COdbcConn conn, admin;
    ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam()));
    ASSERT_EQ(0, vetch_test::ConnectTo(admin, GetParam()));
    const Rows session = vetch_test::Query(conn, pg ? "SELECT pg_backend_pid()" : "SELECT CONNECTION_ID()");
    ASSERT_EQ(1u, session.size());
    vetch_test::Query(admin, (pg ? "SELECT pg_terminate_backend(" : "KILL CONNECTION (") + session[0][0] + ")");
    admin.Disconnect();

    int refused = 0;
    for (int i = 0; i < 4; ++i) {
        db::StatementScope statement(conn);
        EXPECT_EQ(-1, i % 2 ? statement->ListTables("", "") : statement->Execute("SELECT 1"));
        EXPECT_EQ(1, statement->IsEndOfData());
        const std::string message = DiagnosticMessage(*statement, SQL_HANDLE_STMT);
        EXPECT_NE("", message) << "call " << i;
        if (statement.Allocated()) continue;
        ++refused;
        EXPECT_EQ(DiagnosticMessage(*statement, SQL_HANDLE_DBC), message);
        if (!pg) {
            EXPECT_NE(std::string::npos, message.find("Connection not open")) << message;
        }
    }
    if (!pg) {
        EXPECT_EQ(3, refused);
    }
    conn.Disconnect();
}

VETCH_FOR_DBS(OdbcConnLostSessionTest, (std::vector<Db>{Db::Postgres, Db::Mariadb}));

}  // namespace
