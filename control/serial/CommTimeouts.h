#pragma once

#include <cstdint>

namespace fonerix {

// The port's five time-outs in milliseconds, in the order the protocol names them. The waits of
// CSerialPort::Read and Write are computed from the values last applied.
struct CommTimeouts {
    uint32_t readInterval = 0;
    uint32_t readMultiplier = 0;
    uint32_t readConstant = 0;
    uint32_t writeMultiplier = 0;
    uint32_t writeConstant = 0;

    // Takes each value that is not negative; a negative value leaves its field as it is.
    void Update(int32_t interval, int32_t multiplier, int32_t constant, int32_t writeMult,
                int32_t writeConst) {
        const auto take = [](int32_t value, uint32_t& field) {
            if (value >= 0) {
                field = static_cast<uint32_t>(value);
            }
        };
        take(interval, readInterval);
        take(multiplier, readMultiplier);
        take(constant, readConstant);
        take(writeMult, writeMultiplier);
        take(writeConst, writeConstant);
    }

    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

// Applied by Configure and after every handshake: a one-byte read gives up after 60 ms.
inline constexpr CommTimeouts kDefaultTimeouts{0, 10, 50, 10, 10};
// Used while waking the set and while waiting for a command's echo.
inline constexpr CommTimeouts kHandshakeTimeouts{0, 100, 300, 10, 100};

// How long the line itself may take to deliver `count` bytes before a read completes short
// (0 = no total limit).
inline constexpr uint64_t ReadTotalMs(const CommTimeouts& t, uint32_t count) {
    return uint64_t{count} * t.readMultiplier + t.readConstant;
}

// The host's own bound on a read: three times the per-byte allowance, so a slow line never
// turns a short read into a failed one.
inline constexpr uint64_t ReadWaitLimitMs(const CommTimeouts& t, uint32_t count) {
    return uint64_t{count} * t.readMultiplier * 3 + t.readConstant;
}

inline constexpr uint64_t WriteWaitLimitMs(const CommTimeouts& t, uint32_t count) {
    return uint64_t{count} * t.writeMultiplier + t.writeConstant;
}

}  // namespace fonerix
