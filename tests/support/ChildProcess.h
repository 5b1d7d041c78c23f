// A child program run by a test: started with standard input from /dev/null and its output on
// pipes, stopped by its process id (never by name), waited for with deadlines (never a sleep).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "sim/io/UniqueFd.h"

namespace fonerix::test {

class ChildProcess {
  public:
    // Starts `program` with `arguments`. Standard output always goes to a pipe; standard error
    // too when `capture_standard_error`, else it is the test's own. Throws if it cannot start.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 bool capture_standard_error);
    // Stops the child if it is still running.
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // The next line of standard output, without its end; nothing when the output ended or the
    // deadline passed first.
    std::optional<std::string> ReadOutputLine(std::chrono::milliseconds limit);
    // Standard error up to its end or the deadline (captured children only).
    std::string ReadAllStandardError(std::chrono::milliseconds limit);

    // Waits up to `limit` for the child to exit on its own, then kills it. Returns the wait
    // status (see waitpid); later calls return the same status.
    int Wait(std::chrono::milliseconds limit);
    // SIGTERM, then Wait(grace).
    int Stop(std::chrono::milliseconds grace);

  private:
    bool Exited(std::chrono::milliseconds limit);

    pid_t m_pid = -1;
    fonerix::sim::UniqueFd exit_watch_;  // a pidfd: readable once the child has exited
    fonerix::sim::UniqueFd standard_output_;
    fonerix::sim::UniqueFd standard_error_;
    std::string output_buffer_;
    std::optional<int> m_status;
};

}  // namespace fonerix::test
