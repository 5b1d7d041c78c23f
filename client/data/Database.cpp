#include "client/data/Database.h"

#include <sqlext.h>

#include "client/data/DbException.h"
#include "client/data/Recordset.h"

namespace fonedesk {

CDatabase::CDatabase() = default;

CDatabase::~CDatabase() {
    Close();
}

void CDatabase::OpenEx(std::string_view connect) {
    Close();
    if (connect.starts_with("ODBC;")) {
        connect.remove_prefix(5);
    }
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, m_env.Receive());
    if (!SQL_SUCCEEDED(rc)) {
        m_env.Reset();
        throw CDBException("Cannot allocate an ODBC environment (is unixODBC installed?)");
    }
    CheckOdbc(SQLSetEnvAttr(m_env.Get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, m_env.Get(), "Setting the ODBC version");
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_DBC, m_env.Get(), m_dbc.Receive()), SQL_HANDLE_ENV,
              m_env.Get(), "Allocating a connection");
    try {
        CheckOdbc(SQLSetConnectAttr(m_dbc.Get(), SQL_ATTR_ACCESS_MODE,
                                    reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_WRITE), 0),
                  SQL_HANDLE_DBC, m_dbc.Get(), "Setting the access mode");
        CheckOdbc(SQLSetConnectAttr(m_dbc.Get(), SQL_ATTR_ODBC_CURSORS,
                                    reinterpret_cast<SQLPOINTER>(SQL_CUR_USE_DRIVER), 0),
                  SQL_HANDLE_DBC, m_dbc.Get(), "Choosing the driver's cursors");
        std::string text(connect);
        SQLCHAR out[1024];
        SQLSMALLINT outLength = 0;
        CheckOdbc(SQLDriverConnect(m_dbc.Get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                   static_cast<SQLSMALLINT>(text.size()), out, sizeof out,
                                   &outLength, SQL_DRIVER_NOPROMPT),
                  SQL_HANDLE_DBC, m_dbc.Get(), "Connecting");
        m_connected = true;
        char name[256] = {};
        SQLSMALLINT nameLength = 0;
        CheckOdbc(SQLGetInfo(m_dbc.Get(), SQL_DBMS_NAME, name, sizeof name, &nameLength),
                  SQL_HANDLE_DBC, m_dbc.Get(), "Asking for the DBMS name");
        m_dbmsName = name;
        m_dialect = DialectOfDbms(m_dbmsName);
        m_autoCommit = true;
        if (m_dialect == SqlDialect::PostgreSQL) {
            RequireStandardStrings();
        }
    } catch (...) {
        Close();
        throw;
    }
}

// Values are quoted by doubling quotes only. Where a server, database or role has
// standard_conforming_strings off, a backslash would escape the quote after it and let a value
// end its literal early (a name could then run statements of its own), and the backslashes of the
// rewritten LIKE patterns would change their meaning. So the connection switches it on and
// refuses to be used when it did not take.
void CDatabase::RequireStandardStrings() {
    ExecuteSQL("SET standard_conforming_strings = on");
    CRecordsetEx rs(*this);
    rs.Open("SHOW standard_conforming_strings");
    std::string value;
    if (!rs.IsEOF()) {
        rs.GetFieldValue(0, value);
    }
    rs.Close();
    if (value != "on") {
        throw CDBException("The PostgreSQL server keeps standard_conforming_strings at \"" + value +
                           "\"; the client needs it on to quote values safely");
    }
}

void CDatabase::Close() noexcept {
    if (m_connected) {
        if (!m_autoCommit) {
            SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_ROLLBACK);
        }
        SQLDisconnect(m_dbc.Get());
        m_connected = false;
    }
    m_dbc.Reset();
    m_env.Reset();
    m_dbmsName.clear();
    m_dialect = SqlDialect::Jet;
    m_autoCommit = true;
}

std::string CDatabase::AdaptStatement(std::string_view sql) const {
    const CivilDate today = m_fixedToday.year != 0 ? m_fixedToday : LocalToday();
    return RewriteJetStatement(sql, m_dialect, today);
}

void CDatabase::SetAutoCommit(bool on) {
    if (on == m_autoCommit) {
        return;
    }
    CheckOdbc(SQLSetConnectAttr(
                  m_dbc.Get(), SQL_ATTR_AUTOCOMMIT,
                  reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, m_dbc.Get(), "Switching automatic commit");
    m_autoCommit = on;
}

void CDatabase::CommitTrans() {
    CheckOdbc(SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_COMMIT), SQL_HANDLE_DBC, m_dbc.Get(),
              "Committing");
}

void CDatabase::Rollback() {
    CheckOdbc(SQLEndTran(SQL_HANDLE_DBC, m_dbc.Get(), SQL_ROLLBACK), SQL_HANDLE_DBC, m_dbc.Get(),
              "Rolling back");
}

void CDatabase::ExecuteSQL(std::string_view sql) {
    CRecordsetEx rs(*this);
    rs.Open(sql);
    rs.Close();
}

}  // namespace fonedesk
