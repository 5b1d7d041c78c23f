#include "client/data/BoundRowset.h"

#include <sqlext.h>

#include <algorithm>

#include "client/data/DbException.h"
#include "client/data/Recordset.h"

namespace fonedesk {
namespace {

constexpr SQLULEN kLargestBoundSize = 4000;       // characters
constexpr std::size_t kRowsetBytes = 512 * 1024;  // buffer space of one rowset
constexpr std::size_t kMostRowsPerFetch = 256;
constexpr std::size_t kFirstRowsPerFetch = 8;

bool IsCharacterType(SQLSMALLINT type) {
    return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_WCHAR || type == SQL_WVARCHAR;
}

// Text needs room for the declared size in UTF-8 (up to four bytes a character), and never less
// than 1 KiB: SQLite does not enforce declared sizes (fndb-setup adds checks that do) and gives
// expressions a nominal 255, so a value over its size still fits unless it is very much longer.
// Numbers and dates render in a few dozen characters; small slots keep the rowset in the cache.
std::size_t Width(const CODBCFieldInfo& field) {
    if (IsCharacterType(field.m_nSQLType)) {
        return std::max<std::size_t>(field.m_nPrecision * 4, 1024) + 1;
    }
    return std::max<std::size_t>(field.m_nPrecision * 2 + 3, 64) + 1;
}

}  // namespace

bool BoundRowset::Suits(const std::vector<CODBCFieldInfo>& fields) {
    return !fields.empty() && std::all_of(fields.begin(), fields.end(), [](const auto& f) {
        return f.m_nSQLType != SQL_LONGVARCHAR && f.m_nSQLType != SQL_WLONGVARCHAR &&
               !IsBinaryType(f.m_nSQLType) && f.m_nPrecision > 0 &&
               f.m_nPrecision <= kLargestBoundSize;
    });
}

void BoundRowset::Bind(SQLHSTMT stmt, const std::vector<CODBCFieldInfo>& fields) {
    std::size_t rowBytes = 0;
    for (const auto& field : fields) {
        rowBytes += Width(field);
    }
    m_fullRowsPerFetch = std::clamp<std::size_t>(kRowsetBytes / rowBytes, 1, kMostRowsPerFetch);
    m_columns.assign(fields.size(), Column{});
    for (std::size_t c = 0; c < fields.size(); ++c) {
        m_columns[c].width = Width(fields[c]);
    }
    CheckOdbc(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE,
                             reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
              SQL_HANDLE_STMT, stmt, "Choosing column-wise binding");
    CheckOdbc(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), SQL_HANDLE_STMT, stmt,
              "Setting the fetched-rows counter");
    Allocate(stmt, std::min(m_fullRowsPerFetch, kFirstRowsPerFetch));
    m_fetched = 0;
    m_current = 0;
}

void BoundRowset::Allocate(SQLHSTMT stmt, std::size_t rows) {
    m_rowsPerFetch = rows;
    m_status.assign(m_rowsPerFetch, 0);
    CheckOdbc(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                             reinterpret_cast<SQLPOINTER>(m_rowsPerFetch), 0),
              SQL_HANDLE_STMT, stmt, "Setting the rowset size");
    CheckOdbc(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0), SQL_HANDLE_STMT,
              stmt, "Setting the row status array");
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        Column& column = m_columns[c];
        column.text.resize(column.width * m_rowsPerFetch);
        column.indicators.resize(m_rowsPerFetch);
        CheckOdbc(SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, column.text.data(),
                             static_cast<SQLLEN>(column.width), column.indicators.data()),
                  SQL_HANDLE_STMT, stmt, "Binding a result column");
    }
}

bool BoundRowset::Next(SQLHSTMT stmt) {
    if (m_current + 1 < m_fetched) {
        ++m_current;
        return true;
    }
    if (m_fetched == m_rowsPerFetch && m_rowsPerFetch < m_fullRowsPerFetch) {
        Allocate(stmt, m_fullRowsPerFetch);  // the result goes on beyond the first rows
    }
    const SQLRETURN rc = UntilDone([&] { return SQLFetch(stmt); });
    if (rc == SQL_NO_DATA) {
        m_fetched = 0;
        return false;
    }
    CheckOdbc(rc, SQL_HANDLE_STMT, stmt, "Fetching rows");
    m_current = 0;
    return m_fetched > 0;
}

void BoundRowset::Field(std::size_t c, const std::string& name, std::string& value) const {
    const Column& column = m_columns[c];
    const SQLLEN indicator = column.indicators[m_current];
    if (indicator == SQL_NULL_DATA) {
        value.clear();
        return;
    }
    if (indicator == SQL_NO_TOTAL || indicator < 0 ||
        static_cast<std::size_t>(indicator) >= column.width) {
        throw CDBException("The value of column " + name + " is longer than its declared size (" +
                           std::to_string(column.width - 1) + " bytes were read)");
    }
    value.assign(column.text.data() + m_current * column.width,
                 static_cast<std::size_t>(indicator));
}

}  // namespace fonedesk
