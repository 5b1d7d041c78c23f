#include "client/data/BulkWriter.h"

#include "client/data/DbException.h"
#include "client/data/Recordset.h"

namespace fonedesk {

CBulkWriter::CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction)
    : m_db(db), m_perTransaction(statementsPerTransaction == 0 ? 1 : statementsPerTransaction) {
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
    {
        CRecordsetEx rs(m_db);
        rs.Open(sql);
    }
    if (++m_pending >= m_perTransaction) {
        Commit();
    }
}

bool CBulkWriter::TryExecute(std::string_view sql, std::string* error) {
    try {
        Execute(sql);
        return true;
    } catch (const CDBException& e) {
        if (++m_pending >= m_perTransaction) {
            Commit();
        }
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

}  // namespace fonedesk
