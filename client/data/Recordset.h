#pragma once

#include <sql.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/OdbcHandle.h"

namespace fonedesk {

class BoundRowset;
class CDatabase;

struct CODBCFieldInfo {
    std::string m_strName;
    SQLSMALLINT m_nSQLType = 0;
    SQLULEN m_nPrecision = 0;
    SQLSMALLINT m_nScale = 0;
    SQLSMALLINT m_nNullability = 0;
};

// A date-time column: ODBC 2 drivers report SQL_TIMESTAMP (11), ODBC 3 ones SQL_TYPE_TIMESTAMP
// (93).
bool IsTimestampType(SQLSMALLINT sqlType);
bool IsBinaryType(SQLSMALLINT sqlType);

// Retries a call that the driver answers with SQL_STILL_EXECUTING.
template <typename Call>
SQLRETURN UntilDone(Call call) {
    SQLRETURN rc;
    do {
        rc = call();
    } while (rc == SQL_STILL_EXECUTING);
    return rc;
}

// The client's one recordset: runs any statement text directly on the connection, learns the
// result columns at run time and hands every field out as text (UTF-8). A null field reads as an
// empty text; a binary field as "0x" and its bytes in hexadecimal.
//
// Errors throw CDBException with the driver's message; after a failed Open the recordset is
// closed again.
class CRecordsetEx {
  public:
    enum OpenType { forwardOnly = 3 };
    enum Options { none = 0, executeDirect = 0x2000 };

    explicit CRecordsetEx(CDatabase& db);
    ~CRecordsetEx();
    CRecordsetEx(const CRecordsetEx&) = delete;
    CRecordsetEx& operator=(const CRecordsetEx&) = delete;

    // Only forward-only, direct execution is supported: the statement is adapted to the DBMS's
    // dialect and executed without a prepare step. Returns true when it was executed.
    bool Open(OpenType openType, std::string_view sql, unsigned options);
    bool Open(std::string_view sql) { return Open(forwardOnly, sql, executeDirect); }

    bool IsOpen() const { return static_cast<bool>(m_stmt); }
    bool IsBOF() const { return m_bof; }
    bool IsEOF() const { return m_eof; }
    void MoveNext();

    short GetFieldCount() const { return static_cast<short>(m_fields.size()); }
    void GetFieldInfo(short index, CODBCFieldInfo& info) const;
    void GetFieldValue(short index, std::string& value);

    // The 0-based index of a result column by name, without regard to case; -1 when absent.
    short GetFieldIndex(std::string_view name) const;

    // The statement as given to Open, before it was adapted to the dialect.
    const std::string& GetSQL() const { return m_sql; }

    // Asks the driver to cancel the statement of this recordset.
    void Cancel();
    void Close();
    // Closes when open and ignores any error of the close (used after every statement).
    void CloseIfOpen() noexcept;

  private:
    void Fetch();
    // Reads the field as cType into m_buffer, piece after piece: piece(indicator, rc) takes
    // each one and says whether more is to come. A null field gives no piece.
    template <typename Piece>
    void GetDataInPieces(short index, SQLSMALLINT cType, const char* what, Piece piece);
    void GetTextInPieces(short index, std::string& value);
    void GetBinaryAsHex(short index, std::string& value);

    CDatabase& m_db;
    StmtHandle m_stmt;
    std::unique_ptr<BoundRowset> m_rowset;  // when the columns allow fetching many rows at once
    std::string m_sql;
    std::vector<CODBCFieldInfo> m_fields;
    std::vector<char> m_buffer;
    bool m_bof = true;
    bool m_eof = true;
};

}  // namespace fonedesk
