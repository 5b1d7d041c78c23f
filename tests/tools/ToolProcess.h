// A command-line tool run by a test with an environment of its own: its standard output and
// error captured, lines awaited with deadlines (never a sleep), stopped by its process id.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fonerix::test {

struct ToolResult {
    int exitCode = -1;  // or 128 + the signal that ended it
    std::string out;
    std::string err;
};

class ToolProcess {
  public:
    // `env` is added to (and overrides) the test's own environment.
    ToolProcess(const std::string& program, const std::vector<std::string>& args,
                const std::map<std::string, std::string>& env);
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // Reads until a line of standard output (or error) holds `text`; returns that line, or
    // nothing when the stream ended or the deadline passed first.
    std::optional<std::string> WaitForOutput(const std::string& text,
                                             std::chrono::milliseconds limit);
    std::optional<std::string> WaitForError(const std::string& text,
                                            std::chrono::milliseconds limit);
    void Signal(int signal);
    // Reads both streams to their end and waits for the exit, killing the tool when `limit`
    // passes first. Everything read so far is in the result.
    ToolResult Finish(std::chrono::milliseconds limit);

  private:
    // Reads what is there on both streams, waiting up to `limit`; false when both ended.
    bool Pump(std::chrono::milliseconds limit);
    std::optional<std::string> WaitFor(bool error, const std::string& text,
                                       std::chrono::milliseconds limit);

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_outText;
    std::string m_errText;
    size_t m_outSeen = 0;
    size_t m_errSeen = 0;
    std::optional<int> m_status;
};

// Runs a tool to its end.
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env,
                   std::chrono::milliseconds limit = std::chrono::seconds(90));

}  // namespace fonerix::test
