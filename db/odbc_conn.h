// COdbcConn: the program's one ODBC connection with its single current
// statement, every result column bound as text, and the catalogue queries.
//
// Text on this interface is CP932 bytes. SQL text, connection values and
// catalogue arguments go to the driver as UTF-8; every name, value and
// diagnostic message comes back converted to CP932. The one exception is a
// name kept as the driver gave it (GetRawValue, RawName), which stays UTF-8.
//
// Status convention: operations return 0 for success and -1 for failure
// (Execute may also return a positive affected-row count).
//
// Threads: in the program one thread owns the instance and makes every call
// on it (db::ConnectionThread); only Cancel comes from another thread. The
// lock stays for the sequences themselves: a whole allocate -> execute (or
// catalogue call) -> read -> free sequence holds Lock() (db::StatementScope
// does that), so tests that use a connection from several threads stay
// safe. Connect, Disconnect and the destructor lock by themselves. Cancel
// may be called from another thread without the lock.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One result column bound as SQL_C_CHAR.
struct BoundColumn {
    int32_t index = 0;              // 0-based column position
    std::string name;               // column name, CP932
    SQLSMALLINT nameLength = 0;     // name length in bytes as the driver reported it (UTF-8)
    SQLSMALLINT dataType = 0;       // SQL data type code
    char* data = nullptr;           // bound buffer, receives UTF-8; part of the connection's block
    std::size_t bufferSize = 0;     // bytes of data, the NUL included
    SQLULEN displaySize = 0;        // display size in characters, 1 to 20480
    SQLLEN indicator = 0;           // length/indicator cell bound with data
    SQLSMALLINT decimalDigits = 0;
    SQLSMALLINT nullable = 0;
    // How many leading bytes of data the latest fetch may have made non-zero;
    // only these are cleared before the next fetch.
    std::size_t dirty = 0;
    // The current row's value read again with SQLGetData (UTF-8) when it did
    // not fit data; longValueCut when even that read did not take all of it.
    bool hasLongValue = false;
    bool longValueCut = false;
    std::string longValue;
};

// What GetColumnInfo reports about a result column.
struct ColumnInfo {
    std::string name;  // CP932
    SQLSMALLINT dataType = 0;
    int32_t displaySize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLSMALLINT nullable = 0;
};

// Builds "DSN=...;UID=...;PWD=..." from the three values as given (callers
// pass UTF-8). A braced value is enclosed in braces with '}' doubled, so that
// it cannot end early or add attributes of its own. The password is braced
// when it contains ';', '{', '}' or '=', or starts or ends with a space; the
// data source and user names only when they contain ';', because drivers
// keep braces on a user name. Other values stay plain.
std::string BuildConnectionString(std::string_view dsn, std::string_view user,
                                  std::string_view password);

// name with every '_', '%' and escape character preceded by escape, so that a
// catalogue function that takes a search pattern matches that name only. An
// empty escape (the driver has none) leaves name as it is. Works on UTF-8.
std::string EscapeSearchPattern(std::string_view name, std::string_view escape);

// A table or procedure name exactly as the driver returned it (UTF-8 bytes,
// see GetRawValue), for passing back to the catalogue calls unchanged: a
// name need not survive the round trip through CP932.
struct RawName {
    std::string_view utf8;
};

class COdbcConn;

// The message text of the first diagnostic record of a handle kind (2 the
// connection, 3 the statement), read into zeroed buffers as every window
// shows it; empty when the driver left no record.
std::string DiagnosticMessage(COdbcConn& conn, int kind);

class COdbcConn {
public:
    // The largest display size a column is bound for, in characters; a
    // driver's report of 0 or less counts as unknown and gets this too.
    static constexpr SQLULEN kMaxDisplaySize = 20480;
    // A value is shown with at most this many CP932 bytes, cut between two
    // characters.
    static constexpr std::size_t kMaxValueBytes = 20480;
    // Bound buffers allow 4 UTF-8 bytes per character of the display size
    // but never exceed this: every character with a CP932 form takes at most
    // 3 UTF-8 bytes for its 1 or 2 CP932 bytes, so any value whose CP932 form
    // fits kMaxValueBytes fits whole.
    static constexpr std::size_t kMaxBufferSize = 3 * kMaxValueBytes + 1;
    // A value longer than its bound buffer is read again with SQLGetData, up
    // to this many UTF-8 bytes: enough for kMaxValueBytes characters of any
    // kind.
    static constexpr std::size_t kMaxReadBytes = 4 * kMaxValueBytes;
    // Column names are cut to this many CP932 bytes.
    static constexpr std::size_t kMaxNameBytes = 127;

    COdbcConn();
    virtual ~COdbcConn();
    COdbcConn(const COdbcConn&) = delete;
    COdbcConn& operator=(const COdbcConn&) = delete;

    // The connection lock; hold it for a whole statement sequence.
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

    int Connect(std::string_view dsn, std::string_view user, std::string_view password);
    int Disconnect();
    int IsConnected() const { return connected_.load(); }

    // kind 1 environment, 2 connection, 3 statement. Fills the caller's
    // buffers from the first diagnostic record of that handle, the message
    // converted to CP932, NUL-terminated and cut at a character boundary to
    // at most 511 bytes; textLength is the CP932 length of the whole message.
    // Leaves the buffers untouched when there is no record. Always 0.
    int GetDiagnostic(int kind, char sqlState[6], SQLINTEGER& nativeError, char message[512],
                      SQLSMALLINT& textLength);

    // A refused allocation leaves every statement call failing without
    // reaching the driver, and the connection's diagnostic (why it was
    // refused) as the statement's.
    int AllocStatement();
    int FreeStatement();

    // -1 failure; 0 for a result set or a statement with nothing to count
    // (a searched UPDATE or DELETE that matched no row included); otherwise
    // the affected-row count. A result set's first row is already fetched.
    int Execute(std::string_view sql);
    // 0 when a row was delivered, -1 at the end of the data or on error.
    int Fetch();
    int GetColumnCount() const { return columnCount_; }
    int GetColumnInfo(int index, ColumnInfo& info) const;
    // The value of the current row as CP932, at most kMaxValueBytes long;
    // NULL reads as empty text.
    int GetValue(int index, std::string& value) const;
    // The same value as the driver delivered it: UTF-8 bytes, unconverted
    // and uncut (beyond what was read); NULL reads as empty.
    int GetRawValue(int index, std::string& value) const;
    int IsEndOfData() const { return endOfData_; }
    // 1 when the latest Fetch ended the data with an error rather than at
    // its end (a row the driver could not deliver); the statement's
    // diagnostic then says why. 0 after Execute and the catalogue calls.
    int FetchFailed() const { return fetchFailed_; }

    // Catalogue queries; an empty argument leaves that part unrestricted.
    // The driver's answer is bound like a result set, first row fetched.
    // schema is a search pattern; on a driver whose databases are catalogues
    // (UsesCatalogsForSchemas) it goes as the catalogue argument instead.
    // The table or procedure of the detail calls is one name, never a
    // pattern: ListColumns and ListProcedureColumns escape it. Drivers
    // without an escape may still answer rows of other names that match.
    int ListTables(std::string_view schema, std::string_view table);
    int ListProcedures(std::string_view schema, std::string_view procedure);
    int ListColumns(std::string_view schema, std::string_view table, std::string_view column);
    int ListColumns(std::string_view schema, RawName table, std::string_view column);
    int ListPrimaryKeys(std::string_view schema, std::string_view table);
    int ListPrimaryKeys(std::string_view schema, RawName table);
    int ListIndexes(std::string_view schema, std::string_view table);
    int ListIndexes(std::string_view schema, RawName table);
    int ListProcedureColumns(std::string_view schema, std::string_view procedure,
                             std::string_view column);
    int ListProcedureColumns(std::string_view schema, RawName procedure, std::string_view column);

    // What the driver told at connect time. True when it has no schemas but
    // catalogues (MariaDB: databases): the catalogue calls then pass their
    // schema argument as the catalogue.
    bool UsesCatalogsForSchemas() const { return catalogsForSchemas_; }
    // The connection's catalogue (database) when it connected, CP932.
    const std::string& CurrentCatalog() const { return currentCatalog_; }

    // Asks the driver to stop the statement now running on another thread.
    // Takes no connection lock; harmless when no statement exists. A cancel
    // that comes between two statements is lost: db::ConnectionThread repeats
    // it until the work ends.
    void Cancel();

    // The bound column at index, or null; lets tests see buffer sizes.
    const BoundColumn* FindColumn(int index) const;

private:
    bool HasStatement() const { return stmtHandle_ != SQL_NULL_HSTMT; }
    void ClearColumns();
    void BindResultColumns(SQLSMALLINT count);
    void ReadLongValue(BoundColumn& column);
    // Binds the answer's columns and fetches its first row; false when the
    // statement produced no columns.
    bool BindAnswer();
    int FinishCatalogCall(SQLRETURN rc);
    // Runs call(catalog, schema, name, column) with the catalogue arguments in
    // the driver's encoding, the window's schema in its place.
    template <class Call>
    int CatalogCall(std::string_view schema, std::string name, std::string_view column, Call call);
    void ReadDriverInfo();
    // Where the current row's value of column lies: up to the end the driver
    // reported, the value itself ending at the first NUL; empty for NULL.
    static std::string_view ValueArea(const BoundColumn& column);
    void SetNoResult();

    SQLHENV envHandle_ = SQL_NULL_HENV;
    SQLHDBC connHandle_ = SQL_NULL_HDBC;
    SQLHSTMT stmtHandle_ = SQL_NULL_HSTMT;
    SQLRETURN lastReturn_ = SQL_SUCCESS;
    // Read by commands on any thread while another may be disconnecting.
    std::atomic<int32_t> connected_{0};
    // The latest AllocStatement was refused by the driver; its reason is on
    // the connection handle.
    bool allocRefused_ = false;
    // Read from the driver at connect time.
    bool catalogsForSchemas_ = false;
    std::string currentCatalog_;
    std::string searchEscape_;  // SQL_SEARCH_PATTERN_ESCAPE, UTF-8; empty when none
    int32_t columnCount_ = 0;
    int32_t endOfData_ = 1;
    int32_t fetchFailed_ = 0;
    std::vector<BoundColumn> columns_;
    // Every column buffer of the current result, one after another. Kept
    // from statement to statement, so that a reading allocates nothing of
    // its own between the driver's allocations.
    std::vector<char> buffers_;
    // Where SQLGetData puts a long value; allocated on first use.
    std::vector<char> readBuffer_;

    std::recursive_mutex mutex_;
    // Guards only stmtHandle_ between its allocation or release and Cancel,
    // which runs without the connection lock.
    std::mutex handleMutex_;
};
