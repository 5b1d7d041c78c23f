#include "sim/Engine.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <string>
#include <utility>

#include "sim/FlashSide.h"
#include "sim/MemorySide.h"
#include "sim/PhoneDigits.h"
#include "sim/WireCodes.h"

namespace fonerix::sim {

namespace {

FamilyTraits KnownTraits(std::uint8_t device_type) {
    const auto traits = TraitsOfType(device_type);
    if (!traits) {
        throw std::invalid_argument("no set of device type " + std::to_string(device_type));
    }
    return *traits;
}

std::uint16_t Word(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

// Layout of the flash parameters after the sub-command byte.
constexpr std::size_t kColumnAt = 1;
constexpr std::size_t kPageAt = 2;
constexpr std::size_t kBlockLowAt = 3;
constexpr std::size_t kBlockHighAt = 4;
constexpr std::size_t kCountAt = 5;
constexpr std::size_t kFlashHeader = 1 + wire::kFlashAddressBytes;

}  // namespace

Engine::Engine(std::uint8_t device_type, WallClock wall_clock)
    : Engine(DeviceStores{RegisterFile{}, DeviceMemory{device_type}, FlashStore{}},
             std::move(wall_clock)) {}

Engine::Engine(DeviceStores stores, WallClock wall_clock)
    : m_stores(std::move(stores)),
      m_traits(KnownTraits(m_stores.memory.DeviceType())),
      m_clock(RegisterMapOf(m_traits.family).clock),
      wall_clock_(std::move(wall_clock)) {
    if (!m_stores.clock_synced_ms) {
        m_stores.clock_synced_ms = MillisecondsOf(wall_clock_());
    }
}

std::string Engine::RecordCall(CallEntry call) {
    AdvanceClock();
    const RegisterFile& registers = m_stores.registers;
    const int year = registers.Read(m_clock.year);
    call.year = year < 50 ? 2000 + year : 1900 + year;
    call.month = registers.Read(m_clock.month);
    call.day = registers.Read(m_clock.day);
    call.hour = registers.Read(m_clock.hour);
    call.minute = registers.Read(m_clock.minute);
    try {
        const int type = DeviceType();
        if (StorageOfType(type) == Storage::kMemory) {
            MemorySide(m_stores.memory).AppendCall(call);
        } else {
            FlashSide(m_stores.flash, FlashPlanOf(type)).AppendCall(call);
        }
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    NoteChange(true);
    return {};
}

void Engine::AdvanceClock() {
    sim::AdvanceClock(m_stores.registers, m_clock, *m_stores.clock_synced_ms,
                      MillisecondsOf(wall_clock_()));
}

std::vector<Transmission> Engine::TakeTransmissions() {
    return std::exchange(m_outbox, {});
}

void Engine::Send(TransmissionKind kind, std::vector<std::uint8_t> bytes) {
    m_outbox.push_back(Transmission{kind, std::move(bytes)});
}

void Engine::Receive(std::uint8_t byte) {
    if (!m_awake) {
        ReceiveWhileAsleep(byte);
        return;
    }
    switch (m_position) {
        case Position::kParameters:
            ReceiveParameter(byte);
            return;
        case Position::kAfterSleepPrefix:
            m_position = Position::kCommand;
            if (byte == wire::kSleep) {
                m_awake = false;
                zero_run_ = 0;
                return;
            }
            // The prefix alone was key 64; this byte starts something new.
            NoteKey(wire::kKey64);
            ReceiveAtCommandPosition(byte);
            return;
        case Position::kCommand:
            ReceiveAtCommandPosition(byte);
            return;
    }
}

void Engine::ReceiveWhileAsleep(std::uint8_t byte) {
    if (byte != wire::kWakeByte) {
        zero_run_ = 0;
        return;
    }
    ++zero_run_;
    const std::size_t needed = deep_sleep_ ? wire::kDeepSleepWakeRun : 1;
    if (zero_run_ >= needed) {
        m_awake = true;
        m_position = Position::kCommand;
        // The zero that wakes the set is always answered, so that the host's long path,
        // which accepts any answer, sees one.
        Send(TransmissionKind::kWakeAnswer, {wire::kWakeAnswer});
    }
}

void Engine::ReceiveAtCommandPosition(std::uint8_t byte) {
    if (byte == wire::kWakeByte) {
        // The first two zeros of a run are answered, so the host's two-byte handshake read
        // completes at once; the rest of a long burst is not, so the line is quiet after it.
        ++zero_run_;
        if (zero_run_ <= wire::kShortWakeBytes) {
            Send(TransmissionKind::kWakeAnswer, {wire::kWakeAnswer});
        }
        return;
    }
    zero_run_ = 0;
    switch (byte) {
        case wire::kReadRegister:
        case wire::kWriteRegister:
        case wire::kReadMemory:
        case wire::kWriteMemoryByte:
        case wire::kFlash:
            m_command = byte;
            m_parameters.clear();
            m_position = Position::kParameters;
            Send(TransmissionKind::kEcho, {byte});
            return;
        case wire::kSleepPrefix:
            m_position = Position::kAfterSleepPrefix;
            return;
        default:
            break;
    }
    if (byte == m_traits.dial_byte) {
        Dial();
    } else if (wire::IsKeyCode(byte)) {
        NoteKey(byte);
    } else {
        ++m_activity.ignored_bytes;
    }
}

void Engine::ReceiveParameter(std::uint8_t byte) {
    m_parameters.push_back(byte);
    const auto needed = ParametersNeeded();
    if (!needed) {
        // An unknown flash sub-command: nothing more is expected.
        m_position = Position::kCommand;
        ++m_activity.ignored_bytes;
        return;
    }
    if (m_parameters.size() == *needed) {
        m_position = Position::kCommand;
        Execute();
    }
}

std::optional<std::size_t> Engine::ParametersNeeded() const {
    switch (m_command) {
        case wire::kReadRegister:
            return 1;
        case wire::kWriteRegister:
            return 2;
        case wire::kReadMemory:
        case wire::kWriteMemoryByte:
            return 3;
        case wire::kFlash:
            break;
        default:
            assert(false && "only echoed commands take parameters");
            return std::nullopt;
    }
    if (m_parameters.empty()) {
        return 1;
    }
    switch (m_parameters[0]) {
        case wire::kFlashRead:
            return kFlashHeader;
        case wire::kFlashWrite:
            return m_parameters.size() < kFlashHeader ? kFlashHeader
                                                      : kFlashHeader + m_parameters[kCountAt];
        case wire::kFlashErase:
            return 3;
        default:
            return std::nullopt;
    }
}

void Engine::Execute() {
    const std::vector<std::uint8_t>& p = m_parameters;
    switch (m_command) {
        case wire::kReadRegister:
            if (IsClockRegister(m_clock, p[0])) {
                AdvanceClock();
            }
            Send(TransmissionKind::kAnswer, {m_stores.registers.Read(p[0])});
            return;
        case wire::kWriteRegister:
            if (IsClockRegister(m_clock, p[0])) {
                // Writing restarts the clock's count of the current second, as a clock chip's
                // divider is reset, so that a carry between the host's writes of one setting
                // cannot move a field it has just written.
                AdvanceClock();
                m_stores.clock_synced_ms = MillisecondsOf(wall_clock_());
                if (p[0] == m_clock.second_written) {
                    m_stores.registers.Write(m_clock.second, p[1]);
                }
            }
            NoteChange(m_stores.registers.Write(p[0], p[1]));
            return;
        case wire::kReadMemory: {
            const std::uint16_t address = Word(p[1], p[2]);
            std::vector<std::uint8_t> answer(p[0]);
            for (std::size_t i = 0; i < answer.size(); ++i) {
                answer[i] = m_stores.memory.Read(static_cast<std::uint16_t>(address + i));
            }
            if (!answer.empty()) {
                Send(TransmissionKind::kAnswer, std::move(answer));
            }
            return;
        }
        case wire::kWriteMemoryByte:
            NoteChange(m_stores.memory.Write(Word(p[0], p[1]), p[2]));
            return;
        case wire::kFlash:
            ExecuteFlash();
            return;
        default:
            assert(false && "only echoed commands take parameters");
    }
}

void Engine::ExecuteFlash() {
    const std::vector<std::uint8_t>& p = m_parameters;
    if (p[0] == wire::kFlashErase) {
        NoteChange(m_stores.flash.EraseBlock(Word(p[2], p[1])));
        return;
    }
    const FlashLocation at{Word(p[kBlockHighAt], p[kBlockLowAt]), p[kPageAt], p[kColumnAt]};
    // Types 7 and 8 address their 528-byte pages in halves (see FlashStore::ReadHalves).
    const bool halves = StorageOfType(DeviceType()) == Storage::kFlash64;
    if (p[0] == wire::kFlashRead) {
        std::vector<std::uint8_t> answer(p[kCountAt]);
        if (halves) {
            m_stores.flash.ReadHalves(at, answer);
        } else {
            m_stores.flash.Read(at, answer);
        }
        if (!answer.empty()) {
            Send(TransmissionKind::kAnswer, std::move(answer));
        }
        return;
    }
    const std::span<const std::uint8_t> data(p.begin() + kFlashHeader, p.end());
    NoteChange(halves ? m_stores.flash.ProgramHalves(at, data) : m_stores.flash.Program(at, data));
}

void Engine::Dial() {
    const std::uint8_t length_register = m_traits.number_buffer_register;
    const std::size_t length =
        std::min<std::size_t>(m_stores.registers.Read(length_register), wire::kNumberBufferDigits);
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 1; i <= length; ++i) {
        codes.push_back(m_stores.registers.Read(static_cast<std::uint8_t>(length_register + i)));
    }
    m_activity.last_dialled = TextOfDigitCodes(codes);
    ++m_activity.dial_count;
}

void Engine::NoteKey(std::uint8_t key) {
    m_activity.last_key = key;
    ++m_activity.key_count;
}

void Engine::NoteChange(bool changed) {
    if (changed) {
        ++m_revision;
    }
}

}  // namespace fonerix::sim
