#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "control/serial/CommTimeouts.h"
#include "control/serial/SerialLink.h"
#include "control/serial/WatcherGate.h"

namespace fonerix {

class Deadline;

// One COM port on a POSIX terminal: raw 8N1, no flow control, RTS on and DTR off, reads and
// writes bounded by the port's time-outs, and the watcher thread that turns the set's
// unsolicited frames into kDeviceEventMessage calls to the notify window (SerialWatcher.cpp;
// when it runs is decided by a WatcherGate).
//
// Thread contract: every member is called from one thread, the owner's. The watcher thread
// touches the line only while it runs; RestWatcher returns once it has left the line alone, and
// Close returns once it will never touch the port again.
class CSerialPort : public SerialLink, public LineWatcher {
  public:
    CSerialPort();
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens COM `port` (see ComPortPath) or re-uses it: the same port at the same rate is left as
    // it is, another rate is set in place, another port is closed first.
    bool Open(uint8_t port, uint32_t baud) override;
    // Ends the watcher and closes the terminal. Always true.
    bool Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    // Line settings and the default time-outs on the open terminal.
    bool Configure(uint32_t baud);

    bool SetTimeouts(int32_t readInterval, int32_t readMultiplier, int32_t readConstant,
                     int32_t writeMultiplier, int32_t writeConstant) override;
    using SerialLink::SetTimeouts;
    const CommTimeouts& GetTimeouts() const { return m_timeouts; }

    bool Read(uint8_t* buffer, uint32_t count, uint32_t& received) override;
    bool Write(const uint8_t* data, uint32_t count, uint32_t& sent) override;
    bool Purge() override;
    bool TransmitChar(uint8_t value) override;
    uint32_t BytesWaiting() override;
    void ClearLineErrors() override;
    void Pause(std::chrono::milliseconds duration) override;

    LineWatcher* Watcher() override { return this; }
    void SetNotifyWindow(INotifyWindow* window) override;
    bool WatcherExists() const override { return m_watcher != nullptr; }
    bool CreateWatcher() override;
    bool WatcherRunning() const override { return !m_watcherSuspended; }
    void RunWatcher() override;
    void RestWatcher() override;

    uint8_t GetPort() const override { return m_port; }
    uint32_t GetBaudRate() const override { return m_baud; }
    int GetHandle() const { return m_fd; }
    // errno of the last failed open (ENOENT, EACCES, EBUSY, ENOTTY ...), 0 after a success.
    int LastOpenError() const { return m_lastOpenError; }
    // True while the watcher thread does not run (not started, stopped, or gone).
    bool WatcherSuspended() const { return m_watcherSuspended; }

  protected:
    // Bytes the terminal has accepted but not yet put on the line (0 when it cannot tell, as a
    // pseudo-terminal cannot).
    virtual uint32_t OutputQueued();

  private:
    struct WatcherState;
    class WatcherSource;

    void CloseHandle();
    bool ReadFromLine(uint8_t* buffer, uint32_t count, uint32_t& received,
                      WatcherState* interruptible);
    // Moves what the terminal holds into `m_pending` without waiting; false if the line is gone.
    bool TakeFromLine();
    uint32_t TakePending(uint8_t* buffer, uint32_t count);
    bool WaitForOutputSent(const Deadline& deadline);
    bool PendingHasFrameStart() const;
    void WatchLine(std::shared_ptr<WatcherState> state);
    void EndWatcher();

    INotifyWindow* m_notifyWindow = nullptr;
    std::shared_ptr<WatcherState> m_watcher;
    std::thread m_watcherThread;
    CommTimeouts m_timeouts{};
    bool m_watcherSuspended = true;
    uint8_t m_port = 0;
    uint32_t m_baud = 0;
    int m_fd = -1;
    int m_lastOpenError = 0;
    // Bytes taken off the terminal but not yet read: the watcher has to look at the input to
    // find a frame start, and nothing it looked at may be lost to the next reader.
    std::vector<uint8_t> m_pending;
};

}  // namespace fonerix
