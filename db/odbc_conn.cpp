#include "db/odbc_conn.h"

#include "platform/codepage.h"
#include "platform/cp932.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <utility>

namespace {

bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

SQLCHAR* AsSqlChar(char* text) {
    return reinterpret_cast<SQLCHAR*>(text);
}

// Written into every indicator before a fetch: a cell still holding it after
// the fetch was not reported on, so its buffer counts as fully written.
constexpr SQLLEN kUnreported = std::numeric_limits<SQLLEN>::min();

// The length of text without a UTF-8 sequence cut off at its end. Only a
// sequence whose lead byte promises more bytes than are left is dropped;
// anything else malformed is left for the code-page conversion to mark.
std::size_t WithoutCutUtf8Tail(const char* text, std::size_t length) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::size_t start = length;
    int continuation = 0;
    while (start > 0 && continuation < 3 && (p[start - 1] & 0xC0) == 0x80) {
        --start;
        ++continuation;
    }
    if (start == 0) return length;
    unsigned char lead = p[start - 1];
    std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t present = length - (start - 1);
    return present < needed ? start - 1 : length;
}

// A password is braced whenever it could end early, add attributes or lose
// its edge spaces.
bool PasswordNeedsBraces(std::string_view value) {
    if (value.empty()) return false;
    if (value.front() == ' ' || value.back() == ' ') return true;
    return value.find_first_of(";{}=") != std::string_view::npos;
}

// Drivers take the braces off a password, but psqlODBC keeps them on a user
// name (a user "{a=b}" then fails to log in), so names are braced only where
// the plain form would end at a ';' and add attributes.
bool NameNeedsBraces(std::string_view value) {
    return value.find(';') != std::string_view::npos;
}

void AppendAttribute(std::string& out, std::string_view key, std::string_view value, bool braced) {
    out += key;
    out += '=';
    if (!braced) {
        out += value;
        return;
    }
    out += '{';
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
}

// One catalogue argument in the driver's encoding: an empty text goes as a
// null pointer with length 0, any other with its measured length.
class CatalogArg {
public:
    explicit CatalogArg(std::string utf8) : text_(std::move(utf8)) {}
    SQLCHAR* Data() { return text_.empty() ? nullptr : AsSqlChar(text_.data()); }
    SQLSMALLINT Length() const { return static_cast<SQLSMALLINT>(text_.size()); }
    bool Fits() const { return text_.size() <= SHRT_MAX; }

private:
    std::string text_;
};

}  // namespace

std::string EscapeSearchPattern(std::string_view name, std::string_view escape) {
    if (escape.empty()) return std::string(name);
    std::string out;
    out.reserve(name.size() + 8);
    for (std::size_t i = 0; i < name.size();) {
        if (name.substr(i, escape.size()) == escape) {
            out += escape;
            out += escape;
            i += escape.size();
            continue;
        }
        if (name[i] == '_' || name[i] == '%') out += escape;
        out += name[i++];
    }
    return out;
}

std::string BuildConnectionString(std::string_view dsn, std::string_view user,
                                  std::string_view password) {
    std::string out;
    out.reserve(dsn.size() + user.size() + password.size() + 16);
    AppendAttribute(out, "DSN", dsn, NameNeedsBraces(dsn));
    out += ';';
    AppendAttribute(out, "UID", user, NameNeedsBraces(user));
    out += ';';
    AppendAttribute(out, "PWD", password, PasswordNeedsBraces(password));
    return out;
}

COdbcConn::COdbcConn() {
    lastReturn_ = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &envHandle_);
    lastReturn_ = SQLSetEnvAttr(envHandle_, SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_OV_ODBC3)), 0);
    lastReturn_ = SQLAllocHandle(SQL_HANDLE_DBC, envHandle_, &connHandle_);
}

COdbcConn::~COdbcConn() {
    auto lock = Lock();
    // The owner normally disconnects first; a connection still open here
    // would make freeing the connection handle fail and leak it.
    FreeStatement();
    if (connected_) Disconnect();
    lastReturn_ = SQLFreeHandle(SQL_HANDLE_DBC, connHandle_);
    lastReturn_ = SQLFreeHandle(SQL_HANDLE_ENV, envHandle_);
}

int COdbcConn::Connect(std::string_view dsn, std::string_view user, std::string_view password) {
    auto lock = Lock();
    allocRefused_ = false;
    std::string connectionString =
        BuildConnectionString(platform::Cp932ToUtf8(dsn), platform::Cp932ToUtf8(user),
                              platform::Cp932ToUtf8(password));
    SQLCHAR completed[256];
    SQLSMALLINT completedLength = 0;
    lastReturn_ = SQLDriverConnect(connHandle_, nullptr, AsSqlChar(connectionString.data()), SQL_NTS,
                                   completed, sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!Succeeded(lastReturn_)) return -1;
    connected_ = 1;
    ReadDriverInfo();
    return 0;
}

void COdbcConn::ReadDriverInfo() {
    SQLUINTEGER schemaUsage = 0, catalogUsage = 0;
    if (!Succeeded(SQLGetInfo(connHandle_, SQL_SCHEMA_USAGE, &schemaUsage, sizeof schemaUsage, nullptr)))
        schemaUsage = 0;
    if (!Succeeded(SQLGetInfo(connHandle_, SQL_CATALOG_USAGE, &catalogUsage, sizeof catalogUsage, nullptr)))
        catalogUsage = 0;
    catalogsForSchemas_ = schemaUsage == 0 && catalogUsage != 0;

    char text[512] = {};
    SQLSMALLINT length = 0;
    if (!Succeeded(SQLGetInfo(connHandle_, SQL_SEARCH_PATTERN_ESCAPE, text, sizeof text - 1, &length))) text[0] = '\0';
    searchEscape_ = text;

    char catalog[512] = {};
    SQLINTEGER catalogLength = 0;
    if (!Succeeded(SQLGetConnectAttr(connHandle_, SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog - 1,
                                     &catalogLength)))
        catalog[0] = '\0';
    currentCatalog_ = platform::Utf8ToCp932(catalog);
}

int COdbcConn::Disconnect() {
    auto lock = Lock();
    connected_ = 0;
    allocRefused_ = false;
    catalogsForSchemas_ = false;
    currentCatalog_.clear();
    searchEscape_.clear();
    // SQLDisconnect releases the connection's statements itself; ours must
    // not outlive that as a dangling handle.
    FreeStatement();
    lastReturn_ = SQLDisconnect(connHandle_);
    return Succeeded(lastReturn_) ? 0 : -1;
}

std::string DiagnosticMessage(COdbcConn& conn, int kind) {
    char sqlState[6] = {};
    SQLINTEGER nativeError = 0;
    char message[512] = {};
    SQLSMALLINT textLength = 0;
    conn.GetDiagnostic(kind, sqlState, nativeError, message, textLength);
    return message;
}

int COdbcConn::GetDiagnostic(int kind, char sqlState[6], SQLINTEGER& nativeError, char message[512],
                             SQLSMALLINT& textLength) {
    SQLHANDLE handle;
    switch (kind) {
    case SQL_HANDLE_ENV: handle = envHandle_; break;
    case SQL_HANDLE_DBC: handle = connHandle_; break;
    case SQL_HANDLE_STMT:
        handle = stmtHandle_;
        if (handle != SQL_NULL_HSTMT) break;
        // No statement: the reason the driver refused one, if it did, is the
        // statement's message. A null handle is never passed on.
        if (!allocRefused_) return 0;
        kind = SQL_HANDLE_DBC;
        handle = connHandle_;
        break;
    default: return 0;
    }
    // Room for 511 CP932 bytes even when every one of them comes from a
    // 4-byte UTF-8 sequence.
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    char text[2048];
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(static_cast<SQLSMALLINT>(kind), handle, 1, state, &native,
                                 AsSqlChar(text), sizeof text, &length);
    if (!Succeeded(rc)) return 0;

    std::size_t utf8Length = strnlen(text, sizeof text - 1);
    if (length >= static_cast<SQLSMALLINT>(sizeof text)) utf8Length = WithoutCutUtf8Tail(text, utf8Length);
    std::string converted = platform::Utf8ToCp932(std::string_view(text, utf8Length));
    std::size_t kept = platform::Cp932PrefixLength(converted, 511);
    std::memcpy(message, converted.data(), kept);
    message[kept] = '\0';
    std::memcpy(sqlState, state, sizeof state);
    sqlState[5] = '\0';
    nativeError = native;
    textLength = static_cast<SQLSMALLINT>(std::min<std::size_t>(converted.size(), SHRT_MAX));
    return 0;
}

int COdbcConn::AllocStatement() {
    // A statement left over by a careless caller is released, not leaked.
    FreeStatement();
    allocRefused_ = false;
    SQLHSTMT handle = SQL_NULL_HSTMT;
    lastReturn_ = SQLAllocHandle(SQL_HANDLE_STMT, connHandle_, &handle);
    if (!Succeeded(lastReturn_)) {
        allocRefused_ = true;
        return -1;
    }
    std::lock_guard guard(handleMutex_);
    stmtHandle_ = handle;
    return 0;
}

int COdbcConn::FreeStatement() {
    if (!HasStatement()) return -1;
    // Under handleMutex_ so that a concurrent Cancel never sees a freed handle.
    std::lock_guard guard(handleMutex_);
    lastReturn_ = SQLFreeHandle(SQL_HANDLE_STMT, stmtHandle_);
    stmtHandle_ = SQL_NULL_HSTMT;
    return Succeeded(lastReturn_) ? 0 : -1;
}

void COdbcConn::Cancel() {
    std::lock_guard guard(handleMutex_);
    if (stmtHandle_ != SQL_NULL_HSTMT) SQLCancel(stmtHandle_);
}

void COdbcConn::ClearColumns() {
    columns_.clear();
    // The block is kept for the next result unless a very wide one made it
    // large (fifty columns at the cap).
    if (buffers_.size() > 50 * kMaxBufferSize) std::vector<char>().swap(buffers_);
}

void COdbcConn::SetNoResult() {
    columnCount_ = 0;
    endOfData_ = 1;
    fetchFailed_ = 0;
}

int COdbcConn::Execute(std::string_view sql) {
    ClearColumns();
    if (!HasStatement()) {
        lastReturn_ = SQL_ERROR;
        SetNoResult();
        return -1;
    }
    std::string text = platform::Cp932ToUtf8(sql);
    lastReturn_ = SQLExecDirect(stmtHandle_, AsSqlChar(text.data()), SQL_NTS);
    if (lastReturn_ == SQL_NO_DATA) {
        // A searched UPDATE or DELETE that matched no row: it ran, and
        // changed nothing.
        SetNoResult();
        return 0;
    }
    if (!Succeeded(lastReturn_)) {
        SetNoResult();
        return -1;
    }
    if (BindAnswer()) return 0;
    SQLLEN rows = 0;
    if (!Succeeded(SQLRowCount(stmtHandle_, &rows))) rows = 0;
    return rows > 0 ? static_cast<int>(std::min<SQLLEN>(rows, INT_MAX)) : 0;
}

void COdbcConn::BindResultColumns(SQLSMALLINT count) {
    columns_.clear();
    // Sized once: the driver keeps the addresses of every indicator, so the
    // vector must not move them afterwards.
    columns_.resize(static_cast<std::size_t>(count));
    std::size_t total = 0;
    for (SQLSMALLINT c = 1; c <= count; ++c) {
        BoundColumn& column = columns_[static_cast<std::size_t>(c - 1)];
        column.index = c - 1;

        // 127 characters of UTF-8 need up to 508 bytes.
        char name[512] = {};
        SQLULEN columnSize = 0;
        lastReturn_ = SQLDescribeCol(stmtHandle_, static_cast<SQLUSMALLINT>(c), AsSqlChar(name), sizeof name,
                                     &column.nameLength, &column.dataType, &columnSize,
                                     &column.decimalDigits, &column.nullable);
        if (Succeeded(lastReturn_)) {
            std::size_t length = strnlen(name, sizeof name - 1);
            if (column.nameLength >= static_cast<SQLSMALLINT>(sizeof name)) length = WithoutCutUtf8Tail(name, length);
            column.name = platform::CutToBytes(platform::Utf8ToCp932(std::string_view(name, length)), kMaxNameBytes);
        }

        // The column size stands when the driver gives no display size.
        SQLLEN displaySize = static_cast<SQLLEN>(columnSize);
        lastReturn_ = SQLColAttribute(stmtHandle_, static_cast<SQLUSMALLINT>(c), SQL_DESC_DISPLAY_SIZE,
                                      nullptr, 0, nullptr, &displaySize);
        // 0 or less (SQL_NO_TOTAL, SQLite's varchar(0)) tells nothing of the
        // values: such a column gets the cap.
        column.displaySize = displaySize <= 0 ? kMaxDisplaySize
                                              : std::min(static_cast<SQLULEN>(displaySize), kMaxDisplaySize);
        // The display size counts characters; the driver sends UTF-8.
        column.bufferSize = std::min<std::size_t>(column.displaySize * 4, kMaxBufferSize - 1) + 1;
        total += column.bufferSize;
    }

    if (buffers_.size() < total) {
        buffers_.assign(total, '\0');
    } else {
        std::memset(buffers_.data(), 0, total);
    }
    char* next = buffers_.data();
    for (BoundColumn& column : columns_) {
        column.data = next;
        column.dirty = 0;
        next += column.bufferSize;
        lastReturn_ = SQLBindCol(stmtHandle_, static_cast<SQLUSMALLINT>(column.index + 1), SQL_C_CHAR, column.data,
                                 static_cast<SQLLEN>(column.bufferSize), &column.indicator);
    }
}

int COdbcConn::Fetch() {
    // Every buffer is all zero when SQLFetch runs. Clearing whole buffers
    // would cost their full size per row (20 KB for a SQLite TEXT column),
    // so only the part the previous fetch may have written is cleared.
    for (BoundColumn& column : columns_) {
        if (column.dirty != 0) std::memset(column.data, 0, column.dirty);
        column.dirty = 0;
        column.indicator = kUnreported;
        column.hasLongValue = false;
    }
    const SQLRETURN rc = HasStatement() ? SQLFetch(stmtHandle_) : SQL_NO_DATA;
    lastReturn_ = rc;
    if (rc != SQL_NO_DATA) {
        for (BoundColumn& column : columns_) {
            std::size_t size = column.bufferSize;
            SQLLEN indicator = column.indicator;
            if (indicator >= 0) {
                column.dirty = std::min(static_cast<std::size_t>(indicator), size - 1) + 1;
            } else if (indicator == SQL_NULL_DATA) {
                // Nothing should be written for NULL, but a driver that puts
                // an empty string there anyway is covered by looking.
                column.dirty = strnlen(column.data, size - 1) + 1;
            } else {
                column.dirty = size;
            }
            // The display size promised less than the value holds (SQLite
            // gives 255 for any expression), or the driver cannot say.
            const bool overflowed =
                indicator == SQL_NO_TOTAL || (indicator >= 0 && static_cast<std::size_t>(indicator) >= size);
            if (overflowed && Succeeded(rc)) ReadLongValue(column);
        }
    }
    fetchFailed_ = !Succeeded(rc) && rc != SQL_NO_DATA;
    if (Succeeded(rc)) {
        endOfData_ = 0;
        return 0;
    }
    endOfData_ = 1;
    return -1;
}

void COdbcConn::ReadLongValue(BoundColumn& column) {
    if (readBuffer_.empty()) readBuffer_.resize(kMaxReadBytes + 1);
    SQLLEN indicator = 0;
    // Both drivers start a bound column over from its first byte.
    lastReturn_ = SQLGetData(stmtHandle_, static_cast<SQLUSMALLINT>(column.index + 1), SQL_C_CHAR,
                             readBuffer_.data(), static_cast<SQLLEN>(readBuffer_.size()), &indicator);
    // On failure the bound part is what there is.
    if (!Succeeded(lastReturn_) || indicator == SQL_NULL_DATA) return;
    const std::size_t length = strnlen(readBuffer_.data(), kMaxReadBytes);
    column.longValue.assign(readBuffer_.data(), length);
    column.longValueCut =
        indicator == SQL_NO_TOTAL || (indicator >= 0 && static_cast<std::size_t>(indicator) > length);
    column.hasLongValue = true;
}

const BoundColumn* COdbcConn::FindColumn(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= columns_.size()) return nullptr;
    return &columns_[static_cast<std::size_t>(index)];
}

int COdbcConn::GetColumnInfo(int index, ColumnInfo& info) const {
    const BoundColumn* column = FindColumn(index);
    if (!column) return -1;
    info.name = column->name;
    info.dataType = column->dataType;
    info.displaySize = static_cast<int32_t>(column->displaySize);
    info.decimalDigits = column->decimalDigits;
    info.nullable = column->nullable;
    return 0;
}

std::string_view COdbcConn::ValueArea(const BoundColumn& column) {
    if (column.indicator == SQL_NULL_DATA) return {};
    if (column.hasLongValue) return column.longValue;
    std::size_t limit = column.bufferSize - 1;
    if (column.indicator >= 0 && static_cast<std::size_t>(column.indicator) < limit) {
        limit = static_cast<std::size_t>(column.indicator);
    }
    return {column.data, limit};
}

int COdbcConn::GetRawValue(int index, std::string& value) const {
    const BoundColumn* column = FindColumn(index);
    if (!column) return -1;
    const std::string_view area = ValueArea(*column);
    value.clear();
    if (!area.empty()) value.assign(area.data(), strnlen(area.data(), area.size()));
    return 0;
}

int COdbcConn::GetValue(int index, std::string& value) const {
    const BoundColumn* column = FindColumn(index);
    if (!column) return -1;
    value.clear();
    const std::string_view area = ValueArea(*column);
    if (area.empty()) return 0;
    const char* data = area.data();
    const std::size_t limit = area.size();
    // One pass finds the end (the first NUL) and whether the value is plain
    // ASCII, which is the same in CP932 and needs no conversion; most values
    // of a large result are.
    std::size_t length = 0;
    unsigned char high = 0;
    while (length < limit && data[length] != '\0') high |= static_cast<unsigned char>(data[length++]);
    if (high < 0x80) {
        value.assign(data, std::min(length, kMaxValueBytes));
        return 0;
    }
    // A value that fills its buffer may have been cut inside a character.
    const bool cut = column->hasLongValue ? column->longValueCut : length == column->bufferSize - 1;
    if (cut) length = WithoutCutUtf8Tail(data, length);
    platform::AppendUtf8AsCp932(std::string_view(data, length), value);
    if (value.size() > kMaxValueBytes) value.resize(platform::Cp932PrefixLength(value, kMaxValueBytes));
    return 0;
}

bool COdbcConn::BindAnswer() {
    SQLSMALLINT count = 0;
    lastReturn_ = SQLNumResultCols(stmtHandle_, &count);
    if (!Succeeded(lastReturn_) || count < 0) count = 0;
    columnCount_ = count;
    fetchFailed_ = 0;
    if (count == 0) {
        endOfData_ = 1;
        return false;
    }
    BindResultColumns(count);
    Fetch();
    return true;
}

int COdbcConn::FinishCatalogCall(SQLRETURN rc) {
    lastReturn_ = rc;
    if (!Succeeded(rc)) {
        SetNoResult();
        return -1;
    }
    BindAnswer();
    return 0;
}

template <class Call>
int COdbcConn::CatalogCall(std::string_view schema, std::string name, std::string_view column, Call call) {
    ClearColumns();
    std::string scope = platform::Cp932ToUtf8(schema);
    CatalogArg c(catalogsForSchemas_ ? scope : std::string()), s(catalogsForSchemas_ ? std::string() : scope);
    CatalogArg n(std::move(name)), col(platform::Cp932ToUtf8(column));
    if (!HasStatement() || !c.Fits() || !s.Fits() || !n.Fits() || !col.Fits()) return FinishCatalogCall(SQL_ERROR);
    return FinishCatalogCall(call(c, s, n, col));
}

int COdbcConn::ListTables(std::string_view schema, std::string_view table) {
    static constexpr char kTypes[] =
        "'TABLE','VIEW','SYSTEM TABLE','GLOBAL TEMPORARY','LOCAL TEMPORARY','ALIAS','SYNONYM'";
    static_assert(sizeof kTypes - 1 == 84);
    char types[256] = {};
    std::memcpy(types, kTypes, sizeof kTypes);
    return CatalogCall(schema, platform::Cp932ToUtf8(table), {}, [&](auto& c, auto& s, auto& t, auto&) {
        return SQLTables(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(), t.Data(), t.Length(),
                         AsSqlChar(types), sizeof kTypes - 1);
    });
}

int COdbcConn::ListProcedures(std::string_view schema, std::string_view procedure) {
    return CatalogCall(schema, platform::Cp932ToUtf8(procedure), {}, [&](auto& c, auto& s, auto& p, auto&) {
        return SQLProcedures(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(), p.Data(), p.Length());
    });
}

int COdbcConn::ListColumns(std::string_view schema, std::string_view table, std::string_view column) {
    const std::string utf8 = platform::Cp932ToUtf8(table);
    return ListColumns(schema, RawName{utf8}, column);
}

int COdbcConn::ListColumns(std::string_view schema, RawName table, std::string_view column) {
    return CatalogCall(schema, EscapeSearchPattern(table.utf8, searchEscape_), column,
                       [&](auto& c, auto& s, auto& t, auto& col) {
                           return SQLColumns(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(), t.Data(),
                                             t.Length(), col.Data(), col.Length());
                       });
}

int COdbcConn::ListPrimaryKeys(std::string_view schema, std::string_view table) {
    const std::string utf8 = platform::Cp932ToUtf8(table);
    return ListPrimaryKeys(schema, RawName{utf8});
}

int COdbcConn::ListPrimaryKeys(std::string_view schema, RawName table) {
    return CatalogCall(schema, std::string(table.utf8), {}, [&](auto& c, auto& s, auto& t, auto&) {
        return SQLPrimaryKeys(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(), t.Data(), t.Length());
    });
}

int COdbcConn::ListIndexes(std::string_view schema, std::string_view table) {
    const std::string utf8 = platform::Cp932ToUtf8(table);
    return ListIndexes(schema, RawName{utf8});
}

int COdbcConn::ListIndexes(std::string_view schema, RawName table) {
    return CatalogCall(schema, std::string(table.utf8), {}, [&](auto& c, auto& s, auto& t, auto&) {
        return SQLStatistics(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(), t.Data(), t.Length(),
                             SQL_INDEX_UNIQUE, SQL_QUICK);
    });
}

int COdbcConn::ListProcedureColumns(std::string_view schema, std::string_view procedure,
                                    std::string_view column) {
    const std::string utf8 = platform::Cp932ToUtf8(procedure);
    return ListProcedureColumns(schema, RawName{utf8}, column);
}

int COdbcConn::ListProcedureColumns(std::string_view schema, RawName procedure, std::string_view column) {
    return CatalogCall(schema, EscapeSearchPattern(procedure.utf8, searchEscape_), column,
                       [&](auto& c, auto& s, auto& p, auto& col) {
                           return SQLProcedureColumns(stmtHandle_, c.Data(), c.Length(), s.Data(), s.Length(),
                                                      p.Data(), p.Length(), col.Data(), col.Length());
                       });
}
