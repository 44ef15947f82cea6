#include "results/catalog_query.h"

#include "texttools/text_transforms.h"
#include "db/odbc_conn.h"

#include <string>

namespace results {

std::optional<CatalogQuery> ObjectQuery(int objectKind) {
    if (objectKind == kTableObjects) return CatalogQuery::Tables;
    if (objectKind == kProcedureObjects) return CatalogQuery::Procedures;
    return std::nullopt;
}

std::optional<CatalogQuery> DetailQuery(int objectKind, int detailKind) {
    if (objectKind == kTableObjects) {
        if (detailKind == kColumnDetails) return CatalogQuery::Columns;
        if (detailKind == kPrimaryKeyDetails) return CatalogQuery::PrimaryKeys;
        if (detailKind == kIndexDetails) return CatalogQuery::UniqueIndexes;
    } else if (objectKind == kProcedureObjects && detailKind == kColumnDetails) {
        return CatalogQuery::ProcedureColumns;
    }
    return std::nullopt;
}

int RunCatalogCall(COdbcConn& conn, CatalogQuery query, std::string_view schema, std::string_view rawName) {
    const RawName name{rawName};
    switch (query) {
    case CatalogQuery::Tables:
        return conn.ListTables(schema, {});
    case CatalogQuery::Procedures:
        return conn.ListProcedures(schema, {});
    case CatalogQuery::Columns:
        return conn.ListColumns(schema, name, {});
    case CatalogQuery::PrimaryKeys:
        return conn.ListPrimaryKeys(schema, name);
    case CatalogQuery::UniqueIndexes:
        return conn.ListIndexes(schema, name);
    case CatalogQuery::ProcedureColumns:
        return conn.ListProcedureColumns(schema, name, {});
    }
    return -1;
}

bool RowNamesExactly(const COdbcConn& conn, std::string_view rawName) {
    std::string name;
    conn.GetRawValue(kAnswerNameColumn, name);
    return name == rawName;
}

bool SchemaDiffers(std::string_view schema, std::string_view text) {
    if (schema.size() != text.size()) return true;
    // ConvertCase steps over double-byte characters, so a trail byte such as
    // the 0x41 of "ア" (83 41) is never folded onto the 0x61 of "ヂ" (83 61).
    std::string a(schema);
    std::string b(text);
    ConvertCase(a, kCaseUpper);
    ConvertCase(b, kCaseUpper);
    return a != b;
}

}  // namespace results
