#include "control/serial/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include "control/serial/ByteTrace.h"
#include "control/serial/PortPath.h"
#include "control/serial/SerialClock.h"
#include "control/serial/WatcherState.h"

namespace fonerix {

namespace {

bool BaudToSpeed(uint32_t baud, speed_t& speed) {
    switch (baud) {
        case 1200:
            speed = B1200;
            return true;
        case 2400:
            speed = B2400;
            return true;
        case 4800:
            speed = B4800;
            return true;
        case 9600:
            speed = B9600;
            return true;
        case 19200:
            speed = B19200;
            return true;
        case 38400:
            speed = B38400;
            return true;
        case 57600:
            speed = B57600;
            return true;
        case 115200:
            speed = B115200;
            return true;
        case 230400:
            speed = B230400;
            return true;
        default:
            return false;
    }
}

// A terminal must never hold on to input the watcher left behind: unread bytes beyond this are
// old noise, and the oldest are dropped.
constexpr size_t kMaxPending = 4096;

}  // namespace

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::Open(uint8_t port, uint32_t baud) {
    if (IsOpen() && m_port == port) {
        if (m_baud == baud) {
            return true;
        }
        if (Configure(baud)) {
            m_baud = baud;
            return true;
        }
    }
    Close();

    const std::string path = ComPortPath(port);
    if (path.empty()) {
        m_lastOpenError = ENOENT;
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastOpenError = errno;
        ByteTrace::Note(port, "open " + path + " failed, errno " + std::to_string(errno));
        return false;
    }
    if (!::isatty(fd)) {
        m_lastOpenError = ENOTTY;
        ::close(fd);
        return false;
    }
    // Keep other programs off the line while we own it; root is not kept off, which is harmless.
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_port = port;
    if (!Configure(baud)) {
        // A terminal we cannot set up is of no use; do not keep it open half-configured.
        m_lastOpenError = errno != 0 ? errno : EINVAL;
        CloseHandle();
        return false;
    }
    m_lastOpenError = 0;
    m_baud = baud;
    ByteTrace::Note(port, "open " + path + " at " + std::to_string(baud));
    return true;
}

bool CSerialPort::Configure(uint32_t baud) {
    if (!IsOpen()) {
        return false;
    }
    speed_t speed{};
    if (!BaudToSpeed(baud, speed)) {
        errno = EINVAL;
        return false;
    }
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0 ||
        ::tcsetattr(m_fd, TCSANOW, &settings) != 0) {
        return false;
    }
    // The set draws on RTS and must see DTR low. A pseudo-terminal has no modem lines, so a
    // refusal here is not an error.
    int rts = TIOCM_RTS;
    int dtr = TIOCM_DTR;
    ::ioctl(m_fd, TIOCMBIS, &rts);
    ::ioctl(m_fd, TIOCMBIC, &dtr);
    m_timeouts = kDefaultTimeouts;
    return true;
}

bool CSerialPort::Close() {
    EndWatcher();
    CloseHandle();
    m_watcherSuspended = true;
    return true;
}

void CSerialPort::CloseHandle() {
    if (m_fd < 0) {
        return;
    }
    // The line keeps our settings after close. Putting the old speed back would apply it at
    // once, while the last bytes written (a flash write's data, the sleep command) may still
    // be on their way: the set would get them at the wrong speed and store nothing.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
    ByteTrace::Note(m_port, "close");
}

bool CSerialPort::SetTimeouts(int32_t readInterval, int32_t readMultiplier, int32_t readConstant,
                              int32_t writeMultiplier, int32_t writeConstant) {
    if (!IsOpen()) {
        return false;
    }
    m_timeouts.Update(readInterval, readMultiplier, readConstant, writeMultiplier, writeConstant);
    return true;
}

uint32_t CSerialPort::TakePending(uint8_t* buffer, uint32_t count) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, m_pending.size()));
    std::copy_n(m_pending.begin(), n, buffer);
    m_pending.erase(m_pending.begin(), m_pending.begin() + n);
    return n;
}

bool CSerialPort::Read(uint8_t* buffer, uint32_t count, uint32_t& received) {
    return ReadFromLine(buffer, count, received, nullptr);
}

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
    const CommTimeouts t = m_timeouts;
    // The special setting "return at once with what is there".
    const bool immediate =
        t.readInterval == UINT32_MAX && t.readMultiplier == 0 && t.readConstant == 0;
    const uint64_t totalMs = ReadTotalMs(t, count);
    const Deadline deadline(immediate ? 0 : (totalMs > 0 ? totalMs : ReadWaitLimitMs(t, count)));
    auto lastByte = Deadline::Clock::now();

    pollfd fds[2] = {{m_fd, POLLIN, 0}, {interruptible ? interruptible->wakeFd : -1, POLLIN, 0}};
    while (received < count) {
        ssize_t n = ::read(m_fd, buffer + received, count - received);
        if (n > 0) {
            ByteTrace::Bytes(m_port, '<', buffer + received, static_cast<uint32_t>(n));
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

bool CSerialPort::Write(const uint8_t* data, uint32_t count, uint32_t& sent) {
    sent = 0;
    if (!IsOpen()) {
        return false;
    }
    const uint64_t limitMs = WriteWaitLimitMs(m_timeouts, count);
    const Deadline deadline(limitMs);
    while (sent < count) {
        const ssize_t n = ::write(m_fd, data + sent, count - sent);
        if (n > 0) {
            ByteTrace::Bytes(m_port, '>', data + sent, static_cast<uint32_t>(n));
            sent += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;
        }
        pollfd out{m_fd, POLLOUT, 0};
        const int ready = WaitFor(&out, 1, deadline);
        if (ready == 0) {
            break;
        }
        if (ready < 0 || (out.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return false;
        }
    }
    if (sent == count && WaitForOutputSent(deadline)) {
        return true;
    }
    // The time-out passed: take back what has not left yet, so that nothing of this write goes
    // out later, and complete, like a serial driver, with what actually left. Bytes that leave
    // between the count and the flush are not counted: the report errs on the short side.
    sent -= std::min(sent, OutputQueued());
    ::tcflush(m_fd, TCOFLUSH);
    return limitMs > 0;
}

uint32_t CSerialPort::OutputQueued() {
    int queued = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
        return 0;
    }
    return static_cast<uint32_t>(queued);
}

bool CSerialPort::WaitForOutputSent(const Deadline& deadline) {
    // A byte takes ten bit times on the line; wait about as long as the queue needs, not in
    // polls of a fixed length. A pseudo-terminal reports an empty queue at once.
    for (;;) {
        const uint32_t queued = OutputQueued();
        if (queued == 0) {
            return true;
        }
        if (deadline.Passed()) {
            return false;
        }
        const auto lineTime = std::chrono::microseconds(uint64_t{10'000'000} * queued /
                                                        (m_baud != 0 ? m_baud : 9600));
        std::this_thread::sleep_for(
            std::min<Deadline::Clock::duration>(lineTime, deadline.Remaining()));
    }
}

bool CSerialPort::Purge() {
    if (!IsOpen()) {
        return false;
    }
    m_pending.clear();
    // Output is not thrown away: a write returns only once its bytes have left, so the queue
    // holds nothing of ours, and a pseudo-terminal would drop bytes the set has not read yet.
    return ::tcflush(m_fd, TCIFLUSH) == 0;
}

bool CSerialPort::TransmitChar(uint8_t value) {
    if (!IsOpen()) {
        return false;
    }
    // A terminal has no output queue of ours to jump: the byte goes out now.
    for (;;) {
        const ssize_t n = ::write(m_fd, &value, 1);
        if (n == 1) {
            ByteTrace::Bytes(m_port, '>', &value, 1);
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
}

uint32_t CSerialPort::BytesWaiting() {
    if (!IsOpen()) {
        return 0;
    }
    int queued = 0;
    if (::ioctl(m_fd, FIONREAD, &queued) != 0 || queued < 0) {
        queued = 0;
    }
    return static_cast<uint32_t>(queued) + static_cast<uint32_t>(m_pending.size());
}

void CSerialPort::ClearLineErrors() {
    if (IsOpen()) {
        ::ioctl(m_fd, TIOCCBRK);
    }
}

void CSerialPort::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool CSerialPort::TakeFromLine() {
    uint8_t chunk[512];
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0) {
            ByteTrace::Bytes(m_port, '<', chunk, static_cast<uint32_t>(n));
            m_pending.insert(m_pending.end(), chunk, chunk + n);
            if (m_pending.size() > kMaxPending) {
                m_pending.erase(m_pending.begin(), m_pending.end() - kMaxPending);
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A raw terminal with nothing to give answers 0 (or EAGAIN); EIO means the other end
        // is gone.
        return n == 0 || errno == EAGAIN;
    }
}

bool CSerialPort::PendingHasFrameStart() const {
    return std::find(m_pending.begin(), m_pending.end(), uint8_t{0xFF}) != m_pending.end();
}

}  // namespace fonerix
