// What a set holds in its lists and small stores, independent of where each family keeps it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fonerix::sim {

struct BookEntry {
    unsigned position = 1;  // the set's own slot number, 1 for its first
    std::string number;
    std::uint8_t rank = 0;
    std::uint16_t voice = 0;  // voice-message handle; 0 for none
    auto operator<=>(const BookEntry&) const = default;
};

enum class CallLog { kOutgoing, kIncoming };

struct CallEntry {
    CallLog log = CallLog::kIncoming;
    int year = 2000;  // four digits
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    std::string number;
    std::uint8_t duration = 0;  // the set's duration byte
    bool parallel = false;      // the parallel telephone took part (flag bit 7)
    bool flop = false;          // flag bit 6
    std::uint16_t voice = 0;    // voice-message handle; 0 for none
    auto operator<=>(const CallEntry&) const = default;
};

// Caller-ID query parameters as the host sees them, in milliseconds and counts.
struct CallerIdParameters {
    unsigned query_time = 80;        // 10..250, in steps of 2
    std::uint8_t query_form = 0x04;  // low nibble: queries; high nibble: waveform flags
    unsigned first_delay = 300;      // 10..990, in steps of 10
    std::uint8_t min_digits = 3;     // 0..5
    unsigned resolution_time = 500;  // 10..990, in steps of 10
    auto operator<=>(const CallerIdParameters&) const = default;
};

// Call-time statistics in minutes.
struct CallStatistics {
    std::uint8_t bill_month = 1;
    std::uint16_t current_local = 0;
    std::uint16_t current_long = 0;
    std::uint16_t previous_local = 0;
    std::uint16_t previous_long = 0;
    auto operator<=>(const CallStatistics&) const = default;
};

}  // namespace fonerix::sim
