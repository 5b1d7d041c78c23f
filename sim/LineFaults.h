// Faults of the line between the set and the host, switched on and off on request so that the
// host's error paths can be driven: a dead line, lost bytes, a wrong echo, garbage before each
// transmission, a line that goes dead part-way through a transfer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Engine.h"

namespace fonerix::sim {

enum class Fault {
    kSilent,     // the line is dead: nothing reaches the set, nothing comes back
    kDrop,       // every n-th byte from the host is lost (0: off)
    kWrongEcho,  // echoes come back with their lowest bit flipped
    kNoise,      // n garbage bytes (never 0xFF) precede every answer and event (0: off)
    kHangup,     // after n more bytes to the host the line goes dead (0: off, line restored)
    kDeepSleep,  // the set wakes only on a long run of zeros (a fault of the set, not the line)
};

// One fault switched: on/off faults take 1 or 0.
struct FaultSwitch {
    Fault fault;
    unsigned value;
};

struct FaultSwitchResult {
    std::optional<FaultSwitch> change;
    std::string error;
};

// The fault names are those of the command line and of the `fault` command: silent, drop, echo,
// noise, hangup, deep-sleep. On/off faults take "on" or "off"; counted faults a number. An
// empty value means "on" for on/off faults and is an error for counted ones.
FaultSwitchResult ParseFaultSwitch(std::string_view name, std::string_view value);

// What became of a byte from the host.
enum class Reception {
    kDelivered,
    kLostDeadLine,  // silent, or hung up
    kLostDropped,   // the drop fault took it
};

class LineFaults {
  public:
    // Everything but kDeepSleep, which belongs to the set.
    void Apply(const FaultSwitch& change);

    Reception Receive();
    // Appends what reaches the host of one transmission of the set.
    void Transmit(const Transmission& transmission, std::vector<std::uint8_t>& wire);

    // "none", or the active faults as they are written on the command line.
    std::string Describe() const;

  private:
    bool Dead() const { return m_silent || hung_up_; }
    void Put(std::uint8_t byte, std::vector<std::uint8_t>& wire);
    std::uint8_t NextGarbage();

    bool m_silent = false;
    unsigned drop_every_ = 0;
    unsigned received_since_drop_ = 0;
    bool wrong_echo_ = false;
    unsigned m_noise = 0;
    std::uint32_t noise_state_ = 0x2545F491;  // fixed seed: the same garbage every run
    unsigned hangup_after_ = 0;
    unsigned sent_before_hangup_ = 0;
    bool hung_up_ = false;
};

}  // namespace fonerix::sim
