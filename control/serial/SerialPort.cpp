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
    if (IsOpen() && port_ == port) {
        if (baud_ == baud) {
            return true;
        }
        if (Configure(baud)) {
            baud_ = baud;
            return true;
        }
    }
    Close();

    const std::string path = ComPortPath(port);
    if (path.empty()) {
        lastOpenError_ = ENOENT;
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastOpenError_ = errno;
        ByteTrace::Note(port, "open " + path + " failed, errno " + std::to_string(errno));
        return false;
    }
    if (!::isatty(fd)) {
        lastOpenError_ = ENOTTY;
        ::close(fd);
        return false;
    }
    // Keep other programs off the line while we own it; root is not kept off, which is harmless.
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    port_ = port;
    if (!Configure(baud)) {
        // A terminal we cannot set up is of no use; do not keep it open half-configured.
        lastOpenError_ = errno != 0 ? errno : EINVAL;
        CloseHandle();
        return false;
    }
    lastOpenError_ = 0;
    baud_ = baud;
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
    if (::tcgetattr(fd_, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &settings) != 0) {
        return false;
    }
    // The set draws on RTS and must see DTR low. A pseudo-terminal has no modem lines, so a
    // refusal here is not an error.
    int rts = TIOCM_RTS;
    int dtr = TIOCM_DTR;
    ::ioctl(fd_, TIOCMBIS, &rts);
    ::ioctl(fd_, TIOCMBIC, &dtr);
    timeouts_ = kDefaultTimeouts;
    return true;
}

bool CSerialPort::Close() {
    EndWatcher();
    CloseHandle();
    watcherSuspended_ = true;
    return true;
}

void CSerialPort::CloseHandle() {
    if (fd_ < 0) {
        return;
    }
    // The line keeps our settings after close. Putting the old speed back would apply it at
    // once, while the last bytes written (a flash write's data, the sleep command) may still
    // be on their way: the set would get them at the wrong speed and store nothing.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    ByteTrace::Note(port_, "close");
}

bool CSerialPort::SetTimeouts(int32_t readInterval, int32_t readMultiplier, int32_t readConstant,
                              int32_t writeMultiplier, int32_t writeConstant) {
    if (!IsOpen()) {
        return false;
    }
    timeouts_.Update(readInterval, readMultiplier, readConstant, writeMultiplier, writeConstant);
    return true;
}

uint32_t CSerialPort::TakePending(uint8_t* buffer, uint32_t count) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, pending_.size()));
    std::copy_n(pending_.begin(), n, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + n);
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

bool CSerialPort::Write(const uint8_t* data, uint32_t count, uint32_t& sent) {
    sent = 0;
    if (!IsOpen()) {
        return false;
    }
    const uint64_t limitMs = WriteWaitLimitMs(timeouts_, count);
    const Deadline deadline(limitMs);
    while (sent < count) {
        const ssize_t n = ::write(fd_, data + sent, count - sent);
        if (n > 0) {
            ByteTrace::Bytes(port_, '>', data + sent, static_cast<uint32_t>(n));
            sent += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;
        }
        pollfd out{fd_, POLLOUT, 0};
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
    ::tcflush(fd_, TCOFLUSH);
    return limitMs > 0;
}

uint32_t CSerialPort::OutputQueued() {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) {
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
        const auto lineTime =
            std::chrono::microseconds(uint64_t{10'000'000} * queued / (baud_ != 0 ? baud_ : 9600));
        std::this_thread::sleep_for(
            std::min<Deadline::Clock::duration>(lineTime, deadline.Remaining()));
    }
}

bool CSerialPort::Purge() {
    if (!IsOpen()) {
        return false;
    }
    pending_.clear();
    // Output is not thrown away: a write returns only once its bytes have left, so the queue
    // holds nothing of ours, and a pseudo-terminal would drop bytes the set has not read yet.
    return ::tcflush(fd_, TCIFLUSH) == 0;
}

bool CSerialPort::TransmitChar(uint8_t value) {
    if (!IsOpen()) {
        return false;
    }
    // A terminal has no output queue of ours to jump: the byte goes out now.
    for (;;) {
        const ssize_t n = ::write(fd_, &value, 1);
        if (n == 1) {
            ByteTrace::Bytes(port_, '>', &value, 1);
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
    if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) {
        queued = 0;
    }
    return static_cast<uint32_t>(queued) + static_cast<uint32_t>(pending_.size());
}

void CSerialPort::ClearLineErrors() {
    if (IsOpen()) {
        ::ioctl(fd_, TIOCCBRK);
    }
}

void CSerialPort::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool CSerialPort::TakeFromLine() {
    uint8_t chunk[512];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            ByteTrace::Bytes(port_, '<', chunk, static_cast<uint32_t>(n));
            pending_.insert(pending_.end(), chunk, chunk + n);
            if (pending_.size() > kMaxPending) {
                pending_.erase(pending_.begin(), pending_.end() - kMaxPending);
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
    return std::find(pending_.begin(), pending_.end(), uint8_t{0xFF}) != pending_.end();
}

}  // namespace fonerix
