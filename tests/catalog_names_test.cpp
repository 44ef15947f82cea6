// Table names in the catalogue calls, as the driver gave them and never as patterns.
#include "db/odbc_conn.h"
#include "db/statement_scope.h"
#include "support/odbc_env.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using vetch_test::Db;
using Names = std::set<std::string>;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Creates table name (UTF-8, any characters) with one integer key column.
// The program's own SQL text is CP932, which cannot hold every such name, so
// the name goes another way: PostgreSQL's Unicode escapes, or the database's
// command-line client.
void CreateTable(COdbcConn& conn, Db db, const std::string& name, const std::string& column) {
    const std::string key = column + " integer primary key";
    if (db == Db::Postgres) {
        std::string quoted = "U&\"";
        char code[16];
        for (unsigned c : QString::fromUtf8(name.data(), static_cast<int>(name.size())).toUcs4()) {
            std::snprintf(code, sizeof code, "\\+%06X", c);
            quoted += c < 0x80 && c != '\\' && c != '"' ? std::string(1, static_cast<char>(c)) : code;
        }
        ASSERT_TRUE(vetch_test::ResetTable(conn, quoted + "\"", key));
        return;
    }
    const char quote = db == Db::Mariadb ? '`' : '"';
    const std::string script = std::string(vetch_test::SqliteDatabasePath()) + ".sql";
    std::ofstream(script, std::ios::binary) << "DROP TABLE IF EXISTS " << quote << name << quote << "; CREATE TABLE "
                                            << quote << name << quote << " (" << key << ");\n";
    const std::string client =
        db == Db::Sqlite ? "sqlite3 -bail '" + std::string(vetch_test::SqliteDatabasePath()) + "'"
                         : "MYSQL_PWD='" + Env("VETCH_MDB_PASSWORD") + "' mariadb --no-defaults -h " +
                               Env("VETCH_MDB_HOST") + " -P " + Env("VETCH_MDB_PORT") + " -u " + Env("VETCH_MDB_USER") +
                               " " + Env("VETCH_MDB_DATABASE");
    const std::string command = client + " < '" + script + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
}

// The raw values of columns 3 and 4 (the table and the column name of a
// column, key or index answer), every row.
std::pair<Names, Names> TablesAndColumns(COdbcConn& conn) {
    std::pair<Names, Names> out;
    for (std::string table, column; !conn.IsEndOfData(); conn.Fetch()) {
        EXPECT_EQ(0, conn.GetRawValue(2, table));
        EXPECT_EQ(0, conn.GetRawValue(3, column));
        out.first.insert(table);
        out.second.insert(column);
    }
    return out;
}

class CatalogNamesTest : public testing::TestWithParam<Db> {
protected:
    void SetUp() override {
        VETCH_REQUIRE_DB(GetParam());
        ASSERT_EQ(0, vetch_test::ConnectTo(conn, GetParam())) << DiagnosticMessage(conn, SQL_HANDLE_DBC);
        // What the window proposes: PostgreSQL our schema, MariaDB its database.
        if (GetParam() == Db::Postgres) schema = vetch_test::PostgresSchema();
        if (GetParam() == Db::Mariadb) schema = conn.CurrentCatalog();
    }
    void TearDown() override { conn.Disconnect(); }

    // Every table's name as the driver returns it.
    Names Tables() {
        db::StatementScope statement(conn);
        EXPECT_EQ(0, statement->ListTables(schema, "")) << DiagnosticMessage(conn, SQL_HANDLE_STMT);
        return TablesAndColumns(conn).first;
    }
    // The named table's column names (ListColumns) and key columns (ListPrimaryKeys).
    Names Columns(const std::string& table, bool keys = false) {
        db::StatementScope statement(conn);
        const int r = keys ? statement->ListPrimaryKeys(schema, RawName{table})
                           : statement->ListColumns(schema, RawName{table}, "");
        EXPECT_EQ(0, r) << DiagnosticMessage(conn, SQL_HANDLE_STMT);
        auto [tables, columns] = TablesAndColumns(conn);
        // Every answer row is of the picked table: the escape alone sees to it.
        EXPECT_EQ(Names{table}, tables);
        return columns;
    }

    COdbcConn conn;
    std::string schema;
};

TEST_P(CatalogNamesTest, APickedNameFindsItsOwnTableAndNoOther) {
    // U+301C, U+FF5E, U+2212 and é: CP932 keeps only U+FF5E of them.
    const std::vector<std::pair<std::string, std::string>> tables{
        {"t\u301Cx", "wave"}, {"t\uFF5Ex", "fullwidth"}, {"t\u2212z", "minus"}, {"caf\u00E9", "accent"},
        {"a_b", "underscore"}, {"axb", "letter"},        {"a%b", "percent"},   {"a'b", "quote"},
    };
    for (const auto& [name, column] : tables) CreateTable(conn, GetParam(), name, column);
    const Names listed = Tables();
    for (const auto& [name, column] : tables) {
        ASSERT_EQ(1u, listed.count(name)) << name;
        EXPECT_EQ(Names{column}, Columns(name)) << name;
        EXPECT_EQ(Names{column}, Columns(name, true)) << name;
    }
}

TEST_P(CatalogNamesTest, OnlyADriverWithoutSchemasTakesTheSchemaAsItsCatalogue) {
    EXPECT_EQ(GetParam() == Db::Mariadb, conn.UsesCatalogsForSchemas());
    if (GetParam() == Db::Sqlite) return;
    EXPECT_EQ("vetchdb", conn.CurrentCatalog());
    CreateTable(conn, GetParam(), "catalogued", "c");
    EXPECT_EQ(1u, Tables().count("catalogued"));
}

VETCH_FOR_EACH_DB(CatalogNamesTest);

TEST(EscapeSearchPattern, EscapesThePatternCharactersAndTheEscape) {
    EXPECT_EQ("a\\_b\\%c", EscapeSearchPattern("a_b%c", "\\"));
    EXPECT_EQ("a\\\\b\\_", EscapeSearchPattern("a\\b_", "\\"));
    EXPECT_EQ("caf\u00E9 x'y", EscapeSearchPattern("caf\u00E9 x'y", "\\"));
    EXPECT_EQ("!!_a!!!!", EscapeSearchPattern("_a!!", "!!"));
    EXPECT_EQ("a_b%", EscapeSearchPattern("a_b%", "")) << "no escape: the name as it is";
}

}  // namespace
