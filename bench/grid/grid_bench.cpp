// Measures the list of the main window on a long call log: a million rows of in_data in a
// throwaway SQLite FNDB, shown by CDataGridView on the offscreen platform. Printed side by side:
// - time to the first rows painted (first batch in the model, then a paint of the list);
// - time to all rows (the worker's end handled);
// - the peak memory of the process, and what the list's rows take;
// - the sqlite3 shell reading the same rows to /dev/null, and its first rows alone, the floor for
//   a statement that has to sort the whole table before its first row.
// Two orders: the first start (by name, ORDER BY 3) and a header click on "Дата звонка"
// (ORDER BY 4), both with an index. Two data sources: FNDB as fndb-setup writes it (the SQLite
// driver's StepAPI=1, rows handed over as SQLite steps to them), and the same with StepAPI=0,
// under which the driver reads the whole result at execution, for comparison. Each runs in a
// process of its own, so that each has its own peak and unixODBC reads the changed odbc.ini afresh.
//
//   grid_bench [--rows N] [--keep]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <odbcinst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/common/Timing.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "client/shell/DataGridView.h"
#include "client/shell/GridModel.h"
#include "tools/fndb-setup/DataSourceSetup.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace st = fonedesk::statements;
using fonerix::bench::Best;
using fonerix::bench::Clock;
using fonerix::bench::Run;
using fonerix::bench::Seconds;

constexpr double kFirstRowsGoalMs = 100;
constexpr double kAllRowsGoalS = 3;
constexpr double kPeakGoalMb = 300;

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtod(line.c_str() + prefix.size(), nullptr) / 1024.0;
        }
    }
    return -1;
}

struct ListRun {
    double firstBatch = -1;  // s from the request to the first rows in the model
    double firstPaint = -1;  // s to the first paint of the list with rows
    double allRows = -1;     // s to the worker's end, handled
    double windowCpu = 0;    // CPU s of the window's thread
    double processCpu = 0;   // CPU s of the whole process (worker and driver included)
    int rows = 0;
};

double CpuSeconds(int who) {
    struct rusage usage {};
    getrusage(who, &usage);
    const auto s = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// Paints of the list's viewport once it has rows; the time is taken after the paint is done.
class PaintWatch : public QObject {
  public:
    PaintWatch(const fonedesk::CGridModel& model, std::function<void()> painted)
        : m_model(model), m_painted(std::move(painted)) {}
    void Arm() { m_armed = true; }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (m_armed && event->type() == QEvent::Paint && m_model.rowCount() > 0) {
            m_armed = false;
            QTimer::singleShot(0, this, [this] { m_painted(); });
        }
        return false;
    }

  private:
    const fonedesk::CGridModel& m_model;
    std::function<void()> m_painted;
    bool m_armed = false;
};

ListRun Measure(fonedesk::CDataGridView& grid, const std::function<void()>& request) {
    fonedesk::CGridModel& model = *grid.Model();
    ListRun run;
    Clock::time_point start;
    QEventLoop loop;
    PaintWatch watch(model, [&] { run.firstPaint = Seconds(Clock::now() - start); });
    grid.TableView()->viewport()->installEventFilter(&watch);
    const auto inserted = QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] {
        if (run.firstBatch < 0) {
            run.firstBatch = Seconds(Clock::now() - start);
        }
    });
    bool started = false;
    const auto changed =
        QObject::connect(&grid, &fonedesk::CDataGridView::commandStateChanged, [&] {
            if (grid.IsQueryRunning()) {
                started = true;
            } else if (started && run.allRows < 0) {
                run.allRows = Seconds(Clock::now() - start);
                loop.quit();
            }
        });
    watch.Arm();
    const double windowCpu = CpuSeconds(RUSAGE_THREAD);
    const double processCpu = CpuSeconds(RUSAGE_SELF);
    start = Clock::now();
    request();
    loop.exec();
    run.windowCpu = CpuSeconds(RUSAGE_THREAD) - windowCpu;
    run.processCpu = CpuSeconds(RUSAGE_SELF) - processCpu;
    // Let the last paint through before the next run.
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(inserted);
    QObject::disconnect(changed);
    grid.TableView()->viewport()->removeEventFilter(&watch);
    run.rows = model.rowCount();
    return run;
}

void PrintRow(const char* what, double ours, double peer, const char* unit, double goal) {
    std::printf("  %-38s %10.3f %-3s %10.3f %-3s   goal < %g %s: %s\n", what, ours, unit, peer,
                unit, goal, unit, ours < goal ? "met" : "NOT met");
}

// The sqlite3 shell on the statement of an order: its first 64 rows and all of them, in s.
struct ShellFigures {
    double first = 0;
    double all = 0;
};

std::string CallLogStatement(int resultColumn) {
    return fonedesk::FormatStatement(
        st::kSelectCallLog, {st::kIncomingCalls, fonedesk::OrderClause(resultColumn, true)});
}

constexpr int kOrders[] = {3, 4};

// One process: the list of FNDB in this folder, both orders, printed beside the shell's figures.
int MeasureList(int argc, char** argv, std::size_t rows, const char* title,
                const std::vector<ShellFigures>& shell) {
    QApplication app(argc, argv);
    fonedesk::CDataGridView grid;
    grid.resize(1000, 700);
    grid.show();
    if (!grid.OpenDataSource()) {
        std::fprintf(stderr, "grid_bench: FNDB does not open\n");
        return 1;
    }
    // Let the window settle, then take the memory the program needs without rows.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    const double baseMb = StatusMb("VmRSS");

    std::printf("== %s\n", title);
    const char* names[] = {"first start, by name (ORDER BY 3 ASC)",
                           "header click, by date (ORDER BY 4 ASC)"};
    const std::function<void()> requests[] = {
        [&] { grid.ShowCallLog(QStringLiteral("in_data"), -1); },
        [&] { emit grid.TableView()->horizontalHeader()->sectionClicked(2); },
    };
    for (std::size_t o = 0; o < std::size(kOrders); ++o) {
        const ListRun run = Measure(grid, requests[o]);
        const double withRowsMb = StatusMb("VmRSS");
        if (run.rows != static_cast<int>(rows)) {
            std::fprintf(stderr, "grid_bench: the list has %d rows\n", run.rows);
            return 1;
        }
        std::printf("%s\n", names[o]);
        std::printf("  %-38s %14s %14s\n", "", "Fonedesk", "sqlite3 shell");
        PrintRow("first rows painted (shell: LIMIT 64)", run.firstPaint * 1000,
                 shell[o].first * 1000, "ms", kFirstRowsGoalMs);
        std::printf("  %-38s %10.3f ms\n", "  of which first batch in the model",
                    run.firstBatch * 1000);
        PrintRow("all rows", run.allRows, shell[o].all, "s", kAllRowsGoalS);
        std::printf("  %-38s %10.3f s    (window thread %.3f s)\n", "  CPU time of the process",
                    run.processCpu, run.windowCpu);
        std::printf("  %-38s %10.1f MB   (%.0f bytes a row)\n", "RSS growth with the rows",
                    withRowsMb - baseMb, (withRowsMb - baseMb) * 1024 * 1024 / rows);
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = StatusMb("VmHWM");
    std::printf("memory\n");
    std::printf("  %-38s %10.1f MB\n", "process without rows (RSS)", baseMb);
    std::printf("  %-38s %10.1f MB   goal < %g MB: %s\n", "peak of the process (VmHWM)", peakMb,
                kPeakGoalMb, peakMb < kPeakGoalMb ? "met" : "NOT met");
    std::printf("  %-38s %10.1f MB\n\n", "peak (getrusage ru_maxrss)", usage.ru_maxrss / 1024.0);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t rows = 1'000'000;
    bool keep = false;
    const char* measureTitle = nullptr;  // set in the child processes
    std::vector<ShellFigures> shell(std::size(kOrders));
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc) {
            rows = std::stoul(argv[++i]);
        } else if (arg == "--keep") {
            keep = true;
        } else if (arg == "--measure" &&
                   i + 1 + 2 * std::size(kOrders) < static_cast<std::size_t>(argc)) {
            measureTitle = argv[++i];
            for (ShellFigures& f : shell) {
                f.first = std::stod(argv[++i]);
                f.all = std::stod(argv[++i]);
            }
        } else {
            std::fprintf(stderr, "usage: grid_bench [--rows N] [--keep]\n");
            return 2;
        }
    }
    if (measureTitle != nullptr) {
        int qtArgc = 1;
        return MeasureList(qtArgc, argv, rows, measureTitle, shell);
    }

    char pattern[] = "/var/tmp/fonedesk-grid-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    // Data source, profile and Qt's runtime folder all go into the throwaway folder; the child
    // processes inherit it.
    setenv("HOME", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 1);
    const fs::path file = dir / "fonedesk.db";

    int status = 0;
    try {
        fonedesk::setup::SetupSqlite("FNDB", file);
        // The shell needs the collation of the name columns as much as the driver does.
        const std::string load = ".load '" + fonedesk::setup::CollationExtension().string() + "'";
        const std::string fill =
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
            "SELECT 'Абонент ' || (i % 5000), 4950000 + i % 5000, "
            "printf('20%02d-%02d-%02d %02d:%02d:00', 3 + i % 20, 1 + i % 12, 1 + i % 28, i % 24, "
            "i % 60), i % 200, 0, 0, i * 32, i % 7 FROM n";
        if (Run({"sqlite3", "-cmd", load, file.string(), fill}) != 0) {
            throw std::runtime_error(
                "the sqlite3 shell could not fill the table (apt-get install "
                "sqlite3)");
        }
        std::printf(
            "Fonedesk list on %zu call-log rows (SQLite through unixODBC, Qt offscreen);\n"
            "sqlite3 shell: best of 3, output to /dev/null\n\n",
            rows);
        std::vector<std::string> measure = {argv[0], "--rows", std::to_string(rows), "--measure",
                                            ""};
        for (std::size_t o = 0; o < std::size(kOrders); ++o) {
            const std::string sql = CallLogStatement(kOrders[o]);
            shell[o].first = Best([&] {
                Run({"sqlite3", "-readonly", "-cmd", load, file.string(), sql + " LIMIT 64"});
            });
            shell[o].all = Best([&] {
                Run({"sqlite3", "-readonly", "-cmd", load, file.string(), sql});
            });
            measure.push_back(std::to_string(shell[o].first));
            measure.push_back(std::to_string(shell[o].all));
        }
        const auto runChild = [&](const char* title) {
            // Each starts as a first start: no layout or order saved by the one before.
            fs::remove(dir / "Fonedesk.INI");
            std::fflush(stdout);
            measure[4] = title;
            std::vector<char*> args;
            for (std::string& a : measure) {
                args.push_back(a.data());
            }
            args.push_back(nullptr);
            pid_t pid = 0;
            if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, args.data(), environ) != 0) {
                throw std::runtime_error("cannot start the measuring process");
            }
            int childStatus = 0;
            waitpid(pid, &childStatus, 0);
            if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) {
                throw std::runtime_error(std::string("the measurement failed: ") + title);
            }
        };
        runChild("FNDB as fndb-setup writes it");
        SQLSetConfigMode(ODBC_USER_DSN);
        if (!SQLWritePrivateProfileString("FNDB", "StepAPI", "0", "odbc.ini")) {
            throw std::runtime_error("cannot write StepAPI into odbc.ini");
        }
        runChild("FNDB with the SQLite driver's StepAPI=0 (whole result read first)");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "grid_bench: %s\n", e.what());
        status = 1;
    }
    if (keep) {
        std::printf("files kept in %s\n", dir.c_str());
    } else {
        fs::remove_all(dir);
    }
    return status;
}
