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

ControlSocket::ControlSocket(std::string path) : path_(std::move(path)) {
    const sockaddr_un address = AddressOf(path_);
    struct stat existing {};
    if (::lstat(path_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            throw std::runtime_error("cannot listen at " + path_ +
                                     ": it exists and is not a socket (not replaced)");
        }
        if (SomeoneListens(address)) {
            throw std::runtime_error("cannot listen at " + path_ +
                                     ": another process is listening there");
        }
        ::unlink(path_.c_str());
    }
    listener_.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener_) {
        ThrowSystemError("cannot create the control socket");
    }
    if (::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ThrowSystemError("cannot bind the control socket to " + path_);
    }
    if (::listen(listener_.Get(), 8) != 0) {
        const int error = errno;
        ::unlink(path_.c_str());
        errno = error;
        ThrowSystemError("cannot listen at " + path_);
    }
}

ControlSocket::~ControlSocket() {
    ::unlink(path_.c_str());
}

UniqueFd ControlSocket::Accept() {
    return UniqueFd(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
}

}  // namespace fonerix::sim
