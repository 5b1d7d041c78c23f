// Measures the client database on SQLite, next to a peer on the same file:
// - fetching a million call-log rows as text through CRecordsetEx (and through the query worker
//   that feeds the list), against the sqlite3 command-line shell running the same statement;
// - inserting 100,000 rows with the call-log INSERT statement in automatic commit and in the
//   batched transactions that the client's bulk operations use.
// Everything happens in a temporary folder with its own odbc.ini.
//
//   db_bench [--rows N] [--inserts N] [--autocommit-seconds S] [--keep]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "bench/common/Timing.h"
#include "client/data/BulkWriter.h"
#include "client/data/DataSource.h"
#include "client/data/DbException.h"
#include "client/data/QueryWorker.h"
#include "client/data/Recordset.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "tools/fndb-setup/DataSourceSetup.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace st = fonedesk::statements;
using fonerix::bench::Best;
using fonerix::bench::Clock;
using fonerix::bench::Run;
using fonerix::bench::Seconds;

std::size_t FetchAll(fonedesk::CDatabase& db, const std::string& sql) {
    fonedesk::CRecordsetEx rs(db);
    rs.Open(sql);
    std::string field;
    std::size_t rows = 0;
    const short columns = rs.GetFieldCount();
    while (!rs.IsEOF()) {
        for (short i = 0; i < columns; ++i) {
            rs.GetFieldValue(i, field);
        }
        ++rows;
        rs.MoveNext();
    }
    return rows;
}

// A list that only counts, and an owner whose message loop is a condition variable.
class CountingList : public fonedesk::IQueryHost, public fonedesk::IQueryRowSink {
  public:
    void SetStatusText(std::string_view) override {}
    void ShowQueryError(std::string_view text) override {
        std::fprintf(stderr, "query failed: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    void PostQueryFinished(bool) override {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    void BeginResult(const std::string&, const std::vector<fonedesk::CODBCFieldInfo>&) override {}
    void AddRows(fonedesk::RowBatch batch) override {
        rows += batch.RowCount();
        ++batches;
    }
    void WaitFinished(fonedesk::CQueryWorker& worker) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_finished; });
        m_finished = false;
        lock.unlock();
        worker.OnQueryFinished(false);
    }
    std::size_t rows = 0;
    std::size_t batches = 0;

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_finished = false;
};

std::string CallInsert(std::size_t i) {
    return fonedesk::FormatStatement(
        st::kInsertCallRecord,
        {st::kOutgoingCalls, "Абонент " + std::to_string(i % 5000),
         std::to_string(4950000 + i % 5000),
         fonedesk::CallTimeText(1 + i % 28, 1 + i % 12, 3 + i % 20, i % 24, i % 60),
         static_cast<long long>(i % 200), 0, 0, static_cast<long long>(i * 32),
         static_cast<long long>(i % 7)});
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t rows = 1'000'000;
    std::size_t inserts = 100'000;
    double autocommitSeconds = 120;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc) {
            rows = std::stoul(argv[++i]);
        } else if (arg == "--inserts" && i + 1 < argc) {
            inserts = std::stoul(argv[++i]);
        } else if (arg == "--autocommit-seconds" && i + 1 < argc) {
            autocommitSeconds = std::stod(argv[++i]);
        } else if (arg == "--keep") {
            keep = true;
        } else {
            std::fprintf(
                stderr,
                "usage: db_bench [--rows N] [--inserts N] [--autocommit-seconds S] [--keep]\n");
            return 2;
        }
    }

    char pattern[] = "/var/tmp/fonedesk-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    // The data source goes into a private odbc.ini; the installed drivers are used as they are.
    setenv("HOME", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    const fs::path file = dir / "fonedesk.db";
    int status = 0;
    try {
        fndb::SetupSqlite("FNDB", file);
        // The shell needs the collation of the name columns as much as the driver does.
        const std::string load = ".load '" + fndb::CollationExtension().string() + "'";
        fonedesk::CDatabase db;
        std::string message;
        if (!fonedesk::OpenDataSource(db, &message)) {
            throw fonedesk::CDBException(message);
        }

        std::printf(
            "Fonedesk database benchmark on %s, through unixODBC and the SQLite3 ODBC driver\n\n",
            db.DbmsName().c_str());
        // Fill the incoming log through the shell: the figures below are about reading.
        const std::string fill =
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
            "SELECT 'Абонент ' || (i % 5000), 4950000 + i % 5000, "
            "printf('20%02d-%02d-%02d %02d:%02d:00', 3 + i % 20, 1 + i % 12, 1 + i % 28, i % 24, i "
            "% 60), "
            "i % 200, 0, 0, i * 32, i % 7 FROM n";
        if (Run({"sqlite3", "-cmd", load, file.string(), fill}) != 0) {
            throw fonedesk::CDBException(
                "the sqlite3 shell could not fill the table (apt-get install sqlite3)");
        }

        std::printf("Fetch %zu call-log rows as text (best of 3)\n", rows);
        std::printf("  %-34s %12s %12s %14s\n", "statement", "CRecordsetEx", "sqlite3",
                    "Fonedesk/shell");
        for (const int orderColumn : {1, 3}) {
            const std::string sql = fonedesk::FormatStatement(
                st::kSelectCallLog, {st::kIncomingCalls, fonedesk::OrderClause(orderColumn, true)});
            std::size_t fetched = 0;
            const double ours = Best([&] { fetched = FetchAll(db, sql); });
            if (fetched != rows) {
                throw fonedesk::CDBException("fetched " + std::to_string(fetched) + " rows");
            }
            const double shell = Best([&] {
                Run({"sqlite3", "-readonly", "-cmd", load, file.string(), sql});
            });
            std::printf(
                "  %-34s %9.0f r/s %9.0f r/s %13.2fx\n",
                orderColumn == 1 ? "log by RID (ORDER BY 1 ASC)" : "log by name (ORDER BY 3 ASC)",
                rows / ours, rows / shell, shell / ours);
        }
        {
            const std::string sql = fonedesk::FormatStatement(
                st::kSelectCallLog, {st::kIncomingCalls, fonedesk::OrderClause(1, true)});
            CountingList list;
            fonedesk::CQueryWorker worker(db, list, list);
            const double viaWorker = Best([&] {
                list.rows = list.batches = 0;
                worker.StartQuery("in_data", sql);
                list.WaitFinished(worker);
            });
            std::printf("  %-34s %9.0f r/s   (%zu rows in %zu batches to the list)\n\n",
                        "log by RID, through the worker", rows / viaWorker, list.rows,
                        list.batches);
        }

        std::printf("Insert %zu rows with the call-log INSERT statement\n", inserts);
        std::size_t autocommitRows = 0;
        const auto autoStart = Clock::now();
        for (; autocommitRows < inserts; ++autocommitRows) {
            if (autocommitRows % 100 == 0 &&
                Seconds(Clock::now() - autoStart) > autocommitSeconds) {
                break;
            }
            db.ExecuteSQL(CallInsert(autocommitRows));
        }
        const double autoTime = Seconds(Clock::now() - autoStart);
        db.ExecuteSQL("DELETE FROM out_data");

        const auto batchStart = Clock::now();
        {
            fonedesk::CBulkWriter writer(db);
            for (std::size_t i = 0; i < inserts; ++i) {
                writer.Execute(CallInsert(i));
            }
            writer.Commit();
        }
        const double batchTime = Seconds(Clock::now() - batchStart);
        const double autoRate = autocommitRows / autoTime;
        const double batchRate = inserts / batchTime;
        std::printf("  %-34s %9.0f r/s", "automatic commit", autoRate);
        if (autocommitRows < inserts) {
            std::printf("   (stopped after %.0f s at %zu rows)", autoTime, autocommitRows);
        }
        std::printf("\n  %-34s %9.0f r/s\n", "batched, 1000 per transaction", batchRate);
        std::printf("  %-34s %12.1fx\n", "batched/automatic", batchRate / autoRate);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "db_bench: %s\n", e.what());
        status = 1;
    }
    if (keep) {
        std::printf("\nfiles kept in %s\n", dir.c_str());
    } else {
        fs::remove_all(dir);
    }
    return status;
}
