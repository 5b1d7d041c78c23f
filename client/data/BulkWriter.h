#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "client/data/Database.h"

namespace fonedesk {

// Runs the statements of one bulk operation (text import, reading the device's logs or phone
// book) in transactions of many statements instead of one commit each, with the same outcome for
// every statement as in automatic commit: a failing statement (a duplicate number, say) is undone
// alone and the others stay. SQLite undoes a failed statement by itself; on PostgreSQL, where a
// failure would abort the whole transaction, the driver sets a savepoint before each statement
// (psqlODBC's statement-level rollback, Protocol=7.4-2, which fndb-setup writes into the data
// source). Reads on the same connection may be mixed in and see the rows written so far.
//
// What has run is committed every statementsPerTransaction statements, by Commit, and when the
// writer is destroyed, also during unwinding, since each statement counts as done once it has run.
class CBulkWriter {
  public:
    explicit CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction = 1000);
    ~CBulkWriter();
    CBulkWriter(const CBulkWriter&) = delete;
    CBulkWriter& operator=(const CBulkWriter&) = delete;

    // Runs a statement without a result set. Throws CDBException when the database rejects it;
    // the writer goes on with the next.
    void Execute(std::string_view sql);
    // The same, with the rejection as false and its text in *error.
    bool TryExecute(std::string_view sql, std::string* error = nullptr);

    void Commit();

  private:
    CDatabase& m_db;
    std::size_t m_perTransaction;
    std::size_t m_pending = 0;
};

}  // namespace fonedesk
