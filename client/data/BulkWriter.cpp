#include "client/data/BulkWriter.h"

#include "client/data/DbException.h"
#include "client/data/Recordset.h"

namespace fonedesk {

CBulkWriter::CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction,
                         std::chrono::milliseconds longestTransaction, Clock clock)
    : m_db(db),
      m_perTransaction(statementsPerTransaction == 0 ? 1 : statementsPerTransaction),
      m_longest(longestTransaction),
      m_clock(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now)) {
    m_db.SetAutoCommit(false);
}

CBulkWriter::~CBulkWriter() {
    try {
        Commit();
    } catch (const CDBException&) {
        // Nothing can be reported while the writer goes away; what was committed before stays.
    }
    try {
        m_db.SetAutoCommit(true);
    } catch (const CDBException&) {
    }
}

void CBulkWriter::Execute(std::string_view sql) {
    if (m_pending == 0) {
        m_began = m_clock();
    }
    try {
        CRecordsetEx rs(m_db);
        rs.Open(sql);
    } catch (const CDBException&) {
        Counted();  // a rejected statement holds the transaction open as long as any other
        throw;
    }
    Counted();
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

void CBulkWriter::Counted() {
    if (++m_pending >= m_perTransaction || m_clock() - m_began >= m_longest) {
        Commit();
    }
}

void CBulkWriter::Commit() {
    if (m_db.IsOpen() && !m_db.AutoCommit()) {
        m_db.CommitTrans();
    }
    m_pending = 0;
}

}  // namespace fonedesk
