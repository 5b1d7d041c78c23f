#pragma once

#include <poll.h>

#include <chrono>
#include <cstdint>

namespace fonerix {

// A point in time a wait must not pass. Waits are computed from it afresh after every wake-up,
// so an interrupted or partial wait never stretches the limit.
class Deadline {
  public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(uint64_t milliseconds)
        : m_end(Clock::now() + std::chrono::milliseconds(milliseconds)) {}
    explicit Deadline(Clock::time_point end) : m_end(end) {}

    Clock::time_point End() const { return m_end; }
    Clock::duration Remaining() const;
    bool Passed() const { return Remaining() <= Clock::duration::zero(); }

  private:
    Clock::time_point m_end;
};

// poll() until `deadline`, retrying on EINTR. Returns the count of ready descriptors, 0 when the
// deadline passed first, -1 on an error.
int WaitFor(pollfd* fds, nfds_t count, const Deadline& deadline);

}  // namespace fonerix
