#include "client/data/QueryWorker.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "client/data/Database.h"
#include "client/data/DbException.h"

namespace fonedesk {
namespace {

// A batch also goes out once it has waited this long, so a slow query shows its rows as they come.
constexpr auto kLongestBatchWait = std::chrono::milliseconds(100);

}  // namespace

CQueryWorker::CQueryWorker(CDatabase& db, IQueryHost& host, IQueryRowSink& sink)
    : m_db(db), m_host(host), m_sink(sink) {}

CQueryWorker::~CQueryWorker() {
    m_cancel.store(true, std::memory_order_release);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool CQueryWorker::StartQuery(std::string table, std::string statement) {
    if (Cancelled() || m_running) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // a finished worker whose notification was handled already
    }
    m_params = {std::move(table), std::move(statement)};
    m_host.SetStatusText(kQueryRunningText);
    try {
        m_thread = std::thread([this, params = m_params] { ExecuteQuery(params); });
    } catch (const std::system_error&) {
        return false;
    }
    m_running = true;
    return true;
}

void CQueryWorker::CancelQuery() {
    if (!m_running) {
        return;  // a flag set now would outlive every query and refuse the next start
    }
    m_host.SetStatusText(kQueryCancellingText);
    m_cancel.store(true, std::memory_order_release);
}

bool CQueryWorker::RequestQuery(std::string table, std::string statement) {
    if (IsQueryRunning()) {
        CancelQuery();
        return false;
    }
    return StartQuery(std::move(table), std::move(statement));
}

void CQueryWorker::OnQueryFinished(bool /*errorShown*/) {
    m_host.SetStatusText(kQueryDoneText);
    if (m_thread.joinable()) {
        m_thread.join();  // it has posted its last word and is ending
    }
    m_cancel.store(false, std::memory_order_release);
    m_running = false;
}

void CQueryWorker::ExecuteQuery(const QueryParams& params) {
    bool errorShown = false;
    const auto report = [&](std::string_view text) {
        if (Cancelled()) {
            return;  // the user has moved on; a late error is of no interest
        }
        try {
            m_host.ShowQueryError(ClipErrorText(std::string(text)));
        } catch (...) {
        }
        errorShown = true;
    };
    try {
        CRecordsetEx rs(m_db);
        if (!Cancelled()) {
            rs.Open(params.statement);
            if (!Cancelled()) {
                FillRows(params.table, rs);
            } else {
                rs.Cancel();
            }
        }
        rs.CloseIfOpen();
    } catch (const CDBException& e) {
        report(e.Error());
    } catch (...) {
        report(kQueryThreadErrorText);
    }
    m_host.PostQueryFinished(errorShown);
}

void CQueryWorker::FillRows(const std::string& table, CRecordsetEx& rs) {
    const short columns = rs.GetFieldCount();
    std::vector<CODBCFieldInfo> infos(static_cast<std::size_t>(columns));
    for (short i = 0; i < columns; ++i) {
        if (Cancelled()) {
            rs.Cancel();
            return;
        }
        rs.GetFieldInfo(i, infos[static_cast<std::size_t>(i)]);
    }
    m_sink.BeginResult(table, infos);

    std::size_t batchRows = kFirstBatchRows;
    RowBatch batch;
    batch.columnCount = static_cast<std::size_t>(columns);
    batch.fields.reserve(batchRows * batch.columnCount);
    auto batchStarted = std::chrono::steady_clock::now();
    const auto flush = [&] {
        if (batch.fields.empty()) {
            return;
        }
        RowBatch full;
        full.columnCount = batch.columnCount;
        std::swap(full.fields, batch.fields);
        m_sink.AddRows(std::move(full));
        batchRows = std::min(batchRows * 2, kLargestBatchRows);
        batch.fields.reserve(batchRows * batch.columnCount);
        batchStarted = std::chrono::steady_clock::now();
    };
    try {
        while (columns > 0 && !rs.IsEOF()) {
            if (Cancelled()) {
                rs.Cancel();
                break;
            }
            for (short i = 0; i < columns; ++i) {
                rs.GetFieldValue(i, batch.fields.emplace_back());
            }
            if (batch.RowCount() >= batchRows ||
                std::chrono::steady_clock::now() - batchStarted >= kLongestBatchWait) {
                flush();
            }
            rs.MoveNext();
        }
    } catch (const CDBException&) {
        // The list keeps whatever was read before the failure; a row read only in part is
        // dropped.
        batch.fields.resize(batch.RowCount() * batch.columnCount);
        flush();
        throw;
    }
    flush();
}

}  // namespace fonedesk
