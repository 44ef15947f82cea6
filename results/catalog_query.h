// The catalogue questions of the database information window, with no widget
// in sight: which COdbcConn operation a choice of kinds asks, and when an
// edited schema counts as a new one. Text is CP932 bytes.
#pragma once

#include <optional>
#include <string_view>

class COdbcConn;

namespace results {

// Item indexes of the window's two kind combo boxes.
constexpr int kTableObjects = 0;
constexpr int kProcedureObjects = 1;
constexpr int kColumnDetails = 0;
constexpr int kPrimaryKeyDetails = 1;
constexpr int kIndexDetails = 2;

enum class CatalogQuery { Tables, Procedures, Columns, PrimaryKeys, UniqueIndexes, ProcedureColumns };

// The object list's question for an object kind; none for an unknown kind.
std::optional<CatalogQuery> ObjectQuery(int objectKind);
// The detail list's question for a pair of kinds; procedures have columns only.
std::optional<CatalogQuery> DetailQuery(int objectKind, int detailKind);

// Answer column (0-based, as the driver numbers from 1: its third) that
// holds the table or procedure name in every catalogue answer.
constexpr int kAnswerNameColumn = 2;

// Asks query on conn's current statement: schema as the schema, rawName
// (UTF-8, as the driver gave it) as the table or procedure of the detail
// questions, every pattern that is not given empty. The operation's result:
// 0, or -1 with the reason left on the statement.
int RunCatalogCall(COdbcConn& conn, CatalogQuery query, std::string_view schema, std::string_view rawName);

// True when the row now on conn names exactly rawName: a pattern may match
// other names too (a driver without an escape for '_' and '%').
bool RowNamesExactly(const COdbcConn& conn, std::string_view rawName);

// True when text names another schema than schema: they differ in more than
// the case of ASCII letters. Bytes of double-byte characters always count,
// even when a trail byte happens to be an ASCII letter's code.
bool SchemaDiffers(std::string_view schema, std::string_view text);

}  // namespace results
