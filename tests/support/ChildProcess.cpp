#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace fonerix::test {

namespace {

using Clock = std::chrono::steady_clock;
using fonerix::sim::UniqueFd;

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

Pipe MakePipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create a pipe");
    }
    return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads what `fd` has within the deadline into `into`; false once the writer has closed it.
bool ReadSome(int fd, std::string& into, Clock::time_point deadline) {
    pollfd watch{fd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, MillisecondsLeft(deadline));
    if (ready <= 0) {
        return ready < 0 && errno == EINTR;
    }
    char buffer[4096];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0) {
        return errno == EINTR || errno == EAGAIN;
    }
    into.append(buffer, static_cast<std::size_t>(count));
    return count > 0;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           bool capture_standard_error) {
    Pipe output = MakePipe();
    Pipe error;
    if (capture_standard_error) {
        error = MakePipe();
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.write.Get(), STDOUT_FILENO);
    if (capture_standard_error) {
        posix_spawn_file_actions_adddup2(&actions, error.write.Get(), STDERR_FILENO);
    }
    // The child starts with no signal blocked and the default handlers, whatever the test has.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const int failure =
        ::posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        m_pid = -1;
        throw std::system_error(failure, std::generic_category(), "cannot start " + program);
    }
    standard_output_ = std::move(output.read);
    standard_error_ = std::move(error.read);
    // The child is ours and not yet reaped, so its pid cannot have been reused.
    // Through syscall(): glibc 2.36 declares pidfd_open without C linkage for C++.
    exit_watch_.Reset(static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0)));
    if (!exit_watch_) {
        const int open_error = errno;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        throw std::system_error(open_error, std::generic_category(),
                                "cannot watch process " + std::to_string(m_pid));
    }
}

ChildProcess::~ChildProcess() {
    if (!m_status) {
        Stop(std::chrono::seconds(10));
    }
}

std::optional<std::string> ChildProcess::ReadOutputLine(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        const std::size_t end = output_buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = output_buffer_.substr(0, end);
            output_buffer_.erase(0, end + 1);
            return line;
        }
        if (Clock::now() >= deadline ||
            !ReadSome(standard_output_.Get(), output_buffer_, deadline)) {
            return std::nullopt;
        }
    }
}

std::string ChildProcess::ReadAllStandardError(std::chrono::milliseconds limit) {
    std::string text;
    const auto deadline = Clock::now() + limit;
    while (standard_error_ && Clock::now() < deadline &&
           ReadSome(standard_error_.Get(), text, deadline)) {
    }
    return text;
}

bool ChildProcess::Exited(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    pollfd watch{exit_watch_.Get(), POLLIN, 0};
    while (true) {
        const int ready = ::poll(&watch, 1, MillisecondsLeft(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
    if (m_status) {
        return *m_status;
    }
    if (!Exited(limit)) {
        ::kill(m_pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_status = status;
    return status;
}

int ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!m_status) {
        ::kill(m_pid, SIGTERM);
    }
    return Wait(grace);
}

}  // namespace fonerix::test
