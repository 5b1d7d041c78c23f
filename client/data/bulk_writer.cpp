#include "client/data/bulk_writer.h"

#include <sqlext.h>

#include "client/data/db_exception.h"
#include "client/data/recordset.h"

namespace fonedesk {
namespace {

constexpr const char* kSavepoint = "SAVEPOINT fonedesk_unit";
constexpr const char* kRelease = "RELEASE SAVEPOINT fonedesk_unit";
constexpr const char* kRollbackTo = "ROLLBACK TO SAVEPOINT fonedesk_unit";

}  // namespace

CBulkWriter::CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction)
    : m_db(db),
      m_perTransaction(statementsPerTransaction == 0 ? 1 : statementsPerTransaction),
      // Jet has no savepoints, and keeps going after a failed statement anyway.
      m_savepoints(db.Dialect() != SqlDialect::Jet) {
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, m_db.Handle(), m_control.Receive()), SQL_HANDLE_DBC,
              m_db.Handle(), "Allocating a statement");
    m_db.SetAutoCommit(false);
}

CBulkWriter::~CBulkWriter() {
    try {
        Commit();
    } catch (const CDBException&) {
        // Nothing can be reported while the writer goes away; the rows already committed stay.
    }
    m_control.Reset();
    try {
        m_db.SetAutoCommit(true);
    } catch (const CDBException&) {
    }
}

void CBulkWriter::Execute(std::string_view sql) {
    Protect([&] {
        CRecordsetEx rs(m_db);
        rs.Open(sql);
        rs.Close();
    });
}

bool CBulkWriter::TryExecute(std::string_view sql, std::string* error) {
    try {
        Execute(sql);
        return true;
    } catch (const CDBException& e) {
        if (error != nullptr) {
            *error = e.Error();
        }
        return false;
    }
}

void CBulkWriter::Commit() {
    if (m_db.IsOpen() && !m_db.AutoCommit()) {
        m_db.CommitTrans();
    }
    m_pending = 0;
}

void CBulkWriter::Control(const char* sql) {
    const SQLRETURN rc =
        SQLExecDirect(m_control.Get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS);
    CheckOdbc(rc, SQL_HANDLE_STMT, m_control.Get(), sql);
    SQLFreeStmt(m_control.Get(), SQL_CLOSE);
}

void CBulkWriter::BeginUnit() {
    if (m_savepoints) {
        Control(kSavepoint);
    }
}

void CBulkWriter::EndUnit() {
    if (m_savepoints) {
        Control(kRelease);
    }
    if (++m_pending >= m_perTransaction) {
        Commit();
    }
}

void CBulkWriter::UndoUnit() noexcept {
    if (!m_savepoints) {
        return;
    }
    try {
        Control(kRollbackTo);
        Control(kRelease);
    } catch (const CDBException&) {
        // The savepoint is lost only with the transaction; the next commit reports that.
    }
}

}  // namespace fonedesk
