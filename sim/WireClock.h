// The virtual clock of one direction of a serial line: when each byte has finished crossing it
// at a given speed. Deadlines are absolute and computed from the start of a burst, so a late
// wake-up delays one byte without shifting the ones after it.
#pragma once

#include <chrono>
#include <cstdint>

namespace fonerix::sim {

class WireClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit WireClock(unsigned baud) : m_baud(baud) {}

    // A byte handed to the line at `ready` starts once the previous byte has gone out and
    // takes one byte time (10 bits); returns when it has arrived at the far end.
    TimePoint Cross(TimePoint ready);

  private:
    TimePoint At(std::uint64_t bytes) const;

    unsigned m_baud;
    TimePoint burst_start_{};
    std::uint64_t burst_bytes_ = 0;  // bytes since burst_start_, back to back
};

}  // namespace fonerix::sim
