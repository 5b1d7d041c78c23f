// Measures the client database on SQLite, next to a peer on the same file:
// - fetching a million call-log rows as text through CRecordsetEx (and through the query worker
//   that feeds the list), against the sqlite3 command-line shell running the same statement;
//   beside it, where the time goes: the same fetch through the driver with nothing of ours on
//   top (what the driver and the driver manager cost), and SQLite's own C interface stepping
//   through the statement and taking every field as text (what the engine costs, the shell's
//   share of its time);
// - inserting 100,000 rows with the call-log INSERT statement in automatic commit and in the
//   batched transactions that the client's bulk operations use.
// Everything happens in a temporary folder with its own odbc.ini.
//
//   db_bench [--rows N] [--inserts N] [--autocommit-seconds S] [--keep]

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sql.h>
#include <sqlext.h>
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
#include <utility>
#include <vector>

#include "bench/common/Timing.h"
#include "client/data/BulkWriter.h"
#include "client/data/DataSource.h"
#include "client/data/DbException.h"
#include "client/data/OdbcHandle.h"
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

// The fetch of FetchAll with nothing of ours in between: the adapted statement straight through
// the driver manager, every column bound as text in the rowset size and widths the client binds,
// no field looked at. Its time is the driver's and the manager's; FetchAll's beyond it is ours.
std::size_t FetchRaw(fonedesk::CDatabase& db, const std::string& sql) {
    constexpr SQLULEN kRows = 256;
    std::string text = db.AdaptStatement(sql);
    fonedesk::StmtHandle stmt;
    fonedesk::CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, db.Handle(), stmt.Receive()),
                        SQL_HANDLE_DBC, db.Handle(), "Allocating a statement");
    fonedesk::CheckOdbc(SQLExecDirect(stmt.Get(), reinterpret_cast<SQLCHAR*>(text.data()),
                                      static_cast<SQLINTEGER>(text.size())),
                        SQL_HANDLE_STMT, stmt.Get(), "Executing");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt.Get(), &columns);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
    SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    std::vector<SQLUSMALLINT> status(kRows);
    SQLSetStmtAttr(stmt.Get(), SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);
    std::vector<std::vector<char>> buffers(static_cast<std::size_t>(columns));
    std::vector<std::vector<SQLLEN>> indicators(static_cast<std::size_t>(columns));
    for (SQLSMALLINT c = 0; c < columns; ++c) {
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt.Get(), static_cast<SQLUSMALLINT>(c + 1), nullptr, 0, nullptr, &type,
                       &size, nullptr, nullptr);
        const bool character =
            type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_WCHAR || type == SQL_WVARCHAR;
        const std::size_t width =
            character ? std::max<std::size_t>(size * 4, 1024) + 1
                      : std::max<std::size_t>(static_cast<std::size_t>(size) * 2 + 3, 64) + 1;
        auto& buffer = buffers[static_cast<std::size_t>(c)];
        auto& indicator = indicators[static_cast<std::size_t>(c)];
        buffer.resize(width * kRows);
        indicator.resize(kRows);
        SQLBindCol(stmt.Get(), static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, buffer.data(),
                   static_cast<SQLLEN>(width), indicator.data());
    }
    std::size_t rows = 0;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt.Get()))) {
        rows += fetched;
    }
    if (rc != SQL_NO_DATA) {
        fonedesk::CheckOdbc(rc, SQL_HANDLE_STMT, stmt.Get(), "Fetching");
    }
    return rows;
}

// SQLite's C interface, taken from the library the ODBC driver itself loads, so that nothing
// beyond the driver's own packages is needed; absent, the engine's share is not printed.
class SqliteEngine {
  public:
    // extension: the collation extension the name columns need, loaded into each connection.
    explicit SqliteEngine(fs::path extension)
        : m_lib(dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL)),
          m_extension(std::move(extension)) {
        if (m_lib != nullptr) {
            Find(m_open, "sqlite3_open_v2");
            Find(m_enableLoad, "sqlite3_enable_load_extension");
            Find(m_loadExtension, "sqlite3_load_extension");
            Find(m_prepare, "sqlite3_prepare_v2");
            Find(m_step, "sqlite3_step");
            Find(m_count, "sqlite3_column_count");
            Find(m_text, "sqlite3_column_text");
            Find(m_finalize, "sqlite3_finalize");
            Find(m_close, "sqlite3_close");
        }
    }
    ~SqliteEngine() {
        if (m_lib != nullptr) {
            dlclose(m_lib);
        }
    }
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    bool Usable() const { return m_lib != nullptr && m_close != nullptr; }

    // Every field of every row as text, as the shell takes them; the number of rows.
    std::size_t FetchAll(const fs::path& file, const std::string& sql) const {
        constexpr int kRow = 100;     // SQLITE_ROW
        constexpr int kReadOnly = 1;  // SQLITE_OPEN_READONLY
        void* db = nullptr;
        void* stmt = nullptr;
        std::size_t rows = 0;
        if (m_open(file.c_str(), &db, kReadOnly, nullptr) == 0 && m_enableLoad(db, 1) == 0 &&
            m_loadExtension(db, m_extension.c_str(), nullptr, nullptr) == 0 &&
            m_prepare(db, sql.c_str(), -1, &stmt, nullptr) == 0) {
            const int columns = m_count(stmt);
            std::size_t bytes = 0;
            while (m_step(stmt) == kRow) {
                for (int c = 0; c < columns; ++c) {
                    const unsigned char* field = m_text(stmt, c);
                    bytes += field != nullptr ? field[0] : 0;
                }
                ++rows;
            }
            m_sink = bytes;
            m_finalize(stmt);
        }
        m_close(db);
        return rows;
    }

  private:
    template <typename Function>
    void Find(Function*& function, const char* name) {
        function = reinterpret_cast<Function*>(dlsym(m_lib, name));
        if (function == nullptr) {
            dlclose(m_lib);
            m_lib = nullptr;
        }
    }

    void* m_lib;
    fs::path m_extension;
    int (*m_open)(const char*, void**, int, const char*) = nullptr;
    int (*m_enableLoad)(void*, int) = nullptr;
    int (*m_loadExtension)(void*, const char*, const char*, char**) = nullptr;
    int (*m_prepare)(void*, const char*, int, void**, const char**) = nullptr;
    int (*m_step)(void*) = nullptr;
    int (*m_count)(void*) = nullptr;
    const unsigned char* (*m_text)(void*, int) = nullptr;
    int (*m_finalize)(void*) = nullptr;
    int (*m_close)(void*) = nullptr;
    mutable std::size_t m_sink = 0;  // keeps the fields' reads from being optimized away
};

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
        fonedesk::setup::SetupSqlite("FNDB", file);
        // The shell needs the collation of the name columns as much as the driver does.
        const std::string load = ".load '" + fonedesk::setup::CollationExtension().string() + "'";
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
        const SqliteEngine engine(fonedesk::setup::CollationExtension());
        struct Split {
            const char* name;
            double ours, raw, shell, engine;
        };
        std::vector<Split> splits;
        for (const int orderColumn : {1, 3}) {
            const char* name =
                orderColumn == 1 ? "log by RID (ORDER BY 1 ASC)" : "log by name (ORDER BY 3 ASC)";
            const std::string sql = fonedesk::FormatStatement(
                st::kSelectCallLog, {st::kIncomingCalls, fonedesk::OrderClause(orderColumn, true)});
            std::size_t fetched = 0;
            const auto check = [&](const char* how) {
                if (fetched != rows) {
                    throw fonedesk::CDBException(std::string(how) + " fetched " +
                                                 std::to_string(fetched) + " rows");
                }
            };
            // The four take turns, three rounds, and each keeps its best: a neighbour's burst on
            // a shared machine then spoils one round of all of them rather than one of them.
            const std::string adapted = db.AdaptStatement(sql);
            double ours = 1e30, raw = 1e30, own = 1e30, shell = 1e30;
            const auto time = [](double& best, const std::function<void()>& work) {
                const auto start = Clock::now();
                work();
                best = std::min(best, Seconds(Clock::now() - start));
            };
            for (int round = 0; round < 3; ++round) {
                time(ours, [&] { fetched = FetchAll(db, sql); });
                check("CRecordsetEx");
                time(raw, [&] { fetched = FetchRaw(db, sql); });
                check("the raw ODBC loop");
                if (engine.Usable()) {
                    time(own, [&] { fetched = engine.FetchAll(file, adapted); });
                    check("SQLite's C interface");
                }
                time(shell, [&] {
                    Run({"sqlite3", "-readonly", "-cmd", load, file.string(), sql});
                });
            }
            if (!engine.Usable()) {
                own = 0;
            }
            std::printf("  %-34s %9.0f r/s %9.0f r/s %13.2fx\n", name, rows / ours, rows / shell,
                        shell / ours);
            splits.push_back({name, ours, raw, shell, own});
        }
        // Nanoseconds a row: ours is the driver's fetch and our code on top of it; SQLite's own
        // stepping is part of the driver's time and the most of the shell's.
        std::printf("\n  %-34s %6s = %6s + %6s %8s %7s %14s\n", "time a row (ns)", "ours", "driver",
                    "ours", "SQLite", "shell", "driver/shell");
        for (const Split& s : splits) {
            const double ns = 1e9 / static_cast<double>(rows);
            std::printf("  %-34s %6.0f   %6.0f   %6.0f ", s.name, s.ours * ns, s.raw * ns,
                        (s.ours - s.raw) * ns);
            if (s.engine > 0) {
                std::printf("%8.0f", s.engine * ns);
            } else {
                std::printf("%8s", "-");
            }
            std::printf(" %7.0f %13.2fx\n", s.shell * ns, s.shell / s.raw);
        }
        std::printf(
            "  driver: the same statement, rowset and bound text buffers straight through ODBC,\n"
            "  no field looked at; SQLite: its C interface stepping and taking every field as "
            "text.\n"
            "  What the driver takes beyond SQLite's own work is the ODBC driver's and the driver\n"
            "  manager's; the driver alone stays under the shell's rate by the last column.\n");
        std::printf("\n");
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
        // Where a batched row's time goes: writing the statement text, adapting it to the
        // dialect (ours), and the rest: the driver parsing and running it, and the commits.
        std::size_t textBytes = 0;
        const auto textStart = Clock::now();
        for (std::size_t i = 0; i < inserts; ++i) {
            textBytes += CallInsert(i).size();
        }
        const double textTime = Seconds(Clock::now() - textStart);
        const auto adaptStart = Clock::now();
        for (std::size_t i = 0; i < inserts; ++i) {
            db.AdaptStatement(CallInsert(i));
        }
        const double adaptTime = Seconds(Clock::now() - adaptStart) - textTime;
        const double us = 1e6 / static_cast<double>(inserts);
        std::printf(
            "  batched, time a row (us)  %.1f = text %.1f + dialect %.1f + driver and SQLite %.1f"
            "\n  (statements of %zu bytes on average)\n",
            batchTime * us, textTime * us, adaptTime * us, (batchTime - textTime - adaptTime) * us,
            textBytes / inserts);
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
