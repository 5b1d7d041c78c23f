#include "sim/io/ControlSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "sim/io/SystemError.h"

namespace fonerix::sim {

namespace {

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("control socket path " + path + " is longer than " +
                                 std::to_string(sizeof address.sun_path - 1) + " bytes");
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool SomeoneListens(const sockaddr_un& address) {
    UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe &&
           ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

ControlSocket::ControlSocket(std::string path) : m_path(std::move(path)) {
    const sockaddr_un address = AddressOf(m_path);
    struct stat existing {};
    if (::lstat(m_path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            throw std::runtime_error("cannot listen at " + m_path +
                                     ": it exists and is not a socket (not replaced)");
        }
        if (SomeoneListens(address)) {
            throw std::runtime_error("cannot listen at " + m_path +
                                     ": another process is listening there");
        }
        ::unlink(m_path.c_str());
    }
    m_listener.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!m_listener) {
        ThrowSystemError("cannot create the control socket");
    }
    if (::bind(m_listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
        0) {
        ThrowSystemError("cannot bind the control socket to " + m_path);
    }
    if (::listen(m_listener.Get(), 8) != 0) {
        const int error = errno;
        ::unlink(m_path.c_str());
        errno = error;
        ThrowSystemError("cannot listen at " + m_path);
    }
}

ControlSocket::~ControlSocket() {
    ::unlink(m_path.c_str());
}

UniqueFd ControlSocket::Accept() {
    return UniqueFd(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
}

}  // namespace fonerix::sim
