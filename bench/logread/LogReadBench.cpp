// Reads the full outgoing and incoming logs of a type-5 and a type-1 set, the simulated set
// pacing its line at the real speed, through the registered control and the wrapper: once into
// a throwaway SQLite FNDB as the client does (name lookup, duplicate check, insert, batched
// transactions), and once through the control alone. The difference is what the database adds
// to a reading the user waits for; the goal is under 5 %. Runs alternate, best of three each.
// Arguments: the device types to read (default 5 and 1).
// The phone book is empty and no reference file is listed, so every lookup finds nothing.

#include <dlfcn.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/common/Timing.h"
#include "client/data/DataSource.h"
#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/DeviceListReading.h"
#include "client/data/Progress.h"
#include "client/device/Fonerix.h"
#include "platform/automation/Bstr.h"
#include "platform/automation/HResult.h"
#include "platform/profile/ProfileFile.h"
#include "tests/support/SimProcess.h"
#include "tools/fndb-setup/DataSourceSetup.h"

#ifndef FONERIX_LIBRARY_PATH
#error "FONERIX_LIBRARY_PATH must name the built libfonerix.so"
#endif

namespace {

namespace fs = std::filesystem;
using fonerix::bench::Clock;
using fonerix::bench::Seconds;

// More calls than either log holds, so both logs are full.
constexpr const char* kGenerate = "11:400";
constexpr double kGoal = 0.05;

class CNoProgress : public fonedesk::IProgress {
  public:
    void SetProgressText(std::string_view) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessOneEvent() override {}
};

void RegisterControl() {
    void* library = ::dlopen(FONERIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        throw std::runtime_error(std::string("cannot load the control: ") + ::dlerror());
    }
    using Entry = fonerix::HRESULT (*)();
    auto* entry = reinterpret_cast<Entry>(::dlsym(library, "DllRegisterServer"));
    if (entry == nullptr || entry() != fonerix::S_OK) {
        throw std::runtime_error("the control could not be registered");
    }
}

// Both logs to their ends through the control alone; the calls in use.
int ReadThroughControl(fonedesk::CFonerix& fonerix) {
    int calls = 0;
    fonerix.WakeupDevice(true);
    for (auto step : {&fonedesk::CFonerix::GetOutcomeBook, &fonedesk::CFonerix::GetIncomeBook}) {
        for (;;) {
            fonerix::PHBOOKRECORD record{};
            const bool more = (fonerix.*step)(&record);
            fonerix::SysFreeString(record.Phone);
            if (!more) {
                break;
            }
            calls += record.inUse != 0 ? 1 : 0;
        }
    }
    fonerix.SleepDevice();
    return calls;
}

int Run(int type, const fs::path& dir, fonedesk::CDatabase& db) {
    fonerix::test::SimProcess set({.type = type, .pace = true, .generate = kGenerate});
    setenv("FONERIX_COM1", set.LinkPath().c_str(), 1);
    fonedesk::CFonerix fonerix;
    fonerix::CreateFailure failure;
    if (!fonerix.CreateControl(nullptr, nullptr, failure)) {
        std::fprintf(stderr, "the control was not created: %s\n", failure.message.c_str());
        return 1;
    }
    fonerix::DEVICEINFO device{};
    const bool found = fonerix.LookForDevice(&device);
    fonerix::SysFreeString(device.Caption);
    if (!found) {
        std::fprintf(stderr, "no type-%d set found on %s\n", type, set.LinkPath().c_str());
        return 1;
    }
    const platform::ProfileFile profile(dir / "Fonedesk.INI");
    CNoProgress progress;

    double control = 1e30;
    double withDatabase = 1e30;
    int calls = 0;
    fonedesk::CallLogReading reading;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        calls = ReadThroughControl(fonerix);
        control = std::min(control, Seconds(Clock::now() - start));

        db.ExecuteSQL("DELETE FROM out_data");
        db.ExecuteSQL("DELETE FROM in_data");
        start = Clock::now();
        reading = fonedesk::ReadCallLogs(db, fonerix, profile, progress);
        withDatabase = std::min(withDatabase, Seconds(Clock::now() - start));
    }
    const int stored = reading.outgoing.stored + reading.incoming.stored;
    if (stored != calls || fonedesk::HasProblems(reading)) {
        std::fprintf(stderr, "type %d: %d calls read, %d stored:\n%s\n", type, calls, stored,
                     fonedesk::CallLogReadingMessage(reading).c_str());
        return 1;
    }
    const double added = withDatabase / control - 1.0;
    std::printf("  type %d  %5d  %9.2f s  %9.2f s  %+7.2f %%  %s\n", type, calls, control,
                withDatabase, added * 100.0, added < kGoal ? "met" : "NOT MET");
    fonerix.Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/var/tmp/fonedesk-logread-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    // A private home: the data source in its own odbc.ini, the control's registry in its own
    // config folder, and no serial port but the set's.
    fs::create_directories(dir / "config");
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    for (int port = 2; port <= 4; ++port) {
        setenv(("FONERIX_COM" + std::to_string(port)).c_str(), (dir / "no-port").c_str(), 1);
    }
    QCoreApplication app(argc, argv);

    int status = 0;
    try {
        RegisterControl();
        fonedesk::setup::SetupSqlite("FNDB", dir / "fonedesk.db");
        fonedesk::CDatabase db;
        std::string message;
        if (!fonedesk::OpenDataSource(db, &message)) {
            throw fonedesk::CDBException(message);
        }
        std::printf(
            "Full call logs of a set paced at its line speed, through the control and the wrapper\n"
            "(best of 3): the control alone, and into FNDB on %s as the client reads them\n",
            db.DbmsName().c_str());
        std::printf("  %-6s  %5s  %11s  %11s  %9s\n", "", "calls", "control", "+ database",
                    "added");
        std::vector<int> types;
        for (int i = 1; i < argc; ++i) {
            types.push_back(std::atoi(argv[i]));
        }
        if (types.empty()) {
            types = {5, 1};
        }
        for (const int type : types) {
            status |= Run(type, dir, db);
        }
        std::printf("Goal: the database adds under %.0f %% to the reading.\n", kGoal * 100.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "logread_bench: %s\n", e.what());
        status = 1;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return status;
}
