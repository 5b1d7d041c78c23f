#include "tests/support/SimProcess.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef FONERIX_SIM_PATH
#error "FONERIX_SIM_PATH must name the fonerix-sim program"
#endif

namespace fonerix::test {

namespace {

using Clock = std::chrono::steady_clock;

// Generous: a loaded two-core machine running sanitizer builds can be slow to start a process.
constexpr std::chrono::seconds kStartLimit{30};
constexpr std::chrono::seconds kReplyLimit{20};
constexpr std::chrono::seconds kStopLimit{20};

std::vector<std::string> ArgumentsOf(const SimOptions& options, const std::string& link,
                                     const std::string& control) {
    std::vector<std::string> arguments{"--link", link,     "--control",
                                       control,  "--type", std::to_string(options.type)};
    if (options.pace) {
        arguments.push_back("--pace");
    }
    for (const std::string& fault : options.faults) {
        arguments.push_back("--fault");
        arguments.push_back(fault);
    }
    if (!options.image.empty()) {
        arguments.push_back("--image");
        arguments.push_back(options.image);
    }
    if (!options.scenario.empty()) {
        arguments.push_back("--scenario");
        arguments.push_back(options.scenario);
    }
    if (!options.generate.empty()) {
        arguments.push_back("--generate");
        arguments.push_back(options.generate);
    }
    arguments.insert(arguments.end(), options.extra_args.begin(), options.extra_args.end());
    return arguments;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

const char* SimProcess::ProgramPath() {
    return FONERIX_SIM_PATH;
}

SimProcess::SimProcess(SimOptions options)
    : m_directory("fonerix-sim"),
      link_path_(options.link.empty() ? m_directory.File("line") : options.link),
      control_path_(m_directory.File("control")),
      m_child(ProgramPath(), ArgumentsOf(options, link_path_, control_path_), false) {
    const std::optional<std::string> line = m_child.ReadOutputLine(kStartLimit);
    if (line != "ready " + link_path_) {
        const int code = ExitCodeOf(m_child.Stop(kStopLimit));
        throw std::runtime_error("fonerix-sim did not become ready (" +
                                 (line ? "it said '" + *line + "'" : std::string("no ready line")) +
                                 ", exit code " + std::to_string(code) + ")");
    }
}

std::string SimProcess::Command(std::string_view line) {
    if (!m_control) {
        m_control.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, control_path_.c_str(), sizeof address.sun_path - 1);
        if (!m_control || ::connect(m_control.Get(), reinterpret_cast<const sockaddr*>(&address),
                                    sizeof address) != 0) {
            const std::string why = std::strerror(errno);
            m_control.Reset();
            throw std::runtime_error("cannot connect to " + control_path_ + ": " + why);
        }
    }
    const std::string request = std::string(line) + "\n";
    if (::send(m_control.Get(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        throw std::runtime_error("cannot send '" + std::string(line) + "' to fonerix-sim");
    }
    std::string reply;
    const auto deadline = Clock::now() + kReplyLimit;
    while (true) {
        // One reply per request, so everything up to the first line end is this reply.
        const std::size_t end = reply.find('\n');
        if (end != std::string::npos) {
            return reply.substr(0, end);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd watch{m_control.Get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
            throw std::runtime_error("no reply from fonerix-sim to '" + std::string(line) + "'");
        }
        char buffer[512];
        const ssize_t count = ::recv(m_control.Get(), buffer, sizeof buffer, 0);
        if (count <= 0) {
            throw std::runtime_error("fonerix-sim closed the control socket after '" +
                                     std::string(line) + "'");
        }
        reply.append(buffer, static_cast<std::size_t>(count));
    }
}

std::string SimProcess::WaitForStatus(std::string_view text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    auto pause = std::chrono::microseconds(100);
    while (true) {
        std::string status = Command("status");
        if (status.find(text) != std::string::npos) {
            return status;
        }
        if (Clock::now() >= deadline) {
            throw std::runtime_error("fonerix-sim's status never showed '" + std::string(text) +
                                     "'; last: " + status);
        }
        // Back off a little between polls so that waiting does not starve the simulator.
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20'000));
    }
}

std::string SimProcess::DumpLists() {
    const std::string path = m_directory.File("lists.txt");
    const std::string reply = Command("dump lists " + path);
    if (reply.rfind("ok", 0) != 0) {
        throw std::runtime_error("fonerix-sim did not dump its lists: " + reply);
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

int SimProcess::Stop() {
    m_control.Reset();
    return ExitCodeOf(m_child.Stop(kStopLimit));
}

SimRun RunSimToExit(const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
    ChildProcess child(SimProcess::ProgramPath(), arguments, true);
    SimRun run{};
    const auto deadline = Clock::now() + limit;
    const auto left = [deadline] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    };
    while (const auto line = child.ReadOutputLine(left())) {
        run.standard_output += *line + "\n";
    }
    run.standard_error = child.ReadAllStandardError(left());
    run.exit_code = ExitCodeOf(child.Wait(left()));
    return run;
}

}  // namespace fonerix::test
