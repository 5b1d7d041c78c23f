#pragma once

#include <sql.h>

#include <string>
#include <string_view>

#include "client/data/JetDatetime.h"
#include "client/data/OdbcHandle.h"
#include "client/data/SqlDialect.h"

namespace fonedesk {

// One ODBC connection. Opened shared and writable through the driver's own cursors; the dialect
// of the DBMS is learnt at opening, so that every statement can be adapted before it runs.
//
// Threads: the connection may be used from the user-interface thread and from the query worker,
// but not by both at the same moment; the callers keep to that (a running list query is
// cancelled before another statement is issued).
class CDatabase {
  public:
    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // connect is an ODBC connect string; a leading "ODBC;" is accepted and dropped. Throws
    // CDBException with the driver manager's or driver's message when the connection fails,
    // and then holds no connection.
    void OpenEx(std::string_view connect);
    bool IsOpen() const { return m_connected; }
    void Close() noexcept;

    // Applied to every statement opened afterwards; 0 means none.
    void SetQueryTimeout(unsigned long seconds) { m_queryTimeout = seconds; }
    unsigned long QueryTimeout() const { return m_queryTimeout; }

    const std::string& DbmsName() const { return m_dbmsName; }
    SqlDialect Dialect() const { return m_dialect; }
    // A statement in Jet's dialect as this DBMS needs it; throws CDBException as Jet would.
    std::string AdaptStatement(std::string_view sql) const;

    // Transactions: off means every statement commits on its own (the default).
    void SetAutoCommit(bool on);
    bool AutoCommit() const { return m_autoCommit; }
    void CommitTrans();
    void Rollback();

    // Runs a statement without a result set.
    void ExecuteSQL(std::string_view sql);

    SQLHDBC Handle() const { return m_dbc.Get(); }

    // Today's date as the dialect layer sees it, for the century of two-digit years. Tests set
    // it; by default it is the machine's local date at each statement.
    void SetTodayForTesting(const CivilDate& today) { m_fixedToday = today; }

  private:
    void RequireStandardStrings();
    EnvHandle m_env;
    DbcHandle m_dbc;
    bool m_connected = false;
    bool m_autoCommit = true;
    unsigned long m_queryTimeout = 15;
    std::string m_dbmsName;
    SqlDialect m_dialect = SqlDialect::Jet;
    CivilDate m_fixedToday{};
};

}  // namespace fonedesk
