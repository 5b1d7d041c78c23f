#pragma once

#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

namespace fonedesk {

struct CODBCFieldInfo;

// Column-wise bound text buffers that fetch many rows per driver call: a long list then costs a
// few thousand calls through the driver manager instead of one per field. Used for result sets
// whose columns all have a known, moderate size; anything else is read field by field.
class BoundRowset {
  public:
    // Whether every column can be bound: no long or binary type, and a declared size.
    static bool Suits(const std::vector<CODBCFieldInfo>& fields);

    // Binds the buffers and the rowset attributes to the executed statement. The object must
    // outlive the statement's use of them (the driver writes through the pointers).
    void Bind(SQLHSTMT stmt, const std::vector<CODBCFieldInfo>& fields);

    // The next row: within the rowset fetched last, or the first row of the next rowset.
    // False at the end of the result. Throws CDBException on a driver error.
    bool Next(SQLHSTMT stmt);

    // Column c of the current row as text; a null field is empty. Throws CDBException when the
    // value did not fit its buffer, which holds at least four times the declared size (a value
    // cannot be cut silently, nor read again once a rowset has been fetched).
    void Field(std::size_t column, const std::string& name, std::string& value) const;

  private:
    // Buffers for `rows` rows, bound to the statement: the first fetch takes a few rows, since
    // most statements (a name lookup, a duplicate check) give one row or none and a full rowset
    // costs fresh pages of memory at every open; a result that fills them gets the full size.
    void Allocate(SQLHSTMT stmt, std::size_t rows);

    struct Column {
        std::size_t width = 0;  // bytes per row, terminator included
        std::vector<char> text;
        std::vector<SQLLEN> indicators;
    };

    std::vector<Column> m_columns;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_fetched = 0;
    std::size_t m_current = 0;
    std::size_t m_rowsPerFetch = 1;
    std::size_t m_fullRowsPerFetch = 1;
};

}  // namespace fonedesk
