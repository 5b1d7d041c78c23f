#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace fonerix::test {

// A pseudo-terminal whose master end the test plays as the set. The test keeps a slave
// descriptor of its own open so that the host's open and close do not hang up the master.
class Pty {
  public:
    Pty() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty() { HangUp(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& Path() const { return path_; }
    int Slave() const { return slave_; }

    void Send(const std::vector<uint8_t>& bytes) const {
        [[maybe_unused]] ssize_t n = ::write(master_, bytes.data(), bytes.size());
    }

    // Bytes the host wrote, waiting up to `timeout` for at least `atLeast` of them.
    std::vector<uint8_t> Receive(
        size_t atLeast, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (out.size() < atLeast && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, 10);
            uint8_t chunk[256];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                out.insert(out.end(), chunk, chunk + n);
            }
        }
        return out;
    }

    // The set goes away: both of its ends close.
    void HangUp() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
        if (slave_ >= 0) {
            ::close(slave_);
            slave_ = -1;
        }
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace fonerix::test
