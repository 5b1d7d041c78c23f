// The paced line's virtual clock, on made-up time points: no real time is measured here.
#include "sim/WireClock.h"

#include <gtest/gtest.h>

namespace fonerix::sim {
namespace {

using std::chrono::nanoseconds;
using TimePoint = WireClock::TimePoint;

const TimePoint kStart = TimePoint{} + std::chrono::seconds(1000);

TEST(WireClock, BackToBackBytesFollowEachOtherWithoutAccumulatingRounding) {
    WireClock clock(57600);  // 10 bits: 173611.1 ns a byte
    EXPECT_EQ(clock.Cross(kStart), kStart + nanoseconds(173611));
    for (int i = 2; i < 1000; ++i) {
        clock.Cross(kStart);
    }
    // 10000 bits at 57600 bit/s, to the nanosecond: per-byte rounding would have lost 111 ns.
    EXPECT_EQ(clock.Cross(kStart), kStart + nanoseconds(173611111));
}

TEST(WireClock, AByteWaitsForTheLineOnlyWhileItIsBusy) {
    WireClock clock(115200);  // 86805.6 ns a byte
    EXPECT_EQ(clock.Cross(kStart), kStart + nanoseconds(86805));
    EXPECT_EQ(clock.Cross(kStart + nanoseconds(10'000)), kStart + nanoseconds(173611))
        << "handed over while the first byte was still going out";
    const TimePoint later = kStart + std::chrono::milliseconds(5);
    EXPECT_EQ(clock.Cross(later), later + nanoseconds(86805)) << "an idle line starts afresh";
}

}  // namespace
}  // namespace fonerix::sim
