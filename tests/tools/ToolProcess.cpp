#include "tests/tools/ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace fonerix::test {

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

ToolProcess::ToolProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env) {
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (env.count(entry.substr(0, entry.find('='))) == 0) {
            envText.push_back(entry);
        }
    }
    for (const auto& [k, v] : env) {
        envText.push_back(k + "=" + v);
    }
    std::vector<char*> envp;
    for (std::string& s : envText) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argText) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    const int rc =
        ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    m_out = outPipe[0];
    m_err = errPipe[0];
    if (rc != 0) {
        ::close(m_out);
        ::close(m_err);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
}

ToolProcess::~ToolProcess() {
    if (!m_status && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
    if (m_err >= 0) {
        ::close(m_err);
    }
}

bool ToolProcess::Pump(std::chrono::milliseconds limit) {
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    int n = 0;
    for (const pollfd& f : fds) {
        n += f.fd >= 0 ? 1 : 0;
    }
    if (n == 0) {
        return false;
    }
    if (::poll(fds, 2, static_cast<int>(limit.count())) <= 0) {
        return true;
    }
    char buf[4096];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) {
            continue;
        }
        const ssize_t got = ::read(fds[i].fd, buf, sizeof buf);
        if (got > 0) {
            (i == 0 ? m_outText : m_errText).append(buf, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            ::close(fds[i].fd);
            (i == 0 ? m_out : m_err) = -1;
        }
    }
    return true;
}

std::optional<std::string> ToolProcess::WaitFor(bool error, const std::string& text,
                                                std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    std::string& all = error ? m_errText : m_outText;
    size_t& seen = error ? m_errSeen : m_outSeen;
    for (;;) {
        for (size_t nl; (nl = all.find('\n', seen)) != std::string::npos;) {
            const std::string line = all.substr(seen, nl - seen);
            seen = nl + 1;
            if (line.find(text) != std::string::npos) {
                return line;
            }
        }
        if (Remaining(end) == 0 || !Pump(std::chrono::milliseconds(Remaining(end)))) {
            return std::nullopt;
        }
    }
}

std::optional<std::string> ToolProcess::WaitForOutput(const std::string& text,
                                                      std::chrono::milliseconds limit) {
    return WaitFor(false, text, limit);
}

std::optional<std::string> ToolProcess::WaitForError(const std::string& text,
                                                     std::chrono::milliseconds limit) {
    return WaitFor(true, text, limit);
}

void ToolProcess::Signal(int signal) {
    if (!m_status) {
        ::kill(m_pid, signal);
    }
}

ToolResult ToolProcess::Finish(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Remaining(end) > 0 && Pump(std::chrono::milliseconds(Remaining(end)))) {
    }
    int status = 0;
    if (!m_status) {
        if (m_out >= 0 || m_err >= 0) {
            ::kill(m_pid, SIGKILL);  // still writing at the deadline
        }
        ::waitpid(m_pid, &status, 0);
        m_status = status;
    }
    ToolResult r;
    r.exitCode = WIFEXITED(*m_status) ? WEXITSTATUS(*m_status) : 128 + WTERMSIG(*m_status);
    r.out = m_outText;
    r.err = m_errText;
    return r;
}

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env, std::chrono::milliseconds limit) {
    ToolProcess tool(program, args, env);
    return tool.Finish(limit);
}

}  // namespace fonerix::test
