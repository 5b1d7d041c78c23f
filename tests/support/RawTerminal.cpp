#include "tests/support/RawTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace fonerix::test {

namespace {

using Clock = std::chrono::steady_clock;

speed_t SpeedOf(unsigned baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            throw std::system_error(EINVAL, std::generic_category(),
                                    "no terminal speed for " + std::to_string(baud) + " bit/s");
    }
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

RawTerminal::RawTerminal(const std::string& path, unsigned baud)
    : m_path(path), m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (!m_fd) {
        Fail("cannot open " + m_path);
    }
    SetBaud(baud);
    Purge();
}

void RawTerminal::SetBaud(unsigned baud) {
    termios settings{};
    if (::tcgetattr(m_fd.Get(), &settings) != 0) {
        Fail("cannot read the line settings of " + m_path);
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    ::cfsetspeed(&settings, SpeedOf(baud));
    if (::tcsetattr(m_fd.Get(), TCSANOW, &settings) != 0) {
        Fail("cannot set " + m_path + " to " + std::to_string(baud) + " bit/s");
    }
}

void RawTerminal::Write(std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (written < bytes.size()) {
        const ssize_t count = ::write(m_fd.Get(), bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            Fail("cannot write to " + m_path);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd watch{m_fd.Get(), POLLOUT, 0};
        if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) == 0) {
            errno = ETIMEDOUT;
            Fail("cannot write to " + m_path);
        }
    }
}

std::vector<std::uint8_t> RawTerminal::Read(std::size_t count, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = Clock::now() + limit;
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd watch{m_fd.Get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        std::uint8_t buffer[512];
        const std::size_t wanted = std::min(sizeof buffer, count - bytes.size());
        const ssize_t got = ::read(m_fd.Get(), buffer, wanted);
        if (got > 0) {
            bytes.insert(bytes.end(), buffer, buffer + got);
        } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
            Fail("cannot read from " + m_path);
        }
    }
    return bytes;
}

void RawTerminal::Purge() {
    ::tcflush(m_fd.Get(), TCIOFLUSH);
}

}  // namespace fonerix::test
