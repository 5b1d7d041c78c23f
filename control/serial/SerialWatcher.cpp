// The line-event watcher of CSerialPort: a thread that waits for the set's frame-start byte,
// reads the frame and hands the event synchronously to the notify window. When it runs is
// WatcherGate's decision; this file is how it is made, run, rested and ended.

#include <poll.h>

#include <cstdint>

#include <system_error>

#include "control/serial/EventFrame.h"
#include "control/serial/NotifyWindow.h"
#include "control/serial/SerialPort.h"
#include "control/serial/WatcherState.h"
#include "platform/automation/Unknown.h"

namespace fonerix {

// The watcher's reads of a frame: like the owner's, but they give up as soon as the owner wants
// the line back, so that RestWatcher never waits for a frame that stopped arriving.
class CSerialPort::WatcherSource final : public ByteSource {
  public:
    WatcherSource(CSerialPort& port, WatcherState& state) : m_port(port), m_state(state) {}
    uint32_t BytesWaiting() override { return m_port.BytesWaiting(); }
    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override {
        return m_port.ReadFromLine(buffer, count, received, &m_state);
    }

  private:
    CSerialPort& m_port;
    WatcherState& m_state;
};

void CSerialPort::SetNotifyWindow(INotifyWindow* window) {
    m_notifyWindow = window;
    if (m_watcher) {
        std::lock_guard lock(m_watcher->mutex);
        m_watcher->notifyWindow = window;
    }
}

bool CSerialPort::CreateWatcher() {
    if (m_watcher) {
        return true;
    }
    if (!IsOpen()) {
        return false;
    }
    auto state = std::make_shared<WatcherState>();
    if (state->wakeFd < 0) {
        return false;
    }
    state->notifyWindow = m_notifyWindow;
    try {
        m_watcherThread = std::thread(&CSerialPort::WatchLine, this, state);
    } catch (const std::system_error&) {
        return false;
    }
    m_watcher = std::move(state);
    m_watcherSuspended = true;
    return true;
}

void CSerialPort::RunWatcher() {
    if (!IsOpen() || !m_watcher || !m_watcherSuspended) {
        return;
    }
    {
        std::lock_guard lock(m_watcher->mutex);
        m_watcher->runRequested = true;
    }
    m_watcher->changed.notify_all();
    m_watcherSuspended = false;
}

void CSerialPort::RestWatcher() {
    if (!IsOpen() || !m_watcher || m_watcherSuspended) {
        return;
    }
    WatcherState& w = *m_watcher;
    {
        std::lock_guard lock(w.mutex);
        w.runRequested = false;
    }
    w.Wake();
    std::unique_lock lock(w.mutex);
    w.changed.wait(lock, [&] { return w.atRest || w.inNotify || w.exited; });
    m_watcherSuspended = true;
}

void CSerialPort::EndWatcher() {
    if (!m_watcher) {
        return;
    }
    WatcherState& w = *m_watcher;
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
        ModuleAdoptThread(std::move(m_watcherThread), [state = m_watcher] {
            std::lock_guard lock(state->mutex);
            return state->exited.load();
        });
    } else {
        m_watcherThread.join();
    }
    m_watcher.reset();
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
            pollfd fds[2] = {{lineGone ? -1 : m_fd, POLLIN, 0}, {w.wakeFd, POLLIN, 0}};
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
        w.changed.notify_all();  // a RestWatcher waiting for the line may go on
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
