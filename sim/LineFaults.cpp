#include "sim/LineFaults.h"

#include <charconv>

#include "sim/WireCodes.h"

namespace fonerix::sim {

namespace {

struct FaultName {
    std::string_view name;
    Fault fault;
    bool counted;
};

constexpr FaultName kFaultNames[] = {
    {"silent", Fault::kSilent, false},  {"drop", Fault::kDrop, true},
    {"echo", Fault::kWrongEcho, false}, {"noise", Fault::kNoise, true},
    {"hangup", Fault::kHangup, true},   {"deep-sleep", Fault::kDeepSleep, false},
};

// More garbage than this before every answer would only flood the line.
constexpr unsigned kMaxNoise = 1000;

std::optional<unsigned> ParseCount(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

FaultSwitchResult ParseFaultSwitch(std::string_view name, std::string_view value) {
    for (const FaultName& known : kFaultNames) {
        if (known.name != name) {
            continue;
        }
        if (!known.counted) {
            if (value.empty() || value == "on") {
                return {FaultSwitch{known.fault, 1}, {}};
            }
            if (value == "off") {
                return {FaultSwitch{known.fault, 0}, {}};
            }
            return {std::nullopt, "fault " + std::string(name) + " takes on or off, not '" +
                                      std::string(value) + "'"};
        }
        const auto count = ParseCount(value);
        if (!count) {
            return {std::nullopt, "fault " + std::string(name) +
                                      " takes a count (0 for off), not '" + std::string(value) +
                                      "'"};
        }
        if (known.fault == Fault::kNoise && *count > kMaxNoise) {
            return {std::nullopt,
                    "fault noise takes at most " + std::to_string(kMaxNoise) + " bytes"};
        }
        return {FaultSwitch{known.fault, *count}, {}};
    }
    return {std::nullopt, "unknown fault '" + std::string(name) +
                              "' (silent, drop, echo, noise, hangup, deep-sleep)"};
}

void LineFaults::Apply(const FaultSwitch& change) {
    switch (change.fault) {
        case Fault::kSilent:
            m_silent = change.value != 0;
            return;
        case Fault::kDrop:
            drop_every_ = change.value;
            received_since_drop_ = 0;
            return;
        case Fault::kWrongEcho:
            wrong_echo_ = change.value != 0;
            return;
        case Fault::kNoise:
            m_noise = change.value;
            return;
        case Fault::kHangup:
            hangup_after_ = change.value;
            sent_before_hangup_ = 0;
            hung_up_ = false;
            return;
        case Fault::kDeepSleep:
            return;
    }
}

Reception LineFaults::Receive() {
    if (Dead()) {
        return Reception::kLostDeadLine;
    }
    if (drop_every_ != 0 && ++received_since_drop_ == drop_every_) {
        received_since_drop_ = 0;
        return Reception::kLostDropped;
    }
    return Reception::kDelivered;
}

void LineFaults::Transmit(const Transmission& transmission, std::vector<std::uint8_t>& wire) {
    // Raw bytes are exactly what was asked for; everything the set says itself can be noisy.
    if (transmission.kind != TransmissionKind::kRaw) {
        for (unsigned i = 0; i < m_noise; ++i) {
            Put(NextGarbage(), wire);
        }
    }
    for (std::size_t i = 0; i < transmission.bytes.size(); ++i) {
        std::uint8_t byte = transmission.bytes[i];
        if (wrong_echo_ && transmission.kind == TransmissionKind::kEcho && i == 0) {
            byte ^= 0x01;
        }
        Put(byte, wire);
    }
}

void LineFaults::Put(std::uint8_t byte, std::vector<std::uint8_t>& wire) {
    if (Dead()) {
        return;
    }
    wire.push_back(byte);
    if (hangup_after_ != 0 && ++sent_before_hangup_ == hangup_after_) {
        hung_up_ = true;
    }
}

std::uint8_t LineFaults::NextGarbage() {
    // xorshift32: cheap, and varied enough that no pattern in the garbage can pass for a frame.
    noise_state_ ^= noise_state_ << 13;
    noise_state_ ^= noise_state_ >> 17;
    noise_state_ ^= noise_state_ << 5;
    const auto byte = static_cast<std::uint8_t>(noise_state_);
    return byte == wire::kEventStart ? 0xFE : byte;
}

std::string LineFaults::Describe() const {
    std::string text;
    const auto add = [&text](const std::string& item) { text += text.empty() ? item : "," + item; };
    if (m_silent) {
        add("silent");
    }
    if (drop_every_ != 0) {
        add("drop=" + std::to_string(drop_every_));
    }
    if (wrong_echo_) {
        add("echo");
    }
    if (m_noise != 0) {
        add("noise=" + std::to_string(m_noise));
    }
    if (hangup_after_ != 0) {
        add(hung_up_ ? "hangup=" + std::to_string(hangup_after_) + "(dead)"
                     : "hangup=" + std::to_string(hangup_after_));
    }
    return text.empty() ? "none" : text;
}

}  // namespace fonerix::sim
