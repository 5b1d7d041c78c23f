#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "control/serial/SerialPort.h"

namespace fonerix {

class INotifyWindow;

// The handshake between the owner's thread and the watcher thread. The owner asks the
// watcher to run or to rest; the watcher rests only at points where it holds nothing of the
// line. It is shared so that a watcher still inside a notification when the port closes can
// find out, on its return, that it must end without touching the port.
struct CSerialPort::WatcherState {
    std::mutex mutex;
    std::condition_variable changed;
    // The flags change under `mutex`, which the condition variable needs; they are atomic as
    // well, so that a look at one from the other thread is never a data race, however it is made.
    std::atomic<bool> runRequested = false;  // the owner wants the watcher on the line
    std::atomic<bool> atRest = true;         // the watcher waits at the gate
    std::atomic<bool> inNotify =
        false;                       // the watcher is blocked in SendMessage, away from the line
    std::atomic<bool> stop = false;  // the port is closing: end the thread
    std::atomic<bool> exited = false;
    INotifyWindow* notifyWindow = nullptr;
    // Wakes the watcher out of a wait on the line.
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

    WatcherState() = default;
    WatcherState(const WatcherState&) = delete;
    WatcherState& operator=(const WatcherState&) = delete;
    ~WatcherState() {
        if (wakeFd >= 0) {
            ::close(wakeFd);
        }
    }

    void Wake() const {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
    void DrainWake() const {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
    }
    // Called by the watcher after a wake-up: whether the owner wants the line back.
    bool MustLeaveLine() {
        DrainWake();
        std::lock_guard lock(mutex);
        return !runRequested || stop;
    }
};

}  // namespace fonerix
