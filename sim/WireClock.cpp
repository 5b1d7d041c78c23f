#include "sim/WireClock.h"

#include "sim/WireCodes.h"

namespace fonerix::sim {

WireClock::TimePoint WireClock::At(std::uint64_t bytes) const {
    // Whole nanoseconds from the burst start, so rounding never accumulates.
    const std::uint64_t nanoseconds = bytes * wire::kBitsPerByte * 1'000'000'000ULL / m_baud;
    return burst_start_ + std::chrono::nanoseconds(nanoseconds);
}

WireClock::TimePoint WireClock::Cross(TimePoint ready) {
    if (burst_bytes_ == 0 || ready >= At(burst_bytes_)) {
        // The line was idle: a new burst starts with this byte.
        burst_start_ = ready;
        burst_bytes_ = 0;
    }
    ++burst_bytes_;
    return At(burst_bytes_);
}

}  // namespace fonerix::sim
