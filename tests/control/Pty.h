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
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
            m_path = name;
            ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty() { HangUp(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& Path() const { return m_path; }
    int Slave() const { return m_slave; }

    void Send(const std::vector<uint8_t>& bytes) const {
        [[maybe_unused]] ssize_t n = ::write(m_master, bytes.data(), bytes.size());
    }

    // Bytes the host wrote, waiting up to `timeout` for at least `atLeast` of them.
    std::vector<uint8_t> Receive(
        size_t atLeast, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (out.size() < atLeast && std::chrono::steady_clock::now() < end) {
            pollfd p{m_master, POLLIN, 0};
            ::poll(&p, 1, 10);
            uint8_t chunk[256];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0) {
                out.insert(out.end(), chunk, chunk + n);
            }
        }
        return out;
    }

    // The set goes away: both of its ends close.
    void HangUp() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
        if (m_slave >= 0) {
            ::close(m_slave);
            m_slave = -1;
        }
    }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

}  // namespace fonerix::test
