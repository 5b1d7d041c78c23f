// The telephone set as the host sees it through the wire protocol, with no I/O of its own:
// bytes from the host go in one at a time, the set's answers come out as transmissions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/DeviceFamily.h"
#include "sim/FlashStore.h"
#include "sim/ListEntries.h"
#include "sim/MemoryStore.h"
#include "sim/SetClock.h"

namespace fonerix::sim {

enum class TransmissionKind {
    kEcho,        // a command byte acknowledged
    kAnswer,      // the bytes a command asked for
    kWakeAnswer,  // 0xFF for a wake-up zero
    kEvent,       // an unsolicited event frame
    kRaw,         // bytes put on the line by hand
};

// Bytes the set sends in one go, with what they mean, so that the line between the set and the
// host can misbehave selectively (a wrong echo, noise before an answer).
struct Transmission {
    TransmissionKind kind;
    std::vector<std::uint8_t> bytes;
};

struct DeviceStores {
    RegisterFile registers;
    DeviceMemory memory;
    FlashStore flash;
    // When the clock registers were last up to date (wall clock, ms since 1970); nothing for a
    // set whose clock starts when the engine does.
    std::optional<std::int64_t> clock_synced_ms{};
};

// What the host made the set do that leaves no trace in the stores.
struct HostActivity {
    std::optional<std::string> last_dialled;  // the number buffer when the dial byte came
    std::optional<std::uint8_t> last_key;
    unsigned dial_count = 0;
    unsigned key_count = 0;
    unsigned ignored_bytes = 0;  // bytes that meant nothing at the command position
};

class Engine {
  public:
    // A fresh set of a known device type (see TraitsOfType); std::invalid_argument otherwise.
    // Its clock runs on `wall_clock`.
    explicit Engine(std::uint8_t device_type, WallClock wall_clock = SystemWallClock);
    // A set with the given contents; its type is the type byte in memory, which must be known.
    explicit Engine(DeviceStores stores, WallClock wall_clock = SystemWallClock);

    // One byte from the host.
    void Receive(std::uint8_t byte);
    // Everything the set has sent since the last call, in order.
    std::vector<Transmission> TakeTransmissions();

    // Records a call in its log as the set does at the end of a call: dated by the set's clock
    // (the entry's own date is ignored). Empty when recorded, else why the set cannot hold it.
    std::string RecordCall(CallEntry call);

    // A set starts asleep, as it is whenever the host has not just woken it.
    bool Awake() const { return m_awake; }
    // In deep sleep only a run of wire::kDeepSleepWakeRun zeros wakes the set. Switching it
    // starts a new run, so that zeros counted under the old rule do not eat the answers to
    // the host's next handshake.
    void SetDeepSleep(bool on) {
        deep_sleep_ = on;
        zero_run_ = 0;
    }
    bool DeepSleep() const { return deep_sleep_; }

    std::uint8_t DeviceType() const { return m_stores.memory.DeviceType(); }
    const FamilyTraits& Traits() const { return m_traits; }
    const DeviceStores& Stores() const { return m_stores; }
    const HostActivity& Activity() const { return m_activity; }
    // Grows whenever a store changes, so that a caller can tell when to save them.
    std::uint64_t Revision() const { return m_revision; }

  private:
    enum class Position { kCommand, kParameters, kAfterSleepPrefix };

    void ReceiveWhileAsleep(std::uint8_t byte);
    void ReceiveAtCommandPosition(std::uint8_t byte);
    void ReceiveParameter(std::uint8_t byte);
    std::optional<std::size_t> ParametersNeeded() const;
    void Execute();
    void ExecuteFlash();
    void Dial();
    void NoteKey(std::uint8_t key);
    void NoteChange(bool changed);
    void AdvanceClock();
    void Send(TransmissionKind kind, std::vector<std::uint8_t> bytes);

    DeviceStores m_stores;
    FamilyTraits m_traits;
    ClockRegisters m_clock;
    WallClock wall_clock_;
    HostActivity m_activity;
    std::uint64_t m_revision = 0;

    bool m_awake = false;
    bool deep_sleep_ = false;
    std::size_t zero_run_ = 0;  // consecutive wake-up zeros at the command position
    Position m_position = Position::kCommand;
    std::uint8_t m_command = 0;
    std::vector<std::uint8_t> m_parameters;
    std::vector<Transmission> m_outbox;
};

}  // namespace fonerix::sim
