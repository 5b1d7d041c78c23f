// The line-event watcher of CSerialPort: a thread that waits for the set's frame-start byte,
// reads the frame and hands the event synchronously to the notify window.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include <algorithm>
#include <system_error>

#include "control/serial/ByteTrace.h"
#include "control/serial/EventFrame.h"
#include "control/serial/NotifyWindow.h"
#include "control/serial/SerialClock.h"
#include "control/serial/SerialPort.h"
#include "control/serial/WatcherState.h"
#include "platform/automation/Unknown.h"

namespace fonerix {

// The watcher's reads of a frame: like the owner's, but they give up as soon as the owner wants
// the line back, so that StopWatcher never waits for a frame that stopped arriving.
class CSerialPort::WatcherSource final : public ByteSource {
  public:
    WatcherSource(CSerialPort& port, WatcherState& state) : port_(port), state_(state) {}
    uint32_t BytesWaiting() override { return port_.BytesWaiting(); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override {
        return port_.ReadFromLine(buffer, count, received, &state_);
    }

  private:
    CSerialPort& port_;
    WatcherState& state_;
};

bool CSerialPort::ReadFromLine(uint8_t* buffer, uint32_t count, uint32_t& received,
                               WatcherState* interruptible) {
    received = 0;
    if (!IsOpen()) {
        return false;
    }
    received = TakePending(buffer, count);
    if (received == count) {
        return true;
    }
    const CommTimeouts t = timeouts_;
    // The special setting "return at once with what is there".
    const bool immediate =
        t.readInterval == UINT32_MAX && t.readMultiplier == 0 && t.readConstant == 0;
    const uint64_t totalMs = ReadTotalMs(t, count);
    const Deadline deadline(immediate ? 0 : (totalMs > 0 ? totalMs : ReadWaitLimitMs(t, count)));
    auto lastByte = Deadline::Clock::now();

    pollfd fds[2] = {{fd_, POLLIN, 0}, {interruptible ? interruptible->wakeFd : -1, POLLIN, 0}};
    while (received < count) {
        ssize_t n = ::read(fd_, buffer + received, count - received);
        if (n > 0) {
            ByteTrace::Bytes(port_, '<', buffer + received, static_cast<uint32_t>(n));
            received += static_cast<uint32_t>(n);
            lastByte = Deadline::Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;  // the line is gone
        }
        if (immediate) {
            return true;
        }
        Deadline wait = deadline;
        if (t.readInterval > 0 && received > 0) {
            wait = Deadline(
                std::min(deadline.End(), lastByte + std::chrono::milliseconds(t.readInterval)));
            if (wait.Passed()) {
                return true;  // the gap between bytes ended the read
            }
        }
        const int ready = WaitFor(fds, 2, wait);
        if (ready < 0) {
            return false;
        }
        if (ready == 0) {
            if (deadline.Passed()) {
                break;
            }
            continue;
        }
        if (fds[1].revents != 0 && interruptible->MustLeaveLine()) {
            return false;
        }
        if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0 ||
            (fds[0].revents & (POLLHUP | POLLIN)) == POLLHUP) {
            return false;
        }
    }
    // Short reads complete like a serial driver's total time-out; without one the host's own
    // wait limit has passed, which is a failure.
    return received == count || totalMs > 0;
}

void CSerialPort::SetNotifyWindow(INotifyWindow* window) {
    notifyWindow_ = window;
    if (watcher_) {
        std::lock_guard lock(watcher_->mutex);
        watcher_->notifyWindow = window;
    }
}

void CSerialPort::StartWatcher(bool create) {
    if (!IsOpen()) {
        return;
    }
    bool created = false;
    if (!watcher_) {
        if (!create || EventsDisabled()) {
            if (!HeldByExchange()) {
                Purge();
            }
            return;
        }
        auto state = std::make_shared<WatcherState>();
        if (state->wakeFd < 0) {
            return;
        }
        state->notifyWindow = notifyWindow_;
        try {
            watcherThread_ = std::thread(&CSerialPort::WatchLine, this, state);
        } catch (const std::system_error&) {
            return;
        }
        watcher_ = std::move(state);
        watcherSuspended_ = true;
        created = true;
    }
    if (HeldByExchange() || !watcherSuspended_ || EventsDisabled()) {
        return;
    }
    // A new watcher never listened: whatever waits is from before events were wanted.
    if (TakeInputStale() || created) {
        Purge();
    }
    {
        std::lock_guard lock(watcher_->mutex);
        watcher_->runRequested = true;
    }
    watcher_->changed.notify_all();
    watcherSuspended_ = false;
}

void CSerialPort::StopWatcher() {
    if (!IsOpen() || !watcher_ || watcherSuspended_) {
        return;
    }
    WatcherState& w = *watcher_;
    {
        std::lock_guard lock(w.mutex);
        w.runRequested = false;
    }
    w.Wake();
    std::unique_lock lock(w.mutex);
    w.changed.wait(lock, [&] { return w.atRest || w.inNotify || w.exited; });
    watcherSuspended_ = true;
}

void CSerialPort::EndWatcher() {
    if (!watcher_) {
        return;
    }
    WatcherState& w = *watcher_;
    bool stillNotifying = false;
    {
        std::lock_guard lock(w.mutex);
        w.stop = true;
    }
    w.changed.notify_all();
    w.Wake();
    {
        std::unique_lock lock(w.mutex);
        w.changed.wait(lock, [&] { return w.exited || w.inNotify; });
        stillNotifying = !w.exited;
    }
    // A watcher inside a notification (the handler closed the port) ends on its own as soon as
    // the handler returns, without touching the port again. Joining it here would wait for the
    // handler that called us; the module joins it once it has ended and stays loaded till then.
    if (stillNotifying) {
        ModuleAdoptThread(std::move(watcherThread_), [state = watcher_] {
            std::lock_guard lock(state->mutex);
            return state->exited.load();
        });
    } else {
        watcherThread_.join();
    }
    watcher_.reset();
}

void CSerialPort::WatchLine(std::shared_ptr<WatcherState> state) {
    WatcherState& w = *state;
    WatcherSource source(*this, w);
    DeviceEvent event;
    bool lineGone = false;
    for (;;) {
        {
            std::unique_lock lock(w.mutex);
            if (!w.runRequested && !w.stop) {
                w.atRest = true;
                w.changed.notify_all();
                w.changed.wait(lock, [&] { return w.runRequested || w.stop; });
                lineGone = false;
            }
            if (w.stop) {
                w.exited = true;
                w.changed.notify_all();
                return;
            }
            w.atRest = false;
        }

        if (!PendingHasFrameStart()) {
            pollfd fds[2] = {{lineGone ? -1 : fd_, POLLIN, 0}, {w.wakeFd, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                continue;
            }
            if (fds[1].revents != 0) {
                w.DrainWake();
                continue;
            }
            if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 &&
                (fds[0].revents & POLLIN) == 0) {
                lineGone = true;  // wait for the owner instead of spinning on a dead line
                continue;
            }
            if (!TakeFromLine()) {
                lineGone = true;
            }
            if (!PendingHasFrameStart()) {
                continue;
            }
        }

        if (!ReadEvent(source, event)) {
            continue;
        }
        INotifyWindow* window = nullptr;
        {
            std::lock_guard lock(w.mutex);
            if (w.stop) {
                continue;
            }
            // A frame read in full is delivered even if the owner has meanwhile asked for the
            // line: the watcher no longer needs it, and a call must not be lost.
            window = w.notifyWindow;
            w.inNotify = true;
        }
        w.changed.notify_all();  // a StopWatcher waiting for the line may go on
        if (window != nullptr) {
            window->SendMessage(kDeviceEventMessage, event.code,
                                event.digitCount != 0 ? reinterpret_cast<intptr_t>(event.text) : 0);
        }
        {
            std::lock_guard lock(w.mutex);
            w.inNotify = false;
            if (w.stop) {
                w.exited = true;
                w.changed.notify_all();
                return;
            }
        }
        w.changed.notify_all();
    }
}

}  // namespace fonerix
