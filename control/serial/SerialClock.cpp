#include "control/serial/SerialClock.h"

#include <cerrno>
#include <ctime>

namespace fonerix {

Deadline::Clock::duration Deadline::Remaining() const {
    const auto left = m_end - Clock::now();
    return left > Clock::duration::zero() ? left : Clock::duration::zero();
}

int WaitFor(pollfd* fds, nfds_t count, const Deadline& deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.Remaining());
        timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                         static_cast<long>(left.count() % 1'000'000'000)};
        const int ready = ::ppoll(fds, count, &timeout, nullptr);
        if (ready >= 0) {
            return ready;
        }
        if (errno != EINTR) {
            return -1;
        }
        if (deadline.Passed()) {
            return 0;
        }
    }
}

}  // namespace fonerix
