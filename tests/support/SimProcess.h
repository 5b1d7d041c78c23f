// A simulated telephone set (the fonerix-sim program) run for one test: started on a fresh
// link path, waited for until it says it is ready, commanded over its control socket, stopped
// by its process id when the test is done.
//
//     SimProcess sim({.type = 5});
//     setenv("FONERIX_COM1", sim.LinkPath().c_str(), 1);
//     sim.Command("call 0123");
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "sim/io/UniqueFd.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryDirectory.h"

namespace fonerix::test {

// Every member has a default member initializer, so that SimProcess sim({.type = 5}) names only
// what it changes without a missing-initializer warning.
struct SimOptions {
    int type = 5;                           // device type 0 to 8
    bool pace = false;                      // bytes at the real line speed
    std::vector<std::string> faults{};      // as for --fault: "silent", "drop=7", "deep-sleep"...
    std::string image{};                    // image file to keep the set in; empty for none
    std::vector<std::string> extra_args{};  // passed on as they are, e.g. {"--trace", path}
    std::string link{};                     // where to link the line; empty for a fresh path
    std::string scenario{};                 // scenario file the set is made from; empty for none
    std::string generate{};                 // "SEED" or "SEED:COUNT" for generated content
};

class SimProcess {
  public:
    // Starts the simulator and waits (up to a generous deadline) for its ready line. Throws
    // std::runtime_error when it does not come up; its own error message is on standard error.
    explicit SimProcess(SimOptions options = {});
    // Stops it (SIGTERM, SIGKILL after a deadline) if Stop was not called.
    ~SimProcess() = default;

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The path the host opens as its serial port.
    const std::string& LinkPath() const { return link_path_; }
    const std::string& ControlPath() const { return control_path_; }
    pid_t Pid() const { return m_child.Pid(); }

    // Sends one command line and returns the reply line ("ok", "ok ...", "error: ...").
    // Throws std::runtime_error if no reply comes.
    std::string Command(std::string_view line);

    // Repeats `status` until its reply contains `text`, and returns that reply; throws when the
    // deadline passes first. For waiting on what the set has seen, e.g. "received=2" or
    // "dialled=\"0123\"", instead of sleeping.
    std::string WaitForStatus(std::string_view text,
                              std::chrono::milliseconds limit = std::chrono::seconds(20));

    // Everything the set's lists hold now, one entry a line, as `dump lists` writes it (see
    // docs/simulator.md). Throws std::runtime_error when the set does not write it.
    std::string DumpLists();

    // Stops the simulator (SIGTERM; SIGKILL if it has not ended after a deadline) and returns
    // its exit code, or 128 + the signal that ended it.
    int Stop();

    // The fonerix-sim program the tests were built with.
    static const char* ProgramPath();

  private:
    TemporaryDirectory m_directory;
    std::string link_path_;
    std::string control_path_;
    ChildProcess m_child;
    fonerix::sim::UniqueFd m_control;
};

// The outcome of a run of the simulator to its end (bad arguments, --help).
struct SimRun {
    int exit_code;  // or 128 + signal
    std::string standard_output;
    std::string standard_error;
};

SimRun RunSimToExit(const std::vector<std::string>& arguments,
                    std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace fonerix::test
