#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/data/Database.h"
#include "client/data/OdbcHandle.h"

namespace fonedesk {

// Runs the statements of one bulk operation (text import, reading the device's logs or phone
// book) in transactions of many statements instead of one commit each, with the same outcome for
// every statement as in automatic commit: a failing statement (a duplicate number, say) is undone
// alone and the others stay. SQLite undoes a failed statement by itself; on PostgreSQL, where a
// failure would abort the whole transaction, the driver sets a savepoint before each statement
// (psqlODBC's statement-level rollback, Protocol=7.4-2, which fndb-setup writes into the data
// source). Reads on the same connection may be mixed in and see the rows written so far.
//
// What has run is committed every statementsPerTransaction statements or once the transaction
// has been open for longestTransaction, whichever comes first (looked at after each statement),
// by Commit, and when the writer is destroyed, also during unwinding, since each statement
// counts as done once it has run. The time limit matters when the statements come slowly, paced
// by the serial line: a shared PostgreSQL database must not see locks held for minutes.
//
// On SQLite an INSERT whose values are all plain texts and whole numbers runs as a prepared
// statement with those values bound, kept within the transaction for as long as the next
// INSERT has the same shape: parsing and planning each of a bulk operation's inserts again
// would cost more than running it. SQLite gives a bound value the column's affinity just as it
// does a literal, so the rows are the same; anything else runs as its text.
class CBulkWriter {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit CBulkWriter(CDatabase& db, std::size_t statementsPerTransaction = 1000,
                         std::chrono::milliseconds longestTransaction = std::chrono::seconds(1),
                         Clock clock = &std::chrono::steady_clock::now);
    ~CBulkWriter();
    CBulkWriter(const CBulkWriter&) = delete;
    CBulkWriter& operator=(const CBulkWriter&) = delete;

    // Runs a statement without a result set. Throws CDBException when the database rejects it;
    // the writer goes on with the next.
    void Execute(std::string_view sql);
    // The same, with the rejection as false and its text in *error.
    bool TryExecute(std::string_view sql, std::string* error = nullptr);

    void Commit();

    // The connection the statements run on, for reads that must see what was written so far.
    CDatabase& Database() const { return m_db; }

  private:
    // A statement made fit to run prepared: its text with a marker for each value, the values.
    struct Parameterized {
        std::string text;
        std::vector<std::string> texts;  // a value between quotes, as it reads
        std::vector<long long> numbers;  // a whole number
        std::vector<bool> isNumber;      // of each marker in turn
        std::vector<SQLLEN> lengths;     // of the texts, for the driver
    };
    static bool Parameterize(std::string_view adapted, Parameterized& out);
    // Runs the statement prepared; false when it is not of a shape that can.
    bool ExecutePrepared(std::string_view sql);

    CDatabase& m_db;
    void Counted();

    std::size_t m_perTransaction;
    std::chrono::milliseconds m_longest;
    Clock m_clock;
    std::size_t m_pending = 0;
    std::chrono::steady_clock::time_point m_began;  // of the open transaction's first statement
    StmtHandle m_prepared;
    std::string m_preparedText;  // with markers, as prepared on m_prepared
    Parameterized m_values;
};

}  // namespace fonedesk
