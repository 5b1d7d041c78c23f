// What the database and list benchmarks share: wall-clock seconds, the best of three runs, and
// running a peer program such as the sqlite3 shell.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace fonerix::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The best of three runs, which keeps a neighbour's burst on a shared machine out of the figure.
inline double Best(const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

// Runs a program found on PATH, its standard output to /dev/null when `quiet`; its exit code, or
// -1 when it could not be started or did not exit.
inline int Run(const std::vector<std::string>& argv, bool quiet = true) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace fonerix::bench
