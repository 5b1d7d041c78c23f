#include "sim/io/PtyLink.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <utility>

#include "sim/io/SystemError.h"

namespace fonerix::sim {

namespace {

struct Speed {
    speed_t code;
    unsigned baud;
};

constexpr Speed kSpeeds[] = {
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},
    {B150, 150},         {B200, 200},         {B300, 300},         {B600, 600},
    {B1200, 1200},       {B1800, 1800},       {B2400, 2400},       {B4800, 4800},
    {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
    {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
    {B3500000, 3500000}, {B4000000, 4000000},
};

std::optional<std::string> ReadLink(const std::string& path) {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace

PtyLink::PtyLink(std::string link_path) : link_path_(std::move(link_path)) {
    m_master.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!m_master) {
        ThrowSystemError("cannot open a pseudo-terminal");
    }
    if (::grantpt(m_master.Get()) != 0 || ::unlockpt(m_master.Get()) != 0) {
        ThrowSystemError("cannot unlock the pseudo-terminal");
    }
    std::array<char, 128> name{};
    if (::ptsname_r(m_master.Get(), name.data(), name.size()) != 0) {
        ThrowSystemError("cannot name the pseudo-terminal's slave");
    }
    slave_name_ = name.data();
    const int flags = ::fcntl(m_master.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(m_master.Get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        ThrowSystemError("cannot make the pseudo-terminal non-blocking");
    }

    m_slave.Reset(::open(slave_name_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!m_slave) {
        ThrowSystemError("cannot open " + slave_name_);
    }
    // Raw, so that the host sees the set's bytes unchanged until it sets its own line settings.
    termios settings{};
    if (::tcgetattr(m_slave.Get(), &settings) != 0) {
        ThrowSystemError("cannot read the line settings of " + slave_name_);
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave.Get(), TCSANOW, &settings) != 0) {
        ThrowSystemError("cannot put " + slave_name_ + " in raw mode");
    }
    CreateLink();
}

void PtyLink::CreateLink() {
    struct stat existing {};
    if (::lstat(link_path_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        throw std::runtime_error("cannot link " + link_path_ +
                                 ": it exists and is not a symbolic link (not replaced)");
    }
    // A new link under a scratch name renamed over the old one: the path never disappears
    // and never names a half-made link.
    const std::string scratch = link_path_ + ".new-" + std::to_string(::getpid());
    ::unlink(scratch.c_str());
    if (::symlink(slave_name_.c_str(), scratch.c_str()) != 0) {
        ThrowSystemError("cannot create the link " + link_path_ + " to " + slave_name_);
    }
    if (::rename(scratch.c_str(), link_path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(scratch.c_str());
        errno = error;
        ThrowSystemError("cannot create the link " + link_path_ + " to " + slave_name_);
    }
}

PtyLink::~PtyLink() {
    if (ReadLink(link_path_) == slave_name_) {
        ::unlink(link_path_.c_str());
    }
}

std::optional<unsigned> PtyLink::LineBaud() const {
    termios settings{};
    if (::tcgetattr(m_slave.Get(), &settings) != 0) {
        return std::nullopt;
    }
    const speed_t speed = ::cfgetospeed(&settings);
    for (const Speed& known : kSpeeds) {
        if (known.code == speed) {
            return known.baud;
        }
    }
    return std::nullopt;
}

}  // namespace fonerix::sim
