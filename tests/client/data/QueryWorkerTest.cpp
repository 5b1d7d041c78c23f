#include "client/data/QueryWorker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>

#include "client/data/BulkWriter.h"
#include "client/data/DbException.h"
#include "client/data/LetterCase.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "platform/codepage/Utf8.h"
#include "tests/client/data/TestDatabase.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;
using namespace std::chrono_literals;

// A gate that one thread waits at until another opens it.
class Gate {
  public:
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Close() {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    // Waits at the gate; says whether someone is waiting through Reached.
    void Pass() {
        std::unique_lock lock(m_mutex);
        m_reached = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open; });
    }
    bool WaitReached() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 30s, [&] { return m_reached; });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = true;
    bool m_reached = false;
};

// The owner: a status bar, message boxes and a message queue drained by the test thread, which
// plays the user-interface thread.
class FakeOwner : public IQueryHost, public IQueryRowSink {
  public:
    void SetStatusText(std::string_view text) override { statuses.emplace_back(text); }
    void ShowQueryError(std::string_view text) override {
        {
            std::lock_guard lock(m_mutex);
            errors.emplace_back(text);
        }
        errorGate.Pass();
    }
    void PostQueryFinished(bool errorShown) override {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(errorShown);
        m_changed.notify_all();
    }
    void BeginResult(const std::string& table,
                     const std::vector<CODBCFieldInfo>& columns) override {
        std::lock_guard lock(m_mutex);
        resultTable = table;
        columnCount = columns.size();
        if (!columns.empty()) {
            firstColumn = columns[0].m_strName;
        }
    }
    void AddRows(RowBatch batch) override {
        if (throwOnRows) {
            throw std::runtime_error("the list is gone");
        }
        {
            std::lock_guard lock(m_mutex);
            batchSizes.push_back(batch.RowCount());
            rows += batch.RowCount();
        }
        rowGate.Pass();
    }

    // Pumps one "query finished" message into the worker, as the window's handler does.
    bool DeliverFinished(CQueryWorker& worker, bool* errorShown = nullptr) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, 60s, [&] { return !m_posted.empty(); })) {
            return false;
        }
        const bool shown = m_posted.front();
        m_posted.pop_front();
        lock.unlock();
        if (errorShown != nullptr) {
            *errorShown = shown;
        }
        worker.OnQueryFinished(shown);
        return true;
    }

    std::vector<std::string> statuses;  // user-interface thread only
    std::vector<std::string> errors;
    std::vector<std::size_t> batchSizes;
    std::size_t rows = 0;
    std::size_t columnCount = 0;
    std::string firstColumn;
    std::string resultTable;
    bool throwOnRows = false;
    Gate rowGate;
    Gate errorGate;

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<bool> m_posted;
};

class QueryWorkerTest : public DatabaseTest {
  protected:
    void FillLog(int rows) {
        CBulkWriter writer(m_db);
        for (int i = 0; i < rows; ++i) {
            writer.Execute(
                FormatStatement(st::kInsertCallRecord,
                                {st::kIncomingCalls, "Абонент " + std::to_string(i),
                                 std::to_string(i), "01-02-03 10:00", i % 60, 0, 0, i, i % 3}));
        }
        writer.Commit();
    }
    std::string LogQuery() {
        return FormatStatement(st::kSelectCallLog, {st::kIncomingCalls, OrderClause(1, true)});
    }

    FakeOwner m_owner;
};

TEST_P(QueryWorkerTest, DeliversEveryRowInGrowingBatches) {
    FillLog(3000);
    CQueryWorker worker(m_db, m_owner, m_owner);
    ASSERT_TRUE(worker.StartQuery("in_data", LogQuery()));
    EXPECT_TRUE(worker.IsQueryRunning());
    bool errorShown = true;
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_FALSE(errorShown);
    EXPECT_FALSE(worker.IsQueryRunning());
    EXPECT_EQ(m_owner.rows, 3000u);
    EXPECT_EQ(m_owner.columnCount, 5u);
    EXPECT_TRUE(SameColumnName(m_owner.firstColumn, "RID"));
    EXPECT_EQ(m_owner.resultTable, "in_data");
    ASSERT_FALSE(m_owner.batchSizes.empty());
    EXPECT_LE(m_owner.batchSizes.front(), CQueryWorker::kFirstBatchRows);
    EXPECT_LT(m_owner.batchSizes.size(), 3000u / 50);
    EXPECT_EQ(m_owner.statuses, (std::vector<std::string>{std::string(kQueryRunningText),
                                                          std::string(kQueryDoneText)}));
    EXPECT_TRUE(m_owner.errors.empty());
}

TEST_P(QueryWorkerTest, SecondRequestOnlyCancelsAndTheThirdStartsAfterTheFinish) {
    FillLog(2000);
    CQueryWorker worker(m_db, m_owner, m_owner);
    m_owner.rowGate.Close();
    ASSERT_TRUE(worker.RequestQuery("in_data", LogQuery()));
    ASSERT_TRUE(m_owner.rowGate.WaitReached());  // the worker is filling the list

    EXPECT_FALSE(worker.RequestQuery("out_data", LogQuery()));
    EXPECT_EQ(m_owner.statuses.back(), kQueryCancellingText);
    EXPECT_TRUE(worker.IsQueryRunning());
    EXPECT_FALSE(worker.StartQuery("out_data", LogQuery()));  // still cancelling: refused
    m_owner.rowGate.Open();
    ASSERT_TRUE(m_owner.DeliverFinished(worker));
    EXPECT_EQ(m_owner.statuses.back(), kQueryDoneText);
    EXPECT_LT(m_owner.rows, 2000u);  // it stopped early
    EXPECT_TRUE(m_owner.errors.empty());

    m_owner.rows = 0;
    ASSERT_TRUE(worker.RequestQuery("in_data", LogQuery()));
    ASSERT_TRUE(m_owner.DeliverFinished(worker));
    EXPECT_EQ(m_owner.rows, 2000u);
}

// Characters of a UTF-8 text.
std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        pos += platform::DecodeUtf8(text, pos).length;
    }
    return count;
}

TEST_P(QueryWorkerTest, RejectedQueryShowsTheDriversTextOnceCutAt1024Characters) {
    std::string text = "missing_";
    for (int i = 0; i < 1500; ++i) {
        text += "я";  // two bytes each: a cut by bytes could split one
    }
    const std::string sql = StatementRejectedQuoting(GetParam(), text);
    std::string whole;
    try {
        CRecordsetEx(m_db).Open(sql);
    } catch (const CDBException& e) {
        whole = e.Error();
    }
    ASSERT_TRUE(platform::IsValidUtf8(whole)) << whole;

    CQueryWorker worker(m_db, m_owner, m_owner);
    ASSERT_TRUE(worker.StartQuery("in_data", sql));
    bool errorShown = false;
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_TRUE(errorShown);
    ASSERT_EQ(m_owner.errors.size(), 1u);
    const std::string& shown = m_owner.errors[0];
    EXPECT_TRUE(platform::IsValidUtf8(shown));
    if (CharacterCount(whole) > 1024) {
        EXPECT_EQ(CharacterCount(shown), 1024u);
        EXPECT_TRUE(whole.starts_with(shown)) << shown;
    } else {
        // SQLite's message reaches us cut at 511 bytes by the driver manager: nothing to clip.
        EXPECT_EQ(GetParam(), Backend::SQLite) << whole;
        EXPECT_EQ(shown, whole);
    }
    EXPECT_NE(shown.find("missing_яяя"), std::string::npos) << shown;
    EXPECT_EQ(m_owner.statuses.back(), kQueryDoneText);
}

TEST_P(QueryWorkerTest, CancellingAFailedQueryShowsNoFurtherMessage) {
    CQueryWorker worker(m_db, m_owner, m_owner);
    m_owner.errorGate.Close();
    ASSERT_TRUE(worker.RequestQuery("in_data", "SELECT * FROM no_such_table"));
    ASSERT_TRUE(m_owner.errorGate.WaitReached());              // the message box is up
    EXPECT_FALSE(worker.RequestQuery("in_data", LogQuery()));  // the user asks again: cancel
    m_owner.errorGate.Open();
    bool errorShown = false;
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_TRUE(errorShown);
    EXPECT_EQ(m_owner.errors.size(), 1u);
    ASSERT_TRUE(worker.RequestQuery("in_data", LogQuery()));
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_FALSE(errorShown);
    EXPECT_EQ(m_owner.errors.size(), 1u);
}

TEST_P(QueryWorkerTest, AnUnexpectedFailureOnTheWorkerIsReported) {
    FillLog(10);
    m_owner.throwOnRows = true;
    CQueryWorker worker(m_db, m_owner, m_owner);
    ASSERT_TRUE(worker.StartQuery("in_data", LogQuery()));
    bool errorShown = false;
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_TRUE(errorShown);
    EXPECT_EQ(m_owner.errors, std::vector<std::string>{std::string(kQueryThreadErrorText)});
}

TEST_P(QueryWorkerTest, CancelWhileIdleChangesNothing) {
    FillLog(5);
    CQueryWorker worker(m_db, m_owner, m_owner);
    worker.CancelQuery();  // nothing runs yet
    EXPECT_FALSE(worker.IsQueryRunning());
    EXPECT_TRUE(m_owner.statuses.empty());
    ASSERT_TRUE(worker.StartQuery("in_data", LogQuery()));
    ASSERT_TRUE(m_owner.DeliverFinished(worker));
    EXPECT_EQ(m_owner.rows, 5u);

    worker.CancelQuery();  // after a finished query as well
    EXPECT_EQ(m_owner.statuses.back(), kQueryDoneText);
    m_owner.rows = 0;
    ASSERT_TRUE(worker.RequestQuery("in_data", LogQuery()));
    ASSERT_TRUE(m_owner.DeliverFinished(worker));
    EXPECT_EQ(m_owner.rows, 5u);
    EXPECT_TRUE(m_owner.errors.empty());
}

// A query whose row 1201 fails on the server: every row read before it reaches the list. How
// many rows that is depends on how many the driver fetches at once, so the figure to meet is what
// a plain recordset reads before the same error.
TEST_P(QueryWorkerTest, AFailurePartWayKeepsTheRowsReadBeforeIt) {
    FillLog(1500);
    const std::string failing = GetParam() == Backend::SQLite
                                    ? "abs(-9223372036854775807 - 1)"  // integer overflow
                                    : "1 / (NAND_ADR - 1200)";         // division by zero
    const std::string sql = "SELECT RID, CASE WHEN NAND_ADR >= 1200 THEN " + failing +
                            " ELSE 0 END AS BAD, ABONENT FROM in_data";
    std::size_t readable = 0;
    {
        CRecordsetEx rs(m_db);
        try {
            rs.Open(sql);
            std::string value;
            while (!rs.IsEOF()) {
                rs.GetFieldValue(1, value);
                ++readable;
                rs.MoveNext();
            }
            FAIL() << "the query did not fail";
        } catch (const CDBException&) {
        }
    }
    if (readable == 0) {
        // SQLite's driver computes the whole result when it executes: no failure comes late.
        GTEST_SKIP() << "the driver reads the whole result before the first row";
    }

    CQueryWorker worker(m_db, m_owner, m_owner);
    ASSERT_TRUE(worker.StartQuery("in_data", sql));
    bool errorShown = false;
    ASSERT_TRUE(m_owner.DeliverFinished(worker, &errorShown));
    EXPECT_TRUE(errorShown);
    EXPECT_EQ(m_owner.errors.size(), 1u);
    EXPECT_EQ(m_owner.rows, readable);
    EXPECT_EQ(m_owner.statuses.back(), kQueryDoneText);
}

INSTANTIATE_TEST_SUITE_P(Backends, QueryWorkerTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
}  // namespace fonedesk::test
