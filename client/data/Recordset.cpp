#include "client/data/Recordset.h"

#include <sqlext.h>

#include <algorithm>

#include "client/data/BoundRowset.h"
#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/LetterCase.h"

namespace fonedesk {
namespace {

constexpr SQLSMALLINT kNameBuffer = 256;

bool IsLongType(SQLSMALLINT type) {
    return type == SQL_LONGVARCHAR || type == SQL_LONGVARBINARY || type == SQL_WLONGVARCHAR;
}

// The first buffer size for a column's text. A character column's precision counts characters,
// and a UTF-8 character may take up to four bytes; whatever does not fit is fetched in a second
// piece, so the estimate only saves calls.
std::size_t InitialBufferSize(const CODBCFieldInfo& field) {
    constexpr SQLULEN kLargest = 64 * 1024;
    if (IsLongType(field.m_nSQLType)) {
        return 256;
    }
    const SQLULEN precision = std::min(field.m_nPrecision, kLargest);
    if (field.m_nSQLType == SQL_NUMERIC || field.m_nSQLType == SQL_DECIMAL) {
        return precision + 3;
    }
    return std::max<SQLULEN>(precision * 4, 32) + 1;
}

}  // namespace

bool IsTimestampType(SQLSMALLINT sqlType) {
    return sqlType == SQL_TIMESTAMP || sqlType == SQL_TYPE_TIMESTAMP;
}

bool IsBinaryType(SQLSMALLINT sqlType) {
    return sqlType == SQL_BINARY || sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}

CRecordsetEx::CRecordsetEx(CDatabase& db) : m_db(db) {}

CRecordsetEx::~CRecordsetEx() {
    CloseIfOpen();
}

bool CRecordsetEx::Open(OpenType openType, std::string_view sql, unsigned options) {
    if (openType != forwardOnly || (options & executeDirect) == 0) {
        throw CDBException("Only forward-only recordsets with direct execution are supported");
    }
    if (!m_db.IsOpen()) {
        throw CDBException("The database connection is not open");
    }
    CloseIfOpen();
    m_sql = sql;
    try {
        const std::string adapted = m_db.AdaptStatement(sql);
        CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, m_db.Handle(), m_stmt.Receive()), SQL_HANDLE_DBC,
                  m_db.Handle(), "Allocating a statement");
        CheckOdbc(SQLSetStmtAttr(m_stmt.Get(), SQL_ATTR_QUERY_TIMEOUT,
                                 reinterpret_cast<SQLPOINTER>(m_db.QueryTimeout()), 0),
                  SQL_HANDLE_STMT, m_stmt.Get(), "Setting the query time-out");
        std::string text = adapted;
        const SQLRETURN rc = UntilDone([&] {
            return SQLExecDirect(m_stmt.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                 static_cast<SQLINTEGER>(text.size()));
        });
        // A searched UPDATE or DELETE that touches no row answers SQL_NO_DATA: not an error.
        if (rc != SQL_NO_DATA) {
            CheckOdbc(rc, SQL_HANDLE_STMT, m_stmt.Get(), "Executing the statement");
        }
        SQLSMALLINT columns = 0;
        CheckOdbc(UntilDone([&] { return SQLNumResultCols(m_stmt.Get(), &columns); }),
                  SQL_HANDLE_STMT, m_stmt.Get(), "Counting the result columns");
        m_fields.resize(static_cast<std::size_t>(columns));
        for (SQLSMALLINT i = 0; i < columns; ++i) {
            SQLCHAR name[kNameBuffer] = {};
            SQLSMALLINT nameLength = 0;
            CODBCFieldInfo& field = m_fields[static_cast<std::size_t>(i)];
            CheckOdbc(UntilDone([&] {
                          return SQLDescribeCol(m_stmt.Get(), static_cast<SQLUSMALLINT>(i + 1),
                                                name, kNameBuffer, &nameLength, &field.m_nSQLType,
                                                &field.m_nPrecision, &field.m_nScale,
                                                &field.m_nNullability);
                      }),
                      SQL_HANDLE_STMT, m_stmt.Get(), "Describing a result column");
            field.m_strName = reinterpret_cast<const char*>(name);
        }
        if (columns > 0) {
            if (BoundRowset::Suits(m_fields)) {
                m_rowset = std::make_unique<BoundRowset>();
                m_rowset->Bind(m_stmt.Get(), m_fields);
            }
            Fetch();
            m_bof = m_eof;
        } else {
            m_bof = m_eof = true;
        }
    } catch (...) {
        CloseIfOpen();
        throw;
    }
    return true;
}

void CRecordsetEx::Fetch() {
    if (m_rowset) {
        m_eof = !m_rowset->Next(m_stmt.Get());
        return;
    }
    const SQLRETURN rc = UntilDone([&] { return SQLFetch(m_stmt.Get()); });
    if (rc == SQL_NO_DATA) {
        m_eof = true;
        return;
    }
    CheckOdbc(rc, SQL_HANDLE_STMT, m_stmt.Get(), "Fetching a row");
    m_eof = false;
}

void CRecordsetEx::MoveNext() {
    if (!IsOpen() || m_fields.empty() || m_eof) {
        throw CDBException("Attempt to move past the end of the result set");
    }
    Fetch();
    m_bof = false;
}

void CRecordsetEx::GetFieldInfo(short index, CODBCFieldInfo& info) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_fields.size()) {
        throw CDBException("Field index " + std::to_string(index) + " is out of range");
    }
    info = m_fields[static_cast<std::size_t>(index)];
}

short CRecordsetEx::GetFieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (SameColumnName(m_fields[i].m_strName, name)) {
            return static_cast<short>(i);
        }
    }
    return -1;
}

void CRecordsetEx::GetFieldValue(short index, std::string& value) {
    value.clear();
    if (m_fields.empty()) {
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_fields.size()) {
        throw CDBException("Field index " + std::to_string(index) + " is out of range");
    }
    if (m_eof) {
        throw CDBException("No current row to read field " + std::to_string(index) + " from");
    }
    if (m_rowset) {
        m_rowset->Field(static_cast<std::size_t>(index),
                        m_fields[static_cast<std::size_t>(index)].m_strName, value);
    } else if (IsBinaryType(m_fields[static_cast<std::size_t>(index)].m_nSQLType)) {
        GetBinaryAsHex(index, value);
    } else {
        GetTextInPieces(index, value);
    }
}

template <typename Piece>
void CRecordsetEx::GetDataInPieces(short index, SQLSMALLINT cType, const char* what, Piece piece) {
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = UntilDone([&] {
            return SQLGetData(m_stmt.Get(), column, cType, m_buffer.data(),
                              static_cast<SQLLEN>(m_buffer.size()), &indicator);
        });
        if (rc == SQL_NO_DATA) {
            return;  // every piece has been read
        }
        CheckOdbc(rc, SQL_HANDLE_STMT, m_stmt.Get(), what);
        if (indicator == SQL_NULL_DATA || !piece(indicator, rc)) {
            return;
        }
    }
}

// Gets the field as character data; when the driver reports more than fitted, the rest comes
// in further calls and the pieces form the whole text.
void CRecordsetEx::GetTextInPieces(short index, std::string& value) {
    m_buffer.resize(
        std::max(m_buffer.size(), InitialBufferSize(m_fields[static_cast<std::size_t>(index)])));
    GetDataInPieces(index, SQL_C_CHAR, "Reading a field", [&](SQLLEN indicator, SQLRETURN) {
        const bool truncated =
            indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) >= m_buffer.size();
        if (!truncated) {
            value.append(m_buffer.data(), static_cast<std::size_t>(indicator));
            return false;
        }
        value.append(m_buffer.data(), m_buffer.size() - 1);  // the last byte is the terminator
        if (indicator != SQL_NO_TOTAL) {
            const auto rest = static_cast<std::size_t>(indicator) - (m_buffer.size() - 1);
            m_buffer.resize(rest + 1);
        } else {
            m_buffer.resize(m_buffer.size() * 2);
        }
        return true;
    });
}

void CRecordsetEx::GetBinaryAsHex(short index, std::string& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    m_buffer.resize(std::max<std::size_t>(m_buffer.size(), 256));
    GetDataInPieces(index, SQL_C_BINARY, "Reading a binary field",
                    [&](SQLLEN indicator, SQLRETURN rc) {
                        const std::size_t got =
                            indicator == SQL_NO_TOTAL
                                ? m_buffer.size()
                                : std::min(static_cast<std::size_t>(indicator), m_buffer.size());
                        for (std::size_t i = 0; i < got; ++i) {
                            const auto byte = static_cast<unsigned char>(m_buffer[i]);
                            value += kHex[byte >> 4];
                            value += kHex[byte & 0x0F];
                        }
                        return rc != SQL_SUCCESS;
                    });
    if (!value.empty()) {
        value.insert(0, "0x");
    }
}

void CRecordsetEx::Cancel() {
    if (IsOpen()) {
        CheckOdbc(SQLCancel(m_stmt.Get()), SQL_HANDLE_STMT, m_stmt.Get(), "Cancelling");
    }
}

void CRecordsetEx::Close() {
    if (IsOpen()) {
        const SQLRETURN rc = SQLFreeStmt(m_stmt.Get(), SQL_CLOSE);
        std::string state;
        const std::string error = SQL_SUCCEEDED(rc)
                                      ? std::string()
                                      : DiagnosticText(SQL_HANDLE_STMT, m_stmt.Get(), rc, &state);
        m_stmt.Reset();  // before the buffers it was bound to go
        m_rowset.reset();
        m_fields.clear();
        m_bof = m_eof = true;
        if (!SQL_SUCCEEDED(rc)) {
            throw CDBException(error, state);
        }
    }
}

void CRecordsetEx::CloseIfOpen() noexcept {
    try {
        Close();
    } catch (const CDBException&) {
        // Errors of the close change nothing for the caller: the statement is gone either way.
    }
}

}  // namespace fonedesk
