#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "client/data/Recordset.h"

namespace fonedesk {

class CDatabase;

inline constexpr std::string_view kQueryRunningText = "Выполняется запрос к базе данных...";
inline constexpr std::string_view kQueryCancellingText = "Происходит отмена запроса...";
inline constexpr std::string_view kQueryDoneText = "Запрос к базе данных выполнен.";
inline constexpr std::string_view kQueryThreadErrorText = "Errors occurred in ExecuteQuery thread.";

// Rows of a result, handed over many at a time so that a long list costs a few thousand
// cross-thread deliveries instead of one per row. Field c of row r is fields[r * columns + c].
struct RowBatch {
    std::size_t columnCount = 0;
    std::vector<std::string> fields;

    std::size_t RowCount() const { return columnCount == 0 ? 0 : fields.size() / columnCount; }
    const std::string& Field(std::size_t row, std::size_t column) const {
        return fields[row * columnCount + column];
    }
};

// Where the rows of a list query go; called on the worker thread. The list view plugs in here
// and forwards to its own thread.
class IQueryRowSink {
  public:
    virtual ~IQueryRowSink() = default;
    // The result's columns, all of them (RID first), before any row.
    virtual void BeginResult(const std::string& table,
                             const std::vector<CODBCFieldInfo>& columns) = 0;
    virtual void AddRows(RowBatch batch) = 0;
};

// What the worker needs from its owner.
class IQueryHost {
  public:
    virtual ~IQueryHost() = default;
    // Owner's thread: the first pane of the status bar.
    virtual void SetStatusText(std::string_view text) = 0;
    // Worker thread: show an error in a message box with an OK button and return once the user
    // has closed it. The text is at most 1024 characters.
    virtual void ShowQueryError(std::string_view text) = 0;
    // Worker thread, last thing it does: deliver "query finished" to the owner's thread, which
    // then calls CQueryWorker::OnQueryFinished(errorShown). Must not wait for the owner.
    virtual void PostQueryFinished(bool errorShown) = 0;
};

// Runs a list query on a thread of its own so that the window stays responsive and the user
// can cancel. At most one query runs; a running one is cancelled by a flag that the worker looks
// at before opening, after opening and before each row, instead of being waited for.
//
// States: idle -> running (StartQuery) -> cancelling (CancelQuery) -> idle (OnQueryFinished).
// The running state belongs to the owner: it is set by StartQuery and cleared only when the
// owner handles the finished notification, so the owner never looks at a thread that is gone.
class CQueryWorker {
  public:
    CQueryWorker(CDatabase& db, IQueryHost& host, IQueryRowSink& sink);
    // Cancels a running query and waits for its thread. The host's ShowQueryError must not wait
    // for the owner's thread while the owner is being destroyed.
    ~CQueryWorker();
    CQueryWorker(const CQueryWorker&) = delete;
    CQueryWorker& operator=(const CQueryWorker&) = delete;

    // Refuses (false) while a cancelled query has not finished yet, or when the thread cannot
    // be created.
    bool StartQuery(std::string table, std::string statement);
    // Does nothing while no query runs.
    void CancelQuery();
    bool IsQueryRunning() const { return m_running; }

    // How callers ask for a new list: a running query is only cancelled (false), and the user
    // repeats the request once "Запрос к базе данных выполнен." shows; otherwise it starts.
    bool RequestQuery(std::string table, std::string statement);

    // The owner's handler of the finished notification.
    void OnQueryFinished(bool errorShown);

    // Rows per batch grow from the first to the last figure, so the first rows show at once.
    static constexpr std::size_t kFirstBatchRows = 64;
    static constexpr std::size_t kLargestBatchRows = 4096;

  private:
    struct QueryParams {
        std::string table;
        std::string statement;
    };

    void ExecuteQuery(const QueryParams& params);
    void FillRows(const std::string& table, CRecordsetEx& rs);
    bool Cancelled() const { return m_cancel.load(std::memory_order_acquire); }

    CDatabase& m_db;
    IQueryHost& m_host;
    IQueryRowSink& m_sink;
    QueryParams m_params;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};

}  // namespace fonedesk
